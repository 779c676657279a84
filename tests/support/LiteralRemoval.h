// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <engine/Document.h>

#include <QString>

#include <functional>

namespace quillsift::testing {

/// The removal algorithms written out step by step, the slow way, through the automation
/// interface only: the reference the engine's one-walk removals must agree with.
///
/// Line mode compares every paragraph with every later one and deletes the later one when their
/// texts without paragraph marks are equal, then steps back and forward. Two mends, the same as
/// the engine's: a paragraph holding an object or a note reference is never deleted, and a
/// paragraph the host keeps after the deletion is stepped over instead of compared again forever.
void literalRemoveDuplicateLines(engine::Document& document, const std::function<void()>& yield = {});

/// Word mode walks the words and, for each word whose first character's Windows-1252 code is
/// above 47, replaces every later whole-word occurrence of its text (spaces trimmed) with nothing.
void literalRemoveDuplicateWords(engine::Document& document, const std::function<void()>& yield = {});

/// The code of a character in Windows-1252 as a signed 16-bit number; "?" (63) when the code
/// page cannot hold it.
qint16 windows1252Code(QChar c);

} // namespace quillsift::testing
