// SPDX-License-Identifier: GPL-3.0-or-later
// Live ranges, Delete and Find on the in-process host.
#include "DocxEditFixture.h"

#include "docx/DocxDocument.h"
#include "docx/DocxHostProvider.h"
#include "docx/Package.h"
#include "engine/HostError.h"

#include <QDir>
#include <QTemporaryDir>

#include <pugixml.hpp>

#include <gtest/gtest.h>

#include <random>
#include <thread>

using namespace quillsift;
namespace qt = quillsift::testing;
using engine::Unit;
using qt::u;

namespace {

using qt::DocxEdit;
using qt::paragraphs;

TEST_F(DocxEdit, RangesMoveWithDeletionsBeforeInsideAndAround)
{
    auto document = open(paragraphs({"alpha beta gamma delta"}));
    auto whole = document->range();
    auto before = whole->word(1);  // "alpha "
    auto inside = whole->word(2);  // "beta "
    auto after = whole->word(4);   // "delta"
    auto around = whole->word(3);  // "gamma "
    around->setStart(8);           // "ta gamma " spans the deletion below
    auto deleted = whole->word(2); // delete "beta "
    deleted->deleteContent();
    EXPECT_EQ(deleted->start(), 6);
    EXPECT_EQ(deleted->end(), 6);
    EXPECT_EQ(before->text(), u("alpha "));
    EXPECT_EQ(inside->start(), 6);
    EXPECT_EQ(inside->end(), 6);
    EXPECT_EQ(after->text(), u("delta"));
    EXPECT_EQ(around->start(), 6);
    EXPECT_EQ(around->text(), u("gamma "));
    EXPECT_EQ(whole->text(), u("alpha gamma delta\r"));
}

TEST_F(DocxEdit, NextAndPreviousAtBothEnds)
{
    auto document = open(paragraphs({"one", "two"}));
    auto first = document->range()->paragraph(1);
    EXPECT_EQ(first->previous(Unit::Paragraph), nullptr);
    auto last = first->next(Unit::Paragraph);
    ASSERT_TRUE(last);
    EXPECT_EQ(last->text(), u("two\r"));
    EXPECT_EQ(last->next(Unit::Paragraph), nullptr);
    EXPECT_EQ(last->previous(Unit::Paragraph)->text(), u("one\r"));

    auto word = document->range()->word(1);
    EXPECT_EQ(word->previous(Unit::Word), nullptr);
    EXPECT_EQ(word->next(Unit::Word)->text(), u("\r"));
    auto lastWord = last->next(Unit::Word); // first word after the last paragraph: none
    EXPECT_EQ(lastWord, nullptr);
    auto mark = document->range();
    mark->setStart(document->range()->end() - 1);
    EXPECT_EQ(mark->text(), u("\r"));
    EXPECT_EQ(mark->next(Unit::Word), nullptr);
    EXPECT_EQ(mark->previous(Unit::Word)->text(), u("two"));
}

TEST_F(DocxEdit, NextAndPreviousAfterADeleteCollapsedTheRange)
{
    auto document = open(paragraphs({"A", "B", "A", "C", "D"}));
    auto candidate = document->range()->paragraph(3);
    candidate->deleteContent();
    EXPECT_EQ(candidate->start(), candidate->end());
    auto following = candidate->next(Unit::Paragraph);
    ASSERT_TRUE(following);
    EXPECT_EQ(following->text(), u("D\r")) << "the unit after the one containing it";
    auto back = candidate->previous(Unit::Paragraph);
    ASSERT_TRUE(back);
    EXPECT_EQ(back->text(), u("B\r"));
    EXPECT_EQ(back->next(Unit::Paragraph)->text(), u("C\r"));
    EXPECT_EQ(qt::paragraphTexts(*document), (QStringList{u("A\r"), u("B\r"), u("C\r"), u("D\r")}));
}

TEST_F(DocxEdit, DeletesWholeParagraphsButKeepsTheMarksTheFormatNeeds)
{
    auto document = open(u("<w:p><w:r><w:t>first</w:t></w:r></w:p>"
                           "<w:tbl><w:tr><w:tc><w:p><w:r><w:t>only</w:t></w:r></w:p></w:tc>"
                           "<w:tc><w:p><w:r><w:t>x</w:t></w:r></w:p><w:p><w:r><w:t>y</w:t></w:r></w:p></w:tc>"
                           "</w:tr></w:tbl><w:p><w:r><w:t>after table</w:t></w:r></w:p>"
                           "<w:p><w:pPr><w:sectPr/></w:pPr><w:r><w:t>section</w:t></w:r></w:p>"
                           "<w:p><w:r><w:t>last</w:t></w:r></w:p><w:sectPr/>"));
    auto range = document->range();
    range->paragraph(7)->deleteContent(); // the last paragraph of the body
    range->paragraph(6)->deleteContent(); // it carries section properties
    range->paragraph(3)->deleteContent(); // x: a cell paragraph that is not the last
    range->paragraph(2)->deleteContent(); // the only paragraph of its cell
    range->paragraph(1)->deleteContent(); // an ordinary paragraph
    EXPECT_EQ(qt::paragraphTexts(*document),
              (QStringList{u("\r\a"), u("y\r\a"), u("after table\r"), u("\r"), u("\r")}));
    const QByteArray xml = savedXml(*document);
    EXPECT_TRUE(xml.contains("<w:sectPr/></w:pPr>"));
    EXPECT_FALSE(xml.contains("first"));
}

TEST_F(DocxEdit, DeletingAMarkJoinsTheParagraphsItSeparates)
{
    auto document = open(u("<w:p><w:pPr><w:jc w:val=\"center\"/></w:pPr><w:r><w:t>alpha beta</w:t></w:r></w:p>"
                           "<w:bookmarkStart w:id=\"1\" w:name=\"b\"/>"
                           "<w:p><w:pPr><w:jc w:val=\"right\"/></w:pPr><w:r><w:t>gamma delta</w:t></w:r></w:p>"
                           "<w:bookmarkEnd w:id=\"1\"/>"
                           "<w:p><w:pPr><w:sectPr/></w:pPr><w:r><w:t>one</w:t></w:r></w:p>"
                           "<w:p><w:r><w:t>two</w:t></w:r></w:p>"
                           "<w:tbl><w:tr><w:tc><w:p><w:r><w:t>cell</w:t></w:r></w:p></w:tc></w:tr></w:tbl>"
                           "<w:p><w:r><w:t>last</w:t></w:r></w:p><w:sectPr/>"));
    auto span = document->range()->paragraph(1);
    span->setStart(6); // "beta\r"
    auto after = document->range()->paragraph(3);
    span->deleteContent();
    EXPECT_EQ(qt::paragraphTexts(*document),
              (QStringList{u("alpha gamma delta\r"), u("one\r"), u("two\r"), u("cell\r\a"), u("last\r")}));
    EXPECT_EQ(after->text(), u("one\r"));
    EXPECT_EQ(document->range()->paragraph(1)->wordsCount(), 4);

    // The mark of a paragraph with section properties, of a cell's last paragraph and of one
    // followed by a table stay; their text goes.
    for (const qint64 index : {4, 3, 2}) {
        auto paragraph = document->range()->paragraph(index);
        paragraph->setStart(paragraph->end() - 3);
        paragraph->deleteContent();
    }
    EXPECT_EQ(qt::paragraphTexts(*document),
              (QStringList{u("alpha gamma delta\r"), u("o\r"), u("t\r"), u("cel\r\a"), u("last\r")}));

    const QByteArray xml = savedXml(*document);
    EXPECT_TRUE(xml.contains("<w:jc w:val=\"center\"/>")) << "the joined paragraph keeps the first's properties";
    EXPECT_FALSE(xml.contains("<w:jc w:val=\"right\"/>"));
    EXPECT_TRUE(xml.contains("<w:bookmarkStart w:id=\"1\" w:name=\"b\"/>"));
    EXPECT_TRUE(xml.contains("<w:bookmarkEnd w:id=\"1\"/>"));
    EXPECT_TRUE(xml.contains("<w:sectPr/></w:pPr>"));
    EXPECT_EQ(xml.count("<w:p>") + xml.count("<w:p "), 5);
}

TEST_F(DocxEdit, ParagraphThatEndsAContainerAfterATableStays)
{
    auto document = open(u("<w:p><w:r><w:t>a</w:t></w:r></w:p>"
                           "<w:tbl><w:tr><w:tc><w:p/></w:tc></w:tr></w:tbl><w:p><w:r><w:t>b</w:t></w:r></w:p>"
                           "<w:tbl><w:tr><w:tc><w:p/></w:tc></w:tr></w:tbl><w:p><w:r><w:t>c</w:t></w:r></w:p>"));
    auto whole = document->range();
    whole->deleteContent();
    EXPECT_EQ(qt::paragraphTexts(*document), (QStringList{u("\r\a"), u("\r"), u("\r\a"), u("\r")}));
}

TEST_F(DocxEdit, FieldsSpanningParagraphsKeepTheirBeginAndEnd)
{
    // A table of contents: one field whose result runs over three paragraphs.
    auto document = open(u("<w:p><w:r><w:fldChar w:fldCharType=\"begin\"/></w:r><w:r><w:instrText>TOC</w:instrText>"
                           "</w:r><w:r><w:fldChar w:fldCharType=\"separate\"/></w:r><w:r><w:t>Intro</w:t></w:r></w:p>"
                           "<w:p><w:r><w:t>Intro</w:t></w:r></w:p>"
                           "<w:p><w:r><w:t>Intro</w:t></w:r><w:r><w:fldChar w:fldCharType=\"end\"/></w:r></w:p>"
                           "<w:p><w:r><w:t>Body</w:t></w:r></w:p>"));
    EXPECT_EQ(document->range()->text(), u("Intro\rIntro\rIntro\rBody\r"));
    document->range()->paragraph(3)->deleteContent();
    document->range()->paragraph(2)->deleteContent();
    document->range()->paragraph(1)->deleteContent();
    EXPECT_EQ(document->range()->text(), u("\r\rBody\r"));
    const QByteArray xml = savedXml(*document);
    EXPECT_TRUE(xml.contains("w:fldCharType=\"begin\""));
    EXPECT_TRUE(xml.contains("w:fldCharType=\"separate\""));
    EXPECT_TRUE(xml.contains("w:fldCharType=\"end\""));
    EXPECT_TRUE(xml.contains("TOC"));
}

TEST_F(DocxEdit, BookmarksAndCommentRangesSurviveADeletedParagraph)
{
    auto document =
        open(u("<w:p><w:r><w:t>keep</w:t></w:r><w:bookmarkStart w:id=\"1\" w:name=\"m\"/></w:p>"
               "<w:p><w:commentRangeStart w:id=\"5\"/><w:r><w:t>gone</w:t></w:r>"
               "<w:bookmarkEnd w:id=\"1\"/><w:permStart w:id=\"7\"/></w:p>"
               "<w:p><w:r><w:t>tail</w:t></w:r><w:commentRangeEnd w:id=\"5\"/><w:permEnd w:id=\"7\"/></w:p>"));
    document->range()->paragraph(2)->deleteContent();
    EXPECT_EQ(document->range()->text(), u("keep\rtail\r"));
    const QByteArray xml = savedXml(*document);
    for (const char* marker : {"<w:bookmarkStart", "<w:bookmarkEnd", "<w:commentRangeStart", "<w:commentRangeEnd",
                               "<w:permStart", "<w:permEnd"}) {
        EXPECT_TRUE(xml.contains(marker)) << marker;
    }
    EXPECT_LT(xml.indexOf("<w:bookmarkEnd"), xml.indexOf("tail"));
}

TEST_F(DocxEdit, ParagraphsDeletedOneAfterAnotherLeaveTheirMarksInOrderWhereTheyStood)
{
    // Each deletion moves only the marks of its own paragraph, however many went before.
    QString body = u("<w:p><w:r><w:t>keep</w:t></w:r></w:p>");
    for (int i = 0; i < 6; ++i) {
        body += u("<w:p><w:bookmarkStart w:id=\"%1\" w:name=\"b%1\"/><w:r><w:t>gone</w:t></w:r>"
                  "<w:bookmarkEnd w:id=\"%1\"/></w:p>")
                    .arg(i);
    }
    auto document = open(body + u("<w:p><w:r><w:t>tail</w:t></w:r></w:p>"));
    for (int i = 0; i < 6; ++i) {
        document->range()->paragraph(2)->deleteContent();
    }
    EXPECT_EQ(document->range()->text(), u("keep\rtail\r"));
    const QByteArray xml = savedXml(*document);
    qsizetype at = xml.indexOf("keep");
    for (int i = 0; i < 6; ++i) {
        const qsizetype start = xml.indexOf(QStringLiteral("<w:bookmarkStart w:id=\"%1\"").arg(i).toUtf8());
        const qsizetype end = xml.indexOf(QStringLiteral("<w:bookmarkEnd w:id=\"%1\"").arg(i).toUtf8());
        EXPECT_LT(at, start) << i;
        EXPECT_LT(start, end) << i;
        at = end;
    }
    EXPECT_LT(at, xml.indexOf("tail"));
    EXPECT_FALSE(xml.contains("gone"));
}

TEST_F(DocxEdit, DeletingPartOfARunKeepsTheSpacesAroundIt)
{
    auto document = open(paragraphs({"the cat and the dog"}));
    auto word = document->range()->word(4); // "the " (second)
    ASSERT_EQ(word->text(), u("the "));
    auto only = document->range();
    only->setStart(word->start());
    // The removal deletes the word's characters, not its spaces.
    EXPECT_TRUE(removeAll(*only, u("the")));
    EXPECT_EQ(document->range()->text(), u("the cat and  dog\r"));
    const QByteArray xml = savedXml(*document);
    EXPECT_TRUE(xml.contains("xml:space=\"preserve\">the cat and  dog<"));
}

TEST_F(DocxEdit, DeletesAcrossRunsRemovingEmptiedRuns)
{
    auto document = open(u("<w:p><w:r><w:t>ab</w:t></w:r><w:r><w:rPr><w:b/></w:rPr><w:t>cd</w:t></w:r>"
                           "<w:r><w:tab/></w:r><w:r><w:t>ef</w:t></w:r></w:p>"));
    auto span = document->range()->paragraph(1);
    span->setStart(1);
    EXPECT_EQ(span->text(), u("bcd\tef\r"));
    auto find = span->find();
    EXPECT_TRUE(find->execute(u("bcd\te"), engine::FindWrap::Stop, QString(), engine::FindReplace::All));
    EXPECT_EQ(document->range()->text(), u("af\r"));
    const QByteArray xml = savedXml(*document);
    EXPECT_FALSE(xml.contains("<w:b/>"));
    EXPECT_FALSE(xml.contains("<w:tab/>"));
}

TEST_F(DocxEdit, RepeatedDeletionsInsideRunsKeepTextAndFileInStep)
{
    // Non-ASCII text, a run split mid-word and a deletion at a run's edge: after each deletion the
    // host's text, its word units and the saved XML must agree.
    auto document =
        open(u("<w:p><w:r><w:t xml:space=\"preserve\">Größe über Maß </w:t></w:r><w:r><w:t>Straß</w:t></w:r>"
               "<w:r><w:t xml:space=\"preserve\">e und Größe</w:t></w:r></w:p>"));
    auto whole = document->range();
    EXPECT_EQ(whole->text(), u("Größe über Maß Straße und Größe\r"));
    EXPECT_TRUE(removeAll(*whole->word(6), u("Größe")));
    EXPECT_EQ(document->range()->text(), u("Größe über Maß Straße und \r"));
    EXPECT_TRUE(removeAll(*document->range()->word(2), u("ÜBER")));
    EXPECT_EQ(document->range()->text(), u("Größe  Maß Straße und \r"));
    auto split = document->range()->word(3);
    ASSERT_EQ(split->text(), u("Straße "));
    EXPECT_TRUE(removeAll(*split, u("Str"), false)); // inside the word, in the first of its two runs
    EXPECT_EQ(document->range()->text(), u("Größe  Maß aße und \r"));
    EXPECT_EQ(document->range()->word(3)->text(), u("aße "));
    auto und = document->range()->word(4);
    ASSERT_EQ(und->text(), u("und "));
    und->deleteContent();
    EXPECT_EQ(document->range()->text(), u("Größe  Maß aße \r"));
    EXPECT_EQ(document->range()->wordsCount(), 4);
    const QByteArray xml = savedXml(*document);
    EXPECT_TRUE(xml.contains(u("<w:t xml:space=\"preserve\">Größe  Maß </w:t>").toUtf8())) << xml.constData();
    EXPECT_TRUE(xml.contains(u("<w:t>aß</w:t>").toUtf8())) << xml.constData();
    EXPECT_TRUE(xml.contains(u("<w:t xml:space=\"preserve\">e </w:t>").toUtf8())) << xml.constData();

    // ASCII before the cut and not after it.
    auto mixed = open(u("<w:p><w:r><w:t>cat dog \u00FCber cat</w:t></w:r></w:p>"));
    EXPECT_TRUE(removeAll(*mixed->range()->word(2), u("dog")));
    EXPECT_EQ(mixed->range()->text(), u("cat  \u00FCber cat\r"));
    EXPECT_TRUE(savedXml(*mixed).contains(u(">cat  \u00FCber cat</w:t>").toUtf8()));
}

struct FindCase {
    const char* name;
    const char* body;
    const char* search;
    const char16_t* after;
};

std::string caseName(const ::testing::TestParamInfo<FindCase>& testCase)
{
    return testCase.param.name;
}

class WholeWordFind : public DocxEdit, public ::testing::WithParamInterface<FindCase>
{
};

TEST_P(WholeWordFind, DeletesOnlyWholeWordMatches)
{
    auto document = open(u(GetParam().body));
    auto range = document->range();
    removeAll(*range, u(GetParam().search));
    EXPECT_EQ(range->text(), QString::fromUtf16(GetParam().after));
}

const FindCase findCases[] = {
    {"NotInsideLongerWords", "<w:p><w:r><w:t>cat cats cat</w:t></w:r></w:p>", "cat", u" cats \r"},
    {"BeforePunctuation", "<w:p><w:r><w:t>cat. cat, (cat)</w:t></w:r></w:p>", "cat", u". , ()\r"},
    {"IgnoringCase", "<w:p><w:r><w:t>Cat CAT cAt</w:t></w:r></w:p>", "cat", u"  \r"},
    {"WithFullCaseFolding", "<w:p><w:r><w:t>STRASSE straße</w:t></w:r></w:p>", "Straße", u" \r"},
    {"SplitAcrossRuns",
     "<w:p><w:r><w:t xml:space=\"preserve\">a c</w:t></w:r><w:r><w:rPr><w:i/></w:rPr><w:t>a</w:t></w:r>"
     "<w:r><w:t xml:space=\"preserve\">t b</w:t></w:r></w:p>",
     "cat", u"a  b\r"},
    {"TrailingSpacesStay", "<w:p><w:r><w:t xml:space=\"preserve\">x cat   y</w:t></w:r></w:p>", "cat", u"x    y\r"},
    {"RegexCharactersAreLiteral", "<w:p><w:r><w:t>a.b axb a.b</w:t></w:r></w:p>", "a.b", u" axb \r"},
    {"WordWildcardsAreLiteral", "<w:p><w:r><w:t>^p ^p x ^# 5</w:t></w:r></w:p>", "^p", u"  x ^# 5\r"},
    {"QuestionMarkIsNotAWildcard", "<w:p><w:r><w:t>? a ?</w:t></w:r></w:p>", "?", u" a \r"},
    {"InEveryParagraph", "<w:p><w:r><w:t>dog</w:t></w:r></w:p><w:p><w:r><w:t>Dog!</w:t></w:r></w:p>", "dog", u"\r!\r"},
};

INSTANTIATE_TEST_SUITE_P(Find, WholeWordFind, ::testing::ValuesIn(findCases), caseName);

TEST_F(DocxEdit, FormattedCopyTakesTheWholeBodyAndLeavesTheSourceAlone)
{
    auto source = open(u("<w:p><w:pPr><w:pStyle w:val=\"Heading1\"/></w:pPr><w:r><w:rPr><w:b/></w:rPr>"
                         "<w:t>Title</w:t></w:r></w:p><w:p><w:r><w:t>body</w:t></w:r></w:p>"
                         "<w:sectPr><w:pgSz w:w=\"11906\" w:h=\"16838\"/></w:sectPr>"));
    auto copy = m_application->documents().add();
    copy->content()->setFormattedText(*source->content()->formattedText());
    source->close();
    EXPECT_EQ(copy->range()->text(), u("Title\rbody\r"));
    EXPECT_FALSE(copy->saved());
    copy->range()->paragraph(2)->deleteContent();
    const QByteArray xml = savedXml(*copy);
    EXPECT_TRUE(xml.contains("<w:pStyle w:val=\"Heading1\"/>"));
    EXPECT_TRUE(xml.contains("<w:b/>"));
    EXPECT_TRUE(xml.contains("w:pgSz"));
}

TEST_F(DocxEdit, KeepsALogOfWhatWasDeleted)
{
    auto document = open(paragraphs({"one", "two", "one two"}));
    auto range = document->range();
    range->paragraph(2)->deleteContent();
    auto rest = document->range();
    rest->setStart(4);
    removeAll(*rest, u("one"));
    auto& host = dynamic_cast<docx::DocxDocument&>(*document);
    const auto log = host.deletions();
    ASSERT_EQ(log.size(), 2u);
    EXPECT_EQ(log[0].paragraph, 1);
    EXPECT_EQ(log[0].text, u("two\r"));
    EXPECT_EQ(log[1].paragraph, 2);
    EXPECT_EQ(log[1].offset, 0);
    EXPECT_EQ(log[1].text, u("one"));
    const auto formatted = host.formattedParagraphs();
    ASSERT_EQ(formatted.size(), 2u);
    EXPECT_EQ(formatted[1].paragraph, 2);
    EXPECT_EQ(formatted[1].runs[0].text, u(" two"));
}

TEST_F(DocxEdit, WordsOfALongParagraphStayRightAfterEdits)
{
    // Long paragraphs are segmented again only around each change; the result must be what a
    // fresh reading of the same text gives.
    QString text;
    const char* words[] = {"alpha", "beta's", "3.14", "e-mail", "(gamma)", "delta.", "x", "Straße", "  ", "?"};
    for (int i = 0; i < 400; ++i) {
        text += u(words[(i * 7) % 10]) + (i % 5 == 0 ? u("  ") : u(" "));
    }
    auto document = open(u("<w:p><w:r><w:t xml:space=\"preserve\">") + text + u("</w:t></w:r></w:p>"));
    for (auto word = document->range()->word(1); word; word = word->next(Unit::Word)) {
        auto rest = document->range();
        rest->setStart(word->end());
        removeAll(*rest, word->text().trimmed());
    }
    for (int round = 0; round < 3; ++round) {
        // Deletions that join what stood either side of them: "alpha" + "beta" runs together.
        auto range = document->range();
        range->setStart(range->end() / (round + 2));
        auto cut = range->word(2);
        cut->deleteContent();
    }
    const QStringList edited = qt::wordTexts(*document);
    const QString saved = QDir(m_folder.path()).filePath(u("long.docx"));
    document->saveAs(saved);
    auto fresh = m_application->documents().open(saved);
    EXPECT_EQ(edited, qt::wordTexts(*fresh));
    EXPECT_EQ(document->range()->wordsCount(), fresh->range()->wordsCount());
}

TEST_F(DocxEdit, MarksDeletedOneByOneJoinShortAndLongParagraphsFromEitherEnd)
{
    // Short paragraphs and long ones of many runs, tabs, a hyperlink and bookmarks between them;
    // their marks go one at a time at the start, at the end and anywhere, after the indexes of
    // words and of searches are built. Each join must read as the two paragraphs' texts run
    // together, and what it saves must read back the same, words and searches included.
    std::mt19937 random(17);
    const char* vocabulary[] = {"alpha", "beta", "gamma", "Straße", "3.14", "e-mail", "don't", "delta."};
    QString body;
    for (int p = 0; p < 40; ++p) {
        const int runs = p % 2 == 1 ? 150 + int(random() % 150) : 1 + int(random() % 4);
        body += u("<w:bookmarkStart w:id=\"%1\" w:name=\"b%1\"/>").arg(p);
        body += p % 5 == 0 ? u("<w:p><w:pPr><w:jc w:val=\"center\"/></w:pPr>") : u("<w:p w:rsidR=\"00%1\">").arg(p);
        for (int r = 0; r < runs; ++r) {
            const QString word = u(vocabulary[random() % std::size(vocabulary)]) + u("%1 ").arg(random() % 30);
            body += r % 17 == 16 ? u("<w:r><w:tab/></w:r>") : QString();
            body += r % 23 == 5
                        ? u("<w:hyperlink><w:r><w:t xml:space=\"preserve\">") + word + u("</w:t></w:r></w:hyperlink>")
                        : u("<w:r><w:t xml:space=\"preserve\">") + word + u("</w:t></w:r>");
        }
        body += u("</w:p><w:bookmarkEnd w:id=\"%1\"/>").arg(p);
    }
    auto document = open(body);
    EXPECT_GT(document->range()->wordsCount(), 1000);
    removeAll(*document->range(), u("absent")); // builds the index of searches
    QStringList model = qt::paragraphTexts(*document);
    for (int step = 0; step < 39; ++step) {
        const int kind = step % 3;
        const qint64 index = kind == 0 ? 1 : kind == 1 ? model.size() - 1 : 1 + qint64(random() % (model.size() - 1));
        auto mark = document->range()->paragraph(index);
        mark->setStart(mark->end() - 1);
        mark->deleteContent();
        model[index - 1] = model[index - 1].chopped(1) + model[index];
        model.removeAt(index);
        ASSERT_EQ(qt::paragraphTexts(*document), model) << "step " << step;
        if (step % 6 != 5) {
            continue;
        }
        const QString saved = QDir(m_folder.path()).filePath(u("joined%1.docx").arg(step));
        document->saveAs(saved);
        auto fresh = m_application->documents().open(saved);
        ASSERT_EQ(qt::wordTexts(*document), qt::wordTexts(*fresh)) << "step " << step;
        ASSERT_EQ(document->range()->wordsCount(), fresh->range()->wordsCount()) << "step " << step;
        for (const char* plain : {"alpha", "beta", "gamma", "Straße"}) {
            const QString word = u(plain) + u("%1").arg(step % 30);
            removeAll(*document->range(), word);
            removeAll(*fresh->range(), word);
            ASSERT_EQ(document->range()->text(), fresh->range()->text()) << "step " << step << ": " << plain;
        }
        model = qt::paragraphTexts(*document);
        fresh->close();
    }
    const QByteArray xml = savedXml(*document);
    EXPECT_EQ(xml.count("<w:bookmarkStart"), 40);
    EXPECT_EQ(xml.count("<w:bookmarkEnd"), 40);
    EXPECT_EQ(xml.count("<w:jc "), 1) << "the joined paragraph keeps the first one's properties";
    EXPECT_EQ(xml.count("w:rsidR="), 0) << "and its attributes";
    EXPECT_EQ(xml.count("<w:p>") + xml.count("<w:p "), 1);
    // The joined paragraph is still the document's first in the log's counting.
    auto& host = dynamic_cast<docx::DocxDocument&>(*document);
    const auto formatted = host.formattedParagraphs();
    ASSERT_EQ(formatted.size(), 1u);
    EXPECT_EQ(formatted[0].paragraph, 0);
}

TEST_F(DocxEdit, WordsStayRightAfterDeletingWordsBetweenSpaces)
{
    // Deleting a word that spaces stand around, or one between a space and a mark, does not
    // segment the paragraph again; the units must still be what a fresh reading gives, next to
    // marks that attach to what precedes them, other kinds of space, flags made of two
    // characters, joiners, mid-word punctuation and the underscore that joins words.
    const char* tokens[] = {
        "alpha",      "beta's",   "3.14", "e\u0301",     "\u0301x", "\u3000", "\U0001F1FA\U0001F1F8",
        "\U0001F1EB", "x\u200Dy", "(",    "Stra\u00DFe", "don't",   ",",      ".",
        "a.b",        "\u00A0",   "_",    ":",           "42",      ")",      "\u0E01\u0E32\u0E23"};
    const char* separators[] = {" ", " ", "  ", ""};
    std::mt19937 random(5);
    for (int document = 0; document < 12; ++document) {
        QString body;
        for (int paragraph = 0; paragraph < 4; ++paragraph) {
            QString text;
            for (int i = 0; i < 12; ++i) {
                text += QString::fromUtf8(tokens[random() % std::size(tokens)]);
                text += u(separators[random() % std::size(separators)]);
            }
            body += u("<w:p><w:r><w:t xml:space=\"preserve\">") + text.toHtmlEscaped() + u("</w:t></w:r></w:p>");
        }
        auto edited = open(body);
        for (int step = 0; step < 25; ++step) {
            const qint64 count = edited->range()->wordsCount();
            auto word = edited->range()->word(qint64(random() % quint64(count)) + 1);
            QString core = word->text();
            while (core.endsWith(u' ')) {
                core.chop(1);
            }
            if (core.isEmpty() || core.contains(QChar(engine::chars::ParagraphMark))) {
                continue;
            }
            removeAll(*word, core);
            const QString saved = QDir(m_folder.path()).filePath(u("spaced%1.docx").arg(++m_saves));
            edited->saveAs(saved);
            auto fresh = m_application->documents().open(saved);
            ASSERT_EQ(qt::wordTexts(*edited), qt::wordTexts(*fresh)) << "document " << document << ", step " << step;
            ASSERT_EQ(edited->range()->wordsCount(), fresh->range()->wordsCount()) << "document " << document;
            fresh->close();
        }
        edited->close();
    }
}

TEST_F(DocxEdit, SeparateApplicationsWorkOnSeparateThreads)
{
    const QString source = qt::writeFile(m_folder.path(), u("shared.docx"),
                                         qt::docxBytes(paragraphs({"one two one", "two three", "one two one"})));
    std::vector<QString> results(4);
    std::vector<std::thread> threads;
    for (std::size_t i = 0; i < results.size(); ++i) {
        threads.emplace_back([&, i] {
            docx::DocxHostProvider provider;
            auto application = provider.newApplication();
            auto document = application->documents().open(source);
            for (int round = 0; round < 20; ++round) {
                auto copy = application->documents().add();
                copy->content()->setFormattedText(*document->content()->formattedText());
                for (auto word = copy->range()->word(1); word; word = word->next(Unit::Word)) {
                    auto rest = copy->range();
                    rest->setStart(word->end());
                    removeAll(*rest, word->text().trimmed());
                }
                results[i] = copy->range()->text();
                copy->close();
            }
        });
    }
    for (auto& thread : threads) {
        thread.join();
    }
    for (const QString& result : results) {
        EXPECT_EQ(result, u("one two \r three\r  \r"));
    }
}

TEST_F(DocxEdit, ClosedDocumentsFailCleanly)
{
    auto document = open(paragraphs({"x"}));
    auto range = document->range();
    document->close();
    EXPECT_THROW(range->text(), engine::HostError);
    EXPECT_THROW(range->deleteContent(), engine::HostError);
    EXPECT_THROW(document->saveAs(QDir(m_folder.path()).filePath(u("x.docx"))), engine::HostError);
}

} // namespace
