#include "FrameMemory.h"

#include <cstdlib>  // defines __GLIBC__ where the C library is glibc

#ifdef __GLIBC__
#include <malloc.h>
#endif

void KeepFrameMemoryResident()
{
#ifdef __GLIBC__
    // Fixing either value turns off glibc's own adjustment of both, so both
    // are set. 32 MiB is the largest mmap threshold glibc accepts: larger
    // blocks (grids, meshes) still get their own mapping and go back to the
    // system when freed. The heap's top is only trimmed beyond 256 MiB free.
    mallopt(M_MMAP_THRESHOLD, 32 * 1024 * 1024);
    mallopt(M_TRIM_THRESHOLD, 256 * 1024 * 1024);
#endif
}
