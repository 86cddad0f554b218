// Reading the tile of a .hgt.zip archive straight into memory.
//
// An archive stands for one tile: the member named like the archive without
// ".zip" in any letter case (N47E011.hgt.zip holds N47E011.hgt or
// n47e011.hgt), else its only ".hgt" member. The archive is judged from its
// directory before a byte is decompressed, and the data must then keep to
// what the directory claims. Errors are ETerrainError naming the archive.
#pragma once

#include "HgtFile.h"

#include <cstdint>
#include <string>

// Entries an archive may hold at most, counted from its directory before any
// entry is looked at: a tile archive holds a tile and perhaps a note or two,
// and a directory of thousands of entries is not worth scanning.
inline constexpr int MaxZipEntries = 16;

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
