// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "Document.h"
#include "SearchTable.h"
#include "YieldThrottle.h"

#include <QString>

#include <memory>
#include <optional>
#include <unordered_map>
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
    /// One word of the stretch being walked, with what the walk needs of it read once.
    struct Piece {
        std::unique_ptr<Range> range;
        /// The word's text without the spaces before and after it: what a search for it finds.
        QString wanted;
        QString key;
        std::size_t hash = 0;
        qint64 formedAt;
        /// The time of the first search for key, looked up once: noSearch while there is none.
        qint64 firstSearch;
        /// The spaces the word's text had before and after wanted (a text of spaces only has
        /// them all after).
        qsizetype leadingSpaces = 0;
        qsizetype trailingSpaces = 0;

        /// The first character of the word's text, or 0 when it has none.
        char16_t first() const;
        /// The length of the word's text.
        qsizetype length() const
        {
            return leadingSpaces + wanted.size() + trailingSpaces;
        }
        bool sameText(const Piece& other) const
        {
            return leadingSpaces == other.leadingSpaces && trailingSpaces == other.trailingSpaces &&
                   wanted == other.wanted;
        }
    };

    Piece readPiece(std::unique_ptr<Range> range);
    /// Finds when the piece's text was first searched for, if it was.
    void lookUp(Piece& piece);
    /// Reads a stretch into pieces, which it empties first.
    void readStretch(Piece first, qint64 limit, bool walking, std::vector<Piece>& pieces);
    /// Reads the word after a stretch before the stretch is settled.
    void keepAhead(std::unique_ptr<Range> range);
    /// The first word of the next stretch: the one read ahead, where it still is that word.
    std::optional<Piece> nextStretchStart();
    qint64 removalTime(const Piece& piece) const;
    void settle(std::vector<Piece>& pieces, size_t from);
    void reread(std::vector<Piece>& pieces, size_t from, qint64 time);

    Document& m_document;
    YieldThrottle m_throttle;
    SearchTable m_searches;
    /// The times of the later searches for a text, under the time of its first: a text is
    /// searched for again only when a word with it was not removed, which is rare.
    std::unordered_map<qint64, std::vector<qint64>> m_laterSearches;
    qint64 m_clock = 0;
    qint64 m_removed = 0;
    std::unique_ptr<Range> m_lastWalked;
    std::unique_ptr<Range> m_lookahead;
    /// The word after the stretch being walked, read before the stretch was settled, and how
    /// many words had been removed then.
    std::optional<Piece> m_ahead;
    qint64 m_removedBeforeAhead = 0;
    std::vector<qint64> m_times;  // settle()'s scratch: when each piece is removed
    std::vector<Piece> m_stretch; // the stretch being walked
    std::vector<Piece> m_fresh;   // reread()'s scratch: the stretch as it now is
};

} // namespace quillsift::engine
