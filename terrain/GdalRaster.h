// Elevation rasters read through GDAL: GeoTIFF and COG, VRT, DTED, ESRI
// ASCII grids, ERDAS Imagine and the other single-band height formats GDAL
// knows. Band 1 is the height.
#pragma once

#include "RasterGrid.h"
#include "TerrainSource.h"

#include <array>
#include <functional>
#include <string>

class TGdalDataset;

// Band 1 of a raster in metres, at most `maxSamples` a side (read decimated
// otherwise), with where its samples lie. Throws ETerrainError naming the
// file for a picture, a raster too small to be a surface, or a failed read.
struct TRasterHeights {
    TMetresRaster Heights;
    // GDAL's geotransform of the pixels read (corners, not centres), rows
    // running south and columns east; none for a raster without one.
    bool Georeferenced = false;
    std::array<double, 6> PixelCorners{0, 1, 0, 0, 0, -1};
    std::string Wkt;       // horizontal system only; empty when unknown
    std::string Driver;
    int SourceWidth = 0, SourceHeight = 0;
    int ReadAt = 1;
};
TRasterHeights ReadRasterHeights(const TGdalDataset &dataset, int maxSamples,
                                 const std::function<void(float fraction)> &progress = {});

// An opened raster into `terrain`, named `name`: its heights in the square
// grid at the step they need, read decimated above the grid's limit.
void LoadRasterInto(TTerrain &terrain, const TGdalDataset &dataset, const std::string &name);

// One raster file as a terrain: its heights in the square grid at the step
// they need, placed by its own coordinate system.
class TGdalRasterSource : public TTerrainSource {
public:
    explicit TGdalRasterSource(const std::string &path) : TTerrainSource({path}) {}
    void LoadInto(TTerrain &terrain) const override;
};
