// Loading a 3 × 3 block of Copernicus-like tiles (3600 × 3600 Float32
// Cloud-Optimised GeoTIFFs, DEFLATE with the floating-point predictor,
// 1024 × 1024 blocks, made here with GDAL) into one grid, against the same
// nine tiles loaded one after another through the single-tile source.
#include "CopernicusLike.h"
#include "FrameMemory.h"
#include "Terrain.h"
#include "TerrainSource.h"

#include <benchmark/benchmark.h>

#include <QDir>
#include <QTemporaryDir>

#include <cstdio>
#include <string>
#include <vector>

namespace {

std::vector<std::string> g_tiles;  // N46E007 … N48E009

// Named as the product names its tiles, which places them by their names.
std::string WriteTile(const QString &folder, int south, int west)
{
    char name[96];
    std::snprintf(name, sizeof name, "Copernicus_DSM_COG_10_N%02d_00_E%03d_00_DEM.tif", south, west);
    const std::string path = QDir(folder).filePath(QString::fromLatin1(name)).toStdString();
    WriteCopernicusLike(path, south, west, static_cast<uint32_t>(100 + south * 10 + west),
                        [](int r, int c) { return 0.25 * ((r + c) % 4); });
    return path;
}

void CopernicusBlockOfNine(benchmark::State &state)
{
    const std::unique_ptr<TTerrainSource> block = TerrainSourceFor(g_tiles);
    for (auto _ : state) {
        TTerrain terrain;
        block->LoadInto(terrain);
        benchmark::DoNotOptimize(terrain.Heights.Row(0));
    }
}

void NineCopernicusTilesOneByOne(benchmark::State &state)
{
    for (auto _ : state)
        for (const std::string &tile : g_tiles) {
            TTerrain terrain;
            TerrainSourceFor({tile})->LoadInto(terrain);
            benchmark::DoNotOptimize(terrain.Heights.Row(0));
        }
}

}  // namespace

BENCHMARK(CopernicusBlockOfNine)->Unit(benchmark::kMillisecond)->UseRealTime()->MeasureProcessCPUTime();
BENCHMARK(NineCopernicusTilesOneByOne)->Unit(benchmark::kMillisecond)->UseRealTime()->MeasureProcessCPUTime();

int main(int argc, char **argv)
{
    KeepFrameMemoryResident();  // as in the viewer (see load_hgt.cpp)
    QTemporaryDir dir;
    for (int lat = 46; lat < 49; ++lat)
        for (int lon = 7; lon < 10; ++lon)
            g_tiles.push_back(WriteTile(dir.path(), lat, lon));
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
