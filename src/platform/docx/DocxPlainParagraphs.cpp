// SPDX-License-Identifier: GPL-3.0-or-later
#include "DocxPlainParagraphs.h"

#include "DocxStory.h"

#include <algorithm>

namespace quillsift::docx {

DocxPlainParagraphs::DocxPlainParagraphs(std::shared_ptr<DocxStory> story)
    : m_story(std::move(story))
{
}

bool DocxPlainParagraphs::read(qint64 position, Paragraph& paragraph)
{
    m_story->ensureOpen();
    const auto slot = m_story->paragraphStartingAt(position);
    if (!slot) {
        return false;
    }
    const docx::Paragraph& read = m_story->paragraphWithUnits(*slot);
    const auto text = read.text().latin1();
    const auto ends = read.unitEnds().inOneVector();
    if (!text || !ends) {
        return false;
    }
    const qint64 markStart = read.length() - read.markLength();
    if (markStart < 0) {
        return false;
    }
    const QLatin1StringView before = text->first(markStart);
    const bool printable = std::all_of(before.begin(), before.end(), [](char c) { return c >= 0x20 && c < 0x7F; });
    if (!printable) {
        return false;
    }
    const auto units = std::size_t(std::upper_bound(ends->begin(), ends->end(), quint64(markStart),
                                                    [](quint64 value, quint32 end) { return value < end; }) -
                                   ends->begin());
    if (markStart > 0 && (units == 0 || (*ends)[units - 1] != markStart)) {
        return false;
    }
    paragraph.start = position;
    paragraph.markStart = position + markStart;
    paragraph.end = position + read.length();
    paragraph.text = before;
    paragraph.unitEnds = ends->first(units);
    m_slot = *slot;
    return true;
}

void DocxPlainParagraphs::remove(const Paragraph& paragraph, std::span<const Span> spans)
{
    Q_UNUSED(paragraph);
    m_story->deleteInParagraph(m_slot, spans);
}

} // namespace quillsift::docx
