// SPDX-License-Identifier: GPL-3.0-or-later
// What `cmake --install` puts under a prefix, checked the way a desktop and a shell use it: the
// executables and their versions, the window listing the files its command line names, the menu
// entry and metainfo (through the desktop's own validators where installed), the icons, the
// manual pages and the bash completion.
#include <QDir>
#include <QImage>
#include <QMimeDatabase>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

namespace {

struct Ran {
    int exitCode = -1;
    QString out;
    QString err;
};

Ran run(const QString& program, const QStringList& arguments, const QString& workingDirectory = {},
        const QProcessEnvironment& environment = QProcessEnvironment::systemEnvironment())
{
    QProcess process;
    process.setProcessEnvironment(environment);
    if (!workingDirectory.isEmpty()) {
        process.setWorkingDirectory(workingDirectory);
    }
    process.start(program, arguments);
    Ran result;
    if (!process.waitForFinished(120000) || process.exitStatus() != QProcess::NormalExit) {
        process.kill();
        process.waitForFinished();
        result.err = QStringLiteral("%1 did not finish: %2").arg(program, process.errorString());
        return result;
    }
    result.exitCode = process.exitCode();
    result.out = QString::fromUtf8(process.readAllStandardOutput());
    result.err = QString::fromUtf8(process.readAllStandardError());
    return result;
}

/// The long options a program's --help lists, such as "--output".
QStringList longOptions(const QString& help)
{
    QStringList options;
    static const QRegularExpression option(QStringLiteral("^  (--[a-z-]+)"), QRegularExpression::MultilineOption);
    for (auto it = option.globalMatch(help); it.hasNext();) {
        options << it.next().captured(1);
    }
    return options;
}

QString readFile(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

} // namespace

class InstallTest : public QObject
{
    Q_OBJECT

  private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(m_prefix.isValid());
        const Ran installed =
            run(QStringLiteral(QUILLSIFT_CMAKE), {"--install", QUILLSIFT_BINARY_DIR, "--prefix", m_prefix.path()});
        QVERIFY2(installed.exitCode == 0, qPrintable(installed.out + installed.err));
    }

    void layout()
    {
        const QStringList expected{
            "bin/quillsift",
            "bin/quillsift-cli",
            "share/quillsift/HAND-M.CUR",
            "share/quillsift/drag.ico",
            "share/applications/quillsift.desktop",
            "share/metainfo/org.quillsift.Quillsift.metainfo.xml",
            "share/icons/hicolor/scalable/apps/quillsift.svg",
            "share/man/man1/quillsift.1.gz",
            "share/man/man1/quillsift-cli.1.gz",
            "share/bash-completion/completions/quillsift-cli",
            "share/doc/quillsift/copyright",
            "share/doc/quillsift/changelog.gz",
        };
        for (const QString& path : expected) {
            QVERIFY2(QFileInfo(m_prefix.filePath(path)).isFile(), qPrintable(path));
        }
        QVERIFY(QFileInfo(m_prefix.filePath("bin/quillsift")).isExecutable());
    }

    void versions()
    {
        // No display: the version must not wait for one.
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.remove("DISPLAY");
        environment.remove("WAYLAND_DISPLAY");
        environment.remove("QT_QPA_PLATFORM");
        for (const QString program : {"quillsift", "quillsift-cli"}) {
            const Ran ran = run(m_prefix.filePath("bin/" + program), {"--version"}, {}, environment);
            QCOMPARE(ran.exitCode, 0);
            QCOMPARE(ran.out, program + " " QUILLSIFT_VERSION "\n");
        }
    }

    void windowListsItsFileArguments()
    {
        QTemporaryDir folder;
        QVERIFY(QDir(folder.path()).mkdir("sub"));
        for (const QString name : {"notes.txt", "sub/report one.docx"}) {
            QFile file(folder.filePath(name));
            QVERIFY(file.open(QIODevice::WriteOnly));
        }
        const Ran ran = run(m_prefix.filePath("bin/quillsift"),
                            {"-platform", "offscreen", "--print-list", "sub/report one.docx", "gone.docx", "notes.txt"},
                            folder.path());
        QVERIFY2(ran.exitCode == 0, qPrintable(ran.err));
        QCOMPARE(ran.out, folder.filePath("sub/report one.docx") + "\n" + folder.filePath("notes.txt") + "\n");
        QVERIFY2(ran.err.contains(folder.filePath("gone.docx") + ": no such file"), qPrintable(ran.err));
    }

    void desktopEntryOpensWhatTheProgramReads()
    {
        const QString entry = readFile(m_prefix.filePath("share/applications/quillsift.desktop"));
        QVERIFY(entry.contains(QRegularExpression("^Exec=quillsift %F$", QRegularExpression::MultilineOption)));
        const QRegularExpressionMatch types =
            QRegularExpression("^MimeType=(.*)$", QRegularExpression::MultilineOption).match(entry);
        QVERIFY(types.hasMatch());
        const QStringList declared = types.captured(1).split(';', Qt::SkipEmptyParts);
        // Named as the desktop's MIME database names them, or the file manager offers nothing.
        const QMimeDatabase database;
        for (const QString extension : {"docx", "docm", "dotx", "dotm", "txt", "doc", "rtf", "odt"}) {
            const QMimeType type = database.mimeTypeForFile("x." + extension, QMimeDatabase::MatchExtension);
            QVERIFY2(declared.contains(type.name()), qPrintable(extension + " is " + type.name()));
        }
    }

    void desktopEntryValidates()
    {
        const QString validator = QStandardPaths::findExecutable("desktop-file-validate");
        if (validator.isEmpty()) {
            QSKIP("desktop-file-validate is not installed (desktop-file-utils)");
        }
        const Ran ran = run(validator, {m_prefix.filePath("share/applications/quillsift.desktop")});
        QVERIFY2(ran.exitCode == 0 && ran.out.isEmpty(), qPrintable(ran.out + ran.err));
    }

    void metainfoValidatesAndNamesThisRelease()
    {
        const QString path = m_prefix.filePath("share/metainfo/org.quillsift.Quillsift.metainfo.xml");
        const QString metainfo = readFile(path);
        QVERIFY(metainfo.contains("<release version=\"" QUILLSIFT_VERSION "\""));
        QVERIFY(metainfo.contains("<launchable type=\"desktop-id\">quillsift.desktop</launchable>"));
        const QString validator = QStandardPaths::findExecutable("appstreamcli");
        if (validator.isEmpty()) {
            QSKIP("appstreamcli is not installed (appstream)");
        }
        const Ran ran = run(validator, {"validate", "--no-net", path});
        QVERIFY2(ran.exitCode == 0, qPrintable(ran.out + ran.err));
    }

    void iconSizes()
    {
        for (const int size : {16, 22, 24, 32, 48, 64, 128, 256}) {
            const QString path =
                m_prefix.filePath(QStringLiteral("share/icons/hicolor/%1x%1/apps/quillsift.png").arg(size));
            const QImage icon(path);
            QVERIFY2(!icon.isNull(), qPrintable(path));
            QCOMPARE(icon.size(), QSize(size, size));
        }
    }

    void manualPagesDescribeEveryOption_data()
    {
        QTest::addColumn<QString>("program");
        QTest::newRow("quillsift") << "quillsift";
        QTest::newRow("quillsift-cli") << "quillsift-cli";
    }

    void manualPagesDescribeEveryOption()
    {
        QFETCH(QString, program);
        const Ran help = run(m_prefix.filePath("bin/" + program), {"--help"});
        const QStringList options = longOptions(help.out);
        QVERIFY2(options.size() >= 3, qPrintable(help.out));
        const Ran page = run("gzip", {"-dc", m_prefix.filePath("share/man/man1/" + program + ".1.gz")});
        QCOMPARE(page.exitCode, 0);
        QVERIFY(page.out.contains(".TH " + program.toUpper() + " 1 "));
        QVERIFY(page.out.contains("\"Quillsift " QUILLSIFT_VERSION "\""));
        for (const QString& option : options) {
            // troff spells each hyphen of an option \-.
            QString spelt = option;
            spelt.replace("-", "\\-");
            QVERIFY2(page.out.contains(".B " + spelt) || page.out.contains(".BI " + spelt),
                     qPrintable(option + " is not described"));
        }
    }

    void bashCompletesEveryOption()
    {
        const QString bash = QStandardPaths::findExecutable("bash");
        if (bash.isEmpty()) {
            QSKIP("bash is not installed");
        }
        const QString script = m_prefix.filePath("share/bash-completion/completions/quillsift-cli");
        auto complete = [&](const QString& line) {
            const QString command =
                QStringLiteral("source \"$0\"; COMP_WORDS=(%1); COMP_CWORD=$((${#COMP_WORDS[@]} - 1)); "
                               "_quillsift_cli; printf '%s\\n' \"${COMPREPLY[@]}\"")
                    .arg(line);
            const Ran ran = run(bash, {"-c", command, script});
            return ran.out.split('\n', Qt::SkipEmptyParts);
        };
        QStringList offered = complete("quillsift-cli --");
        QStringList listed = longOptions(run(m_prefix.filePath("bin/quillsift-cli"), {"--help"}).out);
        offered.sort();
        listed.sort();
        QCOMPARE(offered, listed);
        QCOMPARE(complete("quillsift-cli --host ''"), (QStringList{"docx", "libreoffice"}));
        QCOMPARE(complete("quillsift-cli --wo"), QStringList{"--words"});
    }

  private:
    QTemporaryDir m_prefix;
};

QTEST_GUILESS_MAIN(InstallTest)
#include "InstallTest.moc"
