#include "CopernicusTile.h"

#include "GdalDataset.h"
#include "Terrain.h"
#include "TerrainError.h"
#include "TerrainSource.h"
#include "TilePos.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace {

TCopernicusHeader HeaderOf(const TGdalDataset &dataset)
{
    TCopernicusHeader h;
    if (dataset->GetRasterCount() != 1)
        throw ETerrainError("is no Copernicus DEM tile: it has " + std::to_string(dataset->GetRasterCount()) +
                                " bands where a tile has one",
                            dataset.Path());
    h.Rows = dataset->GetRasterYSize();
    h.Columns = dataset->GetRasterXSize();
    if (h.Rows < 2 || h.Columns < 2 || h.Columns > h.Rows)
        throw ETerrainError("is no Copernicus DEM tile: it is " + std::to_string(h.Columns) + " × " +
                                std::to_string(h.Rows) + " samples, where a tile has as many rows as columns or more",
                            dataset.Path());
    if (GDALDriver *driver = dataset->GetDriver())
        h.Driver = driver->GetDescription();
    double gt[6];
    if (dataset->GetGeoTransform(gt) == CE_None) {
        // GDAL describes pixel corners, also for pixel-is-point files (it
        // moves their origin half a sample out): step in to the centres.
        h.HasAffine = true;
        h.Affine = {gt[0] + 0.5 * gt[1] + 0.5 * gt[2], gt[1], gt[2], gt[3] + 0.5 * gt[4] + 0.5 * gt[5], gt[4], gt[5]};
    }
    return h;
}

// Where the grid's samples lie once the columns are resampled to `n`.
std::array<double, 6> ResampledAffine(const TCopernicusHeader &h)
{
    std::array<double, 6> a = h.Affine;
    const double widen = static_cast<double>(h.Columns) / h.Rows;
    a[1] *= widen;
    a[4] *= widen;
    return a;
}

int16_t Metres(float v, double scale, double offset, bool hasNoData, double noData)
{
    if (std::isnan(v) || (hasNoData && v == static_cast<float>(noData)))
        return TSIArray::Void;
    const double m = std::lround(v * scale + offset);
    // The void is the one value a height may not take.
    return static_cast<int16_t>(std::clamp(m, -32767.0, 32767.0));
}

// A single tile as a terrain of its own.
class TCopernicusTile : public TTerrainSource {
public:
    explicit TCopernicusTile(const std::string &path) : TTerrainSource({path}) {}

    void LoadInto(TTerrain &terrain) const override
    {
        const std::string &file = Files().front();
        const TCopernicusHeader h = ReadCopernicusHeader(file);
        TSIArray grid;
        try {
            grid.SetSize(h.Rows);
        } catch (const std::bad_alloc &) {
            throw ETerrainError("not enough memory for its grid", file);
        }
        int16_t lo = INT16_MAX, hi = INT16_MIN;
        terrain.DoProgress(0.0f);
        ReadCopernicusTile(file, grid, 0, 0, lo, hi, [&](float f) { terrain.DoProgress(f); });
        std::array<double, 6> affine{};
        if (h.HasAffine) {
            affine = ResampledAffine(h);
        } else {
            int south = 0, west = 0;
            CopernicusTileCorner(file, south, west);
            affine = {static_cast<double>(west), 1.0 / h.Rows, 0, south + 1.0, 0, -1.0 / h.Rows};
        }
        const bool any = hi != TSIArray::Void;
        terrain.AdoptRaster(grid, any ? lo : 9999999, any ? hi : -9999999, 1.0, 0.0,
                            TGeoReference::ForRaster(affine, "", h.Rows - 1), {h.Driver, h.Columns, h.Rows, 1}, file);
    }
};

}  // namespace

TCopernicusHeader ReadCopernicusHeader(const std::string &file)
{
    return HeaderOf(TGdalDataset(file));
}

bool CopernicusHeaderMatches(const TCopernicusHeader &h, int south, int west)
{
    if (!h.HasAffine)
        return true;  // nothing says otherwise: the name places it
    const std::array<double, 6> &a = h.Affine;
    const double dx = 1.0 / h.Columns, dy = 1.0 / h.Rows;
    return std::fabs(a[0] - west) < dx / 4 && std::fabs(a[3] - (south + 1)) < dy / 4 &&
           std::fabs(a[1] - dx) * h.Columns < dx / 4 && std::fabs(a[5] + dy) * h.Rows < dy / 4 && a[2] == 0 && a[4] == 0;
}

void ReadCopernicusTile(const std::string &file, TSIArray &grid, int col0, int row0, int16_t &lo, int16_t &hi,
                        const std::function<void(float fraction)> &onRows)
{
    const TGdalDataset dataset(file);
    const TCopernicusHeader h = HeaderOf(dataset);
    const int n = h.Rows, cols = h.Columns;
    if (col0 + n > grid.Size() || row0 + n > grid.Size())
        throw ETerrainError("has " + std::to_string(n) + " rows, more than its place in the grid", file);
    GDALRasterBand *band = dataset->GetRasterBand(1);
    int hasScale = 0, hasOffset = 0, hasNoData = 0;
    const double scale = band->GetScale(&hasScale), offset = band->GetOffset(&hasOffset);
    const double noData = band->GetNoDataValue(&hasNoData);

    // A band of rows as tall as the file's blocks, so each block is decoded once.
    int blockWidth = 0, blockRows = 0;
    band->GetBlockSize(&blockWidth, &blockRows);
    const int chunk = std::clamp(blockRows, 1, n);
    std::vector<float> rows(static_cast<size_t>(chunk) * cols);
    std::vector<float> line(static_cast<size_t>(cols) + 1);
    // Source position of every grid column: c · cols / n, between two
    // samples; the last stretch has no eastern partner in the tile and
    // keeps the last sample.
    std::vector<int> left(static_cast<size_t>(n));
    std::vector<float> weight(static_cast<size_t>(n));
    for (int c = 0; c < n; ++c) {
        const double at = static_cast<double>(c) * cols / n;
        left[c] = std::min(static_cast<int>(at), cols - 1);
        weight[c] = static_cast<float>(at - left[c]);
    }
    int16_t l = lo, u = hi;
    for (int first = 0; first < n; first += chunk) {
        const int count = std::min(chunk, n - first);
        dataset.ReadRows(1, first, count, count, cols, rows.data());
        for (int r = 0; r < count; ++r) {
            std::copy_n(rows.data() + static_cast<size_t>(r) * cols, cols, line.begin());
            line[cols] = line[cols - 1];
            int16_t *dst = grid.Row(row0 + first + r) + col0;
            for (int c = 0; c < n; ++c) {
                const float a = line[left[c]], b = line[left[c] + 1], w = weight[c];
                // A void next to a sample stays a void only where it weighs.
                const float v = w == 0 ? a : (1 - w) * a + w * b;
                const int16_t m = Metres(v, hasScale ? scale : 1.0, hasOffset ? offset : 0.0, hasNoData, noData);
                dst[c] = m;
                if (m != TSIArray::Void) {
                    l = std::min(l, m);
                    u = std::max(u, m);
                }
            }
        }
        if (onRows)
            onRows(static_cast<float>(first + count) / static_cast<float>(n));
    }
    lo = l;
    hi = u;
}

std::unique_ptr<TTerrainSource> CopernicusTileSource(const std::string &file)
{
    return std::make_unique<TCopernicusTile>(file);
}
