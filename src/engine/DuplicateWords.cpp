// SPDX-License-Identifier: GPL-3.0-or-later
#include "DuplicateWords.h"

#include "Units.h"
#include "WordWalk.h"

#include <algorithm>

#include <unicode/uchar.h>
#include <unicode/ustring.h>

namespace quillsift::engine {

bool passesThreshold(const QString& wordText)
{
    constexpr char16_t slash = 47;
    // Windows-1252 is a single-byte code page that agrees with Unicode on ASCII: every other
    // character it holds has a code of 128 to 255, and every one it cannot hold becomes "?" (63).
    // So the Unicode value decides wherever the Windows-1252 code would be at most 47.
    return !wordText.isEmpty() && wordText.at(0).unicode() > slash;
}

QString foldedSearchText(const QString& text)
{
    // Most words are ASCII, where full case folding is plain lowering: no need to ask ICU.
    if (std::all_of(text.begin(), text.end(), [](QChar c) { return c.unicode() < 0x80; })) {
        if (std::none_of(text.begin(), text.end(), [](QChar c) { return c >= u'A' && c <= u'Z'; })) {
            return text;
        }
        QString folded = text;
        for (QChar& c : folded) {
            if (c >= u'A' && c <= u'Z') {
                c = QChar(static_cast<char16_t>(c.unicode() + (u'a' - u'A')));
            }
        }
        return folded;
    }
    const auto* source = reinterpret_cast<const UChar*>(text.utf16());
    const auto length = static_cast<int32_t>(text.size());
    // Full folding grows a text by at most three times ("ΐ" folds to three characters).
    QString folded(text.size() * 3 + 1, Qt::Uninitialized);
    UErrorCode status = U_ZERO_ERROR;
    const int32_t written = u_strFoldCase(reinterpret_cast<UChar*>(folded.data()), static_cast<int32_t>(folded.size()),
                                          source, length, U_FOLD_CASE_DEFAULT, &status);
    if (U_FAILURE(status)) {
        return text.toCaseFolded();
    }
    folded.truncate(written);
    return folded;
}

qint64 removeDuplicateWords(Document& document, const YieldFunction& yield)
{
    return WordWalk(document, yield).run();
}

} // namespace quillsift::engine
