// The uniform quad mesh shared by the base view (client-side arrays) and the
// vertex-buffer view (records written straight into the mapped buffer).
#pragma once

#include "Terrain.h"

#include <cmath>
#include <functional>

struct TQuadMeshVertex {
    float S, T;     // texture coordinate, both in −1 … 0 (the texture repeats)
    float X, Y, Z;  // world position
};

// Vertices of a quad mesh with (resolution − 1)² cells, one separate quad of
// four vertices per cell, cell column by cell column, corners in the order
// (0,0), (0,1), (1,1), (1,0). The mesh spans −size/2 … size/2 − size/resolution
// on both axes and samples the grid by truncation at spacing GridHigh /
// resolution, so it never reaches the last grid row and column. A resolution
// below 2 gives no vertices.
inline long long QuadMeshVertexCount(int resolution)
{
    return resolution < 2 ? 0 : 4LL * (resolution - 1) * (resolution - 1);
}

// Where the mesh puts grid point (gi, gj) of its resolution: everything
// that must meet the drawn quads (lines laid on them) asks here, so that it
// agrees with them to the last bit.
struct TQuadMeshGrid {
    TQuadMeshGrid(const TTerrain &terrain, int resolution, int size)
        : Resolution(static_cast<float>(resolution)), Size(static_cast<float>(size)), Half(Size / 2),
          Step(static_cast<float>(terrain.GridHigh) / Resolution)
    {
    }
    float Coord(int g) const { return static_cast<float>(g) / Resolution * Size - Half; }
    float Height(const TTerrain &terrain, int gi, int gj) const
    {
        return terrain.SampleHeight(std::trunc(static_cast<float>(gi) * Step),
                                    std::trunc(static_cast<float>(gj) * Step));
    }
    float Resolution, Size, Half, Step;
};

// Calls visit(vertex) for every vertex in order and progress(fraction) with 0
// first, after each cell column and exactly 1 at the end.
template <class Emit>
void BuildQuadMesh(const TTerrain &terrain, int resolution, int size, Emit &&visit,
                   const std::function<void(float)> &progress)
{
    progress(0);
    const int r = resolution;
    if (r < 2) {
        progress(1);
        return;
    }
    const TQuadMeshGrid grid(terrain, r, size);
    constexpr int corners[4][2] = {{0, 0}, {0, 1}, {1, 1}, {1, 0}};
    for (int i = 0; i <= r - 2; ++i) {
        for (int j = 0; j <= r - 2; ++j) {
            for (const auto &c : corners) {
                const int gi = i + c[0], gj = j + c[1];
                TQuadMeshVertex v;
                v.X = grid.Coord(gi);
                v.Z = grid.Coord(gj);
                v.Y = grid.Height(terrain, gi, gj);
                v.S = (v.X - grid.Half) / grid.Size;
                v.T = (-v.Z - grid.Half) / grid.Size;
                visit(v);
            }
        }
        // One cell column (resolution 2) is the whole mesh.
        progress(r > 2 ? static_cast<float>(i) / static_cast<float>(r - 2) : 1.0f);
    }
}
