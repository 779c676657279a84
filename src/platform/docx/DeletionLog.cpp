// SPDX-License-Identifier: GPL-3.0-or-later
#include "DeletionLog.h"

#include <algorithm>

namespace quillsift::docx {

DeletionLog::DeletionLog(qsizetype chunkCharacters)
    : m_chunkCharacters(std::max<qsizetype>(1, chunkCharacters))
{
}

void DeletionLog::add(quint32 paragraph, const ParagraphText& text, qint64 offset, qint64 length)
{
    if (m_entries.size() % startEvery == 0) {
        m_textStarts.push_back(m_textSize);
    }
    m_entries.push_back({paragraph, quint32(offset), quint32(length)});
    if (m_chunks.empty() || m_chunks.back().size() + length > m_chunks.back().capacity()) {
        m_chunks.emplace_back();
        m_chunks.back().reserve(std::max<qsizetype>(m_chunkCharacters, length));
        m_chunkStarts.push_back(m_textSize);
    }
    text.appendTo(m_chunks.back(), offset, length);
    m_textSize += length;
}

QString DeletionLog::textAt(qsizetype start, qsizetype length) const
{
    if (length == 0) {
        return QString();
    }
    // The last string that starts at or before start holds all of the text.
    const auto after = std::upper_bound(m_chunkStarts.begin(), m_chunkStarts.end(), start);
    const std::size_t chunk = std::size_t(after - m_chunkStarts.begin()) - 1;
    return m_chunks[chunk].mid(start - m_chunkStarts[chunk], length);
}

std::vector<DeletionLog::Deletion> DeletionLog::entries() const
{
    std::vector<Deletion> result;
    result.reserve(m_entries.size());
    qsizetype start = 0;
    for (const Span& entry : m_entries) {
        result.push_back({entry.paragraph, entry.offset, textAt(start, entry.length)});
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
    return {entry.paragraph, entry.offset, textAt(start, entry.length)};
}

void DeletionLog::clear()
{
    m_entries.clear();
    m_chunks.clear();
    m_chunkStarts.clear();
    m_textSize = 0;
    m_textStarts.clear();
}

} // namespace quillsift::docx
