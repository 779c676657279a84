// SPDX-License-Identifier: GPL-3.0-or-later
#include "CaseFolding.h"

#include <algorithm>

#include <unicode/uchar.h>
#include <unicode/ustring.h>
#include <unicode/utf16.h>

namespace quillsift::text {

QString foldCase(QStringView text)
{
    if (std::all_of(text.begin(), text.end(), [](QChar c) { return c.unicode() < 0x80; })) {
        QString folded = text.toString();
        for (QChar& c : folded) {
            c = QChar(asciiLower(c.unicode()));
        }
        return folded;
    }
    QString folded;
    std::vector<qint32> origins;
    foldWithOrigins(text, folded, origins);
    return folded;
}

QString foldCase(const QString& text)
{
    const bool folded = std::all_of(text.begin(), text.end(),
                                    [](QChar c) { return c.unicode() < 0x80 && asciiLower(c.unicode()) == c; });
    if (folded) {
        return text;
    }
    // Text without case (Chinese, Thai) folds to itself: the copy shares the text's characters.
    const QString result = foldCase(QStringView(text));
    return result == text ? text : result;
}

void foldWithOrigins(QStringView text, QString& folded, std::vector<qint32>& origins)
{
    const auto* data = reinterpret_cast<const UChar*>(text.utf16());
    const qint32 length = qint32(text.size());
    if (std::all_of(data, data + length, [](UChar unit) { return unit < 0x80; })) {
        // All ASCII, as most text is: lower case, character for character.
        folded.resize(length);
        origins.resize(std::size_t(length) + 1);
        char16_t* out = reinterpret_cast<char16_t*>(folded.data());
        for (qint32 k = 0; k < length; ++k) {
            const UChar unit = data[k];
            out[k] = asciiLower(unit);
            origins[std::size_t(k)] = k;
        }
        origins[std::size_t(length)] = length;
        return;
    }
    folded.resize(0); // keeps its capacity
    origins.clear();
    folded.reserve(text.size());
    origins.reserve(std::size_t(text.size()) + 1);
    qint32 i = 0;
    while (i < length) {
        const qint32 begin = i;
        const UChar unit = data[i];
        if (unit < 0x80) {
            // Plain ASCII folds to lower case; this keeps the common case away from ICU.
            folded.append(QChar(asciiLower(unit)));
            origins.push_back(begin);
            ++i;
            continue;
        }
        UChar32 c;
        U16_NEXT(data, i, length, c);
        UChar out[8];
        UErrorCode status = U_ZERO_ERROR;
        const int32_t produced = u_strFoldCase(out, 8, data + begin, i - begin, U_FOLD_CASE_DEFAULT, &status);
        if (U_FAILURE(status) || produced <= 0 || produced > 8) {
            folded.append(QStringView(text.data() + begin, i - begin));
            for (qint32 k = begin; k < i; ++k) {
                origins.push_back(k == begin ? begin : -1);
            }
            continue;
        }
        folded.append(QStringView(reinterpret_cast<const char16_t*>(out), produced));
        for (int32_t k = 0; k < produced; ++k) {
            origins.push_back(k == 0 ? begin : -1);
        }
    }
    origins.push_back(length);
}

} // namespace quillsift::text
