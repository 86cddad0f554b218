// 3MF (the 3D Manufacturing Format) written by this project: a ZIP package
// with the content types, the package relationship and one model part that
// holds the solid as one mesh object in millimetres, no materials. The model
// part streams out of the solid's buffers as it is made; its entry is stored
// rather than compressed so that the largest models write at the speed of
// the disk (about 1.5× the size of the binary STL).
#pragma once

#include "OutFile.h"
#include "PrintSolid.h"

#include <functional>

// Throws ETerrainError naming the file when the package would pass the
// 4 GiB a ZIP file without its 64-bit extension can hold. Progress 0 … 1
// goes to `progress` when given.
void Write3mf(TOutFile &out, const TSolidMesh &solid, const std::function<void(float)> &progress = {});
