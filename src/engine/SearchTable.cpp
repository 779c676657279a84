// SPDX-License-Identifier: GPL-3.0-or-later
#include "SearchTable.h"

#include <QHash>

#include <algorithm>
#include <cstdint>
#include <limits>
#include <stdexcept>
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

quint32 SearchTable::codeOf(QStringView key)
{
    if (key.size() > shortKey) {
        return longKeyCode;
    }
    for (const QChar c : key) {
        if (c.unicode() > 0xff) {
            return longKeyCode;
        }
    }
    return quint32(key.size());
}

quint32 SearchTable::tagOf(std::size_t hash, quint32 code)
{
    // The low bits choose the slot; the high ones, where a hash has them, tell keys apart, and a
    // set bit above the code keeps the tag from being 0.
    static_assert(shortKey < longKeyCode);
    return (quint32(std::uint64_t(hash) >> 32) & ~quint32(0x1f)) | 0x10 | code;
}

bool SearchTable::holds(const Slot& slot, QStringView key) const
{
    const quint32 code = slot.tag & 0xf;
    if (code == longKeyCode) {
        return QStringView(m_longKeys.data() + slot.longKey.at, qsizetype(slot.longKey.length)) == key;
    }
    // The tags agree, so the key is code characters long.
    for (quint32 i = 0; i < code; ++i) {
        if (key[i].unicode() != slot.head[i]) {
            return false;
        }
    }
    return true;
}

QStringView SearchTable::keyOf(const Slot& slot, std::array<char16_t, shortKey>& buffer) const
{
    const quint32 code = slot.tag & 0xf;
    if (code == longKeyCode) {
        return QStringView(m_longKeys.data() + slot.longKey.at, qsizetype(slot.longKey.length));
    }
    std::copy(slot.head.begin(), slot.head.begin() + code, buffer.begin());
    return QStringView(buffer.data(), qsizetype(code));
}

qint64 SearchTable::find(QStringView key, std::size_t hash) const
{
    if (!m_slots) {
        return none;
    }
    const quint32 tag = tagOf(hash, codeOf(key));
    for (std::size_t i = hash & m_mask;; i = (i + 1) & m_mask) {
        const Slot& slot = m_slots[i];
        if (slot.tag == 0) {
            return none;
        }
        if (slot.tag == tag && holds(slot, key)) {
            return slot.firstSearch;
        }
    }
}

void SearchTable::add(QStringView key, std::size_t hash, qint64 firstSearch)
{
    // Times count the walk's searches, fewer than a document's words; keys are words, and their
    // store holds fewer characters than the document.
    constexpr auto most = std::numeric_limits<quint32>::max();
    if (firstSearch < 0 || quint64(firstSearch) > most || m_longKeys.size() + quint64(key.size()) > most) {
        throw std::length_error("more searches than the word walk can keep");
    }
    // At most five eighths full, so that a probe stays short.
    if ((m_count + 1) * 8 > m_capacity * 5) {
        grow();
    }
    Slot slot;
    const quint32 code = codeOf(key);
    slot.tag = tagOf(hash, code);
    slot.firstSearch = quint32(firstSearch);
    if (code != longKeyCode) {
        slot.head = {};
        std::transform(key.utf16(), key.utf16() + key.size(), slot.head.begin(), [](char16_t c) { return uchar(c); });
    } else {
        slot.longKey = {quint32(m_longKeys.size()), quint32(key.size())};
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

void SearchTable::reserve(std::size_t keys)
{
    std::size_t capacity = std::max<std::size_t>(64, m_capacity);
    while (keys * 8 > capacity * 5) {
        capacity *= 2;
    }
    if (capacity > m_capacity) {
        rehash(capacity);
    }
}

void SearchTable::grow()
{
    rehash(std::max<std::size_t>(64, m_capacity * 2));
}

void SearchTable::rehash(std::size_t capacity)
{
    platform::ZeroedMemory memory(capacity * sizeof(Slot));
    platform::ZeroedMemory old = std::exchange(m_memory, std::move(memory));
    const Slot* oldSlots = m_slots;
    const std::size_t oldCapacity = std::exchange(m_capacity, capacity);
    // Zero bytes are free slots, and Slot is a plain aggregate: the memory holds them as it is.
    static_assert(std::is_trivially_copyable_v<Slot> && std::is_trivially_destructible_v<Slot>);
    m_slots = static_cast<Slot*>(m_memory.data());
    m_mask = capacity - 1;
    std::array<char16_t, shortKey> buffer;
    // The old slots are read once, in order: what has been read goes back to the system as the
    // move goes on, so that the two tables are never both held whole.
    constexpr std::size_t slotsAtOnce = (std::size_t(2) << 20) / sizeof(Slot);
    for (std::size_t i = 0; i < oldCapacity; ++i) {
        if (oldSlots[i].tag != 0) {
            place(oldSlots[i], m_hash(keyOf(oldSlots[i], buffer)));
        }
        if ((i + 1) % slotsAtOnce == 0) {
            old.discardBefore((i + 1) * sizeof(Slot));
        }
    }
}

} // namespace quillsift::engine
