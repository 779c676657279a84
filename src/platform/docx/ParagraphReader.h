// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "Paragraph.h"
#include "WordNames.h"

namespace quillsift::docx {

/// Reads a w:p into its story text: runs in order, descending into hyperlinks, insertions, smart
/// tags, content controls and simple fields; leaving out deleted text, field instructions and
/// everything that is not a character of the text.
class ParagraphReader
{
  public:
    explicit ParagraphReader(const WordNames& names);

    /// Fills paragraph.text and paragraph.pieces from paragraph.node, starting from the field
    /// nesting in paragraph.fieldsAtStart. fields receives the nesting at the paragraph's end.
    void read(Paragraph& paragraph, std::vector<bool>& fields) const;

  private:
    void readChildren(pugi::xml_node node, Paragraph& paragraph, std::vector<bool>& fields) const;
    void readRun(pugi::xml_node run, Paragraph& paragraph, std::vector<bool>& fields) const;
    void addCharacter(Paragraph& paragraph, pugi::xml_node node, char16_t character) const;

    const WordNames& m_names;
};

} // namespace quillsift::docx
