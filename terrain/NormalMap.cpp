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
    const float *pos = nullptr;      // index i + 1 for column i
    const float *posZ = nullptr;     // index i + 1 for row i
    const float *heights = nullptr;  // rows firstRow …, R + 2 each
    int firstRow = 0;

    const float *HeightRow(int j) const { return heights + static_cast<size_t>(j - firstRow) * (r + 2); }
};

// The eight triangles around a texel, (a, b, c) by sample index: (0, 1, 8),
// (0, 2, 1), (0, 4, 2), (4, 3, 2), (0, 5, 4), (0, 6, 5), (0, 8, 6), (8, 7, 6).
// Samples 0 … 8 are the texel itself and its neighbours clockwise from the
// north-east. Six fan around the texel; (4, 3, 2) and (8, 7, 6) close the
// south-east and north-west corners. All face up on flat ground.
//
// A triangle's normal is that of the cross product (a − b) × (b − c). The
// textbook form normalises the two edges first; the direction is the same
// without, and leaving it out saves two of every three square roots and
// divisions. Every edge runs along a grid line or a diagonal, so one or two
// of its horizontal components are exactly zero; the products with them are
// left out below. That changes at most the sign of a zero, which no later
// step can see (squares, sums with non-zero terms, truncation to bytes).
//
// (4, 3, 2) is (0, 2, 1) of the texel to the south, and (8, 7, 6) is (0, 6, 5)
// of the texel to the north, operand for operand, so each texel row takes
// those two from its neighbours' rows instead of computing them again.
// Edges (x1, h1, z1) and (x2, h2, 0).
template <class T>
[[gnu::always_inline]] inline TVec3T<T> FaceZ2(T x1, T h1, T z1, T x2, T h2)
{
    return NormaliseFast(TVec3T<T>{-(z1 * h2), z1 * x2, x1 * h2 - h1 * x2});
}

// Edges (0, h1, z1) and (x2, h2, z2).
template <class T>
[[gnu::always_inline]] inline TVec3T<T> FaceX1(T h1, T z1, T x2, T h2, T z2)
{
    return NormaliseFast(TVec3T<T>{h1 * z2 - z1 * h2, z1 * x2, -(h1 * x2)});
}

// Edges (x1, h1, 0) and (0, h2, z2).
template <class T>
[[gnu::always_inline]] inline TVec3T<T> FaceZ1X2(T x1, T h1, T h2, T z2)
{
    return NormaliseFast(TVec3T<T>{h1 * z2, -(x1 * z2), x1 * h2});
}

// Face normals in three arrays of floats, one entry per texel of a row.
struct TFaceRow {
    std::vector<float> x, y, z;
    void Resize(int r)
    {
        x.resize(size_t(r));
        y.resize(size_t(r));
        z.resize(size_t(r));
    }
    template <class T>
    TVec3T<T> At(int i) const { return {LoadAt<T>(x.data() + i), LoadAt<T>(y.data() + i), LoadAt<T>(z.data() + i)}; }
    template <class T>
    void Put(int i, TVec3T<T> v)
    {
        StoreAt(v.x, x.data() + i);
        StoreAt(v.y, y.data() + i);
        StoreAt(v.z, z.data() + i);
    }
};

// (0, 2, 1) and (0, 6, 5) of texels x … of row y, the two shared with the
// rows to the south and north.
template <class T>
[[gnu::always_inline]] inline TVec3T<T> FaceEast(const TSamplePoints &p, int y, int x)
{
    const float *hN = p.HeightRow(y - 1) + x, *hC = p.HeightRow(y) + x;
    const T xc = LoadAt<T>(p.pos + x + 1), xe = LoadAt<T>(p.pos + x + 2);
    const T h0 = LoadAt<T>(hC + 1), h1 = LoadAt<T>(hN + 2), h2 = LoadAt<T>(hC + 2);
    return FaceZ1X2(xc - xe, h0 - h2, h2 - h1, T(p.posZ[y + 1] - p.posZ[y]));
}

template <class T>
[[gnu::always_inline]] inline TVec3T<T> FaceWest(const TSamplePoints &p, int y, int x)
{
    const float *hC = p.HeightRow(y) + x, *hS = p.HeightRow(y + 1) + x;
    const T xw = LoadAt<T>(p.pos + x), xc = LoadAt<T>(p.pos + x + 1);
    const T h0 = LoadAt<T>(hC + 1), h5 = LoadAt<T>(hS), h6 = LoadAt<T>(hC);
    return FaceZ1X2(xc - xw, h0 - h6, h6 - h5, T(p.posZ[y + 1] - p.posZ[y + 2]));
}

// The normals of texels x … x + lanes − 1 of row y, scaled to 127: the mean
// of the eight triangles around each texel. `east` holds (0, 2, 1) of row y
// and is given that of row y + 1 in its place; `west` holds (0, 6, 5) of row
// y − 1 and is given that of row y.
template <class T>
TVec3T<T> TexelNormal(const TSamplePoints &p, int y, int x, TFaceRow &east, TFaceRow &west)
{
    const float *hN = p.HeightRow(y - 1) + x, *hC = p.HeightRow(y) + x, *hS = p.HeightRow(y + 1) + x;
    const T xw = LoadAt<T>(p.pos + x), xc = LoadAt<T>(p.pos + x + 1), xe = LoadAt<T>(p.pos + x + 2);
    const float zN = p.posZ[y], zC = p.posZ[y + 1], zS = p.posZ[y + 2];
    const T h0 = LoadAt<T>(hC + 1), h1 = LoadAt<T>(hN + 2), h2 = LoadAt<T>(hC + 2), h4 = LoadAt<T>(hS + 1),
            h5 = LoadAt<T>(hS), h6 = LoadAt<T>(hC), h8 = LoadAt<T>(hN + 1);
    const T eastX = xc - xe, westX = xc - xw, northZ = zC - zN, southZ = zC - zS;
    const TVec3T<T> f018 = FaceZ2(eastX, h0 - h1, northZ, xe - xc, h1 - h8);
    const TVec3T<T> f021 = east.At<T>(x);
    const TVec3T<T> f042 = FaceX1(h0 - h4, southZ, eastX, h4 - h2, T(zS - zC));
    const TVec3T<T> f432 = FaceEast<T>(p, y + 1, x);
    const TVec3T<T> f054 = FaceZ2(westX, h0 - h5, southZ, xw - xc, h5 - h4);
    const TVec3T<T> f065 = FaceZ1X2(westX, h0 - h6, h6 - h5, southZ);
    const TVec3T<T> f086 = FaceX1(h0 - h8, northZ, westX, h8 - h6, T(zN - zC));
    const TVec3T<T> f876 = west.At<T>(x);
    east.Put(x, f432);
    west.Put(x, f065);
    const TVec3T<T> sum = f018 + f021 + f042 + f432 + f054 + f065 + f086 + f876;
    // Exact division here: flat ground must come out (0, 127, 0), not (0, 126, 0).
    return Scale(Normalise(sum), T(127.0f));
}

TNormal ToBytes(int x, int y, int z)
{
    return {static_cast<int8_t>(x), static_cast<int8_t>(y), static_cast<int8_t>(z)};
}

// Calls each(x) for the first texel of every whole group of lanes of a row
// and then each(x) on plain floats for the rest. Lanes compute bit for bit
// what the plain floats do, so where a row's texels fall between the two
// paths changes nothing.
template <class Lanes, class Plain>
void ForRow(int count, Lanes lanes, Plain plain)
{
    int x = 0;
#ifdef OROLITH_FLOAT_LANES
    for (; x + TFloat4::Width <= count; x += TFloat4::Width)
        lanes(x);
#else
    (void)lanes;
#endif
    for (; x < count; ++x)
        plain(x);
}

// The shared faces a band starts from: (0, 2, 1) of its first row and
// (0, 6, 5) of the row before it.
void StartBand(const TSamplePoints &p, int first, TFaceRow &east, TFaceRow &west)
{
    ForRow(p.r, [&](int x) {
#ifdef OROLITH_FLOAT_LANES
        east.Put(x, FaceEast<TFloat4>(p, first, x));
        west.Put(x, FaceWest<TFloat4>(p, first - 1, x));
#endif
    }, [&](int x) {
        east.Put(x, FaceEast<float>(p, first, x));
        west.Put(x, FaceWest<float>(p, first - 1, x));
    });
}

void NormalRow(const TSamplePoints &p, int y, TFaceRow &east, TFaceRow &west, TNormal *out)
{
    ForRow(p.r, [&](int x) {
#ifdef OROLITH_FLOAT_LANES
        const TVec3T<TFloat4> n = TexelNormal<TFloat4>(p, y, x, east, west);
        int nx[TFloat4::Width], ny[TFloat4::Width], nz[TFloat4::Width];
        StoreTruncated(n.x, nx);
        StoreTruncated(n.y, ny);
        StoreTruncated(n.z, nz);
        for (int i = 0; i < TFloat4::Width; ++i)
            out[x + i] = ToBytes(nx[i], ny[i], nz[i]);
#endif
    }, [&](int x) {
        const TVec3 n = TexelNormal<float>(p, y, x, east, west);
        out[x] = ToBytes(static_cast<int>(n.x), static_cast<int>(n.y), static_cast<int>(n.z));
    });
}

// SampleHeight for every possible raw height h of an on-grid sample, indexed
// by h + 32768: the world height, or the void height for −32768. Read from
// SampleHeight itself, on a small grid that holds each height once, so the
// conversion stays defined in one place; a table lookup per texel then
// replaces a call.
std::vector<float> WorldHeights(const TTerrain &terrain, float scale)
{
    TTerrain all;
    all.Heights.SetSize(256);
    all.GridHigh = 255;
    all.MinHeight = terrain.MinHeight;
    all.HeightStep = terrain.HeightStep;
    all.HeightBase = terrain.HeightBase;
    for (int i = 0; i < 65536; ++i)
        all.Heights(i % 256, i / 256) = static_cast<int16_t>(i - 32768);
    std::vector<float> table(65536);
    for (int i = 0; i < 65536; ++i)
        table[static_cast<size_t>(i)] = all.SampleHeight(static_cast<float>(i % 256), static_cast<float>(i / 256));
    if (scale != 1.0f)
        for (float &h : table)
            h *= scale;
    return table;
}

// Metres a grid step spans west–east and north–south as the shading sees
// them. Tiles and heightmaps are shaded in grid samples as they always were
// (none: scale 1). Every other raster is weighed against a 1″ tile's sample,
// so its light does not depend on how finely it is sampled: geographic grids
// measure both axes in degrees of latitude, as a tile's texture does, so a
// 1″ raster shades exactly like the .hgt of the same heights; projected
// grids in their own metres, each axis its own (a raster that was not
// square keeps its true proportions).
struct TShadeScale {
    float heights = 1.0f;   // multiplies world heights
    float rows = 1.0f;      // multiplies the north–south grid positions
};

TShadeScale ShadeScale(const TTerrain &terrain)
{
    const TGeoReference &g = terrain.GeoRef;
    if (g.TileLike())
        return {};
    const double x = g.AxisSpacingX(), z = g.AxisSpacingY();
    if (!(x > 0) || !(z > 0))
        return {};
    constexpr double ArcSecondMetres = MetresPerDegree / 3600;
    return {static_cast<float>(ArcSecondMetres / x), static_cast<float>(z / x)};
}

} // namespace

// What every worker reads and none writes: built once per texture.
struct TNormalRows::TTables {
    std::vector<float> pos;       // grid X and Z of texels −1 … R
    std::vector<float> posZ;      // grid Z, when rows are spaced unlike columns
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
        const TShadeScale scale = ShadeScale(terrain);
        if (scale.rows != 1.0f)
            for (const float p : pos)
                posZ.push_back(p * scale.rows);
        if (r > 0 && terrain.GridHigh >= 0 && terrain.Heights.Size() == terrain.GridHigh + 1)
            world = WorldHeights(terrain, scale.heights);
    }
};

struct TNormalRows::TState {
    const TTerrain &terrain;
    int r;
    std::shared_ptr<const TTables> tables;
    std::vector<float> heights;   // the band's height rows
    TFaceRow east, west;          // the faces rows share, see TexelNormal

    TState(const TTerrain &t, int resolution, std::shared_ptr<const TTables> shared)
        : terrain(t), r(resolution), tables(std::move(shared))
    {
        // Sized for a whole band now, so the worker threads never allocate.
        heights.resize(static_cast<size_t>(NormalBandRows + 2) * (r + 2));
        east.Resize(r);
        west.Resize(r);
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
            return {r, pos.data(), PosZ(), heights.data(), first - 1};
        }
        for (int j = first - 1; j <= last; ++j) {
            const int16_t *grid = terrain.Heights.Row(sampleAt[static_cast<size_t>(std::clamp(j, 0, r - 1))]);
            float *h = heights.data() + static_cast<size_t>(j - first + 1) * padded;
            for (int c = 0; c < r; ++c)
                h[c + 1] = world[static_cast<size_t>(grid[sampleAt[static_cast<size_t>(c)]] + 32768)];
            h[0] = h[1];
            h[r + 1] = h[r];
        }
        return {r, pos.data(), PosZ(), heights.data(), first - 1};
    }

    const float *PosZ() const { return tables->posZ.empty() ? tables->pos.data() : tables->posZ.data(); }
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
    StartBand(p, first, d.east, d.west);
    for (int y = first; y < last; ++y)
        NormalRow(p, y, d.east, d.west, out + static_cast<size_t>(y - first) * r);
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
