// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "WordNames.h"

#include <QString>

#include <pugixml.hpp>

#include <string>

namespace quillsift::docx {

/// The edits of the main part's XML at and below the paragraph element: cutting characters out
/// of a w:t and putting text into one, taking an element out of its run (and the run with it
/// when nothing is left), joining two paragraph elements, and moving the markers of a paragraph
/// that goes. Touches only the elements it is handed and their neighbours; knows nothing of
/// positions or indexes. Owns a scratch buffer for the new values of w:t elements.
class RunSurgery
{
  public:
    explicit RunSurgery(const WordNames& names);

    /// A paragraph element's w:pPr, or null.
    pugi::xml_node properties(pugi::xml_node paragraph) const;
    /// Removes a piece's element from its run, and the run when only its properties are left.
    void removeFromRun(pugi::xml_node node) const;
    /// Removes the characters [from, to) of a w:t element, which keeps at least one.
    void removeCharacters(pugi::xml_node textElement, qint64 from, qint64 to);
    /// Inserts text at character at of a w:t element.
    void insertCharacters(pugi::xml_node textElement, qint64 at, const QString& text) const;
    /// Puts text into a new w:t beside element in its run, before it or after it; beside an
    /// element that stands in the paragraph itself (an equation), into a new run.
    void insertBeside(pugi::xml_node element, bool before, const QString& text) const;
    /// Puts text into a new run at the end of a paragraph element.
    void appendRun(pugi::xml_node paragraph, const QString& text) const;
    /// Makes the paragraph elements first and second, and the markers between them, one element:
    /// first's when intoFirst, else second's, with first's properties and attributes.
    void joinElements(pugi::xml_node first, pugi::xml_node second, bool intoFirst) const;
    /// Moves the bookmarks, comment ranges and permissions inside a paragraph element that is to
    /// go out in front of it, in their order, so that none loses its partner. Only those are
    /// moved: the markers of paragraphs removed before stay where they are.
    void keepMarkers(pugi::xml_node paragraph) const;

  private:
    const WordNames& m_names;
    /// removeCharacters()'s scratch: a w:t's new value.
    std::string m_newValue;
};

} // namespace quillsift::docx
