// SPDX-License-Identifier: GPL-3.0-or-later
// Thousands of generated documents, each cleaned by the one-walk removals and by the step-by-step
// references on the same host: both must leave exactly the same paragraphs.
#include "DocumentGenerator.h"
#include "LiteralRemoval.h"
#include "TextDocument.h"

#include <engine/DuplicateLines.h>
#include <engine/DuplicateWords.h>

#include <gtest/gtest.h>

using quillsift::testing::describe;
using quillsift::testing::TextDocument;

namespace {

constexpr int documentsPerMode = 5000;

template <typename Linear, typename Literal>
void compareOnGeneratedDocuments(unsigned seed, Linear linear, Literal literal)
{
    quillsift::testing::DocumentGenerator generator(seed);
    int differences = 0;
    for (int i = 0; i < documentsPerMode && differences < 5; ++i) {
        const QStringList paragraphs = generator.document();
        auto fast = TextDocument::fromParagraphs(paragraphs);
        auto reference = TextDocument::fromParagraphs(paragraphs);
        linear(*fast);
        literal(*reference);
        if (fast->paragraphTexts() != reference->paragraphTexts()) {
            ++differences;
            ADD_FAILURE() << "document " << i << ": " << describe(paragraphs).toStdString()
                          << "\n  one walk:  " << describe(fast->paragraphTexts()).toStdString()
                          << "\n  reference: " << describe(reference->paragraphTexts()).toStdString();
        }
    }
}

TEST(RemovalProperty, linesAgreeWithReference)
{
    compareOnGeneratedDocuments(
        20261207, [](auto& d) { quillsift::engine::removeDuplicateLines(d); },
        [](auto& d) { quillsift::testing::literalRemoveDuplicateLines(d); });
}

TEST(RemovalProperty, wordsAgreeWithReference)
{
    compareOnGeneratedDocuments(
        7122026, [](auto& d) { quillsift::engine::removeDuplicateWords(d); },
        [](auto& d) { quillsift::testing::literalRemoveDuplicateWords(d); });
}

} // namespace
