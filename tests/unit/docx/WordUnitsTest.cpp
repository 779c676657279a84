// SPDX-License-Identifier: GPL-3.0-or-later
// After any edit, the word units the in-process host gives a paragraph are those a fresh reading
// of its text gives: checked over random paragraphs in many scripts, long and short, edited at
// random, against a fresh segmentation after every edit.
#include "DocxFixture.h"

#include "docx/DocxHostProvider.h"
#include "docx/DocxRange.h"
#include "text/WordSegmenter.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <iostream>
#include <random>

using namespace quillsift;
namespace qt = quillsift::testing;
using qt::u;

namespace {

// Words of scripts segmented by rules and by dictionaries, marks that attach to what is before
// them, joiners, and the separators between them; an empty separator makes runs of characters
// that a dictionary segments as a whole.
const char* const tokens[] = {
    "alpha",
    "beta",
    "don't",
    "3.14",
    "1,000",
    "x_y",
    "台湾",
    "民进党",
    "前",
    "主席",
    "施明德",
    "正式宣布",
    "東京都",
    "に",
    "住んでいます",
    "カタカナ",
    "ภาษาไทย",
    "ง่าย",
    "นิดเดียว",
    "ພາສາລາວ",
    "ភាសាខ្មែរ",
    "မြန်မာ",
    "وقد",
    "فِي",
    "\u064e",
    "\u064b",
    "كتب",
    "می\u200cخواهم",
    "\u200c",
    "\u200d",
    "हिन्दी",
    "नमस्ते",
    "\u0301",
    "👩\u200d👩\u200d👧",
    "👍🏽",
    "!",
    "?",
    "-",
    "(",
    ")",
};
const char* const separators[] = {" ", " ", "", "", "", "", "  ", ", ", ". ", "\t"};

QString randomText(std::mt19937& random, int tokenCount)
{
    QString text;
    for (int i = 0; i < tokenCount; ++i) {
        text += u(tokens[std::uniform_int_distribution<std::size_t>(0, std::size(tokens) - 1)(random)]);
        text += u(separators[std::uniform_int_distribution<std::size_t>(0, std::size(separators) - 1)(random)]);
    }
    return text;
}

QString escaped(QString text)
{
    return text.replace(u("&"), u("&amp;")).replace(u("<"), u("&lt;")).replace(u(">"), u("&gt;"));
}

/// The word units a fresh reading of each paragraph's text gives, in order.
QStringList freshUnits(engine::Document& document)
{
    text::WordSegmenter segmenter;
    QStringList units;
    for (const QString& paragraph : qt::paragraphTexts(document)) {
        qsizetype start = 0;
        for (const quint32 end : segmenter.unitEnds(paragraph)) {
            units << paragraph.mid(start, qsizetype(end) - start);
            start = qsizetype(end);
        }
    }
    return units;
}

void span(engine::Range& range, qint64 start, qint64 end)
{
    dynamic_cast<docx::DocxRange&>(range).setSpan(start, end);
}

/// Where two lists of units first part, with a few units around it; empty when they agree.
std::string firstDifference(const QStringList& actual, const QStringList& fresh)
{
    qsizetype i = 0;
    while (i < actual.size() && i < fresh.size() && actual[i] == fresh[i]) {
        ++i;
    }
    if (i == actual.size() && i == fresh.size()) {
        return {};
    }
    const qsizetype from = std::max<qsizetype>(0, i - 2);
    return "at unit " + std::to_string(i) + ": host [" + actual.mid(from, 14).join(u(" | ")).toStdString() +
           "], fresh [" + fresh.mid(from, 14).join(u(" | ")).toStdString() + "]";
}

class WordUnits : public ::testing::Test
{
  protected:
    QTemporaryDir m_folder;
    docx::DocxHostProvider m_provider;
    std::shared_ptr<engine::Application> m_application = m_provider.newApplication();
};

TEST_F(WordUnits, AfterEveryEditTheyAreWhatAFreshReadingGives)
{
    std::mt19937 random(1208);
    int edits = 0;
    for (int document = 0; document < 40; ++document) {
        QString body;
        const int paragraphs = std::uniform_int_distribution(1, 3)(random);
        for (int p = 0; p < paragraphs; ++p) {
            // Long paragraphs are segmented again only around an edit; short ones whole.
            const int tokenCount = std::bernoulli_distribution(0.7)(random) ? 260 : 12;
            // Two runs, so that edits also meet where runs meet.
            body += u("<w:p><w:r><w:t xml:space=\"preserve\">") + escaped(randomText(random, tokenCount / 2)) +
                    u("</w:t></w:r><w:r><w:t xml:space=\"preserve\">") + escaped(randomText(random, tokenCount / 2)) +
                    u("</w:t></w:r></w:p>");
        }
        const auto doc = m_application->documents().open(
            qt::writeFile(m_folder.path(), u("units%1.docx").arg(document), qt::docxBytes(body)));
        ASSERT_EQ(firstDifference(qt::wordTexts(*doc), freshUnits(*doc)), "") << "as read, document " << document;
        for (int edit = 0; edit < 60; ++edit) {
            const auto whole = doc->range();
            const qint64 count = whole->wordsCount();
            if (count < 3) {
                break;
            }
            auto unit = whole->word(std::uniform_int_distribution<qint64>(1, count)(random));
            ASSERT_TRUE(unit);
            const QString unitText = unit->text();
            if (unitText.contains(QChar(13)) || unitText.contains(QChar(7))) {
                continue; // marks stay
            }
            // A whole unit, its characters before its trailing spaces (as the word removal takes
            // them), or a few characters from inside it on.
            const int kind = std::uniform_int_distribution(0, 2)(random);
            if (kind == 1) {
                qint64 end = unit->end();
                while (end > unit->start() + 1 && unitText.at(end - unit->start() - 1) == QLatin1Char(' ')) {
                    --end;
                }
                span(*unit, unit->start(), end);
            } else if (kind == 2 && unitText.size() > 1) {
                const qint64 from =
                    unit->start() + std::uniform_int_distribution<qint64>(0, unitText.size() - 1)(random);
                span(*unit, from,
                     std::min(unit->end() + 3, from + std::uniform_int_distribution<qint64>(1, 4)(random)));
                if (unit->text().contains(QChar(13)) || unit->text().contains(QChar(7))) {
                    continue;
                }
            }
            const QString removed = unit->text();
            unit->deleteContent();
            ++edits;
            ASSERT_EQ(firstDifference(qt::wordTexts(*doc), freshUnits(*doc)), "")
                << "document " << document << ", edit " << edit << ", removed \"" << removed.toStdString() << "\"";
        }
        doc->close();
    }
    std::cout << edits << " edits checked\n";
}

} // namespace
