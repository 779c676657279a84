// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/ZeroedMemory.h"

#include <QString>
#include <QStringView>

#include <array>
#include <cstddef>
#include <vector>

namespace quillsift::engine {

/// The texts the word walk has searched for, each with the time of its first search.
///
/// A document of a million words has hundreds of thousands of them and the walk looks up every
/// word, so a lookup touches one slot of one table and nothing else: an open-addressed table at
/// at most five eighths full, where a text of up to shortKey characters is kept inside its slot and
/// only a longer one, or one with a character past U+00FF, is compared in a store of its own. A
/// slot is 16 bytes, a short key kept in it one byte a character: the table of a document's words
/// is the largest thing the walk holds, and memory first touched costs the system a page's
/// clearing.
class SearchTable
{
  public:
    using HashFunction = std::size_t (*)(QStringView);
    static constexpr qint64 none = -1;

    /// hash must give equal texts equal values; qHash unless a test needs keys to collide.
    explicit SearchTable(HashFunction hash = defaultHash);

    std::size_t hashOf(QStringView key) const
    {
        return m_hash(key);
    }
    /// The time of the first search for key, or none; hash is hashOf(key).
    qint64 find(QStringView key, std::size_t hash) const;
    /// Adds key, which must not be in the table yet.
    void add(QStringView key, std::size_t hash, qint64 firstSearch);
    /// Makes room for keys keys in all, so that the table does not grow, and hash each of its keys
    /// again, before it holds that many.
    void reserve(std::size_t keys);
    /// Starts bringing the slot a lookup with hash reads into the cache.
    void prefetch(std::size_t hash) const
    {
        if (m_slots) {
            __builtin_prefetch(&m_slots[hash & m_mask]);
        }
    }
    std::size_t size() const
    {
        return m_count;
    }

  private:
    static constexpr qsizetype shortKey = 8;
    struct LongKey {
        quint32 at;
        quint32 length;
    };
    struct Slot {
        /// Bits of the key's hash that do not choose its slot, and in the low four bits the key's
        /// length, or longKeyCode for a key kept in m_longKeys; never 0: 0 marks a free slot.
        quint32 tag = 0;
        quint32 firstSearch = 0;
        /// The key itself, a character a byte, or where any other key is in m_longKeys.
        union {
            std::array<uchar, shortKey> head;
            LongKey longKey;
        };
    };
    static_assert(sizeof(Slot) == 16);
    static constexpr quint32 longKeyCode = 15;
    static std::size_t defaultHash(QStringView key);
    /// The key's length where its slot holds it (up to shortKey characters, none past U+00FF),
    /// else longKeyCode.
    static quint32 codeOf(QStringView key);
    static quint32 tagOf(std::size_t hash, quint32 code);
    bool holds(const Slot& slot, QStringView key) const;
    /// The slot's key, in buffer where the slot holds it.
    QStringView keyOf(const Slot& slot, std::array<char16_t, shortKey>& buffer) const;
    void grow();
    /// Moves the keys into a table of capacity slots, a power of two.
    void rehash(std::size_t capacity);
    /// Puts slot in the first free place from its hash on.
    void place(const Slot& slot, std::size_t hash);

    HashFunction m_hash;
    /// The slots, all zero (free) at first, in memory read at random; their number is a power
    /// of two, m_mask one less.
    platform::ZeroedMemory m_memory;
    Slot* m_slots = nullptr;
    std::size_t m_capacity = 0;
    std::size_t m_mask = 0;
    std::size_t m_count = 0;
    std::vector<char16_t> m_longKeys;
};

} // namespace quillsift::engine
