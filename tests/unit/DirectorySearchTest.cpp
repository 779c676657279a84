// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/DirectorySearch.h"

#include "FolderTree.h"
#include <QDir>
#include <QFile>

#include <QTemporaryDir>
#include <QTest>

#include <memory>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace quillsift::platform;

namespace {

QStringList allNames(DirectoryEnumeration& entries)
{
    QStringList names;
    for (QString name = entries.next(); !name.isEmpty(); name = entries.next()) {
        names << name;
    }
    names.sort();
    return names;
}

} // namespace

class TestDirectorySearch : public QObject
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

    void filtersFollowWindowsRules_data()
    {
        QTest::addColumn<QString>("pattern");
        QTest::addColumn<quint32>("filter");
        QTest::addColumn<QStringList>("expected");

        const QStringList everyPlain{QStringLiteral("a.doc"), QStringLiteral("b.DOCX"), QStringLiteral("link.doc"),
                                     QStringLiteral("notes.txt"), QStringLiteral("ü~é.doc")};
        QTest::newRow("directories: plain files and folders, nothing hidden")
            << "*" << file_attribute::Directory
            << QStringList{QStringLiteral("a.doc"),    QStringLiteral("b.DOCX"),  QStringLiteral("folder.doc"),
                           QStringLiteral("link.doc"), QStringLiteral("linkdir"), QStringLiteral("notes.txt"),
                           QStringLiteral("ü~é.doc")};
        QTest::newRow("hidden and system: files of every kind, no folders")
            << "*.doc" << (file_attribute::Hidden | file_attribute::System)
            << QStringList{QStringLiteral(".hidden.doc"), QStringLiteral("a.doc"), QStringLiteral("b.DOCX"),
                           QStringLiteral("link.doc"), QStringLiteral("ü~é.doc")};
        QTest::newRow("normal: plain files only") << "*.*" << file_attribute::Normal << everyPlain;
    }

    void filtersFollowWindowsRules()
    {
        QFETCH(QString, pattern);
        QFETCH(quint32, filter);
        QFETCH(QStringList, expected);

        QVERIFY(!m_tree->file(QStringLiteral("a.doc")).isEmpty());
        QVERIFY(!m_tree->file(QStringLiteral("b.DOCX")).isEmpty());
        QVERIFY(!m_tree->file(QStringLiteral("notes.txt")).isEmpty());
        QVERIFY(!m_tree->file(QStringLiteral(".hidden.doc")).isEmpty());
        QVERIFY(!m_tree->file(QStringLiteral("ü~é.doc")).isEmpty());
        QVERIFY(QDir(m_root).mkdir(QStringLiteral("folder.doc")));
        QVERIFY(QDir(m_root).mkdir(QStringLiteral(".hiddendir")));
        QVERIFY(QFile::link(m_root + QStringLiteral("a.doc"), m_root + QStringLiteral("link.doc")));
        QVERIFY(QFile::link(m_root + QStringLiteral("folder.doc"), m_root + QStringLiteral("linkdir")));
        QVERIFY(QFile::link(m_root + QStringLiteral("nowhere"), m_root + QStringLiteral("dangling.doc")));
        QCOMPARE(::mkfifo(QFile::encodeName(m_root + QStringLiteral("pipe.doc")).constData(), 0600), 0);

        const auto entries = localDirectorySearch().enumerate(m_root, pattern, filter);
        QCOMPARE(allNames(*entries), expected);
        QVERIFY(entries->error().isEmpty());
    }

    void attributesDescribeThePath()
    {
        QVERIFY(!m_tree->file(QStringLiteral(".hidden.doc")).isEmpty());
        QVERIFY(QDir(m_root).mkdir(QStringLiteral("folder")));
        QVERIFY(QFile::link(m_root + QStringLiteral("folder"), m_root + QStringLiteral("link")));

        const auto hidden = localDirectorySearch().attributes(m_root + QStringLiteral(".hidden.doc"));
        QVERIFY(hidden);
        QCOMPARE(hidden->attributes & (file_attribute::Hidden | file_attribute::Directory), file_attribute::Hidden);

        const auto folder = localDirectorySearch().attributes(m_root + QStringLiteral("folder/"));
        const auto link = localDirectorySearch().attributes(m_root + QStringLiteral("link"));
        QVERIFY(folder && link);
        QVERIFY(folder->attributes & file_attribute::Directory);
        QVERIFY(link->attributes & file_attribute::Directory);
        QCOMPARE(link->device, folder->device);
        QCOMPARE(link->inode, folder->inode);

        FileAttributesError error;
        QVERIFY(!localDirectorySearch().attributes(m_root + QStringLiteral("gone"), &error));
        QVERIFY(error.missing);
        QVERIFY(!error.reason.isEmpty());
    }

    void nameInvalidInTheSystemEncodingIsLeftOutAndReported()
    {
        QVERIFY(!m_tree->file(QStringLiteral("fine.doc")).isEmpty());
        QVERIFY(!m_tree->fileNamedInBytes(QByteArray("bad\xff.doc")).isEmpty());

        const auto entries = localDirectorySearch().enumerate(m_root, QStringLiteral("*.doc"), file_attribute::Normal);
        QCOMPARE(allNames(*entries), QStringList{QStringLiteral("fine.doc")});
        QVERIFY(!entries->error().isEmpty());
    }

    void unreadableFolderReportsItsCause()
    {
        if (::geteuid() == 0) {
            QSKIP("Running as root: a folder with mode 000 stays readable, so this case cannot be made here.");
        }
        const QString locked = m_root + QStringLiteral("locked");
        QVERIFY(!m_tree->file(QStringLiteral("locked/inside.doc")).isEmpty());
        QVERIFY(m_tree->setMode(QStringLiteral("locked"), 0));

        const auto entries = localDirectorySearch().enumerate(locked, QStringLiteral("*"), file_attribute::Directory);
        QVERIFY(entries->next().isEmpty());
        QVERIFY(!entries->error().isEmpty());
        QVERIFY(!entries->vanished());
    }

    void folderThatIsGoneSaysItVanished()
    {
        QVERIFY(!m_tree->file(QStringLiteral("now a file")).isEmpty());
        QVERIFY(!m_tree->folder(QStringLiteral("here")).isEmpty());
        const auto existing = localDirectorySearch().enumerate(m_root + QStringLiteral("here"), QStringLiteral("*"),
                                                               file_attribute::Directory);
        QVERIFY(existing->next().isEmpty());
        QVERIFY(existing->error().isEmpty());
        QVERIFY(!existing->vanished());

        // Removed, or a folder on the way replaced by a file: both are gone, and say why.
        for (const char* gone : {"removed", "now a file/inside"}) {
            const auto entries = localDirectorySearch().enumerate(m_root + QString::fromLatin1(gone),
                                                                  QStringLiteral("*"), file_attribute::Directory);
            QVERIFY(entries->next().isEmpty());
            QVERIFY2(entries->vanished(), gone);
            QVERIFY2(!entries->error().isEmpty(), gone);
        }
    }

  private:
    std::unique_ptr<quillsift::testing::FolderTree> m_tree;
    QString m_root;
};

QTEST_GUILESS_MAIN(TestDirectorySearch)
#include "DirectorySearchTest.moc"
