#include "TileBlock.h"

#include "CopernicusTile.h"
#include "GdalDataset.h"
#include "GdalRaster.h"
#include "HeightGrid.h"
#include "HgtFile.h"
#include "ParallelRows.h"
#include "Terrain.h"
#include "RegularFile.h"
#include "TerrainError.h"
#include "TilePos.h"
#include "Utils.h"
#include "ZipExtract.h"

#include <gdal_utils.h>

#include <algorithm>
#include <array>
#include <cctype>
#include <climits>
#include <exception>
#include <map>

namespace {

std::string BareName(const std::string &path)
{
    const size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

bool IsZipped(const std::string &path)
{
    return LowerExtension(path) == "zip";
}

// A block's tile as messages name it: the member of a sheet, the file alone.
ETerrainError TileError(const std::string &file, const std::string &member, const std::string &text)
{
    return ETerrainError((member.empty() ? "" : member + ": ") + text, file);
}

// The south-west corner of the tile a block file (or a sheet's member) holds,
// from its name; true for a Copernicus tile, false for an SRTM one.
bool TileCorner(const std::string &file, const std::string &member, int &lat, int &lon)
{
    const std::string &named = member.empty() ? file : member;
    if (member.empty() && LowerExtension(file) == "bmp")
        throw ETerrainError("a grey heightmap cannot be part of a block of tiles", file);
    const bool copernicus = CopernicusTileCorner(named, lat, lon);
    if (!copernicus) {
        const std::string bare = BareName(named);
        std::string lower = bare;
        std::transform(lower.begin(), lower.end(), lower.begin(), [](unsigned char c) { return std::tolower(c); });
        const bool tileFile = lower.size() > 4 && (lower.ends_with(".hgt") || lower.ends_with(".hgt.zip"));
        if (!tileFile || !IsTileName(bare))
            throw TileError(file, member,
                            "is not named like a tile (N47E011.hgt, N47E011.hgt.zip or "
                            "Copernicus_DSM_COG_10_N47_00_E011_00_DEM.tif), so its place in a block is unknown");
        TTilePos pos;
        TileOriginFromName(pos, bare);
        lat = static_cast<int>(pos.Lat);
        lon = static_cast<int>(pos.Lon);
    }
    // The names have room for N99 and E999; the world's tiles run S90 … N89, W180 … E179.
    if (lat < -90 || lat > 89 || lon < -180 || lon > 179)
        throw TileError(file, member, "is named after a tile outside the world (S90 … N89, W180 … E179)");
    return copernicus;
}

// The south-west and the north-east corner of the tiles given: what a refusal
// names, since the square around them may reach where no tile exists.
struct TTileExtent {
    int south = INT_MAX, west = INT_MAX, north = INT_MIN, east = INT_MIN;

    void Add(int lat, int lon)
    {
        south = std::min(south, lat);
        north = std::max(north, lat);
        west = std::min(west, lon);
        east = std::max(east, lon);
    }
    std::string Name() const
    {
        const std::string sw = TileBlockName(south, west, 1);
        return south == north && west == east ? sw : sw + " \u2013 " + TileBlockName(north, east, 1);
    }
};

// Whether the tiles lie closer together across the 180° meridian than along
// the map (W180 and E179 are neighbours, not 359° apart): the widest gap
// between their longitudes is then inside the map rather than across its edge.
bool NearerAcrossTheMeridian(std::vector<int> lons)
{
    std::sort(lons.begin(), lons.end());
    int widest = 0;
    for (size_t i = 1; i < lons.size(); ++i)
        widest = std::max(widest, lons[i] - lons[i - 1]);
    return widest > lons.front() + 360 - lons.back();
}

// Samples a side of an SRTM block file, read from its size (or the archive's
// directory) without reading its heights.
int TileSamplesOf(const std::string &file)
{
    if (IsZipped(file))
        return HgtSideForSize(TileSizeInZip(file));
    return HgtSideForSize(RequireRegularFile(file, "a height file"));
}

}  // namespace

std::string TileBlockName(int southLat, int westLon, int side)
{
    const auto name = [](int lat, int lon) {
        TTilePos pos{};
        pos.SetOffset(lat, lon);
        return TileNameFor(pos);
    };
    const std::string sw = name(southLat, westLon);
    return side <= 1 ? sw : sw + " \u2013 " + name(southLat + side - 1, westLon + side - 1);
}

void KeepBlockInsideWorld(int &southLat, int &westLon, int side)
{
    if (side <= 180)
        southLat = std::clamp(southLat, -90, 90 - side);
    if (side <= 360)
        westLon = std::clamp(westLon, -180, 180 - side);
}

std::vector<TTileBlock::TTile> TTileBlock::FileTiles(const std::vector<std::string> &files)
{
    std::vector<TTile> tiles;
    for (const std::string &file : files)
        tiles.push_back({file, {}, 0, 0, 0});
    return tiles;
}

TTileBlock TTileBlock::Covering(const std::vector<std::string> &files)
{
    return CoveringTiles(FileTiles(files), files);
}

TTileBlock TTileBlock::OfSheet(const std::string &archive, const std::vector<TZipTile> &members)
{
    std::vector<TTile> tiles;
    for (const TZipTile &member : members)
        tiles.push_back({archive, member.Name, member.Size, 0, 0});
    return CoveringTiles(tiles, {archive});
}

TTileBlock TTileBlock::CoveringTiles(const std::vector<TTile> &tiles, const std::vector<std::string> &files)
{
    if (tiles.empty())
        throw ETerrainError("no tile files given");
    TTileExtent extent;
    std::vector<int> lons;
    for (const TTile &tile : tiles) {
        int lat = 0, lon = 0;
        TileCorner(tile.file, tile.member, lat, lon);
        extent.Add(lat, lon);
        lons.push_back(lon);
    }
    if (NearerAcrossTheMeridian(lons))
        throw ETerrainError("blocks cannot cross the 180\u00b0 meridian; open the tiles on each side of it apart",
                            extent.Name());
    return TTileBlock(extent.south, extent.west, std::max(extent.north - extent.south, extent.east - extent.west) + 1,
                      tiles, files);
}

TTileBlock::TTileBlock(int southLat, int westLon, int side, const std::vector<std::string> &files)
    : TTileBlock(southLat, westLon, side, FileTiles(files), files)
{
}

TTileBlock::TTileBlock(int southLat, int westLon, int side, const std::vector<TTile> &tiles,
                       const std::vector<std::string> &files)
    : TTerrainSource(files), southLat_(southLat), westLon_(westLon), side_(std::max(side, 1)),
      present_(static_cast<size_t>(side_) * side_, false)
{
    if (tiles.empty())
        throw ETerrainError("no tile files given");
    KeepBlockInsideWorld(southLat_, westLon_, side_);
    std::map<std::pair<int, int>, std::string> seen;
    std::string first;
    TTileExtent extent;
    for (size_t i = 0; i < tiles.size(); ++i) {
        TTile tile = tiles[i];
        const std::string &named = tile.member.empty() ? tile.file : tile.member;
        int lat = 0, lon = 0;
        const bool copernicus = TileCorner(tile.file, tile.member, lat, lon);
        if (i == 0)
            copernicus_ = copernicus;
        else if (copernicus != copernicus_)
            throw TileError(tile.file, tile.member,
                            "is " + std::string(copernicus ? "a Copernicus" : "an SRTM") + " tile, but " + first +
                                " is " + (copernicus_ ? "a Copernicus" : "an SRTM") +
                                " one; the tiles of a block must all be of one kind");
        extent.Add(lat, lon);
        tile.row = southLat_ + side_ - 1 - lat;
        tile.col = lon - westLon_;
        if (tile.row < 0 || tile.row >= side_ || tile.col < 0 || tile.col >= side_)
            throw TileError(tile.file, tile.member, "lies outside the block " + Name());
        if (auto [it, fresh] = seen.emplace(std::pair(tile.row, tile.col), named); !fresh)
            throw TileError(tile.file, tile.member, "is the same tile as " + it->second + "; a block takes one file per tile");
        int samples = 0;
        if (copernicus_) {
            const TCopernicusHeader header = ReadCopernicusHeader(tile.file);
            // The block puts each tile where its name says; a file that lies elsewhere would be drawn wrong.
            if (!CopernicusHeaderMatches(header, lat, lon))
                throw ETerrainError("its georeference does not put it where its name says; a block places its tiles "
                                    "by their names",
                                    tile.file);
            samples = header.Rows;
            if (driver_.empty()) {
                driver_ = header.Driver;
                bandRows_ = header.BlockRows;
            }
        } else {
            samples = tile.member.empty() ? TileSamplesOf(tile.file) : HgtSideForSize(tile.memberSize);
            if (samples == 0)
                throw TileError(tile.file, tile.member, "Wrong Size of hgt File");
        }
        if (samples_ == 0) {
            samples_ = samples;
            first = named;
        } else if (samples != samples_) {
            throw TileError(tile.file, tile.member,
                            "has " + std::to_string(samples) + " samples a side, but " + first + " has " +
                                std::to_string(samples_) + "; the tiles of a block must all have the same");
        }
        tiles_.push_back(tile);
        present_[static_cast<size_t>(tile.row) * side_ + tile.col] = true;
    }
}

std::string TTileBlock::Name() const
{
    return TileBlockName(southLat_, westLon_, side_);
}

bool TTileBlock::Has(int row, int col) const
{
    return row >= 0 && col >= 0 && row < side_ && col < side_ && present_[static_cast<size_t>(row) * side_ + col];
}

void TTileBlock::LoadTile(const TTile &tile, int band, TSIArray &grid, int16_t &lo, int16_t &hi) const
{
    const int n = samples_, step = Step();
    if (copernicus_) {
        ReadCopernicusTile(tile.file, grid, tile.col * step, tile.row * step, lo, hi, {}, band * bandRows_,
                           (band + 1) * bandRows_);
        return;
    }
    std::string member = tile.member;  // named in messages; empty for a plain file
    const THgtBytes bytes = !member.empty()      ? ReadZipMember(tile.file, member)
                            : IsZipped(tile.file) ? ReadTileFromZip(tile.file, member)
                                                  : ReadHgtFile(tile.file);
    if (HgtSideForSize(bytes.size()) != n)
        throw TileError(tile.file, member, "Wrong Size of hgt File");
    for (int r = 0; r < n; ++r) {
        const auto [first, last] = WrittenColumns(tile, r);
        if (first <= last)
            DecodeHgtRow(bytes.data() + (static_cast<size_t>(r) * n + first) * 2,
                         grid.Row(tile.row * step + r) + static_cast<size_t>(tile.col) * step + first, last - first + 1,
                         lo, hi);
    }
}

std::pair<int, int> TTileBlock::WrittenColumns(const TTile &tile, int r) const
{
    const int step = samples_ - 1;
    const bool east = Has(tile.row, tile.col + 1);
    if (r < step)
        return {0, east ? step - 1 : step};
    // The last row is shared with the tiles to the south: south-west, south, south-east.
    if (Has(tile.row + 1, tile.col))
        return {1, 0};
    return {Has(tile.row + 1, tile.col - 1) ? 1 : 0, east || Has(tile.row + 1, tile.col + 1) ? step - 1 : step};
}

void TTileBlock::FillMissingTiles(TSIArray &grid) const
{
    // A missing Copernicus tile is sea at 0 m (the product leaves out tiles
    // of open water): the grid SetSize has just made is zeros already.
    if (copernicus_)
        return;
    // Every sample of a missing tile that no tile around it writes (see LoadTile).
    const int step = samples_ - 1;
    for (int row = 0; row < side_; ++row)
        for (int col = 0; col < side_; ++col) {
            if (Has(row, col))
                continue;
            for (int r = 0; r <= step; ++r) {
                const int gr = row * step + r;
                int16_t *line = grid.Row(gr) + static_cast<size_t>(col) * step;
                const bool edgeRow = r == 0 || r == step;
                // Inside the tile's square nobody else writes; its edges may be a neighbour's.
                if (!edgeRow)
                    std::fill(line + 1, line + step, TSIArray::Void);
                for (int c = 0; c <= step; c += edgeRow ? 1 : step)
                    if (!Writer(gr, col * step + c, step))
                        line[c] = TSIArray::Void;
            }
        }
}

bool TTileBlock::Writer(int gridRow, int gridCol, int step) const
{
    // The tiles whose square holds the sample: one inside a tile, two on a
    // shared edge, four at a shared corner.
    for (int row = gridRow / step - (gridRow % step == 0); row <= gridRow / step; ++row)
        for (int col = gridCol / step - (gridCol % step == 0); col <= gridCol / step; ++col)
            if (row >= 0 && col >= 0 && row < side_ && col < side_ && Has(row, col))
                return true;
    return false;
}

void TTileBlock::LoadDecimated(TTerrain &terrain) const
{
    RegisterGdalDrivers();
    std::vector<std::string> paths;
    // A zipped tile is read where it lies in its archive, whatever its
    // member's name: GDAL looks only for one named like the archive.
    for (const TTile &tile : tiles_) {
        const bool zipped = !tile.member.empty() || IsZipped(tile.file);
        const std::string member = tile.member.empty() && zipped ? TileMemberInZip(tile.file) : tile.member;
        paths.push_back(zipped ? "/vsizip/" + tile.file + "/" + member : tile.file);
        // A virtual raster leaves out, with a mere warning, a file GDAL cannot
        // open (its SRTM reader knows a tile only by a tile's name): that
        // would be a tile of voids nobody asked for.
        TGdalErrors refused;
        GDALDatasetH probe = GDALOpenEx(paths.back().c_str(), GDAL_OF_RASTER | GDAL_OF_READONLY, nullptr, nullptr, nullptr);
        if (probe)
            GDALClose(probe);
        else
            throw ETerrainError("is part of a block too large to read whole, and GDAL cannot read it"
                                    + (refused.Last().empty() ? std::string() : ": " + refused.Last()),
                                tile.file);
    }
    std::vector<const char *> names;
    for (const std::string &path : paths)
        names.push_back(path.c_str());
    // SRTM voids stay voids where no tile lies; missing Copernicus tiles are
    // sea at 0 m, a value the virtual raster must not call "no data".
    std::vector<const char *> arguments = {"-vrtnodata", copernicus_ ? "0" : "-32768"};
    if (copernicus_)
        arguments.push_back("-hidenodata");
    arguments.push_back(nullptr);
    GDALBuildVRTOptions *options = GDALBuildVRTOptionsNew(const_cast<char **>(arguments.data()), nullptr);
    TGdalErrors errors;
    GDALDatasetH made =
        GDALBuildVRT("", static_cast<int>(names.size()), nullptr, names.data(), options, nullptr);
    GDALBuildVRTOptionsFree(options);
    const TGdalDataset dataset(GDALDataset::FromHandle(made), Name(), errors.Last());
    LoadRasterInto(terrain, dataset, Name());
}

void TTileBlock::LoadInto(TTerrain &terrain) const
{
    if (Decimated()) {
        LoadDecimated(terrain);
        return;
    }
    TSIArray grid;
    const int samples = static_cast<int>(GridSamples());  // within MaxSamples
    try {
        grid.SetSize(samples);
    } catch (const std::bad_alloc &) {
        throw ETerrainError("not enough memory for a grid of " + std::to_string(samples) + " samples a side", Name());
    }
    FillMissingTiles(grid);
    const int bands = BandsPerTile();
    const size_t count = tiles_.size() * static_cast<size_t>(bands);
    std::vector<int16_t> lo(count, INT16_MAX), hi(count, INT16_MIN);
    std::vector<std::exception_ptr> failed(count);
    terrain.DoProgress(0.0f);
    ParallelRows(static_cast<int>(count), 0, [&](int i, int) {
        try {
            LoadTile(tiles_[static_cast<size_t>(i / bands)], i % bands, grid, lo[static_cast<size_t>(i)],
                     hi[static_cast<size_t>(i)]);
        } catch (...) {
            failed[static_cast<size_t>(i)] = std::current_exception();
        }
    }, [&](int done) { terrain.DoProgress(static_cast<float>(done) / static_cast<float>(count)); });
    for (const std::exception_ptr &e : failed)
        if (e)
            std::rethrow_exception(e);

    int16_t low = *std::min_element(lo.begin(), lo.end()), high = *std::max_element(hi.begin(), hi.end());
    if (copernicus_ && Missing() > 0) {
        // The sea of the missing tiles counts like any height.
        low = std::min<int16_t>(low, 0);
        high = std::max<int16_t>(high, 0);
    }
    // As for one tile: a block of voids keeps the "nothing seen" figures.
    const bool any = high != TSIArray::Void;
    const int minHeight = any ? low : 9999999, maxHeight = any ? high : -9999999;
    if (!copernicus_) {
        terrain.AdoptBlock(grid, minHeight, maxHeight, southLat_, westLon_, side_, Name());
        return;
    }
    // Points from the north-west corner on, stopping one sample short of the
    // southern and eastern edges (CopernicusTile.h).
    const double degreesPerSample = 1.0 / samples_;
    const std::array<double, 6> affine{static_cast<double>(westLon_), degreesPerSample, 0,
                                       static_cast<double>(southLat_ + side_), 0, -degreesPerSample};
    terrain.AdoptRaster(grid, minHeight, maxHeight, 1.0, 0.0, TGeoReference::ForRaster(affine, "", samples - 1),
                        {driver_, samples, samples, 1}, Name());
}
