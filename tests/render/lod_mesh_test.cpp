// The level-of-detail mesh without a display: lattice sizes, roughness,
// propagation, refinement and the geometry of the emitted fans.
#include "QuadTreeMatrix.h"
#include "Terrain.h"
#include "TopoView.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <functional>
#include <map>
#include <set>
#include <stdexcept>
#include <utility>
#include <vector>

namespace {

TTerrain MakeTerrain(int side, const std::function<int(int col, int row)> &height)
{
    TTerrain t;
    t.Heights.SetSize(side);
    t.GridHigh = side - 1;
    t.MinHeight = 1 << 30;
    t.MaxHeight = -(1 << 30);
    for (int row = 0; row < side; ++row)
        for (int col = 0; col < side; ++col) {
            const int h = height(col, row);
            t.Heights(col, row) = static_cast<int16_t>(h);
            t.MinHeight = std::min(t.MinHeight, h);
            t.MaxHeight = std::max(t.MaxHeight, h);
        }
    return t;
}

// Hills of several wavelengths in the east, a dead flat plain in the west and
// a few sharp pits: every refinement level shows up somewhere.
int RoughHeight(int col, int row, int side)
{
    if (col < side / 3)
        return 400;
    const double u = static_cast<double>(col) / side, v = static_cast<double>(row) / side;
    double h = 400 + 300 * std::sin(7 * u) * std::cos(5 * v) + 120 * std::sin(31 * u + 3 * v) +
               40 * std::sin(97 * v) * std::sin(71 * u);
    if ((col * 7 + row * 13) % 389 == 0)
        h -= 900;
    return static_cast<int>(h);
}

struct TBuild {
    TQuadTreeLod lod;
    std::vector<TVertex3f> vertices;
    std::vector<TTexCoord2f> texCoords;
};

void Build(TBuild &b, TTerrain &terrain, int worldSize, float c = 4.0f, float smallC = 0.8f)
{
    b.lod.C = c;
    b.lod.SmallC = smallC;
    b.lod.BuildLod(terrain, worldSize, b.vertices, b.texCoords);
}

// Triangles with their corners back on the lattice (exact integers).
struct TLatticeTriangle {
    std::pair<int, int> p[3];
};

std::vector<TLatticeTriangle> LatticeTriangles(const TBuild &b, int worldSize)
{
    const int n1 = b.lod.LatticeSize - 1;
    auto toLattice = [&](float w) {
        return static_cast<int>(std::lround((w + worldSize / 2.0) / worldSize * n1));
    };
    std::vector<TLatticeTriangle> out(b.vertices.size() / 3);
    for (size_t i = 0; i < b.vertices.size(); ++i)
        out[i / 3].p[i % 3] = {toLattice(b.vertices[i].X), toLattice(b.vertices[i].Z)};
    return out;
}

long long TwiceSignedArea(const TLatticeTriangle &t)
{
    const long long ax = t.p[1].first - t.p[0].first, az = t.p[1].second - t.p[0].second;
    const long long bx = t.p[2].first - t.p[0].first, bz = t.p[2].second - t.p[0].second;
    return ax * bz - az * bx;
}

// Lattice points lying strictly inside some triangle's edge while being a
// corner of another triangle: each is a T-junction where the surface can
// tear open.
int CountTJunctions(const std::vector<TLatticeTriangle> &tris)
{
    std::set<std::pair<int, int>> corners;
    for (const auto &t : tris)
        corners.insert(t.p, t.p + 3);
    int found = 0;
    for (const auto &t : tris) {
        for (int e = 0; e < 3; ++e) {
            const auto a = t.p[e], b = t.p[(e + 1) % 3];
            const int dx = b.first - a.first, dz = b.second - a.second;
            const int steps = std::max(std::abs(dx), std::abs(dz));
            // Fan edges run along the lattice axes or its diagonals.
            EXPECT_TRUE(dx == 0 || dz == 0 || std::abs(dx) == std::abs(dz));
            for (int k = 1; k < steps; ++k)
                if (corners.count({a.first + dx / steps * k, a.second + dz / steps * k}))
                    ++found;
        }
    }
    return found;
}

// Every unit cell of the lattice split by both diagonals into four quarters;
// each quarter's centre lies strictly inside or outside any fan triangle.
// Returns how many quarters are covered other than exactly once.
int CountCoverageFaults(const std::vector<TLatticeTriangle> &tris, int n1)
{
    std::vector<int> cover(static_cast<size_t>(n1) * n1 * 4, 0);
    static const double qx[4] = {0.5, 5.0 / 6, 0.5, 1.0 / 6};
    static const double qz[4] = {1.0 / 6, 0.5, 5.0 / 6, 0.5};
    for (const auto &t : tris) {
        int x0 = n1, x1 = 0, z0 = n1, z1 = 0;
        for (const auto &p : t.p) {
            x0 = std::min(x0, p.first), x1 = std::max(x1, p.first);
            z0 = std::min(z0, p.second), z1 = std::max(z1, p.second);
        }
        for (int cx = x0; cx < x1; ++cx)
            for (int cz = z0; cz < z1; ++cz)
                for (int q = 0; q < 4; ++q) {
                    const double px = cx + qx[q], pz = cz + qz[q];
                    double s[3];
                    for (int e = 0; e < 3; ++e) {
                        const auto a = t.p[e], b = t.p[(e + 1) % 3];
                        s[e] = (b.first - a.first) * (pz - a.second) - (b.second - a.second) * (px - a.first);
                    }
                    const bool inside = (s[0] > 0 && s[1] > 0 && s[2] > 0) || (s[0] < 0 && s[1] < 0 && s[2] < 0);
                    if (inside)
                        ++cover[(static_cast<size_t>(cx) * n1 + cz) * 4 + q];
                }
    }
    int faults = 0;
    for (int c : cover)
        faults += c != 1;
    return faults;
}

}  // namespace

TEST(LodLattice, SizeGrowsWithTheTerrainSquareUpToTheCap)
{
    const std::vector<std::pair<int, int>> cases = {
        {32, 129}, {33, 257}, {64, 257}, {65, 513}, {100, 513}, {128, 513},
        {129, 1025}, {256, 1025}, {257, 2049}, {512, 2049}, {1000, 2049}, {1, 5},
    };
    for (auto [size, n] : cases)
        EXPECT_EQ(LodLatticeSize(size), n) << "world size " << size;

    TTerrain terrain = MakeTerrain(65, [](int, int) { return 100; });
    TBuild b;
    EXPECT_EQ(b.lod.LatticeSize, 2049);  // before the first build
    Build(b, terrain, 100);
    EXPECT_EQ(b.lod.LatticeSize, 513);
    EXPECT_EQ(b.lod.SubdivMatrix.Size(), 513);
    EXPECT_EQ(b.lod.D2Matrix.Size(), 513);
    EXPECT_EQ(terrain.WorldSize, 100);
}

TEST(LodLattice, MapsOntoTheWorldSquareAndTheGrid)
{
    // Heights tell the column and row they were read from.
    TTerrain terrain = MakeTerrain(1201, [](int col, int row) { return col + 2 * row; });
    TBuild b;
    b.lod.BeginBuild(terrain, 128, b.vertices, b.texCoords);
    ASSERT_EQ(b.lod.LatticeSize, 513);

    float p[3] = {0, 7, 512};
    b.lod.LatticeToWorld(p);
    EXPECT_FLOAT_EQ(p[0], -64);
    EXPECT_FLOAT_EQ(p[1], 7);  // y untouched
    EXPECT_FLOAT_EQ(p[2], 64);
    float g[3] = {256, 7, 512};
    b.lod.LatticeToGrid(g);
    EXPECT_FLOAT_EQ(g[0], 600);
    EXPECT_FLOAT_EQ(g[1], 7);
    EXPECT_FLOAT_EQ(g[2], 1200);

    // Lattice 1 is grid 2.34375 and reads column 2; lattice 3 is 7.03 → 7.
    EXPECT_NEAR(b.lod.LatticeHeightAt(1, 3), 2 + 2 * 7, 1e-3);
    EXPECT_NEAR(b.lod.LatticeHeightAt(512, 512), 1200 + 2 * 1200, 1e-2);
}

TEST(LodRoughness, AVeryRoughNodeStaysRoughThroughBuildAndPropagation)
{
    // Lattice and grid coincide (129 points each). A 1202 m peak at (2, 2),
    // the centre of a node of half-extent 2, makes its d2 1202 / 4 = 300;
    // another at (3, 1), the centre of a smallest node, makes that d2
    // 1202 / 2 = 601, and propagation multiplies it by K into the node
    // (6, 2) across the edge.
    TTerrain terrain = MakeTerrain(129, [](int col, int row) {
        return (col == 2 && row == 2) || (col == 3 && row == 1) ? 1202 : 0;
    });
    TBuild b;
    // C = 7 refines every node of half-extent 4 and up whatever its roughness;
    // a half-extent-2 node needs 4·0.02·d2 > 7: 255 does, 44 would not.
    Build(b, terrain, 32, 7.0f, 0.02f);
    EXPECT_EQ(b.lod.D2Matrix(2, 2), 255);
    EXPECT_EQ(b.lod.D2Matrix(3, 1), 255);
    EXPECT_EQ(b.lod.D2Matrix(6, 2), 255);
    EXPECT_EQ(b.lod.SubdivMatrix(2, 2), 1);
    EXPECT_EQ(b.lod.SubdivMatrix(6, 2), 1);
    EXPECT_EQ(b.lod.SubdivMatrix(10, 2), 0);  // flat: drawn by its parent
}

TEST(LodRoughness, PropagationRaisesNodesByTheNeighboursTimesK)
{
    EXPECT_FLOAT_EQ(PropagationFactor(4.0f), 1.4833333f);
    // Peak of 40 m at (3, 1): that node's d2 is 20; the node (6, 2) across
    // the edge becomes round(K · 20) = 30 and in turn raises the
    // half-extent-4 node (12, 4) to round(K · 30) = 45: K held as a 32-bit
    // float lies just above 1.48333…, so 44.5 rounds up.
    TTerrain terrain = MakeTerrain(129, [](int col, int row) { return col == 3 && row == 1 ? 40 : 0; });
    TBuild b;
    Build(b, terrain, 32);
    EXPECT_EQ(b.lod.D2Matrix(3, 1), 20);
    EXPECT_EQ(b.lod.D2Matrix(6, 2), 30);
    EXPECT_EQ(b.lod.D2Matrix(12, 4), 45);
    EXPECT_EQ(b.lod.D2Matrix(2, 2), 0);  // a node's own children do not raise it
}

TEST(LodRoughness, PropagationReportsEachLevelAndChecksTheLattice)
{
    TTerrain terrain = MakeTerrain(129, [](int, int) { return 0; });
    std::vector<int> percents;
    terrain.OnProgress = [&](int p) { percents.push_back(p); };
    TBuild b;
    Build(b, terrain, 32);
    // h = 64: levels 2, 4, 8, 16 and 32, then done.
    EXPECT_EQ(percents, (std::vector<int>{0, 3, 9, 22, 47, 97, 100}));

    // Seven points a side is no power of two plus one: the descent from the
    // root (half-extent 3) misses the level-2 nodes.
    b.lod.LatticeSize = 7;
    b.lod.D2Matrix.SetSize(7);
    EXPECT_THROW(b.lod.PropagateD2(), std::logic_error);
}

TEST(LodResolution, ConstantAtOrBelowOneBecomesOneAndAHalf)
{
    EXPECT_EQ(UsableResolutionConstant(1.0f), 1.5f);
    EXPECT_EQ(UsableResolutionConstant(-2.0f), 1.5f);
    EXPECT_EQ(UsableResolutionConstant(NAN), 1.5f);
    EXPECT_EQ(UsableResolutionConstant(1.01f), 1.01f);

    TTerrain terrain = MakeTerrain(257, [](int col, int row) { return RoughHeight(col, row, 257); });
    TBuild reference, low, negative;
    Build(reference, terrain, 32, 1.5f);
    Build(low, terrain, 32, 1.0f);
    Build(negative, terrain, 32, -4.0f);
    EXPECT_EQ(low.lod.C, 1.5f);
    EXPECT_EQ(negative.lod.C, 1.5f);
    ASSERT_FALSE(reference.vertices.empty());
    EXPECT_EQ(low.vertices.size(), reference.vertices.size());
    EXPECT_EQ(negative.vertices.size(), reference.vertices.size());
    // The propagation factor is what C ≤ 1 breaks: infinite or below 1.
    int differing = 0;
    for (int x = 0; x < 129; ++x)
        for (int z = 0; z < 129; ++z)
            differing += low.lod.D2Matrix(x, z) != reference.lod.D2Matrix(x, z) ||
                         negative.lod.D2Matrix(x, z) != reference.lod.D2Matrix(x, z);
    EXPECT_EQ(differing, 0);
}

TEST(LodMesh, FlatTileDrawsEveryFourthLatticePoint)
{
    TTerrain terrain = MakeTerrain(1201, [](int, int) { return 250; });
    TBuild b;
    Build(b, terrain, 128);
    ASSERT_EQ(b.lod.LatticeSize, 513);
    // Only nodes of half-extent 4 and up are refined; the half-extent-4 ones
    // draw full fans of 8 triangles, the larger ones nothing. Border nodes
    // keep the midpoints on the border.
    EXPECT_EQ(b.vertices.size(), 98304u);
    EXPECT_EQ(b.texCoords.size(), 98304u);
    EXPECT_EQ(b.vertices.capacity(), b.vertices.size());
    EXPECT_EQ(b.lod.SubdivMatrix(4, 4), 1);
    EXPECT_EQ(b.lod.SubdivMatrix(2, 2), 0);
    for (const auto &v : b.vertices)
        ASSERT_FLOAT_EQ(v.Y, 250 * 0.006f);
}

TEST(LodMesh, CornersCarryTheTerrainsHeightAndTextureOrientation)
{
    TTerrain terrain = MakeTerrain(1201, [](int col, int row) { return col == 1200 && row == 1200 ? 900 : 10; });
    TBuild b;
    Build(b, terrain, 128);
    bool seenNorthWest = false, seenSouthEast = false;
    for (size_t i = 0; i < b.vertices.size(); ++i) {
        const auto &v = b.vertices[i];
        const auto &t = b.texCoords[i];
        if (v.X == -64 && v.Z == -64) {
            seenNorthWest = true;
            EXPECT_FLOAT_EQ(v.Y, 10 * 0.006f);
            EXPECT_FLOAT_EQ(t.S, -1);
            EXPECT_FLOAT_EQ(t.T, 0);
        }
        if (v.X == 64 && v.Z == 64) {
            seenSouthEast = true;
            EXPECT_FLOAT_EQ(v.Y, 900 * 0.006f);
            EXPECT_FLOAT_EQ(t.S, 0);
            EXPECT_FLOAT_EQ(t.T, -1);
        }
    }
    EXPECT_TRUE(seenNorthWest);
    EXPECT_TRUE(seenSouthEast);
}

TEST(LodMesh, RoughTileIsCrackFreeAndCoversTheSquareOnce)
{
    TTerrain terrain = MakeTerrain(1201, [](int col, int row) { return RoughHeight(col, row, 1201); });
    for (int worldSize : {32, 64}) {
        TBuild b;
        Build(b, terrain, worldSize);
        const auto tris = LatticeTriangles(b, worldSize);
        ASSERT_FALSE(tris.empty());

        // Fans of several sizes, or the test proves nothing about cracks
        // between levels.
        std::set<int> legs;
        for (const auto &t : tris)
            legs.insert(std::max(std::abs(t.p[1].first - t.p[0].first), std::abs(t.p[1].second - t.p[0].second)));
        EXPECT_GE(legs.size(), 3u) << "world size " << worldSize;

        EXPECT_EQ(CountTJunctions(tris), 0) << "world size " << worldSize;
        const int n1 = b.lod.LatticeSize - 1;
        EXPECT_EQ(CountCoverageFaults(tris, n1), 0) << "world size " << worldSize;

        double area = 0;
        for (size_t i = 0; i < b.vertices.size(); i += 3) {
            const auto &p = b.vertices[i], &q = b.vertices[i + 1], &r = b.vertices[i + 2];
            area += std::fabs((q.X - p.X) * (r.Z - p.Z) - (q.Z - p.Z) * (r.X - p.X)) / 2;
        }
        EXPECT_NEAR(area, double(worldSize) * worldSize, 1e-6 * worldSize * worldSize);
        // All fans wind the same way.
        const bool clockwise = TwiceSignedArea(tris[0]) < 0;
        for (const auto &t : tris)
            ASSERT_EQ(TwiceSignedArea(t) < 0, clockwise);
    }
}

TEST(LodMesh, UnrefinedRootGivesAnEmptyMesh)
{
    TTerrain terrain = MakeTerrain(129, [](int col, int row) { return (col * 31 + row * 17) % 50; });
    TBuild b;
    Build(b, terrain, 32);
    ASSERT_FALSE(b.vertices.empty());
    // C at least (N − 1) · max(c · d2, 1) of the root stops at the root;
    // this root is smooth enough for the maximum to be 1.
    ASSERT_LT(b.lod.D2Matrix(64, 64), 2);
    Build(b, terrain, 32, 128.0f);
    EXPECT_EQ(b.lod.SubdivMatrix(64, 64), 0);
    EXPECT_TRUE(b.vertices.empty());
    EXPECT_TRUE(b.texCoords.empty());
}
