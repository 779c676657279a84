// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "FenwickTree.h"
#include "ParagraphIndex.h"

#include "engine/Units.h"

#include <algorithm>
#include <concepts>
#include <optional>
#include <vector>

namespace quillsift::text {

/// A unit's place in a story: a paragraph, or a word unit within one.
struct UnitSpan {
    qint64 start = 0;
    qint64 end = 0;
};

/// A paragraph's word-unit ends: ascending offsets from its start, the last at its end.
template <typename Ends>
concept UnitEndList = requires(const Ends& ends, std::size_t index)
{
    {
        ends.size()
        } -> std::convertible_to<std::size_t>;
    {
        ends[index]
        } -> std::convertible_to<qint64>;
};

/// What a story gives the navigation of its words: the unit ends of a live paragraph (segmented
/// when first asked for), and every live paragraph segmented at once before the words of the
/// whole story are counted.
template <typename Words>
concept StoryWords = requires(Words& words, std::size_t slot)
{
    {
        words.unitEnds(slot)
        } -> UnitEndList;
    words.segmentAll();
};

/// The index of the first of ends that lies after offset: the unit holding the character there.
template <UnitEndList Ends> std::size_t unitHolding(const Ends& ends, qint64 offset)
{
    if constexpr (requires { ends.upperBound(offset); }) {
        return ends.upperBound(offset);
    } else {
        return std::size_t(std::upper_bound(ends.begin(), ends.end(), offset,
                                            [](qint64 value, auto end) { return value < qint64(end); }) -
                           ends.begin());
    }
}

/// Walks and counts a story by paragraphs and by word units, as a range's Next, Previous,
/// Count and index ask: every answer in O(log n) of the paragraphs plus the units of the one or
/// two paragraphs at the ends. Owns the index of word counts per paragraph, built the first time
/// words are counted across paragraphs and kept up to date by unitsChanged(); reads the story's
/// paragraph index and its words, and changes neither.
template <StoryWords Words> class UnitNavigation
{
  public:
    using Unit = engine::Unit;

    UnitNavigation(const ParagraphIndex& paragraphs, Words& words)
        : m_paragraphs(paragraphs)
        , m_words(words)
    {
    }
    UnitNavigation(const UnitNavigation&) = delete;
    UnitNavigation& operator=(const UnitNavigation&) = delete;

    /// The story was read afresh: the counts are built again when next needed.
    void reset()
    {
        m_counted = false;
        m_counts = FenwickTree();
    }
    /// A paragraph's units changed, or it was retired: the counts follow.
    void unitsChanged(std::size_t slot)
    {
        if (m_counted) {
            const qint64 now = m_paragraphs.isAlive(slot) ? qint64(m_words.unitEnds(slot).size()) : 0;
            m_counts.add(slot, now - m_counts.value(slot));
        }
    }

    /// The unit containing position; nullopt at or past the end of the story.
    std::optional<UnitSpan> unitAt(Unit unit, qint64 position)
    {
        const auto location = locate(unit, position);
        if (!location) {
            return std::nullopt;
        }
        return spanOf(unit, *location);
    }
    /// For [start, end) non-empty, the first unit starting at or after end; for a collapsed
    /// range, the unit after the one containing it.
    std::optional<UnitSpan> nextUnit(Unit unit, qint64 start, qint64 end)
    {
        const bool collapsed = start >= end;
        auto location = locate(unit, collapsed ? start : end);
        if (!location) {
            return std::nullopt;
        }
        if (!collapsed && spanOf(unit, *location).start == end) {
            return spanOf(unit, *location);
        }
        if (!step(unit, *location, true)) {
            return std::nullopt;
        }
        return spanOf(unit, *location);
    }
    /// The last unit that ends at or before start.
    std::optional<UnitSpan> previousUnit(Unit unit, qint64 start)
    {
        start = std::min(start, m_paragraphs.length());
        auto location = locate(unit, start - 1);
        if (!location) {
            return std::nullopt;
        }
        if (spanOf(unit, *location).end <= start) {
            return spanOf(unit, *location);
        }
        if (!step(unit, *location, false)) {
            return std::nullopt;
        }
        return spanOf(unit, *location);
    }
    /// The units overlapping [start, end) (a collapsed range: the unit containing it).
    qint64 countUnits(Unit unit, qint64 start, qint64 end)
    {
        end = std::min(end, m_paragraphs.length());
        if (start >= end) {
            return locate(unit, start) ? 1 : 0;
        }
        const auto first = locate(unit, start);
        const auto last = locate(unit, end - 1);
        if (!first || !last) {
            return 0;
        }
        if (unit == Unit::Paragraph) {
            return m_paragraphs.liveBefore(last->paragraph + 1) - m_paragraphs.liveBefore(first->paragraph);
        }
        if (first->paragraph == last->paragraph) {
            return qint64(last->unit - first->unit) + 1;
        }
        ensureCounts();
        return qint64(m_words.unitEnds(first->paragraph).size() - first->unit) +
               (m_counts.prefix(last->paragraph) - m_counts.prefix(first->paragraph + 1)) + qint64(last->unit) + 1;
    }
    /// The index-th of the units countUnits() counts, from 1.
    std::optional<UnitSpan> unitByIndex(Unit unit, qint64 start, qint64 end, qint64 index)
    {
        const auto first = locate(unit, start);
        if (index < 1 || !first) {
            return std::nullopt;
        }
        if (index == 1) {
            return spanOf(unit, *first);
        }
        if (start >= end) {
            return std::nullopt;
        }
        Location location;
        if (unit == Unit::Paragraph) {
            const qint64 ordinal = m_paragraphs.liveBefore(first->paragraph) + index - 1;
            if (ordinal >= m_paragraphs.liveCount()) {
                return std::nullopt;
            }
            location.paragraph = m_paragraphs.liveSlot(ordinal);
        } else {
            ensureCounts();
            const qint64 ordinal = m_counts.prefix(first->paragraph) + qint64(first->unit) + index - 1;
            if (ordinal >= m_counts.total()) {
                return std::nullopt;
            }
            location.paragraph = m_counts.slotAfter(ordinal);
            location.unit = std::size_t(ordinal - m_counts.prefix(location.paragraph));
        }
        const UnitSpan span = spanOf(unit, location);
        if (span.start >= end) {
            return std::nullopt;
        }
        return span;
    }

  private:
    struct Location {
        std::size_t paragraph = 0;
        std::size_t unit = 0;
    };

    std::optional<Location> locate(Unit unit, qint64 position)
    {
        if (position < 0 || position >= m_paragraphs.length()) {
            return std::nullopt;
        }
        Location location;
        location.paragraph = m_paragraphs.paragraphAt(position);
        if (unit == Unit::Word) {
            location.unit = unitHolding(m_words.unitEnds(location.paragraph),
                                        position - m_paragraphs.paragraphStart(location.paragraph));
        }
        return location;
    }
    UnitSpan spanOf(Unit unit, const Location& location)
    {
        const qint64 start = m_paragraphs.paragraphStart(location.paragraph);
        if (unit == Unit::Paragraph) {
            return {start, start + m_paragraphs.paragraphLength(location.paragraph)};
        }
        const auto& ends = m_words.unitEnds(location.paragraph);
        return {start + (location.unit > 0 ? qint64(ends[location.unit - 1]) : 0), start + qint64(ends[location.unit])};
    }
    bool step(Unit unit, Location& location, bool forward)
    {
        if (unit == Unit::Word) {
            if (forward && location.unit + 1 < m_words.unitEnds(location.paragraph).size()) {
                ++location.unit;
                return true;
            }
            if (!forward && location.unit > 0) {
                --location.unit;
                return true;
            }
        }
        const auto slot = forward ? m_paragraphs.next(location.paragraph) : m_paragraphs.previous(location.paragraph);
        if (!slot) {
            return false;
        }
        location.paragraph = *slot;
        location.unit = (unit == Unit::Word && !forward) ? m_words.unitEnds(*slot).size() - 1 : 0;
        return true;
    }
    void ensureCounts()
    {
        if (m_counted) {
            return;
        }
        m_words.segmentAll();
        std::vector<qint64> counts(m_paragraphs.slots(), 0);
        for (std::size_t slot = 0; slot < counts.size(); ++slot) {
            if (m_paragraphs.isAlive(slot)) {
                counts[slot] = qint64(m_words.unitEnds(slot).size());
            }
        }
        m_counts = FenwickTree(counts);
        m_counted = true;
    }

    const ParagraphIndex& m_paragraphs;
    Words& m_words;
    FenwickTree m_counts;
    bool m_counted = false;
};

} // namespace quillsift::text
