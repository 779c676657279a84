// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

class QWidget;

namespace quillsift::platform {
class WindowState;
struct Services;
} // namespace quillsift::platform

namespace quillsift::file_list {

class FileList;

/// What a command of the main window works with: the window as the owner of its dialogs, the
/// file list, the window's pointer and busy flag, and the services it asks the user and reads the
/// disk through. It owns none of them; a command touches nothing else.
struct CommandContext {
    QWidget* owner;
    FileList& list;
    platform::WindowState& window;
    /// Each command uses the ones it names; those must be set.
    const platform::Services& services;
};

} // namespace quillsift::file_list
