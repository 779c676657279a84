// SPDX-License-Identifier: GPL-3.0-or-later
// Every corpus document cleaned in both modes and saved with its removals as tracked deletions:
// the package is sound, accepting them reads as the cleaned copy and rejecting them as the source.
#include "Corpus.h"
#include "DocxFixture.h"
#include "TrackedReview.h"

#include "docx/DocxApplication.h"
#include "engine/DuplicateLines.h"
#include "engine/DuplicateWords.h"
#include "engine/HostError.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <initializer_list>
#include <iostream>

using namespace quillsift;
namespace qt = quillsift::testing;
using qt::Review;
using qt::u;

namespace {

class TrackedCorpus : public ::testing::Test
{
  protected:
    QString path(const QString& name)
    {
        return QDir(m_folder.path()).filePath(name);
    }
    /// The text of the package at file with its main part reviewed in turn by each of reviews.
    QString textAfter(const QString& file, std::initializer_list<Review> reviews)
    {
        QString current = file;
        for (const Review review : reviews) {
            current = qt::reviewedCopy(current, path(u("reviewed%1.docx").arg(++m_files)), review);
        }
        auto document = m_host.documents().open(current);
        const QString text = document->content()->text();
        document->close();
        return text;
    }

    QTemporaryDir m_folder;
    docx::DocxApplication m_host;
    int m_files = 0;
};

// The cleaned copy is compared with every paragraph mark that is deleted joined to the next, on
// both sides: where the source deleted a mark of its own and the copy removed its paragraph too,
// the tracked save cannot delete the mark a second time, and both readings must agree.
TEST_F(TrackedCorpus, acceptedReadsAsTheCopyAndRejectedAsTheSource)
{
    const QStringList documents = qt::corpusDocuments() + qt::malformedDocuments();
    if (documents.isEmpty()) {
        GTEST_SKIP() << qt::corpusMissingMessage().toStdString();
    }
    const QDateTime time(QDate(2026, 12, 8), QTime(9, 0), Qt::UTC);
    int checked = 0;
    int refused = 0;
    for (const QString& source : documents) {
        SCOPED_TRACE(source.toStdString());
        std::shared_ptr<engine::Document> lines;
        std::shared_ptr<engine::Document> words;
        try {
            // One opening for both copies: converting a .doc or .rtf takes LibreOffice seconds.
            auto opened = m_host.documents().open(source);
            const auto content = opened->content()->formattedText();
            // The first copy reads the open source, the second takes the closed source's content.
            lines = m_host.documents().add();
            lines->content()->setFormattedText(*content);
            opened->close();
            words = m_host.documents().add();
            words->content()->setFormattedText(*content);
        } catch (const engine::HostError&) {
            ++refused;
            continue;
        }
        const QString sourceText = lines->content()->text();
        engine::removeDuplicateLines(*lines);
        engine::removeDuplicateWords(*words);
        for (const auto& copy : {lines, words}) {
            const QString tracked = path(u("tracked%1.docx").arg(++m_files));
            const QString plain = path(u("plain%1.docx").arg(m_files));
            ASSERT_NO_THROW(copy->saveWithTrackedChanges(tracked, time));
            ASSERT_NO_THROW(copy->saveAs(plain));
            EXPECT_EQ(qt::packageProblems(tracked), QStringList());
            EXPECT_EQ(textAfter(tracked, {Review::Accept, Review::JoinDeletedMarks}),
                      textAfter(plain, {Review::JoinDeletedMarks}));
            EXPECT_EQ(textAfter(tracked, {Review::Reject}), sourceText);
            copy->close();
            ++checked;
        }
        // What the review made is not needed past the document.
        for (const QString& name : QDir(m_folder.path()).entryList(QDir::Files)) {
            QFile::remove(path(name));
        }
    }
    std::cout << checked << " tracked saves checked, " << refused << " documents refused with a message\n";
    EXPECT_GT(checked, 200);
}

} // namespace
