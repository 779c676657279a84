// SPDX-License-Identifier: GPL-3.0-or-later
// Word mode on the in-memory host: each case runs the one-walk removal and the step-by-step
// reference on separate copies and expects both to leave the same, stated text.
#include "GTestPrinters.h"
#include "LiteralRemoval.h"
#include "TextDocument.h"

#include <engine/DuplicateWords.h>

#include <gtest/gtest.h>

using quillsift::testing::TextDocument;

namespace {

struct WordCase {
    const char* name;
    const char* text; // paragraphs separated by "\r"
    const char* expected;
    qint64 removed;
};

void PrintTo(const WordCase& c, std::ostream* os)
{
    *os << c.name;
}

class WordRemoval : public testing::TestWithParam<WordCase>
{
};

TEST_P(WordRemoval, keepsFirstOccurrences)
{
    const WordCase& c = GetParam();
    const QString text = QString::fromUtf8(c.text);
    const QString expected = QString::fromUtf8(c.expected);

    auto linear = TextDocument::fromText(text);
    EXPECT_EQ(quillsift::engine::removeDuplicateWords(*linear), c.removed);
    EXPECT_EQ(linear->paragraphTexts().join(QLatin1Char('\r')), expected);

    auto literal = TextDocument::fromText(text);
    quillsift::testing::literalRemoveDuplicateWords(*literal);
    EXPECT_EQ(literal->paragraphTexts().join(QLatin1Char('\r')), expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, WordRemoval,
    testing::Values(WordCase{"oneWord", "word", "word", 0}, WordCase{"empty", "", "", 0},
                    WordCase{"spacesStay", "the cat and the dog", "the cat and  dog", 1},
                    WordCase{"wholeWordsOnly", "cat cats cat", "cat cats ", 1},
                    WordCase{"numbers", "2024 and 3.14 in 2024, 3.14", "2024 and 3.14 in , ", 2},
                    WordCase{"caseIgnored", "Cat cat CAT cAt.", "Cat   .", 3},
                    WordCase{"fullCaseFolding", "straße STRASSE Strasse", "straße  ", 2},
                    WordCase{"acrossParagraphs", "alpha beta\rbeta alpha\r gamma alpha", "alpha beta\r \r gamma ", 3},
                    // Marks up to the slash are never searched for; from the colon on they are.
                    WordCase{"thresholdLow", "a , b , c . d . e - f - g ( h ( i", "a , b , c . d . e - f - g ( h ( i",
                             0},
                    WordCase{"thresholdHigh", "a ? b ? c : d : e ; f ;", "a ? b  c : d  e ; f ", 3},
                    WordCase{"nonAsciiPasses", "« a » b « c » d", "« a » b  c  d", 2},
                    // A character Windows-1252 cannot hold counts as "?", so it passes too.
                    WordCase{"unmappablePasses", "→ a → b 😀 c 😀", "→ a  b 😀 c ", 2},
                    WordCase{"tabsAreNotWords", "a\tb\ta\tb", "a\tb\t\t", 2},
                    WordCase{"apostropheInsideWord", "don't do don't", "don't do ", 1},
                    // A removed word between letters joins them into one new word, which is then
                    // a word like any other.
                    WordCase{"joinedWords", "; foo;bar foobar", "; foobar ", 2},
                    // Words run together past the longest stretch the walk settles at once:
                    // removing the mark at the cut joins the word after it to those before, so
                    // "wq" is never a word by itself before the last one.
                    WordCase{"longRunTogether", "wa;wb;wc;wd;we;wf;wg;wh;wi;wj;wk;wl;wm;wn;wo;wp;wq wq",
                             "wa;wbwcwdwewfwgwhwiwjwkwlwmwnwowpwq wq", 15}));

} // namespace
