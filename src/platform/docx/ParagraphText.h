// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "TextBlock.h"

#include <QString>
#include <QStringView>

#include <algorithm>
#include <iterator>
#include <memory>
#include <span>
#include <utility>
#include <variant>
#include <vector>

namespace quillsift::docx {

template <typename Block, std::size_t Trees> class BlockedSequence;

/// A paragraph's text. Up to maxBlockLength characters it is one TextBlock, a byte a character
/// while none is past U+00FF (as in most paragraphs of most documents, whose texts a document keeps
/// all of); a longer one is kept in TextBlocks of about blockLength characters, with their lengths
/// in a Fenwick tree, so that an edit anywhere in a paragraph of a million characters costs one
/// block and a logarithm, not the distance to its last edit or the length of the text after it.
///
/// It owns the string, or the blocked sequence whose blocks are pieces of the text and whose one
/// tree counts their characters; it edits the characters inside a block and tells the sequence
/// how the block's length changed, and touches nothing else.
class ParagraphText
{
  public:
    class Builder;

    ParagraphText();
    explicit ParagraphText(QStringView text);
    ParagraphText(const ParagraphText&) = delete;
    ParagraphText& operator=(const ParagraphText&) = delete;
    ParagraphText(ParagraphText&&) noexcept;
    ParagraphText& operator=(ParagraphText&&) noexcept;
    ~ParagraphText();

    qsizetype size() const
    {
        if (const TextBlock* whole = std::get_if<TextBlock>(&m_store)) {
            return whole->size();
        }
        return blockedSize();
    }
    bool isEmpty() const
    {
        return size() == 0;
    }
    QChar at(qsizetype index) const
    {
        if (const TextBlock* whole = std::get_if<TextBlock>(&m_store)) {
            return whole->at(index);
        }
        return blockedAt(index);
    }
    QChar operator[](qsizetype index) const
    {
        return at(index);
    }
    /// The characters [from, from + length).
    QString mid(qsizetype from, qsizetype length) const;
    void appendTo(QString& out, qsizetype from, qsizetype length) const;
    QString toString() const
    {
        return mid(0, size());
    }
    /// Whether the text is kept in blocks, being longer than maxBlockLength when it was made.
    bool isBlocked() const
    {
        return std::holds_alternative<std::unique_ptr<Blocks>>(m_store);
    }
    /// The block of a blocked text that holds the character at position (0 <= position <
    /// size()), never empty, and the position it begins at.
    std::pair<const TextBlock*, qsizetype> blockAt(qsizetype position) const;
    void remove(qsizetype from, qsizetype length);
    void insert(qsizetype position, QStringView text);
    /// front's text followed by back's. The longer one's blocks stay where they are and the
    /// shorter one's join them, so this costs the shorter text (amortised), not the longer.
    static ParagraphText joined(ParagraphText&& front, ParagraphText&& back);

    static constexpr qsizetype blockLength = 256;
    static constexpr qsizetype maxBlockLength = 4 * blockLength;

  private:
    using Blocks = BlockedSequence<TextBlock, 1>;
    qsizetype blockedSize() const;
    QChar blockedAt(qsizetype index) const;
    /// Keeps text, of any length, as a fresh text of it is kept.
    void assign(QStringView text);

    /// One stretch, or blocks.
    std::variant<TextBlock, std::unique_ptr<Blocks>> m_store;
};

/// Gathers a paragraph's text as it is read, and once it is long cuts it into blocks as it comes,
/// just as ParagraphText would cut the whole text: a paragraph of any length is never held whole
/// beside its blocks. It owns the text not yet cut, the tail, and the blocks cut so far.
class ParagraphText::Builder
{
  public:
    Builder();
    ~Builder();
    Builder(const Builder&) = delete;
    Builder& operator=(const Builder&) = delete;

    /// The characters gathered so far.
    qsizetype size() const
    {
        return m_cut + m_tail.size();
    }
    /// Where the tail begins in the text.
    qsizetype tailStart() const
    {
        return m_cut;
    }
    /// The text not yet cut into blocks, to append to and edit; settle() after each addition.
    QString& tail()
    {
        return m_tail;
    }
    /// Cuts the tail's whole blocks off once it is long.
    void settle();
    /// The text gathered, and a fresh start for the next.
    ParagraphText take();

    /// A tail this long is cut.
    static constexpr qsizetype settleLength = 64 * blockLength;

  private:
    struct Cut;
    QString m_tail;
    qsizetype m_cut = 0;
    /// The blocks cut so far, once there are any.
    std::unique_ptr<Cut> m_blocks;
};

} // namespace quillsift::docx
