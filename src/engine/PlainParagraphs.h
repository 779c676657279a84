// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QLatin1StringView>
#include <QtGlobal>

#include <span>
#include <utility>

namespace quillsift::engine {

/// A host's quicker way through paragraphs of plain text, for the word walk: the words of a
/// paragraph whose text is printable ASCII, read at once, and the words the walk takes out of it,
/// removed at once, instead of a range, a text and a search for every word.
///
/// In such a paragraph the characters next to a word are spaces or marks, which no removal joins
/// to anything but spaces: taking a whole word out changes no other word, so the walk knows
/// without a search which words a search would remove. A host offers this only where it is
/// cheaper than its ranges; the walk takes every other paragraph word by word.
class PlainParagraphs
{
  public:
    /// One paragraph as read: valid until the next call.
    struct Paragraph {
        /// Where the paragraph begins, where its mark begins and where it ends.
        qint64 start = 0;
        qint64 markStart = 0;
        qint64 end = 0;
        /// The characters before the mark.
        QLatin1StringView text;
        /// The end of every word unit before the mark, from the paragraph's start, ascending; the
        /// last is where the mark begins.
        std::span<const quint32> unitEnds;
    };
    /// Characters [first, second) of a paragraph, from its start.
    using Span = std::pair<qint64, qint64>;

    virtual ~PlainParagraphs() = default;

    /// Reads the paragraph that begins at position, where one does and has only printable ASCII
    /// before its mark (or nothing); false where not. Throws HostError when the host fails.
    virtual bool read(qint64 position, Paragraph& paragraph) = 0;
    /// Deletes the spans (ascending, apart, none reaching the mark) from the paragraph read last,
    /// as Range.Delete over each would. Throws HostError when the host fails.
    virtual void remove(const Paragraph& paragraph, std::span<const Span> spans) = 0;
};

} // namespace quillsift::engine
