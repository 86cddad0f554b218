#include "ColorPanel.h"

#include <QColorDialog>
#include <QMouseEvent>

QColor ColorFromValue(uint32_t color)
{
    return QColor(static_cast<int>(color & 0xFF), static_cast<int>((color >> 8) & 0xFF),
                  static_cast<int>((color >> 16) & 0xFF));
}

uint32_t ValueFromColor(const QColor &color)
{
    return static_cast<uint32_t>(color.red()) | static_cast<uint32_t>(color.green()) << 8
           | static_cast<uint32_t>(color.blue()) << 16;
}

TColorPanel::TColorPanel(QWidget *parent)
    : QLabel(QStringLiteral("Click to Choose..."), parent)
{
    setAlignment(Qt::AlignCenter);
    setFrameStyle(QFrame::Panel | QFrame::Sunken);
    setAutoFillBackground(true);
    setMinimumHeight(fontMetrics().height() * 2);
    setCursor(Qt::PointingHandCursor);
    SetColor(0);
}

void TColorPanel::SetColor(uint32_t color)
{
    color_ = color;
    const QColor fill = ColorFromValue(color);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, fill);
    // The caption stays readable on light and dark colours alike.
    pal.setColor(QPalette::WindowText, fill.lightness() > 128 ? Qt::black : Qt::white);
    setPalette(pal);
}

void TColorPanel::ChooseColor()
{
    const QColor chosen = QColorDialog::getColor(ColorFromValue(color_), this);
    if (chosen.isValid())
        SetColor(ValueFromColor(chosen));
}

void TColorPanel::mousePressEvent(QMouseEvent *event)
{
    // Accepted, so the release comes here as it does to a button.
    event->setAccepted(event->button() == Qt::LeftButton);
}

void TColorPanel::mouseReleaseEvent(QMouseEvent *event)
{
    // Like a button: releasing outside the panel takes the click back.
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
        emit Clicked();
}
