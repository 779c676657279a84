// SPDX-License-Identifier: GPL-3.0-or-later
#include "AddFolder.h"

namespace quillsift::file_list {

void addFolderFiles(const CommandContext&)
{
}

} // namespace quillsift::file_list
