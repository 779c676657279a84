// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "Paragraph.h"
#include "WordNames.h"

#include <pugixml.hpp>

#include <vector>

namespace quillsift::docx {

/// Reads a main part's body into the story's paragraphs, in document order, table cells and
/// content controls included. Mends first what Word would ask to repair (a table cell without a
/// paragraph of its own, a body without any), so that what is saved is sound. Touches the body's
/// XML for those mendings only; owns nothing once it has returned.
class BodyLoader
{
  public:
    explicit BodyLoader(const WordNames& names);

    /// The paragraphs of body, each with its text and pieces read.
    std::vector<Paragraph> load(pugi::xml_node body) const;

  private:
    /// A paragraph's element found in the body, and whether it ends a table cell.
    struct Found {
        pugi::xml_node node;
        bool cellEnd = false;
    };
    void repairEmptyCells(pugi::xml_node body) const;
    void collect(pugi::xml_node container, std::size_t* cellLast, std::vector<Found>& found) const;

    const WordNames& m_names;
};

} // namespace quillsift::docx
