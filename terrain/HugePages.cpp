#include "HugePages.h"

#include <cstdint>
#include <cstdlib>

#include <sys/mman.h>

#ifndef MADV_POPULATE_WRITE
#define MADV_POPULATE_WRITE 23  // Linux 5.14; older kernels refuse it with EINVAL
#endif

namespace {

constexpr size_t HugePage = size_t(2) << 20;

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

}  // namespace

void *AllocateLargeMemory(size_t bytes)
{
    if (bytes >= HugePage) {
        const size_t length = RoundUp(bytes, HugePage);
        if (uint8_t *p = MapAligned(length)) {
            // Both are requests: a kernel without huge pages (or with them
            // switched off) gives ordinary pages, and one that cannot take
            // them early takes them on first touch. Either way the memory is
            // zeroed and usable, so failures are ignored.
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
    if (bytes >= HugePage)
        ::munmap(p, RoundUp(bytes, HugePage));
    else
        std::free(p);
}
