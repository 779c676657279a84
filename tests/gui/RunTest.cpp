// SPDX-License-Identifier: GPL-3.0-or-later
#include "DocxWriter.h"
#include "engine/Word1.h"
#include "file_list/FileList.h"
#include "main_window/Form1.h"
#include "main_window/RunHost.h"
#include "platform/docx/DocxApplication.h"
#include "platform/docx/DocxDocument.h"
#include "platform/docx/DocxDocuments.h"
#include "platform/docx/window/HostWindow.h"
#include "platform/testing/TestServices.h"
#include "platform/widgets/ListView.h"
#include "platform/widgets/PushButtonCheckBox.h"

#include <QCryptographicHash>
#include <QDirIterator>
#include <QLabel>
#include <QListWidget>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QtTest>

#include <sys/stat.h>

using namespace quillsift;

namespace {

/// The doubles of one run's test. The host windows a run shows ask through the same ones, for
/// as long as they live: the window listener is theirs until they go.
class RunServices : public platform::testing::TestServices
{
  public:
    RunServices()
    {
        docx::HostWindow::installAsWindowListener(saveFileDialog, messageBox);
    }
    ~RunServices()
    {
        docx::DocxApplication::setWindowListener({});
    }
};

QByteArray checksum(const QString& path)
{
    QFile file(path);
    file.open(QIODevice::ReadOnly);
    return QCryptographicHash::hash(file.readAll(), QCryptographicHash::Sha256);
}

QStringList filesUnder(const QString& folder)
{
    QStringList files;
    QDirIterator it(folder, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        files << it.next();
    }
    files.sort();
    return files;
}

QString writeText(const QString& path, const QByteArray& text)
{
    QFile file(path);
    file.open(QIODevice::WriteOnly);
    file.write(text);
    return path;
}

/// The text of every document a run left open, paragraph marks shown as "|".
QStringList copiesTexts(docx::HostWindow& window)
{
    QStringList texts;
    for (const auto& document : window.application()->docxDocuments().list()) {
        texts << document->content()->text().replace(QLatin1Char('\r'), QLatin1Char('|'));
    }
    return texts;
}

docx::HostWindow* hostWindow()
{
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (auto* window = qobject_cast<docx::HostWindow*>(widget); window && window->isVisible()) {
            return window;
        }
    }
    return nullptr;
}

void press(main_window::Form1& form, const char* name)
{
    QTest::mouseClick(form.findChild<platform::PushButtonCheckBox*>(QString::fromLatin1(name)), Qt::LeftButton);
}

} // namespace

/// Whole runs over the in-process host, and the host's window. It owns the documents in m_folder,
/// which no run may change; each case owns its window and doubles.
class RunTest : public QObject
{
    Q_OBJECT

  private:
    QTemporaryDir m_folder;
    QString m_lines;
    QString m_words;
    QString m_text;
    QString m_damaged;

  private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(m_folder.isValid());
        m_lines = m_folder.filePath("lines.docx");
        testing::writeDocxBody(m_lines, testing::bodyXml({"A", "B", "A", "B", "C"}));
        m_words = m_folder.filePath("words.docx");
        testing::writeDocxBody(m_words, testing::bodyXml({"the cat and the dog", "cat cats cat"}));
        m_text = writeText(m_folder.filePath("notes.txt"), "one\ntwo\none\n");
        m_damaged = writeText(m_folder.filePath("damaged.docx"), "PK\x03\x04 this is not a package");
    }

    void cleanup()
    {
        for (QWidget* widget : QApplication::topLevelWidgets()) {
            if (auto* window = qobject_cast<docx::HostWindow*>(widget)) {
                for (const auto& document : window->application()->docxDocuments().list()) {
                    document->close();
                }
                window->close();
            }
        }
        QApplication::processEvents();
    }

    void bothModesEndToEnd_data()
    {
        QTest::addColumn<bool>("lineMode");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("lines") << true << QStringList{"A|B|C|", "the cat and the dog|cat cats cat|", "one|two||"};
        QTest::newRow("words") << false << QStringList{"A|B|||C|", "the cat and  dog| cats |", "one|two||"};
    }

    void bothModesEndToEnd()
    {
        QFETCH(bool, lineMode);
        QFETCH(QStringList, expected);
        RunServices services;
        main_window::Form1 form(main_window::inProcessHost(), services.bundle());
        form.findChild<QRadioButton*>(lineMode ? "Option1" : "Option2")->setChecked(true);
        const QStringList before = filesUnder(m_folder.path());
        const QByteArray sum = checksum(m_lines);
        for (const QString& path : {m_lines, m_words, m_text}) {
            form.fileList().append(path);
        }
        press(form, "Check2");

        QCOMPARE(services.messageBox.shown.size(), 1);
        QCOMPARE(services.messageBox.shown.last().text, QStringLiteral("Done."));
        QCOMPARE(form.mousePointer(), 0);
        QVERIFY(!form.busy());
        auto* window = hostWindow();
        QVERIFY(window);
        QCOMPARE(copiesTexts(*window), expected);
        const auto documents = window->application()->docxDocuments().list();
        QCOMPARE(documents.front()->name(), QStringLiteral("Document1"));
        QCOMPARE(documents.back()->name(), QStringLiteral("Document3"));
        for (const auto& document : documents) {
            QVERIFY(!document->saved());
        }
        // Nothing was written and no source changed.
        QCOMPARE(filesUnder(m_folder.path()), before);
        QCOMPARE(checksum(m_lines), sum);
    }

    void modeReadAfreshForEveryFile()
    {
        RunServices services;
        main_window::Form1 form(main_window::inProcessHost(), services.bundle());
        form.fileList().append(m_lines);
        form.fileList().append(m_lines);
        services.process.onYield = [&form] { form.findChild<QRadioButton*>("Option2")->setChecked(true); };
        press(form, "Check2");
        QCOMPARE(copiesTexts(*hostWindow()), QStringList({"A|B|C|", "A|B|||C|"}));
    }

    void appendedDuringTheRunIsNotProcessed()
    {
        RunServices services;
        main_window::Form1 form(main_window::inProcessHost(), services.bundle());
        for (const QString& path : {m_lines, m_words, m_text}) {
            form.fileList().append(path);
        }
        bool appended = false;
        services.process.onYield = [&] {
            if (!appended) {
                appended = true;
                form.fileList().append(m_lines);
            }
        };
        press(form, "Check2");
        QCOMPARE(form.fileList().count(), 4);
        QCOMPARE(copiesTexts(*hostWindow()).size(), 3);
    }

    void removedEntriesEndTheRunEarly()
    {
        RunServices services;
        main_window::Form1 form(main_window::inProcessHost(), services.bundle());
        for (const QString& path : {m_lines, m_words, m_text}) {
            form.fileList().append(path);
        }
        auto* view = form.findChild<platform::ListView*>("ListView1");
        bool removed = false;
        services.process.onYield = [&] {
            if (!removed) {
                removed = true;
                view->select(3);
                form.fileList().ListView1_DblClick();
                view->select(2);
                form.fileList().ListView1_DblClick();
            }
        };
        press(form, "Check2");
        QCOMPARE(services.messageBox.shown.last().text, QStringLiteral("Done."));
        QCOMPARE(copiesTexts(*hostWindow()), QStringList({"A|B|C|"}));
    }

    void damagedFileDoesNotEndTheRun()
    {
        RunServices services;
        main_window::Form1 form(main_window::inProcessHost(), services.bundle());
        const QString missing = m_folder.filePath("missing.docx");
        // A named pipe would block a reader for ever: it is refused like any other bad file.
        const QString pipe = m_folder.filePath("pipe.docx");
        QCOMPARE(::mkfifo(QFile::encodeName(pipe).constData(), 0600), 0);
        for (const QString& path : {m_lines, m_damaged, missing, pipe, m_text}) {
            form.fileList().append(path);
        }
        press(form, "Check2");
        QCOMPARE(services.messageBox.shown.size(), 2);
        const QString report = services.messageBox.shown.first().text;
        QVERIFY2(report.contains(m_damaged), qPrintable(report));
        QVERIFY2(report.contains(missing), qPrintable(report));
        QVERIFY2(report.contains(pipe), qPrintable(report));
        QVERIFY(!report.contains(m_lines));
        QCOMPARE(services.messageBox.shown.last().text, QStringLiteral("Done."));
        QCOMPARE(copiesTexts(*hostWindow()), QStringList({"A|B|C|", "one|two||"}));
        QCOMPARE(form.mousePointer(), 0);
        QVERIFY(!form.busy());
    }

    void busyDuringTheRun()
    {
        RunServices services;
        main_window::Form1 form(main_window::inProcessHost(), services.bundle());
        form.fileList().append(m_lines);
        form.fileList().append(m_text);
        int pointerSeen = -1;
        bool busySeen = false;
        services.process.onYield = [&] {
            pointerSeen = form.mousePointer();
            busySeen = form.busy();
            // A second press while the run works does nothing but pop the button up.
            press(form, "Check2");
            press(form, "Check1");
        };
        press(form, "Check2");
        QCOMPARE(pointerSeen, 11);
        QVERIFY(busySeen);
        QCOMPARE(services.messageBox.shown.size(), 1);
        QVERIFY(services.openFileDialog.requests.isEmpty());
        QCOMPARE(copiesTexts(*hostWindow()).size(), 2);
    }

    void preFlightCheck()
    {
        RunServices services;
        main_window::Form1 form(main_window::inProcessHost(), services.bundle());
        form.fileList().append(m_lines);
        press(form, "Check2");
        QCOMPARE(services.messageBox.shown.size(), 1);

        // The host now holds the first run's copy: it counts as running.
        services.messageBox.answers.enqueue(platform::MsgBoxAnswer::No);
        press(form, "Check2");
        QCOMPARE(services.messageBox.shown.size(), 2);
        QCOMPARE(services.messageBox.shown.last().text,
                 QStringLiteral("Quillsift's document host still holds copies from an earlier run. It is "
                                "recommended that you save or close them first.\r\n\r\n"
                                "Would you like to proceed anyway?"));
        QCOMPARE(services.messageBox.shown.last().buttons, platform::MsgBoxButtons::YesNo);
        QCOMPARE(form.mousePointer(), 0);

        services.messageBox.answers.enqueue(platform::MsgBoxAnswer::Yes);
        press(form, "Check2");
        QCOMPARE(services.messageBox.shown.size(), 4);
        QCOMPARE(services.messageBox.shown.last().text, QStringLiteral("Done."));
    }

    void hostWindowShowsTheRemovals()
    {
        RunServices services;
        main_window::Form1 form(main_window::inProcessHost(), services.bundle());
        form.fileList().append(m_lines);
        form.fileList().append(m_words);
        form.findChild<QRadioButton*>("Option2")->setChecked(true);
        press(form, "Check2");
        auto* window = hostWindow();
        QVERIFY(window);
        auto* list = window->findChild<QListWidget*>("documents");
        QCOMPARE(list->count(), 2);
        QCOMPARE(list->item(0)->text(), QStringLiteral("Document1"));
        window->selectDocument(1);
        const auto document = window->application()->docxDocuments().list().at(1);
        QCOMPARE(docx::HostWindow::removalSummary(*document), QStringLiteral("3 removed, shown struck through"));
        const QString details = window->findChild<QLabel*>("details")->text();
        QVERIFY2(details.contains(m_words), qPrintable(details));
        const QString html = docx::HostWindow::documentHtml(*document);
        QVERIFY2(html.contains(QStringLiteral("and </s>")) == false, qPrintable(html));
        QVERIFY2(html.contains(QStringLiteral(">the</s>")), qPrintable(html));
        QVERIFY2(html.contains(QStringLiteral(">cat</s>")), qPrintable(html));
    }

    void saveAndCloseFromTheHostWindow()
    {
        RunServices services;
        main_window::Form1 form(main_window::inProcessHost(), services.bundle());
        form.fileList().append(m_lines);
        press(form, "Check2");
        auto* window = hostWindow();
        QVERIFY(window);
        const QByteArray sum = checksum(m_lines);
        QTemporaryDir output;
        const QString target = output.filePath("cleaned.docx");

        // The source is never written: the host window's box says so, naming the file.
        services.saveFileDialog.paths.enqueue(m_lines);
        QVERIFY(!window->saveSelected());
        QCOMPARE(services.messageBox.shown.size(), 2);
        QVERIFY2(services.messageBox.shown.last().text.contains(m_lines),
                 qPrintable(services.messageBox.shown.last().text));
        QCOMPARE(services.messageBox.shown.last().buttons, platform::MsgBoxButtons::Ok);

        // Closing an unsaved copy asks first; when the save Yes starts fails, the copy stays open.
        services.messageBox.answers.enqueue(platform::MsgBoxAnswer::Yes);
        services.saveFileDialog.paths.enqueue(m_lines);
        window->closeSelected();
        QCOMPARE(services.messageBox.shown.size(), 4);
        QCOMPARE(window->application()->docxDocuments().list().size(), std::size_t(1));
        QVERIFY(!window->application()->docxDocuments().list().front()->saved());
        QCOMPARE(checksum(m_lines), sum);

        // Yes saves it under the chosen name, and the copy closes.
        services.messageBox.answers.enqueue(platform::MsgBoxAnswer::Yes);
        services.saveFileDialog.paths.enqueue(output.filePath("cleaned"));
        window->closeSelected();
        QVERIFY(services.messageBox.shown.last().text.contains(QStringLiteral("Document1")));
        QVERIFY(QFile::exists(target));
        QVERIFY(window->application()->docxDocuments().list().empty());
    }

    void closingTheMainWindow()
    {
        {
            RunServices services;
            main_window::Form1 form(main_window::inProcessHost(), services.bundle());
            form.fileList().append(m_lines);
            press(form, "Check2");
            QVERIFY(hostWindow());
            form.close();
            // The host window a finished run showed stays: the program goes on.
            QVERIFY(!services.process.exitCode.has_value());
        }
        cleanup();
        {
            RunServices services;
            main_window::Form1 form(main_window::inProcessHost(), services.bundle());
            form.fileList().append(m_lines);
            services.process.onYield = [&form] { form.close(); };
            press(form, "Check2");
            QCOMPARE(services.process.exitCode, std::optional<int>(0));
        }
    }
};

QTEST_MAIN(RunTest)
#include "RunTest.moc"
