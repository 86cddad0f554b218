// Loading a 3 × 3 block of 3601-sample .hgt.zip tiles into one grid, against
// the same nine tiles loaded one after another through the single-tile source
// (each member decompressed into memory).
#include "FrameMemory.h"
#include "Terrain.h"
#include "TerrainSource.h"
#include "TileBlock.h"
#include "ZippedBlock.h"

#include <benchmark/benchmark.h>

#include <QTemporaryDir>

namespace {

std::vector<std::string> g_tiles;  // N46E007 … N48E009, zipped

void BlockOfNine(benchmark::State &state)
{
    const std::unique_ptr<TTerrainSource> block = TerrainSourceFor(g_tiles);
    for (auto _ : state) {
        TTerrain terrain;
        block->LoadInto(terrain);
        benchmark::DoNotOptimize(terrain.Heights.Row(0));
    }
}

void NineTilesInMemoryOneByOne(benchmark::State &state)
{
    for (auto _ : state)
        for (const std::string &archive : g_tiles) {
            TTerrain terrain;
            TerrainSourceFor({archive})->LoadInto(terrain);
            benchmark::DoNotOptimize(terrain.Heights.Row(0));
        }
}

}  // namespace

BENCHMARK(BlockOfNine)->Unit(benchmark::kMillisecond)->UseRealTime()->MeasureProcessCPUTime();
BENCHMARK(NineTilesInMemoryOneByOne)->Unit(benchmark::kMillisecond)->UseRealTime()->MeasureProcessCPUTime();

int main(int argc, char **argv)
{
    // As in the viewer: freed blocks stay in the heap, so every variant pays
    // the same first-touch cost for its grids (see load_hgt.cpp).
    KeepFrameMemoryResident();
    QTemporaryDir dir;
    g_tiles = WriteZippedBlock(dir.path(), 46, 7, 3, 3601);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
