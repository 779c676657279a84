// SPDX-License-Identifier: GPL-3.0-or-later
#include "WordWalk.h"

#include "DuplicateWords.h"
#include "Units.h"

#include <algorithm>
#include <iterator>
#include <limits>
#include <optional>
#include <utility>

namespace quillsift::engine {

namespace {

constexpr qint64 fromTheStart = -1;
constexpr qint64 never = -1;
constexpr qint64 noSearch = SearchTable::none;
constexpr qint64 noLimit = std::numeric_limits<qint64>::max();
// Cutting a stretch after this many words bounds what settling it can cost.
constexpr size_t longestStretch = 32;

/// Whether a word always stands apart from its neighbours, whatever is removed beside it: a
/// space, a control character or a mark below the colon, none of which is ever removed and none
/// of which Unicode word segmentation joins across. The quotation marks, apostrophe, comma and
/// full stop are the exceptions: they join letters or digits ("don't", "3.14", "1,000"). An empty
/// word (first is 0) stands apart too.
bool standsApart(char16_t first)
{
    constexpr char16_t slash = 47;
    return first <= slash && first != u'"' && first != u'\'' && first != u',' && first != u'.';
}

} // namespace

WordWalk::WordWalk(Document& document, const YieldFunction& yield)
    : m_document(document)
    , m_throttle(yield)
{
}

qint64 WordWalk::run()
{
    std::optional<Piece> first;
    {
        const auto whole = m_document.range();
        if (whole->wordsCount() <= 1) {
            return 0;
        }
        if (auto word = whole->word(1)) {
            first = readPiece(std::move(word));
        }
    }
    // One vector for every stretch, so that walking one does not allocate.
    std::vector<Piece>& pieces = m_stretch;
    while (first) {
        readStretch(std::move(*first), noLimit, true, pieces);
        settle(pieces, 0);
        for (size_t i = 0; i < pieces.size(); ++i) {
            Piece& piece = pieces[i];
            m_lastWalked = std::move(piece.range);
            if (piece.leadingSpaces == 0 && passesThreshold(piece.wanted)) {
                const qint64 time = m_clock++;
                if (piece.firstSearch != noSearch) {
                    m_laterSearches[piece.firstSearch].push_back(time);
                } else {
                    piece.firstSearch = time;
                    m_searches.add(piece.key, piece.hash, time);
                }
                bool repeated = false;
                for (size_t k = i + 1; k < pieces.size(); ++k) {
                    if (pieces[k].hash == piece.hash && pieces[k].key == piece.key) {
                        pieces[k].firstSearch = piece.firstSearch;
                        repeated = true;
                    }
                }
                if (repeated) {
                    settle(pieces, i + 1);
                }
            }
            m_throttle.step();
        }
        first = nextStretchStart();
    }
    return m_removed;
}

std::optional<WordWalk::Piece> WordWalk::nextStretchStart()
{
    std::optional<Piece> ahead = std::exchange(m_ahead, std::nullopt);
    if (ahead && !m_lookahead && m_removed == m_removedBeforeAhead) {
        // Nothing has changed since the word was read: it is still the next one.
        return ahead;
    }
    std::unique_ptr<Range> next =
        m_lookahead ? std::move(m_lookahead) : (m_lastWalked ? m_lastWalked->next(Unit::Word) : nullptr);
    if (!next) {
        return std::nullopt;
    }
    // The word read ahead is still the next one when the host's next word spans it exactly and
    // nothing inside it was removed: the walk only ever removes text, so its text is unchanged.
    if (ahead && ahead->range->start() == next->start() && ahead->range->end() == next->end() &&
        next->end() - next->start() == ahead->length()) {
        ahead->range = std::move(next);
        return ahead;
    }
    return readPiece(std::move(next));
}

void WordWalk::keepAhead(std::unique_ptr<Range> range)
{
    if (!range) {
        return;
    }
    m_ahead = readPiece(std::move(range));
    m_removedBeforeAhead = m_removed;
    // Its lookup comes after the stretch before it is settled: by then its slot is at hand.
    m_searches.prefetch(m_ahead->hash);
}

char16_t WordWalk::Piece::first() const
{
    if (leadingSpaces > 0 || (wanted.isEmpty() && trailingSpaces > 0)) {
        return chars::Space;
    }
    return wanted.isEmpty() ? 0 : wanted.front().unicode();
}

WordWalk::Piece WordWalk::readPiece(std::unique_ptr<Range> range)
{
    Piece piece{std::move(range), {}, {}, 0, fromTheStart, noSearch};
    // The text is the piece's own, so the spaces come off in place, without a copy.
    QString& text = piece.wanted;
    text = piece.range->text();
    qsizetype end = text.size();
    while (end > 0 && text.at(end - 1).unicode() == chars::Space) {
        --end;
    }
    piece.trailingSpaces = text.size() - end;
    qsizetype begin = 0;
    while (begin < end && text.at(begin).unicode() == chars::Space) {
        ++begin;
    }
    piece.leadingSpaces = begin;
    if (end < text.size()) {
        text.truncate(end);
    }
    if (begin > 0) {
        text.remove(0, begin);
    }
    piece.key = foldedSearchText(piece.wanted);
    piece.hash = m_searches.hashOf(piece.key);
    return piece;
}

void WordWalk::lookUp(Piece& piece)
{
    if (!piece.wanted.isEmpty()) {
        piece.firstSearch = m_searches.find(piece.key, piece.hash);
    }
}

// The words from first up to the end of its stretch, or up to the word that starts at or after
// limit. The walk (walking) looks their searches up and reads the word after the stretch ahead,
// into m_ahead; a reread keeps the next stretch's first word in m_lookahead.
void WordWalk::readStretch(Piece first, qint64 limit, bool walking, std::vector<Piece>& pieces)
{
    m_lookahead.reset();
    pieces.clear();
    // The word after the stretch: the walk reads it ahead, a reread keeps it for the walk.
    auto handOn = [&](std::unique_ptr<Range> next) {
        if (walking) {
            keepAhead(std::move(next));
        } else {
            m_lookahead = std::move(next);
        }
    };
    std::optional<Piece> piece = std::move(first);
    while (piece) {
        const bool apart = standsApart(piece->first());
        if (apart && !pieces.empty()) {
            handOn(std::move(piece->range));
            break;
        }
        if (walking) {
            lookUp(*piece);
        }
        pieces.push_back(std::move(*piece));
        piece.reset();
        const Piece& last = pieces.back();
        auto word = last.range->next(Unit::Word);
        if (apart || last.trailingSpaces > 0 || pieces.size() >= longestStretch) {
            handOn(std::move(word));
            break;
        }
        if (!word) {
            break;
        }
        if (word->start() >= limit) {
            m_lookahead = std::move(word);
            break;
        }
        piece = readPiece(std::move(word));
    }
}

// The search that removes the piece, or never.
qint64 WordWalk::removalTime(const Piece& piece) const
{
    if (piece.wanted.isEmpty() || piece.firstSearch == noSearch) {
        return never;
    }
    if (piece.firstSearch > piece.formedAt) {
        return piece.firstSearch;
    }
    const auto later = m_laterSearches.find(piece.firstSearch);
    if (later == m_laterSearches.end()) {
        return never;
    }
    const auto after = std::upper_bound(later->second.begin(), later->second.end(), piece.formedAt);
    return after == later->second.end() ? never : *after;
}

// Removes the pieces from `from` on that earlier searches remove, search by search.
void WordWalk::settle(std::vector<Piece>& pieces, size_t from)
{
    std::vector<qint64>& times = m_times;
    times.resize(pieces.size());
    while (true) {
        qint64 first = never;
        for (size_t i = from; i < pieces.size(); ++i) {
            times[i] = removalTime(pieces[i]);
            if (times[i] != never && (first == never || times[i] < first)) {
                first = times[i];
            }
        }
        if (first == never) {
            return;
        }
        const qint64 removedBefore = m_removed;
        for (size_t i = pieces.size(); i-- > from;) {
            if (times[i] != first) {
                continue;
            }
            Piece& piece = pieces[i];
            // The host's own whole-word search over just this word removes its characters and
            // leaves its spaces, as a replace-all over the rest of the text would.
            auto find = piece.range->find();
            find->setMatchWholeWord(true);
            if (find->execute(piece.wanted, FindWrap::Stop, QString(), FindReplace::All)) {
                ++m_removed;
            } else {
                // The host does not see a match: this search leaves the word alone.
                piece.formedAt = first;
            }
        }
        if (from == 0 && pieces.size() == 1 && pieces.front().leadingSpaces == 0 && m_removed == removedBefore + 1) {
            // A stretch of one word that is gone leaves only the spaces after it, which join the
            // word before or stand alone, and nothing after it changed: the word read ahead is
            // still the next one, and there is nothing to read again.
            pieces.clear();
            m_removedBeforeAhead = m_removed;
            return;
        }
        reread(pieces, from, first);
        times.resize(pieces.size());
        m_throttle.step();
    }
}

// Reads the stretch again from `from` on after removals made by search `time`. A word that was
// there before keeps when it came to be; a word that was not was made by the removals.
void WordWalk::reread(std::vector<Piece>& pieces, size_t from, qint64 time)
{
    // Removals never reach beyond the stretch: it ends where its last word now ends.
    const qint64 limit = pieces.back().range->end();
    auto restart = m_lastWalked ? m_lastWalked->next(Unit::Word) : m_document.range()->word(1);
    std::vector<Piece>& fresh = m_fresh;
    fresh.clear();
    if (restart && restart->start() < limit) {
        readStretch(readPiece(std::move(restart)), limit, false, fresh);
    } else {
        m_lookahead = std::move(restart);
    }
    // Stretches are short: looking the old words up one by one costs less than an index.
    for (Piece& piece : fresh) {
        const qint64 start = piece.range->start();
        const auto old = std::find_if(pieces.begin() + static_cast<std::ptrdiff_t>(from), pieces.end(),
                                      [&](const Piece& p) { return p.range->start() == start; });
        const bool same = old != pieces.end() && old->sameText(piece);
        piece.formedAt = same ? old->formedAt : time;
        if (same) {
            piece.firstSearch = old->firstSearch;
        } else {
            lookUp(piece);
        }
    }
    pieces.resize(from);
    std::move(fresh.begin(), fresh.end(), std::back_inserter(pieces));
    fresh.clear();
}

} // namespace quillsift::engine
