// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "BlockedSequence.h"

#include <QtGlobal>

#include <pugixml.hpp>

#include <algorithm>
#include <memory>
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

/// A paragraph's pieces in text order. Up to maxBlockPieces of them are one vector; more are kept
/// in blocks of about blockPieces pieces, each holding its pieces' offsets from where the block's
/// stretch of text begins, with the stretches' lengths and the blocks' sizes in Fenwick trees.
/// Deleting text then changes the stretches it touches and the pieces in them only, and costs a
/// block and a logarithm wherever it lies in a paragraph of many runs.
///
/// It owns the vector, or the blocked sequence whose blocks hold pieces with relative offsets and
/// whose trees count each block's stretch and pieces; it edits the pieces inside blocks, tells
/// the sequence how each changed, and hands the pieces a deletion touches to its caller.
class PieceList
{
  public:
    PieceList() = default;

    std::size_t size() const
    {
        return m_blocks ? std::size_t(m_blocks->total(counts)) : m_pieces.size();
    }
    bool empty() const
    {
        return size() == 0;
    }
    /// The index-th piece, with its offset in the text.
    Piece operator[](std::size_t index) const;
    std::vector<Piece> toVector() const;

    /// Building, in text order, after clear(): appends a piece, then sets the text's length once
    /// all are in.
    void clear();
    void append(const Piece& piece);
    void setTextLength(qint64 length);

    /// Deletes the text [from, to): calls change with each piece that overlaps it and the stretch
    /// [low, high) of the piece that goes, in text order; change returns whether the piece stays.
    /// The pieces after the deletion move back by its length.
    template <typename Change> void removeText(qint64 from, qint64 to, Change change)
    {
        if (to <= from) {
            return;
        }
        if (!m_blocks) {
            removeFrom(m_pieces, 0, from, to, change);
            return;
        }
        // Each block whose stretch of text the deletion touches loses its share of it; the
        // blocks after them move with their stretches.
        m_blocks->cut(spans, from, to, [&](std::vector<Piece>& pieces, qint64 base, const Blocks::Values& values) {
            const qint64 removed = std::max<qint64>(0, std::min(to, base + values[spans]) - std::max(from, base));
            const auto before = qint64(pieces.size());
            removeFrom(pieces, base, from, to, change);
            return Blocks::Values{-removed, qint64(pieces.size()) - before};
        });
    }
    /// The index of the first piece that ends at or after offset; size() when there is none.
    std::size_t firstEndingFrom(qint64 offset) const;
    /// Text of length characters went into piece index (a w:t) at its end or inside it: the
    /// piece grows and the pieces after it move on.
    void growPiece(std::size_t index, qint64 length);

    /// front's pieces, in a text of frontLength characters, followed by back's: the more numerous
    /// stay where they are and the others join them, so this costs the fewer pieces, amortised.
    static PieceList joined(PieceList&& front, qint64 frontLength, PieceList&& back, qint64 backLength);

    static constexpr std::size_t blockPieces = 32;
    static constexpr std::size_t maxBlockPieces = 4 * blockPieces;

  private:
    using Blocks = BlockedSequence<std::vector<Piece>, 2>;
    /// The trees of the blocks: the lengths of their stretches of text, and their pieces.
    static constexpr std::size_t spans = 0;
    static constexpr std::size_t counts = 1;

    /// Deletes [from, to) from pieces whose offsets count from base, as removeText() does.
    template <typename Change>
    static void removeFrom(std::vector<Piece>& pieces, qint64 base, qint64 from, qint64 to, Change& change)
    {
        // Where the stretch of these pieces begins once the deletion is done.
        const qint64 newBase = base - std::max<qint64>(0, std::min(to, base) - from);
        // The pieces that end before the deletion stay as they are (their stretch begins where
        // it did, for none of the deletion lies before them).
        const auto untouched = std::partition_point(pieces.begin(), pieces.end(), [&](const Piece& piece) {
            return base + piece.offset + piece.length <= from;
        });
        std::size_t kept = std::size_t(untouched - pieces.begin());
        std::size_t i = kept;
        for (; i < pieces.size(); ++i) {
            Piece piece = pieces[i];
            const qint64 start = base + piece.offset;
            if (start >= to) {
                break;
            }
            const qint64 end = start + piece.length;
            Piece absolute = piece;
            absolute.offset = quint32(start);
            const qint64 low = std::max(from, start) - start;
            const qint64 high = std::min(to, end) - start;
            if (change(std::as_const(absolute), low, high)) {
                piece.length = quint32(piece.length - (high - low));
                piece.offset = quint32(std::min(start, from) - newBase);
                pieces[kept++] = piece;
            }
        }
        // The pieces after the deletion move back by it.
        const qint64 shift = base - (to - from) - newBase;
        for (; i < pieces.size(); ++i) {
            Piece piece = pieces[i];
            piece.offset = quint32(qint64(piece.offset) + shift);
            pieces[kept++] = piece;
        }
        pieces.resize(kept);
    }
    /// Cuts the pieces, in a text of textLength characters, into blocks.
    void split(qint64 textLength);
    /// Cuts pieces (offsets in a text of textLength characters) into blocks of blockPieces, each
    /// counted from where its stretch begins; a text without pieces is one empty block whose
    /// stretch is the text.
    static Blocks::Parts cut(const std::vector<Piece>& pieces, qint64 textLength);

    std::vector<Piece> m_pieces;
    std::unique_ptr<Blocks> m_blocks;
};

} // namespace quillsift::docx
