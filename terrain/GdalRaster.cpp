#include "GdalRaster.h"

#include "GdalDataset.h"
#include "GeoReference.h"
#include "ParallelRows.h"
#include "RasterGrid.h"
#include "Terrain.h"
#include "TerrainError.h"
#include "TerrainReaders.h"
#include "TileBlock.h"

#include <ogr_spatialref.h>

#include <algorithm>
#include <array>
#include <cctype>
#include <cmath>
#include <functional>
#include <limits>

namespace {

// Band 1 of a raster in metres, at most `maxSamples` a side (read decimated
// otherwise), with where its samples lie.
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

std::string Lower(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return std::tolower(c); });
    return text;
}

// Metres per unit of a band's unit text; 0 when the text names no length
// this knows (heights are then taken as metres).
double UnitMetres(const std::string &unit)
{
    const std::string u = Lower(unit);
    if (u == "m" || u == "metre" || u == "meter" || u == "metres" || u == "meters")
        return 1.0;
    if (u == "ft" || u == "foot" || u == "feet" || u == "international foot")
        return 0.3048;
    if (u == "us survey foot" || u == "us-ft" || u == "ftus" || u == "us_survey_foot" || u == "foot_us" ||
        u == "us foot")
        return 1200.0 / 3937.0;
    return 0.0;
}

// What one raw band value is in metres: the band's scale and offset, then
// its unit, or the vertical system's when the band names none.
double HeightUnitMetres(GDALRasterBand &band, const OGRSpatialReference *srs)
{
    if (const double m = UnitMetres(band.GetUnitType()); m > 0)
        return m;
    if (srs && srs->IsVertical()) {
        const double m = srs->GetTargetLinearUnits("VERT_CS");
        if (m > 0)
            return m;
    }
    return 1.0;
}

// Photographs and maps are not elevation models, however they are georeferenced.
void RequireElevationModel(GDALDataset &ds, const std::string &path)
{
    const int bands = ds.GetRasterCount();
    if (bands < 1)
        throw ETerrainError("holds no raster band to read heights from", path);
    GDALRasterBand &first = *ds.GetRasterBand(1);
    const GDALColorInterp colour = first.GetColorInterpretation();
    if (first.GetColorTable() || colour == GCI_PaletteIndex)
        throw ETerrainError("is a picture with a colour palette, not an elevation model", path);
    const bool colourBand = colour == GCI_RedBand || colour == GCI_GreenBand || colour == GCI_BlueBand ||
                            colour == GCI_HueBand || colour == GCI_CyanBand || colour == GCI_YCbCr_YBand;
    if (bands >= 3 && (colourBand || first.GetRasterDataType() == GDT_Byte))
        throw ETerrainError("is a picture with " + std::to_string(bands) + " colour bands, not an elevation model", path);
    if (GDALDataTypeIsComplex(first.GetRasterDataType()))
        throw ETerrainError("holds complex numbers, not heights", path);
    if (ds.GetRasterXSize() < 2 || ds.GetRasterYSize() < 2)
        throw ETerrainError("is " + std::to_string(ds.GetRasterXSize()) + " × " + std::to_string(ds.GetRasterYSize()) +
                                " samples; a terrain needs at least 2 a side",
                            path);
}

// The horizontal part of the raster's system, as WKT; empty when it has none.
std::string HorizontalWkt(const OGRSpatialReference *srs)
{
    if (!srs)
        return {};
    OGRSpatialReference horizontal(*srs);
    if (horizontal.IsCompound())
        horizontal.StripVertical();
    char *text = nullptr;
    std::string wkt;
    if (horizontal.exportToWkt(&text) == OGRERR_NONE && text)
        wkt = text;
    CPLFree(text);
    return wkt;
}

// Which of a raster's axes run against the grid's: rows from the south,
// columns from the east.
struct TTurn {
    bool rows = false, columns = false;
};

// Such a raster is turned round, so that the grid runs from the north-west
// as the views draw it: its corners' transform here, before it is placed,
// and its heights once read (TurnHeights).
TTurn TurnCornersNorthUp(TRasterHeights &r)
{
    auto &gt = r.PixelCorners;
    const double w = r.SourceWidth, ht = r.SourceHeight;
    TTurn turn;
    if (gt[5] > 0) {
        turn.rows = true;
        gt[0] += ht * gt[2];
        gt[3] += ht * gt[5];
        gt[2] = -gt[2];
        gt[5] = -gt[5];
    }
    if (gt[1] < 0) {
        turn.columns = true;
        gt[0] += w * gt[1];
        gt[3] += w * gt[4];
        gt[1] = -gt[1];
        gt[4] = -gt[4];
    }
    return turn;
}

void TurnHeights(TMetresRaster &h, TTurn turn)
{
    if (turn.rows)
        for (int row = 0; row < h.Height / 2; ++row)
            std::swap_ranges(h.Metres.begin() + static_cast<ptrdiff_t>(row) * h.Width,
                             h.Metres.begin() + static_cast<ptrdiff_t>(row + 1) * h.Width,
                             h.Metres.begin() + static_cast<ptrdiff_t>(h.Height - 1 - row) * h.Width);
    if (turn.columns)
        for (int row = 0; row < h.Height; ++row)
            std::reverse(h.Metres.begin() + static_cast<ptrdiff_t>(row) * h.Width,
                         h.Metres.begin() + static_cast<ptrdiff_t>(row + 1) * h.Width);
}

// Everything about the raster but its heights.
TRasterHeights DescribeRaster(const TGdalDataset &dataset, int maxSamples)
{
    GDALDataset &ds = *dataset;
    RequireElevationModel(ds, dataset.Path());
    TRasterHeights r;
    r.Driver = ds.GetDriver() ? ds.GetDriver()->GetDescription() : "GDAL";
    r.SourceWidth = ds.GetRasterXSize();
    r.SourceHeight = ds.GetRasterYSize();
    const int longer = std::max(r.SourceWidth, r.SourceHeight);
    r.ReadAt = (longer + maxSamples - 1) / maxSamples;
    // A narrow strip keeps two samples across, so it still spans a surface.
    r.Heights.Width = std::min(r.SourceWidth, std::max(2, (r.SourceWidth + r.ReadAt - 1) / r.ReadAt));
    r.Heights.Height = std::min(r.SourceHeight, std::max(2, (r.SourceHeight + r.ReadAt - 1) / r.ReadAt));
    r.Georeferenced = ds.GetGeoTransform(r.PixelCorners.data()) == CE_None;
    r.Wkt = HorizontalWkt(ds.GetSpatialRef());
    return r;
}

// Reads band 1 of what `r` describes in bands of rows, from the north: each
// band lands at bandAt(row, rows), becomes metres there (NaN for voids) and
// goes to done(row, rows, metres). lo and hi follow the extremes so far.
// GDAL decodes a band's blocks on every core; the band's rows are then
// converted on every core too, so no core idles between two reads.
void ReadMetresBands(const TGdalDataset &dataset, const TRasterHeights &r,
                     const std::function<float *(int row, int rows)> &bandAt,
                     const std::function<void(int row, int rows, const float *metres)> &done,
                     const std::function<void(float fraction)> &progress, float &lo, float &hi)
{
    GDALRasterBand &band = *dataset->GetRasterBand(1);
    const int w = r.Heights.Width, h = r.Heights.Height;
    int hasScale = 0, hasOffset = 0, hasNoData = 0;
    const double scale = band.GetScale(&hasScale), offset = band.GetOffset(&hasOffset);
    const double noData = band.GetNoDataValue(&hasNoData);
    const double unit = HeightUnitMetres(band, dataset->GetSpatialRef());
    const bool asRead = !(hasScale || hasOffset) && unit == 1.0;
    // The no-data value as the float it arrives as, so it compares equal.
    const float noDataValue = static_cast<float>(noData);
    const auto toMetres = [&](float *v, float &rowLo, float &rowHi) {
        if ((hasNoData && *v == noDataValue) || !std::isfinite(*v)) {
            *v = std::numeric_limits<float>::quiet_NaN();
            return;
        }
        if (!asRead)
            *v = static_cast<float>((*v * (hasScale ? scale : 1.0) + (hasOffset ? offset : 0.0)) * unit);
        rowLo = std::min(rowLo, *v);
        rowHi = std::max(rowHi, *v);
    };
    // Bands of whole source blocks, so each block is decoded once and
    // GDAL has several blocks per call to decode side by side.
    int blockW = 0, blockH = 0;
    band.GetBlockSize(&blockW, &blockH);
    const int bandRows = std::max(1, std::max(blockH, 256) / r.ReadAt);
    const double rowRatio = static_cast<double>(r.SourceHeight) / h;
    std::vector<float> workerLo(static_cast<size_t>(ResolveThreadCount(0)), lo), workerHi(workerLo.size(), hi);
    if (progress)
        progress(0);
    for (int row = 0; row < h; row += bandRows) {
        const int rows = std::min(bandRows, h - row);
        float *out = bandAt(row, rows);
        dataset.ReadRows(1, row * rowRatio, std::min(rows * rowRatio, r.SourceHeight - row * rowRatio), rows, w, out);
        ParallelRows(rows, 0, [&](int i, int worker) {
            // Extremes kept in locals: the workers' slots share a cache line.
            float rowLo = lo, rowHi = hi;
            float *line = out + static_cast<size_t>(i) * w;
            for (float *v = line; v != line + w; ++v)
                toMetres(v, rowLo, rowHi);
            workerLo[static_cast<size_t>(worker)] = std::min(workerLo[static_cast<size_t>(worker)], rowLo);
            workerHi[static_cast<size_t>(worker)] = std::max(workerHi[static_cast<size_t>(worker)], rowHi);
        }, {});
        lo = *std::min_element(workerLo.begin(), workerLo.end());
        hi = *std::max_element(workerHi.begin(), workerHi.end());
        done(row, rows, out);
        if (progress)
            progress(static_cast<float>(row + rows) / static_cast<float>(h));
    }
}

// The heights of what `r` describes, held whole in metres and turned as
// `turn` says: a raster that cannot be rounded straight into the grid.
void ReadHeights(const TGdalDataset &dataset, TRasterHeights &r, TTurn turn,
                 const std::function<void(float fraction)> &progress)
{
    TMetresRaster &heights = r.Heights;
    heights.Metres.resize(static_cast<size_t>(heights.Width) * heights.Height);
    float lo = std::numeric_limits<float>::infinity(), hi = -lo;
    ReadMetresBands(
        dataset, r, [&](int row, int) { return heights.Metres.data() + static_cast<size_t>(row) * heights.Width; },
        [](int, int, const float *) {}, progress, lo, hi);
    heights.Lo = lo;
    heights.Hi = hi;
    TurnHeights(heights, turn);
}

// Where the grid's samples lie: pixel (i, j) of what was read has its centre
// half a pixel inside its corner (pixel-is-point files have their corners
// moved out by half a sample when GDAL opens them, so this holds for both),
// and the grid resamples the shorter axis onto the longer one's count.
std::array<double, 6> SampleCentres(const TRasterHeights &r, int n)
{
    const auto &gt = r.PixelCorners;
    const int w = r.Heights.Width, h = r.Heights.Height;
    // Source pixels per pixel read, and pixels read per grid step.
    const double px = static_cast<double>(r.SourceWidth) / w, py = static_cast<double>(r.SourceHeight) / h;
    const double fx = px * (w - 1) / (n - 1), fy = py * (h - 1) / (n - 1);
    return {gt[0] + 0.5 * px * gt[1] + 0.5 * py * gt[2], fx * gt[1], fy * gt[2],
            gt[3] + 0.5 * px * gt[4] + 0.5 * py * gt[5], fx * gt[4], fy * gt[5]};
}

// Metres between samples the height step is chosen for: the coarser axis,
// which is the raster's own when the other was resampled onto its count.
double SampleSpacing(const TGeoReference &g)
{
    return std::max(g.AxisSpacingX(), g.AxisSpacingY());
}

// Where the grid of what `r` describes lies. Without a transform the raster
// lies where a heightmap named like no tile does: one degree from (0, 0).
TGeoReference PlaceGrid(const TRasterHeights &r, const std::string &path)
{
    const int n = std::max(r.Heights.Width, r.Heights.Height);
    try {
        return r.Georeferenced ? TGeoReference::ForRaster(SampleCentres(r, n), r.Wkt, n - 1)
                               : TGeoReference::ForTiles(0, 0, 1, n - 1);
    } catch (const ETerrainError &e) {
        throw ETerrainError(e.what(), path);
    }
}

// Whether what `r` describes is square and laid out as the grid (north up,
// west left), so that it can be rounded straight into it.
bool LaidOutAsGrid(const TRasterHeights &r)
{
    const auto &gt = r.PixelCorners;
    return r.Heights.Height == r.Heights.Width && (!r.Georeferenced || (gt[5] < 0 && gt[1] > 0));
}

// A raster laid out as the grid is rounded into it band by band, without
// holding its metres: at the step its spacing asks for and a base that
// suits the first band with heights; in the rare raster whose later heights
// do not fit that, read a second time at the step the whole range needs.
void ReadStraightIntoGrid(const TGdalDataset &dataset, const TRasterHeights &r, const TGeoReference &geo,
                          const std::function<void(float)> &progress, TSIArray &grid, THeightQuantum &q,
                          int &minHeight, int &maxHeight)
{
    const int n = r.Heights.Width;
    grid.SetSize(n);
    std::vector<float> band;
    const double spacing = SampleSpacing(geo);
    bool chosen = false;
    for (bool fixed = false;; fixed = true) {
        float lo = std::numeric_limits<float>::infinity(), hi = -lo;
        std::vector<int> workerLow(static_cast<size_t>(ResolveThreadCount(0)), INT16_MAX),
            workerHigh(workerLow.size(), INT16_MIN);
        ReadMetresBands(
            dataset, r,
            [&](int, int rows) {
                band.resize(static_cast<size_t>(rows) * n);
                return band.data();
            },
            [&](int row, int rows, const float *metres) {
                // Rows that are nothing but voids come out the same at any step.
                if (!fixed && !chosen && lo <= hi) {
                    q = ChooseHeightQuantum(lo, hi, spacing);
                    chosen = true;
                }
                ParallelRows(rows, 0, [&](int i, int worker) {
                    int low = INT16_MAX, high = INT16_MIN;
                    QuantiseRow(metres + static_cast<size_t>(i) * n, n, q, grid.Row(row + i), low, high);
                    workerLow[static_cast<size_t>(worker)] = std::min(workerLow[static_cast<size_t>(worker)], low);
                    workerHigh[static_cast<size_t>(worker)] = std::max(workerHigh[static_cast<size_t>(worker)], high);
                }, {});
            },
            progress, lo, hi);
        if (fixed || QuantumHolds(q, lo, hi)) {
            const int low = *std::min_element(workerLow.begin(), workerLow.end());
            const int high = *std::max_element(workerHigh.begin(), workerHigh.end());
            minHeight = low <= high ? low : 9999999;
            maxHeight = low <= high ? high : -9999999;
            return;
        }
        q = ChooseHeightQuantum(lo, hi, spacing);
    }
}

}  // namespace

void TGdalRasterSource::LoadInto(TTerrain &terrain) const
{
    const TGdalDataset dataset(Files().front());
    LoadRasterInto(terrain, dataset, Files().front());
}

void LoadRasterInto(TTerrain &terrain, const TGdalDataset &dataset, const std::string &path)
{
    const auto progress = [&](float f) { terrain.DoProgress(f * 0.9f); };
    TRasterHeights r = DescribeRaster(dataset, TTileBlock::MaxSamples);
    TSIArray grid;
    THeightQuantum q;
    int minHeight = 0, maxHeight = 0;
    const bool straight = LaidOutAsGrid(r);
    // Placed where its corners lie once turned north up. Without a transform
    // the rows run from the north as in a picture; GDAL's stand-in for one
    // would turn them.
    const TTurn turn = straight || !r.Georeferenced ? TTurn{} : TurnCornersNorthUp(r);
    const TGeoReference geo = PlaceGrid(r, path);
    if (straight) {
        ReadStraightIntoGrid(dataset, r, geo, progress, grid, q, minHeight, maxHeight);
    } else {
        ReadHeights(dataset, r, turn, progress);
        q = ChooseHeightQuantum(r.Heights.Lo, r.Heights.Hi, SampleSpacing(geo));
        SquareGrid(r.Heights, q, grid, minHeight, maxHeight);
    }
    terrain.AdoptRaster(grid, minHeight, maxHeight, q.Step, q.Base, geo,
                        {r.Driver, r.SourceWidth, r.SourceHeight, r.ReadAt}, path);
    terrain.DoProgress(1);
}

std::vector<TTerrainReader> RasterFileReaders()
{
    std::vector<std::string> patterns = {"*.tif", "*.tiff", "*.vrt", "*.dt0", "*.dt1", "*.dt2", "*.asc",
                                         "*.img", "*.bil", "*.flt", "*.dem", "*.bt",  "*.grd"};
    const auto takes = [patterns](const std::string &path) {
        return std::any_of(patterns.begin(), patterns.end(),
                           [&](const std::string &p) { return MatchesPattern(path, p); });
    };
    return {{"Elevation Rasters", patterns, takes, [](const std::string &path) -> std::unique_ptr<TTerrainSource> {
                 return std::make_unique<TGdalRasterSource>(path);
             }}};
}
