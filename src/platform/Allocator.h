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

/// Sets up the memory allocator for a run over many documents; call it first thing in main().
/// Its heap stays on ordinary pages: on 2 MiB pages a million-word document's run held 5-6 MB more
/// and was no faster. Without mimalloc it does nothing.
void tuneAllocator();

} // namespace quillsift::platform
