// SPDX-License-Identifier: GPL-3.0-or-later
// A text read in pieces, as a long paragraph's blocks are read, is segmented into exactly the
// units the same text read whole gives, wherever its pieces part it: between the two halves of
// a surrogate pair, between a letter and its combining mark, inside a run of Thai or Chinese,
// and inside a piece kept a byte a character, which is widened a stretch at a time.
#include "MultilingualText.h"

#include "text/PiecedUText.h"
#include "text/WordSegmenter.h"

#include <QStringList>

#include <gtest/gtest.h>

#include <unicode/utext.h>

#include <algorithm>

#include <random>

using namespace quillsift;

namespace {

/// A text in pieces of random lengths, each kept a byte a character where it can be, as a long
/// paragraph's blocks are.
class Pieces final : public text::PiecedText
{
  public:
    Pieces(const QString& text, std::mt19937& random, int longest)
        : m_text(text)
    {
        for (qsizetype from = 0; from < text.size();) {
            const qsizetype length =
                std::min<qsizetype>(1 + qsizetype(random() % unsigned(longest)), text.size() - from);
            const QString piece = text.mid(from, length);
            const bool latin1 = std::all_of(piece.begin(), piece.end(), [](QChar c) { return c.unicode() <= 0xff; });
            m_pieces.push_back(latin1 ? QString() : piece);
            m_latin1.push_back(latin1 ? piece.toLatin1() : QByteArray());
            m_starts.push_back(from);
            from += length;
        }
    }
    qint64 size() const override
    {
        return m_text.size();
    }
    Piece pieceAt(qint64 position) const override
    {
        const auto after = std::upper_bound(m_starts.begin(), m_starts.end(), position);
        const auto index = std::size_t(after - m_starts.begin()) - 1;
        ++m_reads;
        return {m_pieces[index], QLatin1StringView(m_latin1[index]), m_starts[index]};
    }
    /// How often a piece was asked for.
    mutable int m_reads = 0;

  private:
    QString m_text;
    std::vector<QString> m_pieces;
    std::vector<QByteArray> m_latin1;
    std::vector<qint64> m_starts;
};

class Ends final : public text::UnitEndSink
{
  public:
    void add(quint32 end) override
    {
        ends.push_back(end);
    }
    std::vector<quint32> ends;
};

TEST(WordSegmenter, PiecesAreSegmentedAsTheWholeText)
{
    quillsift::testing::MultilingualText texts(5);
    std::mt19937 random(29);
    text::WordSegmenter whole;
    text::WordSegmenter pieced;
    // Long text of Latin-1 letters, emoji and other characters beyond the first plane, marks and
    // joiners after spaces, spaces alone at the start, and the scripts segmented with a dictionary.
    QString latin;
    for (int i = 0; i < 3000; ++i) {
        latin += QString::fromUtf8(i % 7 == 0 ? "caf\xC3\xA9%1 " : "word%1 ").arg(i % 13);
    }
    const QStringList fixed = {
        latin,
        QString::fromUtf8("   leading spaces then words  "),
        QString::fromUtf8("\xF0\x9F\x91\xA9\xE2\x80\x8D\xF0\x9F\x92\xBB \xF0\x9F\x98\x80\xF0\x9F\x98\x80 "
                          "\xF0\x90\x8C\xB0\xF0\x90\x8C\xB1"),
        QString::fromUtf8("\xD9\x88\xD9\x82\xD8\xAF \xD9\x8E\xD9\x88\xD9\x82\xD8\xAF "
                          "\xD9\x85\xDB\x8C\xE2\x80\x8C\xD8\xB1\xD9\x88\xD9\x85"),
        QString::fromUtf8("\xE0\xB8\xAA\xE0\xB8\xA7\xE0\xB8\xB1\xE0\xB8\xAA\xE0\xB8\x94\xE0\xB8\xB5\xE0\xB8\x84\xE0\xB8"
                          "\xA3\xE0\xB8\xB1\xE0\xB8\x9A"),
    };
    for (int round = 0; round < 400; ++round) {
        const QString text = round < fixed.size() ? fixed[round] : texts.paragraph();
        const std::vector<quint32> expected = whole.unitEnds(text);
        for (const int longest : {1, 2, 7, 300, 3 * text::PiecedUText::widenedLength}) {
            const Pieces pieces(text, random, longest);
            Ends found;
            pieced.unitEnds(pieces, found);
            ASSERT_EQ(found.ends, expected)
                << "round " << round << ", pieces of up to " << longest << ": " << text.toStdString();
        }
    }
    Ends none;
    pieced.unitEnds(Pieces(QString(), random, 3), none);
    EXPECT_TRUE(none.ends.empty());
}

TEST(WordSegmenter, AnIteratorReadsAPieceOnlyWhenItMovesOntoIt)
{
    // ICU is handed the pieces where they lie: reading a long text in long pieces asks for each
    // piece about once, not once a character.
    std::mt19937 random(3);
    QString text;
    for (int i = 0; i < 4000; ++i) {
        text += QStringLiteral("word%1 ").arg(i % 97);
    }
    const Pieces pieces(text, random, 256);
    text::WordSegmenter segmenter;
    Ends found;
    segmenter.unitEnds(pieces, found);
    EXPECT_EQ(found.ends, segmenter.unitEnds(text));
    EXPECT_LT(pieces.m_reads, int(text.size() / 256) * 4);
}

TEST(WordSegmenter, TextsInPiecesAreExtractedAsICUTextsAre)
{
    // What ICU's own texts do on utext_extract(): the characters of the range, pinned to the
    // text, and a zero, a warning or an overflow as the room allows.
    std::mt19937 random(8);
    const QString text = QString::fromUtf8("caf\xC3\xA9 \xE4\xB8\xAD\xE6\x96\x87 plain words \xF0\x9F\x98\x80 end");
    const Pieces pieces(text, random, 4);
    text::PiecedUText ut(pieces);
    for (const auto& [from, to, room] : {std::tuple{0, 5, 10}, {2, 9, 7}, {3, 40, 100}, {-4, 3, 3}, {6, 25, 2}}) {
        UErrorCode status = U_ZERO_ERROR;
        UChar out[128] = {};
        const int32_t length = utext_extract(ut.get(), from, to, out, room, &status);
        const QString expected = text.mid(std::max(from, 0), std::min<qsizetype>(to, text.size()) - std::max(from, 0));
        EXPECT_EQ(length, expected.size()) << from << ".." << to;
        EXPECT_EQ(QString::fromUtf16(reinterpret_cast<const char16_t*>(out), std::min(length, room)),
                  expected.left(room));
        EXPECT_EQ(status, length < room    ? U_ZERO_ERROR
                          : length == room ? U_STRING_NOT_TERMINATED_WARNING
                                           : U_BUFFER_OVERFLOW_ERROR);
        if (length < room) {
            EXPECT_EQ(out[length], 0);
        }
    }
}

} // namespace
