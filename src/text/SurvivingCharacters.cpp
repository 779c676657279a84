// SPDX-License-Identifier: GPL-3.0-or-later
#include "SurvivingCharacters.h"

#include <bit>

namespace quillsift::text {

namespace {

std::vector<qint64> fullBlocks(qint64 length)
{
    std::vector<qint64> counts(std::size_t((length + 63) / 64), 64);
    if (length % 64 != 0) {
        counts.back() = length % 64;
    }
    return counts;
}

/// The position of the n-th (from 0) set bit of bits, which has more than n.
int nthSetBit(quint64 bits, qint64 n)
{
    for (; n > 0; --n) {
        bits &= bits - 1;
    }
    return std::countr_zero(bits);
}

} // namespace

SurvivingCharacters::SurvivingCharacters(qint64 length)
    : m_length(length)
    , m_bits(std::size_t((length + 63) / 64), ~quint64(0))
    , m_counts(fullBlocks(length))
{
    if (length % 64 != 0) {
        m_bits.back() = (quint64(1) << (length % 64)) - 1;
    }
}

qint64 SurvivingCharacters::current(qint64 original) const
{
    const auto block = std::size_t(original >> 6);
    qint64 count = m_counts.prefix(block);
    if (block < m_bits.size()) {
        count += std::popcount(m_bits[block] & ((quint64(1) << (original & 63)) - 1));
    }
    return count;
}

qint64 SurvivingCharacters::original(qint64 current) const
{
    const std::size_t block = m_counts.slotAfter(current);
    if (block >= m_bits.size()) {
        return m_length;
    }
    return qint64(block) * 64 + nthSetBit(m_bits[block], current - m_counts.prefix(block));
}

void SurvivingCharacters::remove(qint64 from, qint64 to)
{
    // Once some go, the next character to remove is the one now at from; each round clears what
    // it can of one block.
    qint64 left = to - from;
    while (left > 0) {
        const qint64 first = original(from);
        if (first >= m_length) {
            return;
        }
        const auto block = std::size_t(first >> 6);
        quint64 bits = m_bits[block] & ~((quint64(1) << (first & 63)) - 1);
        qint64 cleared = 0;
        while (bits != 0 && cleared < left) {
            const quint64 lowest = bits & (~bits + 1);
            m_bits[block] &= ~lowest;
            bits &= ~lowest;
            ++cleared;
        }
        m_counts.add(block, -cleared);
        left -= cleared;
    }
}

} // namespace quillsift::text
