// SPDX-License-Identifier: GPL-3.0-or-later
// The window's start from a command line: reading the arguments, listing the files they name, and
// finding the pointer images beside the executable or in the installed data folder.
#include "main_window/WindowStart.h"
#include "file_list/FileList.h"
#include "main_window/Form1.h"
#include "main_window/RunHost.h"
#include "main_window/StartOptions.h"
#include "platform/ProgramFiles.h"
#include "platform/testing/TestServices.h"

#include <QTemporaryDir>
#include <QtTest>

#include <cstdio>
#include <memory>

using namespace quillsift;
using main_window::StartOptions;
using platform::testing::TestServices;

namespace {

/// A stream the code under test writes to, read back as text.
class CapturedStream
{
  public:
    CapturedStream()
        : m_file(std::tmpfile(), &std::fclose)
    {
    }
    std::FILE* get() const
    {
        return m_file.get();
    }
    QString text() const
    {
        std::fflush(m_file.get());
        std::rewind(m_file.get());
        QByteArray bytes;
        char buffer[512];
        size_t read = 0;
        while ((read = std::fread(buffer, 1, sizeof buffer, m_file.get())) > 0) {
            bytes.append(buffer, qsizetype(read));
        }
        return QString::fromUtf8(bytes);
    }

  private:
    std::unique_ptr<std::FILE, int (*)(std::FILE*)> m_file;
};

QStringList entries(const main_window::Form1& form)
{
    QStringList result;
    for (int i = 1; i <= form.entryCount(); ++i) {
        result << form.entryText(i);
    }
    return result;
}

} // namespace

/// The window's command line and start: options read, files listed, pointer images found. Each case
/// owns its window, its doubles and the streams it captures.
class WindowStartTest : public QObject
{
    Q_OBJECT

  private Q_SLOTS:
    void fileArguments_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QStringList>("files");
        QTest::newRow("relative, in order") << QStringList{"b.docx", "sub/a.txt", "b.docx"}
                                            << QStringList{"/work/b.docx", "/work/sub/a.txt", "/work/b.docx"};
        QTest::newRow("absolute, cleaned") << QStringList{"/x/./y/../z.docx"} << QStringList{"/x/z.docx"};
        QTest::newRow("a parent folder") << QStringList{"../up.docm"} << QStringList{"/up.docm"};
        QTest::newRow("file: address") << QStringList{"file:///x/my%20notes.docx"} << QStringList{"/x/my notes.docx"};
        QTest::newRow("folder with a trailing slash") << QStringList{"/x/folder/"} << QStringList{"/x/folder"};
        QTest::newRow("names after -- that look like options")
            << QStringList{"--", "-a.docx", "--print-list"} << QStringList{"/work/-a.docx", "/work/--print-list"};
        QTest::newRow("an empty argument names nothing") << QStringList{"", "a.txt"} << QStringList{"/work/a.txt"};
        QTest::newRow("no files") << QStringList{} << QStringList{};
    }

    void fileArguments()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QStringList, files);
        const StartOptions options = main_window::parseStartOptions(QStringList{"quillsift"} + arguments, "/work");
        QCOMPARE(options.action, StartOptions::Action::Start);
        QCOMPARE(options.files, files);
        QVERIFY(!options.printList);
    }

    void actions_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<StartOptions::Action>("action");
        QTest::addColumn<bool>("printList");
        QTest::newRow("help") << QStringList{"--help", "a.docx"} << StartOptions::Action::ShowHelp << false;
        QTest::newRow("version") << QStringList{"--version"} << StartOptions::Action::ShowVersion << false;
        QTest::newRow("print list") << QStringList{"a.docx", "--print-list"} << StartOptions::Action::Start << true;
        QTest::newRow("unknown option") << QStringList{"--bogus", "a.docx"} << StartOptions::Action::UsageError
                                        << false;
        QTest::newRow("Qt's option left in")
            << QStringList{"-platform", "offscreen"} << StartOptions::Action::UsageError << false;
    }

    void actions()
    {
        QFETCH(QStringList, arguments);
        QFETCH(StartOptions::Action, action);
        QFETCH(bool, printList);
        const StartOptions options = main_window::parseStartOptions(QStringList{"quillsift"} + arguments, "/work");
        QCOMPARE(options.action, action);
        QCOMPARE(options.printList, printList);
        QCOMPARE(options.error.isEmpty(), action != StartOptions::Action::UsageError);
    }

    void filesAreListedAsDropped()
    {
        TestServices services;
        services.fileSystem.times.insert("/d/one.docx", QDateTime::currentDateTime());
        services.fileSystem.times.insert("/d/two.txt", QDateTime::currentDateTime());
        main_window::Form1 form(main_window::inProcessHost(), services.bundle());
        form.fileList().append("/d/first.docx");
        StartOptions options;
        options.files = QStringList{"/d/two.txt", "/d/gone.docx", "/d/one.docx", "/d/two.txt"};
        CapturedStream out;
        CapturedStream err;
        main_window::showWindow(form, options, services.fileSystem, services.messageBox, out.get(), err.get());
        QVERIFY(QTest::qWaitForWindowExposed(&form));

        // Appended after what is there, in the order given, repeats kept; the missing one left out.
        QCOMPARE(entries(form), (QStringList{"/d/first.docx", "/d/two.txt", "/d/one.docx", "/d/two.txt"}));
        QCOMPARE(err.text(), QStringLiteral("quillsift: /d/gone.docx: no such file; not added to the list\n"));
        QTRY_COMPARE(services.messageBox.shown.size(), 1);
        QVERIFY(services.messageBox.shown.first().text.endsWith("do not exist:\n/d/gone.docx"));
        QVERIFY(out.text().isEmpty());
    }

    void printListPrintsEntriesWithoutABox()
    {
        TestServices services;
        services.fileSystem.times.insert("/d/ä b.docx", QDateTime::currentDateTime());
        main_window::Form1 form(main_window::inProcessHost(), services.bundle());
        StartOptions options;
        options.printList = true;
        options.files = QStringList{"/d/ä b.docx", "/d/gone.docx"};
        CapturedStream out;
        CapturedStream err;
        main_window::showWindow(form, options, services.fileSystem, services.messageBox, out.get(), err.get());
        QTRY_COMPARE(out.text(), QStringLiteral("/d/ä b.docx\n"));
        QVERIFY(err.text().contains("/d/gone.docx"));
        QTest::qWait(20);
        QVERIFY(services.messageBox.shown.isEmpty());
    }

    void pointerImageLookup_data()
    {
        QTest::addColumn<bool>("beside");
        QTest::addColumn<bool>("installed");
        QTest::addColumn<QString>("found");
        QTest::newRow("beside the executable first") << true << true << "/opt/bin/HAND-M.CUR";
        QTest::newRow("then in the data folder") << false << true << "/opt/share/quillsift/HAND-M.CUR";
        QTest::newRow("neither: where it always was") << false << false << "/opt/bin/HAND-M.CUR";
    }

    void pointerImageLookup()
    {
        QFETCH(bool, beside);
        QFETCH(bool, installed);
        QFETCH(QString, found);
        TestServices services;
        services.process.folder = "/opt/bin";
        services.process.dataDir = "/opt/share/quillsift";
        if (beside) {
            services.fileSystem.times.insert("/opt/bin/HAND-M.CUR", QDateTime::currentDateTime());
        }
        if (installed) {
            services.fileSystem.times.insert("/opt/share/quillsift/HAND-M.CUR", QDateTime::currentDateTime());
        }
        QCOMPARE(platform::locateProgramFile(services.process, services.fileSystem, "HAND-M.CUR"), found);
    }

    void installedHandPointerIsLoaded()
    {
        TestServices services;
        QTemporaryDir root;
        QVERIFY(QDir(root.path()).mkpath("bin") && QDir(root.path()).mkpath("share/quillsift"));
        services.process.folder = root.filePath("bin");
        services.process.dataDir = root.filePath("share/quillsift");
        const QString hand = root.filePath("share/quillsift/HAND-M.CUR");
        QVERIFY(QFile::copy(QStringLiteral(QUILLSIFT_RESOURCES_DIR "/HAND-M.CUR"), hand));
        services.fileSystem.times.insert(hand, QDateTime::currentDateTime());
        main_window::Form1 form(main_window::inProcessHost(), services.bundle());
        QVERIFY(form.mouseIcon().has_value());
    }
};

QTEST_MAIN(WindowStartTest)
#include "WindowStartTest.moc"
