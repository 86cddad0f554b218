#include "TerrainTexture.h"

#include "ColorRamp.h"
#include "ParallelRows.h"
#include "Terrain.h"
#include "TerrainError.h"

#include <algorithm>
#include <cmath>
#include <new>
#include <numbers>

const TVec3 LightDir{static_cast<float>(std::sin(225 * std::numbers::pi / 180)), 0.5f,
                     static_cast<float>(std::cos(225 * std::numbers::pi / 180))};

namespace {

constexpr float Diffuse = 0.8f;
constexpr float Ambient = 0.6f;

// The channel products are exact in double, so the truncation sees the true
// value and a product like 172.9999 never rounds up to 173 first.
QRgb ShadedPixel(TColor c, float f)
{
    const auto channel = [f](int v) { return static_cast<QRgb>(static_cast<double>(v) * f); };
    return 0xFF000000u | channel(ColorR(c)) << 16 | channel(ColorG(c)) << 8 | channel(ColorB(c));
}

float LightFactor(TNormal normal, TVec3 light, float diffuse, float ambient)
{
    const TVec3 n = Normalise(TVec3{static_cast<float>(normal.x), static_cast<float>(normal.y), static_cast<float>(normal.z)});
    return std::clamp(Dot(n, light) * diffuse + ambient, 0.0f, 1.0f);
}

bool HasGrid(const TTerrain &t)
{
    return t.GridHigh >= 0 && t.Heights.Size() == t.GridHigh + 1;
}

} // namespace

void ShadeTexels(const TTerrain &terrain, const TNormalMap &normals, TVec3 light, float diffuse,
                 float ambient, QImage &bitmap, int threads, const std::function<void(float fraction)> &progress)
{
    const int r = std::max(terrain.Resolution, 0);
    const int64_t n = std::max(terrain.GridHigh, 0);
    const bool shade = terrain.Shading && normals.size() == static_cast<size_t>(r) * r;
    const TVec3 l = Normalise(light);
    if (progress)
        progress(0);
    if (r == 0 || !HasGrid(terrain)) {
        bitmap = QImage();
        if (progress)
            progress(1);
        return;
    }

    const std::vector<TColor> colors = HeightColorTable(terrain.SeaLevel);
    std::vector<int> sampleAt(static_cast<size_t>(r));
    for (int i = 0; i < r; ++i)
        sampleAt[static_cast<size_t>(i)] = static_cast<int>(i * n / r);
    // The bitmap's memory is reused when the size stays, as it does whenever
    // the sea level moves. Nothing after this point can fail.
    if (bitmap.size() != QSize(r, r) || bitmap.format() != QImage::Format_RGB32) {
        QImage fresh(r, r, QImage::Format_RGB32);
        if (fresh.isNull())
            throw std::bad_alloc();
        bitmap.swap(fresh);
    }
    // Row addresses are taken here: QImage's own accessors may detach, which
    // is not for several threads at once.
    uchar *bits = bitmap.bits();
    const qsizetype stride = bitmap.bytesPerLine();

    ParallelRows(r, threads, [&](int y) {
        const int16_t *src = terrain.Heights.Row(sampleAt[static_cast<size_t>(y)]);
        auto *dst = reinterpret_cast<QRgb *>(bits + y * stride);
        const TNormal *rowNormals = shade ? normals.data() + static_cast<size_t>(y) * r : nullptr;
        for (int x = 0; x < r; ++x) {
            const TColor c = colors[static_cast<size_t>(src[sampleAt[static_cast<size_t>(x)]] + 32768)];
            dst[x] = ShadedPixel(c, shade ? LightFactor(rowNormals[x], l, diffuse, ambient) : 1.0f);
        }
    }, [&](int done) {
        if (progress)
            progress(static_cast<float>(done) / static_cast<float>(r));
    });
}

void TTerrain::ComputeTexture()
{
    if (!HasGrid(*this) || Resolution < 1) {
        TextureBitmap = QImage();
        return;
    }
    DoProgress(0);
    try {
        // Normals are most of the work; the bar gives them its first half.
        // They are computed before the bitmap is touched, so running out of
        // memory leaves the old texture as it was.
        TNormalMap normals;
        const float shadeFrom = Shading ? 0.5f : 0.0f;
        if (Shading)
            ComputeNormalMap(*this, normals, TextureThreads, [this](float f) { DoProgress(f * 0.5f); });
        GradientColors = Gradient;
        ShadeTexels(*this, normals, LightDir, Diffuse, Ambient, TextureBitmap, TextureThreads,
                    [&](float f) { DoProgress(shadeFrom + (1.0f - shadeFrom) * f); });
    } catch (const std::bad_alloc &) {
        const std::string side = std::to_string(Resolution);
        throw ETerrainError("Not enough memory for a texture of " + side + " × " + side + " texels", FileName);
    }
}

void TTerrain::BuildTexture()
{
    GradientColors = Gradient;
    ComputeTexture();
    TextureBuilt = !TextureBitmap.isNull();
}
