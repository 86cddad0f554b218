#include "PrintSolid.h"

#include "TerrainError.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

struct TBounds {
    float MinX = std::numeric_limits<float>::max(), MaxX = std::numeric_limits<float>::lowest();
    float MinZ = MinX, MaxZ = MaxX;
    float MinY = MinX;
};

TBounds BoundsOf(const TSurfaceMesh &surface)
{
    TBounds b;
    for (const TVertex3f &p : surface.Positions) {
        b.MinX = std::min(b.MinX, p.X);
        b.MaxX = std::max(b.MaxX, p.X);
        b.MinZ = std::min(b.MinZ, p.Z);
        b.MaxZ = std::max(b.MaxZ, p.Z);
        b.MinY = std::min(b.MinY, p.Y);
    }
    return b;
}

// Which sides of the square a point lies on: welded points on a side carry
// the side's coordinate exactly, so equality is the test.
bool SameSide(const TVertex3f &a, const TVertex3f &b, const TBounds &s)
{
    return (a.X == s.MinX && b.X == s.MinX) || (a.X == s.MaxX && b.X == s.MaxX) ||
           (a.Z == s.MinZ && b.Z == s.MinZ) || (a.Z == s.MaxZ && b.Z == s.MaxZ);
}

} // namespace

TSolidMesh BuildPrintSolid(const TSurfaceMesh &surface, const TPrintSize &size)
{
    if (surface.TriangleCount() == 0)
        throw ETerrainError("there is no terrain mesh to export");
    if (!(size.WidthMm > 0) || !(size.BaseMm > 0) || !std::isfinite(size.WidthMm) || !std::isfinite(size.BaseMm))
        throw ETerrainError("the print width and the base must be above 0 mm");

    const TBounds bounds = BoundsOf(surface);
    const double fx = size.FootprintX, fz = size.FootprintZ;
    const double extent =
        std::max((double(bounds.MaxX) - bounds.MinX) * fx, (double(bounds.MaxZ) - bounds.MinZ) * fz);
    const double mmPerUnit = size.WidthMm / extent;
    const double heightScale = size.VerticalScale * size.HeightDrawScale;
    // The lowest point as drawn is what the base hangs from.
    double lowest = std::numeric_limits<double>::max();
    for (const TVertex3f &p : surface.Positions)
        lowest = std::min(lowest, double(p.Y) * heightScale);

    TSolidMesh solid;
    const size_t top = surface.Positions.size();
    solid.Points.reserve(top + top / 64 + 1);
    for (const TVertex3f &p : surface.Positions)
        solid.Points.push_back({float((double(p.X) - bounds.MinX) * fx * mmPerUnit),
                                float((double(bounds.MaxZ) - p.Z) * fz * mmPerUnit),
                                float((double(p.Y) * heightScale - lowest) * mmPerUnit + size.BaseMm)});

    // The border edges, each in the direction its surface triangle runs it:
    // the surface faces up, so they go round the square counter-clockwise.
    std::vector<std::pair<uint32_t, uint32_t>> border;
    const auto &t = surface.Triangles;
    for (size_t i = 0; i < t.size(); i += 3)
        for (int e = 0; e < 3; ++e) {
            const uint32_t a = t[i + size_t(e)], b = t[i + size_t((e + 1) % 3)];
            if (SameSide(surface.Positions[a], surface.Positions[b], bounds))
                border.emplace_back(a, b);
        }

    // A bottom point under every border point.
    constexpr uint32_t None = std::numeric_limits<uint32_t>::max();
    std::vector<uint32_t> below(top, None);
    auto bottomOf = [&](uint32_t a) {
        if (below[a] == None) {
            below[a] = uint32_t(solid.Points.size());
            const TVertex3f &p = solid.Points[a];
            solid.Points.push_back({p.X, p.Y, 0});
        }
        return below[a];
    };
    // The bottom is a fan round its centre: every border edge gives one
    // triangle, none of them thin to nothing, however many points a side has.
    const auto centre = uint32_t(solid.Points.size());
    solid.Points.push_back({float((double(bounds.MaxX) - bounds.MinX) * fx * mmPerUnit / 2),
                            float((double(bounds.MaxZ) - bounds.MinZ) * fz * mmPerUnit / 2), 0});
    // Reserved once at the final size: the largest meshes have tens of
    // megabytes of indices, which should not be held twice while growing.
    solid.Triangles.reserve(surface.Triangles.size() + border.size() * 9);
    solid.Triangles.assign(surface.Triangles.begin(), surface.Triangles.end());
    solid.SurfaceTriangles = surface.TriangleCount();
    for (const auto &[a, b] : border) {
        const uint32_t a0 = bottomOf(a), b0 = bottomOf(b);
        // Wall: the border edge backwards, then down; the bottom faces down.
        solid.Triangles.insert(solid.Triangles.end(), {b, a, a0, b, a0, b0, centre, b0, a0});
    }
    return solid;
}
