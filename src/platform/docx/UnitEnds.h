// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "text/WordSegmenter.h"

#include <QtGlobal>

#include <algorithm>
#include <iterator>
#include <memory>
#include <span>
#include <vector>

namespace quillsift::docx {

template <typename Block, std::size_t Trees> class BlockedSequence;

/// The end offsets of a paragraph's word units, ascending. Up to maxBlockUnits units they are one
/// vector; more are kept in blocks of about blockUnits units, each holding its ends from where the
/// block's stretch of text begins, with the stretches' lengths and the blocks' sizes in Fenwick
/// trees. An edit then moves the ends after it by changing one stretch, and costs one block and
/// a logarithm wherever it lies.
///
/// It owns the vector with the text's length, or the blocked sequence whose blocks hold relative
/// ends and whose trees count each block's stretch and units; it edits the ends inside blocks,
/// merges the blocks an edit spans, and tells the sequence how each changed.
class UnitEnds
{
  public:
    class const_iterator;
    class Builder;

    UnitEnds();
    /// ends: ascending offsets into a text of textLength characters.
    UnitEnds(std::vector<quint32> ends, qint64 textLength);
    UnitEnds(const UnitEnds&) = delete;
    UnitEnds& operator=(const UnitEnds&) = delete;
    UnitEnds(UnitEnds&&) noexcept;
    UnitEnds& operator=(UnitEnds&&) noexcept;
    ~UnitEnds();

    // Most paragraphs are short and keep their ends in one vector: that case is inline.
    std::size_t size() const
    {
        return m_blocks ? blocksSize() : m_ends.size();
    }
    bool empty() const
    {
        return size() == 0;
    }
    quint32 operator[](std::size_t index) const
    {
        return m_blocks ? blocksAt(index) : m_ends[index];
    }
    const_iterator begin() const;
    const_iterator end() const;
    /// The index of the first unit that ends after offset (the unit holding the character at
    /// offset), or size().
    std::size_t upperBound(qint64 offset) const
    {
        if (offset < 0) {
            return 0;
        }
        if (m_blocks) {
            return blocksUpperBound(offset);
        }
        return std::size_t(std::upper_bound(m_ends.begin(), m_ends.end(), quint64(offset),
                                            [](quint64 value, quint32 end) { return value < end; }) -
                           m_ends.begin());
    }
    /// Whether a unit ends at offset.
    bool endsAt(qint64 offset) const;
    /// Replaces the units [first, last) with ends (offsets in the new text) after an edit that
    /// left the text newLength characters long and moved the units from last on by the change.
    void splice(std::size_t first, std::size_t last, std::span<const quint32> ends, qint64 newLength);
    /// The ends of front's text followed by those of back's, as ParagraphText::joined() joins
    /// the texts: this costs the fewer units, amortised.
    static UnitEnds joined(UnitEnds&& front, UnitEnds&& back);

    static constexpr std::size_t blockUnits = 128;
    static constexpr std::size_t maxBlockUnits = 4 * blockUnits;

  private:
    using Blocks = BlockedSequence<std::vector<quint32>, 2>;
    std::size_t blocksSize() const;
    quint32 blocksAt(std::size_t index) const;
    std::size_t blocksUpperBound(qint64 offset) const;
    /// Makes ends too many for one vector into blocks.
    void split(const std::vector<quint32>& ends, qint64 textLength);
    /// The length of the text the ends are in.
    qint64 textLength() const;

    std::vector<quint32> m_ends;
    /// The length of the text the ends are in, while they are one vector.
    qint64 m_length = 0;
    std::unique_ptr<Blocks> m_blocks;
};

/// Takes a text's unit ends one at a time, in order, and makes them a UnitEnds as UnitEnds(ends,
/// textLength) would, cutting them into blocks as they come once they are too many for one
/// vector: a paragraph of a million words is never held as one vector of ends beside its blocks.
class UnitEnds::Builder final : public text::UnitEndSink
{
  public:
    Builder();
    ~Builder();
    void add(quint32 end) override;
    UnitEnds finish(qint64 textLength) &&;

  private:
    class Cutter;
    /// The ends so far, while they fit one vector.
    std::vector<quint32> m_ends;
    /// The blocks, once they do not.
    std::unique_ptr<Cutter> m_cutter;
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
