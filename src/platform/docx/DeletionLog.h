// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "ParagraphText.h"

#include <QString>

#include <deque>
#include <vector>

namespace quillsift::docx {

/// What the deletions of one story took out, in the order they were made, for the host window.
/// A word mode run makes hundreds of thousands, so their texts are kept end to end in one string
/// and the entries, twelve bytes each, in blocks that are never copied as the log grows; where an
/// entry's text starts is kept for every 64th only. Owns the log; reads
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

    std::deque<Span> m_entries;
    QString m_text;
    /// Where the text of entry i * startEvery starts in m_text.
    std::vector<qsizetype> m_textStarts;
};

} // namespace quillsift::docx
