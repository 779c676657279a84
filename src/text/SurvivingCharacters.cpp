// SPDX-License-Identifier: GPL-3.0-or-later
#include "SurvivingCharacters.h"

#include <algorithm>
#include <bit>

namespace quillsift::text {

namespace {

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
{
}

void SurvivingCharacters::reset(qint64 length)
{
    m_length = length;
    m_cut = false;
}

void SurvivingCharacters::cut()
{
    m_cut = true;
    if (isShort()) {
        m_short = m_length == 64 ? ~quint64(0) : (quint64(1) << m_length) - 1;
        return;
    }
    const auto blocks = std::size_t((m_length + 63) / 64);
    m_bits.assign(blocks, ~quint64(0));
    m_blockCounts.assign(blocks, 64);
    if (m_length % 64 != 0) {
        m_bits.back() = (quint64(1) << (m_length % 64)) - 1;
        m_blockCounts.back() = m_length % 64;
    }
    m_counts.assign(m_blockCounts);
}

qint64 SurvivingCharacters::current(qint64 original) const
{
    if (!m_cut) {
        return std::min(original, m_length);
    }
    if (isShort()) {
        return std::popcount(original >= 64 ? m_short : m_short & ((quint64(1) << original) - 1));
    }
    const auto block = std::size_t(original >> 6);
    qint64 count = m_counts.prefix(block);
    if (block < m_bits.size()) {
        count += std::popcount(m_bits[block] & ((quint64(1) << (original & 63)) - 1));
    }
    return count;
}

qint64 SurvivingCharacters::original(qint64 current) const
{
    if (!m_cut) {
        return std::clamp<qint64>(current, 0, m_length);
    }
    if (isShort()) {
        return current < std::popcount(m_short) ? nthSetBit(m_short, current) : m_length;
    }
    const std::size_t block = m_counts.slotAfter(current);
    if (block >= m_bits.size()) {
        return m_length;
    }
    return qint64(block) * 64 + nthSetBit(m_bits[block], current - m_counts.prefix(block));
}

void SurvivingCharacters::remove(qint64 from, qint64 to)
{
    // Once some go, the next character to remove is the one now at from; each round clears what
    // it can of one block (a short text's one word).
    qint64 left = to - from;
    if (left <= 0) {
        return;
    }
    if (!m_cut) {
        cut();
    }
    while (left > 0) {
        const qint64 first = original(from);
        if (first >= m_length) {
            return;
        }
        const auto block = std::size_t(first >> 6);
        quint64& word = isShort() ? m_short : m_bits[block];
        quint64 bits = word & ~((quint64(1) << (first & 63)) - 1);
        qint64 cleared = 0;
        while (bits != 0 && cleared < left) {
            const quint64 lowest = bits & (~bits + 1);
            word &= ~lowest;
            bits &= ~lowest;
            ++cleared;
        }
        if (!isShort()) {
            m_counts.add(block, -cleared);
        }
        left -= cleared;
    }
}

} // namespace quillsift::text
