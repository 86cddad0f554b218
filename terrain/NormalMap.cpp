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

// The three texel rows around one row of normals. Heights are padded by one
// texel at both ends (index x + 1 is column x), and so are the grid X
// positions; z* are the grid Z of the rows.
struct TRowNeighbourhood {
    const float *hN, *hC, *hS;
    const float *xs;
    float zN, zC, zS;
};

template <class T>
T LoadAt(const float *p);
template <>
float LoadAt<float>(const float *p) { return *p; }
#ifdef OROLITH_FLOAT_LANES
template <>
TFloat4 LoadAt<TFloat4>(const float *p) { return TFloat4::Load(p); }
#endif

template <class T>
[[gnu::always_inline]] inline TVec3T<T> FaceNormal(TVec3T<T> a, TVec3T<T> b, TVec3T<T> c)
{
    const TVec3T<T> u = Normalise(b - c);
    const TVec3T<T> v = Normalise(a - b);
    return Normalise(Cross(v, u));
}

// The normal of texel x (of texels x … x + lanes − 1), scaled to 127.
template <class T>
TVec3T<T> TexelNormal(const TRowNeighbourhood &r, int x)
{
    const T xw = LoadAt<T>(r.xs + x), xc = LoadAt<T>(r.xs + x + 1), xe = LoadAt<T>(r.xs + x + 2);
    const T zN = r.zN, zC = r.zC, zS = r.zS;
    // The nine samples: the texel itself, then its neighbours clockwise from north-east.
    const TVec3T<T> p0{xc, LoadAt<T>(r.hC + x + 1), zC}, p1{xe, LoadAt<T>(r.hN + x + 2), zN},
        p2{xe, LoadAt<T>(r.hC + x + 2), zC}, p3{xe, LoadAt<T>(r.hS + x + 2), zS},
        p4{xc, LoadAt<T>(r.hS + x + 1), zS}, p5{xw, LoadAt<T>(r.hS + x), zS}, p6{xw, LoadAt<T>(r.hC + x), zC},
        p7{xw, LoadAt<T>(r.hN + x), zN}, p8{xc, LoadAt<T>(r.hN + x + 1), zN};
    // Six triangles fan around the texel; (4, 3, 2) and (8, 7, 6) close the
    // south-east and north-west corners. All face up on flat ground.
    const TVec3T<T> sum = FaceNormal(p0, p1, p8) + FaceNormal(p0, p2, p1) + FaceNormal(p0, p4, p2) +
                          FaceNormal(p4, p3, p2) + FaceNormal(p0, p5, p4) + FaceNormal(p0, p6, p5) +
                          FaceNormal(p0, p8, p6) + FaceNormal(p8, p7, p6);
    return Scale(Normalise(sum), T(127.0f));
}

TNormal ToBytes(int x, int y, int z)
{
    return {static_cast<int8_t>(x), static_cast<int8_t>(y), static_cast<int8_t>(z)};
}

void NormalRow(const TRowNeighbourhood &r, int count, TNormal *out)
{
    int x = 0;
#ifdef OROLITH_FLOAT_LANES
    // Lanes compute bit for bit what the plain floats below do, so where a
    // row's texels fall between the two paths changes nothing.
    for (; x + TFloat4::Width <= count; x += TFloat4::Width) {
        const TVec3T<TFloat4> n = TexelNormal<TFloat4>(r, x);
        int nx[TFloat4::Width], ny[TFloat4::Width], nz[TFloat4::Width];
        StoreTruncated(n.x, nx);
        StoreTruncated(n.y, ny);
        StoreTruncated(n.z, nz);
        for (int i = 0; i < TFloat4::Width; ++i)
            out[x + i] = ToBytes(nx[i], ny[i], nz[i]);
    }
#endif
    for (; x < count; ++x) {
        const TVec3 n = TexelNormal<float>(r, x);
        out[x] = ToBytes(static_cast<int>(n.x), static_cast<int>(n.y), static_cast<int>(n.z));
    }
}

} // namespace

void ComputeNormalMap(const TTerrain &terrain, TNormalMap &map, int threads,
                      const std::function<void(float fraction)> &progress)
{
    const int r = std::max(terrain.Resolution, 0);
    const int n = terrain.GridHigh;
    map.resize(static_cast<size_t>(r) * r);
    if (progress)
        progress(0);
    if (r == 0) {
        if (progress)
            progress(1);
        return;
    }

    // Grid X (and Z) of texel columns −1 … R, and the whole samples they read.
    const int padded = r + 2;
    std::vector<float> pos(static_cast<size_t>(padded));
    for (int i = -1; i <= r; ++i)
        pos[static_cast<size_t>(i + 1)] = TexelGridPos(i, n, r);
    std::vector<float> sampleAt(static_cast<size_t>(r));
    for (int i = 0; i < r; ++i)
        sampleAt[static_cast<size_t>(i)] = std::trunc(pos[static_cast<size_t>(i + 1)]);

    // Heights of all texels, each read once, with the border texels repeated
    // outside the map: a neighbour beyond the edge is the nearest texel inside.
    // Left uninitialised: every entry is written below, and zeroing tens of
    // megabytes first costs more than some of the passes.
    std::unique_ptr<float[]> heights(new float[static_cast<size_t>(padded) * padded]);
    ParallelRows(padded, threads, [&](int p) {
        const int row = std::clamp(p - 1, 0, r - 1);
        float *h = heights.get() + static_cast<size_t>(p) * padded;
        for (int c = 0; c < r; ++c)
            h[c + 1] = terrain.SampleHeight(sampleAt[static_cast<size_t>(c)], sampleAt[static_cast<size_t>(row)]);
        h[0] = h[1];
        h[r + 1] = h[r];
    }, {});

    ParallelRows(r, threads, [&](int y) {
        const float *north = heights.get() + static_cast<size_t>(y) * padded;
        const float *z = pos.data() + y;
        NormalRow({north, north + padded, north + 2 * padded, pos.data(), z[0], z[1], z[2]}, r,
                  map.data() + static_cast<size_t>(y) * r);
    }, [&](int done) {
        if (progress)
            progress(static_cast<float>(done) / static_cast<float>(r));
    });
}
