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
#include "SideBySide.h"
#include "SyntheticTile.h"

#include <benchmark/benchmark.h>

#include <gdal_priv.h>
#include <gdal_utils.h>
#include <ogr_spatialref.h>

#include <QTemporaryDir>

#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <fstream>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

constexpr int Side = 3600;
constexpr int Mosaic = 6;

// A tile like Copernicus GLO-30 N47E008: heights as floats with decimals,
// pixel-is-point corners half a sample outside the degree square.
void WriteCopernicusLike(const std::string &path)
{
    const std::vector<int16_t> whole = MakeSyntheticHeights(Side + 1, 4);
    std::vector<float> heights(static_cast<size_t>(Side) * Side);
    for (int r = 0; r < Side; ++r)
        for (int c = 0; c < Side; ++c) {
            const int16_t h = whole[static_cast<size_t>(r) * (Side + 1) + c];
            heights[static_cast<size_t>(r) * Side + c] =
                h == -32768 ? 0.0f : static_cast<float>(h + 0.37 * std::sin(c * 0.01) * std::cos(r * 0.013));
        }
    GDALAllRegister();
    GDALDataset *mem = GetGDALDriverManager()->GetDriverByName("MEM")->Create("", Side, Side, 1, GDT_Float32, nullptr);
    double gt[6] = {8 - 0.5 / Side, 1.0 / Side, 0, 48 + 0.5 / Side, 0, -1.0 / Side};
    mem->SetGeoTransform(gt);
    OGRSpatialReference wgs84;
    wgs84.importFromEPSG(4326);
    mem->SetSpatialRef(&wgs84);
    mem->SetMetadataItem("AREA_OR_POINT", "Point");
    if (mem->GetRasterBand(1)->RasterIO(GF_Write, 0, 0, Side, Side, heights.data(), Side, Side, GDT_Float32, 0, 0) != CE_None)
        throw std::runtime_error("cannot fill the tile");
    const char *args[] = {"-of", "COG", "-co", "COMPRESS=DEFLATE", "-co", "PREDICTOR=3", "-co", "BLOCKSIZE=1024",
                          "-co", "OVERVIEWS=NONE", nullptr};
    GDALTranslateOptions *options = GDALTranslateOptionsNew(const_cast<char **>(args), nullptr);
    GDALDatasetH out = GDALTranslate(path.c_str(), mem, options, nullptr);
    GDALTranslateOptionsFree(options);
    GDALClose(mem);
    if (!out)
        throw std::runtime_error("cannot write " + path);
    GDALClose(out);
}

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
        WriteCopernicusLike(tile);
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
