// Binary STL written directly, in blocks, from the solid's indexed points:
// a header and 50 bytes a triangle.
#pragma once

#include "OutFile.h"
#include "PrintSolid.h"

#include <functional>

// Progress 0 … 1 goes to `progress` when given.
void WriteBinaryStl(TOutFile &out, const TSolidMesh &solid, const std::function<void(float)> &progress = {});
