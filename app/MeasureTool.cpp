#include "MeasureTool.h"

#include "DrawTarget.h"
#include "TopoView.h"

#include <QGuiApplication>
#include <QMouseEvent>
#include <QStyleHints>

namespace {

// A press and release closer than this is a click, not a drag.
constexpr int kClickSlop = 3;

}  // namespace

TMeasureTool::TMeasureTool(TGLDrawWindow *window, std::function<TTopoView *()> view,
                           std::shared_ptr<TMeasureLine> line, QObject *parent)
    : QObject(parent), view_(std::move(view)), line_(std::move(line))
{
    connect(window, &TGLDrawWindow::MousePressed, this, &TMeasureTool::Pressed);
    connect(window, &TGLDrawWindow::MouseReleased, this, &TMeasureTool::Released);
}

void TMeasureTool::SetActive(bool on)
{
    active_ = on;
    pressed_ = false;
    line_->Points.clear();
    line_->Finished = false;
    lastClickTime_ = 0;
    if (OnChanged)
        OnChanged();
}

void TMeasureTool::Finish()
{
    if (!active_ || line_->Finished || line_->Points.empty())
        return;
    line_->Finished = true;
    if (OnChanged)
        OnChanged();
}

void TMeasureTool::Pressed(QMouseEvent *event)
{
    if (!active_ || event->button() != Qt::LeftButton)
        return;
    pressed_ = true;
    pressedAt_ = event->position().toPoint();
}

void TMeasureTool::Released(QMouseEvent *event)
{
    if (!active_ || !pressed_ || event->button() != Qt::LeftButton)
        return;
    pressed_ = false;
    const QPoint at = event->position().toPoint();
    if ((at - pressedAt_).manhattanLength() > kClickSlop)
        return;
    // The second click of a double-click ends the line instead of adding
    // the same point again.
    const quint64 interval = quint64(QGuiApplication::styleHints()->mouseDoubleClickInterval());
    const bool doubleClick = lastClickTime_ != 0 && event->timestamp() - lastClickTime_ <= interval &&
                             (at - lastClick_).manhattanLength() <= 2 * kClickSlop;
    lastClick_ = at;
    lastClickTime_ = doubleClick ? 0 : event->timestamp();
    if (doubleClick)
        Finish();
    else
        AddPointAt(at);
}

void TMeasureTool::AddPointAt(QPoint pixel)
{
    TTopoView *view = view_();
    TGroundPoint ground;
    if (!view || !view->Loaded || !view->PickGround(pixel.x(), pixel.y(), ground))
        return;
    if (line_->Finished) {
        line_->Points.clear();
        line_->Finished = false;
    }
    line_->Points.push_back(ground.LatLon);
    if (OnChanged)
        OnChanged();
}
