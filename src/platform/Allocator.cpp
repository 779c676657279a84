// SPDX-License-Identifier: GPL-3.0-or-later
#include "Allocator.h"

#ifdef QUILLSIFT_HAVE_MIMALLOC
#include <mimalloc.h>
#endif

namespace quillsift::platform {

void tuneAllocator()
{
#ifdef QUILLSIFT_HAVE_MIMALLOC
    // Memory freed after one document is kept for a second before it goes back to the system, so
    // that the next document of a run reuses it instead of having the system clear it again.
    mi_option_set(mi_option_decommit_delay, 1000);
#endif
}

} // namespace quillsift::platform
