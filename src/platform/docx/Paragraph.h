// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "ParagraphText.h"
#include "PieceList.h"
#include "WordPositions.h"

#include <QString>

#include <pugixml.hpp>

#include <memory>
#include <vector>

namespace quillsift::docx {

/// One paragraph of the main story with its text and the way back into the XML.
struct Paragraph {
    pugi::xml_node node;
    /// The text including the paragraph mark, and the end-of-cell mark when it ends a cell.
    ParagraphText text;
    PieceList pieces;
    /// The complex-field nesting at the paragraph's start (true: in a field's result).
    std::vector<bool> fieldsAtStart;
    /// The word units' end offsets; empty until first needed.
    UnitEnds unitEnds;
    /// Where its words stand, built when a search first covers a long stretch of it.
    std::unique_ptr<WordPositions> positions;
    /// Its place in the document's original order, as the log of deletions counts it. A paragraph
    /// joined with the one after it keeps the first one's number in whichever slot it lives on.
    quint32 number = 0;
    bool cellEnd = false;
    bool alive = true;
    /// Whether a field begins here and ends in another paragraph (or the other way round).
    bool splitsField = false;

    int markLength() const
    {
        return cellEnd ? 2 : 1;
    }
};

} // namespace quillsift::docx
