// The elevation profile as a picture: the terrain's heights against distance
// and, where the track recorded them, its own heights as a second line;
// drawn with QPainter for the profile panel, PNG and SVG files alike.
#pragma once

#include "Profile.h"

#include <optional>
#include <string>

class QPainter;
class QRectF;

// Paints the profile into `area`; `markDistance` (metres along the line),
// when given, draws the marker of the point under the mouse.
void PaintProfile(QPainter &painter, const QRectF &area, const TProfile &profile,
                  std::optional<double> markDistance = std::nullopt);

// Where a horizontal position in `area` falls along the line, metres.
double ProfileDistanceAt(const QRectF &area, const TProfile &profile, double x);

// Writes the plot as .png or .svg (by extension), `width` × `height` pixels,
// put in place only when complete. Throws ETerrainError naming the file.
void WriteProfilePicture(const TProfile &profile, const std::string &path, int width = 1200, int height = 400);
