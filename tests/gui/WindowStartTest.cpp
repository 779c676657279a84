// SPDX-License-Identifier: GPL-3.0-or-later
// Where the window finds its pointer images: beside the executable or in the installed data folder.
#include "main_window/Form1.h"
#include "platform/ProgramFiles.h"
#include "platform/testing/TestServices.h"

#include <QTemporaryDir>
#include <QtTest>

using namespace quillsift;
using platform::testing::TestServices;

class WindowStartTest : public QObject
{
    Q_OBJECT

  private Q_SLOTS:
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
        main_window::Form1 form;
        QVERIFY(form.mouseIcon().has_value());
    }
};

QTEST_MAIN(WindowStartTest)
#include "WindowStartTest.moc"
