// SPDX-License-Identifier: GPL-3.0-or-later
#include "DuplicateWords.h"

#include "Units.h"
#include "WordWalk.h"

#include "text/CaseFolding.h"

#include <algorithm>

namespace quillsift::engine {

bool passesThreshold(QStringView wordText)
{
    constexpr char16_t slash = 47;
    // Windows-1252 is a single-byte code page that agrees with Unicode on ASCII: every other
    // character it holds has a code of 128 to 255, and every one it cannot hold becomes "?" (63).
    // So the Unicode value decides wherever the Windows-1252 code would be at most 47.
    return !wordText.isEmpty() && wordText.at(0).unicode() > slash;
}

QString foldedSearchText(const QString& text)
{
    return text::foldCase(text);
}

qint64 removeDuplicateWords(Document& document, const YieldFunction& yield)
{
    return WordWalk(document, yield).run();
}

} // namespace quillsift::engine
