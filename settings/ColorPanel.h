// A panel filled with a colour that opens the colour dialog when clicked.
#pragma once

#include <QLabel>

#include <cstdint>

class TColorPanel : public QLabel {
    Q_OBJECT
public:
    explicit TColorPanel(QWidget *parent = nullptr);

    // Colour values keep red in the lowest byte, green next, blue in the third.
    uint32_t Color() const { return color_; }
    void SetColor(uint32_t color);

    // Opens the colour dialog preset with the panel's colour; a confirmed
    // choice becomes the panel's colour.
    void ChooseColor();

signals:
    // A left click, or the first click of a double click (the second one
    // lands in the colour dialog that the first one opened).
    void Clicked();

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    uint32_t color_ = 0;
};

QColor ColorFromValue(uint32_t color);
uint32_t ValueFromColor(const QColor &color);
