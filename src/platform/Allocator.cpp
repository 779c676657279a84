// SPDX-License-Identifier: GPL-3.0-or-later
#include "Allocator.h"

#ifdef QUILLSIFT_HAVE_MIMALLOC
#include <mimalloc.h>
#endif

#include <cstdlib>
#include <cstring>

namespace quillsift::platform {

void tuneAllocator()
{
#ifdef QUILLSIFT_HAVE_MIMALLOC
    // Large pages come from transparent huge pages where the system offers them only on request
    // (madvise); elsewhere mimalloc falls back to ordinary pages by itself. QUILLSIFT_LARGE_PAGES=0
    // turns them off, to compare or to rule them out.
    const char* setting = std::getenv("QUILLSIFT_LARGE_PAGES");
    mi_option_set_enabled(mi_option_large_os_pages, !(setting && std::strcmp(setting, "0") == 0));
    // Memory freed after one document is kept for a second before it goes back to the system, so
    // that the next document of a run reuses it instead of having the system clear it again.
    mi_option_set(mi_option_decommit_delay, 1000);
#endif
}

} // namespace quillsift::platform
