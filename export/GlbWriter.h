// Binary glTF 2.0 (.glb) written straight from the surface's buffers: one
// mesh with positions, smooth normals and (with a texture) texture
// coordinates, 32-bit indices, and a matt material carrying the JPEG inside
// the file; the draped lines, if any, as a second mesh of line strips in
// their colours. No extensions. The JSON is made first from the counts, so the
// binary chunk streams out behind it.
#pragma once

#include "DrapedLine.h"
#include "MeshSurface.h"
#include "OutFile.h"

#include <QByteArray>

#include <functional>
#include <vector>

// Throws ETerrainError naming the file when the model would pass the
// format's 4 GiB limit. Progress 0 … 1 goes to `progress` when given.
void WriteGlb(TOutFile &out, const TSurfaceMesh &surface, const std::vector<TVertex3f> &normals,
              const QByteArray &jpeg, const TDrapedLines &lines = {},
              const std::function<void(float)> &progress = {});
