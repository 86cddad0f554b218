// Loading a 3 × 3 block of Copernicus-like tiles (3600 × 3600 Float32
// Cloud-Optimised GeoTIFFs, DEFLATE with the floating-point predictor,
// 1024 × 1024 blocks, made here with GDAL) into one grid, against the same
// nine tiles loaded one after another through the single-tile source.
#include "BlockAgainstTiles.h"
#include "CopernicusLike.h"
#include "FrameMemory.h"

#include <benchmark/benchmark.h>

#include <QDir>
#include <QTemporaryDir>

#include <cstdio>
#include <string>
#include <vector>

namespace {

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

}  // namespace

int main(int argc, char **argv)
{
    KeepFrameMemoryResident();  // as in the viewer (see load_hgt.cpp)
    QTemporaryDir dir;
    std::vector<std::string> tiles;  // N46E007 … N48E009
    for (int lat = 46; lat < 49; ++lat)
        for (int lon = 7; lon < 10; ++lon)
            tiles.push_back(WriteTile(dir.path(), lat, lon));
    RegisterBlockAgainstTiles("CopernicusBlockOfNine", "NineCopernicusTilesOneByOne", tiles);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
