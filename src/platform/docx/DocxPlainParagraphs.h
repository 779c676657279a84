// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "engine/PlainParagraphs.h"

#include <cstddef>
#include <memory>

namespace quillsift::docx {

class DocxStory;

/// The in-process host's plain paragraphs for the word walk (engine::PlainParagraphs): reads a
/// paragraph's text and word units where the story keeps them, a byte a character and in one
/// vector, without a copy, and deletes its words through the story's editor, as a Range.Delete
/// over each does. Owns nothing but its hold on the story and the slot it read last.
class DocxPlainParagraphs : public engine::PlainParagraphs
{
  public:
    explicit DocxPlainParagraphs(std::shared_ptr<DocxStory> story);

    bool read(qint64 position, Paragraph& paragraph) override;
    void remove(const Paragraph& paragraph, std::span<const Span> spans) override;

  private:
    std::shared_ptr<DocxStory> m_story;
    std::size_t m_slot = 0;
};

} // namespace quillsift::docx
