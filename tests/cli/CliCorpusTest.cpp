// SPDX-License-Identifier: GPL-3.0-or-later
// quillsift-cli over every document of the shared corpus, good and damaged, in both modes with
// two jobs: every file is cleaned into a valid copy or refused with an error that names it, the
// reports keep the input order, and no source changes.
#include "CliProcess.h"
#include "Corpus.h"
#include "docx/DocxFixture.h"

#include <QFileInfo>
#include <QHash>
#include <QTemporaryDir>
#include <QTest>

using namespace quillsift::testing;

class CliCorpusTest : public QObject
{
    Q_OBJECT

  private Q_SLOTS:
    void everyDocument_data()
    {
        QTest::addColumn<QString>("mode");
        QTest::newRow("lines") << u("--lines");
        QTest::newRow("words") << u("--words");
    }
    void everyDocument()
    {
        QFETCH(QString, mode);
        const QStringList documents = corpusDocuments() + malformedDocuments();
        if (documents.isEmpty()) {
            QSKIP(qPrintable(corpusMissingMessage()));
        }
        QHash<QString, QByteArray> sums;
        for (const QString& document : documents) {
            sums.insert(document, checksum(document));
        }
        QTemporaryDir output;
        QVERIFY(output.isValid());

        const CliResult result =
            runCli(QStringList{mode, u("--json"), u("--jobs"), u("2"), u("--output"), output.path()} + documents);
        QVERIFY2(result.exitCode == 0 || result.exitCode == 1, result.transcript());
        const QList<QJsonObject> reports = result.reports();
        QCOMPARE(reports.size(), documents.size());
        int cleaned = 0;
        for (qsizetype i = 0; i < documents.size(); ++i) {
            const QJsonObject& report = reports[i];
            QCOMPARE(report[u("file")].toString(), documents[i]);
            if (report[u("error")].isNull()) {
                ++cleaned;
                const QString written = report[u("output")].toString();
                QVERIFY2(QFileInfo(written).isFile(), qPrintable(documents[i]));
                if (written.endsWith(u(".docx"))) {
                    const QStringList problems = packageProblems(written);
                    QVERIFY2(problems.isEmpty(), qPrintable(documents[i] + u(": ") + problems.join(u("; "))));
                }
                QVERIFY(report[u("paragraphs_after")].toInteger() <= report[u("paragraphs_before")].toInteger());
            } else {
                QVERIFY(report[u("output")].isNull());
                QVERIFY2(report[u("error")].toString().contains(QFileInfo(documents[i]).fileName()),
                         qPrintable(report[u("error")].toString()));
            }
            QCOMPARE(checksum(documents[i]), sums.value(documents[i]));
        }
        QCOMPARE(result.exitCode, cleaned == documents.size() ? 0 : 1);
        qInfo("%d of %d documents cleaned", cleaned, int(documents.size()));
    }
};

QTEST_GUILESS_MAIN(CliCorpusTest)
#include "CliCorpusTest.moc"
