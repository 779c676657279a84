// SPDX-License-Identifier: GPL-3.0-or-later
#include "ParagraphIndex.h"

namespace quillsift::text {

ParagraphIndex::ParagraphIndex(const std::vector<qint64>& lengths)
    : m_lengths(lengths)
    , m_alive(lengths.size(), true)
    , m_characters(lengths)
    , m_live(std::vector<qint64>(lengths.size(), 1))
{
}

std::size_t ParagraphIndex::paragraphAt(qint64 position) const
{
    LastParagraph& last = m_last;
    if (last.valid && position >= last.start && position < last.end) {
        return last.slot;
    }
    if (last.valid && position >= last.end && last.slot + 1 < m_lengths.size()) {
        // The walks go forward: the paragraph after the last one found is the likeliest, and
        // when it is in the next slot it is found without a descent through the tree.
        const qint64 nextEnd = last.end + m_lengths[last.slot + 1];
        if (m_alive[last.slot + 1] && position < nextEnd) {
            last = {true, last.slot + 1, last.end, nextEnd};
            return last.slot;
        }
    }
    const std::size_t slot = m_characters.slotAfter(position);
    if (slot < m_lengths.size()) {
        last = {true, slot, m_characters.prefix(slot), m_characters.prefix(slot + 1)};
    }
    return slot;
}

qint64 ParagraphIndex::paragraphStart(std::size_t slot) const
{
    if (m_last.valid && m_last.slot == slot) {
        return m_last.start;
    }
    return m_characters.prefix(slot);
}

void ParagraphIndex::addCharacters(std::size_t slot, qint64 delta)
{
    m_characters.add(slot, delta);
    m_lengths[slot] += delta;
    LastParagraph& last = m_last;
    if (!last.valid || slot > last.slot) {
        return;
    }
    if (slot < last.slot) {
        last.start += delta;
    }
    last.end += delta;
    last.valid = last.end > last.start;
}

void ParagraphIndex::retire(std::size_t slot)
{
    addCharacters(slot, -m_lengths[slot]);
    m_live.add(slot, -1);
    m_alive[slot] = false;
}

std::optional<std::size_t> ParagraphIndex::next(std::size_t slot) const
{
    // Most paragraphs are still where they were: the next slot is then the next paragraph.
    if (slot + 1 < m_lengths.size() && m_alive[slot + 1]) {
        return slot + 1;
    }
    const qint64 ordinal = m_live.prefix(slot + 1);
    if (ordinal >= m_live.total()) {
        return std::nullopt;
    }
    return m_live.slotAfter(ordinal);
}

std::optional<std::size_t> ParagraphIndex::previous(std::size_t slot) const
{
    if (slot > 0 && slot <= m_lengths.size() && m_alive[slot - 1]) {
        return slot - 1;
    }
    const qint64 ordinal = m_live.prefix(slot);
    if (ordinal == 0) {
        return std::nullopt;
    }
    return m_live.slotAfter(ordinal - 1);
}

} // namespace quillsift::text
