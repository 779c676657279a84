// SPDX-License-Identifier: GPL-3.0-or-later
#include "PieceList.h"

#include "BlockRoom.h"

#include <algorithm>

namespace quillsift::docx {

Piece PieceList::operator[](std::size_t index) const
{
    if (!m_blocks) {
        return m_pieces[index];
    }
    const Place place = locate(index);
    Piece piece = m_blocks->pieces[place.block][index - place.first];
    piece.offset = quint32(place.base + piece.offset);
    return piece;
}

PieceList::Place PieceList::locate(std::size_t index) const
{
    const Blocks& blocks = *m_blocks;
    const std::size_t found = blocks.counts.slotAfter(qint64(index));
    return {found, std::size_t(blocks.counts.prefix(found)), blocks.spans.prefix(found)};
}

std::vector<Piece> PieceList::toVector() const
{
    if (!m_blocks) {
        return m_pieces;
    }
    std::vector<Piece> pieces;
    pieces.reserve(size());
    qint64 base = 0;
    for (std::size_t b = 0; b < m_blocks->pieces.size(); ++b) {
        for (Piece piece : m_blocks->pieces[b]) {
            piece.offset = quint32(base + piece.offset);
            pieces.push_back(piece);
        }
        base = m_blocks->spans.prefix(b + 1);
    }
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

void PieceList::cut(const std::vector<Piece>& pieces, qint64 textLength, std::vector<std::vector<Piece>>& blocks,
                    std::vector<qint64>& spans, std::vector<qint64>& counts)
{
    if (pieces.empty()) {
        if (textLength > 0) {
            blocks.emplace_back();
            spans.push_back(textLength);
            counts.push_back(0);
        }
        return;
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
        spans.push_back(end - base);
        counts.push_back(qint64(block.size()));
        blocks.push_back(std::move(block));
        base = end;
    }
}

void PieceList::split(qint64 textLength)
{
    auto blocks = std::make_unique<Blocks>();
    std::vector<qint64> spans;
    std::vector<qint64> counts;
    cut(m_pieces, textLength, blocks->pieces, spans, counts);
    blocks->spans = FenwickTree(spans);
    blocks->counts = FenwickTree(counts);
    m_blocks = std::move(blocks);
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
    if (!kept.m_blocks) {
        kept.split(keepFront ? frontLength : backLength);
    }
    const PieceList& other = keepFront ? back : front;
    std::vector<std::vector<Piece>> incoming;
    std::array<std::vector<qint64>, 2> values;
    cut(other.toVector(), keepFront ? backLength : frontLength, incoming, values[0], values[1]);
    joinBlocks(kept.m_blocks->pieces, std::array{&kept.m_blocks->spans, &kept.m_blocks->counts}, std::move(incoming),
               values, !keepFront);
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
    const Blocks& blocks = *m_blocks;
    const std::size_t found = blocks.spans.slotAfter(offset - 1);
    if (found >= blocks.pieces.size()) {
        return size();
    }
    return std::size_t(blocks.counts.prefix(found)) + endsFrom(blocks.pieces[found], blocks.spans.prefix(found));
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
    const Place place = locate(index);
    grow(m_blocks->pieces[place.block], index - place.first);
    m_blocks->spans.add(place.block, length);
}

} // namespace quillsift::docx
