// SPDX-License-Identifier: GPL-3.0-or-later
#include "GapText.h"

#include <algorithm>
#include <cstring>

namespace quillsift::docx {

GapText::GapText(QString text)
    : m_buffer(std::move(text))
    , m_gapStart(m_buffer.size())
    , m_gapEnd(m_buffer.size())
{
}

QString GapText::mid(qsizetype from, qsizetype length) const
{
    from = std::clamp<qsizetype>(from, 0, size());
    length = std::clamp<qsizetype>(length, 0, size() - from);
    if (from + length <= m_gapStart) {
        return QString(m_buffer.constData() + from, length);
    }
    if (from >= m_gapStart) {
        return QString(m_buffer.constData() + from + (m_gapEnd - m_gapStart), length);
    }
    QString out;
    appendTo(out, from, length);
    return out;
}

void GapText::appendTo(QString& out, qsizetype from, qsizetype length) const
{
    from = std::clamp<qsizetype>(from, 0, size());
    length = std::clamp<qsizetype>(length, 0, size() - from);
    const QStringView all(m_buffer);
    const qsizetype before = std::clamp<qsizetype>(m_gapStart - from, 0, length);
    if (before > 0) {
        out.append(all.mid(from, before));
    }
    if (length > before) {
        out.append(all.mid(from + before + (m_gapEnd - m_gapStart), length - before));
    }
}

void GapText::moveGap(qsizetype position)
{
    QChar* data = m_buffer.data();
    const qsizetype gap = m_gapEnd - m_gapStart;
    if (position < m_gapStart) {
        std::memmove(data + position + gap, data + position, std::size_t(m_gapStart - position) * sizeof(QChar));
    } else if (position > m_gapStart) {
        std::memmove(data + m_gapStart, data + m_gapEnd, std::size_t(position - m_gapStart) * sizeof(QChar));
    }
    m_gapStart = position;
    m_gapEnd = position + gap;
}

void GapText::remove(qsizetype from, qsizetype length)
{
    from = std::clamp<qsizetype>(from, 0, size());
    length = std::clamp<qsizetype>(length, 0, size() - from);
    if (length == 0) {
        return;
    }
    moveGap(from);
    m_gapEnd += length;
}

void GapText::insert(qsizetype position, QStringView text)
{
    position = std::clamp<qsizetype>(position, 0, size());
    if (text.isEmpty()) {
        return;
    }
    if (m_gapEnd - m_gapStart < text.size()) {
        // Close the gap and open a new one at the position, large enough for this and more.
        QString rebuilt;
        const qsizetype gap = text.size() + size() / 8 + 16;
        rebuilt.reserve(size() + gap);
        appendTo(rebuilt, 0, position);
        rebuilt.append(QString(gap, QChar(u' ')));
        appendTo(rebuilt, position, size() - position);
        m_buffer = std::move(rebuilt);
        m_gapStart = position;
        m_gapEnd = position + gap;
    } else {
        moveGap(position);
    }
    std::copy(text.begin(), text.end(), m_buffer.data() + m_gapStart);
    m_gapStart += text.size();
}

UnitEnds::UnitEnds(const std::vector<quint32>& ends, qint64 textLength)
    : m_ends(ends, textLength)
{
}

void UnitEnds::splice(std::size_t first, std::size_t last, std::span<const quint32> ends, qint64 newLength)
{
    last = std::min(last, size());
    first = std::min(first, last);
    m_ends.moveGap(first);
    m_ends.dropAfterGap(last - first);
    m_ends.setTextLength(newLength);
    for (const quint32 end : ends) {
        m_ends.insertBeforeGap(end);
    }
}

} // namespace quillsift::docx
