// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "engine/Range.h"

#include <memory>

namespace quillsift::libreoffice {

class LoStory;

/// A live range of the LibreOffice host. It registers with its story, which moves it whenever text
/// before or inside it is deleted; once the document is closed every call fails cleanly.
class LoRange : public engine::Range
{
  public:
    LoRange(std::shared_ptr<LoStory> story, qint64 start, qint64 end);
    ~LoRange() override;
    LoRange(const LoRange&) = delete;
    LoRange& operator=(const LoRange&) = delete;

    qint64 start() const override;
    qint64 end() const override;
    void setStart(qint64 position) override;
    /// Sets both ends at once, clamped to the story.
    void setSpan(qint64 start, qint64 end);
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

    /// Called by the story: the text [from, to) has gone.
    void textRemoved(qint64 from, qint64 to);
    /// Called by the story when its whole text is replaced.
    void collapseToStart();

    LoStory& story() const
    {
        return *m_story;
    }

  private:
    std::unique_ptr<engine::Range> make(qint64 start, qint64 end) const;

    std::shared_ptr<LoStory> m_story;
    qint64 m_start = 0;
    qint64 m_end = 0;
};

} // namespace quillsift::libreoffice
