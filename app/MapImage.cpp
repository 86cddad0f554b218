#include "MapImage.h"

#include <QMouseEvent>

#include <algorithm>

TMapImage::TMapImage(QWidget *parent)
    : QLabel(parent)
{
    // Moves are reported without a pressed button, to name what lies under the mouse.
    setMouseTracking(true);
    setAlignment(Qt::AlignLeft | Qt::AlignTop);
}

// Any button picks; the position is clamped so that a press on the very edge
// never addresses a cell beyond the picture.
static QPoint InsidePicture(const QWidget *w, const QPointF &p)
{
    return {std::clamp(static_cast<int>(p.x()), 0, w->width() - 1), std::clamp(static_cast<int>(p.y()), 0, w->height() - 1)};
}

void TMapImage::mousePressEvent(QMouseEvent *event)
{
    const QPoint p = InsidePicture(this, event->position());
    emit MouseDown(p.x(), p.y());
}

void TMapImage::mouseMoveEvent(QMouseEvent *event)
{
    const QPoint p = InsidePicture(this, event->position());
    emit MouseMove(p.x(), p.y());
}

void TMapImage::mouseReleaseEvent(QMouseEvent *event)
{
    const QPoint p = InsidePicture(this, event->position());
    emit MouseUp(p.x(), p.y());
}
