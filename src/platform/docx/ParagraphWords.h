// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "Paragraph.h"

#include "platform/ProcessorShare.h"
#include "text/ParagraphIndex.h"
#include "text/WordSegmenter.h"

#include <optional>
#include <vector>

namespace quillsift::docx {

/// The word units of the main story's paragraphs. Segments a paragraph when its units are first
/// asked for, every paragraph at once before the story's words are counted (a long story's
/// second half on a processor the share lends), and after an edit segments again only what the
/// edit can have changed. Owns the segmenter; writes the paragraphs' unit ends and nothing else,
/// and reads the paragraph index only to split the story in two.
class ParagraphWords
{
  public:
    ParagraphWords(std::vector<Paragraph>& paragraphs, const text::ParagraphIndex& index,
                   platform::ProcessorShare* processors);
    ParagraphWords(const ParagraphWords&) = delete;
    ParagraphWords& operator=(const ParagraphWords&) = delete;

    /// A live paragraph's units, segmented now if they are not yet; a dead one's are empty.
    const UnitEnds& unitEnds(std::size_t slot);
    /// Segments every live paragraph that is not yet.
    void segmentAll();
    /// Whether text is one word unit by itself.
    bool isOneUnit(const QString& text);
    /// Whether text is ASCII letters, digits and underscores only: one word unit, told without
    /// segmenting it.
    static bool isAsciiWord(QStringView text);

    /// A deletion whose new word boundaries are known without segmenting the text again: it takes
    /// the characters of word unit `unit`, after a space or at the paragraph's start, and either
    /// leaves the unit's trailing spaces (which join the unit before) or takes the whole unit
    /// from in front of a mark that a space never joins (whose unit is left as it was).
    struct UnitRemoval {
        std::size_t unit = 0;
        bool leavesSpaces = false;
    };
    /// Whether deleting [from, to) of a paragraph is a UnitRemoval; asked before the text changes.
    /// A run of spaces stands between two units whatever is on either side of it, and an ASCII
    /// mark other than a letter, digit, space or underscore is a unit of its own whatever comes
    /// before it, so neither changes the boundaries around it.
    std::optional<UnitRemoval> unitRemoval(std::size_t slot, qint64 from, qint64 to) const;

    /// The stretch of a paragraph whose units are new after an edit.
    struct Stretch {
        qint64 from = 0;
        qint64 to = 0;
    };
    /// Brings a paragraph's units up to date after its text, oldLength characters long before,
    /// changed at changeAt; returns the stretch whose units are new.
    Stretch textChanged(std::size_t slot, qint64 oldLength, qint64 changeAt,
                        std::optional<UnitRemoval> removal = std::nullopt);

  private:
    /// Paragraphs longer than this are segmented again only around a change, in a window of at
    /// first windowUnits units on either side, which widens until its units agree with the old
    /// ones on `agreeing` boundaries in a row on each side that does not stand after a space.
    static constexpr qint64 longParagraph = 512;
    static constexpr std::size_t windowUnits = 8;
    static constexpr std::size_t agreeing = 4;
    /// Segmenting every paragraph of a story at least this long does its two halves on two threads.
    static constexpr qint64 segmentInTwo = 200000;

    static void segment(text::WordSegmenter& segmenter, Paragraph& paragraph);
    Stretch resegmentAround(Paragraph& paragraph, qint64 changeAt, qint64 delta);

    std::vector<Paragraph>& m_paragraphs;
    const text::ParagraphIndex& m_index;
    platform::ProcessorShare* m_processors = nullptr;
    text::WordSegmenter m_segmenter;
};

} // namespace quillsift::docx
