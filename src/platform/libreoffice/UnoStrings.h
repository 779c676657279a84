// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <rtl/ustring.hxx>

#include <QString>

namespace quillsift::libreoffice {

// Both sides hold UTF-16, so the characters pass unchanged.
inline QString toQString(const rtl::OUString& text)
{
    return QString(reinterpret_cast<const QChar*>(text.getStr()), text.getLength());
}

inline rtl::OUString toOUString(const QString& text)
{
    return rtl::OUString(reinterpret_cast<const sal_Unicode*>(text.utf16()), sal_Int32(text.size()));
}

inline rtl::OUString ascii(const char* text)
{
    return rtl::OUString::createFromAscii(text);
}

} // namespace quillsift::libreoffice
