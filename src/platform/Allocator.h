// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdlib>
#include <cstring>

namespace quillsift::platform {

/// Whether memory may come on 2 MiB pages: unless the environment sets QUILLSIFT_LARGE_PAGES=0,
/// to compare or to rule them out.
inline bool largePagesWanted()
{
    const char* setting = std::getenv("QUILLSIFT_LARGE_PAGES");
    return !(setting && std::strcmp(setting, "0") == 0);
}

/// Sets up the memory allocator for large documents. A document of a million words takes some
/// hundred megabytes in small pieces; on 4 KiB pages the first touch of each page costs more than
/// reading the document does, so where the build links mimalloc it is told to back its heap with
/// 2 MiB pages (unless the environment sets QUILLSIFT_LARGE_PAGES=0), including the memory it took
/// before main() ran. Call it first thing in main(); without mimalloc it does nothing.
void tuneAllocator();

/// Whether the build links an allocator that tuneAllocator() tunes.
bool allocatorTunable();

} // namespace quillsift::platform
