// Wavefront OBJ and its material file, written straight from the surface's
// buffers as they go out: positions, texture coordinates (V up) and smooth
// normals, one of each per vertex, and one face per triangle.
#pragma once

#include "MeshSurface.h"
#include "OutFile.h"

#include <functional>
#include <string>
#include <vector>

// `materialFile` is the .mtl's name as the .obj refers to it (beside it).
// Progress 0 … 1 goes to `progress` when given.
void WriteObj(TOutFile &out, const TSurfaceMesh &surface, const std::vector<TVertex3f> &normals,
              const std::string &materialFile, const std::function<void(float)> &progress = {});
// A plain matt white material, textured with `textureFile` unless it is empty.
void WriteMtl(TOutFile &out, const std::string &textureFile);
