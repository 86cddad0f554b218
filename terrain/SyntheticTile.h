// Made-up tiles with believable relief for tests, benchmarks and samples:
// ridges and valleys from layered noise, a basin that dips below sea level
// and a patch of voids. The same seed always gives the same tile, and the
// relief is defined over the tile's degree square, so a 1201 and a 3601 tile
// of one seed show the same landscape at two resolutions.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// side × side heights in metres, row by row from the north, west to east;
// -32768 marks the voids. side must be at least 2.
std::vector<int16_t> MakeSyntheticHeights(int side, uint32_t seed);

// The same tile as the bytes of a .hgt file (big-endian, no header).
std::vector<uint8_t> MakeSyntheticHgt(int side, uint32_t seed);

// Writes a .hgt tile of side 1201 or 3601 to `path`; throws ETerrainError
// (naming the file) for another side or when the file cannot be written.
void WriteSyntheticTile(const std::string &path, int side, uint32_t seed);
