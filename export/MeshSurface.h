// The terrain surface a view draws, as one indexed triangle mesh over the
// whole terrain square: one vertex per mesh point (the copies that every fan
// repeats merged), so that neighbouring triangles share their edges and the
// border can be found.
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

// The surface to export for `view`, always the whole terrain square. The
// level-of-detail view gives its triangle list as it is. The base and
// vertex-buffer views draw their quads only up to one cell short of the
// south and east edges; their surface is instead the lattice of Resolution
// points a side from edge to edge, sampled like theirs, with as many quads
// split along the same diagonal as the GL driver splits a quad (corners 0,
// 1, 3 and 1, 2, 3). Progress 0 … 1 goes to `progress` when given.
TSurfaceMesh ViewSurface(const TTopoView &view, const std::function<void(float)> &progress = {});

// The number of points and triangles ViewSurface will give, without making it.
struct TSurfaceSize {
    uint64_t Points = 0, Triangles = 0;
};
TSurfaceSize ViewSurfaceSize(const TTopoView &view);

// Raises the points that stand on a void of `terrain` (one metre below its
// lowest sample) to the height of `filled`, the same grid with its voids
// filled (VoidFill.h).
void RaiseVoids(TSurfaceMesh &surface, const TTerrain &terrain, const TSIArray &filled);
