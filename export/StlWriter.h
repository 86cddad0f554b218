// Binary STL written directly, in blocks, from the solid's indexed points.
// Assimp's STL exporter copies the whole scene and builds the file in a
// string stream before writing it, several times the mesh's size in memory
// and over the time budget for the largest meshes (BENCHMARKS.md, "Mesh
// export"); the format itself is a header and 50 bytes a triangle.
#pragma once

#include "PrintSolid.h"

#include <functional>
#include <string>

// Throws ETerrainError naming `path` when it cannot be written. Progress
// 0 … 1 goes to `progress` when given.
void WriteBinaryStl(const TSolidMesh &solid, const std::string &path, const std::function<void(float)> &progress = {});
