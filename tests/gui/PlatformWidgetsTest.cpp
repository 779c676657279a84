// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/Services.h"
#include "platform/widgets/DesktopDialogs.h"
#include "platform/widgets/DesktopSystem.h"
#include "platform/widgets/ListView.h"
#include "platform/widgets/Pointer.h"
#include "platform/widgets/ProgressBarColor.h"
#include "platform/widgets/PushButtonCheckBox.h"

#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

#include <functional>

using namespace quillsift::platform;

namespace {

/// Shows the desktop open dialog in folder, lets drive work it once it lists the folder, and
/// returns its result; a dialog drive leaves open is cancelled.
OpenFileResult openInFolder(const QString& folder, const std::function<void(QFileDialog&)>& drive)
{
    QTimer::singleShot(0, [&] {
        auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        QVERIFY(dialog);
        // Whatever fails below, the dialog closes and the test goes on.
        const auto close = qScopeGuard([dialog] {
            if (dialog->isVisible()) {
                dialog->reject();
            }
        });
        dialog->setDirectory(folder);
        auto* model = dialog->findChild<QFileSystemModel*>();
        QVERIFY(model);
        // Typed names are matched against the listed files: the list must be there first.
        QTRY_VERIFY(model->rowCount(model->index(dialog->directory().absolutePath())) > 0);
        drive(*dialog);
    });
    OpenFileRequest request;
    request.filter = QStringLiteral("Word Documents (*.do*)|*.do*|All Files (*.*)|*.*");
    request.maxFileSize = 30000;
    DesktopOpenFileDialog dialog;
    return dialog.showOpen(nullptr, request);
}

void type(QFileDialog& dialog, const QString& text)
{
    auto* edit = dialog.findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
    QVERIFY(edit);
    edit->setFocus();
    edit->clear();
    QTest::keyClicks(edit, text);
}

QPushButton* openButton(QFileDialog& dialog)
{
    auto* buttons = dialog.findChild<QDialogButtonBox*>();
    return buttons ? buttons->button(QDialogButtonBox::Open) : nullptr;
}

QString nul()
{
    return QString(QChar(u'\0'));
}

} // namespace

/// The stand-ins for the common controls, the pointer images and the desktop's real services. It
/// touches only temporary files and the resources it reads.
class PlatformWidgetsTest : public QObject
{
    Q_OBJECT

  private Q_SLOTS:
    void pointerImages()
    {
        const auto hand = loadPointerImage(QStringLiteral(QUILLSIFT_RESOURCES_DIR "/HAND-M.CUR"));
        QVERIFY(hand.has_value());
        QCOMPARE(hand->hotSpot(), QPoint(10, 0));
        QCOMPARE(hand->pixmap().size(), QSize(32, 32));
        QVERIFY(loadPointerImage(QStringLiteral(QUILLSIFT_RESOURCES_DIR "/drag.ico")).has_value());

        QTemporaryDir folder;
        QVERIFY(!loadPointerImage(folder.filePath("missing.cur")).has_value());
        QFile garbage(folder.filePath("garbage.cur"));
        QVERIFY(garbage.open(QIODevice::WriteOnly));
        garbage.write(QByteArray("\0\0\2\0\1\0", 6) + QByteArray(40, 'x'));
        garbage.close();
        QVERIFY(!loadPointerImage(garbage.fileName()).has_value());
    }

    void pointerKinds()
    {
        const auto hand = loadPointerImage(QStringLiteral(QUILLSIFT_RESOURCES_DIR "/HAND-M.CUR"));
        QCOMPARE(cursorForKind(0, hand).shape(), Qt::ArrowCursor);
        QCOMPARE(cursorForKind(1, hand).shape(), Qt::ArrowCursor);
        QCOMPARE(cursorForKind(11, hand).shape(), Qt::WaitCursor);
        QCOMPARE(cursorForKind(99, hand).shape(), Qt::BitmapCursor);
        QCOMPARE(cursorForKind(99, std::nullopt).shape(), Qt::ArrowCursor);
    }

    void listViewColumns()
    {
        ListView view;
        view.addColumn(QStringLiteral("first"));
        view.addColumn(QStringLiteral("second"));
        view.addColumn(QStringLiteral("third"));
        view.setColumnWidthTwips(1, 1500);
        view.setColumnWidthTwips(3, 3000);
        view.removeColumn(2);
        QCOMPARE(view.columnCount(), 2);
        QCOMPARE(view.headerItem()->text(1), QStringLiteral("third"));
        QCOMPARE(view.columnWidthTwips(1), 1500);
        QCOMPARE(view.columnWidthTwips(2), 3000);
    }

    void listViewEntries()
    {
        ListView view;
        view.addColumn(QStringLiteral("Word File(s)"));
        QCOMPARE(view.text(1), QString());
        for (const char* text : {"a", "b", "c"}) {
            view.add(QString::fromLatin1(text));
        }
        QCOMPARE(view.count(), 3);
        QCOMPARE(view.selectedIndex(), 0);
        view.select(2);
        QCOMPARE(view.selectedIndex(), 2);
        view.remove(1);
        QCOMPARE(view.text(1), QStringLiteral("b"));
        QCOMPARE(view.selectedIndex(), 1);
        view.setText(5, QStringLiteral("ignored"));
        QCOMPARE(view.count(), 2);
    }

    void progressBarColourIsBgr()
    {
        QProgressBar bar;
        setProgressBarBackColor(bar, 0x00FF8000);
        QCOMPARE(bar.palette().color(QPalette::Base), QColor(0x00, 0x80, 0xFF));
    }

    void pushButtonValue()
    {
        PushButtonCheckBox button;
        QCOMPARE(button.value(), 0);
        QTest::mouseClick(&button, Qt::LeftButton);
        QCOMPARE(button.value(), 1);
        button.setValue(0);
        QCOMPARE(button.value(), 0);
    }

    void desktopServicesAreRealAndComplete()
    {
        const DesktopServices desktop;
        const Services& services = desktop.bundle();
        // The window takes every one of them and asks no one whether it is there.
        QVERIFY(services.messageBox && services.inputBox && services.openFileDialog && services.folderBrowser &&
                services.saveFileDialog && services.shell && services.screen && services.random &&
                services.fileSystem && services.process && services.directorySearch);
        QVERIFY(!services.process->programFolder().isEmpty());
        QVERIFY(services.fileSystem->modificationTime(QStringLiteral(QUILLSIFT_RESOURCES_DIR "/drag.ico")));
        QVERIFY(!services.fileSystem->modificationTime(QStringLiteral("/no/such/file")));
        services.random->seedFromTimeOfDay();
        for (int i = 0; i < 100; ++i) {
            const double number = services.random->next();
            QVERIFY(number >= 0.0 && number < 1.0);
        }
    }

    void openDialogReturnsEveryTypedName()
    {
        QTemporaryDir temporary;
        const QString folder = QDir(temporary.path()).absolutePath();
        QFile(folder + QStringLiteral("/aaa.docx")).open(QIODevice::WriteOnly);
        QVERIFY(QDir(folder).mkdir(QStringLiteral("sub")));

        // Qt's own dialog would return only aaa.docx, the one it found in its list.
        OpenFileResult both = openInFolder(folder, [](QFileDialog& dialog) {
            type(dialog, QStringLiteral("\"nosuch.docx\" \"aaa.docx\""));
            QTest::keyClick(dialog.findChild<QLineEdit*>(QStringLiteral("fileNameEdit")), Qt::Key_Return);
        });
        QCOMPARE(both.fileName, folder + nul() + QStringLiteral("nosuch.docx") + nul() + QStringLiteral("aaa.docx"));
        QCOMPARE(both.chosenCount, 2);

        // A name not found leaves the Open button usable.
        OpenFileResult missing = openInFolder(folder, [](QFileDialog& dialog) {
            type(dialog, QStringLiteral("never saved.docx"));
            QTRY_VERIFY(openButton(dialog) && openButton(dialog)->isEnabled());
            QTest::mouseClick(openButton(dialog), Qt::LeftButton);
        });
        QCOMPARE(missing.fileName, folder + QStringLiteral("/never saved.docx"));

        // A folder's name opens the folder; the dialog stays.
        QString shown;
        OpenFileResult cancelled = openInFolder(folder, [&](QFileDialog& dialog) {
            type(dialog, QStringLiteral("sub"));
            QTest::keyClick(dialog.findChild<QLineEdit*>(QStringLiteral("fileNameEdit")), Qt::Key_Return);
            QVERIFY(dialog.isVisible());
            shown = dialog.directory().absolutePath();
        });
        QCOMPARE(shown, folder + QStringLiteral("/sub"));
        QVERIFY(cancelled.fileName.isEmpty());
        QCOMPARE(cancelled.chosenCount, 0);
    }
};

QTEST_MAIN(PlatformWidgetsTest)
#include "PlatformWidgetsTest.moc"
