// SPDX-License-Identifier: GPL-3.0-or-later
#include "PieceList.h"

#include <algorithm>

namespace quillsift::docx {

Piece PieceList::operator[](std::size_t index) const
{
    if (!m_blocks) {
        return m_pieces[index];
    }
    const auto place = m_blocks->locate(counts, qint64(index));
    Piece piece = m_blocks->block(place.block)[index - std::size_t(place.before[counts])];
    piece.offset = quint32(place.before[spans] + piece.offset);
    return piece;
}

std::vector<Piece> PieceList::toVector() const
{
    if (!m_blocks) {
        return m_pieces;
    }
    std::vector<Piece> pieces;
    pieces.reserve(size());
    m_blocks->visit(m_blocks->start(), [&pieces](const std::vector<Piece>& block, const Blocks::Place& place) {
        for (Piece piece : block) {
            piece.offset = quint32(place.before[spans] + piece.offset);
            pieces.push_back(piece);
        }
        return true;
    });
    return pieces;
}

void PieceList::clear()
{
    m_pieces = {};
    m_blocks.reset();
}

void PieceList::append(const Piece& piece)
{
    m_pieces.push_back(piece);
}

void PieceList::setTextLength(qint64 length)
{
    if (m_pieces.size() > maxBlockPieces) {
        split(length);
    }
}

PieceList::Blocks::Parts PieceList::cut(const std::vector<Piece>& pieces, qint64 textLength)
{
    Blocks::Parts parts;
    if (pieces.empty()) {
        if (textLength > 0) {
            parts.add({}, {textLength, 0});
        }
        return parts;
    }
    qint64 base = 0;
    for (std::size_t from = 0; from < pieces.size(); from += blockPieces) {
        const std::size_t to = std::min(pieces.size(), from + blockPieces);
        // A block's stretch runs to where the next block's first piece begins, the last one's to
        // the end of the text.
        const qint64 end = to < pieces.size() ? qint64(pieces[to].offset) : std::max<qint64>(textLength, base);
        std::vector<Piece> block(pieces.begin() + std::ptrdiff_t(from), pieces.begin() + std::ptrdiff_t(to));
        for (Piece& piece : block) {
            piece.offset = quint32(qint64(piece.offset) - base);
        }
        parts.add(std::move(block), {end - base, qint64(to - from)});
        base = end;
    }
    return parts;
}

void PieceList::split(qint64 textLength)
{
    m_blocks = std::make_unique<Blocks>(cut(m_pieces, textLength));
    m_pieces = {};
}

PieceList PieceList::joined(PieceList&& front, qint64 frontLength, PieceList&& back, qint64 backLength)
{
    if (!front.m_blocks && !back.m_blocks) {
        PieceList all = std::move(front);
        for (Piece piece : back.m_pieces) {
            piece.offset = quint32(piece.offset + frontLength);
            all.m_pieces.push_back(piece);
        }
        all.setTextLength(frontLength + backLength);
        return all;
    }
    const bool keepFront = front.size() >= back.size();
    PieceList& kept = keepFront ? front : back;
    PieceList& other = keepFront ? back : front;
    const qint64 otherLength = keepFront ? backLength : frontLength;
    if (!kept.m_blocks) {
        kept.split(keepFront ? frontLength : backLength);
    }
    // The other's blocks count their pieces from where their stretches begin, so they move in as
    // they are when their stretches make up its text.
    if (other.m_blocks && other.m_blocks->total(spans) == otherLength) {
        kept.m_blocks->join(std::move(*other.m_blocks), !keepFront);
    } else {
        kept.m_blocks->join(cut(other.toVector(), otherLength), !keepFront);
    }
    return std::move(kept);
}

std::size_t PieceList::firstEndingFrom(qint64 offset) const
{
    auto endsFrom = [offset](const std::vector<Piece>& pieces, qint64 base) {
        return std::size_t(
            std::partition_point(pieces.begin(), pieces.end(),
                                 [&](const Piece& piece) { return base + piece.offset + piece.length < offset; }) -
            pieces.begin());
    };
    if (!m_blocks) {
        return endsFrom(m_pieces, 0);
    }
    if (offset <= 0) {
        return 0;
    }
    // Every piece of the blocks before the one whose stretch holds character offset - 1 ends at
    // or before that stretch begins.
    const auto place = m_blocks->locate(spans, offset - 1);
    if (place.block >= m_blocks->endBlock()) {
        return size();
    }
    return std::size_t(place.before[counts]) + endsFrom(m_blocks->block(place.block), place.before[spans]);
}

void PieceList::growPiece(std::size_t index, qint64 length)
{
    // The piece grows, and those after it in its vector move on.
    auto grow = [length](std::vector<Piece>& pieces, std::size_t at) {
        pieces[at].length = quint32(pieces[at].length + length);
        for (std::size_t i = at + 1; i < pieces.size(); ++i) {
            pieces[i].offset = quint32(pieces[i].offset + length);
        }
    };
    if (!m_blocks) {
        grow(m_pieces, index);
        return;
    }
    const auto place = m_blocks->locate(counts, qint64(index));
    grow(m_blocks->block(place.block), index - std::size_t(place.before[counts]));
    m_blocks->change(place.block, {length, 0});
}

} // namespace quillsift::docx
