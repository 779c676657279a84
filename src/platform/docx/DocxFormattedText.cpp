// SPDX-License-Identifier: GPL-3.0-or-later
#include "DocxFormattedText.h"

namespace quillsift::docx {

DocxFormattedText::DocxFormattedText(Package package, qint64 start, qint64 end, QString sourcePath, bool plainText)
    : m_package(std::move(package))
    , m_start(start)
    , m_end(end)
    , m_sourcePath(std::move(sourcePath))
    , m_plainText(plainText)
{
}

} // namespace quillsift::docx
