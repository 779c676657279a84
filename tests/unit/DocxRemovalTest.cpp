// SPDX-License-Identifier: GPL-3.0-or-later
// The removals on the in-process Word host: the comparison with the step-by-step references on
// generated packages, what only a real file can show (formatting), and every corpus document.
#include "Corpus.h"
#include "DocumentGenerator.h"
#include "DocxWriter.h"
#include "GTestPrinters.h"
#include "LiteralRemoval.h"
#include "MultilingualText.h"

#include <docx/DocxApplication.h>
#include <engine/DuplicateLines.h>
#include <engine/DuplicateWords.h>
#include <engine/HostError.h>

#include <QDir>
#include <QFileInfo>
#include <QSet>
#include <QTemporaryDir>

#include <random>
#include <tuple>

#include <gtest/gtest.h>

using quillsift::engine::Document;
using quillsift::testing::describe;
using quillsift::testing::paragraphTexts;

namespace {

constexpr int documentsPerMode = 1000;

class DocxRemoval : public testing::Test
{
  protected:
    std::shared_ptr<Document> openBody(const QString& body)
    {
        const QString path = m_folder.filePath(QStringLiteral("doc%1.docx").arg(++m_files));
        quillsift::testing::writeDocxBody(path, body);
        return m_host.documents().open(path);
    }

    std::shared_ptr<Document> open(const QStringList& paragraphs)
    {
        return openBody(quillsift::testing::bodyXml(paragraphs));
    }

    /// Two copies of the document at path from one opening: converting a .doc or .rtf takes
    /// LibreOffice seconds. Throws HostError where the host refuses the document.
    std::pair<std::shared_ptr<Document>, std::shared_ptr<Document>> twoCopies(const QString& path)
    {
        auto source = m_host.documents().open(path);
        const auto content = source->content()->formattedText();
        auto first = m_host.documents().add();
        first->content()->setFormattedText(*content);
        auto second = m_host.documents().add();
        second->content()->setFormattedText(*content);
        source->close();
        return {first, second};
    }

    QTemporaryDir m_folder;
    quillsift::docx::DocxApplication m_host;
    int m_files = 0;
};

template <typename Linear, typename Literal>
void compare(unsigned seed, Linear linear, Literal literal,
             const std::function<std::shared_ptr<Document>(const QStringList&)>& open)
{
    quillsift::testing::DocumentGenerator generator(seed);
    int differences = 0;
    for (int i = 0; i < documentsPerMode && differences < 5; ++i) {
        const QStringList paragraphs = generator.document();
        auto fast = open(paragraphs);
        auto reference = open(paragraphs);
        linear(*fast);
        literal(*reference);
        const QStringList fastTexts = paragraphTexts(*fast);
        const QStringList referenceTexts = paragraphTexts(*reference);
        if (fastTexts != referenceTexts) {
            ++differences;
            ADD_FAILURE() << "document " << i << ": " << describe(paragraphs).toStdString()
                          << "\n  one walk:  " << describe(fastTexts).toStdString()
                          << "\n  reference: " << describe(referenceTexts).toStdString();
        }
        fast->close();
        reference->close();
    }
}

TEST_F(DocxRemoval, linesAgreeWithReference)
{
    compare(
        4242, [](Document& d) { quillsift::engine::removeDuplicateLines(d); },
        [](Document& d) { quillsift::testing::literalRemoveDuplicateLines(d); },
        [this](const QStringList& p) { return open(p); });
}

TEST_F(DocxRemoval, wordsAgreeWithReference)
{
    compare(
        2424, [](Document& d) { quillsift::engine::removeDuplicateWords(d); },
        [](Document& d) { quillsift::testing::literalRemoveDuplicateWords(d); },
        [this](const QStringList& p) { return open(p); });
}

// Paragraphs of plain ASCII are taken a paragraph at a time, by what was searched for before;
// a mark that is searched for (a colon, a semicolon, a question mark) with letters or digits on
// both sides joins them when it goes, so its paragraph is walked word by word. Both agree with
// the literal walk, and the copy says the same once saved and read again.
TEST_F(DocxRemoval, plainParagraphsAgreeWithReference)
{
    const QStringList paragraphs{
        QStringLiteral("a ; b: c ;"),
        QStringLiteral("x;y 1:2 a ; x y"),
        QStringLiteral("don't 3.14 _ a_b , a"),
        QStringLiteral("A b  C   a DON'T 3.14"),
        QString(),
        QStringLiteral("q?r ? q r"),
        QStringLiteral("e-mail e mail -e"),
        QStringLiteral("  lead  b  trail  "),
        QStringLiteral("B A C x Y"),
    };
    auto fast = open(paragraphs);
    auto reference = open(paragraphs);
    const qint64 removed = quillsift::engine::removeDuplicateWords(*fast);
    quillsift::testing::literalRemoveDuplicateWords(*reference);
    EXPECT_EQ(paragraphTexts(*fast), paragraphTexts(*reference));
    EXPECT_EQ(paragraphTexts(*fast).at(8), QStringLiteral("    "));
    EXPECT_EQ(removed, 24);

    const QString saved = m_folder.filePath(QStringLiteral("plain.docx"));
    fast->saveAs(saved);
    auto reopened = m_host.documents().open(saved);
    EXPECT_EQ(paragraphTexts(*reopened), paragraphTexts(*reference));
    reopened->close();
    fast->close();
    reference->close();
}

// Random strings of a few letters, digits, spaces and marks, where most paragraphs are plain
// ASCII and marks stand between letters, beside spaces or beside each other in every way; some
// with a tab, an accented letter or a combining mark after a space among them, and some long
// enough to be taken in several runs.
TEST_F(DocxRemoval, randomAsciiAgreesWithReference)
{
    std::mt19937 random(77);
    const QString plain = QStringLiteral("aabbAB12_    ..,;:?'-(@");
    const QString mixed = plain + QStringLiteral("\t\u00e9\u0301");
    const auto text = [&](const QString& alphabet, int length) {
        QString made;
        for (int k = 0; k < length; ++k) {
            made += alphabet.at(qsizetype(random() % std::size_t(alphabet.size())));
        }
        return made;
    };
    for (int i = 0; i < 400; ++i) {
        const QString& alphabet = i % 2 == 0 ? plain : mixed;
        QStringList paragraphs;
        if (i % 10 < 2) {
            paragraphs << text(alphabet, 3000);
        }
        const int count = 1 + int(random() % 4);
        for (int p = 0; p < count; ++p) {
            paragraphs << text(alphabet, int(random() % 24));
        }
        auto fast = open(paragraphs);
        auto reference = open(paragraphs);
        quillsift::engine::removeDuplicateWords(*fast);
        quillsift::testing::literalRemoveDuplicateWords(*reference);
        ASSERT_EQ(paragraphTexts(*fast), paragraphTexts(*reference))
            << "document " << i << ": " << describe(paragraphs).toStdString();
        fast->close();
        reference->close();
    }
}

// A search over a long stretch of one paragraph looks its word up where the host keeps the
// paragraph's words, rather than reading the stretch; the reference's searches over the rest of
// the text take that way, the one walk's single-word searches the other, and both must agree
// while removals join words and leave stale places behind.
TEST_F(DocxRemoval, wordsInLongParagraphsAgreeWithReference)
{
    quillsift::testing::DocumentGenerator generator(99);
    for (int i = 0; i < 24; ++i) {
        QStringList paragraphs{generator.longParagraph(6000)};
        if (i % 2 == 1) {
            paragraphs << generator.document() << generator.longParagraph(5000);
        }
        auto fast = open(paragraphs);
        auto reference = open(paragraphs);
        const qint64 removed = quillsift::engine::removeDuplicateWords(*fast);
        quillsift::testing::literalRemoveDuplicateWords(*reference);
        ASSERT_GT(removed, 100);
        ASSERT_EQ(paragraphTexts(*fast), paragraphTexts(*reference)) << "document " << i;
        fast->close();
        reference->close();
    }
}

// Paragraphs of Chinese, Japanese and Thai, where a removal can move the boundaries of the words
// around it and a stretch without spaces can be a whole paragraph, and of marks, non-joiners and
// joiners after spaces: the one walk reads again what each removal changed, as the literal walk
// finds it. One paragraph of each dictionary script is long enough that its stretch holds
// thousands of words.
TEST_F(DocxRemoval, wordsInMultilingualTextAgreeWithReference)
{
    using Kind = quillsift::testing::MultilingualText::Kind;
    quillsift::testing::MultilingualText generator(31);
    for (int i = 0; i < 150; ++i) {
        QStringList paragraphs;
        if (i < 3) {
            paragraphs << generator.paragraph(Kind(i), 6000);
        } else {
            const int count = 1 + i % 3;
            for (int p = 0; p < count; ++p) {
                paragraphs << generator.paragraph();
            }
        }
        auto fast = open(paragraphs);
        auto reference = open(paragraphs);
        quillsift::engine::removeDuplicateWords(*fast);
        quillsift::testing::literalRemoveDuplicateWords(*reference);
        ASSERT_EQ(paragraphTexts(*fast), paragraphTexts(*reference)) << "document " << i;
        fast->close();
        reference->close();
    }
}

TEST_F(DocxRemoval, formattingDoesNotCount)
{
    const QString bold = QStringLiteral("<w:r><w:rPr><w:b/></w:rPr><w:t>%1</w:t></w:r>");
    const QString plain = QStringLiteral("<w:r><w:t xml:space=\"preserve\">%1</w:t></w:r>");
    const QString paragraphs = QStringLiteral("<w:p>") + bold.arg(QStringLiteral("Same text")) +
                               QStringLiteral("</w:p><w:p>") + plain.arg(QStringLiteral("Same ")) +
                               bold.arg(QStringLiteral("text")) + QStringLiteral("</w:p><w:p>") +
                               plain.arg(QStringLiteral("end")) + QStringLiteral("</w:p>");
    auto lines = openBody(paragraphs);
    EXPECT_EQ(quillsift::engine::removeDuplicateLines(*lines), 1);
    EXPECT_EQ(paragraphTexts(*lines), (QStringList{QStringLiteral("Same text"), QStringLiteral("end")}));

    const QString sentence = QStringLiteral("<w:p>") + plain.arg(QStringLiteral("the ")) +
                             bold.arg(QStringLiteral("cat")) + plain.arg(QStringLiteral(" and the c")) +
                             bold.arg(QStringLiteral("at")) + QStringLiteral("</w:p>");
    auto words = openBody(sentence);
    EXPECT_EQ(quillsift::engine::removeDuplicateWords(*words), 2);
    EXPECT_EQ(paragraphTexts(*words), QStringList{QStringLiteral("the cat and  ")});
}

// An equation is no text, but a paragraph that shows one is neither empty nor a repeat: line
// mode keeps it as it keeps a picture, and text put in beside it goes into a run of its own.
// Text with a phonetic guide (ruby) is kept the same way: two paragraphs that differ only there
// both stay.
TEST_F(DocxRemoval, equationsAndRubyKeepTheirParagraphs)
{
    const QString ruby =
        QStringLiteral("<w:p><w:r><w:t xml:space=\"preserve\">name: </w:t><w:ruby><w:rubyPr/><w:rt><w:r><w:t>%1</w:t>"
                       "</w:r></w:rt><w:rubyBase><w:r><w:t>%2</w:t></w:r></w:rubyBase></w:ruby>"
                       "</w:r></w:p>");
    auto guided = openBody(ruby.arg(QStringLiteral("yama"), QStringLiteral("Y")) +
                           ruby.arg(QStringLiteral("kawa"), QStringLiteral("K")));
    EXPECT_EQ(quillsift::engine::removeDuplicateLines(*guided), 0);
    EXPECT_EQ(guided->content()->text(), QStringLiteral("name: \x01\rname: \x01\r"));
    // Word mode takes the repeated words around them, and never the guided text.
    EXPECT_EQ(quillsift::engine::removeDuplicateWords(*guided), 2);
    EXPECT_EQ(guided->content()->text().count(QChar(1)), 2);
    guided->close();

    const QString equation = QStringLiteral("<w:p><m:oMathPara><m:oMath><m:r><m:t>x=1</m:t></m:r></m:oMath>"
                                            "</m:oMathPara></w:p>");
    auto cleaned = openBody(QStringLiteral("<w:p/>") + equation + equation +
                            QStringLiteral("<w:p/><w:p><w:r><w:t>end</w:t></w:r><m:oMath><m:r><m:t>z</m:t></m:r>"
                                           "</m:oMath></w:p>"));
    EXPECT_EQ(quillsift::engine::removeDuplicateLines(*cleaned), 1);
    EXPECT_EQ(cleaned->content()->text(), QStringLiteral("\r\x01\r\x01\rend\x01\r"));
    EXPECT_EQ(quillsift::engine::removeDuplicateWords(*cleaned), 0);

    // The replacement goes where "end" was, before the equation, once its run has gone.
    auto find = cleaned->content()->find();
    find->execute(QStringLiteral("end"), quillsift::engine::FindWrap::Stop, QStringLiteral("fin"),
                  quillsift::engine::FindReplace::All);
    EXPECT_EQ(cleaned->content()->text(), QStringLiteral("\r\x01\r\x01\rfin\x01\r"));
    const QString saved = m_folder.filePath(QStringLiteral("equations.docx"));
    cleaned->saveAs(saved);
    cleaned->close();
    auto again = m_host.documents().open(saved);
    EXPECT_EQ(again->content()->text(), QStringLiteral("\r\x01\r\x01\rfin\x01\r"));
    again->close();
}

// Every corpus document, in both modes, cleaned as a run cleans it (a new document with the
// source's formatted content, the source closed): nothing crashes, the copy saves and
// opens again, and in line mode no key repeats except where the host cannot remove a paragraph
// (it stays, empty) or a paragraph holds a picture or note that its text does not show.
TEST_F(DocxRemoval, corpus)
{
    const QStringList documents = quillsift::testing::corpusDocuments() + quillsift::testing::malformedDocuments();
    if (documents.isEmpty()) {
        GTEST_SKIP() << quillsift::testing::corpusMissingMessage().toStdString();
    }
    int cleaned = 0;
    int refused = 0;
    for (const QString& path : documents) {
        SCOPED_TRACE(path.toStdString());
        // One copy per mode.
        std::shared_ptr<Document> lines;
        std::shared_ptr<Document> words;
        try {
            std::tie(lines, words) = twoCopies(path);
        } catch (const quillsift::engine::HostError& error) {
            EXPECT_FALSE(error.message().isEmpty());
            ++refused;
            continue;
        }
        quillsift::engine::removeDuplicateLines(*lines);
        quillsift::engine::removeDuplicateWords(*words);
        for (const auto& copy : {lines, words}) {
            const QString saved = m_folder.filePath(QStringLiteral("cleaned%1.docx").arg(++m_files));
            ASSERT_NO_THROW(copy->saveAs(saved));
            const QStringList before = paragraphTexts(*copy);
            copy->close();
            std::shared_ptr<Document> reopened;
            ASSERT_NO_THROW(reopened = m_host.documents().open(saved));
            const QStringList after = paragraphTexts(*reopened);
            reopened->close();
            EXPECT_EQ(after, before);
            if (copy == lines) {
                QSet<QString> seen;
                for (const QString& key : after) {
                    const bool mayRepeat =
                        key.isEmpty() || key == QStringLiteral("\a") || quillsift::engine::holdsObject(key);
                    EXPECT_TRUE(mayRepeat || !seen.contains(key)) << visible(key).toStdString();
                    seen.insert(key);
                }
            }
            ++cleaned;
        }
    }
    std::cout << cleaned << " cleaned copies checked, " << refused << " documents refused with a message\n";
}

// Word mode over every corpus document agrees with the literal walk, which searches each word
// afresh over the text as it stands; line mode is compared by the corpus test above.
TEST_F(DocxRemoval, corpusWordsAgreeWithReference)
{
    const QStringList documents = quillsift::testing::corpusDocuments();
    if (documents.isEmpty()) {
        GTEST_SKIP() << quillsift::testing::corpusMissingMessage().toStdString();
    }
    int compared = 0;
    for (const QString& path : documents) {
        SCOPED_TRACE(path.toStdString());
        std::shared_ptr<Document> fast;
        std::shared_ptr<Document> reference;
        try {
            std::tie(fast, reference) = twoCopies(path);
        } catch (const quillsift::engine::HostError&) {
            continue; // refused with a message: the corpus test checks that
        }
        quillsift::engine::removeDuplicateWords(*fast);
        quillsift::testing::literalRemoveDuplicateWords(*reference);
        EXPECT_EQ(paragraphTexts(*fast), paragraphTexts(*reference));
        fast->close();
        reference->close();
        ++compared;
    }
    std::cout << compared << " corpus documents compared in word mode\n";
}

} // namespace
