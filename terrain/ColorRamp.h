// The height-to-colour ramp of the terrain texture: stops in metres above the
// sea level, each with the colour of the heights just below it, or a smooth
// blend between neighbouring stops.
#pragma once

#include <cstdint>
#include <vector>

// Colours are 24-bit values with red in the low byte and blue in the high one.
using TColor = uint32_t;

constexpr TColor MakeColor(int r, int g, int b)
{
    return static_cast<TColor>(r) | static_cast<TColor>(g) << 8 | static_cast<TColor>(b) << 16;
}
constexpr int ColorR(TColor c) { return static_cast<int>(c & 0xFF); }
constexpr int ColorG(TColor c) { return static_cast<int>(c >> 8 & 0xFF); }
constexpr int ColorB(TColor c) { return static_cast<int>(c >> 16 & 0xFF); }

struct TColorStop {
    int16_t Height;  // metres relative to the sea level
    TColor Color;
};

// Shared by every terrain, in ascending Height. Holds the standard ramp from
// program start; InitColorTable restores it.
extern std::vector<TColorStop> ColorTable;
// Blend between stops instead of taking the next stop's colour. Set from the
// terrain's Gradient by the texture computation before it colours.
extern bool GradientColors;

void AddColorStop(int16_t height, TColor color);
// Empties ColorTable and fills it with the standard 20 stops, from the void
// marker -32768 (pure blue) through water, lowland green, ochre and brown
// highlands and reds up to white at 32767.
void InitColorTable();

// Colour of the raw grid height h for the sea level `sea`. Voids are always
// the first stop's colour. h − sea wraps around in 16 bits, as the heights
// themselves do.
TColor HeightColor(int16_t h, int sea);

// HeightColor for every possible height at once, indexed by h + 32768: one
// table per texture is far cheaper than a search per texel.
std::vector<TColor> HeightColorTable(int sea);
