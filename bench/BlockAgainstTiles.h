// A block of tiles loaded into one grid through the block source, against
// the same tiles loaded one after another through the single-tile source.
#pragma once

#include "Terrain.h"
#include "TerrainSource.h"

#include <benchmark/benchmark.h>

#include <memory>
#include <string>
#include <vector>

// Registers the two, block first, with the options every block benchmark
// reports by: milliseconds, wall time, CPU time of all threads.
inline void RegisterBlockAgainstTiles(const std::string &blockName, const std::string &oneByOneName,
                                      const std::vector<std::string> &tiles)
{
    benchmark::RegisterBenchmark(blockName.c_str(), [tiles](benchmark::State &state) {
        const std::unique_ptr<TTerrainSource> block = TerrainSourceFor(tiles);
        for (auto _ : state) {
            TTerrain terrain;
            block->LoadInto(terrain);
            benchmark::DoNotOptimize(terrain.Heights.Row(0));
        }
    })->Unit(benchmark::kMillisecond)->UseRealTime()->MeasureProcessCPUTime();
    benchmark::RegisterBenchmark(oneByOneName.c_str(), [tiles](benchmark::State &state) {
        for (auto _ : state)
            for (const std::string &tile : tiles) {
                TTerrain terrain;
                TerrainSourceFor({tile})->LoadInto(terrain);
                benchmark::DoNotOptimize(terrain.Heights.Row(0));
            }
    })->Unit(benchmark::kMillisecond)->UseRealTime()->MeasureProcessCPUTime();
}
