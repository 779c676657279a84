// SPDX-License-Identifier: GPL-3.0-or-later
#include "TrackedDeletions.h"

#include <algorithm>
#include <bit>

namespace quillsift::docx {

namespace {

constexpr qint64 wordBits = 64;

} // namespace

TrackedDeletions::TrackedDeletions(const std::vector<qint64>& lengths)
{
    m_starts.reserve(lengths.size() + 1);
    qint64 total = 0;
    for (const qint64 length : lengths) {
        m_starts.push_back(total);
        total += length;
    }
    m_starts.push_back(total);
    const auto words = std::size_t((total + wordBits - 1) / wordBits);
    m_present.assign(words, ~quint64(0));
    std::vector<qint64> counts(words, wordBits);
    if (total % wordBits != 0) {
        m_present.back() = (quint64(1) << (total % wordBits)) - 1;
        counts.back() = total % wordBits;
    }
    m_counts = text::FenwickTree(counts);
}

qint64 TrackedDeletions::remainingBefore(qint64 position) const
{
    const auto word = std::size_t(position / wordBits);
    const qint64 bit = position % wordBits;
    qint64 count = m_counts.prefix(word);
    if (bit != 0) {
        count += std::popcount(m_present[word] & ((quint64(1) << bit) - 1));
    }
    return count;
}

bool TrackedDeletions::remove(std::size_t paragraph, qint64 offset, qint64 length)
{
    if (paragraph + 1 >= m_starts.size() || offset < 0 || length < 0) {
        return false;
    }
    // The rank of the first character to go among those still there.
    const qint64 rank = remainingBefore(m_starts[paragraph]) + offset;
    if (rank + length > m_counts.total()) {
        return false;
    }
    // Each round takes what is left of the deletion out of one word; the characters after those
    // taken move down to the same rank.
    while (length > 0) {
        const std::size_t word = m_counts.slotAfter(rank);
        qint64 skip = rank - m_counts.prefix(word);
        quint64 bits = m_present[word];
        while (skip-- > 0) {
            bits &= bits - 1;
        }
        qint64 taken = 0;
        while (bits != 0 && taken < length) {
            const quint64 lowest = bits & (~bits + 1);
            m_present[word] &= ~lowest;
            bits &= bits - 1;
            ++taken;
        }
        m_counts.add(word, -taken);
        length -= taken;
    }
    return true;
}

std::vector<TrackedDeletions::Cut> TrackedDeletions::cuts() const
{
    std::vector<Cut> result;
    std::size_t paragraph = 0;
    const qint64 total = m_starts.back();
    auto add = [&](qint64 from, qint64 to) {
        // Split at the paragraphs' ends; the starts only grow, so the paragraph only moves on.
        while (from < to) {
            while (m_starts[paragraph + 1] <= from) {
                ++paragraph;
            }
            const qint64 start = m_starts[paragraph];
            const qint64 end = std::min(to, m_starts[paragraph + 1]);
            if (!result.empty() && result.back().paragraph == paragraph && result.back().to == from - start) {
                result.back().to = end - start;
            } else {
                result.push_back({paragraph, from - start, end - start});
            }
            from = end;
        }
    };
    for (std::size_t word = 0; word < m_present.size(); ++word) {
        const qint64 base = qint64(word) * wordBits;
        const qint64 bitsHere = std::min(wordBits, total - base);
        quint64 gone = ~m_present[word];
        if (bitsHere < wordBits) {
            gone &= (quint64(1) << bitsHere) - 1;
        }
        while (gone != 0) {
            const int first = std::countr_zero(gone);
            const int run = std::countr_one(gone >> first);
            add(base + first, base + first + run);
            if (first + run >= int(wordBits)) {
                break;
            }
            gone &= ~(((quint64(1) << run) - 1) << first);
        }
    }
    return result;
}

} // namespace quillsift::docx
