// The terrain surface a view draws, as one indexed triangle mesh: the same
// triangles in the same order, with the copies of a mesh point that every
// quad and fan repeats merged into one vertex, so that neighbouring
// triangles share their edges and the border can be found.
#pragma once

#include "TopoView.h"

#include <cstdint>
#include <functional>
#include <vector>

struct TSurfaceMesh {
    int WorldSize = 0;                   // edge of the terrain square, world units
    std::vector<TVertex3f> Positions;    // world coordinates
    std::vector<TTexCoord2f> TexCoords;  // as the view draws them (−1 … 0, the texture repeats)
    // Three vertex indices a triangle, counter-clockwise seen from above.
    std::vector<uint32_t> Triangles;

    size_t TriangleCount() const { return Triangles.size() / 3; }
};

// The surface of the mesh `view` holds now. The level-of-detail view gives
// its triangle list; the base view its quads, each split along the same
// diagonal as the GL driver splits it (corners 0, 1, 3 and 1, 2, 3). The
// vertex-buffer view keeps its quads in a GL buffer that cannot be read
// back cheaply, so they are built again here by the very function that
// filled the buffer, from the same terrain, resolution and size. Progress
// 0 … 1 goes to `progress` when given.
TSurfaceMesh ViewSurface(const TTopoView &view, const std::function<void(float)> &progress = {});
