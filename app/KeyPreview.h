// Lets a window see every key pressed inside it before its focused control
// does, as the main window and the navigation pad need for their shortcut
// keys. The control still receives the key afterwards.
#pragma once

#include <QObject>
#include <QPointer>

#include <functional>

class QKeyEvent;
class QWidget;

class TKeyPreview : public QObject {
public:
    TKeyPreview(QWidget *window, std::function<void(QKeyEvent *)> handler);
    ~TKeyPreview() override;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QWidget *window_;
    std::function<void(QKeyEvent *)> handler_;
    // The press last seen and where, to tell its way up the parents from a new press.
    const QEvent *lastEvent_ = nullptr;
    QPointer<QWidget> lastReceiver_;
};
