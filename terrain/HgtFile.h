// The .hgt tile as bytes: big-endian 16-bit samples, row by row from the
// north, with no header; the byte count alone tells 1201 from 3601 samples.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

// Samples a side of a tile of `size` bytes: 1201, 3601, or 0 for any other size.
int HgtSideForSize(uint64_t size);

// The whole file in memory; throws ETerrainError naming it ("Wrong Size of
// hgt File" for a size that is no tile's, or the system's reason).
std::unique_ptr<uint8_t[]> ReadHgtFile(const std::string &fileName, size_t &size);

// n samples of one file row into `dst`, lowering `lo` and raising `hi` with
// every sample that is not a void (start them at INT16_MAX and INT16_MIN).
void DecodeHgtRow(const uint8_t *src, int16_t *dst, int n, int16_t &lo, int16_t &hi);
