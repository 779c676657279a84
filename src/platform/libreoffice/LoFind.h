// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "engine/Find.h"

#include <memory>

namespace quillsift::libreoffice {

class LoRange;

/// Range.Find of the LibreOffice host. It keeps a live copy of the range it came from, so it
/// searches where that range stands when Execute is called.
class LoFind : public engine::Find
{
  public:
    explicit LoFind(std::unique_ptr<LoRange> scope);
    ~LoFind() override;

    void setMatchWholeWord(bool on) override;
    bool matchWholeWord() const override;
    /// Literal, case-insensitive. FindReplace::None only reports whether the text occurs;
    /// One and All replace the first or every match inside the range.
    bool execute(const QString& findText, engine::FindWrap wrap, const QString& replaceWith,
                 engine::FindReplace replace) override;

  private:
    std::unique_ptr<LoRange> m_scope;
    bool m_matchWholeWord = false;
};

} // namespace quillsift::libreoffice
