// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "CommandContext.h"

#include <QString>
#include <QStringList>

namespace quillsift::platform {
struct OpenFileRequest;
}

namespace quillsift::file_list {

/// How the open dialog is set up before every showing.
platform::OpenFileRequest addFilesRequest();

/// The full paths in the open dialog's one-string result: nothing for the empty string; the
/// string itself when it holds no NUL; otherwise the folder before the first NUL joined with every
/// name after it, a doubled separator (left by a root folder) collapsed to one.
QStringList pathsFromOpenFileResult(const QString& fileName);

/// "Add Word File(s)": shows the open dialog and appends every chosen path to the list. Uses the
/// context's open-file dialog and message box.
void addThroughOpenDialog(const CommandContext& context);

} // namespace quillsift::file_list
