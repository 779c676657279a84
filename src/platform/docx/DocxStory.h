// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/ProcessorShare.h"

#include "DeletionLog.h"
#include "DocxFinder.h"
#include "FormattedView.h"
#include "LiveRanges.h"
#include "MainPart.h"
#include "Package.h"
#include "Paragraph.h"
#include "ParagraphWords.h"
#include "SourcePackage.h"
#include "StoryEditor.h"

#include "text/ParagraphIndex.h"
#include "text/UnitNavigation.h"

#include "engine/Units.h"

#include <QString>

#include <memory>
#include <optional>
#include <span>
#include <utility>
#include <vector>

namespace quillsift::docx {

class DocxFormattedText;
class DocxRange;

/// Whether a story keeps what each deletion took out (DeletionLog). The host window shows it and
/// a save with tracked changes is made from it; a caller that needs neither leaves it out, which
/// spares the memory of every removed text and the time to copy it.
enum class DeletionRecord { Kept, NotKept };

/// The main story of one open document: its paragraphs in document order, wired to the parts
/// that read, walk, search, edit and save them. Paragraphs keep their slot for the document's
/// whole life (a deleted one just counts for nothing), so a slot is also a paragraph's place in
/// the original order. Owns every part and the document's open, modified and origin state; the
/// work is the parts'. Keeps track of the formatted texts read of it that still read it (while
/// the story is as it was when they were read) and settles them before it changes.
class DocxStory : public std::enable_shared_from_this<DocxStory>
{
  public:
    /// A unit of text: a paragraph, or a word unit within one.
    using Span = text::UnitSpan;
    /// What a Delete took out, for the host window (DeletionLog).
    using Deletion = DeletionLog::Deletion;
    /// The paragraphs with their basic formatting, for the host window (FormattedView).
    using FormattedRun = FormattedView::Run;
    using FormattedParagraph = FormattedView::Paragraph;

    /// Parses the package's main part. Throws HostError naming fileName.
    /// A word count of a long story segments its second half on a processor processors lends,
    /// if one is free; saving deflates on those it lends. source gives the package again as it
    /// was read; without it the story keeps package itself for that. record says whether the
    /// story keeps a log of its deletions; without one, a deletion is an edit outside the log.
    DocxStory(const QString& fileName, Package package, platform::ProcessorShare* processors = nullptr,
              SourcePackage source = {}, DeletionRecord record = DeletionRecord::Kept);
    ~DocxStory();
    DocxStory(const DocxStory&) = delete;
    DocxStory& operator=(const DocxStory&) = delete;

    /// Replaces the whole story with another package's; every live range collapses to the start.
    void replace(Package package);
    /// Whether the story is as its package was read: nothing deleted or inserted since.
    bool isAsRead() const
    {
        return m_onlyLogged && m_log.size() == 0;
    }
    /// Replaces the whole story with the content of closed, a closed story as it was read (one
    /// edited since would not match its package's slots and positions), which is left with
    /// this story's content in exchange: the parsed package, the paragraphs and their words,
    /// the package read and the log. Formatted texts that read closed read this story from now
    /// on. Every live range of either collapses to the start.
    void takeContentOf(DocxStory& closed);
    /// Notes a formatted text read of this story, to be settled before the story changes.
    void keepReader(const std::shared_ptr<DocxFormattedText>& reader);

    const QString& fileName() const
    {
        return m_fileName;
    }
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
    /// Throws HostError when the document has been closed.
    void ensureOpen() const;
    void close()
    {
        m_closed = true;
    }
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

    qint64 length() const
    {
        return m_index.length();
    }
    QString text(qint64 start, qint64 end) const;

    /// The walks and counts of UnitNavigation.
    std::optional<Span> unitAt(engine::Unit unit, qint64 position)
    {
        return m_navigation.unitAt(unit, position);
    }
    std::optional<Span> nextUnit(engine::Unit unit, qint64 start, qint64 end)
    {
        return m_navigation.nextUnit(unit, start, end);
    }
    std::optional<Span> previousUnit(engine::Unit unit, qint64 start)
    {
        return m_navigation.previousUnit(unit, start);
    }
    qint64 countUnits(engine::Unit unit, qint64 start, qint64 end)
    {
        return m_navigation.countUnits(unit, start, end);
    }
    std::optional<Span> unitByIndex(engine::Unit unit, qint64 start, qint64 end, qint64 index)
    {
        return m_navigation.unitByIndex(unit, start, end, index);
    }

    /// Deletes [start, end) as Range.Delete does and moves every live range.
    void deleteText(qint64 start, qint64 end);
    /// The slot of the live paragraph that holds position, and where it begins.
    struct Place {
        std::size_t slot = 0;
        qint64 start = 0;
    };
    std::optional<Place> paragraphAt(qint64 position) const;
    /// The paragraph in slot with the ends of its word units, segmenting it first where it has
    /// none yet.
    const Paragraph& paragraphWithUnits(std::size_t slot)
    {
        m_words.unitEnds(slot);
        return m_paragraphs[slot];
    }
    /// Deletes the spans of paragraph slot's characters before its mark, as
    /// StoryEditor::deleteInParagraph does, and moves every live range.
    void deleteInParagraph(std::size_t slot, std::span<const std::pair<qint64, qint64>> spans);
    /// Inserts plain text (no paragraph marks) at position, as StoryEditor::insertText does.
    void insertText(qint64 position, const QString& text);
    /// Every literal, case-insensitive match of needle inside [start, end), in order, without overlaps.
    std::vector<Span> findMatches(qint64 start, qint64 end, const QString& needle, bool wholeWord)
    {
        return m_finder.findMatches(start, end, needle, wholeWord);
    }

    void registerRange(DocxRange* range)
    {
        m_ranges.add(range);
    }
    void unregisterRange(DocxRange* range)
    {
        m_ranges.remove(range);
    }

    /// The package as it stands now, the main part serialised from the edited XML.
    Package package() const
    {
        return m_main->package();
    }
    /// The same, to be written at once (MainPart::packageToWrite).
    Package packageToWrite() const
    {
        return m_main->packageToWrite(m_processors);
    }
    const QString& mainPartName() const
    {
        return m_main->name();
    }
    platform::ProcessorShare* processors() const
    {
        return m_processors;
    }
    /// What was left out or mended when the package was read (Package::notes).
    const QStringList& readingNotes() const
    {
        return m_main->readingNotes();
    }
    std::vector<Deletion> deletions() const
    {
        return m_log.entries();
    }
    std::size_t deletionCount() const
    {
        return m_log.size();
    }
    /// Starts the log of deletions afresh (a copy trimmed to the stretch it was taken from has
    /// lost nothing the user should see, but no longer differs from its package by the log alone).
    void forgetDeletions()
    {
        m_onlyLogged = m_onlyLogged && m_log.size() == 0;
        m_log.clear();
    }
    /// Every paragraph slot, live or not, and the names its XML is in, for RemovalHistory.
    const std::vector<Paragraph>& paragraphs() const
    {
        return m_paragraphs;
    }
    const WordNames& names() const
    {
        return m_main->names();
    }
    /// The package the story was read from, before any edit, and the log of what was deleted
    /// since; the two give the story as it stands when onlyLoggedEdits() (nothing was inserted
    /// and nothing deleted outside the log).
    const SourcePackage& original() const
    {
        return m_original;
    }
    const DeletionLog& deletionLog() const
    {
        return m_log;
    }
    bool onlyLoggedEdits() const
    {
        return m_onlyLogged;
    }
    bool keepsDeletions() const
    {
        return m_record == DeletionRecord::Kept;
    }
    /// The live paragraphs with their direct bold, italic and underline formatting.
    std::vector<FormattedParagraph> formattedParagraphs() const
    {
        return FormattedView::of(m_paragraphs, m_main->names());
    }

  private:
    void load(Package package, SourcePackage source);
    /// Makes the parts that work in the current content's names and caches afresh.
    void rewire();
    /// Gives every formatted text that still reads this story its own package, as the story is
    /// about to change.
    void settleReaders();

    QString m_fileName;
    platform::ProcessorShare* m_processors = nullptr;
    DeletionRecord m_record = DeletionRecord::Kept;
    std::unique_ptr<MainPart> m_main;
    std::vector<Paragraph> m_paragraphs;
    text::ParagraphIndex m_index;
    ParagraphWords m_words;
    StoryEditor::Navigation m_navigation;
    DocxFinder m_finder;
    LiveRanges m_ranges;
    DeletionLog m_log;
    SourcePackage m_original;
    bool m_onlyLogged = true;
    std::vector<std::weak_ptr<DocxFormattedText>> m_readers;
    /// Made again for every package read: it works in the names of the package's main part.
    std::unique_ptr<StoryEditor> m_editor;
    QString m_copiedFrom;
    bool m_plainText = false;
    bool m_closed = false;
    bool m_modified = false;
};

} // namespace quillsift::docx
