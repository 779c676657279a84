// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "Paragraph.h"
#include "ParagraphWords.h"

#include "text/ParagraphIndex.h"
#include "text/UnitNavigation.h"

#include <QHash>
#include <QString>

#include <vector>

namespace quillsift::docx {

/// Find over one story: literal, case-insensitive matches, whole words or not, and the indexes
/// that keep a search from reading more than it must: a story-wide index of the paragraphs that
/// hold each word, built on the first search that spans paragraphs, and a long paragraph's own
/// word positions. Owns the indexes and its scratch buffers; reads the story's paragraphs, their
/// text, unit ends and places, writes their word positions, and is told which words an edit changed.
class DocxFinder
{
  public:
    using Span = text::UnitSpan;

    DocxFinder(std::vector<Paragraph>& paragraphs, const text::ParagraphIndex& index, ParagraphWords& words);
    DocxFinder(const DocxFinder&) = delete;
    DocxFinder& operator=(const DocxFinder&) = delete;

    /// Every literal, case-insensitive match of needle inside [start, end), in order, without
    /// overlaps.
    std::vector<Span> findMatches(qint64 start, qint64 end, const QString& needle, bool wholeWord);

    /// The story's text was replaced: every index goes.
    void reset();
    /// The units of slot overlapping [from, to) are new to the slot, for the story-wide index.
    void indexWords(std::size_t slot, qint64 from, qint64 to);
    /// The units of slot overlapping [from, to) changed: both indexes learn them.
    void wordsChanged(std::size_t slot, qint64 from, qint64 to);

    /// A whole-word search over a longer stretch of one paragraph than this looks the word up in
    /// the paragraph's word positions instead of reading the stretch.
    static constexpr qint64 longSearch = 4096;

  private:
    void ensureFindIndex();
    /// Lists slot in the find index under every unit overlapping [from, to).
    void indexParagraph(std::size_t slot, qint64 from, qint64 to);
    /// Where the characters of the unit [unitStart, unitEnd) end, before its trailing spaces.
    static qint64 coreEnd(const ParagraphText& text, qint64 unitStart, qint64 unitEnd);
    /// Calls visit(start, coreEnd) for every unit overlapping [from, to) that holds more than spaces.
    template <typename Visit> void forEachWord(std::size_t slot, qint64 from, qint64 to, Visit visit);
    bool isWholeWord(std::size_t slot, qint64 from, qint64 to);
    /// Whether needle is one word unit by itself, which the indexes of words can look up.
    bool isPlainWord(const QString& needle);
    WordPositions& wordPositions(std::size_t slot);
    /// Adds the units overlapping [from, to) to the paragraph's word positions, if it has them.
    void positionUnits(std::size_t slot, qint64 from, qint64 to);
    /// Matches of a plain word in [from, to) of a paragraph, looked up in its word positions.
    void matchPositions(std::size_t slot, qint64 from, qint64 to, const QString& foldedNeedle,
                        std::vector<Span>& matches);
    /// matchParagraph, or matchPositions where the stretch is long and the needle a plain word.
    void matchStretch(std::size_t slot, qint64 from, qint64 to, const QString& foldedNeedle, bool wholeWord,
                      bool plainWord, std::vector<Span>& matches);
    void matchParagraph(std::size_t slot, qint64 from, qint64 to, const QString& foldedNeedle, bool wholeWord,
                        std::vector<Span>& matches);
    /// Matches a whole-word search over [from, to) of a paragraph without reading the stretch
    /// into a buffer, where it is plain ASCII whose characters before its trailing spaces are as
    /// many as the needle's: the one place a match can be is then its start. Returns false where
    /// the stretch is not like that and matchParagraph must read it.
    bool matchWordInPlace(std::size_t slot, qint64 from, qint64 to, const QString& foldedNeedle,
                          std::vector<Span>& matches);

    std::vector<Paragraph>& m_paragraphs;
    const text::ParagraphIndex& m_index;
    ParagraphWords& m_words;
    bool m_indexBuilt = false;
    /// Whether the whole-word search under way is for one word unit by itself, which matches
    /// only where the text has that one unit.
    bool m_needleIsOneUnit = false;
    /// Case-folded word -> slots of the paragraphs that held it when they were last indexed.
    /// Entries may be stale (the paragraph changed since); a search checks every slot it is given.
    QHash<QString, std::vector<quint32>> m_wordSlots;
    QString m_matchText;
    QString m_matchFolded;
    std::vector<qint32> m_matchOrigins;
};

} // namespace quillsift::docx
