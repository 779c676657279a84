// SPDX-License-Identifier: GPL-3.0-or-later
#include "Allocator.h"

#ifdef QUILLSIFT_HAVE_MIMALLOC
#include <mimalloc.h>
#endif

#if defined(__linux__)
#include <sys/mman.h>

#include <cinttypes>
#include <cstdint>
#include <cstdio>
#endif

namespace quillsift::platform {

namespace {

#if defined(QUILLSIFT_HAVE_MIMALLOC) && defined(__linux__) && defined(MADV_HUGEPAGE)
/// mimalloc mapped its first memory before main() ran, before it was told about large pages, and
/// goes on handing out what that mapping holds: a document's first tens of megabytes would come on
/// small pages. The mapping that holds a fresh allocation is advised to take large pages too.
void adviseFirstMapping()
{
    void* probe = mi_malloc(64);
    const auto address = reinterpret_cast<std::uintptr_t>(probe);
    mi_free(probe);
    std::FILE* maps = std::fopen("/proc/self/maps", "r");
    if (!maps) {
        return;
    }
    char line[512];
    while (std::fgets(line, sizeof line, maps)) {
        std::uintptr_t start = 0;
        std::uintptr_t end = 0;
        if (std::sscanf(line, "%" SCNxPTR "-%" SCNxPTR, &start, &end) == 2 && start <= address && address < end) {
            // Advice only: where the system has no large pages the mapping stays as it is.
            madvise(reinterpret_cast<void*>(start), end - start, MADV_HUGEPAGE);
            break;
        }
    }
    std::fclose(maps);
}
#endif

} // namespace

void tuneAllocator()
{
#ifdef QUILLSIFT_HAVE_MIMALLOC
    // Large pages come from transparent huge pages where the system offers them only on request
    // (madvise); elsewhere mimalloc falls back to ordinary pages by itself.
    const bool large = largePagesWanted();
    mi_option_set_enabled(mi_option_large_os_pages, large);
#if defined(__linux__) && defined(MADV_HUGEPAGE)
    if (large) {
        adviseFirstMapping();
    }
#endif
    // Memory freed after one document is kept for a second before it goes back to the system, so
    // that the next document of a run reuses it instead of having the system clear it again.
    mi_option_set(mi_option_decommit_delay, 1000);
#endif
}

bool allocatorTunable()
{
#ifdef QUILLSIFT_HAVE_MIMALLOC
    return true;
#else
    return false;
#endif
}

} // namespace quillsift::platform
