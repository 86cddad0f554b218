// The terrain as a closed solid for a 3D printer: the surface the view draws,
// four side walls straight down, and a flat bottom, in millimetres with Z up.
// Closed means every edge belongs to exactly two triangles, every triangle
// faces outward, and none has zero area, which is what slicers need to tell
// inside from outside.
#pragma once

#include "MeshSurface.h"

#include <cstdint>
#include <vector>

struct TPrintSize {
    double WidthMm = 150;     // the longer side of the footprint on the print bed
    double BaseMm = 3;        // bottom below the lowest point of the surface; above 0
    // Heights as the view draws them: world height × VerticalScale × HeightDrawScale.
    double VerticalScale = 1;
    double HeightDrawScale = 1;
    // The footprint as the view draws the square: world X × FootprintX, Z × FootprintZ.
    double FootprintX = 1, FootprintZ = 1;
};

struct TSolidMesh {
    std::vector<TVertex3f> Points;   // millimetres: X east, Y north, Z up; the south-west bottom corner at 0
    std::vector<uint32_t> Triangles; // three point indices each, counter-clockwise seen from outside
    size_t SurfaceTriangles = 0;     // the first ones are the surface's, in its order

    size_t TriangleCount() const { return Triangles.size() / 3; }
};

// Scales the surface as the view draws it, then uniformly so that the
// longer side of its footprint is WidthMm (the relief keeps the proportions
// the view draws it with), and closes it.
// Throws ETerrainError when the surface is empty or a size is not positive.
TSolidMesh BuildPrintSolid(const TSurfaceMesh &surface, const TPrintSize &size);
