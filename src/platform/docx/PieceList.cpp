// SPDX-License-Identifier: GPL-3.0-or-later
#include "PieceList.h"

#include <algorithm>

namespace quillsift::docx {

Piece PieceList::operator[](std::size_t index) const
{
    if (index < m_gapStart) {
        return m_data[index];
    }
    Piece piece = m_data[index + (m_gapEnd - m_gapStart)];
    piece.offset = quint32(m_length - piece.offset);
    return piece;
}

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
    m_data.clear();
    m_gapStart = 0;
    m_gapEnd = 0;
    m_length = 0;
}

void PieceList::append(const Piece& piece)
{
    moveGap(size());
    m_data.insert(m_data.begin() + std::ptrdiff_t(m_gapStart), piece);
    ++m_gapStart;
    ++m_gapEnd;
}

void PieceList::setTextLength(qint64 length)
{
    moveGap(size());
    m_length = length;
}

void PieceList::moveGap(std::size_t index)
{
    // Crossing the gap converts an offset between its two forms: from the start and from the end.
    while (m_gapStart > index) {
        --m_gapStart;
        --m_gapEnd;
        m_data[m_gapEnd] = m_data[m_gapStart];
        m_data[m_gapEnd].offset = quint32(m_length - m_data[m_gapStart].offset);
    }
    while (m_gapStart < index) {
        m_data[m_gapStart] = m_data[m_gapEnd];
        m_data[m_gapStart].offset = quint32(m_length - m_data[m_gapEnd].offset);
        ++m_gapStart;
        ++m_gapEnd;
    }
}

void PieceList::removeText(qint64 from, qint64 to, const std::function<bool(const Piece&, qint64, qint64)>& change)
{
    // The first piece that ends after from.
    std::size_t low = 0;
    std::size_t high = size();
    while (low < high) {
        const std::size_t middle = low + (high - low) / 2;
        const Piece piece = (*this)[middle];
        if (piece.offset + piece.length <= from) {
            low = middle + 1;
        } else {
            high = middle;
        }
    }
    moveGap(low);
    // The pieces the deletion touches cross the gap one by one; those that stay are written
    // before it with their new offsets, which the deletion, lying after them, does not change.
    while (m_gapEnd < m_data.size()) {
        Piece piece = m_data[m_gapEnd];
        piece.offset = quint32(m_length - piece.offset);
        if (piece.offset >= to) {
            break;
        }
        ++m_gapEnd;
        const qint64 first = std::max<qint64>(from, piece.offset) - piece.offset;
        const qint64 last = std::min<qint64>(to, piece.offset + piece.length) - piece.offset;
        if (change(piece, first, last)) {
            piece.length = quint32(piece.length - (last - first));
            piece.offset = quint32(std::min<qint64>(piece.offset, from));
            m_data[m_gapStart++] = piece;
        }
    }
    m_length -= to - from;
}

} // namespace quillsift::docx
