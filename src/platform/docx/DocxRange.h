// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/StoryRange.h"

#include <memory>

namespace quillsift::docx {

class DocxStory;

/// A live range of the in-process host. It registers with its story, which moves it whenever text
/// before or inside it is deleted; once the document is closed every call fails cleanly.
class DocxRange : public platform::StoryRange<DocxStory>
{
  public:
    DocxRange(std::shared_ptr<DocxStory> story, qint64 start, qint64 end);
    ~DocxRange() override;
    DocxRange(const DocxRange&) = delete;
    DocxRange& operator=(const DocxRange&) = delete;

    std::unique_ptr<engine::Find> find() override;
    std::shared_ptr<const engine::FormattedText> formattedText() const override;
    void setFormattedText(const engine::FormattedText& text) override;

    /// Called by the story: length characters were inserted at position.
    void textInserted(qint64 position, qint64 length);

  private:
    friend class LiveRanges;

    std::unique_ptr<engine::Range> make(qint64 start, qint64 end) const override;

    /// The story's list of its live ranges.
    DocxRange* m_previousRange = nullptr;
    DocxRange* m_nextRange = nullptr;
};

} // namespace quillsift::docx
