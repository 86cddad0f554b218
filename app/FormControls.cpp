#include "FormControls.h"

#include <QPushButton>
#include <QSlider>

QSlider *MakeTrackBar(QWidget *parent, Qt::Orientation orientation, QRect geometry, int min, int max, int position,
                      int tick, const QString &hint)
{
    auto *s = new QSlider(orientation, parent);
    s->setGeometry(geometry);
    s->setRange(min, max);
    s->setValue(position);
    s->setTickInterval(tick);
    s->setTickPosition(orientation == Qt::Horizontal ? QSlider::TicksBelow : QSlider::TicksRight);
    s->setPageStep(tick);
    s->setToolTip(hint);
    return s;
}

QPushButton *MakeButton(QWidget *parent, QRect geometry, const QString &caption, const QString &hint)
{
    auto *b = new QPushButton(caption, parent);
    b->setGeometry(geometry);
    b->setToolTip(hint);
    b->setFocusPolicy(Qt::TabFocus);
    return b;
}
