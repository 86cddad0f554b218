// Loading a 3601 tile against the least any loader must do: one read of the
// file from the page cache and a byte swap of every sample. Also the cost of
// reporting progress once per row.
#include "FrameMemory.h"
#include "SyntheticTile.h"
#include "Terrain.h"

#include <benchmark/benchmark.h>

#include <QTemporaryDir>

#include <fcntl.h>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>

namespace {

std::string g_tile;  // a 3601 tile in a temporary folder, fresh in the page cache

void PlainReadAndSwap(benchmark::State &state)
{
    for (auto _ : state) {
        const int fd = ::open(g_tile.c_str(), O_RDONLY);
        struct stat st {};
        ::fstat(fd, &st);
        const auto size = static_cast<size_t>(st.st_size);
        std::unique_ptr<uint8_t[]> bytes(new uint8_t[size]);
        size_t got = 0;
        while (got < size) {
            const ssize_t n = ::read(fd, bytes.get() + got, size - got);
            if (n <= 0)
                break;
            got += static_cast<size_t>(n);
        }
        ::close(fd);
        std::unique_ptr<int16_t[]> heights(new int16_t[size / 2]);
        const uint8_t *src = bytes.get();
        int16_t *dst = heights.get();
        for (size_t k = 0; k < size / 2; ++k)
            dst[k] = static_cast<int16_t>(src[2 * k] << 8 | src[2 * k + 1]);
        benchmark::DoNotOptimize(dst);
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * TTerrain::HgtSize3601);
}

void LoadHgtSilent(benchmark::State &state)
{
    TTerrain terrain;
    for (auto _ : state) {
        terrain.LoadHgt(g_tile);
        benchmark::DoNotOptimize(terrain.Heights.Row(0));
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * TTerrain::HgtSize3601);
}

void LoadHgtWithProgress(benchmark::State &state)
{
    TTerrain terrain;
    int64_t reports = 0;
    terrain.OnProgress = [&reports](int percent) { reports += percent >= 0; };
    for (auto _ : state) {
        terrain.LoadHgt(g_tile);
        benchmark::DoNotOptimize(terrain.Heights.Row(0));
    }
    benchmark::DoNotOptimize(reports);
    state.counters["reports"] = static_cast<double>(reports) / static_cast<double>(state.iterations());
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * TTerrain::HgtSize3601);
}

}  // namespace

BENCHMARK(PlainReadAndSwap)->Unit(benchmark::kMillisecond);
BENCHMARK(LoadHgtSilent)->Unit(benchmark::kMillisecond);
BENCHMARK(LoadHgtWithProgress)->Unit(benchmark::kMillisecond);

int main(int argc, char **argv)
{
    // Every load needs fresh memory for the file and the grid. On this
    // machine (a virtual one) first touching a page costs tens of
    // microseconds, which would drown the work being compared in page faults
    // depending on whether malloc happens to hand back a recycled block. Keep
    // freed blocks in the heap, so every variant measures reading and
    // decoding from warm memory; the fresh-memory cost is the same for all.
    // The viewer's own allocator settings do that (blocks up to 32 MiB).
    KeepFrameMemoryResident();
    QTemporaryDir dir;
    g_tile = dir.filePath("N46E008.hgt").toStdString();
    WriteSyntheticTile(g_tile, 3601, 7);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
