// Loading a 3 × 3 block of Copernicus-like tiles (3600 × 3600 Float32
// Cloud-Optimised GeoTIFFs, DEFLATE with the floating-point predictor,
// 1024 × 1024 blocks, made here with GDAL) into one grid, against the same
// nine tiles loaded one after another through the single-tile source.
#include "FrameMemory.h"
#include "SyntheticTile.h"
#include "Terrain.h"
#include "TerrainSource.h"

#include <benchmark/benchmark.h>

#include <gdal_priv.h>

#include <QDir>
#include <QTemporaryDir>

#include <cstdio>
#include <stdexcept>

namespace {

std::vector<std::string> g_tiles;  // N46E007 … N48E009

// One tile as the product has it: points from the north-west corner, GDAL's
// origin half a sample outside it, no no-data value.
std::string WriteCopernicusLike(const QString &folder, int south, int west, uint32_t seed)
{
    constexpr int n = 3600;
    char name[96];
    std::snprintf(name, sizeof name, "Copernicus_DSM_COG_10_N%02d_00_E%03d_00_DEM.tif", south, west);
    const std::string path = QDir(folder).filePath(QString::fromLatin1(name)).toStdString();
    // Made-up relief of 3601 samples, its southern row and eastern column left out.
    const std::vector<int16_t> heights = MakeSyntheticHeights(n + 1, seed);
    std::vector<float> values(static_cast<size_t>(n) * n);
    for (int r = 0; r < n; ++r)
        for (int c = 0; c < n; ++c) {
            const int16_t h = heights[static_cast<size_t>(r) * (n + 1) + c];
            values[static_cast<size_t>(r) * n + c] = h == -32768 ? 0.0f : h + 0.25f * static_cast<float>((r + c) % 4);
        }
    GDALDriver *mem = GetGDALDriverManager()->GetDriverByName("MEM");
    GDALDriver *cog = GetGDALDriverManager()->GetDriverByName("COG");
    GDALDataset *src = mem->Create("", n, n, 1, GDT_Float32, nullptr);
    double gt[6] = {west - 0.5 / n, 1.0 / n, 0, south + 1 + 0.5 / n, 0, -1.0 / n};
    src->SetGeoTransform(gt);
    src->SetMetadataItem("AREA_OR_POINT", "Point");
    if (src->GetRasterBand(1)->RasterIO(GF_Write, 0, 0, n, n, values.data(), n, n, GDT_Float32, 0, 0, nullptr) != CE_None)
        throw std::runtime_error("cannot fill " + path);
    const char *options[] = {"COMPRESS=DEFLATE", "PREDICTOR=YES", "BLOCKSIZE=1024", "OVERVIEWS=NONE", nullptr};
    GDALDataset *out = cog->CreateCopy(path.c_str(), src, FALSE, const_cast<char **>(options), nullptr, nullptr);
    if (!out)
        throw std::runtime_error("cannot write " + path);
    GDALClose(out);
    GDALClose(src);
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
    GDALAllRegister();
    QTemporaryDir dir;
    for (int lat = 46; lat < 49; ++lat)
        for (int lon = 7; lon < 10; ++lon)
            g_tiles.push_back(WriteCopernicusLike(dir.path(), lat, lon, static_cast<uint32_t>(100 + lat * 10 + lon)));
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
