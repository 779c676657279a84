// SPDX-License-Identifier: GPL-3.0-or-later
#include "LiveRanges.h"

#include "DocxRange.h"

namespace quillsift::docx {

void LiveRanges::add(DocxRange* range)
{
    range->m_previousRange = nullptr;
    range->m_nextRange = m_first;
    if (m_first) {
        m_first->m_previousRange = range;
    }
    m_first = range;
}

void LiveRanges::remove(DocxRange* range)
{
    if (range->m_previousRange) {
        range->m_previousRange->m_nextRange = range->m_nextRange;
    } else if (m_first == range) {
        m_first = range->m_nextRange;
    }
    if (range->m_nextRange) {
        range->m_nextRange->m_previousRange = range->m_previousRange;
    }
    range->m_previousRange = range->m_nextRange = nullptr;
}

void LiveRanges::textRemoved(qint64 from, qint64 to)
{
    for (DocxRange* range = m_first; range; range = range->m_nextRange) {
        range->textRemoved(from, to);
    }
}

void LiveRanges::textInserted(qint64 position, qint64 length)
{
    for (DocxRange* range = m_first; range; range = range->m_nextRange) {
        range->textInserted(position, length);
    }
}

void LiveRanges::collapseAll()
{
    for (DocxRange* range = m_first; range; range = range->m_nextRange) {
        range->collapseToStart();
    }
}

} // namespace quillsift::docx
