// Small pictures with recognisable pixels for the image tests.
#pragma once

#include "GLBMP.h"

#include <cstdint>
#include <vector>

// Every byte of the buffer differs: pixel k (buffer order) holds
// R = 16k + 1, G = 16k + 2, B = 16k + 3, A = 16k + 4.
inline void FillNumbered(TGLBMP &image, int w, int h)
{
    image.SetSize(w, h);
    for (int k = 0; k < w * h; ++k)
        for (int c = 0; c < 4; ++c)
            image.Pixels()[k * 4 + c] = uint8_t(16 * k + c + 1);
}

inline std::vector<uint8_t> Snapshot(const TGLBMP &image)
{
    return image.HasPixels() ? std::vector<uint8_t>(image.Pixels(), image.Pixels() + image.ByteCount())
                             : std::vector<uint8_t>{};
}

// Picture quadrants as a person sees them; the buffer stores the bottom row first.
inline void FillQuadrants(TGLBMP &image, int w, int h, uint32_t topLeft, uint32_t topRight,
                          uint32_t bottomLeft, uint32_t bottomRight, uint8_t alpha)
{
    image.SetSize(w, h);
    for (int row = 0; row < h; ++row) {       // row 0 = bottom of the picture
        for (int x = 0; x < w; ++x) {
            const bool top = row >= h / 2;
            const bool left = x < w / 2;
            const uint32_t rgb = top ? (left ? topLeft : topRight) : (left ? bottomLeft : bottomRight);
            uint8_t *p = image.Pixels() + (size_t(row) * w + x) * 4;
            p[0] = uint8_t(rgb >> 16);
            p[1] = uint8_t(rgb >> 8);
            p[2] = uint8_t(rgb);
            p[3] = alpha;
        }
    }
}
