// SPDX-License-Identifier: GPL-3.0-or-later
// quillsift-cli run as a process, the way scripts use it: cleaning in both modes, output names,
// refusal to overwrite, dry runs, JSON reports, damaged files among good ones, usage errors.
#include "CliProcess.h"
#include "docx/DocxFixture.h"
#include "docx/TrackedReview.h"

#include "docx/DocxApplication.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include <cstdio>

#include <sys/stat.h>
#include <unistd.h>

using namespace quillsift;
using namespace quillsift::testing;

namespace {

QString paragraphXml(const QString& text)
{
    return u("<w:p><w:r><w:t xml:space=\"preserve\">") + text.toHtmlEscaped() + u("</w:t></w:r></w:p>");
}

/// Writes folder/name, creating the folder.
QString writeAt(const QString& folder, const QString& name, const QByteArray& bytes)
{
    QDir().mkpath(folder);
    return writeFile(folder, name, bytes);
}

/// Writes a Word document with one paragraph per text to folder/name, creating the folder.
QString writeDocx(const QString& folder, const QString& name, const QStringList& paragraphs)
{
    QString body;
    for (const QString& text : paragraphs) {
        body += paragraphXml(text);
    }
    return writeAt(folder, name, docxBytes(body));
}

/// The paragraphs of a written copy as the in-process host reads them, without their marks.
QStringList paragraphsOf(const QString& path)
{
    docx::DocxApplication application;
    const auto document = application.documents().open(path);
    QStringList texts = paragraphTexts(*document);
    document->close();
    for (QString& text : texts) {
        text.remove(QLatin1Char('\r'));
    }
    return texts;
}

QByteArray contents(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

class CliTest : public QObject
{
    Q_OBJECT

  private Q_SLOTS:
    void init()
    {
        m_folder = std::make_unique<QTemporaryDir>();
        QVERIFY(m_folder->isValid());
    }

    void cleansInEitherMode_data()
    {
        QTest::addColumn<QStringList>("modeArguments");
        QTest::addColumn<QStringList>("paragraphs");
        QTest::addColumn<QStringList>("expected");
        QTest::addColumn<QString>("summary");
        QTest::newRow("lines") << QStringList{u("--lines")} << QStringList{u("A"), u("B"), u("A"), u("B"), u("C")}
                               << QStringList{u("A"), u("B"), u("C")} << u("2 of 5 paragraphs removed");
        QTest::newRow("lines by default") << QStringList{} << QStringList{u("x"), u("X"), u("x ")}
                                          << QStringList{u("x"), u("X"), u("x ")} << u("0 of 3 paragraphs removed");
        QTest::newRow("words") << QStringList{u("--words")} << QStringList{u("the cat and the dog"), u("cat cats cat")}
                               << QStringList{u("the cat and  dog"), u(" cats ")} << u("3 of 10 words removed");
    }
    void cleansInEitherMode()
    {
        QFETCH(QStringList, modeArguments);
        QFETCH(QStringList, paragraphs);
        QFETCH(QStringList, expected);
        QFETCH(QString, summary);
        const QString source = writeDocx(path(u("in")), u("doc.docx"), paragraphs);
        const QByteArray before = checksum(source);

        const CliResult result = runCli(modeArguments + QStringList{u("--output"), path(u("out")), source});
        QVERIFY2(result.exitCode == 0, result.transcript());
        QVERIFY2(result.out.contains(summary.toUtf8()), result.transcript());
        QCOMPARE(paragraphsOf(path(u("out/doc.docx"))), expected);
        QCOMPARE(checksum(source), before);
    }

    void plainTextStaysText()
    {
        const QString source = writeFile(path({}), u("notes.txt"), "one\ntwo\none\ntwo\nthree\n");
        const CliResult result = runCli({u("--output"), u("out"), u("notes.txt")}, path({}));
        QVERIFY2(result.exitCode == 0, result.transcript());
        QCOMPARE(contents(path(u("out/notes.txt"))), QByteArray("one\ntwo\nthree\n"));
        QCOMPARE(QDir(path(u("out"))).entryList(QDir::Files), QStringList{u("notes.txt")});
    }

    void keepsRemovalsAsTrackedChanges()
    {
        const QString source = writeDocx(path(u("in")), u("doc.docx"), {u("A"), u("B"), u("A"), u("C")});
        writeFile(path(u("in")), u("notes.txt"), "one\none\ntwo\n");
        const QByteArray before = checksum(source);
        CliResult result = runCli({u("--track-changes"), u("--output"), u("out"), source, u("in/notes.txt")}, path({}));
        QVERIFY2(result.exitCode == 0, result.transcript());
        QCOMPARE(checksum(source), before);
        // The copy of plain text is a Word document too, as text holds no tracked changes.
        QCOMPARE(QDir(path(u("out"))).entryList(QDir::Files), (QStringList{u("doc.docx"), u("notes.docx")}));
        for (const QString& copy : {u("out/doc.docx"), u("out/notes.docx")}) {
            const QString xml = QString::fromUtf8(mainPartOf(path(copy)));
            QVERIFY2(xml.contains(QRegularExpression(u("<w:del w:id=\"\\d+\" w:author=\"Quillsift\" "
                                                       "w:date=\"20\\d\\d-\\d\\d-\\d\\dT\\d\\d:\\d\\d:\\d\\dZ\"><w:r>"
                                                       "<w:delText[^>]*>(A|one)</w:delText>"))),
                     qPrintable(xml));
            QVERIFY2(xml.contains(u("<w:rPr><w:del w:id=")), qPrintable(xml));
            QVERIFY(packageProblems(path(copy)).isEmpty());
        }

        result = runCli({u("--track-changes"), u("--host"), u("libreoffice"), u("--output"), u("out2"), source});
        QCOMPARE(result.exitCode, 2);
        QVERIFY2(result.err.contains("--track-changes needs the docx host"), result.transcript());
        QVERIFY(!QFileInfo::exists(path(u("out2"))));
    }

    void reportsFollowInputOrderAndNumberRepeatedNames()
    {
        // Different sizes, so that with two jobs later files often finish first.
        QStringList sources;
        QStringList expectedNames;
        for (int i = 0; i < 12; ++i) {
            QStringList paragraphs;
            for (int n = 0; n < (i % 3 == 0 ? 3000 : 2); ++n) {
                paragraphs << u("line %1").arg(n % 50);
            }
            const QString name = i % 4 == 3 ? u("Report.docx") : u("report.docx");
            sources << writeDocx(path(u("in%1").arg(i)), name, paragraphs);
            expectedNames << (i == 0 ? u("report.docx") : u("%1 (%2).docx").arg(name.left(6)).arg(i + 1));
        }
        sources << writeAt(path(u("in12")), u("report.txt"), "a\n") << writeDocx(path(u("in13")), u(".docx"), {u("a")})
                << writeDocx(path(u("in14")), u("report (2).docx"), {u("a")});
        expectedNames << u("report.txt") << u(".docx.docx") << u("report (2) (2).docx");

        const CliResult result =
            runCli(QStringList{u("--json"), u("--jobs"), u("2"), u("--output"), u("out")} + sources, path({}));
        QVERIFY2(result.exitCode == 0, result.transcript());
        const QList<QJsonObject> reports = result.reports();
        QCOMPARE(reports.size(), sources.size());
        for (qsizetype i = 0; i < sources.size(); ++i) {
            QCOMPARE(reports[i][u("file")].toString(), sources[i]);
            QCOMPARE(reports[i][u("output")].toString(), u("out/") + expectedNames[i]);
            QVERIFY(QFile::exists(path(u("out/") + expectedNames[i])));
        }
        QCOMPARE(reports[0][u("removed")].toInt(), 2950);
    }

    void jsonReportHasEveryField()
    {
        const QString source = writeDocx(path({}), u("a.docx"), {u("one two one"), u("one two one"), u("three")});
        for (const QString& mode : {u("lines"), u("words")}) {
            const CliResult result =
                runCli({u("--json"), u("--") + mode, u("--output"), u("out-") + mode, u("a.docx")}, path({}));
            QVERIFY2(result.exitCode == 0, result.transcript());
            // The documented order, which a person reading a log relies on.
            QVERIFY2(result.out.startsWith("{\"file\":\"a.docx\",\"output\":\"out-" + mode.toUtf8() +
                                           "/a.docx\",\"mode\":\"" + mode.toUtf8() +
                                           "\",\"paragraphs_before\":3,\"paragraphs_after\":"),
                     result.out);
            const QJsonObject report = result.reports().value(0);
            QCOMPARE(report.keys().size(), 11);
            QVERIFY(report[u("error")].isNull());
            QVERIFY(report[u("repairs")].isArray() && report[u("repairs")].toArray().isEmpty());
            QVERIFY(report[u("seconds")].isDouble() && report[u("seconds")].toDouble() >= 0);
            QCOMPARE(report[u("words_before")].toInt(), 10);
            if (mode == u("lines")) {
                QCOMPARE(report[u("paragraphs_after")].toInt(), 2);
                QCOMPARE(report[u("removed")].toInt(), 1);
                QCOMPARE(report[u("words_after")].toInt(), 6);
            } else {
                // "one" twice and "two" twice go; their spaces stay.
                QCOMPARE(report[u("paragraphs_after")].toInt(), 3);
                QCOMPARE(report[u("removed")].toInt(), 4);
                QCOMPARE(paragraphsOf(path(u("out-words/a.docx"))), (QStringList{u("one two "), u("  "), u("three")}));
            }
        }
    }

    void neverOverwritesWithoutForceNorAnInputEver()
    {
        const QString first = writeDocx(path(u("in")), u("a.docx"), {u("A"), u("A")});
        const QString second = writeDocx(path(u("in")), u("b.docx"), {u("B"), u("B")});
        writeAt(path(u("out")), u("a.docx"), "someone's file");

        CliResult result = runCli({u("--output"), u("out"), first, second}, path({}));
        QCOMPARE(result.exitCode, 1);
        QVERIFY2(result.err.contains("out/a.docx: the file already exists"), result.transcript());
        QCOMPARE(contents(path(u("out/a.docx"))), QByteArray("someone's file"));
        QCOMPARE(paragraphsOf(path(u("out/b.docx"))), (QStringList{u("B"), QString()}));

        result = runCli({u("--force"), u("--output"), u("out"), first, second}, path({}));
        QVERIFY2(result.exitCode == 0, result.transcript());
        QCOMPARE(paragraphsOf(path(u("out/a.docx"))), (QStringList{u("A"), QString()}));

        // Writing into the sources' own folder, directly and through a link, even with --force.
        const QByteArray before = checksum(first);
        QVERIFY(QDir().mkpath(path(u("linked"))));
        QVERIFY(QFile::link(first, path(u("linked/a.docx"))));
        for (const QString& folder : {u("in"), u("linked")}) {
            result = runCli({u("--force"), u("--json"), u("--output"), folder, first}, path({}));
            QCOMPARE(result.exitCode, 1);
            QVERIFY2(result.reports().value(0)[u("error")].toString().contains(u("one of the input files")),
                     result.transcript());
            QCOMPARE(checksum(first), before);
        }
        QCOMPARE(QDir(path(u("in"))).entryList(QDir::Files | QDir::Hidden).size(), 2);
    }

    void dryRunWritesNothing()
    {
        const QString source = writeDocx(path({}), u("a.docx"), {u("A"), u("B"), u("A")});
        const CliResult result =
            runCli({u("--dry-run"), u("--json"), u("--output"), u("out/deep"), u("a.docx")}, path({}));
        QVERIFY2(result.exitCode == 0, result.transcript());
        const QJsonObject report = result.reports().value(0);
        QCOMPARE(report[u("output")].toString(), u("out/deep/a.docx"));
        QCOMPARE(report[u("removed")].toInt(), 1);
        QVERIFY(!QFileInfo::exists(path(u("out"))));
        QCOMPARE(QDir(path({})).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
                 QStringList{u("a.docx")});
    }

    void damagedFilesFailAloneAndAreNamed()
    {
        const QByteArray good = docxBytes(paragraphXml(u("A")) + paragraphXml(u("A")));
        writeFile(path({}), u("good1.docx"), good);
        writeFile(path({}), u("garbage.docx"), "this is not a zip package");
        writeFile(path({}), u("truncated.docx"), good.left(good.size() / 2));
        writeFile(path({}), u("good2.docx"), good);
        QVERIFY(QDir().mkpath(path(u("folder.docx"))));
        // A pipe nobody writes to would block a reader for ever.
        QCOMPARE(::mkfifo(QFile::encodeName(path(u("pipe.docx"))).constData(), 0600), 0);
        const QStringList files{u("good1.docx"),  u("garbage.docx"), u("truncated.docx"), u("missing.docx"),
                                u("folder.docx"), u("pipe.docx"),    u("good2.docx")};

        CliResult result =
            runCli(QStringList{u("--json"), u("--jobs"), u("2"), u("--output"), u("out")} + files, path({}));
        QCOMPARE(result.exitCode, 1);
        const QList<QJsonObject> reports = result.reports();
        QCOMPARE(reports.size(), files.size());
        for (qsizetype i = 0; i < files.size(); ++i) {
            const bool isGood = files[i].startsWith(u("good"));
            QCOMPARE(reports[i][u("error")].isNull(), isGood);
            QCOMPARE(reports[i][u("output")].isNull(), !isGood);
            QVERIFY2(isGood || reports[i][u("error")].toString().contains(files[i]), result.transcript());
            QCOMPARE(QFileInfo::exists(path(u("out/") + files[i])), isGood);
        }
        // The last paragraph of a document cannot go; it stays, emptied.
        QCOMPARE(paragraphsOf(path(u("out/good2.docx"))), (QStringList{u("A"), QString()}));

        // Without --json: the good files on standard output, each failure on standard error.
        result = runCli(QStringList{u("--force"), u("--output"), u("out")} + files, path({}));
        QCOMPARE(result.exitCode, 1);
        QCOMPARE(result.out.count('\n'), 2);
        QCOMPARE(result.err.count('\n'), 5);
        QVERIFY2(result.err.contains("garbage.docx: failed: ") && result.err.contains("truncated.docx"),
                 result.transcript());
    }

    void unwritableOutputFailsEveryFile()
    {
        const QString source = writeDocx(path({}), u("a.docx"), {u("A")});
        writeFile(path({}), u("occupied"), "a file, not a folder");
        const CliResult result = runCli({u("--json"), u("--output"), u("occupied"), u("a.docx")}, path({}));
        QCOMPARE(result.exitCode, 1);
        QVERIFY2(result.reports().value(0)[u("error")].toString().contains(u("occupied")), result.transcript());
    }

    void hostThatCannotStartIsNamedForEveryFile()
    {
        writeDocx(path({}), u("a.docx"), {u("A")});
        writeDocx(path({}), u("b.docx"), {u("B")});
        const QByteArray saved = qgetenv("QUILLSIFT_SOFFICE");
        qputenv("QUILLSIFT_SOFFICE", path(u("no-such-soffice")).toUtf8());
        const CliResult result = runCli(
            {u("--json"), u("--host"), u("libreoffice"), u("--output"), u("out"), u("a.docx"), u("b.docx")}, path({}));
        saved.isNull() ? qunsetenv("QUILLSIFT_SOFFICE") : qputenv("QUILLSIFT_SOFFICE", saved);
        QCOMPARE(result.exitCode, 1);
        const auto reports = result.reports();
        QCOMPARE(reports.size(), 2);
        for (const auto& report : reports) {
            const QString error = report[u("error")].toString();
            QVERIFY2(error.contains(u("the document host could not be started: ")) && error.contains(u("soffice")),
                     result.transcript());
        }
    }

    void usageErrors_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::newRow("nothing") << QStringList{};
        QTest::newRow("no output") << QStringList{u("a.docx")};
        QTest::newRow("no file") << QStringList{u("--output"), u("out")};
        QTest::newRow("both modes") << QStringList{u("--lines"), u("--words"), u("--output"), u("out"), u("a.docx")};
        QTest::newRow("zero jobs") << QStringList{u("--jobs"), u("0"), u("--output"), u("out"), u("a.docx")};
        QTest::newRow("jobs not a number") << QStringList{u("--jobs"), u("two"), u("--output"), u("o"), u("a.docx")};
        QTest::newRow("unknown option") << QStringList{u("--recursive"), u("--output"), u("out"), u("a.docx")};
        QTest::newRow("output twice") << QStringList{u("--output"), u("x"), u("--output"), u("y"), u("a.docx")};
        QTest::newRow("output without value") << QStringList{u("a.docx"), u("--output")};
    }
    void usageErrors()
    {
        QFETCH(QStringList, arguments);
        writeDocx(path({}), u("a.docx"), {u("A")});
        const CliResult result = runCli(arguments, path({}));
        QCOMPARE(result.exitCode, 2);
        QVERIFY(result.out.isEmpty());
        const QList<QByteArray> lines = result.err.trimmed().split('\n');
        QCOMPARE(lines.size(), 2);
        QVERIFY2(lines[0].startsWith("quillsift-cli: "), result.err);
        QVERIFY2(lines[1].startsWith("Usage: quillsift-cli [--lines | --words] --output DIR"), result.err);
        QVERIFY(!QFileInfo::exists(path(u("out"))));
    }

    void helpAndVersion()
    {
        CliResult result = runCli({u("--help")});
        QCOMPARE(result.exitCode, 0);
        QVERIFY(result.out.startsWith("Usage: quillsift-cli [--lines | --words] --output DIR"));
        QVERIFY(result.out.contains("--jobs <N>"));
        QVERIFY(result.out.contains("goes after \"--\""));
        result = runCli({u("--version")});
        QCOMPARE(result.exitCode, 0);
        QVERIFY2(result.out.startsWith("quillsift-cli "), result.out);
    }

    void namesStartingWithADashFollowTheEndOfOptions()
    {
        writeDocx(path({}), u("-dash.docx"), {u("A"), u("A"), u("B")});
        const CliResult refused = runCli({u("--output"), u("out"), u("-dash.docx")}, path({}));
        QCOMPARE(refused.exitCode, 2);
        const CliResult result = runCli({u("--output"), u("out"), u("--"), u("-dash.docx")}, path({}));
        QVERIFY2(result.exitCode == 0, result.transcript());
        QCOMPARE(paragraphsOf(path(u("out/-dash.docx"))), (QStringList{u("A"), u("B")}));
    }

    void namesThatAreNotUtf8AreOpenedAndShownEscaped()
    {
        // A name in Latin-1, as old archives hold them; the shell passes its bytes untouched.
        const QByteArray name("caf\xE9.docx");
        const QByteArray full = QFile::encodeName(path({})) + '/' + name;
        const QByteArray bytes = docxBytes(paragraphXml(u("A")) + paragraphXml(u("A")) + paragraphXml(u("B")));
        FILE* out = std::fopen(full.constData(), "wb");
        QVERIFY(out);
        std::fwrite(bytes.constData(), 1, size_t(bytes.size()), out);
        std::fclose(out);
        QProcess shell;
        shell.setWorkingDirectory(path({}));
        shell.start(u("/bin/sh"), {u("-c"), u("exec \"$0\" --json --output out \"$(printf 'caf\\351.docx')\""),
                                   QStringLiteral(QUILLSIFT_CLI_PATH)});
        QVERIFY(shell.waitForFinished(60000));
        const QByteArray report = shell.readAllStandardOutput();
        ::unlink(full.constData());
        QVERIFY2(shell.exitCode() == 0, report + shell.readAllStandardError());
        const QJsonObject json = QJsonDocument::fromJson(report).object();
        QCOMPARE(json[u("file")].toString(), u("caf\\xE9.docx"));
        // The copy's name is UTF-8, the byte that was not made U+FFFD.
        QCOMPARE(json[u("output")].toString(), u("out/caf\uFFFD.docx"));
        QCOMPARE(paragraphsOf(path(u("out/caf\uFFFD.docx"))), (QStringList{u("A"), u("B")}));
    }

    void repairsAreReportedWithTheirFile()
    {
        const QByteArray forbidden = "<w:p><w:r><w:t>a\x01"
                                     "b</w:t></w:r></w:p>";
        writeAt(path({}), u("odd.docx"), docxBytes(QString::fromLatin1(forbidden)));
        const CliResult json = runCli({u("--json"), u("--output"), u("out"), u("odd.docx")}, path({}));
        QVERIFY2(json.exitCode == 0, json.transcript());
        const QJsonArray repairs = json.reports().value(0)[u("repairs")].toArray();
        QCOMPARE(repairs.size(), 1);
        QVERIFY(repairs[0].toString().contains(u("the part word/document.xml held 1 character(s) that XML does not "
                                                 "allow")));
        const CliResult human = runCli({u("--force"), u("--output"), u("out"), u("odd.docx")}, path({}));
        QVERIFY2(human.err.contains("odd.docx: repaired: the part word/document.xml"), human.transcript());
        QCOMPARE(paragraphsOf(path(u("out/odd.docx"))), QStringList{u("ab")});
    }

  private:
    QString path(const QString& relative) const
    {
        return relative.isEmpty() ? m_folder->path() : m_folder->filePath(relative);
    }

    std::unique_ptr<QTemporaryDir> m_folder;
};

QTEST_GUILESS_MAIN(CliTest)
#include "CliTest.moc"
