// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "text/SurvivingCharacters.h"

#include <QHash>
#include <QString>

#include <vector>

namespace quillsift::docx {

using text::SurvivingCharacters;

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
