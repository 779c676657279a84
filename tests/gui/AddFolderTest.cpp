// SPDX-License-Identifier: GPL-3.0-or-later
#include "file_list/AddFolder.h"
#include "file_list/FileList.h"
#include "main_window/Form1.h"
#include "main_window/RunHost.h"
#include "platform/WindowState.h"
#include "platform/testing/FailingDirectorySearch.h"
#include "platform/testing/TestServices.h"
#include "platform/widgets/ListView.h"
#include "platform/widgets/PushButtonCheckBox.h"

#include "FolderTree.h"
#include <QDir>
#include <QFile>

#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

#include <sys/stat.h>
#include <unistd.h>

using namespace quillsift;
using platform::pointer::Default;
using platform::pointer::Hourglass;

namespace {

class RecordingWindow : public platform::WindowState
{
  public:
    int mousePointer() const override
    {
        return m_pointer;
    }
    void setMousePointer(int kind) override
    {
        m_pointer = kind;
        pointers << kind;
    }
    bool busy() const override
    {
        return m_busy;
    }
    void setBusy(bool busy) override
    {
        m_busy = busy;
    }

    QList<int> pointers;

  private:
    int m_pointer = Default;
    bool m_busy = false;
};

/// A file list over a list view, the window's state, and a double of every service.
struct Fixture {
    Fixture()
        : list(view, window)
    {
    }

    void addFolderFiles()
    {
        file_list::addFolderFiles({&view, list, window, services.bundle()});
    }

    QStringList entries() const
    {
        QStringList result;
        for (int i = 1; i <= list.count(); ++i) {
            result << list.text(i);
        }
        return result;
    }

    platform::testing::TestServices services;
    platform::ListView view;
    RecordingWindow window;
    file_list::FileList list;
};

/// The tree most cases scan: matching files at three levels, with the names that must be left out.
///   root/ top.doc  Top.DOCX  macro.docm  ~$top.doc  .hidden.doc  template.dot  notes.txt
///   root/sub/ ünïcødé.doc  ~$lock.doc
///   root/~tmp/ kept.doc
///   root/.hiddendir/ unseen.doc
///   root/sub/deeper/ deep.doc
void makeTree(quillsift::testing::FolderTree& tree)
{
    for (const char* name : {"top.doc", "Top.DOCX", "macro.docm", "~$top.doc", ".hidden.doc", "template.dot",
                             "notes.txt", "sub/ünïcødé.doc", "sub/~$lock.doc", "~tmp/kept.doc", ".hiddendir/unseen.doc",
                             "sub/deeper/deep.doc", "sub/deeper/readme"}) {
        QVERIFY(!tree.file(QString::fromUtf8(name)).isEmpty());
    }
}

QStringList sortedLevel(const QStringList& entries, qsizetype from, qsizetype count)
{
    QStringList level = entries.mid(from, count);
    level.sort();
    return level;
}

} // namespace

/// " Add All Word Files In Folder" over real folder trees: which files are added, in which order,
/// and what the user is told. Each case owns its tree, the only files it changes, and its doubles.
class AddFolderTest : public QObject
{
    Q_OBJECT

  private Q_SLOTS:
    void init()
    {
        m_tree = std::make_unique<quillsift::testing::FolderTree>();
        QVERIFY(m_tree->isValid());
        m_root = m_tree->root();
    }

    void cleanup()
    {
        m_tree.reset();
    }

    void defaultExtensionAddsTheTreeLevelByLevel()
    {
        makeTree(*m_tree);
        Fixture f;
        f.services.inputBox.replies << QStringLiteral("doc");
        f.services.folderBrowser.folders << QDir::cleanPath(m_root);

        f.addFolderFiles();

        QCOMPARE(f.services.inputBox.prompts, QStringList{QStringLiteral("Enter file extension to load:")});
        QCOMPARE(f.services.inputBox.defaults, QStringList{QStringLiteral("doc")});
        QCOMPARE(f.services.folderBrowser.prompts, QStringList{QStringLiteral("Please select folder to add:")});
        const QStringList entries = f.entries();
        QCOMPARE(entries.size(), 7);
        // The chosen folder's files first, hidden ones included; then one level down; then two.
        QCOMPARE(sortedLevel(entries, 0, 4),
                 (QStringList{m_root + QStringLiteral(".hidden.doc"), m_root + QStringLiteral("Top.DOCX"),
                              m_root + QStringLiteral("macro.docm"), m_root + QStringLiteral("top.doc")}));
        QCOMPARE(sortedLevel(entries, 4, 2),
                 (QStringList{m_root + QStringLiteral("sub/ünïcødé.doc"), m_root + QStringLiteral("~tmp/kept.doc")}));
        QCOMPARE(entries.at(6), m_root + QStringLiteral("sub/deeper/deep.doc"));
        QVERIFY(f.services.messageBox.shown.isEmpty());
    }

    void extensionReplyIsUsedAsItStands_data()
    {
        QTest::addColumn<QString>("reply");
        QTest::addColumn<QStringList>("expected");

        QTest::newRow("leading dot keeps both dots") << ".doc" << QStringList{QStringLiteral("two..doc")};
        QTest::newRow("star lists every file but ~ ones")
            << "*"
            << QStringList{QStringLiteral(".hidden.doc"), QStringLiteral("README"), QStringLiteral("a.DOC"),
                           QStringLiteral("b.docx"), QStringLiteral("two..doc")};
        QTest::newRow("blanks are not trimmed") << "   " << QStringList{};
        QTest::newRow("upper case") << "DOC"
                                    << QStringList{QStringLiteral(".hidden.doc"), QStringLiteral("a.DOC"),
                                                   QStringLiteral("b.docx"), QStringLiteral("two..doc")};
        QTest::newRow("four letters") << "docx" << QStringList{QStringLiteral("b.docx")};
    }

    void extensionReplyIsUsedAsItStands()
    {
        QFETCH(QString, reply);
        QFETCH(QStringList, expected);
        for (const char* name : {"a.DOC", "b.docx", "two..doc", "README", ".hidden.doc", "~$a.doc"}) {
            QVERIFY(!m_tree->file(QString::fromLatin1(name)).isEmpty());
        }
        Fixture f;
        f.services.inputBox.replies << reply;
        f.services.folderBrowser.folders << m_root;

        f.addFolderFiles();

        QStringList names;
        for (const QString& entry : f.entries()) {
            QVERIFY2(entry.startsWith(m_root) && !entry.mid(m_root.size()).contains(QLatin1Char('/')),
                     qPrintable(entry));
            names << entry.mid(m_root.size());
        }
        names.sort();
        QCOMPARE(names, expected);
        QVERIFY(f.services.messageBox.shown.isEmpty());
    }

    void cancellingStopsWithoutTouchingThePointer_data()
    {
        QTest::addColumn<QStringList>("replies");
        QTest::addColumn<bool>("browserShown");

        QTest::newRow("input box cancelled") << QStringList{} << false;
        QTest::newRow("empty reply") << QStringList{QString()} << false;
        QTest::newRow("browser cancelled") << QStringList{QStringLiteral("doc")} << true;
    }

    void cancellingStopsWithoutTouchingThePointer()
    {
        QFETCH(QStringList, replies);
        QFETCH(bool, browserShown);
        makeTree(*m_tree);
        Fixture f;
        f.services.inputBox.replies.append(replies);

        f.addFolderFiles();

        QCOMPARE(f.services.folderBrowser.prompts.size(), browserShown ? 1 : 0);
        QCOMPARE(f.list.count(), 0);
        QVERIFY(f.window.pointers.isEmpty());
        QVERIFY(!f.window.busy());
        QVERIFY(f.services.messageBox.shown.isEmpty());
    }

    void hourglassAndBusyLastForTheScan()
    {
        makeTree(*m_tree);
        Fixture f;
        f.services.inputBox.replies << QStringLiteral("doc");
        f.services.folderBrowser.folders << m_root;
        int yieldsWhileBusy = 0;
        f.services.process.onYield = [&] {
            if (f.window.busy() && f.window.mousePointer() == Hourglass) {
                ++yieldsWhileBusy;
            }
        };

        f.addFolderFiles();

        QVERIFY(f.services.process.yields > 0);
        QCOMPARE(yieldsWhileBusy, f.services.process.yields);
        QCOMPARE(f.window.pointers, (QList<int>{Hourglass, Default}));
        QVERIFY(!f.window.busy());
    }

    void noMatchAnywhereRestoresThePointerQuietly()
    {
        QVERIFY(!m_tree->file(QStringLiteral("sub/notes.txt")).isEmpty());
        Fixture f;
        f.services.inputBox.replies << QStringLiteral("doc");
        f.services.folderBrowser.folders << m_root;

        f.addFolderFiles();

        QCOMPARE(f.list.count(), 0);
        QCOMPARE(f.window.pointers, (QList<int>{Hourglass, Default}));
        QVERIFY(f.services.messageBox.shown.isEmpty());
    }

    void sameFolderTwiceAddsEveryFileTwice()
    {
        makeTree(*m_tree);
        Fixture f;
        f.services.inputBox.replies << QStringLiteral("doc") << QStringLiteral("doc");
        f.services.folderBrowser.folders << m_root << m_root;

        f.addFolderFiles();
        const QStringList once = f.entries();
        f.addFolderFiles();

        QCOMPARE(f.entries(), once + once);
    }

    void unreadableFoldersAreNamedOnceAtTheEnd_data()
    {
        QTest::addColumn<bool>("throughPermissions");
        QTest::newRow("mode 000") << true;
        QTest::newRow("failing directory search") << false;
    }

    void unreadableFoldersAreNamedOnceAtTheEnd()
    {
        QFETCH(bool, throughPermissions);
        if (throughPermissions && ::geteuid() == 0) {
            QSKIP("Running as root: a folder with mode 000 stays readable; the failing directory search "
                  "row covers the case.");
        }
        makeTree(*m_tree);
        QVERIFY(!m_tree->file(QStringLiteral("locked/inside.doc")).isEmpty());
        QVERIFY(!m_tree->file(QStringLiteral("sub/shut/inside.doc")).isEmpty());
        Fixture f;
        platform::testing::FailingDirectorySearch failing;
        if (throughPermissions) {
            for (const char* folder : {"locked", "sub/shut"}) {
                QVERIFY(m_tree->setMode(QString::fromLatin1(folder), 0));
            }
        } else {
            failing.unreadable << m_root + QStringLiteral("locked") << m_root + QStringLiteral("sub/shut/");
            f.services.directorySearch = &failing;
        }
        f.services.inputBox.replies << QStringLiteral("doc");
        f.services.folderBrowser.folders << m_root;

        f.addFolderFiles();

        QCOMPARE(f.list.count(), 7);
        QCOMPARE(f.services.messageBox.shown.size(), 1);
        const QString text = f.services.messageBox.shown.first().text;
        QVERIFY2(text.contains(m_root + QStringLiteral("locked (")), qPrintable(text));
        QVERIFY2(text.contains(m_root + QStringLiteral("sub/shut (")), qPrintable(text));
        QCOMPARE(text.count(QStringLiteral("locked")), 1);
        QCOMPARE(f.window.mousePointer(), Default);
        QVERIFY(!f.window.busy());
    }

    void chosenFolderThatCannotBeReadIsReported()
    {
        Fixture f;
        f.services.inputBox.replies << QStringLiteral("doc");
        f.services.folderBrowser.folders << m_root + QStringLiteral("vanished");

        f.addFolderFiles();

        QCOMPARE(f.list.count(), 0);
        QCOMPARE(f.services.messageBox.shown.size(), 1);
        QVERIFY(f.services.messageBox.shown.first().text.contains(m_root + QStringLiteral("vanished (")));
        QVERIFY(!f.window.busy());
    }

    void folderThatVanishesBeforeItsFilesAreListedIsSkippedSilently()
    {
        makeTree(*m_tree);
        Fixture f;
        platform::testing::FailingDirectorySearch counting;
        f.services.directorySearch = &counting;
        f.services.inputBox.replies << QStringLiteral("doc");
        f.services.folderBrowser.folders << m_root;
        // The walk passes over the four folders it enters; sub/deeper, the last, goes once the
        // files of the first have been listed.
        f.services.process.onYield = [&] {
            if (counting.enumerations == 5) {
                QDir(m_root + QStringLiteral("sub/deeper")).removeRecursively();
            }
        };

        f.addFolderFiles();

        QCOMPARE(counting.enumerations, 8);
        QCOMPARE(f.list.count(), 6);
        QVERIFY(!f.entries().contains(m_root + QStringLiteral("sub/deeper/deep.doc")));
        QVERIFY2(f.services.messageBox.shown.isEmpty(), qPrintable(f.services.messageBox.shown.value(0).text));
        QVERIFY(!f.window.busy());
    }

    void deepTreeKeepsTheEventLoopRunning()
    {
        QString folder = m_root;
        for (int depth = 0; depth < 60; ++depth) {
            folder += QStringLiteral("level%1/").arg(depth);
        }
        QVERIFY(!m_tree->file(folder.mid(m_root.size()) + QStringLiteral("bottom.doc")).isEmpty());
        Fixture f;
        f.services.inputBox.replies << QStringLiteral("doc");
        f.services.folderBrowser.folders << m_root;
        bool timerRanDuringScan = false;
        QTimer::singleShot(0, &f.view, [&] { timerRanDuringScan = f.window.busy(); });

        f.addFolderFiles();

        QVERIFY(timerRanDuringScan);
        QCOMPARE(f.entries(), QStringList{folder + QStringLiteral("bottom.doc")});
    }

    void pressesDuringTheScanDoNothing()
    {
        makeTree(*m_tree);
        platform::testing::TestServices services;
        main_window::Form1 form(main_window::inProcessHost(), services.bundle());
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        services.inputBox.replies << QStringLiteral("doc") << QStringLiteral("doc");
        services.folderBrowser.folders << m_root << m_root;
        auto* check1 = form.findChild<platform::PushButtonCheckBox*>(QStringLiteral("Check1"));
        auto* check4 = form.findChild<platform::PushButtonCheckBox*>(QStringLiteral("Check4"));
        QVERIFY(check1 && check4);
        bool pressed = false;
        services.process.onYield = [&] {
            if (!pressed) {
                pressed = true;
                QTest::mouseClick(check4, Qt::LeftButton);
                QTest::mouseClick(check1, Qt::LeftButton);
            }
        };

        QTest::mouseClick(check4, Qt::LeftButton);

        QVERIFY(pressed);
        QCOMPARE(services.inputBox.prompts.size(), 1);
        QVERIFY(services.openFileDialog.requests.isEmpty());
        QCOMPARE(form.fileList().count(), 7);
        QCOMPARE(check4->value(), 0);
        QVERIFY(!form.busy());
    }

  private:
    std::unique_ptr<quillsift::testing::FolderTree> m_tree;
    QString m_root;
};

QTEST_MAIN(AddFolderTest)
#include "AddFolderTest.moc"
