// SPDX-License-Identifier: GPL-3.0-or-later
#include "TestServices.h"

#include <QCoreApplication>

namespace quillsift::platform::testing {

MsgBoxAnswer ScriptedMessageBox::show(QWidget*, const QString& text, MsgBoxButtons buttons)
{
    shown.append({text, buttons});
    if (whileShown) {
        whileShown();
    }
    if (!answers.isEmpty()) {
        return answers.dequeue();
    }
    switch (buttons) {
    case MsgBoxButtons::Ok:
        return MsgBoxAnswer::Ok;
    case MsgBoxButtons::YesNo:
        return MsgBoxAnswer::No;
    case MsgBoxButtons::SaveAllDiscardAllCancel:
        return MsgBoxAnswer::Cancel;
    }
    return MsgBoxAnswer::Closed;
}

QString ScriptedInputBox::ask(QWidget*, const QString& prompt, const QString& defaultReply)
{
    prompts << prompt;
    defaults << defaultReply;
    return replies.isEmpty() ? QString() : replies.dequeue();
}

OpenFileResult ScriptedOpenFileDialog::showOpen(QWidget*, const OpenFileRequest& request)
{
    requests.append(request);
    return results.isEmpty() ? OpenFileResult() : results.dequeue();
}

QString ScriptedFolderBrowser::browse(QWidget*, const QString& prompt)
{
    prompts << prompt;
    return folders.isEmpty() ? QString() : folders.dequeue();
}

QString ScriptedSaveFileDialog::showSave(QWidget*, const QString&, const QString& suggestedPath, const QString&)
{
    suggestions << suggestedPath;
    return paths.isEmpty() ? QString() : paths.dequeue();
}

void RecordingShell::openAddress(const QString& address)
{
    addresses << address;
}

QSize FakeScreen::size() const
{
    return screenSize;
}

QPoint FakeScreen::cursorPosition() const
{
    return cursor;
}

void ScriptedRandom::seedFromTimeOfDay()
{
    ++seeds;
}

double ScriptedRandom::next()
{
    return numbers.isEmpty() ? 0.5 : numbers.dequeue();
}

std::optional<QDateTime> FakeFileSystem::modificationTime(const QString& path) const
{
    const auto it = times.constFind(path);
    return it == times.constEnd() ? std::nullopt : std::optional<QDateTime>(it.value());
}

QString FakeProcess::programFolder() const
{
    return folder;
}

QString FakeProcess::dataFolder() const
{
    return dataDir;
}

void FakeProcess::yield()
{
    ++yields;
    if (processEvents) {
        QCoreApplication::processEvents();
    }
    if (onYield) {
        onYield();
    }
}

void FakeProcess::exitNow(int code)
{
    if (!exitCode) {
        exitCode = code;
    }
}

Services TestServices::bundle()
{
    Services services;
    services.messageBox = &messageBox;
    services.inputBox = &inputBox;
    services.openFileDialog = &openFileDialog;
    services.folderBrowser = &folderBrowser;
    services.saveFileDialog = &saveFileDialog;
    services.shell = &shell;
    services.screen = &screen;
    services.random = &random;
    services.fileSystem = &fileSystem;
    services.process = &process;
    services.directorySearch = directorySearch;
    return services;
}

} // namespace quillsift::platform::testing
