// SPDX-License-Identifier: GPL-3.0-or-later
#include "StretchPieces.h"

#include "Units.h"

namespace quillsift::engine {

char16_t StretchPieces::Piece::first() const
{
    if (leadingSpaces > 0 || (wanted.isEmpty() && trailingSpaces > 0)) {
        return chars::Space;
    }
    return wanted.isEmpty() ? 0 : wanted.front().unicode();
}

StretchPieces::StretchPieces(Document& document)
    : m_document(document)
{
}

void StretchPieces::start(qint64 position)
{
    m_pieces.clear();
    m_byHash.clear();
    m_ranged = 0;
    m_start = position;
    m_indexed = false;
}

void StretchPieces::setLength(qint64 length)
{
    m_characters.reset(length);
}

qint64 StretchPieces::originAt(qint64 position) const
{
    return m_characters.original(position - m_start);
}

void StretchPieces::charactersRemoved(qint64 position, qint64 length)
{
    m_characters.remove(position - m_start, position - m_start + length);
}

void StretchPieces::keepRange(Piece& piece)
{
    if (!piece.range) {
        return;
    }
    if (m_ranged < rangedPieces) {
        ++m_ranged;
    } else {
        piece.range.reset();
    }
}

StretchPieces::iterator StretchPieces::add(Piece piece)
{
    piece.id = m_nextId++;
    if (const auto old = m_pieces.find(piece.origin); old != m_pieces.end()) {
        erase(old);
    }
    keepRange(piece);
    const auto it = m_pieces.emplace(piece.origin, std::move(piece)).first;
    if (!m_indexed && m_pieces.size() > indexedFrom) {
        // Long enough that finding a key's pieces by reading them all would cost too much.
        m_indexed = true;
        for (const auto& [origin, each] : m_pieces) {
            m_byHash[each.hash].emplace_back(origin, each.id);
        }
    } else if (m_indexed) {
        m_byHash[it->second.hash].emplace_back(it->first, it->second.id);
    }
    return it;
}

StretchPieces::iterator StretchPieces::erase(iterator it)
{
    if (it->second.range) {
        --m_ranged;
    }
    return m_pieces.erase(it);
}

StretchPieces::Piece* StretchPieces::find(qint64 origin, quint64 id)
{
    const auto it = m_pieces.find(origin);
    return it != m_pieces.end() && it->second.id == id ? &it->second : nullptr;
}

StretchPieces::Piece StretchPieces::takeFirst()
{
    const auto it = m_pieces.begin();
    Piece piece = std::move(it->second);
    erase(it);
    if (piece.range) {
        // Counted while the piece was held; erase() saw it moved out.
        --m_ranged;
    }
    return piece;
}

std::unique_ptr<Range> StretchPieces::unitAt(qint64 position)
{
    auto range = m_document.range();
    range->setStart(position);
    return range->word(1);
}

std::unique_ptr<Range> StretchPieces::rangeOf(Piece& piece)
{
    if (piece.range) {
        return std::move(piece.range);
    }
    return unitAt(position(piece.origin));
}

} // namespace quillsift::engine
