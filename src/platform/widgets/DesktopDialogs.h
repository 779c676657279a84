// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/Dialogs.h"

namespace quillsift::platform {

/// The title every box of the program carries.
QString programTitle();

/// Message box over Qt: the program's title, no icon, OK or Yes and No.
class DesktopMessageBox : public MessageBox
{
  public:
    MsgBoxAnswer show(QWidget* parent, const QString& text, MsgBoxButtons buttons) override;
};

class DesktopInputBox : public InputBox
{
  public:
    QString ask(QWidget* parent, const QString& prompt, const QString& defaultReply) override;
};

/// The open-file dialog over Qt's file dialog, handing back its result in the one-string shape.
class DesktopOpenFileDialog : public OpenFileDialog
{
  public:
    OpenFileResult showOpen(QWidget* parent, const OpenFileRequest& request) override;
};

class DesktopSaveFileDialog : public SaveFileDialog
{
  public:
    QString showSave(QWidget* parent, const QString& title, const QString& suggestedPath,
                     const QString& filter) override;
};

class DesktopFolderBrowser : public FolderBrowser
{
  public:
    QString browse(QWidget* owner, const QString& prompt) override;
};

/// "Description (pattern)|pattern|..." as Qt's file dialog takes it: "Description (pattern);;...".
/// "*.*" becomes "*" so that names without a dot are listed too, as they are on Windows.
QString qtFilterFromDialogFilter(const QString& filter);

/// The files named by text typed into the open dialog's file-name box, as full paths: each name
/// between double quotes as it stands, and any text outside them with its surrounding blanks
/// removed (a single unquoted name is the whole text). A relative name is resolved against folder,
/// the dialog's current one, and "~" or a leading "~/" against the home folder; whether the file
/// exists does not matter. Blank names are left out.
QStringList typedFilePaths(const QString& text, const QString& folder);

/// Composes the dialog's one-string result from the chosen paths: one full path, or the folder
/// then NUL and a bare name per file. Marks the result too long when it passes maxFileSize.
OpenFileResult composeOpenFileResult(const QStringList& chosenPaths, int maxFileSize);

} // namespace quillsift::platform
