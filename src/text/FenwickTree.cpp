// SPDX-License-Identifier: GPL-3.0-or-later
#include "FenwickTree.h"

namespace quillsift::text {

FenwickTree::FenwickTree(const std::vector<qint64>& values)
{
    assign(values);
}

void FenwickTree::assign(const std::vector<qint64>& values)
{
    m_tree.assign(values.begin(), values.end());
    m_total = 0;
    const std::size_t n = m_tree.size();
    for (std::size_t i = 0; i < n; ++i) {
        m_total += values[i];
        const std::size_t parent = i | (i + 1);
        if (parent < n) {
            m_tree[parent] += m_tree[i];
        }
    }
}

void FenwickTree::add(std::size_t slot, qint64 delta)
{
    m_total += delta;
    for (std::size_t i = slot; i < m_tree.size(); i |= i + 1) {
        m_tree[i] += delta;
    }
}

qint64 FenwickTree::prefix(std::size_t count) const
{
    qint64 sum = 0;
    for (std::size_t i = count; i > 0; i &= i - 1) {
        sum += m_tree[i - 1];
    }
    return sum;
}

qint64 FenwickTree::value(std::size_t slot) const
{
    // The node at slot sums the slots from low, slot with its trailing ones cleared, up to slot;
    // the nodes that prefix(slot) adds before it reaches low sum the slots from low up to slot - 1.
    qint64 sum = m_tree[slot];
    const std::size_t low = slot & (slot + 1);
    for (std::size_t i = slot; i > low; i &= i - 1) {
        sum -= m_tree[i - 1];
    }
    return sum;
}

std::size_t FenwickTree::slotAfter(qint64 target) const
{
    if (target >= m_total) {
        return m_tree.size();
    }
    std::size_t step = 1;
    while (step * 2 <= m_tree.size()) {
        step *= 2;
    }
    std::size_t position = 0; // slots [0, position) sum to at most target
    for (; step > 0; step /= 2) {
        const std::size_t next = position + step;
        if (next <= m_tree.size() && m_tree[next - 1] <= target) {
            position = next;
            target -= m_tree[next - 1];
        }
    }
    return position;
}

} // namespace quillsift::text
