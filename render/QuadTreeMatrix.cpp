#include "QuadTreeMatrix.h"

#include "Terrain.h"
#include "TopoView.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <stdexcept>
#include <string>

#ifdef __linux__
#include <sys/mman.h>
#endif

void TQuadTreeMatrix::SetSize(int n)
{
    n_ = std::max(n, 0);
    cells_.assign(static_cast<size_t>(n_) * static_cast<size_t>(n_), 0);
}

void TQuadTreeMatrix::Clear()
{
    std::fill(cells_.begin(), cells_.end(), uint8_t{0});
}

int LodLatticeSize(int worldSize)
{
    int steps = 4;  // four lattice steps per unit of the next power of two
    while (steps < 2048 && steps < 4LL * worldSize)
        steps *= 2;
    return steps + 1;
}

float UsableResolutionConstant(float c)
{
    return c > 1.0f ? c : 1.5f;  // NaN fails the comparison too
}

float PropagationFactor(float c)
{
    return static_cast<float>(static_cast<double>(c) / (static_cast<double>(c) - 1.0) + 0.15);
}

uint8_t SaturateD2(double value)
{
    if (!(value > 0.0))
        return 0;
    return value >= 255.0 ? uint8_t{255} : static_cast<uint8_t>(value);
}

namespace {

constexpr char DescentError[] = "quadtree lattice: ";

void CheckDescent(bool ok, const char *what)
{
    if (!ok)
        throw std::logic_error(std::string(DescentError) + what);
}

// A large mesh runs to a hundred megabytes, and faulting it in 4 KB pages
// costs more than building it. Asking for huge pages on the untouched
// reserve, before the first write, saves most of those faults.
template <class T>
void AdviseHugePages([[maybe_unused]] std::vector<T> &v)
{
#ifdef __linux__
    constexpr uintptr_t huge = uintptr_t{2} << 20;
    const auto begin = reinterpret_cast<uintptr_t>(v.data());
    const uintptr_t first = (begin + huge - 1) & ~(huge - 1);
    const uintptr_t last = (begin + v.capacity() * sizeof(T)) & ~(huge - 1);
    if (last > first)
        madvise(reinterpret_cast<void *>(first), last - first, MADV_HUGEPAGE);  // only advice: failure is harmless
#endif
}

// Calls visit(x, z, c) for the four children of a node, in the order every
// pass uses.
template <class F>
void ForEachChild(int x, int z, int c, F &&visit)
{
    const int k = c / 2;
    visit(x + k, z + k, k);
    visit(x + k, z - k, k);
    visit(x - k, z + k, k);
    visit(x - k, z - k, k);
}

// Ring points of a fan, R1 … R9 as multiples of the half-extent; R9 closes the ring.
constexpr int RingA[10] = {0, 1, 1, 1, 0, -1, -1, -1, 0, 1};
constexpr int RingB[10] = {0, 1, 0, -1, -1, -1, 0, 1, 1, 1};

}  // namespace

void TQuadTreeLod::BuildLod(TTerrain &terrain, int worldSize, std::vector<TVertex3f> &vertices,
                            std::vector<TTexCoord2f> &texCoords, TProgress progress)
{
    BeginBuild(terrain, worldSize, vertices, texCoords);
    progress_ = std::move(progress);
    const int h = (LatticeSize - 1) / 2;
    ComputeD2(h, h, h);
    PropagateD2();

    vertices.clear();
    texCoords.clear();
    SubdivMatrix.Clear();
    Refine(h, h, h);

    counting_ = true;
    triangleCount_ = 0;
    EmitNode(h, h, h);
    counting_ = false;
    vertices.reserve(3 * triangleCount_);
    texCoords.reserve(3 * triangleCount_);
    AdviseHugePages(vertices);
    AdviseHugePages(texCoords);
    EmitNode(h, h, h);
}

void TQuadTreeLod::BeginBuild(TTerrain &terrain, int worldSize, std::vector<TVertex3f> &vertices,
                              std::vector<TTexCoord2f> &texCoords)
{
    terrain_ = &terrain;
    progress_ = nullptr;
    worldSize_ = worldSize;
    terrain.WorldSize = worldSize;
    vertices_ = &vertices;
    texCoords_ = &texCoords;
    C = UsableResolutionConstant(C);
    LatticeSize = LodLatticeSize(worldSize);
    SubdivMatrix.SetSize(LatticeSize);
    D2Matrix.SetSize(LatticeSize);
    BuildAxisTable();
}

void TQuadTreeLod::BuildAxisTable()
{
    const float s = static_cast<float>(worldSize_);
    axis_.resize(static_cast<size_t>(LatticeSize));
    for (int i = 0; i < LatticeSize; ++i) {
        TAxis &a = axis_[static_cast<size_t>(i)];
        float g[3] = {static_cast<float>(i), 0.0f, 0.0f};
        LatticeToGrid(g);
        a.grid = std::trunc(g[0]);
        float w[3] = {static_cast<float>(i), 0.0f, 0.0f};
        LatticeToWorld(w);
        a.world = w[0];
        float v[3] = {w[0], 0.0f, 0.0f};
        terrain_->WorldToGrid(v);
        a.vertexGrid = v[0];
        a.texS = (a.world - s / 2) / s;
        a.texT = (-a.world - s / 2) / s;
    }
}

void TQuadTreeLod::Progress(float fraction) const
{
    if (progress_)
        progress_(fraction);
    else
        terrain_->DoProgress(fraction);
}

void TQuadTreeLod::LatticeToWorld(float p[3]) const
{
    const double n1 = LatticeSize - 1, s = worldSize_;
    p[0] = static_cast<float>(p[0] / n1 * s - s / 2);
    p[2] = static_cast<float>(p[2] / n1 * s - s / 2);
}

void TQuadTreeLod::LatticeToGrid(float p[3]) const
{
    const double n1 = LatticeSize - 1, l = terrain_->GridHigh;
    p[0] = static_cast<float>(p[0] / n1 * l);
    p[2] = static_cast<float>(p[2] / n1 * l);
}

namespace {

// Sampling gives world units; roughness is measured in metres.
float Metres(float world)
{
    return static_cast<float>(world / 0.006);
}

}  // namespace

float TQuadTreeLod::LatticeHeightAt(float x, float z) const
{
    float p[3] = {x, 0.0f, z};
    LatticeToGrid(p);
    return Metres(terrain_->SampleHeight(std::trunc(p[0]), std::trunc(p[2])));
}

float TQuadTreeLod::MetresAt(int x, int z) const
{
    return Metres(terrain_->SampleHeight(axis_[static_cast<size_t>(x)].grid, axis_[static_cast<size_t>(z)].grid));
}

void TQuadTreeLod::ComputeD2(int x, int z, int c)
{
    const float h1 = MetresAt(x + c, z + c);
    const float h2 = MetresAt(x + c, z - c);
    const float h3 = MetresAt(x - c, z - c);
    const float h4 = MetresAt(x - c, z + c);
    const float centre = MetresAt(x, z);
    const float errors[6] = {
        std::fabs((h1 + h2) / 2 - MetresAt(x + c, z)),
        std::fabs((h2 + h3) / 2 - MetresAt(x, z - c)),
        std::fabs((h3 + h4) / 2 - MetresAt(x - c, z)),
        std::fabs((h4 + h1) / 2 - MetresAt(x, z + c)),
        std::fabs((h1 + h3) / 2 - centre),
        std::fabs((h2 + h4) / 2 - centre),
    };
    float dh = 0.0f;
    for (float e : errors)
        dh = std::max(dh, e);
    D2Matrix(x, z) = SaturateD2(std::trunc(dh * RoughnessWeight * (1.0 / (2.0 * c))));

    if (c > 1) {
        ForEachChild(x, z, c, [this](int cx, int cz, int cc) { ComputeD2(cx, cz, cc); });
    }
}

// Raises every node, level by level from the smallest that has children up to
// the root's children, to K times the roughness of the half-size nodes that
// touch its edges. A node refined for its roughness thus forces the parents
// of its neighbours to refine too, and no fan meets one more than a level
// coarser: that is what keeps the mesh free of cracks.
void TQuadTreeLod::PropagateD2()
{
    const int h = (LatticeSize - 1) / 2;
    Progress(0.0f);
    for (int level = 2; level < h; level *= 2) {
        CheckDescent(level % 2 == 0, "odd propagation level");
        PropagateLevel(h, h, h, level);
        Progress(static_cast<float>(2.0 * level - 2.0) / h);
    }
    Progress(1.0f);
}

void TQuadTreeLod::PropagateLevel(int x, int z, int c, int level)
{
    if (c > level) {
        CheckDescent(c > 1, "split below the smallest node");
        ForEachChild(x, z, c, [this, level](int cx, int cz, int cc) { PropagateLevel(cx, cz, cc, level); });
        return;
    }
    CheckDescent(c == level, "descent missed the level");
    RaiseFromNeighbours(x, z, level);
}

void TQuadTreeLod::RaiseFromNeighbours(int x, int z, int level)
{
    // Centres of the half-size nodes of the four edge neighbours, two per edge.
    static constexpr int A[8] = {3, 3, 1, -1, -3, -3, -1, 1};
    static constexpr int B[8] = {1, -1, -3, -3, -1, 1, 3, 3};
    const double k = PropagationFactor(C);
    const int s = level / 2;
    uint8_t value = D2Matrix(x, z);
    for (int i = 0; i < 8; ++i) {
        const uint8_t d2 = D2Matrix.Read(x + A[i] * s, z + B[i] * s, 0);
        value = std::max(value, SaturateD2(std::nearbyint(k * d2)));
    }
    D2Matrix(x, z) = value;
}

void TQuadTreeLod::Refine(int x, int z, int c)
{
    const double d2 = D2Matrix(x, z);
    const double f = C / (2.0 * c * std::max(static_cast<double>(SmallC) * d2, 1.0));
    if (f >= 1.0)
        return;  // drawn by the parent's fan
    SubdivMatrix(x, z) = 1;
    if (c >= 2) {
        ForEachChild(x, z, c, [this](int cx, int cz, int cc) { Refine(cx, cz, cc); });
    }
}

void TQuadTreeLod::EmitNode(int x, int z, int c)
{
    if (!SubdivMatrix(x, z))
        return;
    TFan fan{x, z, c, {0, 0, 0, 0, 0}};
    if (c > 1) {
        const int k = c / 2;
        fan.q[0] = SubdivMatrix(x + k, z + k);
        fan.q[1] = SubdivMatrix(x + k, z - k);
        fan.q[2] = SubdivMatrix(x - k, z - k);
        fan.q[3] = SubdivMatrix(x - k, z + k);
        fan.q[4] = fan.q[0];
    }
    // An edge midpoint is left out when the same-size node across that edge
    // is not refined: the fan's edge then matches the coarser neighbour's.
    const uint8_t keepMidpoint[4] = {
        SubdivMatrix.Read(x + 2 * c, z, 1),
        SubdivMatrix.Read(x, z - 2 * c, 1),
        SubdivMatrix.Read(x - 2 * c, z, 1),
        SubdivMatrix.Read(x, z + 2 * c, 1),
    };
    int prev = 1;
    for (int i = 2; i <= 9; ++i) {
        if (i % 2 == 1 || keepMidpoint[i / 2 - 1]) {
            EmitFanTriangle(fan, prev, i);
            prev = i;
        }
    }
    if (c > 1) {
        ForEachChild(x, z, c, [this](int cx, int cz, int cc) { EmitNode(cx, cz, cc); });
    }
}

void TQuadTreeLod::EmitFanTriangle(const TFan &fan, int a, int b)
{
    // A corner whose quadrant has a refined child is drawn by that child.
    if ((a % 2 == 1 && fan.q[a / 2]) || (b % 2 == 1 && fan.q[b / 2]))
        return;
    if (counting_) {
        ++triangleCount_;
        return;
    }
    EmitVertex(fan.x, fan.z);
    EmitVertex(fan.x + RingA[a] * fan.c, fan.z + RingB[a] * fan.c);
    EmitVertex(fan.x + RingA[b] * fan.c, fan.z + RingB[b] * fan.c);
}

void TQuadTreeLod::EmitVertex(int x, int z)
{
    const TAxis &ax = axis_[static_cast<size_t>(x)];
    const TAxis &az = axis_[static_cast<size_t>(z)];
    vertices_->push_back({ax.world, terrain_->SampleHeight(ax.vertexGrid, az.vertexGrid), az.world});
    texCoords_->push_back({ax.texS, az.texT});
}
