// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "CommandContext.h"

namespace quillsift::file_list {

/// "Add Word File(s)": shows the open dialog and appends every chosen path to the list.
void addThroughOpenDialog(const CommandContext& context);

} // namespace quillsift::file_list
