#include "WorldMap.h"

#include "TileAvailability.h"

#include <QPainter>
#include <QSvgRenderer>

#include <cmath>

void DrawMapRegion(int l1, int b1, int l2, int b2, QImage &canvas, QSvgRenderer &picture)
{
    const int x1 = l1 + 180;
    const int x2 = l2 + 180;
    const int y1 = 90 - b1;
    const int y2 = 90 - b2;
    const double fx = static_cast<double>(canvas.width()) / (x2 - x1);   // pixels per degree
    const double fy = static_cast<double>(canvas.height()) / (y2 - y1);
    const QRectF world(std::lround(-x1 * fx), std::lround(-y1 * fy), std::lround(360 * fx), std::lround(180 * fy));

    QPainter painter(&canvas);
    painter.fillRect(canvas.rect(), Qt::white);
    picture.setAspectRatioMode(Qt::IgnoreAspectRatio);
    picture.render(&painter, world);
}

void DrawGraticule(QImage &worldMap)
{
    QPainter painter(&worldMap);
    painter.setPen(QPen(MapColors::Graticule, 0));
    // The lines at 180 and 360 lie on the outer edge, just outside the bitmap.
    for (int y = 30; y <= 180; y += 30)
        painter.drawLine(0, y, worldMap.width(), y);
    for (int x = 30; x <= 360; x += 30)
        painter.drawLine(x, 0, x, worldMap.height());
}

void MarkTiles(QImage &worldMap, const TTileAvailability &tiles)
{
    const QRgb green = MapColors::Tile.rgb();
    for (int lon = TTileAvailability::MinLon; lon <= TTileAvailability::MaxLon; ++lon)
        for (int lat = TTileAvailability::MinLat; lat <= TTileAvailability::MaxLat; ++lat) {
            const int x = lon + 180;
            const int y = 90 - lat;
            // The corners on the eastern edge and the south pole have no pixel.
            if (tiles.Get(lat, lon) && worldMap.valid(x, y))
                worldMap.setPixel(x, y, green);
        }
}

void DrawTileCircles(QImage &partMap, const TPartGeometry &part, const TTileAvailability &tiles,
                     bool hasPick, int pickedLat, int pickedLon, int pickedSide)
{
    constexpr int cell = TPartGeometry::PixelsPerDegree;
    QPainter painter(&partMap);
    painter.setBrush(Qt::NoBrush);
    for (int lon = part.Left; lon <= part.Left + TPartGeometry::Degrees; ++lon)
        for (int lat = part.Top - TPartGeometry::Degrees; lat <= part.Top; ++lat) {
            if (!tiles.Get(lat, lon))
                continue;
            const bool picked = hasPick && lat >= pickedLat && lat < pickedLat + pickedSide && lon >= pickedLon &&
                                lon < pickedLon + pickedSide;
            painter.setPen(QPen(picked ? MapColors::Picked : MapColors::Tile, 0));
            const int x = (lon - part.Left) * cell;
            const int y = (part.Top - lat - 1) * cell;
            // A cosmetic pen outlines x … x + width inclusive: the circle fills
            // the 12 × 12 cell and touches none of its neighbours.
            painter.drawEllipse(QRect(x, y, cell - 1, cell - 1));
        }
}
