// The desktop's monotonic clock, and the C library's heap set for the
// frames.
#include <malloc.h>

#include <chrono>

#include "platform/platform.h"

// Freed memory the C library keeps at the top of its heap, bytes: more than
// a chart frame of Mesa's software renderer frees (tens of MiB).
static constexpr int keptHeapTop = 1 << 30;
// Blocks below this size come from the heap, not from mappings of their
// own, so that they are kept too.
static constexpr int ownMappingFrom = 32 << 20;

double platformSeconds()
{
    using Seconds = std::chrono::duration<double>;
    return std::chrono::duration_cast<Seconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

void platformPrepareFrames()
{
    mallopt(M_TRIM_THRESHOLD, keptHeapTop);
    mallopt(M_MMAP_THRESHOLD, ownMappingFrom);
}
