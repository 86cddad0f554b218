// Glyph display lists for drawing labels at a raster position: one glBitmap
// list per character code, built once per context, so a label costs one list
// call per character and no font rasterisation per frame.
#pragma once

#include <array>
#include <string>

struct TGlyphWidth;

// Cell height (ascent + descent) of the label font, pixels.
inline constexpr int LabelFontCellHeight = 22;
// Codes 0 … LastGlyphCode have a glyph list (Latin-1).
inline constexpr int LastGlyphCode = 254;

// Makes 256 display lists in the current context and fills lists 0 … 254
// with the glyphs of an Arial-metric font (Liberation Sans), not
// antialiased; returns the first list name (0 when GL made none). Reads the
// A, B, C spacing of codes 0 … 255 into widths.
unsigned BuildBitmapFont(std::array<TGlyphWidth, 256> &widths);

// The list offsets for a UTF-8 text: one byte per character, characters
// without a glyph as '?'.
std::string GlyphCodes(const std::string &utf8);
