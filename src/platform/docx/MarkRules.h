// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "Paragraph.h"
#include "RunSurgery.h"
#include "WordNames.h"

#include "text/ParagraphIndex.h"

#include <vector>

namespace quillsift::docx {

/// Which paragraph marks may go, as Word decides it: a mark that ends a table cell, that stands
/// between a field's start and its end, that carries a section break, or that a table needs
/// after it stays; and a paragraph joins the next only where nothing but markers stands
/// between them and the next one's properties carry nothing its mark would lose. Only reads the
/// paragraphs, their places and their XML.
class MarkRules
{
  public:
    MarkRules(const std::vector<Paragraph>& paragraphs, const text::ParagraphIndex& index, const WordNames& names,
              const RunSurgery& surgery);

    /// Whether the paragraph stays even when all its text is deleted.
    bool isPinned(std::size_t slot) const;
    /// Whether the paragraph's mark can go, joining it with the paragraph after it.
    bool canJoinNext(std::size_t slot) const;

  private:
    const std::vector<Paragraph>& m_paragraphs;
    const text::ParagraphIndex& m_index;
    const WordNames& m_names;
    const RunSurgery& m_surgery;
};

} // namespace quillsift::docx
