// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QtGlobal>

#include <algorithm>
#include <limits>
#include <vector>

namespace quillsift::docx {

/// Elements in text order, each holding an offset into a text, kept as a gap buffer at the last
/// edit. Before the gap an offset is stored as it is; after it, as its distance from the end of
/// the text. So an edit at the gap, which changes the text's length, moves every element after it
/// without touching any, and a walk of edits forward through the text costs what it touches.
/// Offset(element) is the element's offset.
template <typename T, quint32& (*Offset)(T&)> class OffsetGapBuffer
{
  public:
    OffsetGapBuffer() = default;
    /// elements: in text order, their offsets into a text of textLength characters.
    OffsetGapBuffer(std::vector<T> elements, qint64 textLength)
        : m_data(std::move(elements))
        , m_gapStart(m_data.size())
        , m_gapEnd(m_data.size())
        , m_length(textLength)
    {
    }

    std::size_t size() const
    {
        return m_data.size() - (m_gapEnd - m_gapStart);
    }
    /// The index-th element, with its offset from the start of the text.
    T operator[](std::size_t index) const
    {
        return index < m_gapStart ? m_data[index] : flipped(m_data[index + (m_gapEnd - m_gapStart)]);
    }
    /// The index of the first element after the gap.
    std::size_t gap() const
    {
        return m_gapStart;
    }

    void moveGap(std::size_t index)
    {
        // Crossing the gap converts an offset between its two forms. Elements move in stretches
        // no longer than the gap, so that source and destination never overlap and each stretch
        // is one plain loop the compiler can vectorise.
        // Without a gap each element converts where it lies.
        const std::size_t gap = m_gapEnd > m_gapStart ? m_gapEnd - m_gapStart : std::numeric_limits<std::size_t>::max();
        while (m_gapStart > index) {
            const std::size_t count = std::min(gap, m_gapStart - index);
            T* from = m_data.data() + (m_gapStart - count);
            T* to = m_data.data() + (m_gapEnd - count);
            for (std::size_t i = 0; i < count; ++i) {
                to[i] = flipped(from[i]);
            }
            m_gapStart -= count;
            m_gapEnd -= count;
        }
        while (m_gapStart < index) {
            const std::size_t count = std::min(gap, index - m_gapStart);
            T* from = m_data.data() + m_gapEnd;
            T* to = m_data.data() + m_gapStart;
            for (std::size_t i = 0; i < count; ++i) {
                to[i] = flipped(from[i]);
            }
            m_gapStart += count;
            m_gapEnd += count;
        }
    }
    /// Drops the count elements after the gap.
    void dropAfterGap(std::size_t count)
    {
        m_gapEnd += count;
    }
    /// Puts an element, with its offset in the text as it now is, before the gap.
    void insertBeforeGap(const T& element)
    {
        if (m_gapStart == m_gapEnd) {
            const std::size_t grow = size() / 8 + 8;
            m_data.insert(m_data.begin() + std::ptrdiff_t(m_gapEnd), grow, T{});
            m_gapEnd += grow;
        }
        m_data[m_gapStart++] = element;
    }
    /// The text is now length characters long, after an edit at the gap: the elements after the
    /// gap move with its end.
    void setTextLength(qint64 length)
    {
        m_length = length;
    }
    qint64 textLength() const
    {
        return m_length;
    }

  private:
    T flipped(T element) const
    {
        Offset(element) = quint32(m_length - Offset(element));
        return element;
    }

    std::vector<T> m_data;
    std::size_t m_gapStart = 0;
    std::size_t m_gapEnd = 0;
    qint64 m_length = 0;
};

} // namespace quillsift::docx
