// SPDX-License-Identifier: GPL-3.0-or-later
// quillsift-cli over every document of the shared corpus, good and damaged, in both modes with
// two jobs: every file is cleaned into a valid copy or refused with an error that names it, the
// reports keep the input order, and no source changes. GoogleTest rather than Qt Test, whose
// watchdog would stop a run that converts old formats through LibreOffice on a busy machine.
#include "CliProcess.h"
#include "Corpus.h"
#include "docx/DocxFixture.h"

#include <QFileInfo>
#include <QHash>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace quillsift::testing;

class CliCorpusTest : public ::testing::TestWithParam<const char*>
{
};

TEST_P(CliCorpusTest, everyDocumentIsCleanedOrRefusedByName)
{
    const QStringList documents = corpusDocuments() + malformedDocuments();
    if (documents.isEmpty()) {
        GTEST_SKIP() << corpusMissingMessage().toStdString();
    }
    QHash<QString, QByteArray> sums;
    for (const QString& document : documents) {
        sums.insert(document, checksum(document));
    }
    QTemporaryDir output;
    ASSERT_TRUE(output.isValid());

    const CliResult result = runCli(
        QStringList{QString::fromLatin1(GetParam()), u("--json"), u("--jobs"), u("2"), u("--output"), output.path()} +
        documents);
    ASSERT_TRUE(result.exitCode == 0 || result.exitCode == 1) << result.transcript().toStdString();
    const QList<QJsonObject> reports = result.reports();
    ASSERT_EQ(reports.size(), documents.size()) << result.transcript().toStdString();
    int cleaned = 0;
    for (qsizetype i = 0; i < documents.size(); ++i) {
        const QJsonObject& report = reports[i];
        const std::string name = documents[i].toStdString();
        EXPECT_EQ(report[u("file")].toString(), documents[i]);
        if (report[u("error")].isNull()) {
            ++cleaned;
            const QString written = report[u("output")].toString();
            ASSERT_TRUE(QFileInfo(written).isFile()) << name;
            if (written.endsWith(u(".docx"))) {
                // Held against the source: what a source already has (parts in Word's [trash],
                // no default content type for .xml) is kept as it was, not made by the cleaning.
                QStringList problems = packageProblems(written);
                for (const QString& inherited : packageProblems(documents[i])) {
                    problems.removeAll(inherited);
                }
                EXPECT_EQ(problems.join(u("; ")).toStdString(), "") << name;
            }
            EXPECT_LE(report[u("paragraphs_after")].toInteger(), report[u("paragraphs_before")].toInteger()) << name;
        } else {
            EXPECT_TRUE(report[u("output")].isNull()) << name;
            EXPECT_TRUE(report[u("error")].toString().contains(QFileInfo(documents[i]).fileName()))
                << report[u("error")].toString().toStdString();
        }
        EXPECT_EQ(checksum(documents[i]), sums.value(documents[i])) << name;
    }
    EXPECT_EQ(result.exitCode, cleaned == documents.size() ? 0 : 1);
    std::cout << cleaned << " of " << documents.size() << " documents cleaned\n";
}

INSTANTIATE_TEST_SUITE_P(BothModes, CliCorpusTest, ::testing::Values("--lines", "--words"),
                         [](const auto& mode) { return std::string(mode.param + 2); });
