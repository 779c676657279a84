// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

namespace quillsift::main_window {

/// The web pages the program opens: its home page, visited now and then at start-up, and the
/// page of the companion product that finds duplicates in spreadsheets.
inline QString homePageAddress()
{
    return QStringLiteral("https://quillsift.org/");
}

inline QString companionPageAddress()
{
    return QStringLiteral("https://quillsift.org/excel-duplicates/");
}

} // namespace quillsift::main_window
