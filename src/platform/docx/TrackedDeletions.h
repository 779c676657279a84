// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "text/FenwickTree.h"

#include <QtGlobal>

#include <cstddef>
#include <vector>

namespace quillsift::docx {

/// Replays a story's deletions over the text its paragraphs had when they were read, and says
/// which of those characters are gone. Each deletion counts its offset in the text of its
/// paragraph as it stood at the time: after the paragraph's earlier deletions, and after the
/// paragraphs it was joined with when its mark went. The paragraphs keep their order, so that
/// text is the characters still there from the paragraph's first one on, and a deletion is found
/// by rank among them. Owns one bit a character and the count of those left in every 64, in a
/// Fenwick tree: a deletion costs a logarithm for each word of bits it reaches.
class TrackedDeletions
{
  public:
    /// A stretch [from, to) of one paragraph's text, as it was read, that is deleted.
    struct Cut {
        std::size_t paragraph = 0;
        qint64 from = 0;
        qint64 to = 0;
    };

    /// lengths: the text length of every paragraph in document order, marks included.
    explicit TrackedDeletions(const std::vector<qint64>& lengths);

    /// Deletes length characters from offset of the text of the paragraph numbered paragraph.
    /// Returns false, changing nothing, when the document holds no such paragraph or text.
    bool remove(std::size_t paragraph, qint64 offset, qint64 length);
    /// The characters not deleted.
    qint64 remaining() const
    {
        return m_counts.total();
    }
    /// Every deleted stretch, in document order, adjacent ones of a paragraph as one.
    std::vector<Cut> cuts() const;

  private:
    /// How many characters before the position are still there.
    qint64 remainingBefore(qint64 position) const;

    std::vector<qint64> m_starts;
    std::vector<quint64> m_present;
    text::FenwickTree m_counts;
};

} // namespace quillsift::docx
