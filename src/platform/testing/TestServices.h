// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/Services.h"

#include <QDateTime>
#include <QHash>
#include <QList>
#include <QQueue>
#include <QStringList>

#include <functional>

namespace quillsift::platform::testing {

/// A message box that answers from a script and records what it was asked.
class ScriptedMessageBox : public MessageBox
{
  public:
    struct Shown {
        QString text;
        MsgBoxButtons buttons;
    };

    MsgBoxAnswer show(QWidget* parent, const QString& text, MsgBoxButtons buttons) override;

    /// Answers given in order; with none left, OK boxes answer Ok and questions answer No.
    QQueue<MsgBoxAnswer> answers;
    QList<Shown> shown;
    /// Called while the box is "open", to act as the user would meanwhile.
    std::function<void()> whileShown;
};

class ScriptedInputBox : public InputBox
{
  public:
    QString ask(QWidget* parent, const QString& prompt, const QString& defaultReply) override;

    /// Replies given in order; with none left the box is cancelled (empty reply).
    QQueue<QString> replies;
    QStringList prompts;
    QStringList defaults;
};

class ScriptedOpenFileDialog : public OpenFileDialog
{
  public:
    OpenFileResult showOpen(QWidget* parent, const OpenFileRequest& request) override;

    /// Results given in order; with none left the dialog is cancelled.
    QQueue<OpenFileResult> results;
    QList<OpenFileRequest> requests;
};

class ScriptedFolderBrowser : public FolderBrowser
{
  public:
    QString browse(QWidget* owner, const QString& prompt) override;

    QQueue<QString> folders;
    QStringList prompts;
};

class ScriptedSaveFileDialog : public SaveFileDialog
{
  public:
    QString showSave(QWidget* parent, const QString& title, const QString& suggestedPath,
                     const QString& filter) override;

    /// Paths chosen in order; with none left the dialog is cancelled.
    QQueue<QString> paths;
    QStringList suggestions;
};

class RecordingShell : public Shell
{
  public:
    void openAddress(const QString& address) override;
    QStringList addresses;
};

class FakeScreen : public Screen
{
  public:
    QSize size() const override;
    QPoint cursorPosition() const override;

    QSize screenSize = QSize(1920, 1080);
    QPoint cursor;
};

class ScriptedRandom : public Random
{
  public:
    void seedFromTimeOfDay() override;
    double next() override;

    int seeds = 0;
    /// Numbers drawn in order; with none left, 0.5.
    QQueue<double> numbers;
};

class FakeFileSystem : public FileSystem
{
  public:
    std::optional<QDateTime> modificationTime(const QString& path) const override;
    /// Paths whose time can be read; any other path fails.
    QHash<QString, QDateTime> times;
};

class FakeProcess : public Process
{
  public:
    QString programFolder() const override;
    QString dataFolder() const override;
    void yield() override;
    void exitNow(int code) override;

    QString folder = QStringLiteral("/opt/quillsift");
    QString dataDir = QStringLiteral("/opt/share/quillsift");
    int yields = 0;
    /// Also process the real event loop on yield, so widgets can act during long work.
    bool processEvents = true;
    std::optional<int> exitCode;
    /// Called on yield, to act as the user would while work goes on.
    std::function<void()> onYield;
};

/// A double of every service, for one test: it owns them, and bundle() hands them to the code
/// under test, which the test then scripts and reads through the members. It touches nothing
/// outside itself but the directory search, which is the real one unless the test replaces it.
class TestServices
{
  public:
    TestServices() = default;
    TestServices(const TestServices&) = delete;
    TestServices& operator=(const TestServices&) = delete;

    /// The doubles as the code under test takes them, directorySearch as it is set when called.
    Services bundle();

    ScriptedMessageBox messageBox;
    ScriptedInputBox inputBox;
    ScriptedOpenFileDialog openFileDialog;
    ScriptedFolderBrowser folderBrowser;
    ScriptedSaveFileDialog saveFileDialog;
    RecordingShell shell;
    FakeScreen screen;
    ScriptedRandom random;
    FakeFileSystem fileSystem;
    FakeProcess process;
    /// The real file system unless a test replaces it: the other doubles work on fixture trees
    /// made on disk.
    DirectorySearch* directorySearch = &localDirectorySearch();
};

} // namespace quillsift::platform::testing
