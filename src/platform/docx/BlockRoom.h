// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "text/FenwickTree.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <vector>

namespace quillsift::docx {

using text::FenwickTree;

/// A paragraph's text, word-unit ends and pieces are kept, when long, in blocks whose sizes lie in
/// Fenwick trees. Blocks that hold nothing at either end of such a list are room: another
/// paragraph's blocks, joining it, go there without moving the blocks in use.

/// The blocks in use: from the first to the last block that counts for anything in any tree.
/// last < first when none does.
struct UsedBlocks {
    std::ptrdiff_t first = 0;
    std::ptrdiff_t last = -1;
};

template <typename Tree, std::size_t Trees>
UsedBlocks usedBlocks(const std::array<Tree*, Trees>& trees, std::size_t blockCount)
{
    UsedBlocks used{std::ptrdiff_t(blockCount), -1};
    for (const FenwickTree* tree : trees) {
        if (tree->total() > 0) {
            used.first = std::min(used.first, std::ptrdiff_t(tree->slotAfter(0)));
            used.last = std::max(used.last, std::ptrdiff_t(tree->slotAfter(tree->total() - 1)));
        }
    }
    return used.last < used.first ? UsedBlocks{} : used;
}

/// Adds incoming blocks before (atFront) or after the blocks in use; values[t][i] is what incoming
/// block i counts for in trees[t]. Blocks that fit in the room there take it. Otherwise the list is
/// laid out again with as much room at each end as it then has blocks in use, so that joining
/// costs, amortised, the blocks that come in and not those already there.
template <typename Block, std::size_t Trees>
void joinBlocks(std::vector<Block>& blocks, const std::array<FenwickTree*, Trees>& trees, std::vector<Block>&& incoming,
                const std::array<std::vector<qint64>, Trees>& values, bool atFront)
{
    const UsedBlocks used = usedBlocks(trees, blocks.size());
    const auto count = std::ptrdiff_t(incoming.size());
    const std::ptrdiff_t room = atFront ? used.first : std::ptrdiff_t(blocks.size()) - 1 - used.last;
    if (room >= count) {
        const std::ptrdiff_t at = atFront ? used.first - count : used.last + 1;
        for (std::ptrdiff_t i = 0; i < count; ++i) {
            blocks[std::size_t(at + i)] = std::move(incoming[std::size_t(i)]);
            for (std::size_t t = 0; t < Trees; ++t) {
                trees[t]->add(std::size_t(at + i), values[t][std::size_t(i)]);
            }
        }
        return;
    }
    const std::ptrdiff_t inUse = used.last + 1 - used.first + count;
    std::vector<Block> laidOut;
    laidOut.reserve(3 * std::size_t(inUse));
    laidOut.resize(std::size_t(inUse));
    std::array<std::vector<qint64>, Trees> sums;
    for (auto& sum : sums) {
        sum.assign(std::size_t(inUse), 0);
    }
    // Moves source's blocks [first, end) into the new layout with what each counts for.
    auto place = [&](std::vector<Block>& source, std::ptrdiff_t first, std::ptrdiff_t end, auto valueOf) {
        for (std::ptrdiff_t i = first; i < end; ++i) {
            laidOut.push_back(std::move(source[std::size_t(i)]));
            for (std::size_t t = 0; t < Trees; ++t) {
                sums[t].push_back(valueOf(t, std::size_t(i)));
            }
        }
    };
    auto incomingValue = [&](std::size_t t, std::size_t i) { return values[t][i]; };
    auto usedValue = [&](std::size_t t, std::size_t b) { return trees[t]->value(b); };
    if (atFront) {
        place(incoming, 0, count, incomingValue);
    }
    place(blocks, used.first, used.last + 1, usedValue);
    if (!atFront) {
        place(incoming, 0, count, incomingValue);
    }
    laidOut.resize(laidOut.size() + std::size_t(inUse));
    for (std::size_t t = 0; t < Trees; ++t) {
        sums[t].resize(laidOut.size(), 0);
        *trees[t] = FenwickTree(sums[t]);
    }
    blocks = std::move(laidOut);
}

} // namespace quillsift::docx
