// SPDX-License-Identifier: GPL-3.0-or-later
// After any edit, the word units the in-process host gives a paragraph are those a fresh reading
// of its text gives: checked over random paragraphs in many scripts, long and short, edited at
// random, against a fresh segmentation after every edit.
#include "DocxFixture.h"
#include "MultilingualText.h"

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

/// How many units from the edit at position the farthest boundary lies that the edit moved:
/// where before and after, the units of one paragraph's text before and after, first part, and
/// last part counted from their ends.
qsizetype reachOfEdit(const QStringList& before, const QStringList& after)
{
    qsizetype front = 0;
    while (front < before.size() && front < after.size() && before[front] == after[front]) {
        ++front;
    }
    qsizetype back = 0;
    while (back < before.size() - front && back < after.size() - front &&
           before[before.size() - 1 - back] == after[after.size() - 1 - back]) {
        ++back;
    }
    return std::max<qsizetype>(0, before.size() - front - back);
}

class WordUnits : public ::testing::TestWithParam<qt::MultilingualText::Kind>
{
  protected:
    QTemporaryDir m_folder;
    docx::DocxHostProvider m_provider;
    std::shared_ptr<engine::Application> m_application = m_provider.newApplication();
};

// Random paragraphs of one kind, long and short, each edited sixty times at random: whole units,
// a unit's characters before its spaces (as the word removal takes them), or a few characters
// from inside one on. In the dictionary runs many edits move the boundaries of words they did
// not touch; the test counts them, so that it fails if the paragraphs stop making such edits.
TEST_P(WordUnits, AfterEveryEditTheyAreWhatAFreshReadingGives)
{
    const auto kind = GetParam();
    qt::MultilingualText generator(1208 + unsigned(kind));
    std::mt19937 random(77 + unsigned(kind));
    int edits = 0;
    int farReaching = 0;
    qsizetype farthest = 0;
    for (int document = 0; document < 12; ++document) {
        QString body;
        const int paragraphs = std::uniform_int_distribution(1, 3)(random);
        for (int p = 0; p < paragraphs; ++p) {
            const int words = std::bernoulli_distribution(0.8)(random) ? 400 : 12;
            // Two runs, so that edits also meet where runs meet.
            body += u("<w:p><w:r><w:t xml:space=\"preserve\">") + escaped(generator.paragraph(kind, words / 2)) +
                    u("</w:t></w:r><w:r><w:t xml:space=\"preserve\">") + escaped(generator.paragraph(kind, words / 2)) +
                    u("</w:t></w:r></w:p>");
        }
        const auto doc = m_application->documents().open(
            qt::writeFile(m_folder.path(), u("units%1.docx").arg(document), qt::docxBytes(body)));
        QStringList units = freshUnits(*doc);
        ASSERT_EQ(firstDifference(qt::wordTexts(*doc), units), "") << "as read, document " << document;
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
            const int choice = std::uniform_int_distribution(0, 2)(random);
            if (choice == 1) {
                qint64 end = unit->end();
                while (end > unit->start() + 1 && unitText.at(end - unit->start() - 1) == QLatin1Char(' ')) {
                    --end;
                }
                span(*unit, unit->start(), end);
            } else if (choice == 2 && unitText.size() > 1) {
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
            const QStringList fresh = freshUnits(*doc);
            ASSERT_EQ(firstDifference(qt::wordTexts(*doc), fresh), "")
                << "document " << document << ", edit " << edit << ", removed \"" << removed.toStdString() << "\"";
            const qsizetype reach = reachOfEdit(units, fresh);
            farthest = std::max(farthest, reach);
            if (reach >= 3) {
                ++farReaching;
            }
            units = fresh;
        }
        doc->close();
    }
    std::cout << edits << " edits checked, " << farReaching << " of them changed three units or more, at most "
              << farthest << "\n";
    const bool dictionary = kind == qt::MultilingualText::Kind::Chinese ||
                            kind == qt::MultilingualText::Kind::Japanese || kind == qt::MultilingualText::Kind::Thai;
    if (dictionary) {
        EXPECT_GT(farReaching, 0);
    }
}

std::string kindName(const ::testing::TestParamInfo<qt::MultilingualText::Kind>& kind)
{
    static const char* const names[] = {"Chinese", "Japanese", "Thai", "MarksAfterSpaces", "Mixed"};
    return names[int(kind.param)];
}

INSTANTIATE_TEST_SUITE_P(Scripts, WordUnits,
                         ::testing::Values(qt::MultilingualText::Kind::Chinese, qt::MultilingualText::Kind::Japanese,
                                           qt::MultilingualText::Kind::Thai,
                                           qt::MultilingualText::Kind::MarksAfterSpaces,
                                           qt::MultilingualText::Kind::Mixed),
                         kindName);

} // namespace
