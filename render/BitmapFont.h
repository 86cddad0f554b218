// The label font as one picture of all its glyphs (an atlas), so that labels
// are drawn as textured quads from a single texture: no font rasterisation
// and no per-character GL call in a frame. Each glyph is there twice: as it
// is, and grown by a halo that keeps the text readable on any ground.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

struct TGlyphWidth;

// Cell height (ascent + descent) of the label font, pixels.
inline constexpr int LabelFontCellHeight = 22;
// Codes 0 … LastGlyphCode have a glyph (Latin-1).
inline constexpr int LastGlyphCode = 254;
// Width of the halo around every glyph, pixels.
inline constexpr int LabelHaloPixels = 1;

// Where a glyph's picture (with its halo) lies relative to the pen on the
// baseline, pixels (y up), and where it lies in the atlas (texture
// coordinates, t down from the atlas's first row).
struct TAtlasGlyph {
    int Left = 0, Bottom = 0, Width = 0, Height = 0;
    float S0 = 0, T0 = 0, S1 = 0, T1 = 0;
    int Advance = 0;
};

struct TLabelAtlas {
    int Width = 0, Height = 0;
    // One alpha byte a pixel, rows from the top: the glyphs, and the glyphs
    // grown by the halo.
    std::vector<uint8_t> Text, Halo;
    std::array<TAtlasGlyph, 256> Glyphs{};
    int Descent = 0;

    // Pen advance of a text of glyph codes, pixels.
    int TextWidth(const std::string &codes) const;
};

// The atlas of an Arial-metric font (Liberation Sans), not antialiased, and
// the A, B, C spacing of codes 0 … 255.
TLabelAtlas BuildLabelAtlas(std::array<TGlyphWidth, 256> &widths);

// The glyph codes of a UTF-8 text: one byte per character, characters
// without a glyph as '?'.
std::string GlyphCodes(const std::string &utf8);
