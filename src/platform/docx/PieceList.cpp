// SPDX-License-Identifier: GPL-3.0-or-later
#include "PieceList.h"

#include <algorithm>

namespace quillsift::docx {

std::vector<Piece> PieceList::toVector() const
{
    std::vector<Piece> pieces;
    pieces.reserve(size());
    for (std::size_t i = 0; i < size(); ++i) {
        pieces.push_back((*this)[i]);
    }
    return pieces;
}

void PieceList::clear()
{
    m_pieces = {};
}

void PieceList::append(const Piece& piece)
{
    m_pieces.moveGap(size());
    m_pieces.insertBeforeGap(piece);
}

void PieceList::setTextLength(qint64 length)
{
    m_pieces.moveGap(size());
    m_pieces.setTextLength(length);
}

void PieceList::removeText(qint64 from, qint64 to, const std::function<bool(const Piece&, qint64, qint64)>& change)
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
        if (change(piece, first, last)) {
            piece.length = quint32(piece.length - (last - first));
            piece.offset = quint32(std::min<qint64>(piece.offset, from));
            m_pieces.insertBeforeGap(piece);
        }
    }
    m_pieces.setTextLength(m_pieces.textLength() - (to - from));
}

std::size_t PieceList::firstEndingFrom(qint64 offset) const
{
    std::size_t low = 0;
    std::size_t high = size();
    while (low < high) {
        const std::size_t middle = low + (high - low) / 2;
        const Piece piece = (*this)[middle];
        if (qint64(piece.offset) + piece.length < offset) {
            low = middle + 1;
        } else {
            high = middle;
        }
    }
    return low;
}

void PieceList::growPiece(std::size_t index, qint64 length)
{
    m_pieces.moveGap(index);
    Piece piece = m_pieces[index];
    m_pieces.dropAfterGap(1);
    m_pieces.setTextLength(m_pieces.textLength() + length);
    piece.length = quint32(piece.length + length);
    m_pieces.insertBeforeGap(piece);
}

} // namespace quillsift::docx
