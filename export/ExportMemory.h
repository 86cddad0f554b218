// What an export holds in memory at its peak, and the refusal of one that
// would not fit: better a message at once than the machine swapping for
// minutes or the process killed half-way.
#pragma once

#include <cstdint>
#include <string>

// Bytes an export of a surface of `points` and `triangles` needs on top of
// the view: the surface itself, then the solid (.stl, .3mf) or the normals
// (.obj, .glb), and for the textured kinds the picture of `texels`.
uint64_t ExportBytes(uint64_t points, uint64_t triangles, const std::string &extension, uint64_t texels);

// The memory the system can give without swapping (MemAvailable).
uint64_t AvailableMemory();

// Throws ETerrainError naming `file` with both figures when `bytes` exceed
// what is available.
void RefuseIfOverMemory(uint64_t bytes, const std::string &file);
