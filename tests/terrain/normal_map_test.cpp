#include "NormalMap.h"
#include "TextureTestTerrain.h"
#include "Vec3.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>

namespace {

// The normal of one texel, written the plain way: nine sample points, eight
// triangles with normalised edges, one texel at a time. Neighbours outside
// the map take the height of the nearest texel inside it.
TNormal ReferenceNormal(const TTerrain &t, int x, int y)
{
    static constexpr int dx[9] = {0, 1, 1, 1, 0, -1, -1, -1, 0};
    static constexpr int dz[9] = {0, -1, 0, 1, 1, 1, 0, -1, -1};
    static constexpr int tri[8][3] = {{0, 1, 8}, {0, 2, 1}, {0, 4, 2}, {4, 3, 2},
                                      {0, 5, 4}, {0, 6, 5}, {0, 8, 6}, {8, 7, 6}};
    const int r = t.Resolution, n = t.GridHigh;
    auto gridPos = [&](int i) { return static_cast<float>(static_cast<double>(i * n) / r); };
    TVec3 p[9];
    for (int k = 0; k < 9; ++k) {
        const int cx = std::clamp(x + dx[k], 0, r - 1), cz = std::clamp(y + dz[k], 0, r - 1);
        p[k] = {gridPos(x + dx[k]), t.SampleHeight(std::trunc(gridPos(cx)), std::trunc(gridPos(cz))), gridPos(y + dz[k])};
    }
    TVec3 sum;
    for (auto &f : tri) {
        const TVec3 u = Normalise(p[f[1]] - p[f[2]]);
        const TVec3 v = Normalise(p[f[0]] - p[f[1]]);
        sum = sum + Normalise(Cross(v, u));
    }
    const TVec3 m = Scale(Normalise(sum), 127.0f);
    return {static_cast<int8_t>(m.x), static_cast<int8_t>(m.y), static_cast<int8_t>(m.z)};
}

// Equal, or within `slack` in each component.
void ExpectNormal(const TNormal &got, const TNormal &want, int x, int y, int slack = 0)
{
    EXPECT_TRUE(std::abs(got.x - want.x) <= slack && std::abs(got.y - want.y) <= slack && std::abs(got.z - want.z) <= slack)
        << "texel (" << x << ", " << y << "): got (" << int(got.x) << ", " << int(got.y) << ", " << int(got.z)
        << "), want (" << int(want.x) << ", " << int(want.y) << ", " << int(want.z) << ")";
}

TEST(NormalMap, FlatGroundPointsStraightUpEverywhereIncludingTheEdges)
{
    for (int16_t metres : {0, 100, 4000}) {
        TTerrain t;
        FillTerrain(t, 121, [&](int, int) { return metres; });
        t.Resolution = 77;
        TNormalMap map;
        ComputeNormalMap(t, map, 1);
        ASSERT_EQ(map.size(), 77u * 77u);
        for (int i = 0; i < 77 * 77; ++i)
            ExpectNormal(map[static_cast<size_t>(i)], {0, 127, 0}, i % 77, i / 77);
    }
}

TEST(NormalMap, MatchesTheTexelByTexelFormulaOnRoughGround)
{
    // The map takes shortcuts that change only the rounding, so a component
    // may end up one unit off now and then, never more.
    // Fewer, as many and more texels than samples; odd sizes leave texels
    // after the last full group of lanes.
    for (int resolution : {37, 101, 150}) {
        TTerrain t;
        FillRoughTerrain(t, 101, 7);
        t.Resolution = resolution;
        TNormalMap map;
        ComputeNormalMap(t, map, 2);
        ASSERT_EQ(map.size(), static_cast<size_t>(resolution * resolution));
        int exact = 0;
        for (int y = 0; y < resolution; ++y)
            for (int x = 0; x < resolution; ++x) {
                const TNormal got = map[static_cast<size_t>(y * resolution + x)], want = ReferenceNormal(t, x, y);
                ExpectNormal(got, want, x, y, 1);
                exact += got.x == want.x && got.y == want.y && got.z == want.z;
            }
        EXPECT_GT(exact, resolution * resolution * 9 / 10) << resolution;
    }
}

TEST(NormalMap, SlopesTiltTheNormalAgainstTheRise)
{
    // Rising 100 m per sample to the east: the normal leans west, not north or south.
    TTerrain t;
    FillTerrain(t, 41, [](int col, int) { return static_cast<int16_t>(100 * col); });
    t.Resolution = 40;
    TNormalMap map;
    ComputeNormalMap(t, map);
    for (int y = 0; y < 40; ++y)
        for (int x = 1; x < 39; ++x) {
            const TNormal n = map[static_cast<size_t>(y * 40 + x)];
            // The slope is 0.6 world units per sample: atan(0.6) ≈ 31°.
            EXPECT_NEAR(n.x, -65, 1) << x << "," << y;
            EXPECT_NEAR(n.y, 108, 1) << x << "," << y;
            EXPECT_EQ(n.z, 0) << x << "," << y;
        }
}

TEST(NormalMap, WithoutAGridTheGroundIsFlat)
{
    TTerrain t;
    t.Resolution = 9;
    TNormalMap map;
    ComputeNormalMap(t, map);
    ASSERT_EQ(map.size(), 81u);
    for (int i = 0; i < 81; ++i)
        ExpectNormal(map[static_cast<size_t>(i)], {0, 127, 0}, i % 9, i / 9);
}

TEST(NormalMap, ReportsProgressFromZeroToOne)
{
    TTerrain t;
    FillRoughTerrain(t, 60, 3);
    t.Resolution = 50;
    std::vector<float> seen;
    TNormalMap map;
    ComputeNormalMap(t, map, 3, [&](float f) { seen.push_back(f); });
    ASSERT_GE(seen.size(), 2u);
    EXPECT_EQ(seen.front(), 0.0f);
    EXPECT_EQ(seen.back(), 1.0f);
    EXPECT_TRUE(std::is_sorted(seen.begin(), seen.end()));
}

} // namespace
