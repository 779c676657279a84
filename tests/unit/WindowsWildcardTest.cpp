// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/WindowsWildcard.h"

#include <QTest>

using quillsift::platform::WindowsWildcard;

class TestWindowsWildcard : public QObject
{
    Q_OBJECT

  private Q_SLOTS:
    void matches_data()
    {
        QTest::addColumn<QString>("pattern");
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("expected");

        QTest::newRow("plain") << "*.doc"
                               << "report.doc" << true;
        QTest::newRow("case of name") << "*.doc"
                                      << "REPORT.DOC" << true;
        QTest::newRow("case of pattern") << "*.DoC"
                                         << "report.doc" << true;
        QTest::newRow("non-ASCII case") << "*.doc" << QStringLiteral("Ärger ÜBER.DOC") << true;
        QTest::newRow("docx by short name") << "*.doc"
                                            << "a.docx" << true;
        QTest::newRow("docm by short name") << "*.doc"
                                            << "a.DOCM" << true;
        QTest::newRow("only the last extension counts") << "*.doc"
                                                        << "a.doc.txt" << false;
        QTest::newRow("prefix must match") << "*.doc"
                                           << "a.dotx" << false;
        QTest::newRow("shorter extension") << "*.doc"
                                           << "a.do" << false;
        QTest::newRow("no dot") << "*.doc"
                                << "doc" << false;
        QTest::newRow("two-letter pattern does not extend") << "*.do"
                                                            << "a.doc" << false;
        QTest::newRow("four-letter pattern does not shorten") << "*.docx"
                                                              << "a.doc" << false;
        QTest::newRow("four-letter pattern") << "*.docx"
                                             << "a.docx" << true;
        QTest::newRow("question mark in extension") << "*.d?c"
                                                    << "a.dOcm" << true;
        QTest::newRow("star in extension") << "*.do*"
                                           << "a.dotm" << true;
        QTest::newRow("star dot star takes names without dot") << "*.*"
                                                               << "README" << true;
        QTest::newRow("star takes everything") << "*"
                                               << ".hidden" << true;
        QTest::newRow("name dot star without dot") << "notes.*"
                                                   << "notes" << true;
        QTest::newRow("trailing dot takes names without dot") << "*."
                                                              << "Makefile" << true;
        QTest::newRow("trailing dot refuses extensions") << "*."
                                                         << "a.doc" << false;
        QTest::newRow("leading-dot reply keeps two dots") << "*..doc"
                                                          << "a.doc" << false;
        QTest::newRow("leading-dot reply, name with two dots") << "*..doc"
                                                               << "a..doc" << true;
        QTest::newRow("blank reply is literal") << "*.   "
                                                << "a.doc" << false;
        QTest::newRow("blank reply, blank extension") << "*.   "
                                                      << "a.   " << true;
        QTest::newRow("many stars stay linear") << "*a*a*a*a*a*a*a*b" << QString(200, QLatin1Char('a')) << false;
    }

    void matches()
    {
        QFETCH(QString, pattern);
        QFETCH(QString, name);
        QFETCH(bool, expected);
        QCOMPARE(WindowsWildcard(pattern).matches(name), expected);
    }
};

QTEST_APPLESS_MAIN(TestWindowsWildcard)
#include "WindowsWildcardTest.moc"
