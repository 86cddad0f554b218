// Elevation rasters through GDAL against GDAL's own tools on the same files,
// whole processes side by side:
// - a Copernicus-like tile (3600² Float32 COG, DEFLATE with the floating-point
//   predictor, 1024² blocks): `orolith-cli info` against `gdalinfo -mm`,
//   which reads every sample once as well;
// - a virtual raster of 6 × 6 such tiles (21,600 samples a side), which
//   orolith-cli reads at 1:2: `orolith-cli info` against `gdal_translate -r
//   average -outsize` to the same 10,800² in memory.
// Each iteration runs both, taking turns at going first; the counters are
// medians over the iterations.
#include "CopernicusLike.h"
#include "SideBySide.h"

#include <benchmark/benchmark.h>

#include <QTemporaryDir>

#include <unistd.h>

#include <cmath>
#include <fstream>
#include <stdexcept>
#include <string>

namespace {

constexpr int Side = 3600;
constexpr int Mosaic = 6;

// 6 × 6 tiles, each a hard link of the one tile under its own name, so GDAL
// opens and decodes every one of them as it would distinct files.
void WriteMosaic(const std::string &dir, const std::string &tile, const std::string &vrt)
{
    const int side = Side * Mosaic;
    std::ofstream out(vrt);
    out.precision(17);
    out << "<VRTDataset rasterXSize=\"" << side << "\" rasterYSize=\"" << side << "\">\n"
        << "  <SRS>EPSG:4326</SRS>\n"
        << "  <GeoTransform>" << 8 - 0.5 / Side << ", " << 1.0 / Side << ", 0, " << 48 + Mosaic - 1 + 0.5 / Side
        << ", 0, " << -1.0 / Side << "</GeoTransform>\n"
        << "  <VRTRasterBand dataType=\"Float32\" band=\"1\">\n";
    for (int i = 0; i < Mosaic; ++i)
        for (int j = 0; j < Mosaic; ++j) {
            const std::string name = dir + "/tile_" + std::to_string(i) + "_" + std::to_string(j) + ".tif";
            if (::link(tile.c_str(), name.c_str()) != 0)
                throw std::runtime_error("cannot link " + name);
            out << "    <SimpleSource><SourceFilename relativeToVRT=\"0\">" << name
                << "</SourceFilename><SourceBand>1</SourceBand>"
                << "<SrcRect xOff=\"0\" yOff=\"0\" xSize=\"" << Side << "\" ySize=\"" << Side << "\"/>"
                << "<DstRect xOff=\"" << j * Side << "\" yOff=\"" << i * Side << "\" xSize=\"" << Side
                << "\" ySize=\"" << Side << "\"/></SimpleSource>\n";
        }
    out << "  </VRTRasterBand>\n</VRTDataset>\n";
    if (!out.flush())
        throw std::runtime_error("cannot write " + vrt);
}

struct TFiles {
    QTemporaryDir dir;
    std::string tile, vrt;
    TFiles()
    {
        const std::string root = dir.path().toStdString();
        tile = root + "/Copernicus_like_N47_00_E008_00_DEM.tif";
        vrt = root + "/mosaic.vrt";
        WriteCopernicusLike(tile, 47, 8, 4,
                            [](int r, int c) { return 0.37 * std::sin(c * 0.01) * std::cos(r * 0.013); });
        WriteMosaic(root, tile, vrt);
    }
};

TFiles &Files()
{
    static TFiles files;
    return files;
}

void BM_CopernicusInfoVsGdalinfo(benchmark::State &state)
{
    const std::string &tile = Files().tile;
    RunSideBySide(state, CliPath() + " info " + tile + " > /dev/null", "gdalinfo -mm " + tile + " > /dev/null", "peer");
}

void BM_DecimatedMosaicVsGdalTranslate(benchmark::State &state)
{
    const std::string &vrt = Files().vrt;
    const std::string size = std::to_string(Side * Mosaic / 2);
    RunSideBySide(state, CliPath() + " info " + vrt + " > /dev/null",
                  "gdal_translate -q -r average -outsize " + size + " " + size + " -of MEM " + vrt + " /dev/null", "peer");
}

}  // namespace

BENCHMARK(BM_CopernicusInfoVsGdalinfo)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(9);
BENCHMARK(BM_DecimatedMosaicVsGdalTranslate)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(5);

BENCHMARK_MAIN();
