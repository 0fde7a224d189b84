#include "platform/AllocatorTuning.h"

#if __has_include(<malloc.h>)
#include <malloc.h>
#endif

void tuneAllocatorForTileImages()
{
#if defined(M_MMAP_THRESHOLD) && defined(M_TRIM_THRESHOLD)
    // Pictures up to a composed 512-pixel tile (1 MiB) come from the heap, and up to 64 MiB
    // of freed heap is kept for the next frame's pictures instead of going back to the
    // system. Both bounds are far below the tile caches' own budgets.
    mallopt(M_MMAP_THRESHOLD, 4 * 1024 * 1024);
    mallopt(M_TRIM_THRESHOLD, 64 * 1024 * 1024);
#endif
}
