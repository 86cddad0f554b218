// The pixel buffer of TGLBMP: sizing, copying the terrain texture in, and the
// in-place image operations.
#include "GLBMP.h"

#include <algorithm>
#include <cstring>
#include <vector>

TGLBMP::TGLBMP() = default;

void TGLBMP::SetSize(int w, int h)
{
    FreePixels();
    width_ = std::max(w, 0);
    height_ = std::max(h, 0);
    bitsPerPixel_ = 32;
    if (ByteCount() > 0)
        pixels_ = std::make_unique_for_overwrite<uint8_t[]>(ByteCount());
}

void TGLBMP::FreePixels()
{
    pixels_.reset();
}

void TGLBMP::SwapRedBlue()
{
    uint8_t *p = pixels_.get();
    if (!p)
        return;
    for (size_t i = 0, n = ByteCount(); i < n; i += 4)
        std::swap(p[i], p[i + 2]);
}

bool TGLBMP::MirrorHorizontal()
{
    if (!HasPixels())
        return false;
    auto *pixels = reinterpret_cast<uint32_t *>(pixels_.get());
    for (int row = 0; row < height_; ++row) {
        uint32_t *line = pixels + size_t(row) * size_t(width_);
        std::reverse(line, line + width_);
    }
    return true;
}

bool TGLBMP::FlipVertical()
{
    if (!HasPixels())
        return false;
    const size_t stride = size_t(width_) * 4;
    std::vector<uint8_t> spare(stride);
    for (int top = 0, bottom = height_ - 1; top < bottom; ++top, --bottom) {
        uint8_t *a = pixels_.get() + size_t(top) * stride;
        uint8_t *b = pixels_.get() + size_t(bottom) * stride;
        std::memcpy(spare.data(), a, stride);
        std::memcpy(a, b, stride);
        std::memcpy(b, spare.data(), stride);
    }
    return true;
}

bool TGLBMP::Rotate180()
{
    return MirrorHorizontal() && FlipVertical();
}

bool TGLBMP::Invert()
{
    if (!HasPixels())
        return false;
    uint8_t *p = pixels_.get();
    for (size_t i = 0, n = ByteCount(); i < n; ++i)
        p[i] = uint8_t(255 - p[i]);
    return true;
}

void AssignBitmap(const QImage &bitmap, TGLBMP &image)
{
    // RGB32 and ARGB32 both hold one QRgb per pixel; the alpha of either is
    // replaced, since the terrain texture is opaque.
    const bool direct = bitmap.format() == QImage::Format_RGB32 || bitmap.format() == QImage::Format_ARGB32;
    const QImage source = direct || bitmap.isNull() ? bitmap : bitmap.convertToFormat(QImage::Format_RGB32);
    image.SetSize(source.width(), source.height());
    uint8_t *out = image.Pixels();
    if (!out)
        return;
    const int w = source.width();
    const int h = source.height();
    for (int row = h - 1; row >= 0; --row) {   // bottom row of the picture first
        const auto *line = reinterpret_cast<const QRgb *>(source.constScanLine(row));
        for (int x = 0; x < w; ++x, out += 4) {
            out[0] = uint8_t(qRed(line[x]));
            out[1] = uint8_t(qGreen(line[x]));
            out[2] = uint8_t(qBlue(line[x]));
            out[3] = 255;
        }
    }
}
