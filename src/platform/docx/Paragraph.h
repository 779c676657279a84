// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "FieldNesting.h"
#include "ParagraphText.h"
#include "PieceList.h"
#include "UnitEnds.h"
#include "WordPositions.h"

#include <QString>

#include <pugixml.hpp>

#include <memory>
#include <span>
#include <vector>

namespace quillsift::docx {

/// One paragraph of the main story: its element, its text with the pieces of XML each stretch
/// of it lives in, its word units and word positions once they are needed, and its place in the
/// original order. Every edit goes through a method that keeps the text, the pieces and the word
/// positions in step; the XML itself is the caller's to change. Owns all of that and nothing
/// outside it.
class Paragraph
{
  public:
    Paragraph() = default;
    Paragraph(pugi::xml_node node, bool cellEnd, quint32 number)
        : m_node(node)
        , m_number(number)
        , m_cellEnd(cellEnd)
    {
    }
    Paragraph(Paragraph&&) noexcept = default;
    Paragraph& operator=(Paragraph&&) noexcept = default;

    pugi::xml_node node() const
    {
        return m_node;
    }
    /// The text including the paragraph mark, and the end-of-cell mark when it ends a cell.
    const ParagraphText& text() const
    {
        return m_text;
    }
    qint64 length() const
    {
        return m_text.size();
    }
    const PieceList& pieces() const
    {
        return m_pieces;
    }
    /// The word units' end offsets; empty until first needed.
    const UnitEnds& unitEnds() const
    {
        return m_unitEnds;
    }
    /// Where its words stand, once a search has covered a long stretch of it (null before).
    WordPositions* positions() const
    {
        return m_positions.get();
    }
    /// The complex-field nesting at the paragraph's start (true: in a field's result).
    const FieldNesting& fieldsAtStart() const
    {
        return m_fieldsAtStart;
    }
    /// Its place in the document's original order, as the log of deletions counts it. A paragraph
    /// joined with the one after it keeps the first one's number in whichever slot it lives on.
    quint32 number() const
    {
        return m_number;
    }
    bool cellEnd() const
    {
        return m_cellEnd;
    }
    bool isAlive() const
    {
        return m_alive;
    }
    /// Whether a field begins here and ends in another paragraph (or the other way round).
    bool splitsField() const
    {
        return m_splitsField;
    }
    int markLength() const
    {
        return m_cellEnd ? 2 : 1;
    }

    /// Takes what a reading of its element found; its word positions go.
    void setContent(ParagraphText text, PieceList pieces, bool splitsField)
    {
        m_text = std::move(text);
        m_pieces = std::move(pieces);
        m_splitsField = splitsField;
        m_positions.reset();
    }
    void setFieldsAtStart(FieldNesting fields)
    {
        m_fieldsAtStart = std::move(fields);
    }
    /// Deletes the characters [from, to): change is called as PieceList::removeText calls it.
    template <typename Change> void removeText(qint64 from, qint64 to, Change change)
    {
        m_pieces.removeText(from, to, change);
        if (m_positions) {
            m_positions->characters.remove(from, to);
        }
        m_text.remove(from, to - from);
    }
    /// Inserts text at offset, inside the text piece index, which grows by it.
    void insertIntoPiece(std::size_t index, qint64 offset, QStringView text)
    {
        m_pieces.growPiece(index, text.size());
        m_text.insert(offset, text);
        m_positions.reset();
    }

    void setUnitEnds(UnitEnds ends)
    {
        m_unitEnds = std::move(ends);
    }
    /// Replaces the units [first, last) after an edit, as UnitEnds::splice does for the text as
    /// it now stands.
    void spliceUnits(std::size_t first, std::size_t last, std::span<const quint32> ends)
    {
        m_unitEnds.splice(first, last, ends, m_text.size());
    }
    /// Starts the word positions, for a text of the paragraph's length.
    WordPositions& startPositions()
    {
        m_positions = std::make_unique<WordPositions>(m_text.size());
        return *m_positions;
    }

    /// The paragraph's element is gone: it counts for nothing from now on.
    void retire()
    {
        *this = Paragraph();
        m_alive = false;
    }
    /// first's text followed by second's, in the element and with the properties of the longer
    /// one, joined at the cost of the shorter one (amortised). first's mark is still in the text.
    /// The units are joined when withUnits (both must have theirs), else left to be segmented.
    static Paragraph joined(Paragraph&& first, Paragraph&& second, bool keepFirst, bool withUnits);

  private:
    pugi::xml_node m_node;
    ParagraphText m_text;
    PieceList m_pieces;
    FieldNesting m_fieldsAtStart;
    UnitEnds m_unitEnds;
    std::unique_ptr<WordPositions> m_positions;
    quint32 m_number = 0;
    bool m_cellEnd = false;
    bool m_alive = true;
    bool m_splitsField = false;
};

inline Paragraph Paragraph::joined(Paragraph&& first, Paragraph&& second, bool keepFirst, bool withUnits)
{
    const qint64 firstLength = first.length();
    const qint64 secondLength = second.length();
    Paragraph joined(keepFirst ? first.m_node : second.m_node, second.m_cellEnd, first.m_number);
    joined.m_text = ParagraphText::joined(std::move(first.m_text), std::move(second.m_text));
    joined.m_pieces =
        PieceList::joined(std::move(first.m_pieces), firstLength, std::move(second.m_pieces), secondLength);
    if (withUnits) {
        joined.m_unitEnds = UnitEnds::joined(std::move(first.m_unitEnds), std::move(second.m_unitEnds));
    }
    joined.m_fieldsAtStart = std::move(first.m_fieldsAtStart);
    // Neither paragraph's mark may go while the first one splits a field, so the second one's
    // text reads the same after the first's as by itself, and the two split what it splits.
    joined.m_splitsField = second.m_splitsField;
    return joined;
}

} // namespace quillsift::docx
