#include "NormalMap.h"

#include "FloatLanes.h"
#include "ParallelRows.h"
#include "Terrain.h"
#include "Vec3.h"

#include <algorithm>
#include <cmath>
#include <memory>

namespace {

// Grid coordinate of texel index i (−1 and R included): the integer product
// divided in floating point and kept as a float, like every sample point.
float TexelGridPos(int i, int gridHigh, int resolution)
{
    return static_cast<float>(static_cast<double>(static_cast<int64_t>(i) * gridHigh) / resolution);
}

// The sample points of a band of rows: grid X of texel columns −1 … R, grid
// Z of rows −1 … R, and the heights of the texel rows the band reaches, each
// padded by one texel at both ends (index x + 1 is column x).
struct TSamplePoints {
    int r = 0;
    const float *pos = nullptr;      // index i + 1 for column or row i
    const float *heights = nullptr;  // rows firstRow …, R + 2 each
    int firstRow = 0;

    const float *HeightRow(int j) const { return heights + static_cast<size_t>(j - firstRow) * (r + 2); }
};

// The normal of the triangle (a, b, c), facing up when a, b, c run clockwise
// seen from above. The textbook form normalises the two edges before the
// cross product; the direction is the same without, and leaving it out
// saves two of every three square roots and divisions.
template <class T>
[[gnu::always_inline]] inline TVec3T<T> FaceNormal(TVec3T<T> a, TVec3T<T> b, TVec3T<T> c)
{
    return NormaliseFast(Cross(a - b, b - c));
}

// The normals of texels x … x + lanes − 1 of row y, scaled to 127: the mean
// of the eight triangles around each texel.
template <class T>
TVec3T<T> TexelNormal(const TSamplePoints &p, int y, int x)
{
    const float *hN = p.HeightRow(y - 1) + x, *hC = p.HeightRow(y) + x, *hS = p.HeightRow(y + 1) + x;
    const T xw = LoadAt<T>(p.pos + x), xc = LoadAt<T>(p.pos + x + 1), xe = LoadAt<T>(p.pos + x + 2);
    const T zN = p.pos[y], zC = p.pos[y + 1], zS = p.pos[y + 2];
    // The texel itself, then its neighbours clockwise from north-east.
    const TVec3T<T> p0{xc, LoadAt<T>(hC + 1), zC}, p1{xe, LoadAt<T>(hN + 2), zN}, p2{xe, LoadAt<T>(hC + 2), zC},
        p3{xe, LoadAt<T>(hS + 2), zS}, p4{xc, LoadAt<T>(hS + 1), zS}, p5{xw, LoadAt<T>(hS), zS},
        p6{xw, LoadAt<T>(hC), zC}, p7{xw, LoadAt<T>(hN), zN}, p8{xc, LoadAt<T>(hN + 1), zN};
    // Six triangles fan around the texel; (4, 3, 2) and (8, 7, 6) close the
    // south-east and north-west corners. All face up on flat ground.
    const TVec3T<T> sum = FaceNormal(p0, p1, p8) + FaceNormal(p0, p2, p1) + FaceNormal(p0, p4, p2) +
                          FaceNormal(p4, p3, p2) + FaceNormal(p0, p5, p4) + FaceNormal(p0, p6, p5) +
                          FaceNormal(p0, p8, p6) + FaceNormal(p8, p7, p6);
    // Exact division here: flat ground must come out (0, 127, 0), not (0, 126, 0).
    return Scale(Normalise(sum), T(127.0f));
}

TNormal ToBytes(int x, int y, int z)
{
    return {static_cast<int8_t>(x), static_cast<int8_t>(y), static_cast<int8_t>(z)};
}

void NormalRow(const TSamplePoints &p, int y, TNormal *out)
{
    const int count = p.r;
    int x = 0;
#ifdef OROLITH_FLOAT_LANES
    // Lanes compute bit for bit what the plain floats below do, so where a
    // row's texels fall between the two paths changes nothing.
    for (; x + TFloat4::Width <= count; x += TFloat4::Width) {
        const TVec3T<TFloat4> n = TexelNormal<TFloat4>(p, y, x);
        int nx[TFloat4::Width], ny[TFloat4::Width], nz[TFloat4::Width];
        StoreTruncated(n.x, nx);
        StoreTruncated(n.y, ny);
        StoreTruncated(n.z, nz);
        for (int i = 0; i < TFloat4::Width; ++i)
            out[x + i] = ToBytes(nx[i], ny[i], nz[i]);
    }
#endif
    for (; x < count; ++x) {
        const TVec3 n = TexelNormal<float>(p, y, x);
        out[x] = ToBytes(static_cast<int>(n.x), static_cast<int>(n.y), static_cast<int>(n.z));
    }
}

// SampleHeight for every possible raw height h of an on-grid sample, indexed
// by h + 32768: the world height, or the void height for −32768. Read from
// SampleHeight itself, on a small grid that holds each height once, so the
// conversion stays defined in one place; a table lookup per texel then
// replaces a call.
std::vector<float> WorldHeights(const TTerrain &terrain)
{
    TTerrain all;
    all.Heights.SetSize(256);
    all.GridHigh = 255;
    all.MinHeight = terrain.MinHeight;
    for (int i = 0; i < 65536; ++i)
        all.Heights(i % 256, i / 256) = static_cast<int16_t>(i - 32768);
    std::vector<float> table(65536);
    for (int i = 0; i < 65536; ++i)
        table[static_cast<size_t>(i)] = all.SampleHeight(static_cast<float>(i % 256), static_cast<float>(i / 256));
    return table;
}

} // namespace

// What every worker reads and none writes: built once per texture.
struct TNormalRows::TTables {
    std::vector<float> pos;       // grid X and Z of texels −1 … R
    std::vector<int> sampleAt;    // the grid sample texels 0 … R − 1 read
    std::vector<float> world;     // WorldHeights

    TTables(const TTerrain &terrain, int r)
    {
        const int n = terrain.GridHigh;
        pos.resize(static_cast<size_t>(r) + 2);
        for (int i = -1; i <= r; ++i)
            pos[static_cast<size_t>(i + 1)] = TexelGridPos(i, n, r);
        // Trunc of the float position: never beyond GridHigh − 1, so always on the grid.
        sampleAt.resize(static_cast<size_t>(r));
        for (int i = 0; i < r; ++i)
            sampleAt[static_cast<size_t>(i)] = static_cast<int>(pos[static_cast<size_t>(i + 1)]);
        if (r > 0 && terrain.GridHigh >= 0 && terrain.Heights.Size() == terrain.GridHigh + 1)
            world = WorldHeights(terrain);
    }
};

struct TNormalRows::TState {
    const TTerrain &terrain;
    int r;
    std::shared_ptr<const TTables> tables;
    std::vector<float> heights;   // the band's height rows

    TState(const TTerrain &t, int resolution, std::shared_ptr<const TTables> shared)
        : terrain(t), r(resolution), tables(std::move(shared))
    {
        // Sized for a whole band now, so the worker threads never allocate.
        heights.resize(static_cast<size_t>(NormalBandRows + 2) * (r + 2));
    }

    // Heights of texel rows first − 1 … last; a neighbour beyond the map's
    // edge is the nearest texel inside it.
    TSamplePoints LoadHeights(int first, int last)
    {
        const int padded = r + 2;
        heights.resize(static_cast<size_t>(last - first + 2) * padded);
        const std::vector<float> &pos = tables->pos, &world = tables->world;
        const std::vector<int> &sampleAt = tables->sampleAt;
        if (world.empty()) {  // no grid: flat ground
            std::fill(heights.begin(), heights.end(), 0.0f);
            return {r, pos.data(), heights.data(), first - 1};
        }
        for (int j = first - 1; j <= last; ++j) {
            const int16_t *grid = terrain.Heights.Row(sampleAt[static_cast<size_t>(std::clamp(j, 0, r - 1))]);
            float *h = heights.data() + static_cast<size_t>(j - first + 1) * padded;
            for (int c = 0; c < r; ++c)
                h[c + 1] = world[static_cast<size_t>(grid[sampleAt[static_cast<size_t>(c)]] + 32768)];
            h[0] = h[1];
            h[r + 1] = h[r];
        }
        return {r, pos.data(), heights.data(), first - 1};
    }
};

TNormalRows::TNormalRows(const TTerrain &terrain)
    : d_(std::make_unique<TState>(terrain, std::max(terrain.Resolution, 0),
                                  std::make_shared<const TTables>(terrain, std::max(terrain.Resolution, 0))))
{
}

TNormalRows::TNormalRows(std::unique_ptr<TState> state) : d_(std::move(state)) {}

TNormalRows TNormalRows::Share() const
{
    return TNormalRows(std::make_unique<TState>(d_->terrain, d_->r, d_->tables));
}

TNormalRows::~TNormalRows() = default;
TNormalRows::TNormalRows(TNormalRows &&) noexcept = default;
TNormalRows &TNormalRows::operator=(TNormalRows &&) noexcept = default;

void TNormalRows::Compute(int first, int last, TNormal *out)
{
    TState &d = *d_;
    const int r = d.r;
    if (first >= last || r == 0)
        return;
    const TSamplePoints p = d.LoadHeights(first, last);
    for (int y = first; y < last; ++y)
        NormalRow(p, y, out + static_cast<size_t>(y - first) * r);
}

void ComputeNormalMap(const TTerrain &terrain, TNormalMap &map, int threads,
                      const std::function<void(float fraction)> &progress)
{
    const int r = std::max(terrain.Resolution, 0);
    map.resize(static_cast<size_t>(r) * r);
    if (progress)
        progress(0);
    std::vector<TNormalRows> workers;
    workers.emplace_back(terrain);
    for (int i = ResolveThreadCount(threads); i > 1; --i)
        workers.push_back(workers.front().Share());
    const int bands = (r + NormalBandRows - 1) / NormalBandRows;
    ParallelBands(bands, r, threads, [&](int band, int worker, const std::function<void()> &rowDone) {
        const int first = band * NormalBandRows, last = std::min(first + NormalBandRows, r);
        workers[static_cast<size_t>(worker)].Compute(first, last, map.data() + static_cast<size_t>(first) * r);
        for (int y = first; y < last; ++y)
            rowDone();
    }, [&](int done) {
        if (progress)
            progress(r == 0 ? 1.0f : static_cast<float>(done) / static_cast<float>(r));
    });
}
