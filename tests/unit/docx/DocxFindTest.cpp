// SPDX-License-Identifier: GPL-3.0-or-later
// Find and replace on the in-process host: inside a range, whole words or not, with replacements.
#include "DocxEditFixture.h"

#include "engine/HostError.h"
#include "text/CaseFolding.h"

#include <gtest/gtest.h>

#include <random>

using namespace quillsift;
namespace qt = quillsift::testing;
using engine::Unit;
using qt::DocxEdit;
using qt::paragraphs;
using qt::u;

namespace {

TEST_F(DocxEdit, FindStaysInsideItsRange)
{
    auto document = open(paragraphs({"cat dog cat", "cat"}));
    auto range = document->range()->paragraph(1);
    range->setStart(4);
    EXPECT_TRUE(removeAll(*range, u("cat")));
    EXPECT_EQ(document->range()->text(), u("cat dog \rcat\r"));
    EXPECT_FALSE(removeAll(*range, u("bird")));
}

TEST_F(DocxEdit, FindOverOneWordMatchesItOnlyAsAWholeWord)
{
    // The word walk searches each word's own range for that word. Within one unit a whole word
    // can only be the unit's characters before its spaces: the search finds the needle there or
    // nowhere, and never from a start that is not a unit's. Letter case folds fully ("ß" is "ss").
    auto document = open(paragraphs({"Cat  cats concat x-cat cat's caf\u00E9 CAF\u00C9 \u00DF ss cat"}));
    const QString needles[] = {u("cat"),       u("CAT"), u("ats"),    u("ca"), u("cat's"),
                               u("caf\u00E9"), u("ss"),  u("\u00DF"), u("x")};
    const qint64 words = document->range()->wordsCount();
    for (qint64 index = 1; index <= words; ++index) {
        for (const bool shifted : {false, true}) {
            auto word = document->range()->word(index);
            if (shifted) {
                if (word->end() - word->start() < 2) {
                    continue;
                }
                word->setStart(word->start() + 1);
            }
            QString core = word->text();
            while (core.endsWith(u' ')) {
                core.chop(1);
            }
            for (const QString& needle : needles) {
                const bool expected = !shifted && text::foldCase(core) == text::foldCase(needle);
                auto find = word->find();
                find->setMatchWholeWord(true);
                EXPECT_EQ(find->execute(needle, engine::FindWrap::Stop, QString(), engine::FindReplace::None), expected)
                    << qPrintable(word->text()) << (shifted ? " (from its second character)" : "") << ", "
                    << qPrintable(needle);
            }
        }
    }
    auto first = document->range()->word(1);
    EXPECT_TRUE(removeAll(*first, u("cAT")));
    EXPECT_EQ(first->text(), u("  "));
}

TEST_F(DocxEdit, FindWithoutWholeWordMatchesInsideWords)
{
    auto document = open(paragraphs({"concatenate cat"}));
    auto range = document->range();
    EXPECT_TRUE(removeAll(*range, u("cat"), false));
    EXPECT_EQ(range->text(), u("conenate \r"));
}

TEST_F(DocxEdit, ReplacesWithTextInsideTheRunsAroundIt)
{
    auto document = open(u("<w:p><w:r><w:t xml:space=\"preserve\">a cat </w:t></w:r><w:r><w:tab/></w:r>"
                           "<w:r><w:t>cat</w:t></w:r></w:p><w:p><w:r><w:t>cat</w:t></w:r></w:p>"));
    auto range = document->range()->paragraph(1);
    auto tail = document->range()->paragraph(2);
    auto find = range->find();
    find->setMatchWholeWord(true);
    EXPECT_TRUE(find->execute(u("CAT"), engine::FindWrap::Stop, u("dog"), engine::FindReplace::All));
    EXPECT_EQ(document->range()->text(), u("a dog \tdog\rcat\r"));
    EXPECT_EQ(tail->text(), u("cat\r"));
    const QString saved = QDir(m_folder.path()).filePath(u("replaced.docx"));
    document->saveAs(saved);
    EXPECT_EQ(m_application->documents().open(saved)->range()->text(), u("a dog \tdog\rcat\r"));
}

TEST_F(DocxEdit, ReplacementsInsideRunsKeepTextWordsAndFileInStep)
{
    // Text replaced into a w:t goes in place; what the document then shows, its words and what it
    // saves must be what a fresh reading of the saved file gives.
    QString text;
    const char* words[] = {"cat", "Stra\u00DFe", "dog.", "na\u00EFve", "e-mail", "(cat)", "x"};
    for (int i = 0; i < 900; ++i) {
        text += QString::fromUtf8(words[(i * 5) % 7]) + (i % 4 == 0 ? u("  ") : u(" "));
    }
    auto document = open(u("<w:p><w:r><w:t xml:space=\"preserve\">") + text.left(2000) +
                         u("</w:t></w:r><w:r><w:tab/></w:r><w:r><w:t xml:space=\"preserve\">") + text.mid(2000) +
                         u("</w:t></w:r></w:p>"));
    const QString searches[] = {u("cat"), u("x"), u("na\u00EFve"), u("e-mail"), u("Stra\u00DFe")};
    const QString replacements[] = {u("dog"), u("\u00FCber cat"), u("x"), QChar(0xD800) + u("lone"),
                                    u("cats and dogs")};
    for (int round = 0; round < 5; ++round) {
        auto range = document->range();
        range->setStart(range->end() * round / 6);
        auto find = range->find();
        find->setMatchWholeWord(true);
        ASSERT_TRUE(
            find->execute(searches[round], engine::FindWrap::Stop, replacements[round], engine::FindReplace::All));
        const QString saved = QDir(m_folder.path()).filePath(u("replaced%1.docx").arg(round));
        document->saveAs(saved);
        auto fresh = m_application->documents().open(saved);
        ASSERT_EQ(document->range()->text(), fresh->range()->text()) << "round " << round;
        ASSERT_EQ(qt::wordTexts(*document), qt::wordTexts(*fresh)) << "round " << round;
        fresh->close();
    }
    // A lone surrogate has no place in the file, so the text does not keep it either.
    EXPECT_TRUE(document->range()->text().contains(u("lone")));
    EXPECT_FALSE(document->range()->text().contains(QChar(0xD800)));
    EXPECT_TRUE(document->range()->text().contains(u("cats and dogs")));
}

TEST_F(DocxEdit, SearchingWithoutReplacingChangesNothing)
{
    auto document = open(paragraphs({"cat"}));
    auto find = document->range()->find();
    EXPECT_TRUE(find->execute(u("CAT"), engine::FindWrap::Stop, QString(), engine::FindReplace::None));
    EXPECT_TRUE(document->saved());
    EXPECT_EQ(document->range()->text(), u("cat\r"));
}

} // namespace
