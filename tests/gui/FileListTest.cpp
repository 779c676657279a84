// SPDX-License-Identifier: GPL-3.0-or-later
#include "file_list/FileList.h"
#include "main_window/Form1.h"
#include "main_window/RunHost.h"
#include "platform/testing/TestServices.h"
#include "platform/widgets/ListView.h"

#include <QMimeData>
#include <QTemporaryDir>
#include <QtTest>

using namespace quillsift;
using platform::testing::TestServices;

namespace {

/// A shown window whose list holds the given entries, with the doubles of every service.
struct Window {
    explicit Window(const QStringList& entries = {})
    {
        for (const QString& entry : entries) {
            form.fileList().append(entry);
        }
        form.show();
        if (!QTest::qWaitForWindowExposed(&form)) {
            qFatal("window not exposed");
        }
    }

    platform::ListView& view()
    {
        return *form.findChild<platform::ListView*>(QStringLiteral("ListView1"));
    }

    QStringList texts()
    {
        QStringList result;
        for (int i = 1; i <= form.fileList().count(); ++i) {
            result << form.fileList().text(i);
        }
        return result;
    }

    QPoint centreOf(int index)
    {
        return view().visualItemRect(view().topLevelItem(index - 1)).center();
    }

    void send(QEvent::Type type, const QPoint& at, Qt::MouseButton button, Qt::MouseButtons buttons)
    {
        QWidget* viewport = view().viewport();
        QMouseEvent event(type, at, viewport->mapToGlobal(at), button, buttons, Qt::NoModifier);
        QApplication::sendEvent(viewport, &event);
    }

    void press(int index, Qt::MouseButton button = Qt::LeftButton)
    {
        send(QEvent::MouseButtonPress, centreOf(index), button, button);
    }
    void moveOver(int index, Qt::MouseButtons buttons = Qt::LeftButton)
    {
        send(QEvent::MouseMove, centreOf(index), Qt::NoButton, buttons);
    }
    void release(int index, Qt::MouseButton button = Qt::LeftButton)
    {
        send(QEvent::MouseButtonRelease, centreOf(index), button, Qt::NoButton);
    }

    TestServices services;
    main_window::Form1 form{main_window::inProcessHost(), services.bundle()};
};

QMimeData* filesData(const QStringList& paths)
{
    auto* data = new QMimeData;
    QList<QUrl> urls;
    for (const QString& path : paths) {
        urls << QUrl::fromLocalFile(path);
    }
    data->setUrls(urls);
    return data;
}

/// Drags data over the list and drops it; returns whether the list accepted the drag.
bool dragAndDrop(platform::ListView& view, QMimeData* data)
{
    QWidget* viewport = view.viewport();
    const QPoint at(10, 10);
    QDragEnterEvent enter(at, Qt::CopyAction, data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(viewport, &enter);
    QDragMoveEvent move(at, Qt::CopyAction, data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(viewport, &move);
    const bool accepted = move.isAccepted();
    if (accepted) {
        QDropEvent drop(QPointF(at), Qt::CopyAction, data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(viewport, &drop);
    }
    delete data;
    return accepted;
}

const QStringList ABCD = {QStringLiteral("A"), QStringLiteral("B"), QStringLiteral("C"), QStringLiteral("D")};

} // namespace

class FileListTest : public QObject
{
    Q_OBJECT

  private Q_SLOTS:
    void appendAllowsDuplicates()
    {
        Window window({QStringLiteral("/docs/a.docx"), QStringLiteral("/docs/a.docx")});
        QCOMPARE(window.form.fileList().count(), 2);
        QCOMPARE(window.texts(), QStringList({QStringLiteral("/docs/a.docx"), QStringLiteral("/docs/a.docx")}));
    }

    void reorderExchangesTexts_data()
    {
        QTest::addColumn<QList<int>>("path");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("A over B, C, D") << QList<int>{2, 3, 4} << QStringList{"B", "C", "D", "A"};
        QTest::newRow("A straight onto D") << QList<int>{4} << QStringList{"D", "B", "C", "A"};
        QTest::newRow("A over B and back") << QList<int>{2, 1} << QStringList{"A", "B", "C", "D"};
    }

    void reorderExchangesTexts()
    {
        QFETCH(QList<int>, path);
        QFETCH(QStringList, expected);
        Window window(ABCD);
        window.press(1);
        for (int index : path) {
            window.moveOver(index);
        }
        QCOMPARE(window.texts(), expected);
        QCOMPARE(window.view().selectedIndex(), path.last());
        QCOMPARE(window.form.fileList().draggedEntry(), path.last());

        // After the release, moves change nothing.
        window.release(path.last());
        window.moveOver(2, Qt::NoButton);
        window.moveOver(3, Qt::NoButton);
        QCOMPARE(window.texts(), expected);
    }

    void equalTextsAreNotExchanged()
    {
        Window window({QStringLiteral("same"), QStringLiteral("same"), QStringLiteral("Same")});
        window.press(1);
        window.moveOver(2);
        QCOMPARE(window.view().selectedIndex(), 1);
        QCOMPARE(window.form.fileList().draggedEntry(), 1);
        // Texts that differ only in letter case are different entries.
        window.moveOver(3);
        QCOMPARE(window.texts(), QStringList({QStringLiteral("Same"), QStringLiteral("same"), QStringLiteral("same")}));
        QCOMPARE(window.view().selectedIndex(), 3);
    }

    void otherButtonsArmTheGesture_data()
    {
        QTest::addColumn<Qt::MouseButton>("button");
        QTest::newRow("right") << Qt::RightButton;
        QTest::newRow("middle") << Qt::MiddleButton;
    }

    void otherButtonsArmTheGesture()
    {
        QFETCH(Qt::MouseButton, button);
        Window window(ABCD);
        // The entry is picked with a left click; a later press of another button drags it.
        window.press(2);
        window.release(2);
        window.press(2, button);
        window.moveOver(3, button);
        QCOMPARE(window.texts(), QStringList({"A", "C", "B", "D"}));
    }

    void noGestureBeforeAnyItemClick()
    {
        Window window(ABCD);
        // A press on empty space arms the gesture but there is no dragged entry.
        window.send(QEvent::MouseButtonPress, QPoint(5, window.view().viewport()->height() - 3), Qt::LeftButton,
                    Qt::LeftButton);
        QVERIFY(window.form.fileList().pressFlag());
        window.moveOver(3);
        QCOMPARE(window.texts(), ABCD);
    }

    void listPointerFollowsTheGesture()
    {
        Window window(ABCD);
        QTemporaryDir folder;
        QVERIFY(QFile::copy(QStringLiteral(QUILLSIFT_RESOURCES_DIR "/drag.ico"), folder.path() + "/drag.ico"));
        window.form.fileList().setProgramFolder(folder.path());
        window.form.setMousePointer(99);
        window.press(1);
        QCOMPARE(window.view().mousePointer(), 99);
        QCOMPARE(window.view().viewport()->cursor().shape(), Qt::BitmapCursor);
        window.moveOver(2);
        QCOMPARE(window.form.mousePointer(), 0);
        window.release(2);
        QCOMPARE(window.view().mousePointer(), 1);
        QCOMPARE(window.view().viewport()->cursor().shape(), Qt::ArrowCursor);
    }

    void doubleClickRemoves()
    {
        Window window(ABCD);
        window.press(2);
        window.release(2);
        window.send(QEvent::MouseButtonDblClick, window.centreOf(2), Qt::LeftButton, Qt::LeftButton);
        QCOMPARE(window.texts(), QStringList({"A", "C", "D"}));
        // The removed entry was the dragged one: the gesture forgets it rather than act on another.
        window.press(1, Qt::RightButton);
        window.moveOver(2, Qt::RightButton);
        QCOMPARE(window.texts(), QStringList({"A", "C", "D"}));
    }

    void doubleClickWithNothingSelected()
    {
        Window window;
        window.send(QEvent::MouseButtonDblClick, QPoint(10, 10), Qt::LeftButton, Qt::LeftButton);
        QCOMPARE(window.form.fileList().count(), 0);
        QVERIFY(window.services.messageBox.shown.isEmpty());
    }

    void removalAboveKeepsTheDraggedEntry()
    {
        Window window(ABCD);
        window.press(3);
        window.release(3);
        window.view().select(1);
        window.form.fileList().ListView1_DblClick();
        QCOMPARE(window.form.fileList().draggedEntry(), 2);
        window.press(2, Qt::RightButton);
        window.moveOver(3, Qt::RightButton);
        QCOMPARE(window.texts(), QStringList({"B", "D", "C"}));
    }

    void drops()
    {
        QTemporaryDir folder;
        const QString one = folder.path() + QStringLiteral("/one.docx");
        const QString two = folder.path() + QStringLiteral("/zwei ü.doc");
        const QString sub = folder.path() + QStringLiteral("/sub");
        Window window({QStringLiteral("existing")});
        QVERIFY(dragAndDrop(window.view(), filesData({one, two, one})));
        QCOMPARE(window.texts(), QStringList({QStringLiteral("existing"), one, two, one}));
        QVERIFY(dragAndDrop(window.view(), filesData({sub + QStringLiteral("/")})));
        QCOMPARE(window.texts().last(), sub);

        auto* text = new QMimeData;
        text->setText(QStringLiteral("just text"));
        QVERIFY(!dragAndDrop(window.view(), text));
        auto* web = new QMimeData;
        web->setUrls({QUrl(QStringLiteral("https://quillsift.org/a.docx"))});
        QVERIFY(!dragAndDrop(window.view(), web));
        QCOMPARE(window.form.fileList().count(), 5);
    }

    void dropsRefusedWhileDraggingAndTakenAfterRelease()
    {
        Window window(ABCD);
        window.press(1);
        QVERIFY(!dragAndDrop(window.view(), filesData({QStringLiteral("/tmp/x.docx")})));
        window.release(1);
        QVERIFY(dragAndDrop(window.view(), filesData({QStringLiteral("/tmp/x.docx")})));
        QCOMPARE(window.form.fileList().count(), 5);
    }

    void edgeScrolling()
    {
        QStringList entries;
        for (int i = 1; i <= 60; ++i) {
            entries << QStringLiteral("entry %1").arg(i);
        }
        Window window(entries);
        auto& view = window.view();
        const int rows = view.visibleRowCount();
        QVERIFY(rows >= 4);

        // Drag the last visible entry over the one above it, low in the list: the next one shows.
        const int last = rows;
        window.press(last - 1);
        window.moveOver(last);
        QVERIFY(view.visualItemRect(view.topLevelItem(last)).bottom() <= view.viewport()->height());
        window.release(last);

        // High in the list, the one before shows.
        view.scrollToItem(view.topLevelItem(30), QAbstractItemView::PositionAtTop);
        const int top = view.hitTest(QPoint(5, 2));
        QVERIFY(top > 1);
        window.press(top + 1);
        window.moveOver(top);
        QVERIFY(view.visualItemRect(view.topLevelItem(top - 2)).top() >= 0);
        window.release(top);

        // In the middle nothing scrolls.
        const int first = view.hitTest(QPoint(5, 2));
        const int middle = view.hitTest(QPoint(5, view.viewport()->height() / 2));
        window.press(middle + 1);
        window.moveOver(middle);
        QCOMPARE(view.hitTest(QPoint(5, 2)), first);
    }
};

QTEST_MAIN(FileListTest)
#include "FileListTest.moc"
