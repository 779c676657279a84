// SPDX-License-Identifier: GPL-3.0-or-later
#include "file_list/OpenDialogAdder.h"
#include "file_list/FileList.h"
#include "platform/WindowState.h"
#include "platform/testing/TestServices.h"
#include "platform/widgets/ListView.h"

#include <QtTest>

using namespace quillsift;

namespace {

class PlainWindow : public platform::WindowState
{
  public:
    int mousePointer() const override
    {
        return m_pointer;
    }
    void setMousePointer(int kind) override
    {
        m_pointer = kind;
        ++pointerChanges;
    }
    bool busy() const override
    {
        return false;
    }
    void setBusy(bool) override
    {
    }

    int pointerChanges = 0;

  private:
    int m_pointer = platform::pointer::Default;
};

QString nul()
{
    return QString(QChar(u'\0'));
}

} // namespace

/// "Add Word File(s)" over a scripted open dialog: how the dialog is set up and how its result
/// becomes entries. Each case owns its list and the doubles it hands the command.
class OpenDialogAdderTest : public QObject
{
    Q_OBJECT

  private Q_SLOTS:
    void dialogIsSetUpBeforeEveryShowing()
    {
        platform::testing::TestServices services;
        platform::ListView view;
        PlainWindow window;
        file_list::FileList list(view, window);

        file_list::addThroughOpenDialog({&view, list, window, services.bundle()});
        file_list::addThroughOpenDialog({&view, list, window, services.bundle()});

        QCOMPARE(services.openFileDialog.requests.size(), 2);
        for (const platform::OpenFileRequest& request : services.openFileDialog.requests) {
            QCOMPARE(request.fileName, QString());
            QCOMPARE(request.flags, 0x280201u);
            QCOMPARE(request.dialogTitle, QStringLiteral("Add File(s) - Use Ctrl & Shift to select multiple files"));
            QCOMPARE(request.filter, QStringLiteral("Word Documents (*.do*)|*.do*|All Files (*.*)|*.*"));
            QCOMPARE(request.maxFileSize, 30000);
        }
        QCOMPARE(list.count(), 0);
    }

    void resultIsSplitIntoEntries_data()
    {
        QTest::addColumn<QString>("result");
        QTest::addColumn<QStringList>("expected");

        QTest::newRow("cancel") << QString() << QStringList{};
        QTest::newRow("one file, kept as it stands")
            << QStringLiteral("/home/ann//odd name.doc") << QStringList{QStringLiteral("/home/ann//odd name.doc")};
        QTest::newRow("typed name that does not exist")
            << QStringLiteral("/home/ann/never saved.doc") << QStringList{QStringLiteral("/home/ann/never saved.doc")};
        QTest::newRow("three files in dialog order")
            << QStringLiteral("/home/ann/Dokumente") + nul() + QStringLiteral("c.doc") + nul() +
                   QStringLiteral("Ärger.docx") + nul() + QStringLiteral("a.doc")
            << QStringList{QStringLiteral("/home/ann/Dokumente/c.doc"),
                           QStringLiteral("/home/ann/Dokumente/Ärger.docx"),
                           QStringLiteral("/home/ann/Dokumente/a.doc")};
        QTest::newRow("two files in the root")
            << QStringLiteral("/") + nul() + QStringLiteral("a.doc") + nul() + QStringLiteral("b.doc")
            << QStringList{QStringLiteral("/a.doc"), QStringLiteral("/b.doc")};
        QTest::newRow("doubled separators collapse left to right")
            << QStringLiteral("/srv//docs///") + nul() + QStringLiteral("a.doc")
            << QStringList{QStringLiteral("/srv/docs//a.doc")};
        QTest::newRow("network folder keeps its leading pair")
            << QStringLiteral("//server/share") + nul() + QStringLiteral("a.doc") + nul() + QStringLiteral("b.doc")
            << QStringList{QStringLiteral("//server/share/a.doc"), QStringLiteral("//server/share/b.doc")};
        QTest::newRow("stray trailing NUL names no file")
            << QStringLiteral("/home") + nul() + QStringLiteral("a.doc") + nul()
            << QStringList{QStringLiteral("/home/a.doc")};
    }

    void resultIsSplitIntoEntries()
    {
        QFETCH(QString, result);
        QFETCH(QStringList, expected);
        platform::testing::TestServices services;
        platform::ListView view;
        PlainWindow window;
        file_list::FileList list(view, window);
        list.append(QStringLiteral("/home/ann/Dokumente/a.doc"));
        platform::OpenFileResult chosen;
        chosen.fileName = result;
        services.openFileDialog.results << chosen;

        file_list::addThroughOpenDialog({&view, list, window, services.bundle()});

        QStringList entries;
        for (int i = 2; i <= list.count(); ++i) {
            entries << list.text(i);
        }
        QCOMPARE(entries, expected);
        QCOMPARE(list.text(1), QStringLiteral("/home/ann/Dokumente/a.doc"));
        QVERIFY(services.messageBox.shown.isEmpty());
        QCOMPARE(window.pointerChanges, 0);
    }

    void selectionTooLongIsRefusedWithTheCount()
    {
        platform::testing::TestServices services;
        platform::ListView view;
        PlainWindow window;
        file_list::FileList list(view, window);
        platform::OpenFileResult overflow;
        overflow.chosenCount = 2500;
        overflow.tooLong = true;
        services.openFileDialog.results << overflow;

        file_list::addThroughOpenDialog({&view, list, window, services.bundle()});

        QCOMPARE(list.count(), 0);
        QCOMPARE(services.messageBox.shown.size(), 1);
        QVERIFY(services.messageBox.shown.first().text.contains(QStringLiteral("2500 files")));
        QVERIFY(services.messageBox.shown.first().text.contains(QStringLiteral("fewer")));
    }
};

QTEST_MAIN(OpenDialogAdderTest)
#include "OpenDialogAdderTest.moc"
