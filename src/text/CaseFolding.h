// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QStringView>

#include <vector>

namespace quillsift::text {

/// An ASCII character in lower case, which is what full case folding makes of it.
inline char16_t asciiLower(char16_t c)
{
    return c >= u'A' && c <= u'Z' ? char16_t(c + (u'a' - u'A')) : c;
}

/// Full Unicode case folding (ICU's default), as the search compares text.
QString foldCase(QStringView text);
/// The same for a string of its own: one already folded (plain ASCII in lower case, as most
/// words are) comes back shared, without a copy.
QString foldCase(const QString& text);

/// Folds text and records, for every UTF-16 unit of the result, the offset in text of the
/// character it came from, or -1 when it is not the first unit of that character's folding.
/// origins gets one more element than folded: text.size(), the end.
void foldWithOrigins(QStringView text, QString& folded, std::vector<qint32>& origins);

} // namespace quillsift::text
