// A made-up tile shaped like a Copernicus GLO-30 one: 3600² Float32
// Cloud-Optimised GeoTIFF, DEFLATE with the floating-point predictor,
// 1024² blocks, no overviews, no no-data value; WGS 84, points from the
// north-west corner, so GDAL's origin lies half a sample outside the degree
// square.
#pragma once

#include "SyntheticTile.h"

#include <gdal_priv.h>
#include <ogr_spatialref.h>

#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

// Heights: the made-up relief of 3601 samples (seed `seed`) without its
// southern row and eastern column, voids as 0, plus decimals(row, column) so
// the floats are not whole metres (what the predictor and DEFLATE get to
// squeeze depends on them).
inline void WriteCopernicusLike(const std::string &path, int south, int west, uint32_t seed,
                                double (*decimals)(int row, int column))
{
    constexpr int n = 3600;
    const std::vector<int16_t> whole = MakeSyntheticHeights(n + 1, seed);
    std::vector<float> heights(static_cast<size_t>(n) * n);
    for (int r = 0; r < n; ++r)
        for (int c = 0; c < n; ++c) {
            const int16_t h = whole[static_cast<size_t>(r) * (n + 1) + c];
            heights[static_cast<size_t>(r) * n + c] = h == -32768 ? 0.0f : static_cast<float>(h + decimals(r, c));
        }
    GDALAllRegister();
    GDALDataset *mem = GetGDALDriverManager()->GetDriverByName("MEM")->Create("", n, n, 1, GDT_Float32, nullptr);
    double gt[6] = {west - 0.5 / n, 1.0 / n, 0, south + 1 + 0.5 / n, 0, -1.0 / n};
    mem->SetGeoTransform(gt);
    OGRSpatialReference wgs84;
    wgs84.importFromEPSG(4326);
    mem->SetSpatialRef(&wgs84);
    mem->SetMetadataItem("AREA_OR_POINT", "Point");
    if (mem->GetRasterBand(1)->RasterIO(GF_Write, 0, 0, n, n, heights.data(), n, n, GDT_Float32, 0, 0, nullptr) !=
        CE_None) {
        GDALClose(mem);
        throw std::runtime_error("cannot fill " + path);
    }
    const char *options[] = {"COMPRESS=DEFLATE", "PREDICTOR=FLOATING_POINT", "BLOCKSIZE=1024", "OVERVIEWS=NONE",
                             nullptr};
    GDALDataset *out = GetGDALDriverManager()->GetDriverByName("COG")->CreateCopy(
        path.c_str(), mem, FALSE, const_cast<char **>(options), nullptr, nullptr);
    GDALClose(mem);
    if (!out)
        throw std::runtime_error("cannot write " + path);
    GDALClose(out);
}
