// SPDX-License-Identifier: GPL-3.0-or-later
#include "DocumentGenerator.h"

#include "GTestPrinters.h"

#include <engine/Units.h>

#include <iterator>

namespace quillsift::testing {

DocumentGenerator::DocumentGenerator(unsigned seed)
    : m_random(seed)
{
}

QStringList DocumentGenerator::document()
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

QString DocumentGenerator::paragraph()
{
    static const char* const tokens[] = {
        "cat", "Cat", "CAT", "cats", "dog", "the", "The", "a", "2024", "3.14", "don't", "e-mail", "x", "straße",
        "STRASSE", "Über", "über", ",", ".", ";", ":", "?", "!", "(", ")", "-", "«", "»", "\"", "'", "_", "/", "@",
        "\x01", "foo", "bar", "foo;", ";bar", "1;2", "a:b", "naïve", "ﬁ", "FI", "1,5", "’", "\x02", "#", "…",
        // Longer than the removal keeps inside its table's slots, and alike only when folded.
        "bookkeeping", "Bookkeeping", "straßenbahnen", "STRASSENBAHNEN"};
    static const char* const separators[] = {" ", " ", " ", " ", "", "", "  ", "\t"};
    QString text;
    if (chance(10)) {
        text += QStringLiteral("  ");
    }
    const int count = pick(0, 7);
    for (int i = 0; i < count; ++i) {
        if (i > 0) {
            text += QString::fromUtf8(separators[pick(0, int(std::size(separators)) - 1)]);
        }
        text += QString::fromUtf8(tokens[pick(0, int(std::size(tokens)) - 1)]);
    }
    if (chance(20)) {
        text += QLatin1Char(' ');
    }
    return text;
}

QString DocumentGenerator::longParagraph(int minimumLength)
{
    QString text;
    while (text.size() < minimumLength) {
        text += paragraph();
        text += chance(80) ? QStringLiteral(" ") : QString();
    }
    return text;
}

int DocumentGenerator::pick(int low, int high)
{
    return std::uniform_int_distribution<int>(low, high)(m_random);
}

bool DocumentGenerator::chance(int percent)
{
    return pick(1, 100) <= percent;
}

QStringList paragraphTexts(engine::Document& document)
{
    QStringList texts;
    for (auto paragraph = document.range()->paragraph(1); paragraph;
         paragraph = paragraph->next(engine::Unit::Paragraph)) {
        texts << paragraph->text().remove(QChar(engine::chars::ParagraphMark));
    }
    return texts;
}

QString describe(const QStringList& paragraphs)
{
    QStringList shown;
    for (const QString& paragraph : paragraphs) {
        shown << QLatin1Char('"') + visible(paragraph) + QLatin1Char('"');
    }
    return shown.join(QStringLiteral(", "));
}

} // namespace quillsift::testing
