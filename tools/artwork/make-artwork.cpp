// Paints the about box's product picture and the program icon from the
// colour relief of a made-up tile, so the artwork shows what the program
// itself draws. Run once through make-artwork.sh; the PNGs are committed.
#include "SyntheticTile.h"
#include "Terrain.h"

#include <QFont>
#include <QGuiApplication>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>

static QImage Relief(const std::string &tile, uint32_t seed, int resolution)
{
    WriteSyntheticTile(tile, 1201, seed);
    TTerrain terrain;
    terrain.LoadFromFile(tile);
    // Squeeze the relief into the lowlands of the colour ramp, where it runs
    // from sea blue through greens and yellows to brown: a livelier picture
    // than the made-up tile's alpine heights. Voids become sea.
    const double span = std::max(terrain.MaxHeight - terrain.MinHeight, 1);
    for (int row = 0; row <= terrain.GridHigh; ++row) {
        int16_t *h = terrain.Heights.Row(row);
        for (int col = 0; col <= terrain.GridHigh; ++col)
            h[col] = h[col] == TSIArray::Void ? -5
                                              : static_cast<int16_t>(std::pow((h[col] - terrain.MinHeight) / span, 2.2) * 900.0 - 30.0);
    }
    terrain.Resolution = resolution;
    terrain.Gradient = true;
    terrain.BuildTexture();
    return terrain.TextureBitmap;
}

static QImage ProductPicture(const QImage &relief)
{
    QImage pic(260, 100, QImage::Format_RGB32);
    QPainter p(&pic);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::SmoothPixmapTransform);
    // A wide strip of the relief, darkened towards the left where the name sits.
    p.drawImage(QRect(0, 0, 260, 100), relief, QRect(0, relief.height() * 3 / 8, relief.width(), relief.width() * 100 / 260));
    QLinearGradient shade(0, 0, 260, 0);
    shade.setColorAt(0.0, QColor(0, 0, 0, 170));
    shade.setColorAt(0.75, QColor(0, 0, 0, 20));
    shade.setColorAt(1.0, QColor(0, 0, 0, 0));
    p.fillRect(pic.rect(), shade);

    QFont font(QStringLiteral("DejaVu Sans"), 40, QFont::Bold);
    font.setPixelSize(46);
    QPainterPath name;
    name.addText(16, 66, font, QStringLiteral("Orolith"));
    p.translate(2, 2);
    p.fillPath(name, QColor(0, 0, 0, 140));
    p.translate(-2, -2);
    p.fillPath(name, QColor(255, 255, 255));
    p.setPen(QPen(QColor(40, 40, 40), 1));
    p.drawPath(name);

    QFont small(QStringLiteral("DejaVu Sans"));
    small.setPixelSize(12);
    p.setFont(small);
    p.setPen(QColor(235, 235, 235));
    p.drawText(QPoint(20, 88), QStringLiteral("SRTM terrain in three dimensions"));
    return pic;
}

static QImage Icon(const QImage &relief)
{
    const int side = 256;
    QImage icon(side, side, QImage::Format_ARGB32);
    icon.fill(Qt::transparent);
    QPainter p(&icon);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::SmoothPixmapTransform);
    QPainterPath disc;
    disc.addEllipse(QRectF(8, 8, side - 16, side - 16));
    p.setClipPath(disc);
    p.drawImage(QRect(0, 0, side, side), relief, QRect(relief.width() / 3, relief.height() / 3, relief.width() / 2, relief.height() / 2));
    p.setClipping(false);
    p.setPen(QPen(QColor(50, 50, 50), 10));
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(QRectF(8, 8, side - 16, side - 16));
    return icon;
}

int main(int argc, char **argv)
{
    QGuiApplication app(argc, argv);
    if (argc != 3) {
        std::fprintf(stderr, "usage: make-artwork <product.png> <icon.png>\n");
        return 2;
    }
    const QImage relief = Relief("/tmp/orolith-artwork-N00E000.hgt", 7, 600);
    const bool ok = ProductPicture(relief).save(QString::fromLocal8Bit(argv[1])) && Icon(relief).save(QString::fromLocal8Bit(argv[2]));
    std::remove("/tmp/orolith-artwork-N00E000.hgt");
    return ok ? 0 : 1;
}
