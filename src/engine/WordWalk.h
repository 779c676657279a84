// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "Document.h"
#include "SearchTable.h"
#include "StretchPieces.h"
#include "YieldThrottle.h"

#include <QString>

#include <memory>
#include <optional>
#include <queue>
#include <span>
#include <unordered_map>
#include <vector>

namespace quillsift::engine {

/// The one walk over a document's words that removeDuplicateWords() makes.
///
/// It removes what a search-and-replace over the rest of the text after each word would remove,
/// in the same order, so that where a removal joins, splits or moves words the result is the
/// same. Every word that passes the threshold stands for a search and gets a time; a word is
/// removed by the first search for its text that came after the word came to be (from the start,
/// or when a removal around it made it).
///
/// Removals can change only the words of a stretch that no space or separating mark divides, so
/// the walk settles one stretch at a time: it reads the whole stretch, then takes the removals
/// that searches make in it in the order of the searches, those of the searches before it first.
/// A removal changes the words of a few words around it, even in a run that a dictionary
/// segments (Chinese, Thai) where a stretch can be a whole paragraph, so after each search's
/// removals the walk reads again only from a few words before them on until it meets the words
/// it had again: the cost stays linear however long a stretch is.
///
/// Words of plain ASCII, where a removal changes no word but its own, the walk takes a run at a
/// time through the host's PlainWords where it has them: every word of such a run is removed just
/// when a search for its text came before it, so a table lookup tells what a search would do.
///
/// Owns the pieces of the stretch (StretchPieces), the searches made so far and the removals
/// waiting in the stretch; works on the document only through its ranges and their Find, and its
/// plain words.
class WordWalk
{
  public:
    WordWalk(Document& document, const YieldFunction& yield);

    /// Walks the document once; returns the number of words removed.
    qint64 run();

  private:
    using Piece = StretchPieces::Piece;

    /// A removal waiting in the stretch: the search that makes it and the piece it takes.
    struct Removal {
        qint64 time;
        qint64 origin;
        quint64 id;
        bool operator>(const Removal& other) const
        {
            return time > other.time;
        }
    };

    /// Walks the runs of plain words that follow one another from position, where the host has
    /// a quicker way through them; returns where the walk goes on word by word, or nothing where
    /// there was no run to walk.
    std::optional<qint64> walkPlainWords(qint64 position);
    /// How many of the run's first units the walk can take together: those whose removals leave
    /// every other word as it is.
    static std::size_t wordsStayingApart(const PlainWords::Run& run);
    /// Plain text folded as search texts are, in m_folded.
    QStringView foldedPlain(QStringView plain);
    /// A piece for the word range, its origin not yet set.
    Piece read(std::unique_ptr<Range> range);
    /// Finds when the piece's text was first searched for, if it was.
    void lookUp(Piece& piece);
    qint64 removalTime(const Piece& piece) const;
    /// Queues the piece's removal, if a search makes one.
    void schedule(const Piece& piece);
    /// Reads the stretch that starts with first and queues its removals by earlier searches.
    void readStretch(Piece first);
    /// Reads the word after a stretch before the stretch is settled.
    void keepAhead(std::unique_ptr<Range> range);
    /// The first word of the next stretch: the one read ahead, where it still is that word.
    std::optional<Piece> nextStretchStart();
    /// Makes the queued removals, search by search, reading again what each search changed.
    void settle();
    /// Makes the removals of search time, of the pieces at origins (ascending).
    void remove(const std::vector<qint64>& origins, qint64 time);
    /// Removes one cluster of nearby pieces through one whole-word search over them, as a replace
    /// over the rest of the text matches them all before it deletes any.
    void removeCluster(std::span<const qint64> origins, qint64 time);
    /// Reads again, after search time, the pieces from a few before `from` up to where, past
    /// `through`, the words read are the old ones again.
    void reread(qint64 from, qint64 through, qint64 time);

    Document& m_document;
    PlainWords* m_plain;
    YieldThrottle m_throttle;
    SearchTable m_searches;
    /// The times of the later searches for a text, under the time of its first: a text is
    /// searched for again only when a word with it was not removed, which is rare.
    std::unordered_map<qint64, std::vector<qint64>> m_laterSearches;
    qint64 m_clock = 0;
    qint64 m_removed = 0;
    StretchPieces m_pieces;
    std::priority_queue<Removal, std::vector<Removal>, std::greater<>> m_queue;
    std::unique_ptr<Range> m_lastWalked;
    /// The word after the stretch being walked, read before the stretch was settled, and how
    /// many words had been removed then.
    std::optional<Piece> m_ahead;
    qint64 m_removedBeforeAhead = 0;
    /// Whether the stretch being walked is one word, and the leading spaces of the last cluster
    /// removed: a one-word stretch whose word goes needs no second reading.
    bool m_oneWordStretch = false;
    qsizetype m_leadingSpaces = 0;
    std::vector<qint64> m_batch;                       // settle()'s scratch: the pieces one search removes
    std::vector<std::pair<qint64, qint64>> m_clusters; // remove()'s scratch: first and last origins
    std::vector<char> m_gone;                          // removeCluster()'s scratch: which pieces went
    /// A word of a run of plain words: where it is in the run, its key's hash and whether no
    /// space comes before it in its unit.
    struct PlainWord {
        qsizetype from;
        qsizetype end;
        std::size_t hash;
        bool atUnitStart;
    };
    std::vector<PlainWord> m_plainWords;   // walkPlainWords()' scratch: the run's words
    std::vector<PlainWords::Span> m_spans; // walkPlainWords()' scratch: the words that go
    QString m_folded;                      // foldedPlain()'s scratch
};

} // namespace quillsift::engine
