#include "ProfilePlot.h"

#include "TerrainError.h"
#include "Utils.h"

#include <QFont>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QSaveFile>
#include <QSvgGenerator>

#include <algorithm>
#include <charconv>
#include <cmath>

namespace {

const QColor TerrainLine(120, 80, 30);
const QColor TerrainFill(200, 170, 120, 110);
const QColor TrackLine(20, 90, 220);
const QColor MarkColor(220, 20, 60);
const QColor AxisColor(60, 60, 60);
const QColor GridColor(215, 215, 215);

// Fixed margins in pixels, so the panel can turn a mouse position into a
// distance without a painter: room for five-digit heights and the km labels.
constexpr double LeftMargin = 54, RightMargin = 16, TopMargin = 12, BottomMargin = 32;
constexpr int LabelPixels = 11;

QRectF PlotRect(const QRectF &area)
{
    return area.adjusted(LeftMargin, TopMargin, -RightMargin, -BottomMargin);
}

// 1, 2 or 5 times a power of ten, at least `rough`.
double NiceStep(double rough)
{
    if (!(rough > 0))
        return 1;
    const double power = std::pow(10.0, std::floor(std::log10(rough)));
    for (const double m : {1.0, 2.0, 5.0, 10.0})
        if (m * power >= rough)
            return m * power;
    return 10 * power;
}

std::string TickText(double value, double step)
{
    const int decimals = step >= 1 ? 0 : static_cast<int>(std::ceil(-std::log10(step) - 1e-9));
    char buffer[64];
    const auto r = std::to_chars(buffer, buffer + sizeof buffer, value + 0.0, std::chars_format::fixed, decimals);
    std::string text(buffer, r.ptr);
    return text == "-0" ? "0" : text;
}

// Distance and height to the plot's pixels.
struct TPlotScale {
    QRectF plot;
    double length = 1, low = 0, high = 1;
    double X(double distance) const { return plot.left() + plot.width() * distance / length; }
    double Y(double height) const { return plot.bottom() - plot.height() * (height - low) / (high - low); }
};

TPlotScale ScaleFor(const QRectF &area, const TProfile &profile, double &heightStep)
{
    TPlotScale s;
    s.plot = PlotRect(area);
    s.length = profile.Summary.Length > 0 ? profile.Summary.Length : 1;
    std::optional<double> low, high;
    for (const auto &sample : profile.Samples)
        for (const auto &h : {sample.Height, sample.TrackHeight})
            if (h) {
                low = std::min(low.value_or(*h), *h);
                high = std::max(high.value_or(*h), *h);
            }
    const double lo = low.value_or(0), hi = std::max(high.value_or(100), lo + 10);
    heightStep = NiceStep((hi - lo) / std::max(2.0, s.plot.height() / 40));
    s.low = std::floor(lo / heightStep) * heightStep;
    s.high = std::ceil(hi / heightStep) * heightStep;
    return s;
}

void DrawAxes(QPainter &p, const TPlotScale &s, double heightStep)
{
    p.setFont([] {
        QFont f;
        f.setPixelSize(LabelPixels);
        return f;
    }());
    const double km = s.length / 1000;
    const double kmStep = NiceStep(km / std::max(2.0, s.plot.width() / 90));
    for (double h = s.low; h <= s.high + heightStep / 2; h += heightStep) {
        const double y = s.Y(h);
        p.setPen(QPen(GridColor, 1));
        p.drawLine(QPointF(s.plot.left(), y), QPointF(s.plot.right(), y));
        p.setPen(AxisColor);
        p.drawText(QRectF(s.plot.left() - LeftMargin, y - LabelPixels, LeftMargin - 6, 2 * LabelPixels),
                   Qt::AlignRight | Qt::AlignVCenter, QString::fromStdString(TickText(h, heightStep)));
    }
    for (double d = 0; d <= km + kmStep / 1000; d += kmStep) {
        const double x = s.X(d * 1000);
        p.setPen(QPen(GridColor, 1));
        p.drawLine(QPointF(x, s.plot.top()), QPointF(x, s.plot.bottom()));
        p.setPen(AxisColor);
        p.drawText(QRectF(x - 40, s.plot.bottom() + 3, 80, LabelPixels + 4), Qt::AlignHCenter | Qt::AlignTop,
                   QString::fromStdString(TickText(d, kmStep)));
    }
    p.setPen(QPen(AxisColor, 1));
    p.drawRect(s.plot);
    p.drawText(QRectF(s.plot.right() - 60, s.plot.bottom() + LabelPixels + 6, 60, LabelPixels + 4),
               Qt::AlignRight | Qt::AlignTop, "km");
    // The height unit stands upright beside the labels, clear of the top one.
    p.save();
    p.translate(s.plot.left() - LeftMargin + LabelPixels, s.plot.center().y());
    p.rotate(-90);
    p.drawText(QRectF(-30, -LabelPixels, 60, LabelPixels + 4), Qt::AlignCenter, "m");
    p.restore();
}

// One path per run of samples with a height: voids and new segments break it.
template <class Height>
std::vector<QPolygonF> Runs(const TProfile &profile, const TPlotScale &s, Height height)
{
    std::vector<QPolygonF> runs;
    bool open = false;
    for (const auto &sample : profile.Samples) {
        const std::optional<double> h = height(sample);
        if (!h || sample.Break)
            open = false;
        if (!h)
            continue;
        if (!open)
            runs.emplace_back();
        open = true;
        runs.back() << QPointF(s.X(sample.Distance), s.Y(*h));
    }
    return runs;
}

void DrawMark(QPainter &p, const TPlotScale &s, const TProfile &profile, double distance)
{
    distance = std::clamp(distance, 0.0, s.length);
    const double x = s.X(distance);
    p.setPen(QPen(MarkColor, 1, Qt::DashLine));
    p.drawLine(QPointF(x, s.plot.top()), QPointF(x, s.plot.bottom()));
    const auto &samples = profile.Samples;
    const auto after = std::lower_bound(samples.begin(), samples.end(), distance,
                                        [](const TProfileSample &a, double d) { return a.Distance < d; });
    if (after == samples.end() || !after->Height)
        return;
    double h = *after->Height;
    if (after != samples.begin() && !after->Break) {
        const auto &before = *(after - 1);
        const double run = after->Distance - before.Distance;
        if (before.Height && run > 0)
            h = *before.Height + (*after->Height - *before.Height) * (distance - before.Distance) / run;
    }
    p.setPen(QPen(Qt::white, 1.5));
    p.setBrush(MarkColor);
    p.drawEllipse(QPointF(x, s.Y(h)), 4.5, 4.5);
}

}  // namespace

void PaintProfile(QPainter &painter, const QRectF &area, const TProfile &profile, std::optional<double> markDistance)
{
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    double heightStep = 1;
    const TPlotScale s = ScaleFor(area, profile, heightStep);
    DrawAxes(painter, s, heightStep);
    painter.setClipRect(s.plot.adjusted(-1, -1, 1, 1));
    const auto terrain = Runs(profile, s, [](const TProfileSample &x) { return x.Height; });
    for (const QPolygonF &run : terrain) {
        QPolygonF filled = run;
        filled << QPointF(run.back().x(), s.plot.bottom()) << QPointF(run.front().x(), s.plot.bottom());
        painter.setPen(Qt::NoPen);
        painter.setBrush(TerrainFill);
        painter.drawPolygon(filled);
        painter.setPen(QPen(TerrainLine, 1.6));
        painter.setBrush(Qt::NoBrush);
        painter.drawPolyline(run);
    }
    painter.setPen(QPen(TrackLine, 1.4));
    for (const QPolygonF &run : Runs(profile, s, [](const TProfileSample &x) { return x.TrackHeight; }))
        painter.drawPolyline(run);
    if (terrain.empty()) {
        painter.setPen(AxisColor);
        painter.drawText(s.plot, Qt::AlignCenter, "No terrain heights along this line");
    }
    if (markDistance)
        DrawMark(painter, s, profile, *markDistance);
    painter.restore();
}

double ProfileDistanceAt(const QRectF &area, const TProfile &profile, double x)
{
    const QRectF plot = PlotRect(area);
    if (plot.width() <= 0)
        return 0;
    const double fraction = std::clamp((x - plot.left()) / plot.width(), 0.0, 1.0);
    return fraction * profile.Summary.Length;
}

void WriteProfilePicture(const TProfile &profile, const std::string &path, int width, int height)
{
    const std::string ext = LowerExtension(path);
    if (ext != "png" && ext != "svg")
        throw ETerrainError("a profile picture is written as .png or .svg", path);
    if (width < 200 || height < 100 || width > 20000 || height > 20000)
        throw ETerrainError("a profile picture is 200 × 100 to 20000 × 20000 pixels", path);
    QSaveFile file(QString::fromStdString(path));
    if (!file.open(QIODevice::WriteOnly))
        throw ETerrainError("cannot write the profile: " + file.errorString().toStdString(), path);
    const QRectF area(0, 0, width, height);
    bool painted = true;
    if (ext == "png") {
        QImage image(width, height, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::white);
        QPainter painter(&image);
        PaintProfile(painter, area, profile);
        painter.end();
        painted = image.save(&file, "PNG");
    } else {
        QSvgGenerator svg;
        svg.setOutputDevice(&file);
        svg.setSize(QSize(width, height));
        svg.setViewBox(area);
        svg.setTitle("Elevation profile");
        QPainter painter;
        painted = painter.begin(&svg);
        if (painted) {
            painter.fillRect(area, Qt::white);
            PaintProfile(painter, area, profile);
            painted = painter.end();
        }
    }
    if (!painted || file.error() != QFileDevice::NoError || !file.commit())
        throw ETerrainError("cannot write the profile: " + file.errorString().toStdString(), path);
}
