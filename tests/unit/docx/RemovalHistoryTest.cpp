// SPDX-License-Identifier: GPL-3.0-or-later
// A cleaned copy as it stood before its run, as the host window shows it.
#include "DocxEditFixture.h"

#include "docx/DeletionLog.h"
#include "docx/DocxDocument.h"
#include "docx/RemovalHistory.h"

#include <gtest/gtest.h>

#include <random>

using namespace quillsift;
namespace qt = quillsift::testing;
using docx::RemovalHistory;
using qt::u;

namespace {

using qt::DocxEdit;

/// Every piece's characters end to end, and the kept ones alone.
struct Shown {
    QString all;
    QString kept;
    QString removed;
    std::vector<std::size_t> pieceSizes;
};

Shown shownText(const RemovalHistory& history)
{
    Shown shown;
    for (std::size_t i = 0; i < history.pieceCount(); ++i) {
        const RemovalHistory::Piece piece = history.piece(i);
        shown.pieceSizes.push_back(piece.characters.size());
        for (const auto& c : piece.characters) {
            shown.all += c.ch;
            (c.removed ? shown.removed : shown.kept) += c.ch;
        }
    }
    return shown;
}

docx::DocxDocument& host(const std::shared_ptr<engine::Document>& document)
{
    return dynamic_cast<docx::DocxDocument&>(*document);
}

// The log keeps where each text starts for every 64th deletion only, and the texts in strings of a
// fixed capacity: every deletion, read one by one or all at once, is still the text it took, also
// where the texts fill many strings and some are longer than one.
TEST(DeletionLog, EveryDeletionKeepsItsText)
{
    const docx::ParagraphText text(u("the quick brown fox jumps over the lazy dog"));
    for (const qsizetype chunk : {qsizetype(1) << 16, qsizetype(16)}) {
        docx::DeletionLog log(chunk);
        std::vector<QString> taken;
        for (int i = 0; i < 300; ++i) {
            const qint64 offset = i % 23 == 0 ? 2 : i % 17;
            const qint64 length = i % 23 == 0 ? 30 : i % 5 == 0 ? 0 : 1 + i % 11;
            log.add(quint32(i / 3), text, offset, length);
            taken.push_back(text.mid(offset, length));
        }
        const auto entries = log.entries();
        ASSERT_EQ(entries.size(), taken.size());
        for (std::size_t i = 0; i < taken.size(); ++i) {
            EXPECT_EQ(entries[i].text, taken[i]) << chunk << " " << i;
            EXPECT_EQ(log.at(i).text, taken[i]) << chunk << " " << i;
            EXPECT_EQ(log.at(i).paragraph, qint64(i / 3));
            EXPECT_EQ(log.at(i).offset, i % 23 == 0 ? 2 : qint64(i % 17));
        }
        log.clear();
        log.add(0, text, 4, 5);
        EXPECT_EQ(log.at(0).text, u("quick"));
    }
}

TEST_F(DocxEdit, HistoryPutsEveryDeletionBackWhereItStood)
{
    std::mt19937 random(7);
    for (int round = 0; round < 12; ++round) {
        QString body;
        QString original;
        int token = 0;
        for (int p = 0; p < 6; ++p) {
            QString text;
            const int words = 1 + int(random() % 12);
            for (int w = 0; w < words; ++w) {
                text += u("w%1 ").arg(token++);
            }
            body += u("<w:p><w:r><w:t xml:space=\"preserve\">%1</w:t></w:r></w:p>").arg(text);
            original += text + u("\r");
        }
        auto document = open(body);
        ASSERT_EQ(document->content()->text(), original);
        // Delete words at random, in any order, never a paragraph mark.
        for (int d = 0; d < 20; ++d) {
            const auto content = document->content();
            const qint64 count = content->wordsCount();
            const auto word = content->word(1 + qint64(random() % quint64(count)));
            if (!word->text().contains(QLatin1Char('\r'))) {
                word->deleteContent();
            }
        }
        const RemovalHistory history(host(document).story());
        const Shown shown = shownText(history);
        EXPECT_EQ(shown.all, original) << "round " << round;
        EXPECT_EQ(shown.kept, document->content()->text()) << "round " << round;
        EXPECT_EQ(shown.removed.size() + shown.kept.size(), original.size());
    }
}

TEST_F(DocxEdit, HistoryShowsRemovedParagraphsAndFormatting)
{
    auto document = open(u("<w:p><w:r><w:rPr><w:b/></w:rPr><w:t>bold</w:t></w:r><w:r><w:t xml:space=\"preserve\"> "
                           "plain</w:t></w:r></w:p><w:p/><w:p><w:r><w:t>gone</w:t></w:r></w:p>"
                           "<w:p><w:r><w:t>last</w:t></w:r></w:p>"));
    document->content()->paragraph(3)->deleteContent();
    document->content()->paragraph(2)->deleteContent();
    const RemovalHistory history(host(document).story());
    ASSERT_EQ(history.pieceCount(), 4u);
    const auto first = history.piece(0);
    ASSERT_EQ(first.characters.size(), 11u);
    EXPECT_TRUE(first.characters[0].bold);
    EXPECT_FALSE(first.characters[5].bold);
    EXPECT_FALSE(first.characters[0].removed);
    // The removed empty paragraph is its mark alone, removed.
    const auto empty = history.piece(1);
    ASSERT_EQ(empty.characters.size(), 1u);
    EXPECT_EQ(empty.characters[0].ch, QChar(13));
    EXPECT_TRUE(empty.characters[0].removed);
    const auto gone = history.piece(2);
    EXPECT_EQ(gone.characters.size(), 5u);
    EXPECT_TRUE(std::all_of(gone.characters.begin(), gone.characters.end(), [](const auto& c) { return c.removed; }));
    EXPECT_FALSE(history.piece(3).characters[0].removed);
}

TEST_F(DocxEdit, HistoryCutsLongParagraphsIntoPiecesWithoutSplittingACharacter)
{
    // An emoji (two UTF-16 units) straddles the first piece's end.
    QString text = QString(int(RemovalHistory::pieceLength) - 1, QLatin1Char('a')) + u("\U0001F600") +
                   QString(int(RemovalHistory::pieceLength) * 2, QLatin1Char('b'));
    auto document = open(u("<w:p><w:r><w:t>%1</w:t></w:r></w:p><w:p><w:r><w:t>x</w:t></w:r></w:p>").arg(text));
    const RemovalHistory history(host(document).story());
    const Shown shown = shownText(history);
    ASSERT_EQ(history.pieceCount(), 5u);
    EXPECT_EQ(shown.pieceSizes[0], std::size_t(RemovalHistory::pieceLength) + 1);
    EXPECT_TRUE(history.piece(0).characters.back().ch.isLowSurrogate());
    EXPECT_FALSE(history.piece(0).endsParagraph);
    EXPECT_TRUE(history.piece(3).endsParagraph);
    EXPECT_EQ(shown.all, document->content()->text());
}

} // namespace
