// Smooth normals for a surface: at every vertex the area-weighted mean of the
// faces around it, so 3D tools shade the terrain as smoothly as the viewer.
#pragma once

#include "TopoView.h"

#include <cstdint>
#include <vector>

// Unit length each; straight up (0, 1, 0) where the faces around a vertex
// have no area or cancel out.
std::vector<TVertex3f> VertexNormals(const std::vector<TVertex3f> &points, const std::vector<uint32_t> &triangles);
