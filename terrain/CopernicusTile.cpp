#include "CopernicusTile.h"

#include "GdalDataset.h"
#include "HugePages.h"
#include "Terrain.h"
#include "TerrainError.h"
#include "TerrainSource.h"
#include "TilePos.h"

#include <cpl_error.h>

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
    int blockWidth = 0;
    dataset->GetRasterBand(1)->GetBlockSize(&blockWidth, &h.BlockRows);
    h.BlockRows = std::clamp(h.BlockRows, 1, h.Rows);
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

// One sample in whole metres, NaN as a void; the void itself is the one
// value a height may not take. Without branches or calls: std::lround would
// cost a call a sample.
inline int16_t WholeMetres(float v)
{
    const bool isVoid = !(v == v);
    float m = isVoid ? 0.0f : v;
    m = m < -32767.0f ? -32767.0f : m > 32767.0f ? 32767.0f : m;
    const auto rounded = static_cast<int16_t>(static_cast<int>(m + (m >= 0 ? 0.5f : -0.5f)));
    return isVoid ? TSIArray::Void : rounded;
}

void MetresRow(const float *src, int16_t *dst, int n, int16_t &lo, int16_t &hi)
{
    int16_t l = lo, h = hi;
    for (int c = 0; c < n; ++c) {
        const int16_t v = WholeMetres(src[c]);
        dst[c] = v;
        // The void is the smallest int16: it never raises the maximum.
        l = std::min(l, v == TSIArray::Void ? static_cast<int16_t>(INT16_MAX) : v);
        h = std::max(h, v);
    }
    lo = l;
    hi = h;
}

// ReadCopernicusTile from a tile already opened, whose header `h` is.
void ReadTile(const TGdalDataset &dataset, const TCopernicusHeader &h, TSIArray &grid, int col0, int row0,
              int16_t &lo, int16_t &hi, const std::function<void(float fraction)> &onRows, int firstRow = 0,
              int endRow = -1)
{
    const std::string &file = dataset.Path();
    const int n = h.Rows, cols = h.Columns;
    if (col0 + n > grid.Size() || row0 + n > grid.Size())
        throw ETerrainError("has " + std::to_string(n) + " rows, more than its place in the grid", file);
    GDALRasterBand *band = dataset->GetRasterBand(1);
    int hasScale = 0, hasOffset = 0, hasNoData = 0;
    const double scale = band->GetScale(&hasScale), offset = band->GetOffset(&hasOffset);
    const auto noData = static_cast<float>(band->GetNoDataValue(&hasNoData));
    // The product has neither; a file saved again by other tools may.
    const bool adjust = (hasScale && scale != 1) || (hasOffset && offset != 0) || hasNoData;

    // A band of rows as tall as the file's blocks, so each block is decoded
    // once. Float32 blocks are decoded straight into memory of our own:
    // GDAL's block cache would take fresh memory for every block, which the
    // threads of a block of tiles pay for in page faults.
    int blockWidth = 0, blockRows = 0;
    band->GetBlockSize(&blockWidth, &blockRows);
    const int chunk = std::clamp(blockRows, 1, n);
    const int end = endRow < 0 ? n : std::min(endRow, n);
    const bool direct = band->GetRasterDataType() == GDT_Float32 && blockWidth > 0 && blockRows == chunk &&
                        firstRow % chunk == 0;
    // Blocks of a tile whose columns need no change go straight from the
    // decoded block into the grid; others are gathered into whole rows first.
    const bool gather = !direct || cols != n || adjust;
    std::vector<float, TLargeAllocator<float>> rows(gather ? static_cast<size_t>(chunk) * cols : 0);
    std::vector<float, TLargeAllocator<float>> block(direct ? static_cast<size_t>(blockWidth) * blockRows : 0);
    const auto readRows = [&](int first, int count) {
        if (!direct) {
            dataset.ReadRows(1, first, count, count, cols, rows.data());
            return;
        }
        for (int x0 = 0; x0 < cols; x0 += blockWidth) {
            if (band->ReadBlock(x0 / blockWidth, first / blockRows, block.data()) != CE_None)
                throw ETerrainError("cannot read its heights: " + std::string(CPLGetLastErrorMsg()), file);
            const int width = std::min(blockWidth, cols - x0);
            for (int r = 0; r < count; ++r) {
                const float *from = block.data() + static_cast<size_t>(r) * blockWidth;
                if (gather)
                    std::copy_n(from, width, rows.data() + static_cast<size_t>(r) * cols + x0);
                else
                    MetresRow(from, grid.Row(row0 + first + r) + col0 + x0, width, lo, hi);
            }
        }
    };
    // Source position of every grid column: c · cols / n, between two
    // samples; the last stretch has no eastern partner in the tile and
    // keeps the last sample. NaN next to a sample spreads where it weighs.
    std::vector<float, TLargeAllocator<float>> line(static_cast<size_t>(n));
    std::vector<int> left(static_cast<size_t>(n));
    std::vector<float> weight(static_cast<size_t>(n));
    for (int c = 0; c < n; ++c) {
        const double at = static_cast<double>(c) * cols / n;
        left[c] = std::min(static_cast<int>(at), cols - 2);
        weight[c] = static_cast<float>(std::min(at - left[c], 1.0));
    }
    for (int first = std::max(firstRow, 0); first < end; first += chunk) {
        const int count = std::min(chunk, end - first);
        readRows(first, count);
        for (int r = 0; gather && r < count; ++r) {
            float *src = rows.data() + static_cast<size_t>(r) * cols;
            if (adjust)
                for (int c = 0; c < cols; ++c)
                    src[c] = hasNoData && src[c] == noData ? NAN : static_cast<float>(src[c] * scale + offset);
            if (cols != n) {
                for (int c = 0; c < n; ++c) {
                    const float a = src[left[c]], b = src[left[c] + 1], w = weight[c];
                    line[c] = w == 0 ? a : w == 1 ? b : (1 - w) * a + w * b;
                }
                src = line.data();
            }
            MetresRow(src, grid.Row(row0 + first + r) + col0, n, lo, hi);
        }
        if (onRows)
            onRows(static_cast<float>(first + count) / static_cast<float>(n));
    }
}

// A single tile as a terrain of its own.
class TCopernicusTile : public TTerrainSource {
public:
    explicit TCopernicusTile(const std::string &path) : TTerrainSource({path}) {}

    void LoadInto(TTerrain &terrain) const override
    {
        const std::string &file = Files().front();
        // Opened once for its header and its heights.
        const TGdalDataset dataset(file);
        const TCopernicusHeader h = HeaderOf(dataset);
        TSIArray grid;
        try {
            grid.SetSize(h.Rows);
        } catch (const std::bad_alloc &) {
            throw ETerrainError("not enough memory for its grid", file);
        }
        int16_t lo = INT16_MAX, hi = INT16_MIN;
        terrain.DoProgress(0.0f);
        ReadTile(dataset, h, grid, 0, 0, lo, hi, [&](float f) { terrain.DoProgress(f); });
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
                        const std::function<void(float fraction)> &onRows, int firstRow, int endRow)
{
    const TGdalDataset dataset(file);
    ReadTile(dataset, HeaderOf(dataset), grid, col0, row0, lo, hi, onRows, firstRow, endRow);
}

std::unique_ptr<TTerrainSource> CopernicusTileSource(const std::string &file)
{
    return std::make_unique<TCopernicusTile>(file);
}
