// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "TextStory.h"

#include <engine/Find.h>

#include <memory>

namespace quillsift::testing {

/// Range.Find over a TextStory, confined to the range it was taken from (a live span).
class TextFind : public engine::Find
{
  public:
    TextFind(std::shared_ptr<TextStory> story, qint64 start, qint64 end);
    ~TextFind() override;
    TextFind(const TextFind&) = delete;
    TextFind& operator=(const TextFind&) = delete;

    void setMatchWholeWord(bool on) override;
    bool matchWholeWord() const override;
    /// Only an empty replacement is supported: that is all the removal needs.
    bool execute(const QString& findText, engine::FindWrap wrap, const QString& replaceWith,
                 engine::FindReplace replace) override;

  private:
    std::shared_ptr<TextStory> m_story;
    TextStory::Span m_span;
    bool m_matchWholeWord = false;
};

} // namespace quillsift::testing
