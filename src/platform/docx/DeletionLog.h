// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "ParagraphText.h"

#include <QString>

#include <deque>
#include <vector>

namespace quillsift::docx {

/// What the deletions of one story took out, in the order they were made, for the host window.
/// A word mode run makes hundreds of thousands, so their texts are kept end to end, and the
/// entries, twelve bytes each, in blocks that are never copied as the log grows; where an entry's
/// text starts is kept for every 64th only. The texts fill strings of a fixed capacity one after
/// the other (a text longer than that gets one of its own size), so that a long log is neither
/// copied as it grows nor holds room it does not use. Owns the log; reads
/// only the paragraph text it is handed.
class DeletionLog
{
  public:
    /// One deletion: the text and the paragraph it stood in, counted in the original order.
    struct Deletion {
        qint64 paragraph = 0;
        qint64 offset = 0;
        QString text;
    };

    /// chunkCharacters is the capacity of each string the texts fill; tests make it small.
    explicit DeletionLog(qsizetype chunkCharacters = qsizetype(1) << 16);

    /// Records length characters of text from offset, taken out of the paragraph numbered
    /// paragraph (shorter than 2^32, as every paragraph is).
    void add(quint32 paragraph, const ParagraphText& text, qint64 offset, qint64 length);
    /// Where one deletion stood: the paragraph's number and the stretch of its text at the time.
    struct Span {
        quint32 paragraph;
        quint32 offset;
        quint32 length;
    };

    std::vector<Deletion> entries() const;
    /// The deletion made index-th (from 0), and the paragraph it was made in.
    Deletion at(std::size_t index) const;
    quint32 paragraphOf(std::size_t index) const
    {
        return m_entries[index].paragraph;
    }
    qint64 lengthOf(std::size_t index) const
    {
        return m_entries[index].length;
    }
    /// The deletions without their texts, in the order they were made.
    const std::deque<Span>& spans() const
    {
        return m_entries;
    }
    std::size_t size() const
    {
        return m_entries.size();
    }
    void clear();

  private:
    static constexpr std::size_t startEvery = 64;

    /// The text of the deletion whose text starts at start (counted over all the texts end to
    /// end) and has length characters.
    QString textAt(qsizetype start, qsizetype length) const;

    qsizetype m_chunkCharacters;
    std::deque<Span> m_entries;
    /// The texts end to end, in strings filled one after the other; an entry's text lies within
    /// one of them.
    std::vector<QString> m_chunks;
    /// Where each string of m_chunks starts in the texts end to end.
    std::vector<qsizetype> m_chunkStarts;
    qsizetype m_textSize = 0;
    /// Where the text of entry i * startEvery starts, counted as in m_chunkStarts.
    std::vector<qsizetype> m_textStarts;
};

} // namespace quillsift::docx
