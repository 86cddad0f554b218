#include "BitmapFont.h"

#include "TopoView.h"

#include <QFont>
#include <QFontMetrics>
#include <QImage>
#include <QPainter>
#include <QString>

#include <algorithm>

namespace {

// Windows fonts are sized by cell height, Qt's by em height: take the largest
// pixel size whose ascent + descent still fits the cell.
QFont LabelFont()
{
    QFont font(QStringLiteral("Liberation Sans"));
    font.setStyleHint(QFont::SansSerif);
    font.setStyleStrategy(QFont::NoAntialias);
    int pixels = LabelFontCellHeight;
    for (; pixels > 1; --pixels) {
        font.setPixelSize(pixels);
        if (QFontMetrics(font).height() <= LabelFontCellHeight)
            break;
    }
    font.setPixelSize(pixels);
    return font;
}

// One glyph's pixels (true where ink is), rows from the top, with the pen at
// (OriginX, ascent) and room for the halo on every side.
struct TGlyphPicture {
    int Width = 0, Height = 0, OriginX = 0;
    std::vector<bool> Ink;
    bool At(int x, int y) const
    {
        return x >= 0 && y >= 0 && x < Width && y < Height && Ink[size_t(y) * Width + x];
    }
};

TGlyphPicture DrawGlyph(const QFont &font, const QFontMetrics &metrics, QChar ch)
{
    const int halo = LabelHaloPixels;
    const QRect bounds = metrics.boundingRect(ch);
    const int left = std::min(0, bounds.left());
    const int right = std::max(metrics.horizontalAdvance(ch), bounds.right() + 1);
    TGlyphPicture g;
    g.Width = std::max(right - left, 1) + 2 * halo;
    g.Height = metrics.ascent() + metrics.descent() + 2 * halo;
    g.OriginX = halo - left;
    g.Ink.assign(size_t(g.Width) * g.Height, false);
    if (!ch.isPrint())  // control codes have no picture, only their advance
        return g;
    QImage image(g.Width, g.Height, QImage::Format_RGB32);
    image.fill(Qt::white);
    {
        QPainter painter(&image);
        painter.setRenderHint(QPainter::TextAntialiasing, false);
        painter.setFont(font);
        painter.setPen(Qt::black);
        painter.drawText(QPoint(g.OriginX, halo + metrics.ascent()), QString(ch));
    }
    for (int y = 0; y < g.Height; ++y) {
        const auto *line = reinterpret_cast<const QRgb *>(image.constScanLine(y));
        for (int x = 0; x < g.Width; ++x)
            g.Ink[size_t(y) * g.Width + x] = qGray(line[x]) < 128;
    }
    return g;
}

bool NearInk(const TGlyphPicture &g, int x, int y)
{
    for (int dy = -LabelHaloPixels; dy <= LabelHaloPixels; ++dy)
        for (int dx = -LabelHaloPixels; dx <= LabelHaloPixels; ++dx)
            if (g.At(x + dx, y + dy))
                return true;
    return false;
}

} // namespace

int TLabelAtlas::TextWidth(const std::string &codes) const
{
    int width = 0;
    for (const char code : codes)
        width += Glyphs[static_cast<unsigned char>(code)].Advance;
    return width;
}

TLabelAtlas BuildLabelAtlas(std::array<TGlyphWidth, 256> &widths)
{
    const QFont font = LabelFont();
    const QFontMetrics metrics(font);
    std::vector<TGlyphPicture> pictures;
    int cellWidth = 1, cellHeight = 1;
    for (int code = 0; code < 256; ++code) {
        const QChar ch(static_cast<char16_t>(code));
        TGlyphWidth &w = widths[code];
        w.A = metrics.leftBearing(ch);
        w.C = metrics.rightBearing(ch);
        w.B = static_cast<unsigned>(std::max(0, metrics.horizontalAdvance(ch) - w.A - w.C));
        pictures.push_back(DrawGlyph(font, metrics, code <= LastGlyphCode ? ch : QChar()));
        cellWidth = std::max(cellWidth, pictures.back().Width);
        cellHeight = std::max(cellHeight, pictures.back().Height);
    }

    // 16 × 16 cells, each glyph in the top left corner of its own.
    TLabelAtlas atlas;
    atlas.Width = 16 * cellWidth;
    atlas.Height = 16 * cellHeight;
    atlas.Descent = metrics.descent();
    atlas.Text.assign(size_t(atlas.Width) * atlas.Height, 0);
    atlas.Halo.assign(atlas.Text.size(), 0);
    for (int code = 0; code < 256; ++code) {
        const TGlyphPicture &g = pictures[size_t(code)];
        const int x0 = (code % 16) * cellWidth, y0 = (code / 16) * cellHeight;
        for (int y = 0; y < g.Height; ++y)
            for (int x = 0; x < g.Width; ++x) {
                const size_t at = size_t(y0 + y) * atlas.Width + size_t(x0 + x);
                atlas.Text[at] = g.At(x, y) ? 255 : 0;
                atlas.Halo[at] = NearInk(g, x, y) ? 255 : 0;
            }
        TAtlasGlyph &glyph = atlas.Glyphs[size_t(code)];
        glyph.Left = -g.OriginX;
        glyph.Bottom = -(metrics.descent() + LabelHaloPixels);
        glyph.Width = g.Width;
        glyph.Height = g.Height;
        glyph.S0 = float(x0) / float(atlas.Width);
        glyph.S1 = float(x0 + g.Width) / float(atlas.Width);
        glyph.T0 = float(y0) / float(atlas.Height);
        glyph.T1 = float(y0 + g.Height) / float(atlas.Height);
        glyph.Advance = code <= LastGlyphCode ? metrics.horizontalAdvance(QChar(static_cast<char16_t>(code))) : 0;
    }
    return atlas;
}

std::string GlyphCodes(const std::string &utf8)
{
    const QString text = QString::fromStdString(utf8);
    std::string codes;
    codes.reserve(size_t(text.size()));
    for (const QChar ch : text)
        codes.push_back(ch.unicode() <= LastGlyphCode ? char(ch.unicode()) : '?');
    return codes;
}
