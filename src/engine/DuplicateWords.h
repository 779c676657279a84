// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "Document.h"
#include "YieldThrottle.h"

#include <QString>
#include <QStringView>

namespace quillsift::engine {

/// Whether a word unit's occurrences are looked for at all: its first character's code in
/// Windows-1252 is above 47 (the slash). A character Windows-1252 cannot hold counts as "?",
/// so every non-ASCII character passes; spaces, control characters and ! " # $ % & ' ( ) * + , - . /
/// do not.
bool passesThreshold(QStringView wordText);

/// The form two search texts are compared in: full Unicode case folding, as the hosts' search
/// ignores letter case ("STRASSE" and "straße" are the same word).
QString foldedSearchText(const QString& text);

/// Removes from the document every later whole-word occurrence of each word that passes the
/// threshold, keeping the first occurrence, in one walk over the words. Only a word's own
/// characters are removed; the spaces and marks around it stay. When a removal joins what was
/// around it into one word, the walk goes on over the document as it now is.
/// Calls yield about every 20 ms of work.
/// Returns the number of words removed. Throws HostError when the host fails.
qint64 removeDuplicateWords(Document& document, const YieldFunction& yield = {});

} // namespace quillsift::engine
