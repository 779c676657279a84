// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "FieldNesting.h"
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

    /// Sets the paragraph's text and pieces from its element, starting from the field nesting
    /// at its start. fields receives the nesting at the paragraph's end.
    /// A w:t longer than maxTextBytes is first split into several in the same run, so that an
    /// edit inside it rewrites a bounded amount of XML; a w:t whose spaces are not preserved loses
    /// the white space at its ends, as Word shows it.
    void read(Paragraph& paragraph, FieldNesting& fields) const;

    static constexpr std::size_t maxTextBytes = 2048;

  private:
    void readChildren(pugi::xml_node node, PieceList& pieces, FieldNesting& fields) const;
    void readRun(pugi::xml_node run, PieceList& pieces, FieldNesting& fields) const;
    void addCharacter(PieceList& pieces, pugi::xml_node node, char16_t character) const;
    void split(pugi::xml_node text, const char* value, std::size_t bytes) const;

    const WordNames& m_names;
    /// The text being read, reused from paragraph to paragraph.
    mutable ParagraphText::Builder m_text;
};

} // namespace quillsift::docx
