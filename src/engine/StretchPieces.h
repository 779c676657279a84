// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "Document.h"

#include "text/SurvivingCharacters.h"

#include <QString>

#include <map>
#include <memory>
#include <optional>
#include <unordered_map>
#include <vector>

namespace quillsift::engine {

/// The words of the stretch being walked that the walk has not reached yet, each with what the
/// walk needs of it read once, in text order. A piece is known by its origin: where it started in
/// the stretch as the stretch stood when it was read, which no removal changes; where it stands
/// now follows from the characters removed since. A long stretch (a paragraph of Chinese) holds
/// many pieces, so only the first few keep a live range (every live range costs the host a
/// little on every edit); the others get one when it is asked for. Owns the pieces and the
/// record of removed characters; reads the document only to make ranges.
class StretchPieces
{
  public:
    struct Piece {
        /// The piece's word, where it keeps one; null for most pieces of a long stretch.
        std::unique_ptr<Range> range;
        /// The word's text without the spaces before and after it: what a search for it finds.
        QString wanted;
        QString key;
        std::size_t hash = 0;
        qint64 formedAt = 0;
        /// The time of the first search for key, looked up once: none while there is none.
        qint64 firstSearch = 0;
        /// The spaces the word's text had before and after wanted (a text of spaces only has
        /// them all after).
        qsizetype leadingSpaces = 0;
        qsizetype trailingSpaces = 0;
        qint64 origin = 0;
        quint64 id = 0;

        /// The first character of the word's text, or 0 when it has none.
        char16_t first() const;
        /// The length of the word's text.
        qsizetype length() const
        {
            return leadingSpaces + wanted.size() + trailingSpaces;
        }
        bool sameText(const Piece& other) const
        {
            return leadingSpaces == other.leadingSpaces && trailingSpaces == other.trailingSpaces &&
                   wanted == other.wanted;
        }
    };
    using Map = std::map<qint64, Piece>;
    using iterator = Map::iterator;

    explicit StretchPieces(Document& document);

    /// Starts a stretch that begins at position; drops every piece. Pieces are added with their
    /// origins (their distance from position), then the stretch's length is set, before anything
    /// is removed.
    void start(qint64 position);
    void setLength(qint64 length);
    /// Where a piece that starts at position now began when the stretch was read.
    qint64 originAt(qint64 position) const;
    /// Where what began at origin stands now.
    qint64 position(qint64 origin) const
    {
        return m_start + m_characters.current(origin);
    }
    /// Where the stretch now ends.
    qint64 endPosition() const
    {
        return position(m_characters.originalLength());
    }
    /// length characters at position have been removed.
    void charactersRemoved(qint64 position, qint64 length);

    /// Adds a piece, whose origin is set, before the pieces that begin after it.
    iterator add(Piece piece);
    bool empty() const
    {
        return m_pieces.empty();
    }
    std::size_t size() const
    {
        return m_pieces.size();
    }
    iterator begin()
    {
        return m_pieces.begin();
    }
    iterator end()
    {
        return m_pieces.end();
    }
    iterator erase(iterator it);
    /// The piece that began at origin, if it is still the one with id.
    Piece* find(qint64 origin, quint64 id);
    /// The piece that began at origin, which is there.
    Piece* at(qint64 origin)
    {
        return &m_pieces.find(origin)->second;
    }
    /// The first piece that began at or after origin.
    iterator lowerBound(qint64 origin)
    {
        return m_pieces.lower_bound(origin);
    }
    /// Takes the first piece out.
    Piece takeFirst();
    /// The word of a piece taken out as a range of its own: its range, or a new one where it
    /// stands.
    std::unique_ptr<Range> rangeOf(Piece& piece);
    /// The word unit of the document at position.
    std::unique_ptr<Range> unitAt(qint64 position);

    /// Calls visit(piece) for every piece whose key has hash; visit may not add or erase pieces.
    template <typename Visit> void forEachWithHash(std::size_t hash, Visit visit);

  private:
    /// At most this many pieces keep a live range.
    static constexpr std::size_t rangedPieces = 64;

    void keepRange(Piece& piece);

    /// A stretch with more pieces than this looks pieces up by their key's hash in an index.
    static constexpr std::size_t indexedFrom = 32;

    Document& m_document;
    Map m_pieces;
    text::SurvivingCharacters m_characters{0};
    qint64 m_start = 0;
    quint64 m_nextId = 0;
    std::size_t m_ranged = 0;
    bool m_indexed = false;
    /// Hash of a key -> where and which pieces had it; entries go stale as pieces go.
    std::unordered_map<std::size_t, std::vector<std::pair<qint64, quint64>>> m_byHash;
};

template <typename Visit> void StretchPieces::forEachWithHash(std::size_t hash, Visit visit)
{
    if (!m_indexed) {
        for (auto& [origin, piece] : m_pieces) {
            if (piece.hash == hash) {
                visit(piece);
            }
        }
        return;
    }
    const auto found = m_byHash.find(hash);
    if (found == m_byHash.end()) {
        return;
    }
    auto& entries = found->second;
    std::size_t kept = 0;
    for (const auto& entry : entries) {
        if (Piece* piece = find(entry.first, entry.second)) {
            entries[kept++] = entry;
            visit(*piece);
        }
    }
    entries.resize(kept);
}

} // namespace quillsift::engine
