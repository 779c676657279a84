// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/ProcessorShare.h"

#include "DeletionLog.h"
#include "FormattedView.h"
#include "LiveRanges.h"
#include "Package.h"
#include "Paragraph.h"
#include "WordNames.h"
#include "text/FenwickTree.h"
#include "text/WordSegmenter.h"

#include "engine/Units.h"

#include <QHash>
#include <QString>

#include <pugixml.hpp>

#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace quillsift::docx {

using text::FenwickTree;
using text::WordSegmenter;

class DocxFinder;
class DocxRange;

/// The main story of one open document: the parsed main part, its paragraphs in document order
/// and the indexes that keep every operation logarithmic. Paragraphs keep their slot for the
/// document's whole life (a deleted one just counts for nothing), so a slot is also a
/// paragraph's place in the original order.
class DocxStory
{
  public:
    /// A unit of text: a paragraph, or a word unit within one.
    struct Span {
        qint64 start = 0;
        qint64 end = 0;
    };
    /// What a Delete took out, for the host window (DeletionLog).
    using Deletion = DeletionLog::Deletion;
    /// The paragraphs with their basic formatting, for the host window (FormattedView).
    using FormattedRun = FormattedView::Run;
    using FormattedParagraph = FormattedView::Paragraph;

    /// Parses the package's main part. Throws HostError naming fileName.
    /// A word count of a long story segments its second half on a processor processors lends,
    /// if one is free; saving deflates on those it lends.
    DocxStory(const QString& fileName, Package package, platform::ProcessorShare* processors = nullptr);
    /// Replaces the whole story with another package's; every live range collapses to the start.
    void replace(Package package);

    /// The file this story was copied from (Range.FormattedText), empty when it was not.
    const QString& copiedFrom() const
    {
        return m_copiedFrom;
    }
    void setCopiedFrom(const QString& path)
    {
        m_copiedFrom = path;
    }
    /// Whether the text came from a plain-text file, so it saves back as plain text.
    bool isPlainText() const
    {
        return m_plainText;
    }
    void setPlainText(bool plainText)
    {
        m_plainText = plainText;
    }
    ~DocxStory();
    DocxStory(const DocxStory&) = delete;
    DocxStory& operator=(const DocxStory&) = delete;

    const QString& fileName() const
    {
        return m_fileName;
    }
    /// Throws HostError when the document has been closed.
    void ensureOpen() const;
    void close();
    bool isClosed() const
    {
        return m_closed;
    }
    bool isModified() const
    {
        return m_modified;
    }
    void setModified(bool modified)
    {
        m_modified = modified;
    }

    qint64 length() const;

    /// The unit containing position; nullopt at or past the end of the story.
    std::optional<Span> unitAt(engine::Unit unit, qint64 position);
    /// Range.Next: for [start, end) non-empty, the first unit starting at or after end; for a
    /// collapsed range, the unit after the one containing it.
    std::optional<Span> nextUnit(engine::Unit unit, qint64 start, qint64 end);
    /// Range.Previous: the last unit that ends at or before start.
    std::optional<Span> previousUnit(engine::Unit unit, qint64 start);
    /// The units overlapping [start, end) (a collapsed range: the unit containing it).
    qint64 countUnits(engine::Unit unit, qint64 start, qint64 end);
    /// The index-th of those units, counted from 1.
    std::optional<Span> unitByIndex(engine::Unit unit, qint64 start, qint64 end, qint64 index);

    QString text(qint64 start, qint64 end) const;
    /// Deletes [start, end) as Range.Delete does and moves every live range.
    void deleteText(qint64 start, qint64 end);
    /// Inserts plain text (no paragraph marks) at position, in the run of the text around it.
    /// Ranges that end at or after position grow or move; a range starting there keeps its start.
    void insertText(qint64 position, const QString& text);
    /// Every literal, case-insensitive match of needle inside [start, end), in order, without overlaps.
    std::vector<Span> findMatches(qint64 start, qint64 end, const QString& needle, bool wholeWord);

    void registerRange(DocxRange* range);
    void unregisterRange(DocxRange* range);

    /// The package as it stands now, the main part serialized from the edited XML.
    Package package() const;
    const QString& mainPartName() const
    {
        return m_mainPart;
    }
    platform::ProcessorShare* processors() const
    {
        return m_processors;
    }
    /// What was left out or mended when the package was read (Package::notes).
    const QStringList& readingNotes() const
    {
        return m_package.notes();
    }
    std::vector<Deletion> deletions() const;
    std::size_t deletionCount() const
    {
        return m_deletionLog.size();
    }
    /// Starts the log of deletions afresh (a copy trimmed to the stretch it was taken from has
    /// lost nothing the user should see).
    void forgetDeletions()
    {
        m_deletionLog.clear();
    }
    /// The live paragraphs with their direct bold, italic and underline formatting.
    std::vector<FormattedParagraph> formattedParagraphs() const;

  private:
    /// Paragraphs longer than this are segmented again only around a change, in a window of
    /// windowUnits units on either side.
    static constexpr qint64 longParagraph = 512;
    static constexpr std::size_t windowUnits = 4;
    /// Counting the words of a story at least this long segments its two halves on two threads.
    static constexpr qint64 segmentInTwo = 200000;

    struct Location {
        std::size_t paragraph = 0;
        std::size_t unit = 0;
    };

    void load(Package package);
    /// A paragraph's element found in the body, and whether it ends a table cell.
    struct Found {
        pugi::xml_node node;
        bool cellEnd = false;
    };
    void collectParagraphs(pugi::xml_node container, std::size_t* cellLast, std::vector<Found>& found);
    void repairEmptyCells(pugi::xml_node body);
    std::size_t paragraphAt(qint64 position) const;
    /// Changes the length of paragraph slot in the index of characters.
    void addCharacters(std::size_t slot, qint64 delta);
    qint64 paragraphStart(std::size_t slot) const;
    std::optional<std::size_t> nextParagraph(std::size_t slot) const;
    std::optional<std::size_t> previousParagraph(std::size_t slot) const;
    static void segment(WordSegmenter& segmenter, Paragraph& paragraph);
    const UnitEnds& unitEnds(std::size_t slot);
    void ensureWordIndex();
    Span spanOf(engine::Unit unit, const Location& location);
    std::optional<Location> locate(engine::Unit unit, qint64 position);
    bool step(engine::Unit unit, Location& location, bool forward);

    /// A paragraph element's w:pPr, or null.
    pugi::xml_node properties(pugi::xml_node paragraph) const;
    bool isPinned(std::size_t slot) const;
    void removeParagraph(std::size_t slot);
    /// Takes a paragraph whose element is gone out of the indexes; its slot counts for nothing.
    void retire(std::size_t slot);
    /// Whether the paragraph's mark can go, joining it with the paragraph after it.
    bool canJoinNext(std::size_t slot) const;
    /// Deletes the paragraph's mark: the next paragraph's content joins it.
    void joinNext(std::size_t slot);
    /// Makes the paragraph elements first and second, and the markers between them, one element:
    /// first's when intoFirst, else second's, with first's properties and attributes.
    void joinElements(pugi::xml_node first, pugi::xml_node second, bool intoFirst);
    void deleteCharacters(std::size_t slot, qint64 from, qint64 to);
    void removeFromRun(pugi::xml_node node);
    /// Removes the characters [from, to) of a w:t element, which keeps at least one.
    void removeCharacters(pugi::xml_node textElement, qint64 from, qint64 to);
    /// Inserts text at character at of a w:t element.
    void insertCharacters(pugi::xml_node textElement, qint64 at, const QString& text);
    void reread(std::size_t slot);
    /// A deletion whose new word boundaries are known without segmenting the text again: it takes
    /// the characters of word unit `unit`, after a space or at the paragraph's start, and either
    /// leaves the unit's trailing spaces (which join the unit before) or takes the whole unit
    /// from in front of a mark that a space never joins (whose unit is left as it was).
    struct UnitRemoval {
        std::size_t unit = 0;
        bool leavesSpaces = false;
    };
    /// Brings the indexes up to date after paragraph slot's text changed at changeAt.
    void textChanged(std::size_t slot, qint64 oldLength, qint64 changeAt,
                     std::optional<UnitRemoval> removal = std::nullopt);
    /// Whether deleting [from, to) of a paragraph is a UnitRemoval. A run of spaces stands between
    /// two units whatever is on either side of it, and an ASCII mark other than a letter, digit,
    /// space or underscore is a unit of its own whatever comes before it, so neither changes the
    /// boundaries around it.
    std::optional<UnitRemoval> unitRemoval(std::size_t slot, qint64 from, qint64 to) const;
    void moveRanges(qint64 from, qint64 to);

    QString m_fileName;
    Package m_package;
    platform::ProcessorShare* m_processors = nullptr;
    QString m_mainPart;
    /// The main part's bytes, which m_xml was parsed from in place and points into.
    QByteArray m_xmlBuffer;
    pugi::xml_document m_xml;
    std::unique_ptr<WordNames> m_names;
    std::vector<Paragraph> m_paragraphs;
    FenwickTree m_characters;
    /// The paragraph paragraphAt() found last, kept up to date by addCharacters(): a walk asks
    /// for the same paragraph many times over before it moves on.
    struct LastParagraph {
        bool valid = false;
        std::size_t slot = 0;
        qint64 start = 0;
        qint64 end = 0;
    };
    mutable LastParagraph m_lastParagraph;
    FenwickTree m_live;
    FenwickTree m_words;
    bool m_wordIndex = false;
    WordSegmenter m_segmenter;
    friend class DocxFinder;
    std::unique_ptr<DocxFinder> m_finder;
    LiveRanges m_ranges;
    void logDeletion(std::size_t slot, qint64 offset, qint64 length);
    DeletionLog m_deletionLog;
    /// removeCharacters()'s scratch: a w:t's new value.
    std::string m_newValue;
    QString m_copiedFrom;
    bool m_plainText = false;
    bool m_closed = false;
    bool m_modified = false;
};

} // namespace quillsift::docx
