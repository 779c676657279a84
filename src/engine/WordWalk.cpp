// SPDX-License-Identifier: GPL-3.0-or-later
#include "WordWalk.h"

#include "DuplicateWords.h"
#include "Units.h"

#include "text/CaseFolding.h"

#include <algorithm>
#include <utility>

namespace quillsift::engine {

namespace {

constexpr qint64 fromTheStart = -1;
constexpr qint64 never = -1;
constexpr qint64 noSearch = SearchTable::none;
// Removals of one search with fewer characters than this between them are made by one search
// over them all: each can change the words of the other.
constexpr qint64 clusterGap = 64;
// A reread starts this many words before the first removal (more where those changed too), and
// ends where, past the last, this many words in a row are the ones read before.
constexpr int context = 4;
constexpr int agreeing = 4;
// The fewest and the most words the walk asks the host for at once where it reads plain words.
constexpr std::size_t shortestRun = 16;
constexpr std::size_t longestRun = 256;

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

/// Where the word of the unit [begin, end) of text lies without the spaces before and after it
/// (a unit of spaces only has them all after).
std::pair<qsizetype, qsizetype> wordWithin(QStringView text, qsizetype begin, qsizetype end)
{
    while (end > begin && text[end - 1].unicode() == chars::Space) {
        --end;
    }
    while (begin < end && text[begin].unicode() == chars::Space) {
        ++begin;
    }
    return {begin, end};
}

} // namespace

WordWalk::WordWalk(Document& document, const YieldFunction& yield)
    : m_document(document)
    , m_plain(document.plainWords())
    , m_throttle(yield)
    , m_pieces(document)
{
}

qint64 WordWalk::run()
{
    std::optional<Piece> first;
    {
        const auto whole = m_document.range();
        const qint64 words = whole->wordsCount();
        if (words <= 1) {
            return 0;
        }
        // A long document repeats most of its words: room for a quarter of them as distinct
        // saves the table from hashing its keys again at every doubling, at a slot (16 bytes) for
        // every 2.5 words where fewer are distinct.
        m_searches.reserve(std::size_t(words / 4));
        if (auto word = whole->word(1)) {
            first = read(std::move(word));
        }
    }
    while (first) {
        if (m_plain) {
            if (const auto stopped = walkPlainWords(first->range->start())) {
                // The walk goes on word by word from where the plain words end, as from a word
                // it walked.
                m_lastWalked = *stopped > 0 ? m_pieces.unitAt(*stopped - 1) : nullptr;
                auto unit = m_pieces.unitAt(*stopped);
                if (!unit) {
                    break;
                }
                first = read(std::move(unit));
            }
        }
        readStretch(std::move(*first));
        settle();
        while (!m_pieces.empty()) {
            Piece piece = m_pieces.takeFirst();
            m_lastWalked = m_pieces.rangeOf(piece);
            if (piece.leadingSpaces == 0 && passesThreshold(piece.wanted)) {
                const qint64 time = m_clock++;
                if (piece.firstSearch != noSearch) {
                    m_laterSearches[piece.firstSearch].push_back(time);
                } else {
                    piece.firstSearch = time;
                    m_searches.add(piece.key, piece.hash, time);
                }
                m_pieces.forEachWithHash(piece.hash, [&](Piece& later) {
                    if (later.key == piece.key) {
                        later.firstSearch = piece.firstSearch;
                        schedule(later);
                    }
                });
                settle();
            }
            m_throttle.step();
        }
        first = nextStretchStart();
    }
    return m_removed;
}

std::optional<qint64> WordWalk::walkPlainWords(qint64 position)
{
    std::optional<qint64> stopped;
    PlainWords::Run run;
    // A run is read a few words long at first and twice as long each time it is taken whole, so
    // that text where runs are short costs the host no more to read than text where they are long.
    std::size_t units = shortestRun;
    while (m_plain->read(position, units, run)) {
        const std::size_t taken = wordsStayingApart(run);
        if (taken == 0) {
            break;
        }
        units = taken == run.unitEnds.size() ? std::min(2 * units, longestRun) : shortestRun;
        const QStringView text = run.text;
        const QStringView folded = foldedPlain(text);
        // The words without the spaces around them, as read() takes them, each with its key's
        // hash; their slots are fetched while the next are hashed, then all are looked up in turn.
        m_plainWords.clear();
        qsizetype begin = 0;
        for (const quint32 unitEnd : run.unitEnds.first(taken)) {
            const auto [from, end] = wordWithin(text, begin, unitEnd);
            if (from < end) {
                const std::size_t hash = m_searches.hashOf(folded.sliced(from, end - from));
                m_searches.prefetch(hash);
                m_plainWords.push_back({from, end, hash, from == begin});
            }
            begin = qsizetype(unitEnd);
        }
        m_spans.clear();
        qint64 removedCharacters = 0;
        for (const PlainWord& word : m_plainWords) {
            const QStringView key = folded.sliced(word.from, word.end - word.from);
            if (m_searches.find(key, word.hash) != noSearch) {
                // Every word of the run was there from the start: the first search for its text,
                // which came before it, removes it.
                m_spans.emplace_back(word.from, word.end);
                removedCharacters += word.end - word.from;
            } else if (word.atUnitStart && passesThreshold(text.sliced(word.from, word.end - word.from))) {
                m_searches.add(key, word.hash, m_clock++);
            }
        }
        // A run that reaches its paragraph's mark goes on after it: the mark is no word. (The run
        // is read before its words go, which ends what it holds.)
        const bool whole = taken == run.unitEnds.size() && run.reachesMark;
        const qint64 after = whole ? run.next : run.start + run.unitEnds[taken - 1];
        if (!m_spans.empty()) {
            m_plain->remove(run, m_spans);
            m_removed += qint64(m_spans.size());
        }
        position = after - removedCharacters;
        stopped = position;
        m_throttle.step();
    }
    return stopped;
}

std::size_t WordWalk::wordsStayingApart(const PlainWords::Run& run)
{
    // A word of letters, digits and underscores (with the marks Unicode lets join them inside it,
    // as in "don't" or "3.14") has no such character beside it, or that would be part of it: when
    // it goes, the marks or spaces on either side meet, and marks never join. A mark that can be
    // searched for (a colon, a question mark, ...) may go too: where a space or the paragraph's
    // edge is beside it, what is on its other side still meets that. Letters or digits on both
    // sides of one, though, could join when it went: the run ends at the last space before it, so
    // that what could join is walked word by word. A run that stops short of its paragraph's mark
    // ends at the last space too, as what comes after it can join only what is not a space.
    const QStringView text = run.text;
    const auto isSpace = [&](qsizetype at) {
        if (at < 0) {
            return run.before == 0 || run.before == u' ';
        }
        return at >= text.size() ? run.reachesMark : text[at] == QLatin1Char(' ');
    };
    std::size_t throughSpace = 0;
    qsizetype begin = 0;
    for (std::size_t unit = 0; unit < run.unitEnds.size(); ++unit) {
        const auto end = qsizetype(run.unitEnds[unit]);
        const auto [first, last] = wordWithin(text, begin, end);
        if (first < last) {
            const char16_t c = text[first].unicode();
            const bool word =
                (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || (c >= u'0' && c <= u'9') || c == u'_';
            if (!word && passesThreshold(text.sliced(first, 1)) && !isSpace(first - 1) && !isSpace(first + 1)) {
                return throughSpace;
            }
        }
        if (text[end - 1] == QLatin1Char(' ')) {
            throughSpace = unit + 1;
        }
        begin = end;
    }
    return run.reachesMark ? run.unitEnds.size() : throughSpace;
}

QStringView WordWalk::foldedPlain(QStringView plain)
{
    if (m_folded.size() < plain.size()) {
        m_folded.resize(plain.size());
    }
    char16_t* out = reinterpret_cast<char16_t*>(m_folded.data());
    for (qsizetype i = 0; i < plain.size(); ++i) {
        out[i] = text::asciiLower(plain[i].unicode());
    }
    return QStringView(m_folded).first(plain.size());
}

WordWalk::Piece WordWalk::read(std::unique_ptr<Range> range)
{
    Piece piece;
    piece.range = std::move(range);
    piece.formedAt = fromTheStart;
    piece.firstSearch = noSearch;
    // The text is the piece's own, so the spaces come off in place, without a copy.
    QString& text = piece.wanted;
    text = piece.range->text();
    const auto [begin, end] = wordWithin(text, 0, text.size());
    piece.trailingSpaces = text.size() - end;
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

void WordWalk::schedule(const Piece& piece)
{
    const qint64 time = removalTime(piece);
    if (time != never) {
        m_queue.push({time, piece.origin, piece.id});
    }
}

// The words from first up to the end of its stretch; the word after it is read ahead.
void WordWalk::readStretch(Piece first)
{
    const qint64 start = first.range->start();
    m_pieces.start(start);
    qint64 end = start;
    std::optional<Piece> piece = std::move(first);
    while (piece) {
        const bool apart = standsApart(piece->first());
        if (apart && !m_pieces.empty()) {
            keepAhead(std::move(piece->range));
            break;
        }
        piece->origin = piece->range->start() - start;
        end = piece->range->end();
        auto word = piece->range->next(Unit::Word);
        const bool last = apart || piece->trailingSpaces > 0;
        m_pieces.add(std::move(*piece));
        piece.reset();
        if (last) {
            keepAhead(std::move(word));
            break;
        }
        if (word) {
            piece = read(std::move(word));
        }
    }
    m_pieces.setLength(end - start);
    m_oneWordStretch = m_pieces.size() == 1;
    for (auto& [origin, each] : m_pieces) {
        lookUp(each);
        schedule(each);
    }
}

void WordWalk::keepAhead(std::unique_ptr<Range> range)
{
    if (!range) {
        return;
    }
    m_ahead = read(std::move(range));
    m_removedBeforeAhead = m_removed;
    // Its lookup comes after the stretch before it is settled: by then its slot is at hand.
    m_searches.prefetch(m_ahead->hash);
}

std::optional<WordWalk::Piece> WordWalk::nextStretchStart()
{
    std::optional<Piece> ahead = std::exchange(m_ahead, std::nullopt);
    if (ahead && m_removed == m_removedBeforeAhead) {
        // Nothing has changed since the word was read: it is still the next one.
        return ahead;
    }
    std::unique_ptr<Range> next = m_lastWalked ? m_lastWalked->next(Unit::Word) : m_document.range()->word(1);
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
    return read(std::move(next));
}

void WordWalk::settle()
{
    while (!m_queue.empty()) {
        const qint64 time = m_queue.top().time;
        m_batch.clear();
        while (!m_queue.empty() && m_queue.top().time == time) {
            const Removal removal = m_queue.top();
            m_queue.pop();
            const Piece* piece = m_pieces.find(removal.origin, removal.id);
            if (piece && removalTime(*piece) == time) {
                m_batch.push_back(removal.origin);
            }
        }
        if (m_batch.empty()) {
            continue;
        }
        std::sort(m_batch.begin(), m_batch.end());
        m_batch.erase(std::unique(m_batch.begin(), m_batch.end()), m_batch.end());
        remove(m_batch, time);
        m_throttle.step();
    }
}

void WordWalk::remove(const std::vector<qint64>& origins, qint64 time)
{
    // Every removal of the search is made before anything is read again, as a replace over the
    // rest of the text deletes all it matched; last first, so the positions before stay.
    m_clusters.clear();
    std::size_t end = origins.size();
    while (end > 0) {
        std::size_t begin = end - 1;
        while (begin > 0) {
            const Piece& before = *m_pieces.at(origins[begin - 1]);
            const qint64 gap = m_pieces.position(origins[begin]) - (m_pieces.position(before.origin) + before.length());
            if (gap > clusterGap) {
                break;
            }
            --begin;
        }
        m_clusters.emplace_back(origins[begin], origins[end - 1]);
        removeCluster(std::span(origins).subspan(begin, end - begin), time);
        end = begin;
    }
    if (m_oneWordStretch && m_pieces.empty() && m_leadingSpaces == 0) {
        // A stretch of one word that is gone leaves only the spaces after it, which join the word
        // before or stand alone, and nothing after it changed: the word read ahead is still the
        // next one, and there is nothing to read again.
        m_removedBeforeAhead = m_removed;
        return;
    }
    for (auto it = m_clusters.rbegin(); it != m_clusters.rend(); ++it) {
        reread(it->first, it->second, time);
    }
}

void WordWalk::removeCluster(std::span<const qint64> origins, qint64 time)
{
    Piece& first = *m_pieces.at(origins.front());
    Piece& last = *m_pieces.at(origins.back());
    const bool several = origins.size() > 1;
    // A word by itself is searched in its own range where it keeps one.
    std::unique_ptr<Range> made = several || !last.range ? m_pieces.unitAt(m_pieces.position(last.origin)) : nullptr;
    Range* range = made ? made.get() : last.range.get();
    if (!range) {
        return;
    }
    if (several) {
        range->setStart(m_pieces.position(first.origin));
    }
    m_leadingSpaces = first.leadingSpaces;
    const qint64 from = range->start();
    const QString before = several ? range->text() : QString();
    const qint64 lengthBefore = range->end() - from;
    qint64 expected = 0;
    for (const qint64 origin : origins) {
        expected += m_pieces.at(origin)->wanted.size();
    }
    // The host's own whole-word search over just these words removes their characters and
    // leaves their spaces, as a replace over the rest of the text would.
    auto find = range->find();
    find->setMatchWholeWord(true);
    find->execute(first.wanted, FindWrap::Stop, QString(), FindReplace::All);
    const qint64 removedCharacters = lengthBefore - (range->end() - range->start());
    // Which pieces went: all or none, as nearly always, or else those whose characters the text
    // as it now reads no longer has where they were.
    std::vector<char>& gone = m_gone;
    gone.assign(origins.size(), removedCharacters == expected);
    if (several && removedCharacters != expected && removedCharacters != 0) {
        const QString after = range->text();
        qsizetype read = 0; // in before
        qsizetype now = 0;  // in after
        for (std::size_t i = 0; i < origins.size(); ++i) {
            const Piece& piece = *m_pieces.at(origins[i]);
            const qsizetype wantedAt = m_pieces.position(piece.origin) + piece.leadingSpaces - from;
            now += wantedAt - read;
            read = wantedAt + piece.wanted.size();
            const bool kept = QStringView(after).mid(now, piece.wanted.size()) == piece.wanted;
            gone[i] = !kept;
            if (kept) {
                now += piece.wanted.size();
            }
        }
    }
    for (std::size_t i = origins.size(); i-- > 0;) {
        const auto it = m_pieces.lowerBound(origins[i]);
        Piece& piece = it->second;
        if (!gone[i]) {
            // The host does not see a match: this search leaves the word alone.
            piece.formedAt = time;
            continue;
        }
        m_pieces.charactersRemoved(m_pieces.position(piece.origin) + piece.leadingSpaces, piece.wanted.size());
        m_pieces.erase(it);
        ++m_removed;
    }
}

// After search time's removals, reads again from a few words before `from` (origins) on, until,
// past `through`, the words read are those that were there before; a word that was there keeps
// when it came to be, a word that was not was made by the removals.
void WordWalk::reread(qint64 from, qint64 through, qint64 time)
{
    for (int back = context;; back *= 2) {
        auto old = m_pieces.lowerBound(from);
        for (int stepped = 0; stepped < back && old != m_pieces.begin(); ++stepped) {
            --old;
        }
        std::optional<Piece> fresh;
        int agreed = 0;
        if (old == m_pieces.begin()) {
            // From the word after the one walked last, as the walk goes on from it.
            auto next = m_lastWalked ? m_lastWalked->next(Unit::Word) : m_document.range()->word(1);
            if (next) {
                fresh = read(std::move(next));
            }
        } else {
            // From a word the removals left as it was: one that still reads the same.
            auto unit = m_pieces.unitAt(m_pieces.position(old->first));
            if (!unit || unit->start() != m_pieces.position(old->first)) {
                continue;
            }
            fresh = read(std::move(unit));
            if (!fresh->sameText(old->second)) {
                continue;
            }
        }
        const qint64 stretchEnd = m_pieces.endPosition();
        while (fresh && fresh->range->start() < stretchEnd) {
            fresh->origin = m_pieces.originAt(fresh->range->start());
            while (old != m_pieces.end() && old->first < fresh->origin) {
                old = m_pieces.erase(old);
            }
            auto next = fresh->range->next(Unit::Word);
            if (old != m_pieces.end() && old->first == fresh->origin && old->second.sameText(*fresh)) {
                const bool past = old->first > through;
                ++old;
                if (past && ++agreed >= agreeing) {
                    return;
                }
                if (!past) {
                    agreed = 0;
                }
            } else {
                agreed = 0;
                fresh->formedAt = time;
                lookUp(*fresh);
                const auto added = m_pieces.add(std::move(*fresh));
                schedule(added->second);
                old = std::next(added);
            }
            fresh.reset();
            if (next) {
                fresh = read(std::move(next));
            }
        }
        // The stretch's end: what is left of the old pieces is gone.
        while (old != m_pieces.end()) {
            old = m_pieces.erase(old);
        }
        return;
    }
}

} // namespace quillsift::engine
