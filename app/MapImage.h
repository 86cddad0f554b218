// A picture that reports where the mouse presses and moves, in its own
// pixels: the tile browser's world map and enlarged part.
#pragma once

#include <QLabel>

class TMapImage : public QLabel {
    Q_OBJECT
public:
    explicit TMapImage(QWidget *parent = nullptr);

signals:
    void MouseDown(int x, int y);
    void MouseMove(int x, int y);
    void MouseUp(int x, int y);

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
};
