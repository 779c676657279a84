// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QStringView>
#include <QtGlobal>

#include <cstddef>
#include <span>
#include <utility>

namespace quillsift::engine {

/// A host's quicker way through words of plain text, for the word walk: a run of whole words of
/// printable ASCII, read at once, and the words the walk takes out of it, removed at once, instead
/// of a range, a text and a search for every word.
///
/// Between such words stand only spaces and marks, which no removal joins to anything but spaces:
/// taking a whole word out changes no other word (the walk keeps to that where a mark could go),
/// so the walk knows without a search which words a search would remove. A host offers this only
/// where it is cheaper than its ranges; the walk takes everything else word by word.
class PlainWords
{
  public:
    /// Words as read: what it holds is valid until the next call.
    struct Run {
        /// Where the run begins: where a word unit begins.
        qint64 start = 0;
        /// The run's characters, printable ASCII.
        QStringView text;
        /// The end of every word unit of the run, from its start, ascending; the last is the
        /// text's end.
        std::span<const quint32> unitEnds;
        /// The character before the run in its paragraph, or 0 at the paragraph's start.
        char16_t before = 0;
        /// Whether the run ends where its paragraph's mark begins, and then where the next
        /// paragraph begins (or the story ends).
        bool reachesMark = false;
        qint64 next = 0;
    };
    /// Characters [first, second) of a run, from its start.
    using Span = std::pair<qint64, qint64>;

    virtual ~PlainWords() = default;

    /// Reads the run of word units of printable ASCII that begins at position, where a unit of
    /// one begins: up to its paragraph's mark or the first other unit, and at most units of them
    /// (what it reads costs the host that many units at most). False where there is none. Throws
    /// HostError when the host fails.
    virtual bool read(qint64 position, std::size_t units, Run& run) = 0;
    /// Deletes the spans (ascending, apart) from the run read last, as Range.Delete over each
    /// would. Throws HostError when the host fails.
    virtual void remove(const Run& run, std::span<const Span> spans) = 0;
};

} // namespace quillsift::engine
