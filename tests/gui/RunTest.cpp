// SPDX-License-Identifier: GPL-3.0-or-later
#include "DocxWriter.h"
#include "engine/Word1.h"
#include "file_list/FileList.h"
#include "main_window/Form1.h"
#include "main_window/RunHost.h"
#include "platform/docx/DocxApplication.h"
#include "platform/docx/DocxDocument.h"
#include "platform/docx/DocxDocuments.h"
#include "platform/docx/DocxHostProvider.h"
#include "platform/docx/Package.h"
#include "platform/docx/window/CopyTextModel.h"
#include "platform/docx/window/HostWindow.h"
#include "platform/docx/window/HostWindowKeeper.h"
#include "platform/testing/TestServices.h"
#include "platform/widgets/ListView.h"
#include "platform/widgets/PushButtonCheckBox.h"

#include <QCheckBox>
#include <QCryptographicHash>
#include <QDirIterator>
#include <QLabel>
#include <QListView>
#include <QListWidget>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QtTest>

#include <algorithm>

#include <sys/stat.h>

using namespace quillsift;

namespace {

/// The doubles of one run's test, and the host window the runs show, which asks through them.
class RunServices : public platform::testing::TestServices
{
  public:
    docx::HostWindowKeeper windows{saveFileDialog, folderBrowser, messageBox};

    main_window::RunHost host()
    {
        return main_window::inProcessHost(&windows);
    }
    docx::HostWindow* hostWindow() const
    {
        return windows.isShowing() ? windows.window() : nullptr;
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
    for (const auto& document : window.documents()) {
        texts << document->content()->text().replace(QLatin1Char('\r'), QLatin1Char('|'));
    }
    return texts;
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
        main_window::Form1 form(services.host(), services.bundle());
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
        auto* window = services.hostWindow();
        QVERIFY(window);
        QCOMPARE(copiesTexts(*window), expected);
        const auto documents = window->documents();
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
        main_window::Form1 form(services.host(), services.bundle());
        form.fileList().append(m_lines);
        form.fileList().append(m_lines);
        services.process.onYield = [&form] { form.findChild<QRadioButton*>("Option2")->setChecked(true); };
        press(form, "Check2");
        QCOMPARE(copiesTexts(*services.hostWindow()), QStringList({"A|B|C|", "A|B|||C|"}));
    }

    void appendedDuringTheRunIsNotProcessed()
    {
        RunServices services;
        main_window::Form1 form(services.host(), services.bundle());
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
        QCOMPARE(copiesTexts(*services.hostWindow()).size(), 3);
    }

    void removedEntriesEndTheRunEarly()
    {
        RunServices services;
        main_window::Form1 form(services.host(), services.bundle());
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
        QCOMPARE(copiesTexts(*services.hostWindow()), QStringList({"A|B|C|"}));
    }

    void damagedFileDoesNotEndTheRun()
    {
        RunServices services;
        main_window::Form1 form(services.host(), services.bundle());
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
        QCOMPARE(copiesTexts(*services.hostWindow()), QStringList({"A|B|C|", "one|two||"}));
        QCOMPARE(form.mousePointer(), 0);
        QVERIFY(!form.busy());
    }

    void busyDuringTheRun()
    {
        RunServices services;
        main_window::Form1 form(services.host(), services.bundle());
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
        QCOMPARE(copiesTexts(*services.hostWindow()).size(), 2);
    }

    void preFlightCheck()
    {
        RunServices services;
        main_window::Form1 form(services.host(), services.bundle());
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
        main_window::Form1 form(services.host(), services.bundle());
        form.fileList().append(m_lines);
        form.fileList().append(m_words);
        form.findChild<QRadioButton*>("Option2")->setChecked(true);
        press(form, "Check2");
        auto* window = services.hostWindow();
        QVERIFY(window);
        auto* list = window->findChild<QListWidget*>("documents");
        QCOMPARE(list->count(), 2);
        QCOMPARE(list->item(0)->text(), QStringLiteral("Document1 \u2014 cleaned copy of lines.docx \u2014 "
                                                       "2 words removed *"));
        QCOMPARE(list->item(1)->text(), QStringLiteral("Document2 \u2014 cleaned copy of words.docx \u2014 "
                                                       "3 words removed *"));
        window->selectDocument(1);
        const QString details = window->findChild<QLabel*>("details")->text();
        QVERIFY2(details.contains(m_words), qPrintable(details));
        QVERIFY2(details.contains(QStringLiteral("3 words removed, shown struck through")), qPrintable(details));
        auto* view = window->findChild<QListView*>("text");
        QCOMPARE(view->model()->rowCount(), 2);
        const QString first = view->model()->index(0, 0).data().toString();
        QVERIFY2(first.contains(QStringLiteral(">the</s>")), qPrintable(first));
        QVERIFY2(!first.contains(QStringLiteral("and</s>")), qPrintable(first));
        QVERIFY2(view->model()->index(1, 0).data().toString().contains(QStringLiteral(">cat</s>")),
                 qPrintable(view->model()->index(1, 0).data().toString()));
    }

    void laterRunsJoinTheOneWindow()
    {
        RunServices services;
        main_window::Form1 form(services.host(), services.bundle());
        form.fileList().append(m_lines);
        press(form, "Check2");
        auto* window = services.hostWindow();
        QVERIFY(window);
        // The second run's pre-flight question is answered Yes: its copy joins the same window,
        // named on from the first run's, and is the one shown.
        services.messageBox.answers.enqueue(platform::MsgBoxAnswer::Yes);
        form.fileList().append(m_text);
        press(form, "Check2");
        QCOMPARE(services.hostWindow(), window);
        const auto documents = window->documents();
        QCOMPARE(documents.size(), std::size_t(3));
        QCOMPARE(documents[1]->name(), QStringLiteral("Document2"));
        QCOMPARE(documents[2]->name(), QStringLiteral("Document3"));
        QCOMPARE(window->findChild<QListWidget*>("documents")->currentRow(), 1);
        QCOMPARE(window->findChild<QListWidget*>("documents")->item(1)->text(),
                 QStringLiteral("Document2 \u2014 cleaned copy of lines.docx \u2014 2 paragraphs removed *"));
        int windows = 0;
        for (QWidget* widget : QApplication::topLevelWidgets()) {
            windows += qobject_cast<docx::HostWindow*>(widget) && widget->isVisible() ? 1 : 0;
        }
        QCOMPARE(windows, 1);
    }

    void removedEmptyParagraphAndMarks()
    {
        QTemporaryDir folder;
        const QString path = folder.filePath("empty.docx");
        testing::writeDocxBody(path, testing::bodyXml({"a b", "", "a  b", "", "end"}));
        RunServices services;
        main_window::Form1 form(services.host(), services.bundle());
        form.fileList().append(path);
        press(form, "Check2");
        auto* window = services.hostWindow();
        QVERIFY(window);
        QVERIFY2(
            window->findChild<QListWidget*>("documents")->item(0)->text().endsWith(u"\u2014 1 paragraph removed *"),
            qPrintable(window->findChild<QListWidget*>("documents")->item(0)->text()));
        auto* view = window->findChild<QListView*>("text");
        // The second empty paragraph went: its struck mark shows where it stood.
        QCOMPARE(view->model()->rowCount(), 5);
        const QString removed = view->model()->index(3, 0).data().toString();
        QVERIFY2(removed.contains(QStringLiteral("&para;</s>")), qPrintable(removed));
        QVERIFY2(!view->model()->index(1, 0).data().toString().contains(QStringLiteral("&para;")),
                 qPrintable(view->model()->index(1, 0).data().toString()));
        // With marks shown, spaces and the kept marks are drawn too.
        window->findChild<QCheckBox*>("showMarks")->setChecked(true);
        const QString spaced = view->model()->index(2, 0).data().toString();
        QVERIFY2(spaced.count(QStringLiteral("&middot;")) == 2 && spaced.contains(QStringLiteral("&para;")),
                 qPrintable(spaced));
    }

    void saveAndCloseFromTheHostWindow()
    {
        RunServices services;
        main_window::Form1 form(services.host(), services.bundle());
        form.fileList().append(m_lines);
        press(form, "Check2");
        auto* window = services.hostWindow();
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
        QCOMPARE(window->documents().size(), std::size_t(1));
        QVERIFY(!window->documents().front()->saved());
        QCOMPARE(checksum(m_lines), sum);

        // Yes saves it under the chosen name, and the copy closes.
        services.messageBox.answers.enqueue(platform::MsgBoxAnswer::Yes);
        services.saveFileDialog.paths.enqueue(output.filePath("cleaned"));
        window->closeSelected();
        QVERIFY(services.messageBox.shown.last().text.contains(QStringLiteral("Document1")));
        QVERIFY(QFile::exists(target));
        QVERIFY(window->documents().empty());
    }

    void saveAllAndTheOneCloseQuestion()
    {
        QTemporaryDir sources;
        const QString other = sources.filePath("lines.docx");
        QVERIFY(QFile::copy(m_lines, other));
        RunServices services;
        main_window::Form1 form(services.host(), services.bundle());
        for (const QString& path : {m_lines, m_text, other, m_words}) {
            form.fileList().append(path);
        }
        press(form, "Check2");
        auto* window = services.hostWindow();
        QVERIFY(window);
        QTemporaryDir output;
        const QString taken = output.filePath("words.docx");
        writeText(taken, "keep me");
        const QByteArray sum = checksum(m_lines);

        // Named as the command-line tool names them; a file already there is replaced only when
        // the user says so (No here), and a folder that is a source's gets nothing written over it.
        services.folderBrowser.folders.enqueue(output.path());
        services.messageBox.answers.enqueue(platform::MsgBoxAnswer::No);
        QVERIFY(!window->saveAll());
        const auto asked = services.messageBox.shown;
        QVERIFY2(asked.at(asked.size() - 2).text.contains(taken), qPrintable(asked.at(asked.size() - 2).text));
        QVERIFY2(asked.last().text.contains(QStringLiteral("Document4")), qPrintable(asked.last().text));
        QVERIFY(QFile::exists(output.filePath("lines.docx")));
        QVERIFY(QFile::exists(output.filePath("lines (2).docx")));
        QVERIFY(QFile::exists(output.filePath("notes.txt")));
        QFile kept(taken);
        QVERIFY(kept.open(QIODevice::ReadOnly));
        QCOMPARE(kept.readAll(), QByteArray("keep me"));
        QCOMPARE(checksum(m_lines), sum);
        const auto documents = window->documents();
        QCOMPARE(std::count_if(documents.begin(), documents.end(), [](const auto& d) { return !d->saved(); }), 1);

        // Into the sources' own folder: the copy of words.docx would land on a source and is refused.
        services.folderBrowser.folders.enqueue(m_folder.path());
        QVERIFY(!window->saveAll());
        QVERIFY2(services.messageBox.shown.last().text.contains(QStringLiteral("never written")),
                 qPrintable(services.messageBox.shown.last().text));

        // Closing asks once, naming the copy left unsaved; Cancel keeps everything open.
        const auto before = services.messageBox.shown.size();
        services.messageBox.answers.enqueue(platform::MsgBoxAnswer::Cancel);
        QVERIFY(!window->close());
        QCOMPARE(services.messageBox.shown.size(), before + 1);
        QCOMPARE(services.messageBox.shown.last().buttons, platform::MsgBoxButtons::SaveAllDiscardAllCancel);
        QVERIFY(services.messageBox.shown.last().text.contains(QStringLiteral("Document4")));
        QVERIFY(!services.messageBox.shown.last().text.contains(QStringLiteral("Document1")));
        QCOMPARE(window->documents().size(), std::size_t(4));
        // Discard All closes every copy at once.
        services.messageBox.answers.enqueue(platform::MsgBoxAnswer::DiscardAll);
        QVERIFY(window->close());
        QCOMPARE(services.messageBox.shown.size(), before + 2);
        QVERIFY(window->documents().empty());
        QVERIFY(!services.hostWindow());
    }

    void savesKeepTheRemovalsAsTrackedChanges()
    {
        RunServices services;
        main_window::Form1 form(services.host(), services.bundle());
        form.fileList().append(m_words);
        form.fileList().append(m_text);
        form.findChild<QRadioButton*>("Option2")->setChecked(true);
        press(form, "Check2");
        auto* window = services.hostWindow();
        QVERIFY(window);
        window->findChild<QCheckBox*>("trackChanges")->setChecked(true);
        QTemporaryDir output;
        services.folderBrowser.folders.enqueue(output.path());
        QVERIFY(window->saveAll());
        // Both are Word documents, the text source's too, holding Quillsift's deletions; read
        // back, deleted text is not text, so each reads as its cleaned copy.
        const auto copies = window->documents();
        const QStringList saved{output.filePath("words.docx"), output.filePath("notes.docx")};
        docx::DocxHostProvider reader;
        const auto application = reader.newApplication();
        for (int i = 0; i < 2; ++i) {
            QFile file(saved[i]);
            QVERIFY2(file.open(QIODevice::ReadOnly), qPrintable(saved[i]));
            const QByteArray xml =
                docx::Package::fromZip(saved[i], file.readAll()).find(QStringLiteral("word/document.xml"))->data;
            QVERIFY2(xml.contains("w:author=\"Quillsift\"") && xml.contains("<w:delText"), xml.constData());
            const auto back = application->documents().open(saved[i]);
            QCOMPARE(back->content()->text(), copies[std::size_t(i)]->content()->text());
            QVERIFY(copies[std::size_t(i)]->saved());
        }
        // Save As offers a Word document for the text source as well.
        window->selectDocument(1);
        services.saveFileDialog.paths.enqueue(output.filePath("reviewed"));
        QVERIFY(window->saveSelected());
        QVERIFY2(services.saveFileDialog.suggestions.last().endsWith(u"notes (reviewed).docx"),
                 qPrintable(services.saveFileDialog.suggestions.last()));
        QVERIFY(QFile::exists(output.filePath("reviewed.docx")));
    }

    void closingTheMainWindow()
    {
        {
            RunServices services;
            main_window::Form1 form(services.host(), services.bundle());
            form.fileList().append(m_lines);
            press(form, "Check2");
            QVERIFY(services.hostWindow());
            form.close();
            // The host window a finished run showed stays: the program goes on.
            QVERIFY(!services.process.exitCode.has_value());
        }
        {
            RunServices services;
            main_window::Form1 form(services.host(), services.bundle());
            form.fileList().append(m_lines);
            services.process.onYield = [&form] { form.close(); };
            press(form, "Check2");
            QCOMPARE(services.process.exitCode, std::optional<int>(0));
        }
    }
};

QTEST_MAIN(RunTest)
#include "RunTest.moc"
