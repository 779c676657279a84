// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdlib>
#include <cstring>

namespace quillsift::platform {

/// Whether a large block of zeroed memory (ZeroedMemory) may come on 2 MiB pages: unless the
/// environment sets QUILLSIFT_LARGE_PAGES=0, to compare or to rule them out.
inline bool largePagesWanted()
{
    const char* setting = std::getenv("QUILLSIFT_LARGE_PAGES");
    return !(setting && std::strcmp(setting, "0") == 0);
}

} // namespace quillsift::platform
