// SPDX-License-Identifier: GPL-3.0-or-later
#include "DeletionLog.h"

namespace quillsift::docx {

void DeletionLog::add(quint32 paragraph, const ParagraphText& text, qint64 offset, qint64 length)
{
    m_entries.push_back({paragraph, quint32(offset), quint32(length), m_text.size()});
    text.appendTo(m_text, offset, length);
}

std::vector<DeletionLog::Deletion> DeletionLog::entries() const
{
    std::vector<Deletion> result;
    result.reserve(m_entries.size());
    for (std::size_t index = 0; index < m_entries.size(); ++index) {
        result.push_back(at(index));
    }
    return result;
}

DeletionLog::Deletion DeletionLog::at(std::size_t index) const
{
    const Span& entry = m_entries[index];
    return {entry.paragraph, entry.offset, m_text.mid(entry.textStart, entry.length)};
}

void DeletionLog::clear()
{
    m_entries.clear();
    m_text.clear();
}

} // namespace quillsift::docx
