#include "KeyPreview.h"

#include <QCoreApplication>
#include <QKeyEvent>
#include <QWidget>

TKeyPreview::TKeyPreview(QWidget *window, std::function<void(QKeyEvent *)> handler)
    : QObject(window), window_(window), handler_(std::move(handler))
{
    // Keys are delivered to the focus widget and then travel up the parents
    // while ignored; only the application sees every one of them first.
    QCoreApplication::instance()->installEventFilter(this);
}

TKeyPreview::~TKeyPreview()
{
    QCoreApplication::instance()->removeEventFilter(this);
}

// The application filter sees a key once per step of its way up the parents;
// acting only where it first arrives in the window handles each press once.
bool TKeyPreview::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() != QEvent::KeyPress)
        return false;
    auto *w = qobject_cast<QWidget *>(watched);
    if (!w || w->window() != window_)
        return false;
    const bool propagated = event == lastEvent_ && lastReceiver_ && w != lastReceiver_ && w->isAncestorOf(lastReceiver_);
    lastEvent_ = event;
    lastReceiver_ = w;
    if (!propagated)
        handler_(static_cast<QKeyEvent *>(event));
    return false;
}
