// SPDX-License-Identifier: GPL-3.0-or-later
// The LibreOffice host over UNO, against a real soffice. One soffice serves the whole executable;
// every test skips, with a message, where LibreOffice is not installed.
#include "Corpus.h"
#include "DocumentGenerator.h"
#include "DocxWriter.h"
#include "GTestPrinters.h"

#include "docx/DocxHostProvider.h"
#include "engine/CleanCopy.h"
#include "engine/HostError.h"
#include "libreoffice/LoHostProvider.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QThread>

#include <gtest/gtest.h>

#include <csignal>
#include <iostream>
#include <sys/types.h>
#include <unistd.h>

using namespace quillsift;
using quillsift::testing::paragraphTexts;

namespace {

bool libreOfficeInstalled()
{
    return !QStandardPaths::findExecutable(QStringLiteral("soffice")).isEmpty();
}

/// The soffice every test shares, started on first use and ended after the last test.
std::shared_ptr<engine::Application>& sharedOffice()
{
    static std::shared_ptr<engine::Application> application;
    return application;
}

engine::Application& office()
{
    auto& application = sharedOffice();
    if (!application) {
        libreoffice::LoHostProvider provider;
        application = provider.newApplication();
    }
    return *application;
}

class LibreOfficeEnvironment : public ::testing::Environment
{
  public:
    void TearDown() override
    {
        sharedOffice().reset();
        // Everything started here has gone with the applications.
        EXPECT_TRUE(libreoffice::LoHostProvider::startedProcessGroups().empty());
    }
};

const auto* const environment = ::testing::AddGlobalTestEnvironment(new LibreOfficeEnvironment);

class LoHostTest : public ::testing::Test
{
  protected:
    void SetUp() override
    {
        if (!libreOfficeInstalled()) {
            GTEST_SKIP() << "LibreOffice (soffice) is not installed: the LibreOffice host is not tested";
        }
        ASSERT_TRUE(m_folder.isValid());
    }

    QString path(const QString& name) const
    {
        return m_folder.filePath(name);
    }

    /// A document of the given paragraphs in the format the name's extension asks for: a Word
    /// package written directly, the other formats converted from it by LibreOffice itself.
    QString makeDocument(const QString& name, const QStringList& paragraphs)
    {
        const QString docx = path(QFileInfo(name).completeBaseName() + QStringLiteral(".source.docx"));
        quillsift::testing::writeDocxBody(docx, quillsift::testing::bodyXml(paragraphs));
        if (name.endsWith(QStringLiteral(".docx"))) {
            QFile::rename(docx, path(name));
            return path(name);
        }
        auto document = office().documents().open(docx);
        document->saveAs(path(name));
        document->close();
        return path(name);
    }

    static QStringList clean(engine::Application& application, const QString& file, engine::RemovalMode mode)
    {
        engine::CleanResult result = engine::makeCleanCopy(application, file, mode, [] {});
        QStringList texts = paragraphTexts(*result.copy);
        result.copy->close();
        return texts;
    }

    QTemporaryDir m_folder;
};

const QStringList sample = {
    QStringLiteral("The quick brown fox"),
    QStringLiteral("jumps over the lazy dog"),
    QStringLiteral("The quick brown fox"),
    QStringLiteral("Ünïcode words: Straße straße STRASSE, and 3.14 and 3.14."),
    QStringLiteral("jumps over the lazy dog"),
    QStringLiteral("Last words, last WORDS."),
    QStringLiteral("In a cell, and in a cell\a"),
    QStringLiteral("In a cell, and in a cell\a"),
    QStringLiteral("Tab\tand tab\tand line\vbreak"),
    QStringLiteral("The quick brown fox"),
};

TEST_F(LoHostTest, BothModesOnEveryFormat)
{
    docx::DocxHostProvider inProcess;
    const auto reference = inProcess.newApplication();
    const QString original = makeDocument(QStringLiteral("original.docx"), sample);
    const QStringList expectedLines = clean(*reference, original, engine::RemovalMode::Lines);
    const QStringList expectedWords = clean(*reference, original, engine::RemovalMode::Words);
    ASSERT_EQ(expectedLines,
              QStringList({"The quick brown fox", "jumps over the lazy dog",
                           "Ünïcode words: Straße straße STRASSE, and 3.14 and 3.14.", "Last words, last WORDS.",
                           "In a cell, and in a cell\a", "\a", "Tab\tand tab\tand line\vbreak", ""}));

    for (const QString format : {"docx", "doc", "rtf", "odt"}) {
        SCOPED_TRACE(format.toStdString());
        const QString file = makeDocument(QStringLiteral("sample.") + format, sample);
        EXPECT_EQ(clean(office(), file, engine::RemovalMode::Lines), expectedLines);
        EXPECT_EQ(clean(office(), file, engine::RemovalMode::Words), expectedWords);
    }
}

TEST_F(LoHostTest, SameParagraphsAsTheInProcessHostOnTheCorpus)
{
    QStringList documents;
    for (const QString& document : quillsift::testing::corpusDocuments()) {
        // A bounded sample: the Word packages of moderate size.
        const QFileInfo info(document);
        if (info.suffix() == QLatin1String("docx") && info.size() < 60 * 1024) {
            documents << document;
        }
    }
    if (documents.isEmpty()) {
        GTEST_SKIP() << quillsift::testing::corpusMissingMessage().toStdString();
    }
    documents = documents.mid(0, 12);
    // Where the two hosts read a document differently, as the README's comparison says.
    const QStringList different = {
        QStringLiteral("docling-docx_checkboxes.docx"), // check boxes are content controls
        QStringLiteral("docling-docx_rich_cells.docx"), // a cell that starts with a nested table
        QStringLiteral("docx-rs-instr_links.docx"),     // text inside field instructions
    };
    docx::DocxHostProvider inProcess;
    const auto reference = inProcess.newApplication();
    int compared = 0;
    for (const QString& document : documents) {
        SCOPED_TRACE(document.toStdString());
        const QStringList expected = clean(*reference, document, engine::RemovalMode::Lines);
        try {
            const QStringList cleaned = clean(office(), document, engine::RemovalMode::Lines);
            if (!different.contains(QFileInfo(document).fileName())) {
                EXPECT_EQ(cleaned, expected);
                ++compared;
            }
        } catch (const engine::HostError& error) {
            // LibreOffice may refuse or even crash on a document: the error names the file, and
            // the next document gets a working soffice again.
            EXPECT_EQ(error.file(), document);
            std::cout << "LibreOffice refused " << error.message().toStdString() << std::endl;
        }
    }
    EXPECT_GT(compared, 5);
}

} // namespace
