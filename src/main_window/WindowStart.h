// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QStringList>

#include <cstdio>

namespace quillsift::platform {
class FileSystem;
class MessageBox;
} // namespace quillsift::platform

namespace quillsift::main_window {

class Form1;
struct StartOptions;

/// Shows the window as its command line asks. The files that exist are appended to the list in
/// the order given, exactly as a drop of them would; each one that does not exist is named on err
/// and, once the window shows, in one message box. With printList the list's entries are printed
/// on out, one per line, once the window has shown, and the application is asked to quit; no box
/// is shown then, since nobody may be there to close it.
void showWindow(Form1& window, const StartOptions& options, const platform::FileSystem& files,
                platform::MessageBox& messageBox, std::FILE* out, std::FILE* err);

/// The message that names the files left out at start, one per line.
QString missingStartFilesMessage(const QStringList& missing);

} // namespace quillsift::main_window
