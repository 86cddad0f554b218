// Lines draped on the ground as each view draws it: on the surface or just
// above it all along, never through it, and nothing off the terrain.
#include "DrapedLine.h"
#include "ViewFactory.h"
#include "view_fixture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <limits>
#include <optional>

namespace {

// Rough enough that a chord between far points would cut through hills.
int16_t Rough(int col, int row)
{
    return int16_t(800 + 500 * std::sin(col * 0.09) * std::cos(row * 0.07) + 200 * std::sin(col * 0.31 + row * 0.2));
}

struct TBand {
    float Low = std::numeric_limits<float>::max(), High = std::numeric_limits<float>::lowest();
    void Add(float h)
    {
        Low = std::min(Low, h);
        High = std::max(High, h);
    }
};

// The triangle's height at (x, z), when it covers that point.
std::optional<float> HeightIn(const TVertex3f &a, const TVertex3f &b, const TVertex3f &c, double x, double z)
{
    const double area = (b.X - a.X) * (c.Z - a.Z) - (b.Z - a.Z) * (c.X - a.X);
    if (area == 0)
        return {};
    const double wa = ((b.X - x) * (c.Z - z) - (b.Z - z) * (c.X - x)) / area;
    const double wb = ((c.X - x) * (a.Z - z) - (c.Z - z) * (a.X - x)) / area;
    const double wc = 1 - wa - wb;
    if (std::min({wa, wb, wc}) < -1e-5)
        return {};
    return float(wa * a.Y + wb * b.Y + wc * c.Y);
}

// The drawn surface's height at (x, z) from the view's own vertices: the
// level-of-detail view draws triangles; a quad may be split along either
// diagonal, giving a band between the two.
TBand DrawnHeight(const TTopoView &view, bool quads, double x, double z)
{
    TBand band;
    const auto &v = view.Vertices;
    for (size_t i = 0; i + (quads ? 3 : 2) < v.size(); i += quads ? 4 : 3) {
        if (!quads) {
            if (const auto h = HeightIn(v[i], v[i + 1], v[i + 2], x, z))
                band.Add(*h);
            continue;
        }
        for (const auto &split : {std::array<int, 6>{0, 1, 2, 0, 2, 3}, std::array<int, 6>{0, 1, 3, 1, 2, 3}}) {
            auto h = HeightIn(v[i + split[0]], v[i + split[1]], v[i + split[2]], x, z);
            if (!h)
                h = HeightIn(v[i + split[3]], v[i + split[4]], v[i + split[5]], x, z);
            if (h)
                band.Add(*h);
        }
    }
    return band;
}

TEST(DrapedLine, LiesOnTheDrawnSurfaceOfEveryViewAndStopsAtItsEdge)
{
    // Across the tile and out over its eastern edge, with a point GPS-close
    // beside the path that the simplification drops.
    TOverlayLine line;
    line.Points = {{47.1, 11.05}, {47.9, 11.4}, {47.900001, 11.400001}, {47.2, 11.7}, {47.6, 12.3}};
    for (const int topoClass : {TopoClassLevelOfDetail, TopoClassVertexBuffer, TopoClassBase}) {
        SCOPED_TRACE(topoClass);
        std::unique_ptr<TTopoView> view = CreateTopoView(topoClass);
        FillGrid(*view, 241, Rough);
        view->Resolution = 48;
        view->BuildMesh(32);  // without a context the vertex-buffer view keeps client arrays
        const bool quads = topoClass != TopoClassLevelOfDetail;
        const TDrapedLines draped =
            DrapeOverlayLines({line}, view->Terrain, *view->DrawnSurface(), DrapeTolerance(view->Terrain));
        ASSERT_EQ(draped.Strips.size(), 1u);
        const auto &p = draped.Points;
        // Broken at every edge it crosses: far more points than it has.
        ASSERT_GT(p.size(), 100u);
        float worst = 0, highest = 0;
        for (size_t i = 0; i + 1 < p.size(); ++i)
            for (const double t : {0.0, 0.25, 0.5, 0.75}) {
                const double x = p[i].X + t * (p[i + 1].X - p[i].X), z = p[i].Z + t * (p[i + 1].Z - p[i].Z);
                const float y = float(p[i].Y + t * (p[i + 1].Y - p[i].Y));
                const TBand ground = DrawnHeight(*view, quads, x, z);
                ASSERT_LE(ground.Low, ground.High) << "no surface under " << x << ", " << z;
                worst = std::min(worst, y - ground.High);
                highest = std::max(highest, y - ground.High);
            }
        // Above whichever way a quad was split; above it by less than a
        // metre of height (0.006 world units) where the splits differ.
        EXPECT_GT(worst, -1e-4f);
        EXPECT_LT(highest, quads ? 0.006f : 1e-4f);
        // The line ends where the drawn mesh does, at the eastern edge.
        const auto east = std::max_element(p.begin(), p.end(), [](auto &a, auto &b) { return a.X < b.X; });
        EXPECT_NEAR(east->X, quads ? 16 - 32.0 / 48 : 16, 1e-4);
    }
}

} // namespace
