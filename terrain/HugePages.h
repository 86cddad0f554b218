// Memory for buffers of tens or hundreds of megabytes that are filled right
// after they are allocated: height grids, a tile's bytes, the texture.
//
// Fresh memory costs a page fault on the first touch of every 4 KB page; on
// a virtual machine each fault is tens of microseconds, over a second for the
// 233 MB grid of a 3 × 3 block of 3601 tiles. Large allocations here are
// taken from the kernel all at once: as transparent huge pages (one fault
// per 2 MB) up to 128 MB, as ordinary zeroed pages beyond that and where
// huge pages are refused (HugePages.cpp says why). Builds with
// AddressSanitizer or ThreadSanitizer take them from calloc instead, where
// the sanitizers can watch them.
#pragma once

#include <cstddef>
#include <new>
#include <type_traits>
#include <utility>

// At least `bytes` zeroed bytes; throws std::bad_alloc. Give the same count
// back to FreeLargeMemory.
void *AllocateLargeMemory(size_t bytes);
void FreeLargeMemory(void *p, size_t bytes) noexcept;

// For containers of large buffers, e.g. std::vector<int16_t, TLargeAllocator<int16_t>>.
template <class T>
struct TLargeAllocator {
    using value_type = T;
    TLargeAllocator() = default;
    template <class U>
    TLargeAllocator(const TLargeAllocator<U> &) noexcept {}
    T *allocate(size_t n) { return static_cast<T *>(AllocateLargeMemory(n * sizeof(T))); }
    void deallocate(T *p, size_t n) noexcept { FreeLargeMemory(p, n * sizeof(T)); }
    // Elements made without a value keep the zeros the memory came with.
    template <class U>
    void construct(U *p) noexcept(std::is_nothrow_default_constructible_v<U>)
    {
        ::new (static_cast<void *>(p)) U;
    }
    template <class U, class... A>
    void construct(U *p, A &&...args)
    {
        ::new (static_cast<void *>(p)) U(std::forward<A>(args)...);
    }
    template <class U>
    bool operator==(const TLargeAllocator<U> &) const noexcept { return true; }
};
