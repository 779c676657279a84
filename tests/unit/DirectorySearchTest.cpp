// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/DirectorySearch.h"

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

void makeFile(const QString& path)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    QVERIFY2(file.open(QIODevice::WriteOnly), qPrintable(path));
}

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
        m_dir = std::make_unique<QTemporaryDir>();
        QVERIFY(m_dir->isValid());
        m_root = m_dir->path() + QLatin1Char('/');
    }

    void cleanup()
    {
        // Give a locked fixture folder back its permissions so that it can be removed.
        ::chmod(QFile::encodeName(m_root + QStringLiteral("locked")).constData(), 0700);
        m_dir.reset();
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

        makeFile(m_root + QStringLiteral("a.doc"));
        makeFile(m_root + QStringLiteral("b.DOCX"));
        makeFile(m_root + QStringLiteral("notes.txt"));
        makeFile(m_root + QStringLiteral(".hidden.doc"));
        makeFile(m_root + QStringLiteral("ü~é.doc"));
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
        makeFile(m_root + QStringLiteral(".hidden.doc"));
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
        makeFile(m_root + QStringLiteral("fine.doc"));
        const QByteArray invalid = QFile::encodeName(m_root) + QByteArray("bad\xff.doc");
        const int fd = ::open(invalid.constData(), O_WRONLY | O_CREAT, 0600);
        QVERIFY(fd >= 0);
        ::close(fd);

        const auto entries = localDirectorySearch().enumerate(m_root, QStringLiteral("*.doc"), file_attribute::Normal);
        const QStringList names = allNames(*entries);
        const QString error = entries->error();
        // QTemporaryDir cannot name this file to remove it.
        ::unlink(invalid.constData());
        QCOMPARE(names, QStringList{QStringLiteral("fine.doc")});
        QVERIFY(!error.isEmpty());
    }

    void unreadableFolderReportsItsCause()
    {
        if (::geteuid() == 0) {
            QSKIP("Running as root: a folder with mode 000 stays readable, so this case cannot be made here.");
        }
        const QString locked = m_root + QStringLiteral("locked");
        makeFile(locked + QStringLiteral("/inside.doc"));
        QCOMPARE(::chmod(QFile::encodeName(locked).constData(), 0), 0);

        const auto entries = localDirectorySearch().enumerate(locked, QStringLiteral("*"), file_attribute::Directory);
        QVERIFY(entries->next().isEmpty());
        QVERIFY(!entries->error().isEmpty());
    }

  private:
    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_root;
};

QTEST_GUILESS_MAIN(TestDirectorySearch)
#include "DirectorySearchTest.moc"
