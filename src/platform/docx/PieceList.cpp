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
