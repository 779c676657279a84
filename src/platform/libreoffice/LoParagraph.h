// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <com/sun/star/text/XText.hpp>
#include <com/sun/star/text/XTextRange.hpp>

#include <QString>

#include <vector>

namespace quillsift::libreoffice {

/// One paragraph of a document open in LibreOffice: its UNO object, the text it holds as the
/// story counts characters, and how those characters map to Writer's cursor steps.
struct LoParagraph {
    css::uno::Reference<css::text::XTextRange> range;
    css::uno::Reference<css::text::XText> container;
    /// The text with its mark: "...\r", or "...\r\a" for the last paragraph of a table cell.
    QString text;
    /// For every character of the text before the mark, and for its end, the count of
    /// LibreOffice's cursor steps from the paragraph's start; empty where the two agree.
    std::vector<qint32> cursorSteps;
    std::vector<quint32> unitEnds;
    bool endOfCell = false;
    /// Its mark cannot go: the last paragraph of its text or cell, or one a table follows.
    bool pinned = false;
    bool alive = true;
};

} // namespace quillsift::libreoffice
