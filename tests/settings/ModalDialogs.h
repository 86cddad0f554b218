// Driving modal dialogs from a test: a timer waits for the modal window the
// code under test opens and acts on it inside that window's event loop.
#pragma once

#include <QApplication>
#include <QTimer>
#include <QWidget>

#include <functional>
#include <memory>

// Calls `act` once with the first active modal widget of type T (up to 5 s).
// Returns a flag that tells whether `act` ran.
template <typename T>
std::shared_ptr<bool> WhenModal(std::function<void(T *)> act)
{
    auto done = std::make_shared<bool>(false);
    auto *timer = new QTimer;
    auto tries = std::make_shared<int>(0);
    timer->setInterval(20);
    QObject::connect(timer, &QTimer::timeout, [timer, act, done, tries] {
        if (++*tries > 250) {
            timer->deleteLater();
            timer->stop();
            return;
        }
        if (auto *w = qobject_cast<T *>(QApplication::activeModalWidget())) {
            timer->stop();
            timer->deleteLater();
            *done = true;
            act(w);
        }
    });
    timer->start();
    return done;
}
