// Copernicus DEM tiles (GLO-30 and GLO-90): one degree of 32-bit float
// heights in metres, read through GDAL.
//
// A tile has 3600 rows (GLO-90: 1200) but fewer columns nearer the poles
// (2400, 1800, 1200, 720 or 360 of them beyond 50°, 60°, 70°, 80° and 85°):
// its columns are resampled to the row count, bilinearly, so the grid stays
// square. Its samples are points (pixel-is-point): the first row lies on the
// northern edge and the first column on the western, and the tile stops one
// sample short of its southern and eastern edges, which belong to its
// neighbours. There is no no-data value: NaN (found along some polar
// borders) becomes a void, and a tile that is not there is sea at 0 m.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

class TSIArray;
class TTerrainSource;

// What a tile's header says, read without its heights.
struct TCopernicusHeader {
    int Rows = 0, Columns = 0;
    int BlockRows = 1;   // rows of the file's blocks (or strips)
    std::string Driver;  // GDAL's ("GTiff")
    // Where sample (column, row) of the file lies, in GDAL's geotransform
    // form but for sample centres; empty when the file has no georeference.
    bool HasAffine = false;
    std::array<double, 6> Affine{};
};

// Throws ETerrainError naming the file when it cannot be opened or is no
// single-band grid with at least as many rows as columns.
TCopernicusHeader ReadCopernicusHeader(const std::string &file);

// Whether the header puts the tile where its name says: the first sample on
// the corner (south + 1, west) and one degree over the rows and the columns,
// within a quarter of a sample.
bool CopernicusHeaderMatches(const TCopernicusHeader &header, int south, int west);

// Reads the tile's heights, its columns resampled to its row count n, into
// the n × n square of `grid` whose north-west sample is (col0, row0): metres
// rounded to whole ones, NaN as voids. `lo` and `hi` are lowered and raised
// with every sample that is not a void. `onRows`, when given, hears the
// fraction of rows read so far. Only the tile's rows [firstRow, endRow) are
// read when a range is given (a band of rows for one thread).
void ReadCopernicusTile(const std::string &file, TSIArray &grid, int col0, int row0, int16_t &lo, int16_t &hi,
                        const std::function<void(float fraction)> &onRows = {}, int firstRow = 0, int endRow = -1);

// One tile opened as a terrain, placed where its georeference says (or its
// name, when it has none).
std::unique_ptr<TTerrainSource> CopernicusTileSource(const std::string &file);
