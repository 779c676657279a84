// SPDX-License-Identifier: GPL-3.0-or-later
#include "DuplicateWords.h"

#include "Units.h"

#include <unicode/uchar.h>
#include <unicode/ustring.h>

#include <QHash>

#include <algorithm>
#include <iterator>
#include <limits>
#include <vector>

namespace quillsift::engine {

QString searchText(const QString& wordText)
{
    qsizetype first = 0;
    qsizetype last = wordText.size();
    while (first < last && wordText.at(first).unicode() == chars::Space) {
        ++first;
    }
    while (last > first && wordText.at(last - 1).unicode() == chars::Space) {
        --last;
    }
    return wordText.mid(first, last - first);
}

bool passesThreshold(const QString& wordText)
{
    constexpr char16_t slash = 47;
    // Windows-1252 is a single-byte code page that agrees with Unicode on ASCII: every other
    // character it holds has a code of 128 to 255, and every one it cannot hold becomes "?" (63).
    // So the Unicode value decides wherever the Windows-1252 code would be at most 47.
    return !wordText.isEmpty() && wordText.at(0).unicode() > slash;
}

QString foldedSearchText(const QString& text)
{
    const auto* source = reinterpret_cast<const UChar*>(text.utf16());
    const auto length = static_cast<int32_t>(text.size());
    // Full folding grows a text by at most three times ("ΐ" folds to three characters).
    QString folded(text.size() * 3 + 1, Qt::Uninitialized);
    UErrorCode status = U_ZERO_ERROR;
    const int32_t written = u_strFoldCase(reinterpret_cast<UChar*>(folded.data()), static_cast<int32_t>(folded.size()),
                                          source, length, U_FOLD_CASE_DEFAULT, &status);
    if (U_FAILURE(status)) {
        return text.toCaseFolded();
    }
    folded.truncate(written);
    return folded;
}

namespace {

// When a word came to be: from the start, or when a removal joined what was around it.
constexpr qint64 fromTheStart = -1;
constexpr qint64 never = -1;
// Words are settled a stretch at a time; a stretch longer than this (text without spaces, such
// as Chinese) is cut, so one stretch never costs more than a bounded number of host calls.
constexpr size_t longestStretch = 32;

/// One word of the stretch being walked, with what the walk needs of it read once.
struct Piece {
    std::unique_ptr<Range> range;
    QString text;
    QString wanted;
    QString key;
    qint64 formedAt = fromTheStart;
};

/// Whether a word always stands apart from its neighbours, whatever is removed beside it: a
/// space, a control character or a mark below the colon, none of which is ever removed and none
/// of which Unicode word segmentation joins across. The quotation marks, apostrophe, comma and
/// full stop are the exceptions: they join letters or digits ("don't", "3.14", "1,000").
bool standsApart(const QString& text)
{
    if (text.isEmpty()) {
        return true;
    }
    const char16_t first = text.at(0).unicode();
    constexpr char16_t slash = 47;
    return first <= slash && first != u'"' && first != u'\'' && first != u',' && first != u'.';
}

/// The walk over the words. Removals happen in the order a search-and-replace after each word
/// would make them, so that where a removal joins two words into one the result is the same:
/// every search a word passing the threshold stands for gets a time, and a word is removed by
/// the first search for its text that came after the word came to be.
///
/// Only a stretch of words that no space or separating mark divides can be changed by removals
/// inside it, so the walk settles one stretch at a time: before walking it, and again after each
/// word in it whose text occurs later in it, it removes the stretch's words that earlier searches
/// would have removed, in the order of those searches, and reads the stretch again.
class WordWalk
{
  public:
    WordWalk(Document& document, const YieldFunction& yield)
        : m_document(document)
        , m_throttle(yield)
    {
    }

    qint64 run()
    {
        std::unique_ptr<Range> next;
        {
            const auto whole = m_document.range();
            if (whole->wordsCount() <= 1) {
                return 0;
            }
            next = whole->word(1);
        }
        while (next) {
            auto pieces = readStretch(std::move(next));
            settle(pieces, 0);
            for (size_t i = 0; i < pieces.size(); ++i) {
                const QString key = pieces[i].key;
                const bool searches = passesThreshold(pieces[i].text);
                m_lastWalked = std::move(pieces[i].range);
                if (searches) {
                    m_searches[key].push_back(m_clock++);
                    const bool recurs = std::any_of(pieces.begin() + static_cast<std::ptrdiff_t>(i) + 1, pieces.end(),
                                                    [&](const Piece& later) { return later.key == key; });
                    if (recurs) {
                        settle(pieces, i + 1);
                    }
                }
                m_throttle.step();
            }
            next = m_lookahead ? std::move(m_lookahead) : (m_lastWalked ? m_lastWalked->next(Unit::Word) : nullptr);
        }
        return m_removed;
    }

  private:
    Piece readPiece(std::unique_ptr<Range> range) const
    {
        Piece piece;
        piece.text = range->text();
        piece.wanted = searchText(piece.text);
        piece.key = foldedSearchText(piece.wanted);
        piece.range = std::move(range);
        return piece;
    }

    // The words from first up to the end of its stretch, or up to the word that starts at or after
    // limit. A word read that opens the next stretch is kept for it in m_lookahead.
    std::vector<Piece> readStretch(std::unique_ptr<Range> first, qint64 limit = std::numeric_limits<qint64>::max())
    {
        m_lookahead.reset();
        std::vector<Piece> pieces;
        std::unique_ptr<Range> word = std::move(first);
        while (word) {
            if (word->start() >= limit) {
                m_lookahead = std::move(word);
                break;
            }
            Piece piece = readPiece(std::move(word));
            const bool apart = standsApart(piece.text);
            if (apart && !pieces.empty()) {
                m_lookahead = std::move(piece.range);
                break;
            }
            pieces.push_back(std::move(piece));
            const Piece& last = pieces.back();
            if (apart || last.text.endsWith(QChar(chars::Space)) || pieces.size() >= longestStretch) {
                break;
            }
            word = last.range->next(Unit::Word);
        }
        return pieces;
    }

    // The search that removes the piece, or never.
    qint64 removalTime(const Piece& piece) const
    {
        if (piece.wanted.isEmpty()) {
            return never;
        }
        const auto found = m_searches.constFind(piece.key);
        if (found == m_searches.constEnd()) {
            return never;
        }
        const auto after = std::upper_bound(found->begin(), found->end(), piece.formedAt);
        return after == found->end() ? never : *after;
    }

    // Removes the pieces from `from` on that earlier searches remove, search by search.
    void settle(std::vector<Piece>& pieces, size_t from)
    {
        while (true) {
            qint64 first = never;
            for (size_t i = from; i < pieces.size(); ++i) {
                const qint64 time = removalTime(pieces[i]);
                if (time != never && (first == never || time < first)) {
                    first = time;
                }
            }
            if (first == never) {
                return;
            }
            for (size_t i = pieces.size(); i-- > from;) {
                Piece& piece = pieces[i];
                if (removalTime(piece) != first) {
                    continue;
                }
                // The host's own whole-word search over just this word removes its characters
                // and leaves its spaces, as a replace-all over the rest of the text would.
                auto find = piece.range->find();
                find->setMatchWholeWord(true);
                if (find->execute(piece.wanted, FindWrap::Stop, QString(), FindReplace::All)) {
                    ++m_removed;
                } else {
                    // The host does not see a match: this search leaves the word alone.
                    piece.formedAt = first;
                }
            }
            reread(pieces, from, first);
            m_throttle.step();
        }
    }

    // Reads the stretch again from `from` on after removals made by search `time`. A word that
    // was there before keeps when it came to be; a word that was not was made by the removals.
    void reread(std::vector<Piece>& pieces, size_t from, qint64 time)
    {
        // Removals never reach beyond the stretch: it ends where its last word now ends.
        const qint64 limit = pieces.back().range->end();
        QHash<qint64, size_t> before;
        for (size_t i = from; i < pieces.size(); ++i) {
            before.insert(pieces[i].range->start(), i);
        }
        auto restart = m_lastWalked ? m_lastWalked->next(Unit::Word) : m_document.range()->word(1);
        std::vector<Piece> fresh = restart ? readStretch(std::move(restart), limit) : std::vector<Piece>();
        for (Piece& piece : fresh) {
            const auto old = before.constFind(piece.range->start());
            const bool same = old != before.constEnd() && pieces[*old].text == piece.text;
            piece.formedAt = same ? pieces[*old].formedAt : time;
        }
        pieces.resize(from);
        std::move(fresh.begin(), fresh.end(), std::back_inserter(pieces));
    }

    Document& m_document;
    YieldThrottle m_throttle;
    QHash<QString, std::vector<qint64>> m_searches;
    qint64 m_clock = 0;
    qint64 m_removed = 0;
    std::unique_ptr<Range> m_lastWalked;
    std::unique_ptr<Range> m_lookahead;
};

} // namespace

qint64 removeDuplicateWords(Document& document, const YieldFunction& yield)
{
    return WordWalk(document, yield).run();
}

} // namespace quillsift::engine
