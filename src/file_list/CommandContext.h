// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

class QWidget;

namespace quillsift::platform {
class WindowState;
}

namespace quillsift::file_list {

class FileList;

/// What a command of the main window works with: the window as the owner of its dialogs, the
/// file list, and the window's pointer and busy flag.
struct CommandContext {
    QWidget* owner;
    FileList& list;
    platform::WindowState& window;
};

} // namespace quillsift::file_list
