// SPDX-License-Identifier: GPL-3.0-or-later
#include "ParagraphText.h"

#include "BlockedSequence.h"

#include <algorithm>

namespace quillsift::docx {

namespace {

/// Cuts text into blocks of blockLength characters.
BlockedSequence<QString, 1>::Parts cut(QStringView text, qsizetype blockLength)
{
    BlockedSequence<QString, 1>::Parts parts;
    for (qsizetype from = 0; from < text.size(); from += blockLength) {
        const QStringView block = text.mid(from, blockLength);
        parts.add(block.toString(), {block.size()});
    }
    return parts;
}

bool isLatin1(QStringView text)
{
    return std::all_of(text.begin(), text.end(), [](QChar c) { return c.unicode() <= 0xff; });
}

} // namespace

ParagraphText::ParagraphText(QStringView text)
{
    assign(text);
}

ParagraphText::ParagraphText() = default;
ParagraphText::~ParagraphText() = default;
ParagraphText::ParagraphText(ParagraphText&&) noexcept = default;
ParagraphText& ParagraphText::operator=(ParagraphText&&) noexcept = default;

void ParagraphText::assign(QStringView text)
{
    if (text.size() > maxBlockLength) {
        m_store = std::make_unique<Blocks>(cut(text, blockLength));
    } else if (isLatin1(text)) {
        m_store = text.toLatin1();
    } else {
        m_store = text.toString();
    }
}

qsizetype ParagraphText::blockedSize() const
{
    return std::get<std::unique_ptr<Blocks>>(m_store)->total(0);
}

QChar ParagraphText::blockedAt(qsizetype index) const
{
    const Blocks& blocks = *std::get<std::unique_ptr<Blocks>>(m_store);
    const auto place = blocks.locate(0, index);
    return blocks.block(place.block).at(index - place.before[0]);
}

QString ParagraphText::mid(qsizetype from, qsizetype length) const
{
    from = std::clamp<qsizetype>(from, 0, size());
    length = std::clamp<qsizetype>(length, 0, size() - from);
    if (const QByteArray* latin = std::get_if<QByteArray>(&m_store)) {
        return QString::fromLatin1(latin->constData() + from, length);
    }
    if (const QString* text = std::get_if<QString>(&m_store)) {
        return length == text->size() ? *text : QString(text->constData() + from, length);
    }
    const Blocks& blocks = *std::get<std::unique_ptr<Blocks>>(m_store);
    if (length > 0) {
        const auto place = blocks.locate(0, from);
        const QString& text = blocks.block(place.block);
        const qsizetype offset = from - place.before[0];
        if (offset + length <= text.size()) {
            return QString(text.constData() + offset, length);
        }
    }
    QString out;
    out.reserve(length);
    appendTo(out, from, length);
    return out;
}

void ParagraphText::appendTo(QString& out, qsizetype from, qsizetype length) const
{
    from = std::clamp<qsizetype>(from, 0, size());
    length = std::clamp<qsizetype>(length, 0, size() - from);
    if (const QByteArray* latin = std::get_if<QByteArray>(&m_store)) {
        out.append(QLatin1StringView(latin->constData() + from, length));
        return;
    }
    if (const QString* text = std::get_if<QString>(&m_store)) {
        out.append(QStringView(*text).mid(from, length));
        return;
    }
    if (length == 0) {
        return;
    }
    const Blocks& blocks = *std::get<std::unique_ptr<Blocks>>(m_store);
    blocks.visit(blocks.locate(0, from), [&](const QString& text, const Blocks::Place& place) {
        const qsizetype offset = std::max<qsizetype>(from - place.before[0], 0);
        const qsizetype taken = std::min(length, text.size() - offset);
        out.append(QStringView(text).mid(offset, taken));
        length -= taken;
        return length > 0;
    });
}

void ParagraphText::remove(qsizetype from, qsizetype length)
{
    from = std::clamp<qsizetype>(from, 0, size());
    length = std::clamp<qsizetype>(length, 0, size() - from);
    if (length == 0) {
        return;
    }
    if (QByteArray* latin = std::get_if<QByteArray>(&m_store)) {
        latin->remove(from, length);
        return;
    }
    if (QString* text = std::get_if<QString>(&m_store)) {
        text->remove(from, length);
        return;
    }
    const qsizetype to = from + length;
    std::get<std::unique_ptr<Blocks>>(m_store)->cut(
        0, from, to, [from, to](QString& text, qint64 start, const Blocks::Values&) {
            const qint64 low = std::max<qint64>(from, start) - start;
            const qint64 high = std::min<qint64>(to, start + text.size()) - start;
            text.remove(low, high - low);
            return Blocks::Values{low - high};
        });
}

void ParagraphText::insert(qsizetype position, QStringView text)
{
    position = std::clamp<qsizetype>(position, 0, size());
    if (text.isEmpty()) {
        return;
    }
    if (!std::holds_alternative<std::unique_ptr<Blocks>>(m_store)) {
        QByteArray* latin = std::get_if<QByteArray>(&m_store);
        if (latin && size() + text.size() <= maxBlockLength && isLatin1(text)) {
            latin->insert(position, text.toLatin1());
            return;
        }
        QString grown = toString();
        grown.insert(position, text);
        assign(grown);
        return;
    }
    Blocks& blocks = *std::get<std::unique_ptr<Blocks>>(m_store);
    // After the character before the position, so that text added at a block's end stays there.
    std::size_t block = 0;
    qsizetype offset = 0;
    if (position > 0) {
        const auto place = blocks.locate(0, position - 1);
        block = place.block;
        offset = position - place.before[0];
    } else {
        block = blocks.openBlock();
    }
    QString& target = blocks.block(block);
    target.insert(offset, text);
    blocks.change(block, {text.size()});
    if (target.size() > maxBlockLength) {
        // Cut the grown block as a fresh text would be cut.
        const QString cutFrom = std::move(target);
        blocks.replace(block, block, cut(cutFrom, blockLength));
    }
}

ParagraphText ParagraphText::joined(ParagraphText&& front, ParagraphText&& back)
{
    const bool frontBlocked = std::holds_alternative<std::unique_ptr<Blocks>>(front.m_store);
    const bool backBlocked = std::holds_alternative<std::unique_ptr<Blocks>>(back.m_store);
    if (!frontBlocked && !backBlocked) {
        const QByteArray* frontLatin = std::get_if<QByteArray>(&front.m_store);
        const QByteArray* backLatin = std::get_if<QByteArray>(&back.m_store);
        ParagraphText joined;
        if (frontLatin && backLatin && frontLatin->size() + backLatin->size() <= maxBlockLength) {
            joined.m_store = *frontLatin + *backLatin;
        } else {
            joined.assign(front.toString() + back.toString());
        }
        return joined;
    }
    const bool keepFront = front.size() >= back.size();
    ParagraphText& kept = keepFront ? front : back;
    ParagraphText& other = keepFront ? back : front;
    if (!std::holds_alternative<std::unique_ptr<Blocks>>(kept.m_store)) {
        kept.m_store = std::make_unique<Blocks>(cut(kept.toString(), blockLength));
    }
    Blocks& blocks = *std::get<std::unique_ptr<Blocks>>(kept.m_store);
    if (auto* otherBlocks = std::get_if<std::unique_ptr<Blocks>>(&other.m_store)) {
        blocks.join(std::move(**otherBlocks), !keepFront);
    } else {
        blocks.join(cut(other.toString(), blockLength), !keepFront);
    }
    return std::move(kept);
}

namespace {

using EndBlocks = BlockedSequence<std::vector<quint32>, 2>;
/// The trees of the ends' blocks: the lengths of their stretches of text, and their units.
constexpr std::size_t spans = 0;
constexpr std::size_t counts = 1;

/// Cuts ends, offsets into a text of textLength characters, into blocks of blockUnits, each
/// counted from where its stretch begins; a text without units is one empty block whose stretch
/// is the text.
EndBlocks::Parts cut(const std::vector<quint32>& ends, qint64 textLength, std::size_t blockUnits)
{
    EndBlocks::Parts parts;
    if (ends.empty() && textLength > 0) {
        parts.add({}, {textLength, 0});
        return parts;
    }
    qint64 base = 0;
    for (std::size_t from = 0; from < ends.size(); from += blockUnits) {
        const std::size_t to = std::min(ends.size(), from + blockUnits);
        std::vector<quint32> relative;
        relative.reserve(to - from);
        for (std::size_t i = from; i < to; ++i) {
            relative.push_back(quint32(qint64(ends[i]) - base));
        }
        // The last block's stretch goes on to the end of the text.
        const qint64 end = to == ends.size() ? std::max<qint64>(textLength, ends[to - 1]) : qint64(ends[to - 1]);
        parts.add(std::move(relative), {end - base, qint64(to - from)});
        base = end;
    }
    return parts;
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
    for (std::size_t b = from; b <= to; ++b) {
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
