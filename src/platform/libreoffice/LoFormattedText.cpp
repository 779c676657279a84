// SPDX-License-Identifier: GPL-3.0-or-later
#include "LoFormattedText.h"

namespace quillsift::libreoffice {

LoFormattedText::LoFormattedText(QString sourcePath, qint64 start, qint64 end, qint64 length)
    : m_sourcePath(std::move(sourcePath))
    , m_start(start)
    , m_end(end)
    , m_length(length)
{
}

} // namespace quillsift::libreoffice
