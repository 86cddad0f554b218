#include "TerrainTexture.h"

#include "ColorRamp.h"
#include "FloatLanes.h"
#include "HugePages.h"
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

bool HasGrid(const TTerrain &t)
{
    return t.GridHigh >= 0 && t.Heights.Size() == t.GridHigh + 1;
}

// The channel products are exact in double, so the truncation sees the true
// value and a product like 172.9999 never rounds up to 173 first.
// `c` is a QRgb (blue in the low byte); its alpha is ignored.
QRgb ShadedPixel(QRgb c, float f)
{
    const auto channel = [f](int v) { return static_cast<QRgb>(static_cast<double>(v) * f); };
    return 0xFF000000u | channel(qRed(c)) << 16 | channel(qGreen(c)) << 8 | channel(qBlue(c));
}

// HeightColorTable in QRgb's byte order, the order the pixels take, for
// every raw sample of `terrain`: a grid of whole metres looks its samples up
// directly, one of finer steps by the metres they stand for.
std::vector<QRgb> PixelColorTable(const TTerrain &terrain)
{
    const std::vector<TColor> metres = HeightColorTable(terrain.SeaLevel);
    const bool wholeMetres = terrain.HeightStep == 1.0 && terrain.HeightBase == 0.0;
    std::vector<QRgb> table;
    table.reserve(65536);
    for (int h = -32768; h <= 32767; ++h) {
        int m = h;
        if (!wholeMetres && h != TSIArray::Void)
            m = static_cast<int>(std::clamp(std::round(terrain.Metres(h)), -32767.0, 32767.0));
        const TColor c = metres[static_cast<size_t>(m + 32768)];
        table.push_back(qRgb(ColorR(c), ColorG(c), ColorB(c)));
    }
    return table;
}

// A w × h Format_RGB32 image in huge pages taken at once (HugePages.h),
// released with the image's last copy: a 3601² texture is 52 MB written at once.
QImage LargeRgb32Image(int w, int h)
{
    const size_t bytes = static_cast<size_t>(w) * static_cast<size_t>(h) * 4;
    struct TOwner {
        void *pixels;
        size_t bytes;
    };
    auto *owner = new TOwner{AllocateLargeMemory(bytes), bytes};
    const auto release = [](void *info) {
        const auto *o = static_cast<TOwner *>(info);
        FreeLargeMemory(o->pixels, o->bytes);
        delete o;
    };
    QImage image(static_cast<uchar *>(owner->pixels), w, h, static_cast<qsizetype>(w) * 4, QImage::Format_RGB32,
                 release, owner);
    if (image.isNull()) {
        release(owner);
        throw std::bad_alloc();
    }
    return image;
}

// Light factors of texels i … of one row whose normals have been spread
// into three arrays, as far as whole groups of lanes go.
template <class T>
void LightFactors(const float *nx, const float *ny, const float *nz, int count, TVec3 light, float diffuse,
                  float ambient, float *f, int &i)
{
    const TVec3T<T> l{light.x, light.y, light.z};
    for (; i + Width<T>() <= count; i += Width<T>()) {
        const TVec3T<T> n = Normalise(TVec3T<T>{LoadAt<T>(nx + i), LoadAt<T>(ny + i), LoadAt<T>(nz + i)});
        StoreAt(Min(Max(Dot(n, l) * T(diffuse) + T(ambient), T(0.0f)), T(1.0f)), f + i);
    }
}

// Colours one texture: what stays the same for every row, prepared once.
// Rows may be coloured on several threads at once, each with its own TRowScratch.
class TTexelShader {
public:
    struct TRowScratch {
        std::vector<float> nx, ny, nz, f;
        explicit TRowScratch(int r) : nx(static_cast<size_t>(r)), ny(nx), nz(nx), f(nx) {}
    };

    // Sizes `bitmap` to Resolution² (throwing std::bad_alloc when it can't)
    // and keeps its memory when the size stays, as it does whenever the sea
    // level moves. Nothing fails after the constructor.
    TTexelShader(const TTerrain &terrain, TVec3 light, float diffuse, float ambient, QImage &bitmap)
        : terrain_(terrain), r_(terrain.Resolution), light_(Normalise(light)), diffuse_(diffuse), ambient_(ambient),
          colors_(PixelColorTable(terrain)), sampleAt_(static_cast<size_t>(r_))
    {
        const int64_t n = terrain.GridHigh;
        for (int i = 0; i < r_; ++i)
            sampleAt_[static_cast<size_t>(i)] = static_cast<int>(i * n / r_);
        if (bitmap.size() != QSize(r_, r_) || bitmap.format() != QImage::Format_RGB32) {
            QImage fresh = LargeRgb32Image(r_, r_);
            bitmap.swap(fresh);
        }
        // Row addresses are taken here: QImage's own accessors may detach,
        // which is not for several threads at once.
        bits_ = bitmap.bits();
        stride_ = bitmap.bytesPerLine();
    }

    // Row y; without normals every texel gets its full colour.
    void Row(int y, const TNormal *normals, TRowScratch &s) const
    {
        const float *f = normals ? LightRow(normals, s) : nullptr;
        const int16_t *src = terrain_.Heights.Row(sampleAt_[static_cast<size_t>(y)]);
        auto *dst = reinterpret_cast<QRgb *>(bits_ + y * stride_);
        const auto color = [&](int x) {
            return colors_[static_cast<size_t>(src[sampleAt_[static_cast<size_t>(x)]] + 32768)];
        };
        int x = 0;
#ifdef OROLITH_FLOAT_LANES
        // Four texels at a time, bit for bit as ShadedPixel.
        for (; x + TFloat4::Width <= r_; x += TFloat4::Width) {
            const uint32_t c[TFloat4::Width] = {color(x), color(x + 1), color(x + 2), color(x + 3)};
            ScaleLowBytes(c, f ? TFloat4::Load(f + x) : TFloat4(1.0f), 0xFF, dst + x);
        }
#endif
        for (; x < r_; ++x)
            dst[x] = ShadedPixel(color(x), f ? f[x] : 1.0f);
    }

private:
    const float *LightRow(const TNormal *normals, TRowScratch &s) const
    {
        for (int i = 0; i < r_; ++i) {
            s.nx[static_cast<size_t>(i)] = normals[i].x;
            s.ny[static_cast<size_t>(i)] = normals[i].y;
            s.nz[static_cast<size_t>(i)] = normals[i].z;
        }
        int i = 0;
#ifdef OROLITH_FLOAT_LANES
        LightFactors<TFloat4>(s.nx.data(), s.ny.data(), s.nz.data(), r_, light_, diffuse_, ambient_, s.f.data(), i);
#endif
        LightFactors<float>(s.nx.data(), s.ny.data(), s.nz.data(), r_, light_, diffuse_, ambient_, s.f.data(), i);
        return s.f.data();
    }

    const TTerrain &terrain_;
    int r_;
    TVec3 light_;
    float diffuse_, ambient_;
    std::vector<QRgb> colors_;
    std::vector<int> sampleAt_;  // grid sample under texel i, for rows and columns
    uchar *bits_ = nullptr;
    qsizetype stride_ = 0;
};

std::function<void(int)> FractionOf(int total, const std::function<void(float)> &progress)
{
    return [total, &progress](int done) {
        if (progress)
            progress(total == 0 ? 1.0f : static_cast<float>(done) / static_cast<float>(total));
    };
}

} // namespace

void ShadeTexels(const TTerrain &terrain, const TNormalMap &normals, TVec3 light, float diffuse,
                 float ambient, QImage &bitmap, int threads, const std::function<void(float fraction)> &progress)
{
    const int r = std::max(terrain.Resolution, 0);
    if (progress)
        progress(0);
    if (r == 0 || !HasGrid(terrain)) {
        bitmap = QImage();
        if (progress)
            progress(1);
        return;
    }
    const bool shade = terrain.Shading && normals.size() == static_cast<size_t>(r) * r;
    std::vector<TTexelShader::TRowScratch> scratch(static_cast<size_t>(ResolveThreadCount(threads)),
                                                   TTexelShader::TRowScratch(shade ? r : 0));
    const TTexelShader shader(terrain, light, diffuse, ambient, bitmap);  // last: it may replace the bitmap
    ParallelRows(r, threads, [&](int y, int worker) {
        shader.Row(y, shade ? normals.data() + static_cast<size_t>(y) * r : nullptr, scratch[static_cast<size_t>(worker)]);
    }, FractionOf(r, progress));
}

void TTerrain::ComputeTexture()
{
    if (!HasGrid(*this) || Resolution < 1) {
        TextureBitmap = QImage();
        return;
    }
    const int r = Resolution;
    const std::string side = std::to_string(r);
    if (r > MaxTextureResolution)
        throw ETerrainError("A texture of " + side + " × " + side + " texels is too large (at most " +
                                std::to_string(MaxTextureResolution) + " a side)",
                            FileName);
    DoProgress(0);
    try {
        // Each band's normals are coloured as soon as they are known, so
        // the whole normal map never has to exist at once.
        struct TWorker {
            TNormalRows normals;
            std::vector<TNormal> band;
            TTexelShader::TRowScratch scratch;
        };
        std::vector<TWorker> workers;
        const int count = ResolveThreadCount(TextureThreads);
        workers.reserve(static_cast<size_t>(count));
        for (int i = 0; i < count; ++i)
            workers.push_back({i == 0 ? TNormalRows(*this) : workers.front().normals.Share(),
                               std::vector<TNormal>(Shading ? static_cast<size_t>(NormalBandRows) * r : 0),
                               TTexelShader::TRowScratch(Shading ? r : 0)});
        // The shader comes last: it may replace the bitmap, and any memory
        // that runs out before it leaves the old texture as it was.
        GradientColors = Gradient;
        const TTexelShader shader(*this, LightDir, Diffuse, Ambient, TextureBitmap);
        const int bands = (r + NormalBandRows - 1) / NormalBandRows;
        ParallelBands(bands, r, TextureThreads, [&](int band, int worker, const std::function<void()> &rowDone) {
            TWorker &w = workers[static_cast<size_t>(worker)];
            const int first = band * NormalBandRows, last = std::min(first + NormalBandRows, r);
            if (Shading)
                w.normals.Compute(first, last, w.band.data());
            for (int y = first; y < last; ++y) {
                shader.Row(y, Shading ? w.band.data() + static_cast<size_t>(y - first) * r : nullptr, w.scratch);
                rowDone();
            }
        }, [&](int done) { DoProgress(static_cast<float>(done) / static_cast<float>(r)); });
    } catch (const std::bad_alloc &) {
        throw ETerrainError("Not enough memory for a texture of " + side + " × " + side + " texels", FileName);
    }
}

void TTerrain::BuildTexture()
{
    GradientColors = Gradient;
    ComputeTexture();
    TextureBuilt = !TextureBitmap.isNull();
}
