// SPDX-License-Identifier: GPL-3.0-or-later
#include "SearchTable.h"

#include <QHash>

#include <algorithm>
#include <cstdint>
#include <type_traits>
#include <utility>

namespace quillsift::engine {

SearchTable::SearchTable(HashFunction hash)
    : m_hash(hash)
{
}

std::size_t SearchTable::defaultHash(QStringView key)
{
    return qHash(key);
}

quint32 SearchTable::tagOf(std::size_t hash)
{
    // The low bits choose the slot; the high ones, where a hash has them, tell keys apart.
    return quint32(std::uint64_t(hash) >> 32) | 1;
}

QStringView SearchTable::keyOf(const Slot& slot) const
{
    if (slot.length > shortKey) {
        return QStringView(m_longKeys.data() + slot.longKeyAt, qsizetype(slot.length));
    }
    return QStringView(slot.head.data(), qsizetype(slot.length));
}

qint64 SearchTable::find(QStringView key, std::size_t hash) const
{
    if (!m_slots) {
        return none;
    }
    const quint32 tag = tagOf(hash);
    for (std::size_t i = hash & m_mask;; i = (i + 1) & m_mask) {
        const Slot& slot = m_slots[i];
        if (slot.tag == 0) {
            return none;
        }
        if (slot.tag == tag && slot.length == std::size_t(key.size()) && keyOf(slot) == key) {
            return slot.firstSearch;
        }
    }
}

void SearchTable::add(QStringView key, std::size_t hash, qint64 firstSearch)
{
    // At most half full, so that a probe stays short.
    if ((m_count + 1) * 2 > m_capacity) {
        grow();
    }
    Slot slot;
    slot.tag = tagOf(hash);
    slot.length = quint32(key.size());
    slot.firstSearch = firstSearch;
    if (key.size() <= shortKey) {
        slot.head = {};
        std::copy(key.utf16(), key.utf16() + key.size(), slot.head.begin());
    } else {
        slot.longKeyAt = m_longKeys.size();
        m_longKeys.insert(m_longKeys.end(), key.utf16(), key.utf16() + key.size());
    }
    place(slot, hash);
    ++m_count;
}

void SearchTable::place(const Slot& slot, std::size_t hash)
{
    std::size_t i = hash & m_mask;
    while (m_slots[i].tag != 0) {
        i = (i + 1) & m_mask;
    }
    m_slots[i] = slot;
}

void SearchTable::grow()
{
    const std::size_t capacity = std::max<std::size_t>(64, m_capacity * 2);
    platform::ZeroedMemory memory(capacity * sizeof(Slot));
    platform::ZeroedMemory old = std::exchange(m_memory, std::move(memory));
    const Slot* oldSlots = m_slots;
    const std::size_t oldCapacity = std::exchange(m_capacity, capacity);
    // Zero bytes are free slots, and Slot is a plain aggregate: the memory holds them as it is.
    static_assert(std::is_trivially_copyable_v<Slot> && std::is_trivially_destructible_v<Slot>);
    m_slots = static_cast<Slot*>(m_memory.data());
    m_mask = capacity - 1;
    for (std::size_t i = 0; i < oldCapacity; ++i) {
        if (oldSlots[i].tag != 0) {
            place(oldSlots[i], m_hash(keyOf(oldSlots[i])));
        }
    }
}

} // namespace quillsift::engine
