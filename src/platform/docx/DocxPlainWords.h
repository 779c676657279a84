// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "engine/PlainWords.h"

#include <QString>

#include <cstddef>
#include <memory>
#include <vector>

namespace quillsift::docx {

class DocxStory;

/// The in-process host's plain words for the word walk (engine::PlainWords): reads a run of a
/// paragraph's word units with their text, from the story's paragraphs and their unit ends, and
/// deletes words of it through the story's editor, as a Range.Delete over each does. Owns its hold
/// on the story, the text and unit ends of the run it read last and where that lies.
class DocxPlainWords : public engine::PlainWords
{
  public:
    explicit DocxPlainWords(std::shared_ptr<DocxStory> story);

    bool read(qint64 position, std::size_t units, Run& run) override;
    void remove(const Run& run, std::span<const Span> spans) override;

  private:
    std::shared_ptr<DocxStory> m_story;
    QString m_text;
    std::vector<quint32> m_ends;
    std::vector<Span> m_spans;
    std::size_t m_slot = 0;
    qint64 m_offset = 0;
};

} // namespace quillsift::docx
