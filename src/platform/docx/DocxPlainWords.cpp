// SPDX-License-Identifier: GPL-3.0-or-later
#include "DocxPlainWords.h"

#include "DocxStory.h"

#include <algorithm>

namespace quillsift::docx {

namespace {

bool isPrintableAscii(QChar c)
{
    return c.unicode() >= 0x20 && c.unicode() < 0x7F;
}

} // namespace

DocxPlainWords::DocxPlainWords(std::shared_ptr<DocxStory> story)
    : m_story(std::move(story))
{
}

bool DocxPlainWords::read(qint64 position, std::size_t units, Run& run)
{
    m_story->ensureOpen();
    const auto place = m_story->paragraphAt(position);
    if (!place) {
        return false;
    }
    const Paragraph& paragraph = m_story->paragraphWithUnits(place->slot);
    const ParagraphText& text = paragraph.text();
    const UnitEnds& ends = paragraph.unitEnds();
    const qint64 offset = position - place->start;
    const qint64 markStart = paragraph.length() - paragraph.markLength();
    std::size_t unit = ends.upperBound(offset);
    if (offset >= markStart || unit >= ends.size() || (unit > 0 ? qint64(ends[unit - 1]) : 0) != offset) {
        return false;
    }
    // The units up to the mark, and at most units of them; then their text, and of those the
    // units before the first character other than printable ASCII.
    const std::size_t first = unit;
    while (unit < ends.size() && unit - first < units && ends[unit] <= markStart) {
        ++unit;
    }
    if (unit == first) {
        return false;
    }
    const qint64 end = ends[unit - 1];
    m_text.resize(0);
    text.appendTo(m_text, offset, end - offset);
    const auto plainEnd =
        qsizetype(std::find_if_not(m_text.cbegin(), m_text.cend(), isPrintableAscii) - m_text.cbegin());
    m_ends.clear();
    for (std::size_t k = first; k < unit && qint64(ends[k]) - offset <= plainEnd; ++k) {
        m_ends.push_back(quint32(qint64(ends[k]) - offset));
    }
    if (m_ends.empty()) {
        return false;
    }
    m_slot = place->slot;
    m_offset = offset;
    run.start = position;
    run.text = QStringView(m_text).first(m_ends.back());
    run.unitEnds = m_ends;
    run.before = offset > 0 ? text.at(offset - 1).unicode() : char16_t(0);
    run.reachesMark = offset + m_ends.back() == markStart;
    run.next = place->start + paragraph.length();
    return true;
}

void DocxPlainWords::remove(const Run& run, std::span<const Span> spans)
{
    Q_UNUSED(run);
    m_spans.clear();
    for (const Span& span : spans) {
        m_spans.emplace_back(m_offset + span.first, m_offset + span.second);
    }
    m_story->deleteInParagraph(m_slot, m_spans);
}

} // namespace quillsift::docx
