// SPDX-License-Identifier: GPL-3.0-or-later
// The word walk's pieces of a stretch: where they stand after removals, which of them a key's hash
// finds (read one by one in a short stretch, through an index in a long one), and the ranges the
// first few keep while the others get theirs where they now stand.
#include "TextDocument.h"

#include <engine/StretchPieces.h>
#include <engine/Units.h>

#include <gtest/gtest.h>

#include <QHash>
#include <QStringList>

#include <map>
#include <random>
#include <set>

using quillsift::engine::Range;
using quillsift::engine::StretchPieces;
using quillsift::engine::Unit;
using quillsift::testing::TextDocument;

namespace {

QString keyOf(int word)
{
    return QStringLiteral("w%1").arg(word % 10);
}

struct Stretch {
    std::shared_ptr<TextDocument> document;
    StretchPieces pieces;
    /// The origins of the pieces by key, as the test keeps them.
    std::map<QString, std::set<qint64>> byKey;

    explicit Stretch(int words)
        : document(makeDocument(words))
        , pieces(*document)
    {
        pieces.start(0);
        qint64 end = 0;
        for (auto word = document->range()->word(1); word && word->end() < document->range()->end();) {
            StretchPieces::Piece piece;
            piece.wanted = word->text().trimmed();
            piece.trailingSpaces = word->text().size() - piece.wanted.size();
            piece.key = piece.wanted;
            piece.hash = qHash(piece.key);
            piece.origin = word->start();
            end = word->end();
            auto next = word->next(Unit::Word);
            piece.range = std::move(word);
            byKey[piece.key].insert(piece.origin);
            pieces.add(std::move(piece));
            word = std::move(next);
        }
        pieces.setLength(end);
    }
    static std::shared_ptr<TextDocument> makeDocument(int words)
    {
        QStringList text;
        for (int i = 0; i < words; ++i) {
            text << keyOf(i);
        }
        return TextDocument::fromParagraphs({text.join(QLatin1Char(' ')) + QLatin1Char(' ')});
    }
    std::set<qint64> found(const QString& key)
    {
        std::set<qint64> origins;
        pieces.forEachWithHash(qHash(key), [&](StretchPieces::Piece& piece) {
            if (piece.key == key) {
                origins.insert(piece.origin);
            }
        });
        return origins;
    }
    /// Removes the piece that began at origin from the document and from the pieces.
    void remove(qint64 origin)
    {
        const StretchPieces::Piece& piece = *pieces.at(origin);
        const qint64 position = pieces.position(origin);
        auto range = pieces.unitAt(position);
        ASSERT_EQ(range->start(), position);
        ASSERT_EQ(range->text(), piece.wanted + QString(piece.trailingSpaces, QLatin1Char(' ')));
        range->deleteContent();
        pieces.charactersRemoved(position, piece.length());
        byKey[piece.key].erase(origin);
        pieces.erase(pieces.lowerBound(origin));
    }
};

TEST(StretchPieces, followRemovalsInShortAndLongStretches)
{
    for (const int words : {20, 300}) {
        Stretch stretch(words);
        ASSERT_EQ(stretch.pieces.size(), std::size_t(words));
        std::mt19937 random(11);
        for (int round = 0; round < words / 2; ++round) {
            auto it = stretch.pieces.begin();
            std::advance(it, random() % stretch.pieces.size());
            stretch.remove(it->first);
            // Every piece left stands where its word now is, and is found back from there.
            if (round % 7 == 0) {
                for (auto& [origin, piece] : stretch.pieces) {
                    const qint64 position = stretch.pieces.position(origin);
                    ASSERT_EQ(stretch.pieces.originAt(position), origin);
                    ASSERT_EQ(stretch.pieces.unitAt(position)->text().trimmed(), piece.wanted) << words;
                }
            }
            const QString key = keyOf(int(random() % 10));
            ASSERT_EQ(stretch.found(key), stretch.byKey[key]) << words << " " << key.toStdString();
        }
        EXPECT_EQ(stretch.pieces.endPosition(), stretch.document->range()->end() - 1) << words;
    }
}

TEST(StretchPieces, piecesTakenOutGetTheirWordWhereItStands)
{
    Stretch stretch(200);
    stretch.remove(stretch.pieces.begin()->first);
    // Past the first pieces no range is kept; the range made stands where the word now is.
    int withoutRange = 0;
    while (!stretch.pieces.empty()) {
        const qint64 position = stretch.pieces.position(stretch.pieces.begin()->first);
        StretchPieces::Piece piece = stretch.pieces.takeFirst();
        withoutRange += piece.range ? 0 : 1;
        const std::unique_ptr<Range> range = stretch.pieces.rangeOf(piece);
        ASSERT_TRUE(range);
        EXPECT_EQ(range->start(), position);
        EXPECT_EQ(range->text().trimmed(), piece.wanted);
    }
    EXPECT_GT(withoutRange, 100);
}

} // namespace
