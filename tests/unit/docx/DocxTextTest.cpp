// SPDX-License-Identifier: GPL-3.0-or-later
// The text the in-process host reads out of WordprocessingML, and how it cuts it into units.
#include "DocxFixture.h"

#include "docx/DocxHostProvider.h"
#include "engine/HostError.h"
#include "text/WordSegmenter.h"

#include <QDir>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <random>

using namespace quillsift;
namespace qt = quillsift::testing;
using qt::u;

namespace {

class DocxText : public ::testing::Test
{
  protected:
    std::shared_ptr<engine::Document> open(const QString& body, const QString& name = u("doc.docx"))
    {
        return openBytes(qt::docxBytes(body), name);
    }
    std::shared_ptr<engine::Document> openBytes(const QByteArray& bytes, const QString& name)
    {
        return m_application->documents().open(qt::writeFile(m_folder.path(), name, bytes));
    }

    QTemporaryDir m_folder;
    docx::DocxHostProvider m_provider;
    std::shared_ptr<engine::Application> m_application = m_provider.newApplication();
};

template <typename Case> std::string caseName(const ::testing::TestParamInfo<Case>& testCase)
{
    return testCase.param.name;
}

struct TextCase {
    const char* name;
    const char* body;
    const char16_t* text;
};

class ParagraphText : public DocxText, public ::testing::WithParamInterface<TextCase>
{
};

TEST_P(ParagraphText, ReadsAsWordDoes)
{
    auto document = open(u(GetParam().body));
    EXPECT_EQ(document->range()->text(), QString::fromUtf16(GetParam().text));
}

const TextCase textCases[] = {
    {"RunsSplitMidWord",
     "<w:p><w:r><w:t>Hel</w:t></w:r><w:r><w:rPr><w:b/></w:rPr><w:t>lo</w:t></w:r>"
     "<w:r><w:t xml:space=\"preserve\"> world</w:t></w:r></w:p>",
     u"Hello world\r"},
    {"TabsBreaksHyphensSymbols",
     "<w:p><w:r><w:t>a</w:t><w:tab/><w:t>b</w:t><w:br/><w:t>c</w:t><w:br w:type=\"page\"/>"
     "<w:br w:type=\"column\"/><w:cr/><w:noBreakHyphen/><w:softHyphen/><w:ptab w:relativeTo=\"margin\" "
     "w:alignment=\"right\" w:leader=\"none\"/><w:sym w:font=\"Wingdings\" w:char=\"F04A\"/></w:r></w:p>",
     u"a\tb\vc\f\x0e\v\x1e\x1f\t\uF04A\r"},
    {"ComplexFieldShowsItsResultOnly",
     "<w:p><w:r><w:t xml:space=\"preserve\">Page </w:t></w:r><w:r><w:fldChar w:fldCharType=\"begin\"/></w:r>"
     "<w:r><w:instrText xml:space=\"preserve\"> PAGE </w:instrText></w:r>"
     "<w:r><w:fldChar w:fldCharType=\"separate\"/></w:r><w:r><w:t>7</w:t></w:r>"
     "<w:r><w:fldChar w:fldCharType=\"end\"/></w:r></w:p>",
     u"Page 7\r"},
    {"NestedFieldsAndSimpleField",
     "<w:p><w:r><w:fldChar w:fldCharType=\"begin\"/></w:r><w:r><w:instrText>IF </w:instrText></w:r>"
     "<w:r><w:fldChar w:fldCharType=\"begin\"/></w:r><w:r><w:instrText>PAGE</w:instrText></w:r>"
     "<w:r><w:fldChar w:fldCharType=\"separate\"/></w:r><w:r><w:t>hidden</w:t></w:r>"
     "<w:r><w:fldChar w:fldCharType=\"end\"/></w:r><w:r><w:instrText> = 1</w:instrText></w:r>"
     "<w:r><w:fldChar w:fldCharType=\"separate\"/></w:r><w:r><w:t>one</w:t></w:r>"
     "<w:r><w:fldChar w:fldCharType=\"end\"/></w:r>"
     "<w:fldSimple w:instr=\"DATE\"><w:r><w:t xml:space=\"preserve\"> today</w:t></w:r></w:fldSimple></w:p>",
     u"one today\r"},
    {"HyperlinksAndRevisions",
     "<w:p><w:hyperlink r:id=\"rId9\"><w:r><w:t>link</w:t></w:r></w:hyperlink>"
     "<w:ins w:id=\"1\" w:author=\"a\"><w:r><w:t>new</w:t></w:r></w:ins>"
     "<w:del w:id=\"2\" w:author=\"a\"><w:r><w:delText>old</w:delText></w:r></w:del>"
     "<w:moveFrom w:id=\"3\" w:author=\"a\"><w:r><w:t>gone</w:t></w:r></w:moveFrom>"
     "<w:moveTo w:id=\"4\" w:author=\"a\"><w:r><w:t>here</w:t></w:r></w:moveTo></w:p>",
     u"linknewhere\r"},
    {"ContentControlsAndSmartTags",
     "<w:sdt><w:sdtPr/><w:sdtContent><w:p><w:r><w:t>block</w:t></w:r></w:p></w:sdtContent></w:sdt>"
     "<w:p><w:sdt><w:sdtPr/><w:sdtContent><w:r><w:t>inline</w:t></w:r></w:sdtContent></w:sdt>"
     "<w:smartTag w:uri=\"u\" w:element=\"e\"><w:r><w:t>tag</w:t></w:r></w:smartTag></w:p>"
     "<w:customXml w:element=\"x\"><w:p><w:r><w:t>custom</w:t></w:r></w:p></w:customXml>",
     u"block\rinlinetag\rcustom\r"},
    {"NestedTablesEndTheirCells",
     "<w:p><w:r><w:t>before</w:t></w:r></w:p><w:tbl><w:tr><w:tc><w:p><w:r><w:t>a</w:t></w:r></w:p>"
     "<w:tbl><w:tr><w:tc><w:p><w:r><w:t>b</w:t></w:r></w:p></w:tc></w:tr></w:tbl>"
     "<w:p><w:r><w:t>c</w:t></w:r></w:p></w:tc><w:tc><w:p><w:r><w:t>d</w:t></w:r></w:p></w:tc></w:tr></w:tbl>"
     "<w:p/>",
     u"before\ra\rb\r\ac\r\ad\r\a\r"},
    {"PictureAndFootnoteReference",
     "<w:p><w:r><w:t>see</w:t></w:r><w:r><w:drawing><wp:inline/></w:drawing></w:r>"
     "<w:r><w:footnoteReference w:id=\"1\"/></w:r><w:r><w:pict/></w:r></w:p>",
     u"see\x01\x02\x01\r"},
    {"EquationsStandAsObjects",
     "<w:p><w:r><w:t>so</w:t></w:r><m:oMath><m:r><m:t>x=1</m:t></m:r></m:oMath></w:p>"
     "<w:p><m:oMathPara><m:oMath><m:r><m:t>y</m:t></m:r></m:oMath></m:oMathPara></w:p>",
     u"so\x01\r\x01\r"},
    {"RubyAndSubdocumentsStandAsObjects",
     "<w:p><w:r><w:t>a</w:t><w:ruby><w:rubyPr/><w:rt><w:r><w:t>kan</w:t></w:r></w:rt>"
     "<w:rubyBase><w:r><w:t>K</w:t></w:r></w:rubyBase></w:ruby><w:t>b</w:t></w:r></w:p>"
     "<w:p><w:subDoc r:id=\"rId7\"/></w:p>",
     u"a\x01"
     "b\r\x01\r"},
    {"BookmarksAndProofingMarksAreNotText",
     "<w:p><w:bookmarkStart w:id=\"0\" w:name=\"b\"/><w:r><w:t>x</w:t></w:r><w:proofErr w:type=\"spellStart\"/>"
     "<w:bookmarkEnd w:id=\"0\"/><w:commentRangeStart w:id=\"1\"/><w:r><w:t>y</w:t></w:r>"
     "<w:commentRangeEnd w:id=\"1\"/></w:p>",
     u"xy\r"},
    {"SpacesAtTheEndsCountOnlyWherePreserved",
     "<w:p><w:r><w:t>2012 </w:t></w:r><w:r><w:t> The  end\t</w:t></w:r><w:r><w:t>   </w:t></w:r>"
     "<w:r><w:t xml:space=\"preserve\"> kept </w:t></w:r><w:r><w:t xml:space=\"default\"> not </w:t></w:r>"
     "<w:r xml:space=\"preserve\"><w:t> inherited</w:t></w:r></w:p>",
     u"2012The  end kept not inherited\r"},
    {"EmptyBodyReadsAsOneEmptyParagraph", "<w:sectPr/>", u"\r"},
    {"CellWithoutParagraphGetsOne", "<w:tbl><w:tr><w:tc><w:tcPr/></w:tc></w:tr></w:tbl><w:p/>", u"\r\a\r"},
};

INSTANTIATE_TEST_SUITE_P(Text, ParagraphText, ::testing::ValuesIn(textCases), caseName<TextCase>);

// Spaces at the ends of a w:t that does not preserve them are no text: after an edit beside them
// the file written must not make them text, and the spaces the edit leaves at an end must stay.
TEST_F(DocxText, EditedTextKeepsOnlyTheSpacesItShows)
{
    auto document = open(u("<w:p><w:r><w:t>2012 </w:t></w:r><w:r><w:t> The end </w:t></w:r></w:p>"));
    ASSERT_EQ(document->range()->text(), u("2012The end\r"));
    auto end = document->range()->word(2);
    ASSERT_EQ(end->text(), u("end"));
    end->deleteContent();
    EXPECT_EQ(document->range()->text(), u("2012The \r"));
    const QString saved = QDir(m_folder.path()).filePath(u("saved.docx"));
    document->saveAs(saved);
    document->close();
    auto again = m_application->documents().open(saved);
    EXPECT_EQ(again->range()->text(), u("2012The \r"));
    again->close();
}

TEST_F(DocxText, ParagraphsAreUnitsWithTheirMarks)
{
    auto document = open(u("<w:tbl><w:tr><w:tc><w:p><w:r><w:t>cell</w:t></w:r></w:p></w:tc></w:tr></w:tbl>"
                           "<w:p><w:r><w:t>one</w:t></w:r></w:p><w:p/>"));
    EXPECT_EQ(qt::paragraphTexts(*document), (QStringList{u("cell\r\a"), u("one\r"), u("\r")}));
    EXPECT_EQ(document->range()->paragraphsCount(), 3);
}

struct WordsCase {
    const char* name;
    const char* text;
    std::vector<const char*> units;
};

class WordUnits : public DocxText, public ::testing::WithParamInterface<WordsCase>
{
};

TEST_P(WordUnits, FollowUnicodeWordBoundaries)
{
    auto document = open(u("<w:p><w:r><w:t xml:space=\"preserve\">") + u(GetParam().text) + u("</w:t></w:r></w:p>"));
    QStringList expected;
    for (const char* unit : GetParam().units) {
        expected << u(unit);
    }
    expected << u("\r");
    EXPECT_EQ(qt::wordTexts(*document), expected);
    EXPECT_EQ(document->range()->wordsCount(), expected.size());
}

const WordsCase wordCases[] = {
    {"WordsKeepTheirTrailingSpaces", "the cat  sat", {"the ", "cat  ", "sat"}},
    {"ApostrophesAndDecimalsStayInside", "don't 3.14", {"don't ", "3.14"}},
    {"HyphenSplits", "e-mail", {"e", "-", "mail"}},
    {"PunctuationStandsAloneWithItsSpaces", "cat. (dog)", {"cat", ". ", "(", "dog", ")"}},
    {"LeadingSpacesAreAUnit", "  lead", {"  ", "lead"}},
    {"RepeatedPunctuationIsOneUnitEach", "a...b", {"a", ".", ".", ".", "b"}},
    {"AccentedAndCapitalised", "Straße École", {"Straße ", "École"}},
};

INSTANTIATE_TEST_SUITE_P(Words, WordUnits, ::testing::ValuesIn(wordCases), caseName<WordsCase>);

TEST_F(DocxText, ControlCharactersAreUnitsOfTheirOwn)
{
    auto document = open(u("<w:tbl><w:tr><w:tc><w:p><w:r><w:t>x</w:t><w:tab/><w:t xml:space=\"preserve\">y "
                           "</w:t><w:br/></w:r></w:p></w:tc></w:tr></w:tbl><w:p/>"));
    EXPECT_EQ(qt::wordTexts(*document), (QStringList{u("x"), u("\t"), u("y "), u("\v"), u("\r"), u("\a"), u("\r")}));
}

TEST_F(DocxText, CountsAndIndexesUnitsOfAPartialRange)
{
    auto document = open(u("<w:p><w:r><w:t>one two</w:t></w:r></w:p><w:p><w:r><w:t>three four</w:t></w:r></w:p>"
                           "<w:p><w:r><w:t>five</w:t></w:r></w:p>"));
    auto range = document->range();
    range->setStart(5); // inside "two"
    EXPECT_EQ(range->paragraphsCount(), 3);
    EXPECT_EQ(range->wordsCount(), 7); // two, \r, three, four, \r, five, \r
    EXPECT_EQ(range->word(1)->text(), u("two"));
    EXPECT_EQ(range->word(3)->text(), u("three "));
    EXPECT_EQ(range->paragraph(2)->text(), u("three four\r"));
    EXPECT_EQ(range->word(8), nullptr);
    EXPECT_EQ(range->paragraph(4), nullptr);
}

TEST_F(DocxText, WordsOfALongDocumentAreEachParagraphsOwn)
{
    // A document long enough for its words to be counted on two threads: every paragraph must
    // still be cut into the units that segmenting it by itself gives.
    const char* tokens[] = {"alpha", "don't", "3.14", "Straße", "e\u0301t\u00E9", "(x)", "1,000", "a.b", "\u00A0", "?"};
    std::mt19937 random(23);
    QString body;
    QStringList expected;
    text::WordSegmenter segmenter;
    for (int p = 0; p < 5000; ++p) {
        QString text = p % 9 == 0 ? u("  ") : QString();
        for (int w = 0; w < 8; ++w) {
            text += QString::fromUtf8(tokens[random() % std::size(tokens)]) + (random() % 4 == 0 ? u("  ") : u(" "));
        }
        body += u("<w:p><w:r><w:t xml:space=\"preserve\">") + text.toHtmlEscaped() + u("</w:t></w:r></w:p>");
        const QString paragraph = text + u("\r");
        quint32 start = 0;
        for (const quint32 end : segmenter.unitEnds(paragraph)) {
            expected << paragraph.mid(start, end - start);
            start = end;
        }
    }
    auto document = open(body);
    ASSERT_GE(document->range()->end(), 200000);
    EXPECT_EQ(document->range()->wordsCount(), expected.size());
    EXPECT_EQ(qt::wordTexts(*document), expected);
}

TEST_F(DocxText, ReadsStrictNamespaceAndOtherPrefixes)
{
    QByteArray bytes = qt::docxBytes(u("<w:p><w:r><w:t>strict</w:t></w:r></w:p>"));
    // The same package with the strict namespace under the prefix "ns0".
    docx::Package package = docx::Package::fromZip(u("x"), bytes);
    package.setData(u("word/document.xml"),
                    "<ns0:document xmlns:ns0=\"http://purl.oclc.org/ooxml/wordprocessingml/main\"><ns0:body>"
                    "<ns0:p><ns0:r><ns0:t>strict</ns0:t></ns0:r></ns0:p></ns0:body></ns0:document>");
    auto document = openBytes(package.toZip(u("x")), u("strict.docx"));
    EXPECT_EQ(document->range()->text(), u("strict\r"));
}

TEST_F(DocxText, PlainTextIsOneParagraphPerLine)
{
    auto utf8 = openBytes("\xEF\xBB\xBFone\r\ntwo\n\nthree\n", u("a.txt"));
    EXPECT_EQ(qt::paragraphTexts(*utf8), (QStringList{u("one\r"), u("two\r"), u("\r"), u("three\r")}));
    QByteArray utf16("\xFF\xFE", 2);
    for (const char c : QByteArray("x\ty\nz")) {
        utf16.append(c).append('\0');
    }
    auto wide = openBytes(utf16, u("b.txt"));
    EXPECT_EQ(wide->range()->text(), u("x\ty\rz\r"));
}

// A text file is decoded and written a piece of 64 KiB at a time: a line break, a character of
// several bytes or a surrogate pair across the end of a piece reads as it would whole.
TEST_F(DocxText, PlainTextReadsAlikeWhereverItsPiecesEnd)
{
    constexpr qsizetype piece = 1 << 16;
    // CR LF across the end of the first piece, then a character of three bytes across the
    // second's; markup characters and a control character on the way.
    QByteArray utf8(piece - 1, 'a');
    utf8 += "\r\n";
    utf8 += QByteArray(piece - 3, 'b') + "\xE4\xB8\xAD" +
            "<&>\x01"
            "c\n";
    auto opened = openBytes(utf8, u("pieces.txt"));
    const QStringList paragraphs = qt::paragraphTexts(*opened);
    ASSERT_EQ(paragraphs.size(), 2);
    EXPECT_TRUE(paragraphs[0] == QString(piece - 1, QChar(u'a')) + u("\r")) << paragraphs[0].size();
    EXPECT_TRUE(paragraphs[1] == QString(piece - 3, QChar(u'b')) + QChar(0x4E2D) + u("<&>c\r")) << paragraphs[1].size();

    // UTF-16 with a surrogate pair across the end of the first piece.
    QByteArray utf16("\xFF\xFE", 2);
    while (utf16.size() < piece - 2) {
        utf16.append('x').append('\0');
    }
    utf16.append("\x3D\xD8\x00\xDE", 4); // U+1F600
    utf16.append('y').append('\0');
    auto wide = openBytes(utf16, u("wide.txt"));
    EXPECT_EQ(wide->range()->text(),
              QString((piece - 4) / 2, QChar(u'x')) + QString::fromUcs4(U"\U0001F600") + u("y\r"));

    // A character cut off at the very end is no text, whatever piece it ends.
    EXPECT_THROW(openBytes(QByteArray(piece, 'a') + "\xE4\xB8", u("cut.txt")), engine::HostError);
}

TEST_F(DocxText, AddedDocumentsAreEmptyAndNumbered)
{
    auto first = m_application->documents().add();
    auto second = m_application->documents().add();
    EXPECT_EQ(first->name(), u("Document1"));
    EXPECT_EQ(second->name(), u("Document2"));
    EXPECT_TRUE(first->fullName().isEmpty());
    EXPECT_EQ(first->range()->text(), u("\r"));
    EXPECT_EQ(m_application->documents().count(), 2);
    first->close();
    EXPECT_EQ(m_application->documents().count(), 1);
    EXPECT_THROW(first->range(), engine::HostError);
}

TEST_F(DocxText, RunningApplicationIsOneThatHoldsDocuments)
{
    EXPECT_EQ(m_provider.runningApplication(), nullptr);
    auto document = m_application->documents().add();
    auto running = m_provider.runningApplication();
    ASSERT_NE(running, nullptr);
    EXPECT_EQ(running->name(), u("Quillsift Document Host"));
    document->close();
    EXPECT_EQ(m_provider.runningApplication(), nullptr);
}

} // namespace
