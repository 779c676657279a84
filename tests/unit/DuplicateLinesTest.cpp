// SPDX-License-Identifier: GPL-3.0-or-later
// Line mode on the in-memory host: each case runs the one-walk removal and the step-by-step
// reference on separate copies and expects both to leave the same, stated paragraphs.
#include "GTestPrinters.h"
#include "LiteralRemoval.h"
#include "TextDocument.h"

#include <engine/DuplicateLines.h>

#include <gtest/gtest.h>

using quillsift::testing::TextDocument;

namespace {

struct LineCase {
    const char* name;
    QStringList paragraphs;
    QStringList expected;
    qint64 removed;
};

void PrintTo(const LineCase& c, std::ostream* os)
{
    *os << c.name;
}

class LineRemoval : public testing::TestWithParam<LineCase>
{
};

TEST_P(LineRemoval, keepsFirstOccurrences)
{
    const LineCase& c = GetParam();
    auto linear = TextDocument::fromParagraphs(c.paragraphs);
    EXPECT_EQ(quillsift::engine::removeDuplicateLines(*linear), c.removed);
    EXPECT_EQ(linear->paragraphTexts(), c.expected);

    auto literal = TextDocument::fromParagraphs(c.paragraphs);
    quillsift::testing::literalRemoveDuplicateLines(*literal);
    EXPECT_EQ(literal->paragraphTexts(), c.expected);
}

QStringList list(std::initializer_list<const char*> texts)
{
    QStringList result;
    for (const char* text : texts) {
        result << QString::fromUtf8(text);
    }
    return result;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, LineRemoval,
    testing::Values(
        LineCase{"single", list({"A"}), list({"A"}), 0},
        LineCase{"threeSame", list({"A", "A", "A", "end"}), list({"A", "end"}), 2},
        LineCase{"interleaved", list({"A", "B", "A", "B", "C"}), list({"A", "B", "C"}), 2},
        LineCase{"farApart", list({"x", "1", "2", "3", "x", "4"}), list({"x", "1", "2", "3", "4"}), 1},
        LineCase{"caseDiffers", list({"Alpha", "alpha", "ALPHA"}), list({"Alpha", "alpha", "ALPHA"}), 0},
        LineCase{"trailingSpaceDiffers", list({"A", "A ", "A\t", " A"}), list({"A", "A ", "A\t", " A"}), 0},
        LineCase{"emptyParagraphs", list({"", "A", "", "", "B", "", "C"}), list({"", "A", "B", "C"}), 3},
        // The last paragraph of the document cannot go: it is emptied, and then is the second
        // empty paragraph, which stays because nothing follows it.
        LineCase{"lastRepeats", list({"A", "B", "A"}), list({"A", "B", ""}), 1},
        LineCase{"lastRepeatsAfterEmpty", list({"", "A", "A"}), list({"", "A", ""}), 1},
        // A cell keeps its last paragraph: it is emptied, and an emptied cell is a repeat of an
        // empty cell before it only when one came earlier.
        LineCase{"cells", list({"A\a", "B\a", "A\a", "A\a", "after"}), list({"A\a", "B\a", "\a", "\a", "after"}), 2},
        LineCase{"cellWithTwoParagraphs", list({"A", "A\a", "A", "A\a", "end"}), list({"A", "A\a", "\a", "end"}), 2},
        LineCase{"cellVersusBody", list({"A", "A\a", "A"}), list({"A", "A\a", ""}), 1},
        // A picture or note shows as one placeholder character: two of them may differ.
        LineCase{"picturesStay", list({"\x01", "\x01", "x\x02", "x\x02", "x\x02y", "z", "z"}),
                 list({"\x01", "\x01", "x\x02", "x\x02", "x\x02y", "z", ""}), 1},
        LineCase{"breaksAndTabsCount", list({"a\vb", "a b", "a\vb", "a\tb", "end"}),
                 list({"a\vb", "a b", "a\tb", "end"}), 1}));

TEST(YieldThrottle, yieldsByTimeNotBySteps)
{
    int yields = 0;
    const quillsift::engine::YieldFunction yield = [&] { ++yields; };
    quillsift::engine::YieldThrottle everyStep(yield, 0);
    everyStep.step();
    everyStep.step();
    EXPECT_EQ(yields, 2);

    yields = 0;
    quillsift::engine::YieldThrottle rarely(yield, 3'600'000);
    for (int i = 0; i < 1000; ++i) {
        rarely.step();
    }
    EXPECT_EQ(yields, 0);

    quillsift::engine::YieldThrottle nothingToCall({}, 0);
    nothingToCall.step();
}

} // namespace
