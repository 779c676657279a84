// SPDX-License-Identifier: GPL-3.0-or-later
#include "file_list/AddFolder.h"
#include "platform/testing/FailingDirectorySearch.h"
#include "platform/testing/TestServices.h"

#include "FolderTree.h"
#include <QDir>
#include <QFile>

#include <QTemporaryDir>
#include <QTest>

using namespace quillsift;
using file_list::CollectSubFolders;
using file_list::FolderWalk;

namespace {

int depthBelow(const QString& root, const QString& folder)
{
    return static_cast<int>(folder.mid(root.size()).count(QLatin1Char('/')));
}

QString parentOf(const QString& folder)
{
    return folder.left(folder.lastIndexOf(QLatin1Char('/'), -2) + 1);
}

/// Checks the breadth-first order: levels in turn, and within a level the folders grouped by
/// parent in the order in which the parents themselves were listed.
void verifyBreadthFirst(const QStringList& folders, const QString& root)
{
    QCOMPARE(folders.first(), root);
    for (qsizetype i = 1; i < folders.size(); ++i) {
        const QString& previous = folders.at(i - 1);
        const QString& current = folders.at(i);
        QVERIFY2(current.endsWith(QLatin1Char('/')), qPrintable(current));
        QVERIFY2(depthBelow(root, previous) <= depthBelow(root, current), qPrintable(current));
        if (i > 1 && depthBelow(root, previous) == depthBelow(root, current)) {
            QVERIFY2(folders.indexOf(parentOf(previous)) <= folders.indexOf(parentOf(current)), qPrintable(current));
        }
    }
}

} // namespace

/// The folder walk over real trees: order, hidden folders, links and entries that vanish. Each case
/// owns its tree, the only files it changes, and the doubles it hands the walk.
class TestFolderWalk : public QObject
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

    void walksBreadthFirstAndYields()
    {
        for (const char* folder : {"b/b2/deep/deeper", "a/a1", "a/a2/x", "b/b1", "c", "Ünïcødé/ß"}) {
            QVERIFY(!m_tree->folder(QString::fromUtf8(folder)).isEmpty());
        }
        QVERIFY(!m_tree->file(QStringLiteral("a/file.doc")).isEmpty());
        platform::testing::TestServices services;

        QStringList folders{m_root};
        FolderWalk walk;
        CollectSubFolders(folders, *services.directorySearch, services.process, &walk);

        QCOMPARE(folders.size(), 13);
        verifyBreadthFirst(folders, m_root);
        QVERIFY(folders.contains(m_root + QStringLiteral("Ünïcødé/ß/")));
        QVERIFY(folders.contains(m_root + QStringLiteral("b/b2/deep/deeper/")));
        QVERIFY(walk.unreadable.isEmpty());
        // One yield per folder enumerated, per entry examined and per folder handed up at least.
        QVERIFY(services.process.yields >= 13 + 13 + 12);
    }

    void hiddenFoldersAreNotEnteredButTildeFoldersAre()
    {
        const QString chosen = m_root + QStringLiteral(".chosen/");
        QVERIFY(!m_tree->folder(chosen.mid(m_root.size()) + QStringLiteral(".git/objects")).isEmpty());
        QVERIFY(!m_tree->folder(chosen.mid(m_root.size()) + QStringLiteral("~tmp/inner")).isEmpty());
        platform::testing::TestServices services;

        QStringList folders{chosen};
        CollectSubFolders(folders, *services.directorySearch, services.process);

        QCOMPARE(folders,
                 (QStringList{chosen, chosen + QStringLiteral("~tmp/"), chosen + QStringLiteral("~tmp/inner/")}));
    }

    void linksBackIntoTheTreeAreNotEnteredAgain()
    {
        QVERIFY(!m_tree->folder(QStringLiteral("a")).isEmpty());
        QVERIFY(!m_tree->folder(QStringLiteral("b")).isEmpty());
        QVERIFY(!m_tree->folder(QStringLiteral("outside/more")).isEmpty());
        QVERIFY(QFile::link(m_root, m_root + QStringLiteral("a/loop")));
        QVERIFY(QFile::link(m_root + QStringLiteral("a"), m_root + QStringLiteral("b/again")));
        QVERIFY(QFile::link(m_root + QStringLiteral("outside"), m_root + QStringLiteral("b/away")));
        platform::testing::TestServices services;

        QStringList folders{m_root + QStringLiteral("a/"), m_root + QStringLiteral("b/")};
        CollectSubFolders(folders, *services.directorySearch, services.process);

        // The link to a folder outside the walk is followed, once.
        QCOMPARE(folders.size(), 4);
        QCOMPARE(folders.at(2), m_root + QStringLiteral("b/away/"));
        QCOMPARE(folders.at(3), m_root + QStringLiteral("b/away/more/"));
    }

    void entryThatVanishesIsSkippedSilently()
    {
        QVERIFY(!m_tree->folder(QStringLiteral("stays")).isEmpty());
        QVERIFY(!m_tree->folder(QStringLiteral("goes/inner")).isEmpty());
        platform::testing::TestServices services;
        // The second yield comes after the enumeration has read the folder and before the first
        // entry is examined: the folder is gone by the time it is looked at.
        services.process.onYield = [&] {
            if (services.process.yields == 2) {
                QDir(m_root + QStringLiteral("goes")).removeRecursively();
            }
        };

        QStringList folders{m_root};
        FolderWalk walk;
        CollectSubFolders(folders, *services.directorySearch, services.process, &walk);

        QCOMPARE(folders, (QStringList{m_root, m_root + QStringLiteral("stays/")}));
        QVERIFY(walk.unreadable.isEmpty());
    }

    void folderThatVanishesBeforeItIsReadIsSkippedSilently()
    {
        for (const char* folder : {"stays", "goes/inner", "locked"}) {
            QVERIFY(!m_tree->folder(QString::fromLatin1(folder)).isEmpty());
        }
        platform::testing::TestServices services;
        platform::testing::FailingDirectorySearch search;
        search.vanishing << m_root + QStringLiteral("goes");
        search.unreadable << m_root + QStringLiteral("locked");

        QStringList folders{m_root};
        FolderWalk walk;
        CollectSubFolders(folders, search, services.process, &walk);

        // goes/ was listed before it went; what it held is not found, and nothing is told of it.
        folders.sort();
        QCOMPARE(folders, (QStringList{m_root, m_root + QStringLiteral("goes/"), m_root + QStringLiteral("locked/"),
                                       m_root + QStringLiteral("stays/")}));
        QCOMPARE(walk.unreadable.size(), 1);
        QCOMPARE(walk.unreadable.first().path, m_root + QStringLiteral("locked"));
        QCOMPARE(walk.unreadable.first().reason, QStringLiteral("Permission denied"));
    }

    void chosenFolderThatVanishesIsStillTold()
    {
        QVERIFY(!m_tree->folder(QStringLiteral("chosen/inner")).isEmpty());
        platform::testing::TestServices services;
        platform::testing::FailingDirectorySearch search;
        search.vanishing << m_root + QStringLiteral("chosen");

        QStringList folders{m_root + QStringLiteral("chosen/")};
        FolderWalk walk;
        CollectSubFolders(folders, search, services.process, &walk);

        QCOMPARE(folders, QStringList{m_root + QStringLiteral("chosen/")});
        QCOMPARE(walk.unreadable.size(), 1);
        QCOMPARE(walk.unreadable.first().path, m_root + QStringLiteral("chosen"));
    }

  private:
    std::unique_ptr<quillsift::testing::FolderTree> m_tree;
    QString m_root;
};

QTEST_GUILESS_MAIN(TestFolderWalk)
#include "FolderWalkTest.moc"
