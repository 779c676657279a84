// SPDX-License-Identifier: GPL-3.0-or-later
#include "OpenDialogAdder.h"

namespace quillsift::file_list {

void addThroughOpenDialog(const CommandContext&)
{
}

} // namespace quillsift::file_list
