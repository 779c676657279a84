// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "FenwickTree.h"

#include <QtGlobal>

#include <optional>
#include <vector>

namespace quillsift::text {

/// Where a story's paragraphs stand: one slot per paragraph for the story's whole life, its
/// length in characters and whether it is still alive (a deleted paragraph keeps its slot and
/// counts for nothing). Converts positions, slots and live ordinals into each other in O(log n),
/// and answers a forward walk's next question from the last one's answer. Owns the lengths and
/// the two prefix trees; knows nothing of the text or of any document format.
class ParagraphIndex
{
  public:
    ParagraphIndex() = default;
    /// lengths[i]: paragraph i's length in characters; every paragraph starts alive.
    explicit ParagraphIndex(const std::vector<qint64>& lengths);

    /// The story's length: every live paragraph's characters.
    qint64 length() const
    {
        return m_characters.total();
    }
    std::size_t slots() const
    {
        return m_lengths.size();
    }
    bool isAlive(std::size_t slot) const
    {
        return m_alive[slot];
    }
    qint64 paragraphLength(std::size_t slot) const
    {
        return m_lengths[slot];
    }
    /// The slot of the paragraph holding position, or slots() at or past the end.
    std::size_t paragraphAt(qint64 position) const;
    qint64 paragraphStart(std::size_t slot) const;
    /// The paragraph's length changed by delta.
    void addCharacters(std::size_t slot, qint64 delta);
    /// The paragraph is gone: its slot counts for nothing from now on.
    void retire(std::size_t slot);

    std::optional<std::size_t> next(std::size_t slot) const;
    std::optional<std::size_t> previous(std::size_t slot) const;
    /// How many live paragraphs stand before slot.
    qint64 liveBefore(std::size_t slot) const
    {
        return m_live.prefix(slot);
    }
    qint64 liveCount() const
    {
        return m_live.total();
    }
    /// The slot of the live paragraph with this ordinal (counted from 0), or slots().
    std::size_t liveSlot(qint64 ordinal) const
    {
        return m_live.slotAfter(ordinal);
    }

  private:
    std::vector<qint64> m_lengths;
    std::vector<bool> m_alive;
    FenwickTree m_characters;
    FenwickTree m_live;
    /// The paragraph paragraphAt() found last, kept up to date by addCharacters(): a walk asks
    /// for the same paragraph many times over before it moves on. Only a cache of what the trees
    /// already answer, so the const lookups may change it.
    struct LastParagraph {
        bool valid = false;
        std::size_t slot = 0;
        qint64 start = 0;
        qint64 end = 0;
    };
    mutable LastParagraph m_last;
};

} // namespace quillsift::text
