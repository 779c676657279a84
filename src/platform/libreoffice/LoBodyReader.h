// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "LoParagraph.h"

#include <com/sun/star/text/XText.hpp>

#include <vector>

namespace quillsift::libreoffice {

/// Reads a Writer document's body as the story counts it: its paragraphs in document order,
/// table cells included, and each paragraph's text (a field as its result, an object as one
/// character, text a tracked change deleted left out) with Writer's cursor steps beside it.
/// Only reads LibreOffice; throws what UNO throws.
class LoBodyReader
{
  public:
    /// Appends the paragraphs of container, and of the tables in it, to paragraphs (text unread).
    static void collect(const css::uno::Reference<css::text::XText>& container, bool inCell,
                        std::vector<LoParagraph>& paragraphs);
    /// Reads a paragraph's text from LibreOffice; false when the paragraph no longer exists.
    static bool read(LoParagraph& paragraph);
};

} // namespace quillsift::libreoffice
