// SPDX-License-Identifier: GPL-3.0-or-later
#include "UnitEnds.h"

#include "BlockedSequence.h"

#include <algorithm>

namespace quillsift::docx {

namespace {

using EndBlocks = BlockedSequence<std::vector<quint32>, 2>;
/// The trees of the ends' blocks: the lengths of their stretches of text, and their units.
constexpr std::size_t spans = 0;
constexpr std::size_t counts = 1;

/// Cuts ends, offsets into a text, into blocks of blockUnits as they come, each counted from
/// where its stretch begins; a text without units is one empty block whose stretch is the text.
class EndCutter
{
  public:
    explicit EndCutter(std::size_t blockUnits)
        : m_blockUnits(blockUnits)
    {
    }
    void add(quint32 end)
    {
        if (m_block.size() == m_blockUnits) {
            // A full block's stretch ends at its last end; only the last block's goes on further.
            const qint64 stretch = m_block.back();
            m_parts.add(std::move(m_block), {stretch, qint64(m_blockUnits)});
            m_base += stretch;
            m_block = {};
        }
        if (m_block.empty()) {
            m_block.reserve(m_blockUnits);
        }
        m_block.push_back(quint32(qint64(end) - m_base));
    }
    /// The blocks, the last one's stretch going on to the end of a text of textLength.
    EndBlocks::Parts finish(qint64 textLength) &&
    {
        if (m_block.empty()) {
            if (textLength > m_base) {
                m_parts.add({}, {textLength - m_base, 0});
            }
            return std::move(m_parts);
        }
        const qint64 stretch = std::max<qint64>(textLength - m_base, m_block.back());
        const auto count = qint64(m_block.size());
        m_parts.add(std::move(m_block), {stretch, count});
        return std::move(m_parts);
    }

  private:
    std::size_t m_blockUnits;
    EndBlocks::Parts m_parts;
    std::vector<quint32> m_block;
    /// Where the stretch of the block being filled begins.
    qint64 m_base = 0;
};

/// Cuts ends, offsets into a text of textLength characters, into blocks of blockUnits.
EndBlocks::Parts cut(const std::vector<quint32>& ends, qint64 textLength, std::size_t blockUnits)
{
    EndCutter cutter(blockUnits);
    for (const quint32 end : ends) {
        cutter.add(end);
    }
    return std::move(cutter).finish(textLength);
}

/// Replaces ends [low, high) of one vector, counted from base, with fresh ones (offsets in the
/// text) and moves the ends after them by delta.
void spliceInto(std::vector<quint32>& ends, std::size_t low, std::size_t high, std::span<const quint32> fresh,
                qint64 base, qint64 delta)
{
    if (fresh.size() <= high - low) {
        // No more ends than before, as after most deletions: written over the old ones in place.
        std::size_t out = low;
        for (const quint32 end : fresh) {
            ends[out++] = quint32(qint64(end) - base);
        }
        for (std::size_t i = high; i < ends.size(); ++i) {
            ends[out++] = quint32(qint64(ends[i]) + delta);
        }
        ends.resize(out);
        return;
    }
    for (std::size_t i = high; i < ends.size(); ++i) {
        ends[i] = quint32(qint64(ends[i]) + delta);
    }
    ends.erase(ends.begin() + std::ptrdiff_t(low), ends.begin() + std::ptrdiff_t(high));
    ends.insert(ends.begin() + std::ptrdiff_t(low), fresh.size(), 0);
    std::transform(fresh.begin(), fresh.end(), ends.begin() + std::ptrdiff_t(low),
                   [base](quint32 end) { return quint32(qint64(end) - base); });
}

} // namespace

UnitEnds::UnitEnds(std::vector<quint32> ends, qint64 textLength)
{
    if (ends.size() > maxBlockUnits) {
        split(ends, textLength);
    } else {
        m_ends = std::move(ends);
        m_length = textLength;
    }
}

UnitEnds::UnitEnds() = default;
UnitEnds::~UnitEnds() = default;
UnitEnds::UnitEnds(UnitEnds&&) noexcept = default;
UnitEnds& UnitEnds::operator=(UnitEnds&&) noexcept = default;

class UnitEnds::Builder::Cutter : public EndCutter
{
  public:
    using EndCutter::EndCutter;
};

UnitEnds::Builder::Builder() = default;
UnitEnds::Builder::~Builder() = default;

void UnitEnds::Builder::add(quint32 end)
{
    if (m_cutter) {
        m_cutter->add(end);
        return;
    }
    m_ends.push_back(end);
    if (m_ends.size() > maxBlockUnits) {
        m_cutter = std::make_unique<Cutter>(blockUnits);
        for (const quint32 earlier : m_ends) {
            m_cutter->add(earlier);
        }
        m_ends = {};
    }
}

UnitEnds UnitEnds::Builder::finish(qint64 textLength) &&
{
    if (!m_cutter) {
        return UnitEnds(std::move(m_ends), textLength);
    }
    UnitEnds built;
    built.m_blocks = std::make_unique<Blocks>(std::move(*m_cutter).finish(textLength));
    return built;
}

void UnitEnds::split(const std::vector<quint32>& ends, qint64 textLength)
{
    m_blocks = std::make_unique<Blocks>(cut(ends, textLength, blockUnits));
    m_ends = {};
    m_length = 0;
}

std::size_t UnitEnds::blocksSize() const
{
    return std::size_t(m_blocks->total(counts));
}

qint64 UnitEnds::textLength() const
{
    return m_blocks ? m_blocks->total(spans) : m_length;
}

UnitEnds UnitEnds::joined(UnitEnds&& front, UnitEnds&& back)
{
    const qint64 frontLength = front.textLength();
    const qint64 backLength = back.textLength();
    if (!front.m_blocks && !back.m_blocks) {
        std::vector<quint32> all = std::move(front.m_ends);
        for (const quint32 end : back.m_ends) {
            all.push_back(quint32(end + frontLength));
        }
        return UnitEnds(std::move(all), frontLength + backLength);
    }
    const bool keepFront = front.size() >= back.size();
    UnitEnds& kept = keepFront ? front : back;
    UnitEnds& other = keepFront ? back : front;
    if (!kept.m_blocks) {
        const std::vector<quint32> ends = std::move(kept.m_ends);
        kept.split(ends, kept.m_length);
    }
    // Each block's ends count from where its stretch begins, so the other's blocks move in as
    // they are.
    if (other.m_blocks) {
        kept.m_blocks->join(std::move(*other.m_blocks), !keepFront);
    } else {
        kept.m_blocks->join(cut(other.m_ends, other.m_length, blockUnits), !keepFront);
    }
    return std::move(kept);
}

quint32 UnitEnds::blocksAt(std::size_t index) const
{
    const auto place = m_blocks->locate(counts, qint64(index));
    return quint32(place.before[spans] + m_blocks->block(place.block)[index - std::size_t(place.before[counts])]);
}

std::size_t UnitEnds::blocksUpperBound(qint64 offset) const
{
    const auto place = m_blocks->locate(spans, offset);
    if (place.block >= m_blocks->endBlock()) {
        return size();
    }
    const auto& ends = m_blocks->block(place.block);
    const auto within = std::upper_bound(ends.begin(), ends.end(), quint64(offset - place.before[spans]),
                                         [](quint64 value, quint32 end) { return value < end; });
    return std::size_t(place.before[counts]) + std::size_t(within - ends.begin());
}

bool UnitEnds::endsAt(qint64 offset) const
{
    const std::size_t after = upperBound(offset);
    return after > 0 && qint64((*this)[after - 1]) == offset;
}

void UnitEnds::splice(std::size_t first, std::size_t last, std::span<const quint32> ends, qint64 newLength)
{
    last = std::min(last, size());
    first = std::min(first, last);
    if (!m_blocks) {
        spliceInto(m_ends, first, last, ends, 0, newLength - m_length);
        m_length = newLength;
        if (m_ends.size() > maxBlockUnits) {
            const std::vector<quint32> all = std::move(m_ends);
            split(all, newLength);
        }
        return;
    }
    Blocks& blocks = *m_blocks;
    const qint64 delta = newLength - blocks.total(spans);
    // The blocks from the one with the unit before the change to the one with the unit after it
    // become one block: every new end lies within their stretches, and the stretch of the last
    // of them takes the change, which moves the blocks after it. With no block in use, one is
    // opened for the new ends.
    const std::size_t from = first > 0 ? blocks.locate(counts, qint64(first - 1)).block : blocks.openBlock();
    const std::size_t to = last < size() ? blocks.locate(counts, qint64(last)).block : blocks.endBlock() - 1;
    const auto start = blocks.placeOf(from).before;
    const qint64 base = start[spans];
    const auto firstIndex = std::size_t(start[counts]);
    if (from == to) {
        // Within one block, as nearly every change is: edit its vector in place.
        std::vector<quint32>& block = blocks.block(from);
        const std::size_t low = first - firstIndex;
        const std::size_t high = last - firstIndex;
        if (block.size() - (high - low) + ends.size() <= maxBlockUnits) {
            spliceInto(block, low, high, ends, base, delta);
            blocks.change(from, {delta, qint64(ends.size()) - qint64(high - low)});
            return;
        }
    }
    std::vector<quint32> merged;
    std::size_t index = firstIndex;
    qint64 blockBase = base;
    bool added = false;
    auto addFresh = [&] {
        for (const quint32 fresh : ends) {
            merged.push_back(quint32(qint64(fresh) - base));
        }
        added = true;
    };
    // Emptied blocks between them hold nothing to merge and are passed over.
    for (std::size_t b = from; b <= to; b = blocks.nextInUse(b)) {
        for (const quint32 relative : blocks.block(b)) {
            const qint64 end = blockBase + relative;
            if (index >= last && !added) {
                addFresh();
            }
            if (index < first) {
                merged.push_back(quint32(end - base));
            } else if (index >= last) {
                merged.push_back(quint32(end + delta - base));
            }
            ++index;
        }
        blockBase += blocks.value(spans, b);
    }
    if (!added) {
        addFresh();
    }
    // blockBase is where the stretch of the last block ended before the change.
    const qint64 stretch = blockBase + delta - base;
    if (merged.size() > maxBlockUnits) {
        // Cut the grown block as a fresh text would be cut.
        blocks.replace(from, to, cut(merged, stretch, blockUnits));
    } else {
        Blocks::Parts one;
        const auto count = qint64(merged.size());
        one.add(std::move(merged), {stretch, count});
        blocks.replace(from, to, std::move(one));
    }
}

} // namespace quillsift::docx
