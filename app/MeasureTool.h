// The measuring tool: while it is on, clicks on the terrain add points to
// the measuring line; Esc or a double-click ends the line, and the next
// click starts a new one. A press that moves is a drag and still pans or
// turns the camera, so measuring never takes the mouse away from it.
#pragma once

#include "MeasureLine.h"

#include <QObject>
#include <QPoint>

#include <functional>
#include <memory>

class QMouseEvent;
class TGLDrawWindow;
class TTopoView;

class TMeasureTool : public QObject {
    Q_OBJECT
public:
    TMeasureTool(TGLDrawWindow *window, std::function<TTopoView *()> view, std::shared_ptr<TMeasureLine> line,
                 QObject *parent = nullptr);

    bool Active() const { return active_; }
    // Turning it on or off starts with no line.
    void SetActive(bool on);
    void Finish();
    const TMeasureLine &Line() const { return *line_; }

    // The line changed: a point was added, it was ended or emptied.
    std::function<void()> OnChanged;

private:
    void Pressed(QMouseEvent *event);
    void Released(QMouseEvent *event);
    void AddPointAt(QPoint pixel);

    std::function<TTopoView *()> view_;
    std::shared_ptr<TMeasureLine> line_;
    bool active_ = false;
    QPoint pressedAt_;
    bool pressed_ = false;
    QPoint lastClick_;
    quint64 lastClickTime_ = 0;
};
