#include "BitmapFont.h"

#include "TopoView.h"

#include <QFont>
#include <QFontMetrics>
#include <QImage>
#include <QPainter>
#include <QString>
#include <qopengl.h>

#include <algorithm>
#include <vector>

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

// One glyph as glBitmap wants it: rows bottom-up, packed MSB first, rows of
// whole bytes (unpack alignment 1).
struct TGlyphBitmap {
    int Width = 0, Height = 0;
    int OriginX = 0, OriginY = 0;
    std::vector<unsigned char> Bits;
};

TGlyphBitmap RasteriseGlyph(const QFont &font, const QFontMetrics &metrics, QChar ch)
{
    const QRect bounds = metrics.boundingRect(ch);
    const int advance = metrics.horizontalAdvance(ch);
    const int left = std::min(0, bounds.left());
    const int right = std::max(advance, bounds.right() + 1);
    TGlyphBitmap g;
    g.Width = std::max(right - left, 1);
    g.Height = metrics.ascent() + metrics.descent();
    g.OriginX = -left;
    g.OriginY = metrics.descent();

    QImage image(g.Width, g.Height, QImage::Format_RGB32);
    image.fill(Qt::white);
    {
        QPainter painter(&image);
        painter.setRenderHint(QPainter::TextAntialiasing, false);
        painter.setFont(font);
        painter.setPen(Qt::black);
        painter.drawText(QPoint(g.OriginX, metrics.ascent()), QString(ch));
    }
    const int rowBytes = (g.Width + 7) / 8;
    g.Bits.assign(size_t(rowBytes) * g.Height, 0);
    for (int row = 0; row < g.Height; ++row) {
        const auto *line = reinterpret_cast<const QRgb *>(image.constScanLine(g.Height - 1 - row));
        unsigned char *out = g.Bits.data() + size_t(row) * rowBytes;
        for (int x = 0; x < g.Width; ++x)
            if (qGray(line[x]) < 128)
                out[x / 8] |= static_cast<unsigned char>(0x80 >> (x % 8));
    }
    return g;
}

} // namespace

unsigned BuildBitmapFont(std::array<TGlyphWidth, 256> &widths)
{
    const QFont font = LabelFont();
    const QFontMetrics metrics(font);
    for (int code = 0; code < 256; ++code) {
        const QChar ch(static_cast<char16_t>(code));
        TGlyphWidth &w = widths[code];
        w.A = metrics.leftBearing(ch);
        w.C = metrics.rightBearing(ch);
        w.B = static_cast<unsigned>(std::max(0, metrics.horizontalAdvance(ch) - w.A - w.C));
    }

    const GLuint base = glGenLists(256);
    if (base == 0)
        return 0;
    GLint alignment = 4;
    glGetIntegerv(GL_UNPACK_ALIGNMENT, &alignment);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    for (int code = 0; code <= LastGlyphCode; ++code) {
        const QChar ch(static_cast<char16_t>(code));
        // Control codes have no picture, only their advance.
        const TGlyphBitmap g = ch.isPrint() ? RasteriseGlyph(font, metrics, ch) : TGlyphBitmap{};
        glNewList(base + code, GL_COMPILE);
        glBitmap(g.Width, g.Height, float(g.OriginX), float(g.OriginY),
                 float(metrics.horizontalAdvance(ch)), 0, g.Bits.empty() ? nullptr : g.Bits.data());
        glEndList();
    }
    glPixelStorei(GL_UNPACK_ALIGNMENT, alignment);
    return base;
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
