// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "Dialogs.h"
#include "DirectorySearch.h"
#include "System.h"

namespace quillsift::platform {

/// The platform services the program uses, one object per kind, as one bundle to hand to the code
/// that uses most of them. The desktop program's main makes the real ones and passes them down;
/// tests pass scriptable doubles. Nothing here is owned.
struct Services {
    MessageBox* messageBox = nullptr;
    InputBox* inputBox = nullptr;
    OpenFileDialog* openFileDialog = nullptr;
    FolderBrowser* folderBrowser = nullptr;
    SaveFileDialog* saveFileDialog = nullptr;
    Shell* shell = nullptr;
    Screen* screen = nullptr;
    Random* random = nullptr;
    FileSystem* fileSystem = nullptr;
    Process* process = nullptr;
    /// The real file system unless a test replaces it: the doubles of the other services work on
    /// fixture trees made on disk.
    DirectorySearch* directorySearch = &localDirectorySearch();
};

} // namespace quillsift::platform
