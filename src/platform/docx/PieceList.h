// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QtGlobal>

#include <pugixml.hpp>

#include <functional>
#include <vector>

namespace quillsift::docx {

/// Where a stretch of a paragraph's text lives in the XML: a w:t element (its characters one for
/// one) or an element that stands for a single character (a tab, a break, a picture...).
struct Piece {
    quint32 offset = 0;
    quint32 length = 0;
    pugi::xml_node node;
    bool isText = false;
};

/// A paragraph's pieces in text order, as a gap buffer: the pieces before the gap keep their
/// offsets, those after it their distance from the end of the text, so that deleting text moves
/// every later piece without touching it. Deletions walking forward through a paragraph of many
/// runs thus cost the pieces they touch, not all that follow.
class PieceList
{
  public:
    std::size_t size() const
    {
        return m_data.size() - (m_gapEnd - m_gapStart);
    }
    bool empty() const
    {
        return size() == 0;
    }
    /// The index-th piece, with its offset in the text.
    Piece operator[](std::size_t index) const;
    std::vector<Piece> toVector() const;

    /// Building, in text order: appends a piece, then sets the text's length once all are in.
    void clear();
    void append(const Piece& piece);
    void setTextLength(qint64 length);

    /// Deletes the text [from, to): calls change with each piece that overlaps it and the stretch
    /// [low, high) of the piece that goes, in text order; change returns whether the piece stays.
    /// The pieces after the deletion move back by its length.
    void removeText(qint64 from, qint64 to, const std::function<bool(const Piece&, qint64, qint64)>& change);

  private:
    void moveGap(std::size_t index);

    std::vector<Piece> m_data;
    std::size_t m_gapStart = 0;
    std::size_t m_gapEnd = 0;
    qint64 m_length = 0;
};

} // namespace quillsift::docx
