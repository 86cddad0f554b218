#include "ColorRamp.h"

#include "HeightGrid.h"

#include <cmath>

namespace {

std::vector<TColorStop> StandardStops()
{
    return {
        {TSIArray::Void, MakeColor(0, 0, 255)},
        {0, MakeColor(8, 0, 132)},
        {10, MakeColor(0, 99, 0)},
        {30, MakeColor(57, 148, 33)},
        {100, MakeColor(181, 222, 132)},
        {150, MakeColor(247, 247, 156)},
        {200, MakeColor(247, 247, 132)},
        {250, MakeColor(239, 222, 57)},
        {300, MakeColor(214, 181, 8)},
        {350, MakeColor(189, 140, 24)},
        {450, MakeColor(173, 115, 41)},
        {1500, MakeColor(132, 49, 24)},
        {2000, MakeColor(107, 8, 0)},
        {3000, MakeColor(99, 0, 0)},
        {4200, MakeColor(155, 0, 0)},
        {5000, MakeColor(216, 77, 61)},
        {6500, MakeColor(227, 132, 121)},
        {7250, MakeColor(236, 171, 164)},
        {8000, MakeColor(242, 197, 191)},
        {32767, MakeColor(255, 255, 255)},
    };
}

int Blend(int lower, int upper, double t)
{
    return static_cast<int>(std::trunc((upper - lower) * t + lower));
}

} // namespace

std::vector<TColorStop> ColorTable = StandardStops();
bool GradientColors = false;

void AddColorStop(int16_t height, TColor color)
{
    ColorTable.push_back({height, color});
}

void InitColorTable()
{
    ColorTable.clear();
    for (const TColorStop &s : StandardStops())
        AddColorStop(s.Height, s.Color);
}

namespace {

// The colour of the height d above the sea, given the index of the first
// stop at or above it (or of the last stop when none is).
TColor StopColor(int d, size_t upper)
{
    const TColorStop &hi = ColorTable[upper];
    const TColorStop &lo = ColorTable[upper == 0 ? 0 : upper - 1];
    if (!GradientColors || hi.Height <= lo.Height || d > hi.Height)
        return hi.Color;
    const double t = static_cast<double>(d - lo.Height) / (hi.Height - lo.Height);
    return MakeColor(Blend(ColorR(lo.Color), ColorR(hi.Color), t), Blend(ColorG(lo.Color), ColorG(hi.Color), t),
                     Blend(ColorB(lo.Color), ColorB(hi.Color), t));
}

// Moves `upper` on to the first stop at or above d. A table that stops short
// of 32767 leaves the highest ground in its last colour.
void FindUpperStop(int d, size_t &upper)
{
    while (upper + 1 < ColorTable.size() && ColorTable[upper].Height < d)
        ++upper;
}

} // namespace

TColor HeightColor(int16_t h, int sea)
{
    if (ColorTable.empty())
        return 0;
    if (h == TSIArray::Void)
        return ColorTable.front().Color;
    const auto d = static_cast<int16_t>(static_cast<uint16_t>(h - sea));
    size_t upper = 0;
    FindUpperStop(d, upper);
    return StopColor(d, upper);
}

std::vector<TColor> HeightColorTable(int sea)
{
    std::vector<TColor> table(65536, 0);
    if (ColorTable.empty())
        return table;
    // Every d = h − sea once, in ascending order, so the stop search only
    // ever moves forward.
    size_t upper = 0;
    for (int d = -32768; d <= 32767; ++d) {
        FindUpperStop(d, upper);
        const auto h = static_cast<int16_t>(static_cast<uint16_t>(d + sea));
        table[static_cast<size_t>(h + 32768)] = StopColor(d, upper);
    }
    table[0] = ColorTable.front().Color;  // voids, whatever the sea level
    return table;
}
