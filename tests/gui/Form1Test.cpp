// SPDX-License-Identifier: GPL-3.0-or-later
#include "main_window/Form1.h"
#include "file_list/FileList.h"
#include "main_window/Addresses.h"
#include "main_window/RunHost.h"
#include "platform/testing/TestServices.h"
#include "platform/widgets/ListView.h"
#include "platform/widgets/PushButtonCheckBox.h"

#include <QHeaderView>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QtTest>

using namespace quillsift;
using platform::PushButtonCheckBox;
using platform::testing::TestServices;

/// The main window as the user first meets it: controls, pointer, start-up and commands. Each case
/// owns its window and the doubles it hands it; nothing else is touched but temporary folders.
class Form1Test : public QObject
{
    Q_OBJECT

  private:
    template <typename T> static T* control(main_window::Form1& form, const char* name)
    {
        auto* widget = form.findChild<T*>(QString::fromLatin1(name));
        if (!widget) {
            qFatal("no control %s", name);
        }
        return widget;
    }

    static void moveOver(QWidget* widget, QPoint position = QPoint(5, 5))
    {
        QMouseEvent move(QEvent::MouseMove, position, widget->mapToGlobal(position), Qt::NoButton, Qt::NoButton,
                         Qt::NoModifier);
        QApplication::sendEvent(widget, &move);
    }

  private Q_SLOTS:
    void startState()
    {
        TestServices services;
        main_window::Form1 form(main_window::inProcessHost(), services.bundle());
        form.show();
        QVERIFY(QTest::qWaitForWindowActive(&form));

        QCOMPARE(form.windowTitle(), QStringLiteral("Quillsift"));
        QCOMPARE(form.size(), QSize(489, 329));
        auto* list = control<platform::ListView>(form, "ListView1");
        QCOMPARE(list->columnCount(), 1);
        QCOMPARE(list->headerItem()->text(0), QStringLiteral("Word File(s)"));
        QCOMPARE(list->columnWidthTwips(1), 6000);
        QVERIFY(!list->isHeaderHidden());
        QCOMPARE(list->count(), 0);
        QCOMPARE(list->toolTip(), QStringLiteral("Drag and drop files here. Double-click item to remove it. Move bar "
                                                 "to right and out of window to reveal full names."));
        QVERIFY(control<QRadioButton>(form, "Option1")->isChecked());
        QVERIFY(!control<QRadioButton>(form, "Option2")->isChecked());
        QVERIFY(form.lineMode());
        for (const char* name : {"Check1", "Check2", "Check3", "Check4"}) {
            QCOMPARE(control<PushButtonCheckBox>(form, name)->value(), 0);
        }
        QCOMPARE(control<PushButtonCheckBox>(form, "Check4")->text(), QStringLiteral(" Add All Word Files In Folder"));
        auto* bar = control<QProgressBar>(form, "ProgressBar1");
        QVERIFY(bar->value() < bar->minimum());
        QCOMPARE(bar->palette().color(QPalette::Base), QColor(Qt::white));
        QCOMPARE(form.mousePointer(), 0);
        QCOMPARE(QApplication::focusWidget(), control<QPushButton>(form, "Command1"));
        QVERIFY(services.messageBox.shown.isEmpty());
    }

    void layout_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QRect>("twips");
        QTest::newRow("ListView1") << "ListView1" << QRect(120, 120, 7095, 2295);
        QTest::newRow("Option1") << "Option1" << QRect(120, 2460, 2415, 255);
        QTest::newRow("Option2") << "Option2" << QRect(2640, 2460, 2535, 255);
        QTest::newRow("Check1") << "Check1" << QRect(120, 2760, 2295, 1095);
        QTest::newRow("Check4") << "Check4" << QRect(2520, 2760, 2295, 1095);
        QTest::newRow("Check2") << "Check2" << QRect(4920, 2760, 2295, 1095);
        QTest::newRow("ProgressBar1") << "ProgressBar1" << QRect(120, 3960, 7095, 345);
        QTest::newRow("Check3") << "Check3" << QRect(120, 4440, 7095, 375);
        QTest::newRow("Command1") << "Command1" << QRect(-720, 2640, 615, 495);
    }

    void layout()
    {
        QFETCH(QString, name);
        QFETCH(QRect, twips);
        TestServices services;
        main_window::Form1 form(main_window::inProcessHost(), services.bundle());
        auto* widget = form.findChild<QWidget*>(name);
        QVERIFY(widget);
        QCOMPARE(widget->geometry(), QRect(twips.x() / 15, twips.y() / 15, twips.width() / 15, twips.height() / 15));
    }

    void tabOrderAndFocusHolder()
    {
        TestServices services;
        main_window::Form1 form(main_window::inProcessHost(), services.bundle());
        form.show();
        QVERIFY(QTest::qWaitForWindowActive(&form));
        auto* command1 = control<QPushButton>(form, "Command1");
        QCOMPARE(QApplication::focusWidget(), command1);
        // Enter and Space on the invisible focus holder do nothing.
        QTest::keyClick(command1, Qt::Key_Space);
        QTest::keyClick(command1, Qt::Key_Return);
        QVERIFY(services.messageBox.shown.isEmpty());
        QVERIFY(services.shell.addresses.isEmpty());
        QTest::keyClick(&form, Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), control<QWidget>(form, "Check1"));
        QTest::keyClick(&form, Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), control<QWidget>(form, "Check2"));
        QTest::keyClick(&form, Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), control<QWidget>(form, "ListView1"));
    }

    void handPointer_data()
    {
        QTest::addColumn<bool>("present");
        QTest::newRow("present") << true;
        QTest::newRow("absent") << false;
    }

    void handPointer()
    {
        QFETCH(bool, present);
        TestServices services;
        QTemporaryDir folder;
        services.process.folder = folder.path();
        const QString hand = folder.path() + QStringLiteral("/HAND-M.CUR");
        if (present) {
            QVERIFY(QFile::copy(QStringLiteral(QUILLSIFT_RESOURCES_DIR "/HAND-M.CUR"), hand));
            services.fileSystem.times.insert(hand, QDateTime::currentDateTime());
        }
        main_window::Form1 form(main_window::inProcessHost(), services.bundle());
        QCOMPARE(form.mouseIcon().has_value(), present);
        moveOver(control<QWidget>(form, "Check2"));
        QCOMPARE(form.mousePointer(), 99);
        QCOMPARE(form.cursor().shape(), present ? Qt::BitmapCursor : Qt::ArrowCursor);
    }

    void unreadableHandFileIsIgnored()
    {
        TestServices services;
        QTemporaryDir folder;
        services.process.folder = folder.path();
        const QString hand = folder.path() + QStringLiteral("/HAND-M.CUR");
        QFile file(hand);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("not a pointer image");
        file.close();
        services.fileSystem.times.insert(hand, QDateTime::currentDateTime());
        main_window::Form1 form(main_window::inProcessHost(), services.bundle());
        QVERIFY(!form.mouseIcon().has_value());
    }

    void homePageVisit_data()
    {
        QTest::addColumn<double>("number");
        QTest::addColumn<bool>("opens");
        QTest::newRow("draw 1") << 0.0 << false;
        QTest::newRow("draw 6") << 0.0599 << false;
        QTest::newRow("draw 7, low") << 0.06 << true;
        QTest::newRow("draw 7, high") << 0.0699 << true;
        QTest::newRow("draw 8") << 0.07 << false;
        QTest::newRow("draw 100") << 0.999 << false;
    }

    void homePageVisit()
    {
        QFETCH(double, number);
        QFETCH(bool, opens);
        TestServices services;
        services.random.numbers.enqueue(number);
        main_window::Form1 form(main_window::inProcessHost(), services.bundle());
        QCOMPARE(services.random.seeds, 1);
        QCOMPARE(services.shell.addresses, opens ? QStringList{main_window::homePageAddress()} : QStringList());
        QCOMPARE(form.windowTitle(), QStringLiteral("Quillsift"));
    }

    void centredOnTheScreen_data()
    {
        QTest::addColumn<QSize>("screen");
        QTest::newRow("large screen") << QSize(1920, 1080);
        QTest::newRow("screen smaller than the window") << QSize(300, 200);
    }

    void centredOnTheScreen()
    {
        QFETCH(QSize, screen);
        TestServices services;
        services.screen.screenSize = screen;
        main_window::Form1 form(main_window::inProcessHost(), services.bundle());
        const QSize outer = form.frameGeometry().size();
        QCOMPARE(form.frameGeometry().topLeft(),
                 QPoint((screen.width() - outer.width()) / 2, (screen.height() - outer.height()) / 2));
        if (screen.width() < outer.width()) {
            QVERIFY(form.frameGeometry().left() < 0);
        }
    }

    void pressActsOnceAndPopsUp()
    {
        TestServices services;
        main_window::Form1 form(main_window::inProcessHost(), services.bundle());
        form.show();
        QVERIFY(QTest::qWaitForWindowActive(&form));
        auto* check3 = control<PushButtonCheckBox>(form, "Check3");
        QTest::mouseClick(check3, Qt::LeftButton);
        QCOMPARE(services.shell.addresses, QStringList{main_window::companionPageAddress()});
        QCOMPARE(check3->value(), 0);

        // Space on the focused button does the same as a click.
        check3->setFocus();
        QTest::keyClick(check3, Qt::Key_Space);
        QCOMPARE(services.shell.addresses.size(), 2);
        QCOMPARE(check3->value(), 0);
        QCOMPARE(form.fileList().count(), 0);
        QCOMPARE(form.mousePointer(), 0);
    }

    void emptyListRun()
    {
        TestServices services;
        main_window::Form1 form(main_window::inProcessHost(), services.bundle());
        auto* check2 = control<PushButtonCheckBox>(form, "Check2");
        QTest::mouseClick(check2, Qt::LeftButton);
        QCOMPARE(services.messageBox.shown.size(), 1);
        QCOMPARE(services.messageBox.shown.first().text, QStringLiteral("No files added."));
        QCOMPARE(services.messageBox.shown.first().buttons, platform::MsgBoxButtons::Ok);
        QCOMPARE(check2->value(), 0);
        QCOMPARE(form.mousePointer(), 0);
    }

    void busyWindowRefusesCommands()
    {
        TestServices services;
        main_window::Form1 form(main_window::inProcessHost(), services.bundle());
        form.setBusy(true);
        for (const char* name : {"Check1", "Check2", "Check4"}) {
            auto* button = control<PushButtonCheckBox>(form, name);
            QTest::mouseClick(button, Qt::LeftButton);
            QCOMPARE(button->value(), 0);
        }
        QVERIFY(services.messageBox.shown.isEmpty());
        QVERIFY(services.openFileDialog.requests.isEmpty());
        QVERIFY(services.inputBox.prompts.isEmpty());
    }

    void hover()
    {
        TestServices services;
        main_window::Form1 form(main_window::inProcessHost(), services.bundle());
        for (const char* name : {"Check1", "Check2", "Check3", "Check4"}) {
            form.setMousePointer(0);
            moveOver(control<QWidget>(form, name));
            QCOMPARE(form.mousePointer(), 99);
        }
        // The strip of bare window between the commands gives the arrow back.
        moveOver(&form, QPoint(2460 / 15, 3000 / 15));
        QCOMPARE(form.mousePointer(), 0);
        moveOver(control<QWidget>(form, "Check2"));
        moveOver(control<platform::ListView>(form, "ListView1")->viewport());
        QCOMPARE(form.mousePointer(), 0);

        // While busy the hourglass stays wherever the pointer goes.
        form.setMousePointer(11);
        moveOver(control<QWidget>(form, "Check2"));
        moveOver(&form, QPoint(2460 / 15, 3000 / 15));
        moveOver(control<platform::ListView>(form, "ListView1")->viewport());
        QCOMPARE(form.mousePointer(), 11);
        QCOMPARE(form.cursor().shape(), Qt::WaitCursor);
    }

    void closingEndsTheProgram()
    {
        TestServices services;
        main_window::Form1 form(main_window::inProcessHost(), services.bundle());
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        form.close();
        QCOMPARE(services.process.exitCode, std::optional<int>(0));
    }
};

QTEST_MAIN(Form1Test)
#include "Form1Test.moc"
