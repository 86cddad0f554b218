// Controls placed at fixed design positions, as the pad and the main
// window's left panel lay them out.
#pragma once

#include <QRect>
#include <QString>

class QPushButton;
class QSlider;
class QWidget;

// A slider with range, position, tick spacing (also its page step) and hint;
// ticks below a horizontal one, right of a vertical one.
QSlider *MakeTrackBar(QWidget *parent, Qt::Orientation orientation, QRect geometry, int min, int max, int position,
                      int tick, const QString &hint);

// A push button that does not take the keyboard focus by clicking.
QPushButton *MakeButton(QWidget *parent, QRect geometry, const QString &caption, const QString &hint);
