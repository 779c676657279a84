// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "DeletionLog.h"
#include "DocxFinder.h"
#include "LiveRanges.h"
#include "MarkRules.h"
#include "Paragraph.h"
#include "ParagraphWords.h"
#include "RunSurgery.h"
#include "WordNames.h"

#include "text/ParagraphIndex.h"
#include "text/UnitNavigation.h"

#include <QString>

#include <span>
#include <utility>
#include <vector>

namespace quillsift::docx {

/// The edits of the main story: Delete as Word does it (whole paragraphs go, or their characters,
/// and a deleted mark joins a paragraph with the next) and the insertion of plain text. Keeps
/// every part of the story in step with each edit: the XML (through RunSurgery, by MarkRules),
/// the paragraphs' text and pieces, the paragraph index, the word units and their counts, the
/// finder's indexes, the live ranges and the log of deletions (where the story keeps one). Owns
/// only the surgery and the rules; the rest it is given.
class StoryEditor
{
  public:
    using Navigation = text::UnitNavigation<ParagraphWords>;
    /// The parts of the story the editor keeps in step.
    struct Parts {
        std::vector<Paragraph>& paragraphs;
        text::ParagraphIndex& index;
        ParagraphWords& words;
        Navigation& navigation;
        DocxFinder& finder;
        LiveRanges& ranges;
        /// Null where the story keeps no record of its deletions.
        DeletionLog* log;
    };

    StoryEditor(const Parts& parts, const WordNames& names);
    StoryEditor(const StoryEditor&) = delete;
    StoryEditor& operator=(const StoryEditor&) = delete;

    /// Deletes [start, end) of the story, clamped to it, and moves every live range; returns
    /// whether there was anything to delete.
    bool deleteText(qint64 start, qint64 end);
    /// Inserts plain text (no paragraph marks) at position, in the run of the text around it.
    /// Characters XML cannot hold are left out. Ranges that end at or after position grow or
    /// move; a range starting there keeps its start. Returns whether anything was inserted.
    bool insertText(qint64 position, const QString& text);
    /// Deletes the spans [first, second) of paragraph slot's characters before its mark
    /// (ascending, apart), last first, as deleteText over each would.
    void deleteInParagraph(std::size_t slot, std::span<const std::pair<qint64, qint64>> spans);

  private:
    void removeParagraph(std::size_t slot);
    /// Takes a paragraph whose element is gone out of the indexes; its slot counts for nothing.
    void retire(std::size_t slot);
    /// Deletes the paragraph's mark: the next paragraph's content joins it.
    void joinNext(std::size_t slot);
    void deleteCharacters(std::size_t slot, qint64 from, qint64 to);
    void reread(std::size_t slot);
    /// Brings the indexes up to date after paragraph slot's text changed at changeAt.
    void textChanged(std::size_t slot, qint64 oldLength, qint64 changeAt,
                     std::optional<ParagraphWords::UnitRemoval> removal = std::nullopt);
    void logDeletion(std::size_t slot, qint64 offset, qint64 length);

    std::vector<Paragraph>& m_paragraphs;
    text::ParagraphIndex& m_index;
    ParagraphWords& m_words;
    Navigation& m_navigation;
    DocxFinder& m_finder;
    LiveRanges& m_ranges;
    DeletionLog* m_log;
    const WordNames& m_names;
    RunSurgery m_surgery;
    MarkRules m_rules;
};

} // namespace quillsift::docx
