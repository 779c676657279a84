// SPDX-License-Identifier: GPL-3.0-or-later
#include "DocxFinder.h"

#include "text/CaseFolding.h"

#include <algorithm>

namespace quillsift::docx {

using text::asciiLower;
using text::foldCase;
using text::foldWithOrigins;

DocxFinder::DocxFinder(std::vector<Paragraph>& paragraphs, const text::ParagraphIndex& index, ParagraphWords& words)
    : m_paragraphs(paragraphs)
    , m_index(index)
    , m_words(words)
{
}

void DocxFinder::reset()
{
    m_indexBuilt = false;
    m_wordSlots.clear();
}

void DocxFinder::indexWords(std::size_t slot, qint64 from, qint64 to)
{
    if (m_indexBuilt) {
        indexParagraph(slot, from, to);
    }
}

void DocxFinder::wordsChanged(std::size_t slot, qint64 from, qint64 to)
{
    indexWords(slot, from, to);
    positionUnits(slot, from, to);
}

void DocxFinder::ensureFindIndex()
{
    if (m_indexBuilt) {
        return;
    }
    for (std::size_t slot = 0; slot < m_paragraphs.size(); ++slot) {
        if (m_paragraphs[slot].isAlive()) {
            indexParagraph(slot, 0, m_paragraphs[slot].length());
        }
    }
    m_indexBuilt = true;
}

qint64 DocxFinder::coreEnd(const ParagraphText& text, qint64 unitStart, qint64 unitEnd)
{
    while (unitEnd > unitStart && text[unitEnd - 1] == QLatin1Char(' ')) {
        --unitEnd;
    }
    return unitEnd;
}

template <typename Visit> void DocxFinder::forEachWord(std::size_t slot, qint64 from, qint64 to, Visit visit)
{
    const ParagraphText& text = m_paragraphs[slot].text();
    const auto& ends = m_words.unitEnds(slot);
    auto it = ends.begin() + std::ptrdiff_t(ends.upperBound(std::max<qint64>(from, 0)));
    quint32 begin = it == ends.begin() ? 0 : *(it - 1);
    for (; it != ends.end() && begin < to; ++it) {
        const qint64 end = coreEnd(text, begin, *it);
        if (end > begin) {
            visit(qint64(begin), end);
        }
        begin = *it;
    }
}

void DocxFinder::indexParagraph(std::size_t slot, qint64 from, qint64 to)
{
    forEachWord(slot, from, to, [&](qint64 begin, qint64 wordEnd) {
        std::vector<quint32>& slots = m_wordSlots[foldCase(m_paragraphs[slot].text().mid(begin, wordEnd - begin))];
        if (slots.empty() || slots.back() != slot) {
            slots.push_back(quint32(slot));
        }
    });
}

bool DocxFinder::isWholeWord(std::size_t slot, qint64 from, qint64 to)
{
    const auto& ends = m_words.unitEnds(slot);
    if (from > 0 && !ends.endsAt(from)) {
        return false;
    }
    const auto last = ends.upperBound(to - 1);
    if (last >= ends.size()) {
        return false;
    }
    const ParagraphText& text = m_paragraphs[slot].text();
    const qint64 unitStart = last > 0 ? ends[last - 1] : 0;
    if (m_needleIsOneUnit && unitStart != from) {
        // A word by itself matches one word, not the several a stretch of the text may make.
        return false;
    }
    const qint64 end = coreEnd(text, unitStart, ends[last]);
    return to == (end == unitStart ? qint64(ends[last]) : end);
}

void DocxFinder::matchParagraph(std::size_t slot, qint64 from, qint64 to, const QString& foldedNeedle, bool wholeWord,
                                std::vector<Span>& matches)
{
    // Scratch buffers of the finder's: a word walk matches once a word.
    QString& text = m_matchText;
    QString& folded = m_matchFolded;
    std::vector<qint32>& origins = m_matchOrigins;
    text.resize(0); // keeps its capacity, as clear() would not
    m_paragraphs[slot].text().appendTo(text, from, to - from);
    const qint64 start = m_index.paragraphStart(slot);
    foldWithOrigins(text, folded, origins);
    qsizetype position = 0;
    while (true) {
        const qsizetype found = folded.indexOf(foldedNeedle, position);
        if (found < 0) {
            return;
        }
        const qsizetype foundEnd = found + foldedNeedle.size();
        const qint32 matchStart = origins[std::size_t(found)];
        const qint32 matchEnd = origins[std::size_t(foundEnd)];
        if (matchStart < 0 || matchEnd < 0 || (wholeWord && !isWholeWord(slot, from + matchStart, from + matchEnd))) {
            position = found + 1;
            continue;
        }
        matches.push_back({start + from + matchStart, start + from + matchEnd});
        position = foundEnd;
    }
}

bool DocxFinder::matchWordInPlace(std::size_t slot, qint64 from, qint64 to, const QString& foldedNeedle,
                                  std::vector<Span>& matches)
{
    const ParagraphText& text = m_paragraphs[slot].text();
    const qint64 wordEnd = coreEnd(text, from, to);
    if (wordEnd - from != foldedNeedle.size()) {
        return false;
    }
    for (qint64 i = from; i < wordEnd; ++i) {
        const char16_t c = text[i].unicode();
        if (c >= 0x80 || asciiLower(c) != foldedNeedle[i - from].unicode()) {
            return false;
        }
    }
    // Folding ASCII keeps every character where it was, and a match that ended in the spaces
    // after the word would end in a space, as the word does not: the start is the one place.
    if (isWholeWord(slot, from, wordEnd)) {
        const qint64 start = m_index.paragraphStart(slot);
        matches.push_back({start + from, start + wordEnd});
    }
    return true;
}

std::vector<DocxFinder::Span> DocxFinder::findMatches(qint64 start, qint64 end, const QString& needle, bool wholeWord)
{
    std::vector<Span> matches;
    start = std::max<qint64>(start, 0);
    end = std::min(end, m_index.length());
    const QString foldedNeedle = foldCase(needle);
    if (foldedNeedle.isEmpty() || start >= end) {
        return matches;
    }
    m_needleIsOneUnit = wholeWord && isPlainWord(needle);
    // A range inside one paragraph (a single word, as the word walk searches) is matched in place:
    // cheaper than any index lookup, whose list of paragraphs may be long for a common word.
    const std::size_t firstSlot = m_index.paragraphAt(start);
    if (firstSlot == m_index.paragraphAt(end - 1)) {
        const qint64 begin = m_index.paragraphStart(firstSlot);
        if (wholeWord && matchWordInPlace(firstSlot, start - begin, end - begin, foldedNeedle, matches)) {
            return matches;
        }
        const bool plainWord = end - start > longSearch && m_needleIsOneUnit;
        matchStretch(firstSlot, start - begin, end - begin, foldedNeedle, wholeWord, plainWord, matches);
        return matches;
    }
    // A whole word that is one unit by itself is looked up in the index of words, so a search costs
    // the paragraphs that hold the word, not the whole range.
    if (m_needleIsOneUnit) {
        ensureFindIndex();
        const auto it = m_wordSlots.find(foldedNeedle);
        if (it == m_wordSlots.end()) {
            return matches;
        }
        std::vector<quint32>& slots = it.value();
        std::sort(slots.begin(), slots.end());
        slots.erase(std::unique(slots.begin(), slots.end()), slots.end());
        slots.erase(
            std::remove_if(slots.begin(), slots.end(), [this](quint32 slot) { return !m_paragraphs[slot].isAlive(); }),
            slots.end());
        const std::vector<quint32> candidates = slots;
        for (const quint32 slot : candidates) {
            const qint64 paragraphBegin = m_index.paragraphStart(slot);
            const qint64 paragraphEnd = paragraphBegin + m_paragraphs[slot].length();
            if (paragraphEnd <= start || paragraphBegin >= end) {
                continue;
            }
            matchStretch(slot, std::max(start, paragraphBegin) - paragraphBegin,
                         std::min(end, paragraphEnd) - paragraphBegin, foldedNeedle, true, true, matches);
        }
        return matches;
    }
    std::size_t slot = firstSlot;
    while (true) {
        const qint64 paragraphBegin = m_index.paragraphStart(slot);
        if (paragraphBegin >= end) {
            break;
        }
        const qint64 paragraphEnd = paragraphBegin + m_paragraphs[slot].length();
        matchParagraph(slot, std::max(start, paragraphBegin) - paragraphBegin,
                       std::min(end, paragraphEnd) - paragraphBegin, foldedNeedle, wholeWord, matches);
        const auto next = m_index.next(slot);
        if (!next) {
            break;
        }
        slot = *next;
    }
    return matches;
}

bool DocxFinder::isPlainWord(const QString& needle)
{
    if (ParagraphWords::isAsciiWord(needle)) {
        return true;
    }
    return !needle.contains(QLatin1Char(' ')) &&
           std::none_of(needle.begin(), needle.end(), [](QChar c) { return c.unicode() < 0x20; }) &&
           m_words.isOneUnit(needle);
}

void DocxFinder::matchStretch(std::size_t slot, qint64 from, qint64 to, const QString& foldedNeedle, bool wholeWord,
                              bool plainWord, std::vector<Span>& matches)
{
    if (plainWord && to - from > longSearch) {
        matchPositions(slot, from, to, foldedNeedle, matches);
    } else {
        matchParagraph(slot, from, to, foldedNeedle, wholeWord, matches);
    }
}

WordPositions& DocxFinder::wordPositions(std::size_t slot)
{
    Paragraph& paragraph = m_paragraphs[slot];
    if (!paragraph.positions()) {
        paragraph.startPositions();
        positionUnits(slot, 0, paragraph.length());
    }
    return *paragraph.positions();
}

void DocxFinder::positionUnits(std::size_t slot, qint64 from, qint64 to)
{
    Paragraph& paragraph = m_paragraphs[slot];
    if (!paragraph.positions()) {
        return;
    }
    forEachWord(slot, from, to, [&](qint64 begin, qint64 wordEnd) {
        paragraph.positions()->add(foldCase(paragraph.text().mid(begin, wordEnd - begin)), begin);
    });
}

void DocxFinder::matchPositions(std::size_t slot, qint64 from, qint64 to, const QString& foldedNeedle,
                                std::vector<Span>& matches)
{
    WordPositions& positions = wordPositions(slot);
    const auto found = positions.words.find(foldedNeedle);
    if (found == positions.words.end()) {
        return;
    }
    std::vector<qint64>& starts = found->starts;
    if (!found->sorted) {
        std::sort(starts.begin(), starts.end());
        starts.erase(std::unique(starts.begin(), starts.end()), starts.end());
        found->sorted = true;
    }
    const SurvivingCharacters& characters = positions.characters;
    const auto low = std::lower_bound(starts.begin(), starts.end(), characters.original(from));
    const auto high = std::lower_bound(low, starts.end(), characters.original(to));
    const ParagraphText& text = m_paragraphs[slot].text();
    const auto& ends = m_words.unitEnds(slot);
    const qint64 paragraphBegin = m_index.paragraphStart(slot);
    // Each place is checked against the text as it is now; those that no longer start a unit
    // holding the word are dropped on the way.
    auto kept = low;
    for (auto it = low; it != high; ++it) {
        if (!characters.survives(*it)) {
            continue;
        }
        const qint64 start = characters.current(*it);
        const auto unit = ends.begin() + std::ptrdiff_t(ends.upperBound(start));
        if (unit == ends.end() || (unit == ends.begin() ? 0 : qint64(*(unit - 1))) != start) {
            continue;
        }
        const qint64 end = coreEnd(text, start, *unit);
        if (end == start || foldCase(text.mid(start, end - start)) != foldedNeedle) {
            continue;
        }
        *kept++ = *it;
        if (end <= to) {
            matches.push_back({paragraphBegin + start, paragraphBegin + end});
        }
    }
    starts.erase(kept, high);
}

} // namespace quillsift::docx
