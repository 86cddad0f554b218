#include "ProfilePanel.h"

#include "ProfilePlot.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QVBoxLayout>

TProfilePlot::TProfilePlot(QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("ProfilePlot"));
    setMouseTracking(true);
    setMinimumSize(240, 120);
}

void TProfilePlot::SetProfile(TProfile profile)
{
    profile_ = std::move(profile);
    mark_.reset();
    update();
}

void TProfilePlot::SetMark(std::optional<double> distance)
{
    if (mark_ == distance)
        return;
    mark_ = distance;
    update();
}

void TProfilePlot::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    if (profile_.Samples.empty()) {
        painter.fillRect(rect(), palette().base());
        return;
    }
    PaintProfile(painter, QRectF(rect()), profile_, mark_);
}

void TProfilePlot::mouseMoveEvent(QMouseEvent *event)
{
    if (profile_.Samples.empty())
        return;
    pointing_ = true;
    SetMark(ProfileDistanceAt(QRectF(rect()), profile_, event->position().x()));
    if (OnPointer)
        OnPointer(mark_);
}

void TProfilePlot::leaveEvent(QEvent *)
{
    if (!pointing_)
        return;
    pointing_ = false;
    SetMark(std::nullopt);
    if (OnPointer)
        OnPointer(std::nullopt);
}

TProfilePanel::TProfilePanel(QWidget *parent) : QDockWidget(QStringLiteral("Elevation Profile"), parent)
{
    setObjectName(QStringLiteral("ProfilePanel"));
    auto *client = new QWidget;
    auto *column = new QVBoxLayout(client);
    column->setContentsMargins(4, 2, 4, 4);
    Plot = new TProfilePlot;
    column->addWidget(Plot, 1);
    auto *row = new QHBoxLayout;
    lbSummary = new QLabel;
    lbSummary->setObjectName(QStringLiteral("lbSummary"));
    lbSummary->setTextInteractionFlags(Qt::TextSelectableByMouse);
    // Long figures wrap instead of widening the window.
    lbSummary->setWordWrap(true);
    lbSummary->setMinimumWidth(120);
    btnSavePicture = new QPushButton(QStringLiteral("Save Picture..."));
    btnSavePicture->setToolTip(QStringLiteral("Save the Profile as PNG or SVG"));
    btnSaveCsv = new QPushButton(QStringLiteral("Save CSV..."));
    btnSaveCsv->setToolTip(QStringLiteral("Save the Profile's Samples as CSV"));
    // Clicks must not take the keys away from the terrain.
    for (QPushButton *b : {btnSavePicture, btnSaveCsv})
        b->setFocusPolicy(Qt::NoFocus);
    row->addWidget(lbSummary, 1);
    row->addWidget(btnSavePicture);
    row->addWidget(btnSaveCsv);
    column->addLayout(row);
    setWidget(client);
    Clear();
}

void TProfilePanel::ShowProfile(TProfile profile, const QString &title, const QString &extra)
{
    const QString summary = ProfileSummaryText(profile.Summary);
    Plot->SetProfile(std::move(profile));
    setWindowTitle(QStringLiteral("Elevation Profile: %1").arg(title));
    lbSummary->setText(extra.isEmpty() ? summary : summary + QStringLiteral("   ") + extra);
    btnSavePicture->setEnabled(true);
    btnSaveCsv->setEnabled(true);
}

void TProfilePanel::Clear()
{
    Plot->SetProfile({});
    setWindowTitle(QStringLiteral("Elevation Profile"));
    lbSummary->setText(QStringLiteral("Select a track or measure a line to see its profile."));
    btnSavePicture->setEnabled(false);
    btnSaveCsv->setEnabled(false);
}

namespace {

// "1234.5 m" below a kilometre, "12.35 km" above.
QString LengthText(double metres)
{
    return metres < 1000 ? QString::asprintf("%.1f m", metres) : QString::asprintf("%.2f km", metres / 1000);
}

}  // namespace

QString ProfileSummaryText(const TProfileSummary &s)
{
    const auto metres = [](const std::optional<double> &h) {
        return h ? QString::asprintf("%.0f m", *h) : QStringLiteral("-");
    };
    // Without a height on the terrain there was nothing to climb: no 0 m.
    const bool heights = s.MinHeight.has_value();
    // A narrow panel wraps between the figures, never inside one ("1620 / m").
    const auto figure = [](const char *label, QString value) {
        return QString::fromLatin1(label) + QStringLiteral(":\u00a0") + value.replace(QLatin1Char(' '), QChar(0x00a0));
    };
    return QStringList{figure("Length", LengthText(s.Length)),
                       figure("Ascent", metres(heights ? std::optional(s.Ascent) : std::nullopt)),
                       figure("Descent", metres(heights ? std::optional(s.Descent) : std::nullopt)),
                       figure("Lowest", metres(s.MinHeight)), figure("Highest", metres(s.MaxHeight)),
                       figure("Steepest", s.SteepestSlope ? QString::asprintf("%.0f %%", *s.SteepestSlope)
                                                          : QStringLiteral("-"))}
        .join(QStringLiteral("   "));
}
