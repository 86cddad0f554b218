#include "WorldMap.h"

#include "TileAvailability.h"

#include <QPainter>
#include <QSvgRenderer>

#include <algorithm>
#include <cmath>
#include <cstdlib>

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

namespace {

QString DegreeText(int degrees, char positive, char negative)
{
    if (degrees == 0 || degrees == 180 || degrees == -180)
        return QStringLiteral("%1\u00B0").arg(std::abs(degrees));
    return QStringLiteral("%1\u00B0%2").arg(std::abs(degrees)).arg(QLatin1Char(degrees > 0 ? positive : negative));
}

// Text on a pale box so that it reads over coastlines; `at` is the box's
// bottom-left corner when `above`, else its top-left corner.
void DrawLabel(QPainter &painter, QPoint at, bool above, const QString &text)
{
    const QFontMetrics metrics = painter.fontMetrics();
    QRect box(0, 0, metrics.horizontalAdvance(text) + 2, metrics.height());
    box.moveLeft(at.x());
    if (above)
        box.moveBottom(at.y());
    else
        box.moveTop(at.y());
    painter.fillRect(box, QColor(255, 255, 255, 200));
    painter.drawText(box, Qt::AlignCenter, text);
}

}  // namespace

void DrawDegreeLines(int l1, int b1, int l2, int b2, QImage &canvas, int step, int lonLabelStep)
{
    const double fx = static_cast<double>(canvas.width()) / (l2 - l1);  // pixels per degree
    const double fy = static_cast<double>(canvas.height()) / (b1 - b2);
    // The first multiple of `step` beyond `from`: lines on the edges are left out.
    const auto firstAfter = [step](int from) { return (static_cast<int>(std::floor(double(from) / step)) + 1) * step; };
    QPainter painter(&canvas);
    painter.setPen(QPen(MapColors::Graticule, 0));
    for (int lat = firstAfter(b2); lat < b1; lat += step) {
        const int y = static_cast<int>(std::lround((b1 - lat) * fy));
        painter.drawLine(0, y, canvas.width(), y);
    }
    for (int lon = firstAfter(l1); lon < l2; lon += step) {
        const int x = static_cast<int>(std::lround((lon - l1) * fx));
        painter.drawLine(x, 0, x, canvas.height());
    }
    QFont font = painter.font();
    font.setPixelSize(std::clamp(static_cast<int>(fx * step / 3.5), 8, 11));
    painter.setFont(font);
    painter.setPen(MapColors::Label);
    for (int lat = firstAfter(b2); lat < b1; lat += step) {
        const int y = static_cast<int>(std::lround((b1 - lat) * fy));
        DrawLabel(painter, QPoint(1, y - 1), true, DegreeText(lat, 'N', 'S'));
    }
    for (int lon = firstAfter(l1); lon < l2; lon += step)
        if (lon % lonLabelStep == 0) {
            const int x = static_cast<int>(std::lround((lon - l1) * fx));
            DrawLabel(painter, QPoint(x + 2, 1), false, DegreeText(lon, 'E', 'W'));
        }
}

void MarkTiles(QImage &worldMap, const TTileAvailability &tiles)
{
    QPainter painter(&worldMap);
    for (int lon = TTileAvailability::MinLon; lon <= TTileAvailability::MaxLon; ++lon)
        for (int lat = TTileAvailability::MinLat; lat <= TTileAvailability::MaxLat; ++lat) {
            const QPoint cell(lon + 180, 89 - lat);
            // Corners on the northern and eastern edges name no tile of the
            // world. The mark reaches one pixel beyond the cell on the near
            // sides and two on the far ones: centred on the degree it covers.
            if (tiles.Get(lat, lon) && worldMap.rect().contains(cell))
                painter.fillRect(QRect(cell - QPoint(1, 1), QSize(4, 4)), MapColors::Tile);
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
            painter.setPen(QPen(picked ? MapColors::Picked : MapColors::Tile, 2));
            const int x = (lon - part.Left) * cell;
            const int y = (part.Top - lat - 1) * cell;
            // The 2-pixel pen straddles the path: the circle fills the
            // 12 × 12 cell and touches none of its neighbours.
            painter.drawEllipse(QRectF(x + 1, y + 1, cell - 2, cell - 2));
        }
}
