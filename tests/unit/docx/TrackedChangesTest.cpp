// SPDX-License-Identifier: GPL-3.0-or-later
// Saving a cleaned copy with its removals as tracked deletions: what the XML holds where runs are
// split, whole paragraphs go, marks must stay and the source has changes of its own; and that
// accepting them gives the copy's text and rejecting them the source's.
#include "DocxFixture.h"
#include "TrackedReview.h"

#include "docx/DocxApplication.h"
#include "engine/DuplicateLines.h"
#include "engine/DuplicateWords.h"
#include "engine/HostError.h"

#include <QDir>
#include <QSet>
#include <QTemporaryDir>

#include <pugixml.hpp>

#include <gtest/gtest.h>

#include <random>

using namespace quillsift;
namespace qt = quillsift::testing;
using qt::Review;
using qt::u;

namespace {

const QDateTime runTime(QDate(2026, 12, 8), QTime(9, 0), Qt::UTC);

class TrackedChanges : public ::testing::Test
{
  protected:
    QString path(const QString& name)
    {
        return QDir(m_folder.path()).filePath(name);
    }
    QString writeBody(const QString& body)
    {
        return qt::writeFile(m_folder.path(), u("source%1.docx").arg(++m_files), qt::docxBytes(body));
    }
    /// A copy of the document at source, made as a run makes it, the source closed.
    std::shared_ptr<engine::Document> copyOf(const QString& source)
    {
        auto opened = m_host.documents().open(source);
        auto copy = m_host.documents().add();
        copy->content()->setFormattedText(*opened->content()->formattedText());
        opened->close();
        return copy;
    }
    QString textOf(const QString& file)
    {
        auto document = m_host.documents().open(file);
        const QString text = document->content()->text();
        document->close();
        return text;
    }
    /// Saves the copy with tracked changes and checks that it is sound, that accepting them
    /// gives the copy's text and rejecting them the source's; returns the saved main part.
    QByteArray saveAndReview(engine::Document& copy, const QString& source)
    {
        const QString saved = path(u("tracked%1.docx").arg(++m_files));
        copy.saveWithTrackedChanges(saved, runTime);
        EXPECT_EQ(qt::packageProblems(saved), QStringList());
        const QString accepted = qt::reviewedCopy(saved, path(u("accepted%1.docx").arg(m_files)), Review::Accept);
        EXPECT_EQ(textOf(accepted), copy.content()->text());
        const QString rejected = qt::reviewedCopy(saved, path(u("rejected%1.docx").arg(m_files)), Review::Reject);
        EXPECT_EQ(textOf(rejected), textOf(source));
        return qt::mainPartOf(saved);
    }

    QTemporaryDir m_folder;
    docx::DocxApplication m_host;
    int m_files = 0;
};

/// The part's elements named name, in document order.
std::vector<pugi::xml_node> elements(const pugi::xml_document& part, const char* name)
{
    std::vector<pugi::xml_node> found;
    for (const pugi::xpath_node& each : part.select_nodes((std::string("//") + name).c_str())) {
        found.push_back(each.node());
    }
    return found;
}

void load(pugi::xml_document& part, const QByteArray& bytes)
{
    ASSERT_TRUE(part.load_buffer(bytes.constData(), std::size_t(bytes.size())));
}

// Every deletion is Quillsift's at the run's time, with an id no other element of the part has;
// none is inside another.
void expectSoundDeletions(const pugi::xml_document& part)
{
    QSet<QString> ids;
    for (const pugi::xpath_node& each : part.select_nodes("//*[@w:id]")) {
        const QString id = QString::fromUtf8(each.node().attribute("w:id").value());
        EXPECT_FALSE(ids.contains(id) && std::string(each.node().name()) != "w:bookmarkEnd") << id.toStdString();
        ids.insert(id);
    }
    for (const pugi::xml_node deletion : elements(part, "w:del[@w:author='Quillsift']")) {
        EXPECT_STREQ(deletion.attribute("w:date").value(), "2026-12-08T09:00:00Z");
        for (pugi::xml_node up = deletion.parent(); up; up = up.parent()) {
            EXPECT_STRNE(up.name(), "w:del");
        }
    }
}

TEST_F(TrackedChanges, WordDeletionsSplitRunsAndKeepTheirFormatting)
{
    const QString source = writeBody(u("<w:p><w:r><w:rPr><w:b/></w:rPr><w:t xml:space=\"preserve\">the cat saw "
                                       "the dog and the cat</w:t></w:r><w:r><w:t xml:space=\"preserve\"> ran"
                                       "</w:t></w:r></w:p>"));
    auto copy = copyOf(source);
    EXPECT_EQ(engine::removeDuplicateWords(*copy), 3);
    pugi::xml_document part;
    load(part, saveAndReview(*copy, source));
    expectSoundDeletions(part);
    // "the" twice, "cat" once: each cut out of the bold run into a bold run of its own, the
    // spaces between them kept in bold runs too.
    const auto deleted = elements(part, "w:del/w:r/w:delText");
    ASSERT_FALSE(deleted.empty());
    QString gone;
    for (const pugi::xml_node text : deleted) {
        gone += QString::fromUtf8(text.text().get()) + u("|");
        EXPECT_TRUE(text.parent().child("w:rPr").child("w:b"));
    }
    EXPECT_EQ(gone, u("the|the|cat|"));
    EXPECT_EQ(elements(part, "w:p/w:r[w:rPr/w:b]/w:t").size(), 3u);
    EXPECT_TRUE(elements(part, "w:pPr/w:rPr/w:del").empty());
}

TEST_F(TrackedChanges, ManyWordDeletionsInOneParagraph)
{
    QString runs;
    for (int i = 0; i < 3000; ++i) {
        runs += u("<w:r>%1<w:t xml:space=\"preserve\">w%2 w%3 </w:t></w:r>")
                    .arg(i % 3 == 0 ? u("<w:rPr><w:i/></w:rPr>") : QString())
                    .arg(i % 97)
                    .arg(i);
    }
    const QString source = writeBody(u("<w:p>") + runs + u("</w:p>"));
    auto copy = copyOf(source);
    EXPECT_EQ(engine::removeDuplicateWords(*copy), 3000);
    pugi::xml_document part;
    load(part, saveAndReview(*copy, source));
    expectSoundDeletions(part);
    EXPECT_GT(elements(part, "w:del").size(), 2000u);
}

TEST_F(TrackedChanges, RemovedParagraphsGoWithTheirFieldsAndPicturesAndKeepTheirBookmarks)
{
    const QString field =
        u("<w:p><w:bookmarkStart w:id=\"7\" w:name=\"here\"/><w:r><w:t xml:space=\"preserve\">Page </w:t></w:r>"
          "<w:r><w:fldChar w:fldCharType=\"begin\"/></w:r><w:r><w:instrText> PAGE "
          "</w:instrText></w:r><w:r><w:fldChar w:fldCharType=\"separate\"/></w:r><w:r><w:t>1"
          "</w:t></w:r><w:r><w:fldChar w:fldCharType=\"end\"/></w:r>"
          "<w:bookmarkEnd w:id=\"7\"/></w:p>");
    const QString picture = u("<w:p><w:pPr><w:jc w:val=\"center\"/></w:pPr><w:r><w:drawing/></w:r>"
                              "<w:r><w:t>caption</w:t></w:r></w:p>");
    const QString source = writeBody(u("<w:p><w:r><w:t>Page 1</w:t></w:r></w:p>") + field + picture +
                                     u("<w:p><w:r><w:t>end</w:t></w:r></w:p>"));
    auto copy = copyOf(source);
    // The field's paragraph reads "Page 1", a repeat; the picture's goes by a Delete of its own.
    EXPECT_EQ(engine::removeDuplicateLines(*copy), 1);
    copy->range()->paragraph(2)->deleteContent();
    EXPECT_EQ(copy->content()->text(), u("Page 1\rend\r"));
    pugi::xml_document part;
    load(part, saveAndReview(*copy, source));
    expectSoundDeletions(part);
    EXPECT_EQ(elements(part, "w:pPr/w:rPr/w:del").size(), 2u);
    EXPECT_EQ(elements(part, "w:del/w:r/w:delInstrText").size(), 1u);
    EXPECT_TRUE(elements(part, "w:instrText").empty());
    EXPECT_EQ(elements(part, "w:del/w:r/w:fldChar").size(), 3u);
    EXPECT_EQ(elements(part, "w:del/w:r/w:drawing").size(), 1u);
    EXPECT_EQ(elements(part, "w:p/w:bookmarkStart").size(), 1u);
    // The mark's properties come after the paragraph's own.
    const auto centred = elements(part, "w:pPr[w:jc]");
    ASSERT_EQ(centred.size(), 1u);
    EXPECT_STREQ(centred[0].last_child().name(), "w:rPr");
}

TEST_F(TrackedChanges, MarksThatMustStayStay)
{
    // The last paragraph of the second cell, the body's last paragraph and a paragraph with
    // section properties keep their marks when their text goes.
    const QString cell = u("<w:tc><w:p><w:r><w:t>same</w:t></w:r></w:p><w:p><w:r><w:t>last</w:t></w:r></w:p></w:tc>");
    const QString source = writeBody(u("<w:tbl><w:tr>") + cell + cell +
                                     u("</w:tr></w:tbl><w:p><w:pPr><w:sectPr/></w:pPr><w:r><w:t>same</w:t></w:r></w:p>"
                                       "<w:p><w:r><w:t>same</w:t></w:r></w:p>"));
    auto copy = copyOf(source);
    engine::removeDuplicateLines(*copy);
    pugi::xml_document part;
    load(part, saveAndReview(*copy, source));
    expectSoundDeletions(part);
    // Only the second cell's first paragraph goes whole.
    const auto marks = elements(part, "w:p[w:pPr/w:rPr/w:del]");
    ASSERT_EQ(marks.size(), 1u);
    EXPECT_STREQ(marks[0].parent().name(), "w:tc");
    EXPECT_EQ(elements(part, "w:del/w:r/w:delText").size(), 4u);
    const auto section = elements(part, "w:pPr[w:sectPr]");
    ASSERT_EQ(section.size(), 1u);
    EXPECT_FALSE(section[0].child("w:rPr"));
}

TEST_F(TrackedChanges, TheSourcesOwnChangesStay)
{
    const QString source = writeBody(
        u("<w:p><w:r><w:t>kept</w:t></w:r></w:p>"
          "<w:p><w:ins w:id=\"40\" w:author=\"Ann\"><w:r><w:t xml:space=\"preserve\">new new </w:t></w:r></w:ins>"
          "<w:del w:id=\"41\" w:author=\"Ann\"><w:r><w:delText>old</w:delText></w:r></w:del>"
          "<w:r><w:t>kept</w:t></w:r></w:p>"
          "<w:p><w:pPr><w:rPr><w:ins w:id=\"42\" w:author=\"Ann\"/></w:rPr></w:pPr><w:r><w:t>line</w:t></w:r></w:p>"
          "<w:p><w:pPr><w:rPr><w:ins w:id=\"43\" w:author=\"Ann\"/></w:rPr></w:pPr>"
          "<w:ins w:id=\"44\" w:author=\"Ann\"><w:r><w:t>line</w:t></w:r></w:ins>"
          "<w:del w:id=\"45\" w:author=\"Ann\"><w:r><w:delText>x</w:delText></w:r></w:del></w:p>"
          "<w:p><w:r><w:t>end</w:t></w:r></w:p>"));
    auto words = copyOf(source);
    engine::removeDuplicateWords(*words);
    pugi::xml_document part;
    load(part, saveAndReview(*words, source));
    expectSoundDeletions(part);
    // The second "new " is deleted inside Ann's insertion; her deletions stay hers.
    EXPECT_EQ(elements(part, "w:ins[@w:id='40']/w:del[@w:author='Quillsift']/w:r/w:delText").size(), 1u);
    EXPECT_EQ(elements(part, "w:ins[@w:id='44']/w:del[@w:author='Quillsift']/w:r/w:delText").size(), 1u);
    EXPECT_EQ(elements(part, "w:del[@w:author='Ann']").size(), 2u);

    auto lines = copyOf(source);
    engine::removeDuplicateLines(*lines);
    load(part, saveAndReview(*lines, source));
    expectSoundDeletions(part);
    // The repeated "line" goes: its mark's deletion follows the mark's insertion.
    const auto mark = elements(part, "w:pPr/w:rPr[w:ins[@w:id='43']]");
    ASSERT_EQ(mark.size(), 1u);
    EXPECT_STREQ(mark[0].first_child().next_sibling().name(), "w:del");
    EXPECT_EQ(elements(part, "w:ins[@w:id='44']/w:del[@w:author='Quillsift']").size(), 1u);
    EXPECT_EQ(elements(part, "w:del[@w:author='Ann']/w:r/w:delText").size(), 2u);
    // Ids go on from the greatest the part held.
    EXPECT_EQ(elements(part, "w:del[@w:id='46']").size() + elements(part, "w:del[@w:id='47']").size(), 2u);
}

TEST_F(TrackedChanges, DeletionsAcrossMarksAndInJoinedParagraphs)
{
    const QString source = writeBody(u("<w:p><w:r><w:t>one two</w:t></w:r></w:p><w:p><w:r><w:t>three four</w:t>"
                                       "</w:r></w:p><w:p><w:r><w:t>five six</w:t></w:r></w:p>"));
    auto copy = copyOf(source);
    // "two" and its mark go, joining the first two paragraphs into the second's element; then
    // "four" and the joined paragraph's mark; then words of what the joins made.
    auto first = copy->range()->paragraph(1);
    first->setStart(4);
    first->deleteContent();
    ASSERT_EQ(copy->content()->text(), u("one three four\rfive six\r"));
    auto joined = copy->range()->paragraph(1);
    joined->setStart(10);
    joined->deleteContent();
    ASSERT_EQ(copy->content()->text(), u("one three five six\r"));
    copy->content()->find()->execute(u("three"), engine::FindWrap::Stop, QString(), engine::FindReplace::All);
    copy->range()->word(1)->deleteContent();
    ASSERT_EQ(copy->content()->text(), u("five six\r"));
    pugi::xml_document part;
    load(part, saveAndReview(*copy, source));
    expectSoundDeletions(part);
    EXPECT_EQ(elements(part, "w:p[w:pPr/w:rPr/w:del]").size(), 2u);
}

// Deletions of every kind in random order, each counted in the text as the ones before left it:
// words, the tails of paragraphs with their marks (joins), whole paragraphs, replacements with
// nothing, and then both removals.
TEST_F(TrackedChanges, RandomDeletionsReplayInOrder)
{
    std::mt19937 random(20261208);
    const QStringList vocabulary{u("alpha"), u("beta"), u("gamma"), u("delta"), u("épsilon"), u("ζeta")};
    for (int document = 0; document < 40; ++document) {
        QString body;
        for (int p = 0; p < 12; ++p) {
            QString runs;
            for (int r = 0; r < 1 + int(random() % 4); ++r) {
                QString text;
                for (int w = 0; w < 1 + int(random() % 5); ++w) {
                    text += vocabulary[int(random() % vocabulary.size())] + u(" ");
                }
                runs += u("<w:r>%1<w:t xml:space=\"preserve\">%2</w:t></w:r>")
                            .arg(random() % 2 ? u("<w:rPr><w:b/></w:rPr>") : QString(), text);
            }
            body += p % 5 == 4 ? u("<w:tbl><w:tr><w:tc><w:p>%1</w:p></w:tc></w:tr></w:tbl>").arg(runs)
                               : u("<w:p>%1</w:p>").arg(runs);
        }
        const QString source = writeBody(body);
        auto copy = copyOf(source);
        for (int step = 0; step < 15; ++step) {
            const qint64 count = copy->content()->paragraphsCount();
            auto paragraph = copy->range()->paragraph(1 + qint64(random() % count));
            switch (random() % 4) {
            case 0:
                if (auto word = paragraph->word(1 + qint64(random() % std::max<qint64>(1, paragraph->wordsCount())))) {
                    word->deleteContent();
                }
                break;
            case 1:
                paragraph->setStart(paragraph->start() + qint64(random() % paragraph->text().size()));
                paragraph->deleteContent();
                break;
            case 2:
                paragraph->deleteContent();
                break;
            default:
                copy->content()->find()->execute(vocabulary[int(random() % vocabulary.size())], engine::FindWrap::Stop,
                                                 QString(), engine::FindReplace::All);
            }
        }
        random() % 2 ? engine::removeDuplicateLines(*copy) : engine::removeDuplicateWords(*copy);
        SCOPED_TRACE(document);
        pugi::xml_document part;
        load(part, saveAndReview(*copy, source));
        expectSoundDeletions(part);
        copy->close();
    }
}

TEST_F(TrackedChanges, PlainTextSourcesSaveAsWordDocuments)
{
    const QString source = qt::writeFile(m_folder.path(), u("notes.txt"), "alpha\nbeta\nalpha\ngamma\n");
    auto copy = copyOf(source);
    EXPECT_EQ(engine::removeDuplicateLines(*copy), 1);
    pugi::xml_document part;
    load(part, saveAndReview(*copy, source));
    EXPECT_EQ(elements(part, "w:p[w:pPr/w:rPr/w:del]").size(), 1u);
}

// A copy made as a run makes it takes the closed source's content whole; what was read of a source
// stays what it was when read, whichever document changes next, and a copy's removals are kept
// against it.
TEST_F(TrackedChanges, CopiesKeepWhatWasReadOfTheirSource)
{
    const QString source = writeBody(u("<w:p><w:r><w:t>one</w:t></w:r></w:p><w:p><w:r><w:t>two</w:t></w:r></w:p>"
                                       "<w:p><w:r><w:t>one</w:t></w:r></w:p><w:p><w:r><w:t>three</w:t></w:r></w:p>"));
    const QString asRead = u("one\rtwo\rone\rthree\r");
    const auto pasted = [&](const engine::FormattedText& text) {
        auto copy = m_host.documents().add();
        copy->content()->setFormattedText(text);
        return copy;
    };

    // Read, then the source edited before the copy takes it.
    auto opened = m_host.documents().open(source);
    auto read = opened->content()->formattedText();
    opened->content()->paragraph(2)->deleteContent();
    opened->content()->find()->execute(u("three"), engine::FindWrap::Stop, u("four"), engine::FindReplace::All);
    EXPECT_EQ(pasted(*read)->content()->text(), asRead);
    opened->close();

    // Read, the source closed: the first copy takes its content, the next reads that copy, and
    // once the first copy changes the text read stays as it was.
    opened = m_host.documents().open(source);
    read = opened->content()->formattedText();
    opened->close();
    EXPECT_THROW(opened->content(), engine::HostError);
    auto taken = pasted(*read);
    EXPECT_EQ(taken->content()->text(), asRead);
    EXPECT_EQ(pasted(*read)->content()->text(), asRead);
    EXPECT_EQ(engine::removeDuplicateLines(*taken), 1);
    EXPECT_EQ(pasted(*read)->content()->text(), asRead);
    read.reset();
    saveAndReview(*taken, source);

    // A source edited before it was read: the copy's removals are kept against what was read.
    opened = m_host.documents().open(source);
    opened->content()->paragraph(2)->deleteContent();
    read = opened->content()->formattedText();
    opened->close();
    taken = pasted(*read);
    read.reset();
    EXPECT_EQ(engine::removeDuplicateLines(*taken), 1);
    const QString saved = path(u("edited-source.docx"));
    taken->saveWithTrackedChanges(saved, runTime);
    EXPECT_EQ(textOf(qt::reviewedCopy(saved, path(u("edited-accepted.docx")), Review::Accept)), u("one\rthree\r"));
    EXPECT_EQ(textOf(qt::reviewedCopy(saved, path(u("edited-rejected.docx")), Review::Reject)), u("one\rone\rthree\r"));
}

TEST_F(TrackedChanges, RefusedWithTheFileAndTheCause)
{
    const QString source = writeBody(u("<w:p><w:r><w:t>a a</w:t></w:r></w:p>"));
    auto copy = copyOf(source);
    engine::removeDuplicateWords(*copy);
    const auto refusal = [&](const QString& target) {
        try {
            copy->saveWithTrackedChanges(target, runTime);
        } catch (const engine::HostError& error) {
            EXPECT_FALSE(QFileInfo::exists(target) && target != source);
            return error.message();
        }
        return QString();
    };
    EXPECT_TRUE(refusal(path(u("copy.txt"))).startsWith(path(u("copy.txt: plain text cannot hold tracked changes"))));
    const QByteArray before = qt::checksum(source);
    EXPECT_TRUE(refusal(source).startsWith(source + u(": this is the document's source file")));
    EXPECT_EQ(qt::checksum(source), before);
    // Text put in by a replacement is no removal: it cannot be kept as one.
    auto find = copy->content()->find();
    find->execute(u("a"), engine::FindWrap::Stop, u("b"), engine::FindReplace::All);
    EXPECT_TRUE(refusal(path(u("replaced.docx"))).contains(u(": the document has been edited by more than removals")));
    copy->close();
    EXPECT_TRUE(refusal(path(u("closed.docx"))).contains(u("closed")));
}

// A host that keeps no record of what its deletions took out cleans as one that does, saves the
// result, and refuses only a save with tracked changes.
TEST_F(TrackedChanges, WithoutARecordOnlyTheTrackedSaveIsRefused)
{
    const QString source = writeBody(u("<w:p><w:r><w:t>a b a</w:t></w:r></w:p><w:p><w:r><w:t>a b a</w:t></w:r></w:p>"
                                       "<w:p><w:r><w:t>c</w:t></w:r></w:p>"));
    docx::DocxApplication unrecorded(nullptr, nullptr, {}, docx::DeletionRecord::NotKept);
    for (const bool words : {false, true}) {
        auto recorded = copyOf(source);
        auto opened = unrecorded.documents().open(source);
        auto copy = unrecorded.documents().add();
        copy->content()->setFormattedText(*opened->content()->formattedText());
        opened->close();
        const auto clean = [words](engine::Document& document) {
            return words ? engine::removeDuplicateWords(document) : engine::removeDuplicateLines(document);
        };
        EXPECT_EQ(clean(*copy), clean(*recorded));
        EXPECT_EQ(copy->content()->text(), recorded->content()->text());
        EXPECT_EQ(unrecorded.docxDocuments().list().back()->deletionCount(), 0u);

        const QString tracked = path(u("tracked%1.docx").arg(words));
        try {
            copy->saveWithTrackedChanges(tracked, runTime);
            ADD_FAILURE() << "a copy without a record of its removals was saved with tracked changes";
        } catch (const engine::HostError& error) {
            EXPECT_EQ(error.message(), tracked + u(": this copy was made without a record of its removals, so they "
                                                   "cannot be kept as tracked changes"));
        }
        EXPECT_FALSE(QFileInfo::exists(tracked));
        const QString saved = path(u("plain%1.docx").arg(words));
        copy->saveAs(saved);
        EXPECT_EQ(textOf(saved), recorded->content()->text());
        copy->close();
        recorded->close();
    }
}

} // namespace
