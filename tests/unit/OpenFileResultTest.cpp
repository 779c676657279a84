// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/widgets/DesktopDialogs.h"

#include <QDir>
#include <QTest>

using quillsift::platform::composeOpenFileResult;
using quillsift::platform::typedFilePaths;

namespace {
QString nul()
{
    return QString(QChar(u'\0'));
}
} // namespace

class OpenFileResultTest : public QObject
{
    Q_OBJECT

  private Q_SLOTS:
    void composesTheOneStringShape_data()
    {
        QTest::addColumn<QStringList>("chosen");
        QTest::addColumn<QString>("expected");

        QTest::newRow("nothing") << QStringList{} << QString();
        QTest::newRow("one file") << QStringList{QStringLiteral("/home/ann/a.doc")}
                                  << QStringLiteral("/home/ann/a.doc");
        QTest::newRow("three files") << QStringList{QStringLiteral("/home/ann/c.doc"),
                                                    QStringLiteral("/home/ann/b.doc"),
                                                    QStringLiteral("/home/ann/a.doc")}
                                     << QStringLiteral("/home/ann") + nul() + QStringLiteral("c.doc") + nul() +
                                            QStringLiteral("b.doc") + nul() + QStringLiteral("a.doc");
        QTest::newRow("root keeps its separator")
            << QStringList{QStringLiteral("/a.doc"), QStringLiteral("/b.doc")}
            << QStringLiteral("/") + nul() + QStringLiteral("a.doc") + nul() + QStringLiteral("b.doc");
        QTest::newRow("typed names in two folders")
            << QStringList{QStringLiteral("/home/ann/x/a.doc"), QStringLiteral("/home/ann/y/z/b.doc")}
            << QStringLiteral("/home/ann") + nul() + QStringLiteral("x/a.doc") + nul() + QStringLiteral("y/z/b.doc");
        QTest::newRow("folder names sharing a prefix")
            << QStringList{QStringLiteral("/data/ab/a.doc"), QStringLiteral("/data/abc/b.doc")}
            << QStringLiteral("/data") + nul() + QStringLiteral("ab/a.doc") + nul() + QStringLiteral("abc/b.doc");
    }

    void composesTheOneStringShape()
    {
        QFETCH(QStringList, chosen);
        QFETCH(QString, expected);
        const auto result = composeOpenFileResult(chosen, 30000);
        QCOMPARE(result.fileName, expected);
        QCOMPARE(result.chosenCount, chosen.size());
        QVERIFY(!result.tooLong);
    }

    void marksASelectionThatDoesNotFit()
    {
        QStringList chosen;
        for (int i = 0; i < 3000; ++i) {
            chosen << QStringLiteral("/home/ann/document number %1.doc").arg(i);
        }
        const auto result = composeOpenFileResult(chosen, 30000);
        QVERIFY(result.tooLong);
        QVERIFY(result.fileName.isEmpty());
        QCOMPARE(result.chosenCount, 3000);
        QVERIFY(!composeOpenFileResult(chosen.mid(0, 10), 30000).tooLong);
    }

    void typedNamesBecomePathsInTheCurrentFolder_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QStringList>("expected");
        const QString home = QDir::homePath();

        QTest::newRow("nothing") << QString() << QStringList{};
        QTest::newRow("blanks only") << QStringLiteral("   ") << QStringList{};
        QTest::newRow("one name, blanks around it dropped")
            << QStringLiteral("  never saved.docx ") << QStringList{QStringLiteral("/home/ann/never saved.docx")};
        QTest::newRow("quoted names, in the order typed")
            << QStringLiteral("\"nosuch.docx\" \"aaa.docx\"")
            << QStringList{QStringLiteral("/home/ann/nosuch.docx"), QStringLiteral("/home/ann/aaa.docx")};
        QTest::newRow("quotes keep blanks, blank quotes name nothing")
            << QStringLiteral("\" a.docx\" \"\" \"  \"") << QStringList{QStringLiteral("/home/ann/ a.docx")};
        QTest::newRow("a name outside the quotes is not lost")
            << QStringLiteral("first.docx \"second.docx\"")
            << QStringList{QStringLiteral("/home/ann/first.docx"), QStringLiteral("/home/ann/second.docx")};
        QTest::newRow("an unclosed quote still names its file")
            << QStringLiteral("\"a.docx\" \"b.do")
            << QStringList{QStringLiteral("/home/ann/a.docx"), QStringLiteral("/home/ann/b.do")};
        QTest::newRow("absolute, relative and up a level")
            << QStringLiteral("\"/srv/x.doc\" \"sub/y.doc\" \"../z.doc\"")
            << QStringList{QStringLiteral("/srv/x.doc"), QStringLiteral("/home/ann/sub/y.doc"),
                           QStringLiteral("/home/z.doc")};
        QTest::newRow("home folder, but not a name that begins with ~")
            << QStringLiteral("\"~/a.doc\" \"~$lock.doc\"")
            << QStringList{home + QStringLiteral("/a.doc"), QStringLiteral("/home/ann/~$lock.doc")};
    }

    void typedNamesBecomePathsInTheCurrentFolder()
    {
        QFETCH(QString, typed);
        QFETCH(QStringList, expected);
        QCOMPARE(typedFilePaths(typed, QStringLiteral("/home/ann")), expected);
    }
};

QTEST_APPLESS_MAIN(OpenFileResultTest)
#include "OpenFileResultTest.moc"
