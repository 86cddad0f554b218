// The .hgt tile as bytes: big-endian 16-bit samples, row by row from the
// north, with no header; the byte count alone tells 1201 from 3601 samples.
#pragma once

#include "HugePages.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// Samples a side of a tile of `size` bytes: 1201, 3601, or 0 for any other size.
int HgtSideForSize(uint64_t size);

// A tile's bytes in memory that is cheap to fill the first time.
using THgtBytes = std::vector<uint8_t, TLargeAllocator<uint8_t>>;

// The whole file in memory; throws ETerrainError naming it ("Wrong Size of
// hgt File" for a size that is no tile's, or the system's reason).
THgtBytes ReadHgtFile(const std::string &fileName);

// n samples of one file row into `dst`, lowering `lo` and raising `hi` with
// every sample that is not a void (start them at INT16_MAX and INT16_MIN).
void DecodeHgtRow(const uint8_t *src, int16_t *dst, int n, int16_t &lo, int16_t &hi);
