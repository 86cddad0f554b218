// Drawing the tile browser's maps: a region of the world coastline stretched
// onto a bitmap, the 30° graticule, the marks of available tiles and the
// circles of the enlarged part.
//
// Map geometry is equirectangular: a map point lies x = longitude + 180 and
// y = 90 − latitude degrees from the top-left corner of the 360 × 180 world.
#pragma once

#include <QColor>
#include <QImage>

class QSvgRenderer;
class TTileAvailability;

namespace MapColors {
inline const QColor Graticule{0xC0, 0xC0, 0xC0};  // silver
inline const QColor Tile{0xE8, 0x10, 0x00};       // signal red: a tile file exists
inline const QColor Picked{0x00, 0x00, 0xFF};     // blue: the picked tile
inline const QColor Label{0x30, 0x30, 0x30};      // degree labels
}

// Fills the whole canvas white and stretches the world picture so that the
// region from west longitude l1 / north latitude b1 to east longitude l2 /
// south latitude b2 (whole degrees) covers exactly the canvas; the rest of the
// world falls outside and is clipped.
void DrawMapRegion(int l1, int b1, int l2, int b2, QImage &canvas, QSvgRenderer &picture);

// Silver lines every `step` degrees inside the region drawn by DrawMapRegion
// (west l1, north b1, east l2, south b2), labelled with their degrees
// ("30°N", "0°", "60°W"): every latitude line at the left edge, just above
// the line, and every `lonLabelStep` degrees of longitude (a multiple of
// `step`) at the top edge, just right of the line.
void DrawDegreeLines(int l1, int b1, int l2, int b2, QImage &canvas, int step, int lonLabelStep);

// A square of 4 × 4 pixels centred on every available tile's one-degree cell
// (longitude + 180, 89 − latitude): a single tile is seen at a glance.
void MarkTiles(QImage &worldMap, const TTileAvailability &tiles);

// The enlarged part of 30° × 30° at 12 pixels per degree, its north-west
// corner at (partTop, partLeft).
struct TPartGeometry {
    static constexpr int Degrees = 30;
    static constexpr int PixelsPerDegree = 12;
    int Top = 0;   // latitude of the northern edge
    int Left = 0;  // longitude of the western edge
};

// One circle outlined 2 pixels wide per available tile of the part: blue for the picked
// tiles (when `hasPick`: the block of pickedSide × pickedSide tiles whose
// south-west tile is at pickedLat, pickedLon), green for the others. A
// tile's circle sits in the cell whose south-west corner is the tile's.
void DrawTileCircles(QImage &partMap, const TPartGeometry &part, const TTileAvailability &tiles,
                     bool hasPick, int pickedLat, int pickedLon, int pickedSide = 1);
