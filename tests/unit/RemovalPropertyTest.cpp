// SPDX-License-Identifier: GPL-3.0-or-later
// Thousands of generated documents, each cleaned by the one-walk removals and by the step-by-step
// references on the same host: both must leave exactly the same paragraphs.
#include "GTestPrinters.h"
#include "LiteralRemoval.h"
#include "TextDocument.h"

#include <engine/DuplicateLines.h>
#include <engine/DuplicateWords.h>

#include <gtest/gtest.h>

#include <random>

using quillsift::testing::TextDocument;

namespace {

constexpr int documentsPerMode = 5000;

class Generator
{
  public:
    explicit Generator(unsigned seed)
        : m_random(seed)
    {
    }

    QStringList document()
    {
        QStringList pool;
        const int poolSize = pick(1, 5);
        for (int i = 0; i < poolSize; ++i) {
            pool << paragraph();
        }
        QStringList paragraphs;
        const int count = pick(1, 10);
        for (int i = 0; i < count; ++i) {
            QString text = chance(70) ? pool.at(pick(0, poolSize - 1)) : paragraph();
            if (chance(10)) {
                text.clear();
            }
            if (chance(15) && i + 1 < count) {
                text += QLatin1Char('\a');
            }
            paragraphs << text;
        }
        if (count > 1 && chance(30)) {
            paragraphs.last() = paragraphs.at(pick(0, count - 2));
        }
        if (paragraphs.last().endsWith(QLatin1Char('\a'))) {
            paragraphs.last().chop(1);
        }
        return paragraphs;
    }

  private:
    QString paragraph()
    {
        // Words that repeat in other letter case, numbers, words with inner marks, marks on both
        // sides of the threshold, a picture, and separators that may be missing altogether, so
        // that a removed mark can join two words.
        static const char* const tokens[] = {
            "cat",  "Cat",    "CAT",     "cats", "dog",   "the", "The", "a",   "2024", "3.14", "don't", "e-mail",
            "x",    "straße", "STRASSE", "Über", "über",  ",",   ".",   ";",   ":",    "?",    "!",     "(",
            ")",    "-",      "«",       "»",    "\"",    "'",   "_",   "/",   "@",    "\x01", "foo",   "bar",
            "foo;", ";bar",   "1;2",     "a:b",  "naïve", "ﬁ",   "FI",  "1,5", "’",    "\x02", "#",     "…"};
        static const char* const separators[] = {" ", " ", " ", " ", "", "", "  ", "\t"};
        QString text;
        if (chance(10)) {
            text += QStringLiteral("  ");
        }
        const int count = pick(0, 7);
        for (int i = 0; i < count; ++i) {
            if (i > 0) {
                text += QString::fromUtf8(separators[pick(0, std::size(separators) - 1)]);
            }
            text += QString::fromUtf8(tokens[pick(0, std::size(tokens) - 1)]);
        }
        if (chance(20)) {
            text += QLatin1Char(' ');
        }
        return text;
    }

    int pick(int low, int high)
    {
        return std::uniform_int_distribution<int>(low, high)(m_random);
    }
    bool chance(int percent)
    {
        return pick(1, 100) <= percent;
    }

    std::mt19937 m_random;
};

QString describe(const QStringList& paragraphs)
{
    QStringList shown;
    for (const QString& paragraph : paragraphs) {
        shown << QLatin1Char('"') + visible(paragraph) + QLatin1Char('"');
    }
    return shown.join(QStringLiteral(", "));
}

template <typename Linear, typename Literal>
void compareOnGeneratedDocuments(unsigned seed, Linear linear, Literal literal)
{
    Generator generator(seed);
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
