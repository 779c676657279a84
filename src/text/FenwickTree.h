// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QtGlobal>

#include <vector>

namespace quillsift::text {

/// Prefix sums over a fixed number of slots with O(log n) update and search. The story keeps one
/// per quantity (characters, live paragraphs, word units) with one slot per paragraph, so a
/// position, a paragraph and an ordinal convert into each other without touching the rest.
class FenwickTree
{
  public:
    FenwickTree() = default;
    /// Builds the tree over values in O(n).
    explicit FenwickTree(const std::vector<qint64>& values);
    /// Builds the tree over values again, in the memory it has where that is enough.
    void assign(const std::vector<qint64>& values);

    std::size_t size() const
    {
        return m_tree.size();
    }
    qint64 total() const
    {
        return m_total;
    }
    void add(std::size_t slot, qint64 delta);
    /// The sum of the first count slots.
    qint64 prefix(std::size_t count) const;
    /// The value of one slot: its node less the nodes below it, as many as the slot's binary form
    /// ends in ones (one on average).
    qint64 value(std::size_t slot) const;
    /// The first slot whose running sum exceeds target, or size() when the total does not.
    std::size_t slotAfter(qint64 target) const;

  private:
    std::vector<qint64> m_tree;
    qint64 m_total = 0;
};

} // namespace quillsift::text
