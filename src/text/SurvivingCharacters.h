// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "FenwickTree.h"

#include <QtGlobal>

#include <vector>

namespace quillsift::text {

/// Which characters of a text, as it stood at some moment, are still there after removals, so
/// that a position then and a position now convert into each other in O(log n). Positions are
/// counted in the text as it stood ("original") or as it is now ("current"). Nothing is
/// allocated until the first removal, and a reset keeps the memory for the next text.
class SurvivingCharacters
{
  public:
    explicit SurvivingCharacters(qint64 length);
    /// Starts again over a text of length characters, all there.
    void reset(qint64 length);

    qint64 originalLength() const
    {
        return m_length;
    }
    bool survives(qint64 original) const
    {
        if (!m_cut) {
            return true;
        }
        const quint64 bits = isShort() ? m_short : m_bits[std::size_t(original >> 6)];
        return (bits >> (original & 63)) & 1;
    }
    /// How many characters before original are still there: its current position.
    qint64 current(qint64 original) const;
    /// The original position of the character now at current; originalLength() past the last.
    qint64 original(qint64 current) const;
    /// Marks the characters now at [from, to) removed.
    void remove(qint64 from, qint64 to);

  private:
    /// Makes the bits and counts of a text that has lost nothing yet.
    void cut();
    /// Whether the text fits one block of 64, as a word's stretch nearly always does: its bits
    /// are then one word of its own, counted as they are read, without blocks or a tree.
    bool isShort() const
    {
        return m_length <= 64;
    }

    qint64 m_length;
    /// Whether anything was removed; until then m_bits and m_counts are not made.
    bool m_cut = false;
    std::vector<qint64> m_blockCounts;
    /// One bit a character, set while it is there: in m_short for a short text.
    quint64 m_short = 0;
    std::vector<quint64> m_bits;
    /// The characters still there in each block of 64.
    FenwickTree m_counts;
};

} // namespace quillsift::text
