// Taking .hgt tiles out of ZIP archives (the .hgt.zip form of a tile).
//
// Members are written under their bare file name only: a folder part, ".."
// or an absolute path in the archive never leads outside the target folder.
// A member is written to a temporary name and renamed when complete, and a
// failure removes what the same call already wrote, so nothing half-written
// is left behind. Errors are ETerrainError naming the archive.
#pragma once

#include "HgtFile.h"

#include <cstdint>
#include <string>
#include <vector>

// Extracts every member whose name ends in ".hgt" (any case) into `folder`,
// replacing files of the same name there, and returns their paths in
// archive order. Refuses, before writing anything: a file that is not a ZIP
// archive, an archive without such a member, a member larger than a 3601
// tile ("Wrong Size of hgt File"), two members with the same bare name.
std::vector<std::string> ExtractHgtEntries(const std::string &archive, const std::string &folder);

// Extracts the one tile of a .hgt.zip into `folder` and returns its path: the
// member named like the archive without ".zip" (N47E011.hgt.zip holds
// N47E011.hgt), or else the first ".hgt" member. Same checks as above.
std::string ExtractTileFromZip(const std::string &archive, const std::string &folder);

// The same tile read into memory instead, with no file written: its bytes,
// and the member's bare name in `member`. Same checks as above. With
// `required`, exactly the member of that bare name, refused when missing.
THgtBytes ReadTileFromZip(const std::string &archive, std::string &member,
                                     const std::string &required = {});

// The byte count of that member as the archive's directory records it, to
// judge a tile's sample count before anything is decompressed.
uint64_t TileSizeInZip(const std::string &archive);
