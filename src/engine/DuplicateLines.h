// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "Document.h"
#include "YieldThrottle.h"

#include <QString>

namespace quillsift::engine {

/// The text two paragraphs are compared by: the paragraph's text with every paragraph mark
/// (character 13) removed. Case, spaces, tabs and every other character count.
QString paragraphKey(const QString& paragraphText);

/// Whether a paragraph holds a picture, an embedded object or a note reference. Such a paragraph
/// is never removed as a repeat: its text shows only a placeholder character, so two different
/// pictures would look the same.
bool holdsObject(const QString& paragraphText);

/// Removes from the document every paragraph whose key occurred in an earlier paragraph, keeping
/// the first occurrence of each where it stood, in one walk over the paragraphs. A paragraph the
/// host cannot remove (the last of the document or of a table cell) is emptied instead, and its
/// new text counts from then on. Calls yield about every 20 ms of work.
/// Returns the number of paragraphs removed or emptied. Throws HostError when the host fails.
qint64 removeDuplicateLines(Document& document, const YieldFunction& yield = {});

} // namespace quillsift::engine
