// SPDX-License-Identifier: GPL-3.0-or-later
#include "ParagraphText.h"

#include "BlockedSequence.h"

#include <algorithm>

namespace quillsift::docx {

namespace {

/// Cuts text into blocks of blockLength characters after parts.
void cutInto(BlockedSequence<TextBlock, 1>::Parts& parts, QStringView text, qsizetype blockLength)
{
    for (qsizetype from = 0; from < text.size(); from += blockLength) {
        const QStringView block = text.mid(from, blockLength);
        parts.add(TextBlock(block), {block.size()});
    }
}

/// Cuts text into blocks of blockLength characters.
BlockedSequence<TextBlock, 1>::Parts cut(QStringView text, qsizetype blockLength)
{
    BlockedSequence<TextBlock, 1>::Parts parts;
    cutInto(parts, text, blockLength);
    return parts;
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
    } else {
        m_store = TextBlock(text);
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
    if (const TextBlock* whole = std::get_if<TextBlock>(&m_store)) {
        return whole->mid(from, length);
    }
    const Blocks& blocks = *std::get<std::unique_ptr<Blocks>>(m_store);
    if (length > 0) {
        const auto place = blocks.locate(0, from);
        const TextBlock& text = blocks.block(place.block);
        const qsizetype offset = from - place.before[0];
        if (offset + length <= text.size()) {
            return text.mid(offset, length);
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
    if (const TextBlock* whole = std::get_if<TextBlock>(&m_store)) {
        whole->appendTo(out, from, length);
        return;
    }
    if (length == 0) {
        return;
    }
    const Blocks& blocks = *std::get<std::unique_ptr<Blocks>>(m_store);
    blocks.visit(blocks.locate(0, from), [&](const TextBlock& text, const Blocks::Place& place) {
        const qsizetype offset = std::max<qsizetype>(from - place.before[0], 0);
        const qsizetype taken = std::min(length, text.size() - offset);
        text.appendTo(out, offset, taken);
        length -= taken;
        return length > 0;
    });
}

std::pair<const TextBlock*, qsizetype> ParagraphText::blockAt(qsizetype position) const
{
    const Blocks& blocks = *std::get<std::unique_ptr<Blocks>>(m_store);
    const auto place = blocks.locate(0, position);
    return {&blocks.block(place.block), place.before[0]};
}

void ParagraphText::remove(qsizetype from, qsizetype length)
{
    from = std::clamp<qsizetype>(from, 0, size());
    length = std::clamp<qsizetype>(length, 0, size() - from);
    if (length == 0) {
        return;
    }
    if (TextBlock* whole = std::get_if<TextBlock>(&m_store)) {
        whole->remove(from, length);
        return;
    }
    const qsizetype to = from + length;
    std::get<std::unique_ptr<Blocks>>(m_store)->cut(
        0, from, to, [from, to](TextBlock& text, qint64 start, const Blocks::Values&) {
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
    if (TextBlock* whole = std::get_if<TextBlock>(&m_store)) {
        if (whole->size() + text.size() <= maxBlockLength) {
            whole->insert(position, text);
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
    TextBlock& target = blocks.block(block);
    target.insert(offset, text);
    blocks.change(block, {text.size()});
    if (target.size() > maxBlockLength) {
        // Cut the grown block as a fresh text would be cut.
        const QString cutFrom = target.toString();
        blocks.replace(block, block, cut(cutFrom, blockLength));
    }
}

ParagraphText ParagraphText::joined(ParagraphText&& front, ParagraphText&& back)
{
    const bool frontBlocked = std::holds_alternative<std::unique_ptr<Blocks>>(front.m_store);
    const bool backBlocked = std::holds_alternative<std::unique_ptr<Blocks>>(back.m_store);
    if (!frontBlocked && !backBlocked) {
        ParagraphText joined;
        joined.assign(front.toString() + back.toString());
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

struct ParagraphText::Builder::Cut {
    Blocks::Parts parts;
};

ParagraphText::Builder::Builder() = default;
ParagraphText::Builder::~Builder() = default;

void ParagraphText::Builder::settle()
{
    if (m_tail.size() < settleLength) {
        return;
    }
    const qsizetype whole = m_tail.size() / blockLength * blockLength;
    if (!m_blocks) {
        m_blocks = std::make_unique<Cut>();
    }
    cutInto(m_blocks->parts, QStringView(m_tail).first(whole), blockLength);
    m_tail.remove(0, whole);
    m_cut += whole;
}

ParagraphText ParagraphText::Builder::take()
{
    ParagraphText text;
    if (!m_blocks) {
        text.assign(m_tail);
    } else {
        cutInto(m_blocks->parts, m_tail, blockLength);
        text.m_store = std::make_unique<Blocks>(std::move(m_blocks->parts));
        m_blocks.reset();
    }
    // A long paragraph's tail is not kept for the short ones after it.
    if (m_tail.capacity() > 2 * settleLength) {
        m_tail = QString();
    }
    m_tail.clear();
    m_cut = 0;
    return text;
}

} // namespace quillsift::docx
