// Terrains filled straight into the grid for the texture tests: no file, and
// every height chosen by the test.
#pragma once

#include "Terrain.h"

#include <QImage>

#include <algorithm>
#include <cstdint>
#include <functional>
#include <random>

// A grid of side n (GridHigh n − 1) with height(column, row); MinHeight and
// MaxHeight as a tile load would set them.
inline void FillTerrain(TTerrain &t, int n, const std::function<int16_t(int col, int row)> &height)
{
    t.Heights.SetSize(n);
    t.GridHigh = n - 1;
    t.MinHeight = 9999999;
    t.MaxHeight = -9999999;
    for (int row = 0; row < n; ++row)
        for (int col = 0; col < n; ++col) {
            const int16_t h = height(col, row);
            t.Heights(col, row) = h;
            if (h != TSIArray::Void) {
                t.MinHeight = std::min<int>(t.MinHeight, h);
                t.MaxHeight = std::max<int>(t.MaxHeight, h);
            }
        }
}

// Steep random relief from 0 to 3000 m with scattered voids.
inline void FillRoughTerrain(TTerrain &t, int n, uint32_t seed)
{
    std::mt19937 random(seed);
    std::uniform_int_distribution<int> metres(0, 3000), voids(0, 40);
    FillTerrain(t, n, [&](int, int) { return static_cast<int16_t>(voids(random) == 0 ? TSIArray::Void : metres(random)); });
}

struct TRgb {
    int r, g, b;
    bool operator==(const TRgb &) const = default;
};

inline TRgb TexelAt(const QImage &image, int x, int y)
{
    const QRgb p = image.pixel(x, y);
    return {qRed(p), qGreen(p), qBlue(p)};
}

inline std::ostream &operator<<(std::ostream &out, const TRgb &c)
{
    return out << '(' << c.r << ", " << c.g << ", " << c.b << ')';
}
