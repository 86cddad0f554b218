// Elevation rasters read through GDAL: GeoTIFF and COG, VRT, DTED, ESRI
// ASCII grids, ERDAS Imagine and the other single-band height formats GDAL
// knows. Band 1 is the height.
#pragma once

#include "TerrainSource.h"

#include <string>

class TGdalDataset;

// An opened raster into `terrain`, named `name`: its heights in the square
// grid at the step they need, read decimated above the grid's limit. Throws
// ETerrainError naming the file for a picture, a raster too small to be a
// surface, or a failed read.
void LoadRasterInto(TTerrain &terrain, const TGdalDataset &dataset, const std::string &name);

// One raster file as a terrain: its heights in the square grid at the step
// they need, placed by its own coordinate system.
class TGdalRasterSource : public TTerrainSource {
public:
    explicit TGdalRasterSource(const std::string &path) : TTerrainSource({path}) {}
    void LoadInto(TTerrain &terrain) const override;
};
