// SPDX-License-Identifier: GPL-3.0-or-later
// The complex-field nesting a paragraph starts in: what reads as text, when two nestings are the
// same, and that a deep one is cheap to keep and to let go of.
#include <docx/FieldNesting.h>

#include <gtest/gtest.h>

#include <vector>

using quillsift::docx::FieldNesting;

TEST(FieldNesting, TextIsTextOnlyWhereNoOpenFieldIsInItsCode)
{
    FieldNesting fields;
    EXPECT_TRUE(fields.isText());
    fields.begin();
    EXPECT_FALSE(fields.isText());
    fields.separate();
    EXPECT_TRUE(fields.isText());
    fields.begin(); // a field inside the first one's result
    EXPECT_FALSE(fields.isText());
    fields.end();
    EXPECT_TRUE(fields.isText());
    fields.end();
    fields.end(); // an end without a field, as broken documents have
    fields.separate();
    EXPECT_TRUE(fields.isText());
    EXPECT_EQ(fields.depth(), 0U);
}

TEST(FieldNesting, NestingsAreEqualByTheirFieldsNotByHowTheyWereMade)
{
    FieldNesting start;
    start.begin();
    start.separate();
    FieldNesting same = start;
    same.begin(); // a field that begins and ends inside the paragraph
    same.end();
    EXPECT_TRUE(same == start);

    FieldNesting other = start;
    other.end();
    other.begin();
    other.separate(); // one field ended and another began: the same state, made anew
    EXPECT_TRUE(other == start);

    FieldNesting inCode = start;
    inCode.end();
    inCode.begin();
    EXPECT_FALSE(inCode == start);
    FieldNesting deeper = start;
    deeper.begin();
    EXPECT_FALSE(deeper == start);
}

TEST(FieldNesting, ADeepNestingIsSharedByCopiesAndLetGoOfWithoutRecursion)
{
    // Fields that begin and separate but never end: every paragraph after them keeps the nesting.
    FieldNesting fields;
    for (int i = 0; i < 1'000'000; ++i) {
        fields.begin();
        fields.separate();
    }
    std::vector<FieldNesting> paragraphs(100'000, fields);
    EXPECT_TRUE(paragraphs.back() == fields);
    EXPECT_TRUE(paragraphs.back().isText());
    EXPECT_EQ(paragraphs.front().depth(), 1'000'000U);
    paragraphs.clear();
    fields = FieldNesting(); // the last holder: the chain goes field by field
    EXPECT_EQ(fields.depth(), 0U);
}
