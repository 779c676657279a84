// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "TextStory.h"

#include <engine/Range.h>

#include <memory>

namespace quillsift::testing {

/// A live range over a TextStory. It moves with deletions for as long as it exists.
class TextRange : public engine::Range
{
  public:
    TextRange(std::shared_ptr<TextStory> story, qint64 start, qint64 end);
    ~TextRange() override;
    TextRange(const TextRange&) = delete;
    TextRange& operator=(const TextRange&) = delete;

    qint64 start() const override;
    qint64 end() const override;
    void setStart(qint64 position) override;
    QString text() const override;

    qint64 paragraphsCount() const override;
    qint64 wordsCount() const override;
    std::unique_ptr<engine::Range> paragraph(qint64 index) const override;
    std::unique_ptr<engine::Range> word(qint64 index) const override;

    std::unique_ptr<engine::Range> next(engine::Unit unit) const override;
    std::unique_ptr<engine::Range> previous(engine::Unit unit) const override;

    void deleteContent() override;
    std::unique_ptr<engine::Find> find() override;

    std::shared_ptr<const engine::FormattedText> formattedText() const override;
    void setFormattedText(const engine::FormattedText& text) override;

  private:
    const std::vector<TextStory::Unit>& units(engine::Unit unit) const;
    std::vector<TextStory::Unit> overlapping(engine::Unit unit) const;
    std::unique_ptr<engine::Range> rangeOver(const TextStory::Unit& unit) const;

    std::shared_ptr<TextStory> m_story;
    TextStory::Span m_span;
};

} // namespace quillsift::testing
