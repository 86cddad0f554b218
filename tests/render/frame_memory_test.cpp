#include "FrameMemory.h"

#include <gtest/gtest.h>

#include <sys/resource.h>

#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

#if defined(__SANITIZE_ADDRESS__)
constexpr bool SanitizerAllocator = true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
constexpr bool SanitizerAllocator = true;
#else
constexpr bool SanitizerAllocator = false;
#endif
#else
constexpr bool SanitizerAllocator = false;
#endif

long MinorFaults()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_minflt;
}

void *volatile Sink = nullptr;

// What a frame of the software renderer does to the heap: a hundred blocks of
// 192 KB (~19 MB) written and freed again.
void Frame()
{
    constexpr size_t block = 192 * 1024;
    std::vector<void *> blocks;
    for (int i = 0; i < 100; ++i) {
        void *p = std::malloc(block);
        std::memset(p, i, block);
        Sink = p;
        blocks.push_back(p);
    }
    for (void *p : blocks)
        std::free(p);
}

TEST(FrameMemory, TheNextFrameReusesThePagesOfTheLast)
{
    if (SanitizerAllocator)
        GTEST_SKIP() << "the sanitizer's allocator ignores the C library's settings";
    KeepFrameMemoryResident();
    Frame();
    const long before = MinorFaults();
    Frame();
    Frame();
    // Handed back to the system, each frame would fault in ~4,800 pages anew.
    EXPECT_LT(MinorFaults() - before, 200);
}

}  // namespace
