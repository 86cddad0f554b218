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
// padded by one texel at both ends.
struct TSamplePoints {
    int r = 0;
    const float *pos = nullptr;      // index i + 1 for column or row i
    const float *heights = nullptr;  // rows firstRow …, R + 2 each, same padding
    int firstRow = 0;

    const float *HeightRow(int j) const { return heights + static_cast<size_t>(j - firstRow) * (r + 2) + 1; }
};

// Unit vectors from each texel of one row to one of its neighbours, in
// separate arrays per component so lanes load them directly (index i + 1
// for column i). Every triangle edge of the normal formula is one of these,
// or its negation, shared by up to four texels; computing each once halves
// the work, and since a − b = −(b − a) exactly, the result is unchanged.
struct TEdgeRow {
    std::vector<float> x, y, z;
    void Resize(int r)
    {
        for (auto *v : {&x, &y, &z})
            v->resize(static_cast<size_t>(r) + 2);
    }
    template <class T>
    TVec3T<T> At(int i) const
    {
        return {LoadAt<T>(x.data() + i + 1), LoadAt<T>(y.data() + i + 1), LoadAt<T>(z.data() + i + 1)};
    }
    template <class T>
    void Put(int i, TVec3T<T> v)
    {
        StoreAt(v.x, x.data() + i + 1);
        StoreAt(v.y, y.data() + i + 1);
        StoreAt(v.z, z.data() + i + 1);
    }
};

// Edges from texel (i, j) to texel (i + di, j + dj), from i on up to last, as
// far as whole groups of lanes go.
template <class T>
void EdgesFrom(const TSamplePoints &p, int j, int di, int dj, int last, TEdgeRow &out, int &i)
{
    const float *from = p.HeightRow(j), *to = p.HeightRow(j + dj);
    const T zFrom = p.pos[j + 1], zTo = p.pos[j + dj + 1];
    for (; i + Width<T>() - 1 <= last; i += Width<T>()) {
        const TVec3T<T> a{LoadAt<T>(p.pos + i + 1), LoadAt<T>(from + i), zFrom};
        const TVec3T<T> b{LoadAt<T>(p.pos + i + di + 1), LoadAt<T>(to + i + di), zTo};
        out.Put(i, NormaliseFast(b - a));
    }
}

void EdgeRow(const TSamplePoints &p, int j, int di, int dj, int first, int last, TEdgeRow &out)
{
    int i = first;
#ifdef OROLITH_FLOAT_LANES
    EdgesFrom<TFloat4>(p, j, di, dj, last, out, i);
#endif
    EdgesFrom<float>(p, j, di, dj, last, out, i);
}

template <class T>
[[gnu::always_inline]] inline TVec3T<T> FaceNormal(TVec3T<T> u, TVec3T<T> v)
{
    return NormaliseFast(Cross(v, u));
}

// The edges around texel row y: east edges of rows y − 1 … y + 1, south
// edges of rows y − 1 and y, north-east edges of rows y and y + 1.
struct TEdgesAround {
    const TEdgeRow &eN, &eC, &eS, &sN, &sC, &neC, &neS;
};

// The normals of texels x … x + lanes − 1, scaled to 127: the mean of the
// eight triangles (centre, neighbour, neighbour) around each. Six fan around
// the texel; two close its south-east and north-west corners. All face up on
// flat ground.
template <class T>
TVec3T<T> TexelNormal(const TEdgesAround &e, int x)
{
    const TVec3T<T> sum =
        FaceNormal(e.eN.At<T>(x), -e.neC.At<T>(x)) + FaceNormal(e.sN.At<T>(x + 1), -e.eC.At<T>(x)) +
        FaceNormal(-e.neS.At<T>(x), -e.sC.At<T>(x)) + FaceNormal(e.sC.At<T>(x + 1), -e.eS.At<T>(x)) +
        FaceNormal(-e.eS.At<T>(x - 1), e.neS.At<T>(x - 1)) + FaceNormal(-e.sC.At<T>(x - 1), e.eC.At<T>(x - 1)) +
        FaceNormal(e.neC.At<T>(x - 1), e.sN.At<T>(x)) + FaceNormal(-e.sN.At<T>(x - 1), e.eN.At<T>(x - 1));
    return Scale(Normalise(sum), T(127.0f));
}

TNormal ToBytes(int x, int y, int z)
{
    return {static_cast<int8_t>(x), static_cast<int8_t>(y), static_cast<int8_t>(z)};
}

void NormalRow(const TEdgesAround &e, int count, TNormal *out)
{
    int x = 0;
#ifdef OROLITH_FLOAT_LANES
    // Lanes compute bit for bit what the plain floats below do, so where a
    // row's texels fall between the two paths changes nothing.
    for (; x + TFloat4::Width <= count; x += TFloat4::Width) {
        const TVec3T<TFloat4> n = TexelNormal<TFloat4>(e, x);
        int nx[TFloat4::Width], ny[TFloat4::Width], nz[TFloat4::Width];
        StoreTruncated(n.x, nx);
        StoreTruncated(n.y, ny);
        StoreTruncated(n.z, nz);
        for (int i = 0; i < TFloat4::Width; ++i)
            out[x + i] = ToBytes(nx[i], ny[i], nz[i]);
    }
#endif
    for (; x < count; ++x) {
        const TVec3 n = TexelNormal<float>(e, x);
        out[x] = ToBytes(static_cast<int>(n.x), static_cast<int>(n.y), static_cast<int>(n.z));
    }
}

} // namespace

struct TNormalRows::TState {
    const TTerrain &terrain;
    int r;
    std::vector<float> pos;       // grid X and Z of texels −1 … R
    std::vector<float> sampleAt;  // the whole grid samples texels 0 … R − 1 read
    std::vector<float> heights;   // the band's height rows
    // Edge rows in small rings: each is computed once per band, plus the few
    // that reach into the row before it.
    TEdgeRow east[3], south[3], northEast[3];

    TState(const TTerrain &t, int resolution) : terrain(t), r(resolution)
    {
        const int n = terrain.GridHigh;
        pos.resize(static_cast<size_t>(r) + 2);
        for (int i = -1; i <= r; ++i)
            pos[static_cast<size_t>(i + 1)] = TexelGridPos(i, n, r);
        sampleAt.resize(static_cast<size_t>(r));
        for (int i = 0; i < r; ++i)
            sampleAt[static_cast<size_t>(i)] = std::trunc(pos[static_cast<size_t>(i + 1)]);
        for (auto *ring : {east, south, northEast})
            for (int k = 0; k < 3; ++k)
                ring[k].Resize(r);
    }

    static int Slot(int j) { return (j + 3) % 3; }  // j ≥ −1
    TEdgeRow &East(int j) { return east[Slot(j)]; }
    TEdgeRow &South(int j) { return south[Slot(j)]; }
    TEdgeRow &NorthEast(int j) { return northEast[Slot(j)]; }

    // Heights of texel rows first − 1 … last; a neighbour beyond the map's
    // edge is the nearest texel inside it.
    TSamplePoints LoadHeights(int first, int last)
    {
        const int padded = r + 2;
        heights.resize(static_cast<size_t>(last - first + 2) * padded);
        for (int j = first - 1; j <= last; ++j) {
            const float z = sampleAt[static_cast<size_t>(std::clamp(j, 0, r - 1))];
            float *h = heights.data() + static_cast<size_t>(j - first + 1) * padded;
            for (int c = 0; c < r; ++c)
                h[c + 1] = terrain.SampleHeight(sampleAt[static_cast<size_t>(c)], z);
            h[0] = h[1];
            h[r + 1] = h[r];
        }
        return {r, pos.data(), heights.data(), first - 1};
    }
};

TNormalRows::TNormalRows(const TTerrain &terrain) : d_(std::make_unique<TState>(terrain, std::max(terrain.Resolution, 0))) {}
TNormalRows::~TNormalRows() = default;
TNormalRows::TNormalRows(TNormalRows &&) noexcept = default;
TNormalRows &TNormalRows::operator=(TNormalRows &&) noexcept = default;

int TNormalRows::Resolution() const
{
    return d_->r;
}

void TNormalRows::Compute(int first, int last, TNormal *out)
{
    TState &d = *d_;
    const int r = d.r;
    if (first >= last || r == 0)
        return;
    const TSamplePoints p = d.LoadHeights(first, last);
    EdgeRow(p, first - 1, 1, 0, -1, r - 1, d.East(first - 1));
    EdgeRow(p, first, 1, 0, -1, r - 1, d.East(first));
    EdgeRow(p, first - 1, 0, 1, -1, r, d.South(first - 1));
    EdgeRow(p, first, 1, -1, -1, r - 1, d.NorthEast(first));
    for (int y = first; y < last; ++y) {
        EdgeRow(p, y + 1, 1, 0, -1, r - 1, d.East(y + 1));
        EdgeRow(p, y, 0, 1, -1, r, d.South(y));
        EdgeRow(p, y + 1, 1, -1, -1, r - 1, d.NorthEast(y + 1));
        NormalRow({d.East(y - 1), d.East(y), d.East(y + 1), d.South(y - 1), d.South(y), d.NorthEast(y), d.NorthEast(y + 1)},
                  r, out + static_cast<size_t>(y - first) * r);
    }
}

void ComputeNormalMap(const TTerrain &terrain, TNormalMap &map, int threads,
                      const std::function<void(float fraction)> &progress)
{
    const int r = std::max(terrain.Resolution, 0);
    map.resize(static_cast<size_t>(r) * r);
    if (progress)
        progress(0);
    std::vector<TNormalRows> workers;
    for (int i = ResolveThreadCount(threads); i > 0; --i)
        workers.emplace_back(terrain);
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
