// SPDX-License-Identifier: GPL-3.0-or-later
#include "DeletionLog.h"

namespace quillsift::docx {

void DeletionLog::add(quint32 paragraph, const ParagraphText& text, qint64 offset, qint64 length)
{
    if (m_entries.size() % startEvery == 0) {
        m_textStarts.push_back(m_text.size());
    }
    m_entries.push_back({paragraph, quint32(offset), quint32(length)});
    text.appendTo(m_text, offset, length);
}

std::vector<DeletionLog::Deletion> DeletionLog::entries() const
{
    std::vector<Deletion> result;
    result.reserve(m_entries.size());
    qsizetype start = 0;
    for (const Span& entry : m_entries) {
        result.push_back({entry.paragraph, entry.offset, m_text.mid(start, entry.length)});
        start += entry.length;
    }
    return result;
}

DeletionLog::Deletion DeletionLog::at(std::size_t index) const
{
    qsizetype start = m_textStarts[index / startEvery];
    for (std::size_t before = index - index % startEvery; before < index; ++before) {
        start += m_entries[before].length;
    }
    const Span& entry = m_entries[index];
    return {entry.paragraph, entry.offset, m_text.mid(start, entry.length)};
}

void DeletionLog::clear()
{
    m_entries.clear();
    m_text.clear();
    m_textStarts.clear();
}

} // namespace quillsift::docx
