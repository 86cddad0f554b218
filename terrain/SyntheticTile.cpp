#include "SyntheticTile.h"

#include "HeightGrid.h"
#include "TerrainError.h"

#include <QSaveFile>

#include <algorithm>
#include <cmath>

namespace {

uint32_t Hash(uint32_t seed, uint32_t layer, int i, int j)
{
    uint32_t h = seed * 0x9E3779B1u ^ static_cast<uint32_t>(i) * 0x85EBCA77u ^
                 static_cast<uint32_t>(j) * 0xC2B2AE3Du ^ (layer + 1) * 0x27D4EB2Fu;
    h ^= h >> 16;
    h *= 0x7FEB352Du;
    h ^= h >> 15;
    h *= 0x846CA68Bu;
    h ^= h >> 16;
    return h;
}

float Hash01(uint32_t seed, uint32_t layer, int i, int j)
{
    return static_cast<float>(Hash(seed, layer, i, j) >> 8) * (1.0f / 16777216.0f);
}

float Lerp(float a, float b, float t)
{
    return a + (b - a) * t;
}

// Gradient noise (one gradient of eight per lattice point), roughly within ±1.
float GradientNoise(float x, float y, uint32_t seed, uint32_t layer)
{
    static constexpr float gx[8] = {1, -1, 0, 0, 0.7071f, -0.7071f, 0.7071f, -0.7071f};
    static constexpr float gy[8] = {0, 0, 1, -1, 0.7071f, 0.7071f, -0.7071f, -0.7071f};
    const float fx0 = std::floor(x), fy0 = std::floor(y);
    const int xi = static_cast<int>(fx0), yi = static_cast<int>(fy0);
    const float dx = x - fx0, dy = y - fy0;
    auto corner = [&](int i, int j, float ox, float oy) {
        const uint32_t g = Hash(seed, layer, xi + i, yi + j) & 7;
        return gx[g] * ox + gy[g] * oy;
    };
    auto fade = [](float t) { return t * t * t * (t * (t * 6 - 15) + 10); };
    const float u = fade(dx), v = fade(dy);
    const float top = Lerp(corner(0, 0, dx, dy), corner(1, 0, dx - 1, dy), u);
    const float bottom = Lerp(corner(0, 1, dx, dy - 1), corner(1, 1, dx - 1, dy - 1), u);
    return 1.4f * Lerp(top, bottom, v);
}

// The shape of the land over the tile's square (u east, v south, 0 … 1), in
// metres: a rolling base that decides lowland and highland, and ridged
// layers, each turned by its own angle so no crest follows the lattice. A
// weak domain warp bends valleys that would otherwise run straight.
float Landform(float u, float v, uint32_t seed)
{
    const float wu = u + 0.06f * GradientNoise(u * 3, v * 3, seed, 40);
    const float wv = v + 0.06f * GradientNoise(u * 3 + 5.2f, v * 3 + 1.3f, seed, 41);
    const float base = 0.5f + 0.35f * (GradientNoise(wu * 1.5f, wv * 1.5f, seed, 42) +
                                       0.5f * GradientNoise(wu * 3.1f, wv * 3.1f, seed, 43));
    const float highland = std::clamp(base, 0.0f, 1.0f);

    float ridges = 0.0f, weight = 1.0f, frequency = 4.0f, amplitude = 1.0f, total = 0.0f;
    for (uint32_t k = 0; k < 6; ++k) {
        const float angle = 0.9f * static_cast<float>(k) + 6.2832f * Hash01(seed, 60 + k, 0, 0);
        const float cs = std::cos(angle), sn = std::sin(angle);
        const float x = (wu * cs - wv * sn) * frequency, y = (wu * sn + wv * cs) * frequency;
        // 1 - |n| peaks where the noise crosses zero: sharp crests between
        // rounded valleys. Each layer grows where the previous one is high,
        // so small ridges sit on big ones and the valley floors stay smooth.
        float s = 1.0f - std::fabs(GradientNoise(x, y, seed, k));
        s = s * s * weight;
        weight = std::clamp(s * 1.8f, 0.0f, 1.0f);
        ridges += s * amplitude;
        total += amplitude;
        frequency *= 2.0f;
        amplitude *= 0.5f;
    }
    ridges /= total;
    return 150.0f + 700.0f * highland + 3400.0f * ridges * (0.35f + 0.65f * highland);
}

// Landform is smooth at this resolution; the tile interpolates it and adds
// fine detail of its own, which keeps a 3601 tile cheap.
constexpr int FormSide = 769;

std::vector<float> SampleLandform(uint32_t seed)
{
    std::vector<float> form(static_cast<size_t>(FormSide) * FormSide);
    for (int j = 0; j < FormSide; ++j)
        for (int i = 0; i < FormSide; ++i)
            form[static_cast<size_t>(j) * FormSide + i] =
                Landform(static_cast<float>(i) / (FormSide - 1), static_cast<float>(j) / (FormSide - 1), seed);
    return form;
}

// Where each grid column falls between two samples of a coarser grid of
// `cells` cells across the tile.
struct TColumnBlend {
    std::vector<int> cell;
    std::vector<float> t;

    TColumnBlend(int side, int cells, bool smooth)
        : cell(static_cast<size_t>(side)), t(static_cast<size_t>(side))
    {
        for (int c = 0; c < side; ++c) {
            const float x = static_cast<float>(c) / static_cast<float>(side - 1) * static_cast<float>(cells);
            const int i = std::min(static_cast<int>(x), cells - 1);
            const float f = x - static_cast<float>(i);
            cell[static_cast<size_t>(c)] = i;
            t[static_cast<size_t>(c)] = smooth ? f * f * (3 - 2 * f) : f;
        }
    }
};

// Row r of a coarse grid (cells + 1 values a side) blended to `out`, one value per grid column.
void BlendRow(const float *coarse, int cells, float v, bool smooth, const TColumnBlend &columns,
              std::vector<float> &line, float *out, int side)
{
    const float y = v * static_cast<float>(cells);
    const int j = std::min(static_cast<int>(y), cells - 1);
    float t = y - static_cast<float>(j);
    if (smooth)
        t = t * t * (3 - 2 * t);
    const int stride = cells + 1;
    line.resize(static_cast<size_t>(stride));
    for (int i = 0; i < stride; ++i)
        line[static_cast<size_t>(i)] = Lerp(coarse[j * stride + i], coarse[(j + 1) * stride + i], t);
    for (int c = 0; c < side; ++c) {
        const int i = columns.cell[static_cast<size_t>(c)];
        out[c] = Lerp(line[static_cast<size_t>(i)], line[static_cast<size_t>(i) + 1], columns.t[static_cast<size_t>(c)]);
    }
}

// Rough ground: value noise on fine lattices, axis-aligned (too small to show it).
struct TDetailLayer {
    int cells;
    float metres;
    std::vector<float> lattice;
    TColumnBlend columns;

    TDetailLayer(int cells_, float metres_, uint32_t seed, uint32_t layer, int side)
        : cells(cells_), metres(metres_), lattice(static_cast<size_t>(cells_ + 1) * (cells_ + 1)),
          columns(side, cells_, true)
    {
        for (int j = 0; j <= cells; ++j)
            for (int i = 0; i <= cells; ++i)
                lattice[static_cast<size_t>(j) * (cells + 1) + i] = Hash01(seed, layer, i, j) * 2.0f - 1.0f;
    }
};

// A disc in tile coordinates.
struct TDisc {
    float u, v, radius;
    // Squared, in radii: cheap enough for every sample, and 1 at the rim.
    float Distance2(float pu, float pv) const
    {
        const float du = (pu - u) / radius, dv = (pv - v) / radius;
        return du * du + dv * dv;
    }
};

float Smoothstep(float edge0, float edge1, float x)
{
    const float t = std::clamp((x - edge0) / (edge1 - edge0), 0.0f, 1.0f);
    return t * t * (3.0f - 2.0f * t);
}

}  // namespace

std::vector<int16_t> MakeSyntheticHeights(int side, uint32_t seed)
{
    side = std::max(side, 2);
    const std::vector<float> form = SampleLandform(seed);
    const TColumnBlend formColumns(side, FormSide - 1, false);
    TDetailLayer details[] = {{150, 30.0f, seed, 80, side}, {300, 12.0f, seed, 81, side}};

    // The basin lies in the western half and the voids in the eastern, so
    // the two never overlap; the seed moves each within its half.
    auto pick = [&](uint32_t which, float lo, float hi) { return lo + (hi - lo) * Hash01(seed, 100 + which, 0, 0); };
    const TDisc basin{pick(1, 0.2f, 0.35f), pick(2, 0.25f, 0.75f), 0.12f};
    const TDisc voids{pick(3, 0.65f, 0.85f), pick(4, 0.2f, 0.8f), 0.035f};

    std::vector<int16_t> out(static_cast<size_t>(side) * side);
    std::vector<float> line, height(static_cast<size_t>(side)), rough(static_cast<size_t>(side)),
        layer(static_cast<size_t>(side));
    for (int r = 0; r < side; ++r) {
        const float v = static_cast<float>(r) / static_cast<float>(side - 1);
        BlendRow(form.data(), FormSide - 1, v, false, formColumns, line, height.data(), side);
        std::fill(rough.begin(), rough.end(), 0.0f);
        for (const TDetailLayer &d : details) {
            BlendRow(d.lattice.data(), d.cells, v, true, d.columns, line, layer.data(), side);
            for (int c = 0; c < side; ++c)
                rough[static_cast<size_t>(c)] += layer[static_cast<size_t>(c)] * d.metres;
        }

        int16_t *row = &out[static_cast<size_t>(r) * side];
        for (int c = 0; c < side; ++c) {
            const float u = static_cast<float>(c) / static_cast<float>(side - 1);
            const float n = rough[static_cast<size_t>(c)];
            float h = height[static_cast<size_t>(c)] + n;
            const float bd2 = basin.Distance2(u, v);
            if (bd2 < 1.0f)
                h = Lerp(h, -60.0f + 0.6f * n, Smoothstep(1.0f, 0.4f, std::sqrt(bd2)));
            const float vd2 = voids.Distance2(u, v);
            if (vd2 < 2.0f && std::sqrt(vd2) + n / 120.0f < 1.0f)
                row[c] = TSIArray::Void;
            else
                row[c] = static_cast<int16_t>(std::clamp(std::lround(h), -500L, 8800L));
        }
    }
    return out;
}

std::vector<uint8_t> MakeSyntheticHgt(int side, uint32_t seed)
{
    const std::vector<int16_t> heights = MakeSyntheticHeights(side, seed);
    std::vector<uint8_t> bytes(heights.size() * 2);
    for (size_t k = 0; k < heights.size(); ++k) {
        const auto v = static_cast<uint16_t>(heights[k]);
        bytes[2 * k] = static_cast<uint8_t>(v >> 8);
        bytes[2 * k + 1] = static_cast<uint8_t>(v & 0xFF);
    }
    return bytes;
}

void WriteSyntheticTile(const std::string &path, int side, uint32_t seed)
{
    if (side != 1201 && side != 3601)
        throw ETerrainError("a tile has 1201 or 3601 samples per side, not " + std::to_string(side), path);
    const std::vector<uint8_t> bytes = MakeSyntheticHgt(side, seed);
    QSaveFile file(QString::fromStdString(path));
    if (!file.open(QIODevice::WriteOnly) ||
        file.write(reinterpret_cast<const char *>(bytes.data()), static_cast<qint64>(bytes.size())) !=
            static_cast<qint64>(bytes.size()) ||
        !file.commit())
        throw ETerrainError("cannot write the tile: " + file.errorString().toStdString(), path);
}
