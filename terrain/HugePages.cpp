#include "HugePages.h"

#include <cstdint>
#include <cstdlib>

#include <sys/mman.h>

#ifndef MADV_POPULATE_WRITE
#define MADV_POPULATE_WRITE 23  // Linux 5.14; older kernels refuse it with EINVAL
#endif

// The sanitizers watch the ordinary allocator's blocks, not private mappings:
// under them every buffer comes from calloc, so that a write past the end of
// a grid is reported and the threads' accesses to it are seen.
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
#define OROLITH_ALLOCATOR_ONLY 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(thread_sanitizer)
#define OROLITH_ALLOCATOR_ONLY 1
#endif
#endif
#ifndef OROLITH_ALLOCATOR_ONLY
#define OROLITH_ALLOCATOR_ONLY 0
#endif

namespace {

// Buffers from this size on are mapped as huge pages.
constexpr size_t HugePage = size_t(2) << 20;
// ...and up to this one. A virtual machine's host may have taken back the
// memory of free huge pages: taking them again the first time costs it
// about 2 ms each (a 233 MB grid: 420–500 ms, against 20 ms once they are
// back, 70 ms in ordinary pages taken at once either way). A buffer this
// large is a block of tiles, opened once, and its load takes a second:
// ordinary pages give it the same time every time.
constexpr size_t HugePagesUpTo = size_t(128) << 20;

size_t RoundUp(size_t n, size_t to)
{
    return (n + to - 1) / to * to;
}

// An anonymous mapping of `length` bytes (a multiple of HugePage) that starts
// on a huge-page boundary, or nullptr. Mapped one huge page longer and
// trimmed, since the kernel only backs aligned 2 MB ranges with huge pages.
uint8_t *MapAligned(size_t length)
{
    void *raw = ::mmap(nullptr, length + HugePage, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (raw == MAP_FAILED)
        return nullptr;
    auto *start = static_cast<uint8_t *>(raw);
    auto *aligned = reinterpret_cast<uint8_t *>(RoundUp(reinterpret_cast<uintptr_t>(start), HugePage));
    if (aligned > start)
        ::munmap(start, static_cast<size_t>(aligned - start));
    if (const size_t tail = static_cast<size_t>(start + length + HugePage - (aligned + length)); tail > 0)
        ::munmap(aligned + length, tail);
    return aligned;
}

bool Mapped(size_t bytes)
{
    return !OROLITH_ALLOCATOR_ONLY && bytes >= HugePage;
}

}  // namespace

void *AllocateLargeMemory(size_t bytes)
{
    if (Mapped(bytes)) {
        const size_t length = RoundUp(bytes, HugePage);
        if (uint8_t *p = MapAligned(length)) {
            // Both are requests: a kernel without huge pages (or with them
            // switched off) gives ordinary pages, and one that cannot take
            // them early takes them on first touch. Either way the memory is
            // zeroed and usable, so failures are ignored.
            if (length <= HugePagesUpTo)
                ::madvise(p, length, MADV_HUGEPAGE);
            ::madvise(p, length, MADV_POPULATE_WRITE);
            return p;
        }
        throw std::bad_alloc();
    }
    void *p = std::calloc(bytes == 0 ? 1 : bytes, 1);
    if (!p)
        throw std::bad_alloc();
    return p;
}

void FreeLargeMemory(void *p, size_t bytes) noexcept
{
    if (!p)
        return;
    if (Mapped(bytes))
        ::munmap(p, RoundUp(bytes, HugePage));
    else
        std::free(p);
}
