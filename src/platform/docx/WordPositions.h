// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "text/FenwickTree.h"

#include <QHash>
#include <QString>

#include <vector>

namespace quillsift::docx {

using text::FenwickTree;

/// Which characters of a text, as it stood at some moment, are still there after removals, so
/// that a position then and a position now convert into each other in O(log n). Positions are
/// counted in the text as it stood ("original") or as it is now ("current").
class SurvivingCharacters
{
  public:
    explicit SurvivingCharacters(qint64 length);

    qint64 originalLength() const
    {
        return m_length;
    }
    bool survives(qint64 original) const
    {
        return (m_bits[std::size_t(original >> 6)] >> (original & 63)) & 1;
    }
    /// How many characters before original are still there: its current position.
    qint64 current(qint64 original) const;
    /// The original position of the character now at current; originalLength() past the last.
    qint64 original(qint64 current) const;
    /// Marks the characters now at [from, to) removed.
    void remove(qint64 from, qint64 to);

  private:
    qint64 m_length;
    /// One bit a character, set while it is there.
    std::vector<quint64> m_bits;
    /// The characters still there in each block of 64.
    FenwickTree m_counts;
};

/// Where the words of one long paragraph stand, so that a whole-word search over a long stretch
/// of it costs the places where the word stands rather than the stretch.
///
/// A place is kept as the original position of the unit's first character. Removals only mark
/// characters gone, so a place stays meaningful; a unit that a removal made (two words joined) is
/// added. An entry may be stale (its unit has changed or gone): a search checks each one it uses
/// and drops those that no longer hold the word. Any other change to the paragraph's text
/// discards the whole index.
struct WordPositions {
    struct Places {
        std::vector<qint64> starts;
        bool sorted = true;
    };

    explicit WordPositions(qint64 length)
        : characters(length)
    {
    }

    /// Records that a unit whose case-folded text is word starts at current position start.
    void add(const QString& word, qint64 start);

    SurvivingCharacters characters;
    QHash<QString, Places> words;
};

} // namespace quillsift::docx
