// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "Document.h"
#include "YieldThrottle.h"

#include <QHash>
#include <QString>

#include <array>
#include <deque>
#include <memory>
#include <vector>

namespace quillsift::engine {

/// The one walk over a document's words that removeDuplicateWords() makes.
///
/// It removes what a search-and-replace over the rest of the text after each word would remove,
/// in the same order, so that where a removal joins two words into one the result is the same.
/// Every word that passes the threshold stands for a search and gets a time; a word is removed by
/// the first search for its text that came after the word came to be (from the start, or when a
/// removal joined it).
///
/// Removals can change only a stretch of words that no space or separating mark divides, so the
/// walk settles one stretch at a time: before walking it, and again after each word in it whose
/// text occurs later in it, it removes the stretch's words that earlier searches would have
/// removed, search by search, and reads the stretch again. Stretches are short in prose, and a
/// long one (text without spaces, such as Chinese) is cut, so the cost stays linear.
class WordWalk
{
  public:
    WordWalk(Document& document, const YieldFunction& yield);

    /// Walks the document once; returns the number of words removed.
    qint64 run();

  private:
    /// The times of the searches for one text: nearly always one.
    struct Searches {
        qint64 first;
        std::vector<qint64> later;
    };

    /// One word of the stretch being walked, with what the walk needs of it read once.
    struct Piece {
        std::unique_ptr<Range> range;
        QString text;
        QString wanted;
        QString key;
        std::size_t hash = 0;
        qint64 formedAt;
        /// The searches for key, looked up once: null while there are none.
        Searches* searches = nullptr;
    };

    /// The texts searched for so far, with their searches. A document of a million words has
    /// hundreds of thousands of them, so a lookup is made to touch as little memory as it can:
    /// an open-addressed table of hashes, where a text never searched for costs one slot and no
    /// string comparison, over a store that keeps every entry in place as more are added.
    class SearchTable
    {
      public:
        Searches* find(const QString& key, std::size_t hash) const;
        /// Adds key, which must not be in the table yet.
        Searches* add(const QString& key, std::size_t hash, Searches searches);

      private:
        /// A key of up to shortKey characters is kept inside its entry, so that comparing it
        /// reads no memory beyond the entry that a hit reads anyway.
        static constexpr qsizetype shortKey = 12;
        struct Entry {
            Searches searches;
            qsizetype length = 0;
            std::array<char16_t, shortKey> head{};
            QString longKey;
            bool holds(const QString& key) const;
        };
        struct Slot {
            std::size_t hash = 0;
            Entry* entry = nullptr;
        };
        void grow();
        /// Puts slot in the first free place from its hash on.
        void place(const Slot& slot);

        std::vector<Slot> m_slots;
        std::deque<Entry> m_entries;
    };

    Piece readPiece(std::unique_ptr<Range> range);
    /// Points the piece at the searches for its text, if there are any.
    void lookUp(Piece& piece);
    std::vector<Piece> readStretch(std::unique_ptr<Range> first, qint64 limit, bool lookUpSearches);
    qint64 removalTime(const Piece& piece) const;
    void settle(std::vector<Piece>& pieces, size_t from);
    void reread(std::vector<Piece>& pieces, size_t from, qint64 time);

    Document& m_document;
    YieldThrottle m_throttle;
    SearchTable m_searches;
    qint64 m_clock = 0;
    qint64 m_removed = 0;
    std::unique_ptr<Range> m_lastWalked;
    std::unique_ptr<Range> m_lookahead;
    std::vector<qint64> m_times; // settle()'s scratch: when each piece is removed
};

} // namespace quillsift::engine
