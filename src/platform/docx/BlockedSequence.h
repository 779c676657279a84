// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "text/FenwickTree.h"

#include <QtGlobal>

#include <algorithm>
#include <array>
#include <cstddef>
#include <iterator>
#include <utility>
#include <vector>

namespace quillsift::docx {

// The host's classes, which see this through Paragraph.h, name the trees without text::.
using text::FenwickTree;

/// The blocks of a long paragraph's text, word-unit ends or pieces, in order. Each block is a
/// container of the layer above (ParagraphText, UnitEnds, PieceList) and counts for a number in
/// each of Trees Fenwick trees: its characters, or its units and the length of its stretch of
/// text. The trees find the block holding an element or an offset, and what the blocks before it
/// count for, in a logarithm.
///
/// It owns the blocks, what each counts for (kept beside the trees, so reading one block's value
/// costs nothing), the trees, and the room: empty blocks before and after the blocks in use that
/// another sequence joining this one takes without moving the blocks in use. It may touch only
/// those; what lies inside a block is the layer's, which tells it by change() how a block it
/// edited counts now. The blocks in use, [firstBlock(), endBlock()), begin and end with a block
/// that counts for something, and room counts for nothing, so that a block emptied at either end
/// becomes room.
///
/// The layer promises that the values are never negative and that a block that counts for
/// nothing in every tree holds nothing.
template <typename Block, std::size_t Trees> class BlockedSequence
{
  public:
    using Values = std::array<qint64, Trees>;
    /// A block and what the blocks before it count for, tree by tree.
    struct Place {
        std::size_t block;
        Values before;
    };
    /// Blocks in order with what each counts for: what a layer cuts its elements into.
    struct Parts {
        std::vector<Block> blocks;
        std::vector<Values> values;

        void add(Block block, const Values& counts)
        {
            blocks.push_back(std::move(block));
            values.push_back(counts);
        }
    };

    BlockedSequence() = default;
    /// The parts as the blocks in use, without room.
    explicit BlockedSequence(Parts parts)
        : m_blocks(std::move(parts.blocks))
        , m_values(std::move(parts.values))
    {
        reindex();
        edited();
    }

    std::size_t firstBlock() const
    {
        return m_front;
    }
    std::size_t endBlock() const
    {
        return m_blocks.size() - m_back;
    }
    std::size_t blocksInUse() const
    {
        return endBlock() - firstBlock();
    }
    /// Every block, in use or room.
    std::size_t slotCount() const
    {
        return m_blocks.size();
    }
    const Block& block(std::size_t b) const
    {
        return m_blocks[b];
    }
    /// A block to edit; change() then tells how it counts.
    Block& block(std::size_t b)
    {
        return m_blocks[b];
    }
    qint64 total(std::size_t tree) const
    {
        return m_trees[tree].total();
    }
    qint64 value(std::size_t tree, std::size_t b) const
    {
        return m_values[b][tree];
    }
    /// What the blocks before b count for in one tree.
    qint64 prefix(std::size_t tree, std::size_t b) const
    {
        return m_trees[tree].prefix(b);
    }
    Place placeOf(std::size_t b) const
    {
        Place place{b, {}};
        for (std::size_t t = 0; t < Trees; ++t) {
            place.before[t] = m_trees[t].prefix(b);
        }
        return place;
    }

    /// The block that holds target (0 <= target) in tree: the first whose running total there
    /// exceeds it; endBlock() with the totals when the total does not. The place found last in
    /// each tree is kept, for a layer reads and edits near where it did last.
    Place locate(std::size_t tree, qint64 target) const
    {
        Cached& cached = m_cached[tree];
        if (cached.valid && target >= cached.place.before[tree] &&
            target < cached.place.before[tree] + m_values[cached.place.block][tree]) {
            return cached.place;
        }
        const std::size_t found = m_trees[tree].slotAfter(target);
        if (found >= endBlock()) {
            Place end{endBlock(), {}};
            for (std::size_t t = 0; t < Trees; ++t) {
                end.before[t] = m_trees[t].total();
            }
            return end;
        }
        cached = {true, placeOf(found)};
        return cached.place;
    }

    /// Calls visit(block, place) for the blocks in use from place on, in order, while it returns
    /// true.
    template <typename Visit> void visit(Place place, Visit&& each) const
    {
        for (std::size_t b = place.block; b < endBlock(); ++b) {
            if (!each(m_blocks[b], std::as_const(place))) {
                return;
            }
            for (std::size_t t = 0; t < Trees; ++t) {
                place.before[t] += m_values[b][t];
            }
            place.block = b + 1;
        }
    }
    /// The first block in use, with nothing before it.
    Place start() const
    {
        return {m_front, {}};
    }

    /// The first block in use after b that counts for something, or endBlock() (or b + 1, when
    /// that is endBlock() or beyond).
    std::size_t nextInUse(std::size_t b) const
    {
        if (b + 1 >= endBlock() || countsForSomething(m_values[b + 1])) {
            return b + 1;
        }
        // Past a stretch of emptied blocks: the first slot after b that counts in some tree.
        std::size_t next = endBlock();
        for (std::size_t t = 0; t < Trees; ++t) {
            next = std::min(next, m_trees[t].slotAfter(m_trees[t].prefix(b + 1)));
        }
        return next;
    }

    /// The layer edited block b, which now counts deltas more in each tree.
    void change(std::size_t b, const Values& deltas)
    {
        for (std::size_t t = 0; t < Trees; ++t) {
            if (deltas[t] != 0) {
                m_trees[t].add(b, deltas[t]);
                m_values[b][t] += deltas[t];
            }
        }
        edited();
    }

    /// The first block in use, making one of room, or a new one, in use when none is: where the
    /// first elements of an empty sequence go. The layer fills it and calls change().
    std::size_t openBlock()
    {
        if (blocksInUse() == 0) {
            if (m_back > 0) {
                --m_back;
            } else if (m_front > 0) {
                --m_front;
            } else {
                m_blocks.emplace_back();
                m_values.emplace_back();
                reindex();
            }
            invalidate();
        }
        return m_front;
    }

    /// Replaces the blocks in use [first, last] with parts: a block grown past its size cut in
    /// several, or blocks merged into one. Fewer parts than blocks are written over them in
    /// place, the rest left empty; more are inserted and the trees built again.
    void replace(std::size_t first, std::size_t last, Parts parts)
    {
        const std::size_t count = last + 1 - first;
        const std::size_t incoming = parts.blocks.size();
        if (incoming <= count) {
            auto set = [this](std::size_t b, Block block, const Values& counts) {
                m_blocks[b] = std::move(block);
                for (std::size_t t = 0; t < Trees; ++t) {
                    m_trees[t].add(b, counts[t] - m_values[b][t]);
                }
                m_values[b] = counts;
            };
            for (std::size_t i = 0; i < incoming; ++i) {
                set(first + i, std::move(parts.blocks[i]), parts.values[i]);
            }
            // The rest are emptied. Blocks emptied before are passed over, not visited: they
            // gather where edits merge blocks, and visiting them at every merge would make a
            // walk through a long paragraph cost the square of its blocks.
            std::size_t b = first + incoming;
            if (b <= last && !countsForSomething(m_values[b])) {
                b = nextInUse(b);
            }
            for (; b <= last; b = nextInUse(b)) {
                set(b, Block(), Values{});
            }
        } else {
            const auto at = std::ptrdiff_t(first);
            m_blocks.erase(m_blocks.begin() + at, m_blocks.begin() + at + std::ptrdiff_t(count));
            m_blocks.insert(m_blocks.begin() + at, std::make_move_iterator(parts.blocks.begin()),
                            std::make_move_iterator(parts.blocks.end()));
            m_values.erase(m_values.begin() + at, m_values.begin() + at + std::ptrdiff_t(count));
            m_values.insert(m_values.begin() + at, parts.values.begin(), parts.values.end());
            reindex();
        }
        edited();
    }

    /// Removes the stretch [from, to) of tree: calls cut(block, start, values) for each block
    /// that holds part of it, in order, with where the block began in that tree before the
    /// removal and what it counts for; cut takes the block's share out and returns how its
    /// counts changed. Blocks that count for nothing are passed over.
    template <typename Cut> void cut(std::size_t tree, qint64 from, qint64 to, Cut&& cut)
    {
        if (to <= from) {
            return;
        }
        std::size_t b = m_trees[tree].slotAfter(std::max<qint64>(from, 0));
        qint64 start = b < endBlock() ? m_trees[tree].prefix(b) : 0;
        while (b < endBlock() && start < to) {
            const Values counts = m_values[b];
            const Values deltas = cut(m_blocks[b], start, counts);
            for (std::size_t t = 0; t < Trees; ++t) {
                if (deltas[t] != 0) {
                    m_trees[t].add(b, deltas[t]);
                    m_values[b][t] += deltas[t];
                }
            }
            start += counts[tree];
            b = nextInUse(b);
        }
        edited();
    }

    /// Joins incoming blocks before (atFront) or after the blocks in use, passing over those
    /// that count for nothing. They go into the room there when it is enough; otherwise the
    /// blocks are laid out again with as much room at each end as there are then blocks in use,
    /// so that joining costs, amortised, the blocks that come in and not those already here.
    void join(Parts incoming, bool atFront)
    {
        Parts kept;
        for (std::size_t i = 0; i < incoming.blocks.size(); ++i) {
            if (countsForSomething(incoming.values[i])) {
                kept.add(std::move(incoming.blocks[i]), incoming.values[i]);
            }
        }
        const std::size_t count = kept.blocks.size();
        std::size_t& room = atFront ? m_front : m_back;
        if (room >= count) {
            const std::size_t at = atFront ? m_front - count : endBlock();
            for (std::size_t i = 0; i < count; ++i) {
                m_blocks[at + i] = std::move(kept.blocks[i]);
                m_values[at + i] = kept.values[i];
                for (std::size_t t = 0; t < Trees; ++t) {
                    m_trees[t].add(at + i, kept.values[i][t]);
                }
            }
            room -= count;
            invalidate();
            return;
        }
        const std::size_t inUse = blocksInUse() + count;
        Parts laidOut;
        laidOut.blocks.reserve(3 * inUse);
        laidOut.values.reserve(3 * inUse);
        laidOut.blocks.resize(inUse);
        laidOut.values.resize(inUse);
        auto place = [&laidOut](std::vector<Block>& blocks, std::vector<Values>& values, std::size_t first,
                                std::size_t end) {
            const auto from = std::ptrdiff_t(first);
            const auto to = std::ptrdiff_t(end);
            laidOut.blocks.insert(laidOut.blocks.end(), std::make_move_iterator(blocks.begin() + from),
                                  std::make_move_iterator(blocks.begin() + to));
            laidOut.values.insert(laidOut.values.end(), values.begin() + from, values.begin() + to);
        };
        if (atFront) {
            place(kept.blocks, kept.values, 0, count);
        }
        place(m_blocks, m_values, m_front, endBlock());
        if (!atFront) {
            place(kept.blocks, kept.values, 0, count);
        }
        laidOut.blocks.resize(laidOut.blocks.size() + inUse);
        laidOut.values.resize(laidOut.values.size() + inUse);
        m_blocks = std::move(laidOut.blocks);
        m_values = std::move(laidOut.values);
        m_front = inUse;
        m_back = inUse;
        reindex();
    }
    /// Joins other's blocks in use, as join() does; other is left empty.
    void join(BlockedSequence&& other, bool atFront)
    {
        Parts incoming;
        for (std::size_t b = other.m_front; b < other.endBlock(); ++b) {
            incoming.add(std::move(other.m_blocks[b]), other.m_values[b]);
        }
        other = BlockedSequence();
        join(std::move(incoming), atFront);
    }

  private:
    struct Cached {
        bool valid = false;
        Place place{0, {}};
    };

    static bool countsForSomething(const Values& counts)
    {
        return std::any_of(counts.begin(), counts.end(), [](qint64 count) { return count != 0; });
    }
    /// The first block in use after b that counts for something, or endBlock().
    void invalidate()
    {
        m_cached.fill(Cached{});
    }
    /// After an edit: blocks at either end of those in use that count for nothing become room.
    void edited()
    {
        invalidate();
        while (m_front < endBlock() && !countsForSomething(m_values[m_front])) {
            m_blocks[m_front++] = Block();
        }
        while (endBlock() > m_front && !countsForSomething(m_values[endBlock() - 1])) {
            m_blocks[endBlock() - 1] = Block();
            ++m_back;
        }
    }
    /// Builds the trees from the blocks' values, in time linear in the blocks.
    void reindex()
    {
        std::vector<qint64> column(m_values.size());
        for (std::size_t t = 0; t < Trees; ++t) {
            for (std::size_t b = 0; b < m_values.size(); ++b) {
                column[b] = m_values[b][t];
            }
            m_trees[t] = FenwickTree(column);
        }
        invalidate();
    }

    std::vector<Block> m_blocks;
    /// What each block counts for in each tree.
    std::vector<Values> m_values;
    std::array<FenwickTree, Trees> m_trees;
    /// The room: empty blocks before and after those in use.
    std::size_t m_front = 0;
    std::size_t m_back = 0;
    mutable std::array<Cached, Trees> m_cached{};
};

} // namespace quillsift::docx
