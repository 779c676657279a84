// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

class QWidget;

namespace quillsift::platform {

/// Buttons and answers of a message box. Boxes carry the program's title and no icon.
enum class MsgBoxButtons {
    Ok,
    YesNo,
    /// "Save All", "Discard All" and "Cancel", for copies about to be closed unsaved.
    SaveAllDiscardAllCancel,
};

enum class MsgBoxAnswer {
    Ok,
    Yes,
    No,
    SaveAll,
    DiscardAll,
    Cancel,
    Closed,
};

/// The program's message box.
class MessageBox
{
  public:
    virtual ~MessageBox() = default;
    /// Shows text modally over parent and returns the button pressed.
    virtual MsgBoxAnswer show(QWidget* parent, const QString& text, MsgBoxButtons buttons) = 0;
};

/// A modal box that asks for one line of text.
class InputBox
{
  public:
    virtual ~InputBox() = default;
    /// Returns the reply, or the empty string when the user cancelled.
    virtual QString ask(QWidget* parent, const QString& prompt, const QString& defaultReply) = 0;
};

/// What the open-file dialog is set up with before it is shown.
struct OpenFileRequest {
    QString fileName;
    quint32 flags = 0;
    QString dialogTitle;
    /// Pairs of description and pattern separated by "|": "Word Documents (*.do*)|*.do*|All Files (*.*)|*.*".
    QString filter;
    /// The longest result the dialog may hand back, in characters.
    int maxFileSize = 30000;
};

/// The open-file dialog's result.
struct OpenFileResult {
    /// Empty when nothing was chosen; one full path for one file; for several files the folder,
    /// then for each chosen file a NUL and its bare name. The folder ends in a separator only
    /// when it is a root.
    QString fileName;
    /// How many files the user chose.
    int chosenCount = 0;
    /// The selection did not fit into maxFileSize characters; fileName is then empty.
    bool tooLong = false;
};

class OpenFileDialog
{
  public:
    virtual ~OpenFileDialog() = default;
    virtual OpenFileResult showOpen(QWidget* parent, const OpenFileRequest& request) = 0;
};

/// The dialog that asks where to save a document.
class SaveFileDialog
{
  public:
    virtual ~SaveFileDialog() = default;
    /// Returns the chosen path, or the empty string when the user cancelled. The dialog itself
    /// asks before a chosen file is replaced.
    virtual QString showSave(QWidget* parent, const QString& title, const QString& suggestedPath,
                             const QString& filter) = 0;
};

/// The shell's folder browser.
class FolderBrowser
{
  public:
    virtual ~FolderBrowser() = default;
    /// Returns the chosen folder's path, or the empty string when nothing was chosen.
    virtual QString browse(QWidget* owner, const QString& prompt) = 0;
};

} // namespace quillsift::platform
