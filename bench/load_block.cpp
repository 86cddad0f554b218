// Loading a 3 × 3 block of 3601-sample .hgt.zip tiles into one grid, against
// the same nine tiles loaded one after another: the way a tile was loaded
// before blocks existed (the member extracted into a temporary folder, then
// read back) and one zipped tile at a time through today's in-memory source.
#include "FrameMemory.h"
#include "SyntheticTile.h"
#include "Terrain.h"
#include "TerrainSource.h"
#include "TileBlock.h"
#include "ZipExtract.h"

#include <benchmark/benchmark.h>

#include <QDir>
#include <QTemporaryDir>

#include <zip.h>

#include <cstdio>
#include <stdexcept>

namespace {

std::vector<std::string> g_tiles;  // N46E007 … N48E009, zipped

void WriteZippedTile(const std::string &archive, const std::string &member, const std::vector<uint8_t> &bytes)
{
    int error = 0;
    zip_t *zip = zip_open(archive.c_str(), ZIP_CREATE | ZIP_TRUNCATE, &error);
    if (!zip || zip_file_add(zip, member.c_str(), zip_source_buffer(zip, bytes.data(), bytes.size(), 0), 0) < 0 ||
        zip_close(zip) != 0)
        throw std::runtime_error("cannot write " + archive);
}

void BlockOfNine(benchmark::State &state)
{
    const std::unique_ptr<TTerrainSource> block = TerrainSourceFor(g_tiles);
    for (auto _ : state) {
        TTerrain terrain;
        block->LoadInto(terrain);
        benchmark::DoNotOptimize(terrain.Heights.Row(0));
    }
}

// Before blocks: each archive's member was written to a private temporary
// folder and loaded from there.
void NineTilesExtractedOneByOne(benchmark::State &state)
{
    for (auto _ : state)
        for (const std::string &archive : g_tiles) {
            QTemporaryDir folder;
            TTerrain terrain;
            terrain.LoadFromFile(ExtractTileFromZip(archive, folder.path().toStdString() + "/"));
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
BENCHMARK(NineTilesExtractedOneByOne)->Unit(benchmark::kMillisecond)->UseRealTime()->MeasureProcessCPUTime();
BENCHMARK(NineTilesInMemoryOneByOne)->Unit(benchmark::kMillisecond)->UseRealTime()->MeasureProcessCPUTime();

int main(int argc, char **argv)
{
    // As in the viewer: freed blocks stay in the heap, so every variant pays
    // the same first-touch cost for its grids (see load_hgt.cpp).
    KeepFrameMemoryResident();
    QTemporaryDir dir;
    for (int lat = 46; lat <= 48; ++lat)
        for (int lon = 7; lon <= 9; ++lon) {
            char name[16];
            std::snprintf(name, sizeof name, "N%02dE%03d", lat, lon);
            const std::string archive = dir.filePath(QString::fromLatin1(name) + ".hgt.zip").toStdString();
            WriteZippedTile(archive, std::string(name) + ".hgt", MakeSyntheticHgt(3601, 100 + lat * 10 + lon));
            g_tiles.push_back(archive);
        }
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
