// Reading the tiles of ZIP archives straight into memory.
//
// Most archives stand for one tile: the member named like the archive without
// ".zip" in any letter case (N47E011.hgt.zip holds N47E011.hgt or
// n47e011.hgt), else its only ".hgt" member. The archive is judged from its
// directory before a byte is decompressed, and the data must then keep to
// what the directory claims. Errors are ETerrainError naming the archive.
//
// A sheet of a tile collection holds several tiles under their own names
// instead (one .zip per 4° × 6° sheet, up to 24 tiles, often in a folder):
// SheetTiles lists them and ReadZipMember reads each.
#pragma once

#include "HgtFile.h"

#include <cstdint>
#include <string>
#include <vector>

// Entries an archive may hold at most, counted from its directory before any
// entry is looked at: a sheet holds 24 tiles, its folder and perhaps a note
// or two, and a directory of thousands of entries is not worth scanning.
inline constexpr int MaxZipEntries = 32;

// The tile's bytes, and the member's bare name in `member`. Refuses a file
// that is not a ZIP archive, more than MaxZipEntries entries, no ".hgt"
// member, two of the same bare name, several without one named like the
// archive, a lone member named after another tile, a member larger than a
// 3601 tile ("Wrong Size of hgt File"), data that fails its checksum or is
// longer or shorter than recorded.
THgtBytes ReadTileFromZip(const std::string &archive, std::string &member);

// The byte count of that member as the archive's directory records it, to
// judge a tile's sample count before anything is decompressed.
uint64_t TileSizeInZip(const std::string &archive);
// That member's name as the archive's directory holds it.
std::string TileMemberInZip(const std::string &archive);

// A ".hgt" member of a sheet: its name in the archive's directory ("J32/N44E006.hgt")
// and its byte count as recorded there.
struct TZipTile {
    std::string Name;
    uint64_t Size = 0;
};

// The tiles of a sheet: the archive's ".hgt" members when every one is named
// like a tile and none like the archive, and there are several or the archive
// is neither named like a tile nor a "*.hgt.zip". Empty for an archive that
// stands for one tile. Refuses what ReadTileFromZip refuses of the directory.
std::vector<TZipTile> SheetTiles(const std::string &archive);

// The member `name` in memory, its data checked against the directory as for
// ReadTileFromZip.
THgtBytes ReadZipMember(const std::string &archive, const std::string &name);
