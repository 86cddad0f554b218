// A square block of k × k neighbouring tiles opened as one terrain: SRTM
// tiles (.hgt, .hgt.zip, or the tiles of a sheet's archive), or Copernicus
// DEM tiles (CopernicusTile.h).
//
// Neighbouring tiles repeat their shared edge row or column, so the block's
// grid has k·(n − 1) + 1 samples a side; sample (c, r) of the block is sample
// (c − j·(n − 1), r − i·(n − 1)) of the tile in block row i (from the north)
// and column j (from the west). A tile without a file (open sea, no data) is
// voids, apart from the edges it shares with tiles that exist. Where tiles
// that exist disagree about a shared sample, the southern one holds, and of
// two side by side the eastern one: every sample comes from the tile
// furthest south, then furthest east, among those that hold it.
//
// Copernicus tiles share no samples: the block's grid is k·n samples a side,
// each tile's square written by that tile alone, and a missing tile is sea
// at 0 m.
//
// A block larger than MaxSamples a side is read decimated instead, through
// a GDAL virtual raster of its tiles (averaging), the way a large raster is.
//
// A block lies inside the world: it cannot reach past a pole or cross the
// 180° meridian.
#pragma once

#include "TerrainSource.h"

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

struct TZipTile;

class TTileBlock : public TTerrainSource {
public:
    // The largest grid a block may have, samples a side (4 × 4 tiles of 3601
    // samples or of 3600 Copernicus ones, 12 × 12 of 1201; about 415 MB of
    // heights).
    static constexpr int MaxSamples = 14401;

    // The smallest square block that covers these tile files.
    static TTileBlock Covering(const std::vector<std::string> &files);

    // The block of `side` × `side` tiles whose south-west tile has its corner
    // at (southLat, westLon), moved inside the world where it reaches past
    // its edge (KeepBlockInsideWorld), made of the tiles of `files` (the
    // others are missing). Checks every file before any is read: each must be
    // a .hgt, .hgt.zip or Copernicus tile named like a tile inside the block,
    // all of one kind, no tile twice, every tile of the same sample count, the
    // grid within MaxSamples. Throws ETerrainError naming the file(s) otherwise.
    TTileBlock(int southLat, int westLon, int side, const std::vector<std::string> &files);

    // The tiles of a sheet's archive, `members` as SheetTiles (ZipExtract.h)
    // lists them, as the smallest square block that covers them; checked as
    // above.
    static TTileBlock OfSheet(const std::string &archive, const std::vector<TZipTile> &members);

    int SouthLat() const { return southLat_; }
    int WestLon() const { return westLon_; }
    int Side() const { return side_; }
    int Missing() const { return side_ * side_ - static_cast<int>(tiles_.size()); }
    int TileSamples() const { return samples_; }
    // "N40E010 – N41E011": the south-west and the north-east tile.
    std::string Name() const;

    // Reads the tiles in parallel, each straight into its place in the grid.
    void LoadInto(TTerrain &terrain) const override;

private:
    struct TTile {
        std::string file;
        std::string member;    // a sheet's tile: its name in the archive `file`
        uint64_t memberSize = 0;  // and its bytes as the directory records them
        int row = 0, col = 0;  // in the block: row 0 the northern, col 0 the western
    };

    TTileBlock(int southLat, int westLon, int side, const std::vector<TTile> &tiles, const std::vector<std::string> &files);
    static TTileBlock CoveringTiles(const std::vector<TTile> &tiles, const std::vector<std::string> &files);
    // Plain tile files, each a tile of its own.
    static std::vector<TTile> FileTiles(const std::vector<std::string> &files);
    // Grid samples from one tile's first to the next one's.
    int Step() const { return copernicus_ ? samples_ : samples_ - 1; }
    // The block's grid, samples a side: counted wide, since a block too large
    // to read whole may have more than an int holds.
    long long GridSamples() const { return static_cast<long long>(side_) * Step() + (copernicus_ ? 0 : 1); }
    // Larger than MaxSamples a side: read through LoadDecimated.
    bool Decimated() const { return GridSamples() > MaxSamples; }

    bool Has(int row, int col) const;
    // Whether a tile that exists holds grid sample (gridRow, gridCol).
    bool Writer(int gridRow, int gridCol, int step) const;
    // The columns [first, last] of its row r that `tile` writes: the samples
    // it shares with a tile further south or, in its row, further east are
    // that tile's. Decided from the block alone, before any thread starts.
    std::pair<int, int> WrittenColumns(const TTile &tile, int r) const;
    void FillMissingTiles(class TSIArray &grid) const;
    int BandsPerTile() const { return copernicus_ ? (samples_ + bandRows_ - 1) / bandRows_ : 1; }
    // A block larger than MaxSamples: its tiles as one virtual raster, read
    // at 1:N like any large raster.
    void LoadDecimated(TTerrain &terrain) const;
    // Band `band` of the tile's rows (all of an SRTM tile's).
    void LoadTile(const TTile &tile, int band, class TSIArray &grid, int16_t &lo, int16_t &hi) const;

    int southLat_ = 0, westLon_ = 0, side_ = 1, samples_ = 0;
    bool copernicus_ = false;
    std::string driver_;  // of the Copernicus tiles
    // Rows a thread reads of a Copernicus tile at a time: the first tile's
    // blocks, so that nine tiles on two cores end nearly together.
    int bandRows_ = 0;
    std::vector<TTile> tiles_;
    std::vector<bool> present_;  // row-major, side_ × side_
};

// "N40E010 – N41E011" for the block of `side` tiles at that corner; the tile
// name alone for a single tile.
std::string TileBlockName(int southLat, int westLon, int side);

// Moves a square of `side` tiles whose south-west tile is at (southLat,
// westLon) the least distance that keeps it inside latitudes −90 … 90 and
// longitudes −180 … 180, so that every tile of it can exist and every tile
// that lay inside it still does. A square larger than the world stays put.
void KeepBlockInsideWorld(int &southLat, int &westLon, int side);
