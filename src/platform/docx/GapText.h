// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "OffsetGapBuffer.h"

#include <QString>
#include <QStringView>

#include <iterator>
#include <span>
#include <vector>

namespace quillsift::docx {

/// A paragraph's text as a gap buffer: an edit costs the distance from the previous edit, not the
/// length of the text after it. A walk that deletes word after word through a paragraph of a
/// million characters thus costs the paragraph's length once, not once per word.
class GapText
{
  public:
    GapText() = default;
    explicit GapText(QString text);

    qsizetype size() const
    {
        return m_buffer.size() - (m_gapEnd - m_gapStart);
    }
    bool isEmpty() const
    {
        return size() == 0;
    }
    QChar at(qsizetype index) const
    {
        return m_buffer.at(index < m_gapStart ? index : index + (m_gapEnd - m_gapStart));
    }
    QChar operator[](qsizetype index) const
    {
        return at(index);
    }
    /// The characters [from, from + length), copied out from either side of the gap.
    QString mid(qsizetype from, qsizetype length) const;
    void appendTo(QString& out, qsizetype from, qsizetype length) const;
    QString toString() const
    {
        return mid(0, size());
    }

    void remove(qsizetype from, qsizetype length);
    void insert(qsizetype position, QStringView text);

  private:
    void moveGap(qsizetype position);

    QString m_buffer;
    qsizetype m_gapStart = 0;
    qsizetype m_gapEnd = 0;
};

/// The end offsets of a paragraph's word units, kept as a gap buffer like the text, so that an
/// edit moves the ends after it without touching them.
class UnitEnds
{
  public:
    class const_iterator;

    UnitEnds() = default;
    /// ends: ascending offsets into a text of textLength characters.
    UnitEnds(const std::vector<quint32>& ends, qint64 textLength);

    std::size_t size() const
    {
        return m_ends.size();
    }
    bool empty() const
    {
        return size() == 0;
    }
    quint32 operator[](std::size_t index) const
    {
        return m_ends[index];
    }
    const_iterator begin() const;
    const_iterator end() const;

    /// Replaces the units [first, last) with ends (offsets in the new text) after an edit that
    /// left the text newLength characters long and moved the units from last on by the change.
    void splice(std::size_t first, std::size_t last, std::span<const quint32> ends, qint64 newLength);

  private:
    static quint32& offsetOf(quint32& end)
    {
        return end;
    }

    OffsetGapBuffer<quint32, &UnitEnds::offsetOf> m_ends;
};

class UnitEnds::const_iterator
{
  public:
    using iterator_category = std::random_access_iterator_tag;
    using value_type = quint32;
    using difference_type = std::ptrdiff_t;
    using pointer = const quint32*;
    using reference = quint32;

    const_iterator() = default;
    const_iterator(const UnitEnds* ends, std::size_t index)
        : m_ends(ends)
        , m_index(index)
    {
    }
    quint32 operator*() const
    {
        return (*m_ends)[m_index];
    }
    quint32 operator[](difference_type offset) const
    {
        return (*m_ends)[std::size_t(difference_type(m_index) + offset)];
    }
    const_iterator& operator++()
    {
        ++m_index;
        return *this;
    }
    const_iterator operator++(int)
    {
        const_iterator before = *this;
        ++m_index;
        return before;
    }
    const_iterator& operator--()
    {
        --m_index;
        return *this;
    }
    const_iterator operator--(int)
    {
        const_iterator before = *this;
        --m_index;
        return before;
    }
    const_iterator& operator+=(difference_type offset)
    {
        m_index = std::size_t(difference_type(m_index) + offset);
        return *this;
    }
    const_iterator& operator-=(difference_type offset)
    {
        return *this += -offset;
    }
    friend const_iterator operator+(const_iterator it, difference_type offset)
    {
        return it += offset;
    }
    friend const_iterator operator+(difference_type offset, const_iterator it)
    {
        return it += offset;
    }
    friend const_iterator operator-(const_iterator it, difference_type offset)
    {
        return it -= offset;
    }
    friend difference_type operator-(const const_iterator& a, const const_iterator& b)
    {
        return difference_type(a.m_index) - difference_type(b.m_index);
    }
    friend bool operator==(const const_iterator& a, const const_iterator& b)
    {
        return a.m_index == b.m_index;
    }
    friend auto operator<=>(const const_iterator& a, const const_iterator& b)
    {
        return a.m_index <=> b.m_index;
    }

  private:
    const UnitEnds* m_ends = nullptr;
    std::size_t m_index = 0;
};

inline UnitEnds::const_iterator UnitEnds::begin() const
{
    return {this, 0};
}

inline UnitEnds::const_iterator UnitEnds::end() const
{
    return {this, size()};
}

} // namespace quillsift::docx
