// Wavefront OBJ and its material file, written straight from the surface's
// buffers as they go out: positions, texture coordinates (V up) and smooth
// normals, one of each per vertex, and one face per triangle; then the
// draped lines, if any, as line elements in materials of their colours.
#pragma once

#include "DrapedLine.h"
#include "MeshSurface.h"
#include "OutFile.h"

#include <functional>
#include <string>
#include <vector>

// `materialFile` is the .mtl's name as the .obj refers to it (beside it).
// Progress 0 … 1 goes to `progress` when given.
void WriteObj(TOutFile &out, const TSurfaceMesh &surface, const std::vector<TVertex3f> &normals,
              const std::string &materialFile, const TDrapedLines &lines = {},
              const std::function<void(float)> &progress = {});
// A plain matt white material, textured with `textureFile` unless it is
// empty, and one unlit material a line in its colour.
void WriteMtl(TOutFile &out, const std::string &textureFile, const TDrapedLines &lines = {});
