// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "engine/Find.h"

#include <memory>

namespace quillsift::docx {

class DocxRange;

/// Range.Find of the in-process host. It keeps a live copy of the range it came from, so it
/// searches where that range stands when Execute is called.
class DocxFind : public engine::Find
{
  public:
    explicit DocxFind(std::unique_ptr<DocxRange> scope);
    ~DocxFind() override;

    void setMatchWholeWord(bool on) override;
    bool matchWholeWord() const override;
    /// Literal, case-insensitive. FindReplace::None only reports whether the text occurs;
    /// One and All replace the first or every match inside the range (the replacement goes in as
    /// plain text, in the formatting of the text around it).
    bool execute(const QString& findText, engine::FindWrap wrap, const QString& replaceWith,
                 engine::FindReplace replace) override;

  private:
    std::unique_ptr<DocxRange> m_scope;
    bool m_matchWholeWord = false;
};

} // namespace quillsift::docx
