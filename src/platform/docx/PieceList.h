// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "OffsetGapBuffer.h"

#include <QtGlobal>

#include <pugixml.hpp>

#include <algorithm>
#include <utility>
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
    template <typename Change> void removeText(qint64 from, qint64 to, Change change)
    {
        m_pieces.moveGap(firstEndingFrom(from + 1));
        // The pieces the deletion touches cross the gap one by one; those that stay are put before
        // it with their new offsets, which the deletion, lying after them, does not change.
        while (m_pieces.gap() < size()) {
            Piece piece = m_pieces[m_pieces.gap()];
            if (piece.offset >= to) {
                break;
            }
            m_pieces.dropAfterGap(1);
            const qint64 first = std::max<qint64>(from, piece.offset) - piece.offset;
            const qint64 last = std::min<qint64>(to, piece.offset + piece.length) - piece.offset;
            if (change(std::as_const(piece), first, last)) {
                piece.length = quint32(piece.length - (last - first));
                piece.offset = quint32(std::min<qint64>(piece.offset, from));
                m_pieces.insertBeforeGap(piece);
            }
        }
        m_pieces.setTextLength(m_pieces.textLength() - (to - from));
    }
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
