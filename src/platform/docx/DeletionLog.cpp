// SPDX-License-Identifier: GPL-3.0-or-later
#include "DeletionLog.h"

namespace quillsift::docx {

void DeletionLog::add(quint32 paragraph, const ParagraphText& text, qint64 offset, qint64 length)
{
    m_entries.push_back({paragraph, quint32(offset), quint32(length)});
    text.appendTo(m_text, offset, length);
}

std::vector<DeletionLog::Deletion> DeletionLog::entries() const
{
    std::vector<Deletion> result;
    result.reserve(m_entries.size());
    qsizetype textStart = 0;
    for (const Span& entry : m_entries) {
        result.push_back({entry.paragraph, entry.offset, m_text.mid(textStart, entry.length)});
        textStart += entry.length;
    }
    return result;
}

void DeletionLog::clear()
{
    m_entries.clear();
    m_text.clear();
}

} // namespace quillsift::docx
