// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "CommandContext.h"

namespace quillsift::file_list {

/// " Add All Word Files In Folder": asks for an extension and a folder, then appends every
/// matching file of the folder's whole tree.
void addFolderFiles(const CommandContext& context);

} // namespace quillsift::file_list
