// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "OffsetGapBuffer.h"

#include <QtGlobal>

#include <pugixml.hpp>

#include <functional>
#include <vector>

namespace quillsift::docx {

/// Where a stretch of a paragraph's text lives in the XML: a w:t element (its characters one for
/// one) or an element that stands for a single character (a tab, a break, a picture...).
struct Piece {
    quint32 offset = 0;
    quint32 length = 0;
    pugi::xml_node node;
    bool isText = false;
};

/// A paragraph's pieces in text order, as a gap buffer, so that deleting text moves every later
/// piece without touching it. Deletions walking forward through a paragraph of many runs thus
/// cost the pieces they touch, not all that follow.
class PieceList
{
  public:
    std::size_t size() const
    {
        return m_pieces.size();
    }
    bool empty() const
    {
        return size() == 0;
    }
    /// The index-th piece, with its offset in the text.
    Piece operator[](std::size_t index) const
    {
        return m_pieces[index];
    }
    std::vector<Piece> toVector() const;

    /// Building, in text order: appends a piece, then sets the text's length once all are in.
    void clear();
    void append(const Piece& piece);
    void setTextLength(qint64 length);

    /// Deletes the text [from, to): calls change with each piece that overlaps it and the stretch
    /// [low, high) of the piece that goes, in text order; change returns whether the piece stays.
    /// The pieces after the deletion move back by its length.
    void removeText(qint64 from, qint64 to, const std::function<bool(const Piece&, qint64, qint64)>& change);
    /// The index of the first piece that ends at or after offset; size() when there is none.
    std::size_t firstEndingFrom(qint64 offset) const;
    /// Text of length characters went into piece index (a w:t) at its end or inside it: the
    /// piece grows and the pieces after it move on.
    void growPiece(std::size_t index, qint64 length);

  private:
    static quint32& offsetOf(Piece& piece)
    {
        return piece.offset;
    }

    OffsetGapBuffer<Piece, &PieceList::offsetOf> m_pieces;
};

} // namespace quillsift::docx
