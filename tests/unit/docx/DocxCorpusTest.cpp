// SPDX-License-Identifier: GPL-3.0-or-later
// Every document of the shared corpus through the in-process host: open, walk, delete, save,
// reopen; every damaged one refused with a message that names it.
#include "Corpus.h"
#include "DocxFixture.h"

#include "docx/DocxHostProvider.h"
#include "docx/OfficeConverter.h"
#include "engine/HostError.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace quillsift;
namespace qt = quillsift::testing;
using quillsift::testing::u;

namespace {

bool needsLibreOffice(const QString& path)
{
    const QString suffix = QFileInfo(path).suffix().toLower();
    return suffix == u("doc") || suffix == u("rtf") || suffix == u("odt");
}

class CorpusTest : public ::testing::TestWithParam<QString>
{
};

TEST_P(CorpusTest, OpensWalksDeletesSavesAndReopens)
{
    const QString path = GetParam();
    if (needsLibreOffice(path) && docx::OfficeConverter::executable().isEmpty()) {
        GTEST_SKIP() << "LibreOffice is not installed; " << path.toStdString() << " needs it";
    }
    const QByteArray before = qt::checksum(path);
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());

    docx::DocxHostProvider provider;
    auto application = provider.newApplication();
    qint64 paragraphs = 0;
    QString saved;
    try {
        auto document = application->documents().open(path);
        auto whole = document->range();
        paragraphs = whole->paragraphsCount();
        const QStringList texts = qt::paragraphTexts(*document);
        ASSERT_EQ(texts.size(), paragraphs);
        for (const QString& text : texts) {
            ASSERT_TRUE(text.endsWith(QChar(13)) || text.endsWith(u("\r\a")));
        }
        const QStringList words = qt::wordTexts(*document);
        ASSERT_EQ(words.size(), whole->wordsCount());
        ASSERT_EQ(words.join(QString()), whole->text());

        // The copy the run works on, then one paragraph deleted from the middle.
        auto copy = application->documents().add();
        copy->content()->setFormattedText(*document->content()->formattedText());
        document->close();
        ASSERT_EQ(copy->range()->text(), texts.join(QString()));
        const qint64 count = copy->range()->paragraphsCount();
        auto middle = copy->range()->paragraph((count + 1) / 2);
        ASSERT_TRUE(middle);
        middle->deleteContent();
        EXPECT_EQ(middle->start(), middle->end());
        const QString expected = copy->range()->text();

        saved = QDir(folder.path()).filePath(u("saved.docx"));
        copy->saveAs(saved);
        EXPECT_EQ(qt::packageProblems(saved), QStringList());
        auto reopened = application->documents().open(saved);
        EXPECT_EQ(reopened->range()->text(), expected);
    } catch (const engine::HostError& error) {
        FAIL() << error.what();
    }
    EXPECT_EQ(qt::checksum(path), before) << "the source changed";
}

std::vector<QString> corpus()
{
    const QStringList files = qt::corpusDocuments();
    return {files.begin(), files.end()};
}

std::string caseName(const ::testing::TestParamInfo<QString>& info)
{
    std::string name = QFileInfo(info.param).completeBaseName().toStdString();
    for (char& c : name) {
        if (!std::isalnum(static_cast<unsigned char>(c))) {
            c = '_';
        }
    }
    return name + "_" + std::to_string(info.index);
}

INSTANTIATE_TEST_SUITE_P(Corpus, CorpusTest, ::testing::ValuesIn(corpus()), caseName);
GTEST_ALLOW_UNINSTANTIATED_PARAMETERIZED_TEST(CorpusTest);

TEST(MalformedCorpus, EveryFileIsRefusedClearlyOrOpens)
{
    const QStringList files = qt::malformedDocuments();
    if (files.isEmpty()) {
        GTEST_SKIP() << qt::corpusMissingMessage().toStdString();
    }
    docx::DocxHostProvider provider;
    auto application = provider.newApplication();
    int opened = 0;
    for (const QString& path : files) {
        const QByteArray before = qt::checksum(path);
        try {
            auto document = application->documents().open(path);
            qt::paragraphTexts(*document);
            qt::wordTexts(*document);
            document->close();
            ++opened;
        } catch (const engine::HostError& error) {
            EXPECT_EQ(error.file(), path);
            EXPECT_FALSE(error.cause().isEmpty());
            EXPECT_TRUE(error.message().startsWith(path + u(": "))) << error.what();
            std::cout << "refused: " << error.what() << "\n";
        }
        EXPECT_EQ(qt::checksum(path), before);
    }
    // The two packages whose main part has an unusual name are valid and must open.
    EXPECT_GE(opened, 2);
}

TEST(MalformedCorpus, RenamedMainPartsOpenWithText)
{
    for (const char* name : {"docx2python-renamed_document_xml.docx", "docx-rs-table_word_online.docx"}) {
        const QString path = qt::corpusDirectory() + u("/malformed/") + u(name);
        if (!QFileInfo::exists(path)) {
            GTEST_SKIP() << qt::corpusMissingMessage().toStdString();
        }
        docx::DocxHostProvider provider;
        auto document = provider.newApplication()->documents().open(path);
        EXPECT_GT(document->range()->wordsCount(), 1) << name;
    }
}

} // namespace
