// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "DocxStory.h"

#include <QString>

#include <memory>
#include <vector>

namespace quillsift::docx {

/// A cleaned copy as it was before its run, for the host window to show: every paragraph in the
/// original order, what was kept with its direct formatting and what was removed where it stood.
/// Long paragraphs come in pieces of at most pieceLength characters, so that a view can lay out
/// and draw one piece at a time. Indexing the story costs O(paragraphs + deletions); a piece
/// costs O(n log n) in its paragraph's length n the first time, and its own length while that
/// paragraph stays the one last asked for. Reads the story, which must not change meanwhile.
class RemovalHistory
{
  public:
    static constexpr qint64 pieceLength = 4096;

    /// One character as it stood before the run.
    struct Character {
        QChar ch;
        bool bold = false;
        bool italic = false;
        bool underline = false;
        bool removed = false;
    };
    /// A stretch of one paragraph, and whether it is the paragraph's last.
    struct Piece {
        std::vector<Character> characters;
        bool endsParagraph = true;
    };

    explicit RemovalHistory(std::shared_ptr<const DocxStory> story);

    /// The pieces of all paragraphs, in order.
    std::size_t pieceCount() const
    {
        return m_piecesBefore.empty() ? 0 : std::size_t(m_piecesBefore.back());
    }
    Piece piece(std::size_t index) const;

  private:
    /// A paragraph, known by its number in the original order, that still stands or lost text.
    struct Shown {
        qint64 slot = -1;
        std::size_t firstDeletion = 0;
        std::size_t deletionCount = 0;
        qint64 length = 0;
    };
    const std::vector<Character>& rebuilt(std::size_t shown) const;

    std::shared_ptr<const DocxStory> m_story;
    std::vector<Shown> m_shown;
    /// The deletions grouped by paragraph, each group in the order they were made.
    std::vector<std::size_t> m_deletions;
    /// For shown paragraph i, the pieces before it; one more entry holds the total.
    std::vector<qint64> m_piecesBefore;
    mutable std::size_t m_cachedShown = std::size_t(-1);
    mutable std::vector<Character> m_cached;
};

} // namespace quillsift::docx
