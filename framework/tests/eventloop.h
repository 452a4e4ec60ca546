// What the window tests share about the event loop: running it as a program does, acting on
// a modal dialog once it shows, and counting idle calls while nothing happens.
#pragma once

#include "framework/idlehandler.h"

#include <QApplication>
#include <QEventLoop>
#include <QTest>
#include <QTimer>
#include <type_traits>

namespace fixture {

// Runs the event loop as a program does, waiting when nothing is left to do.
inline void RunLoop(int ms) {
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

// Runs action on the modal dialog of kind D (given as D* or D&) as soon as the event loop shows
// it. Any other modal widget in its place is closed, so that the test fails instead of hanging.
template <class D, class Action> void WhenShown(Action action) {
    QTimer::singleShot(0, [action] {
        auto* dialog = qobject_cast<D*>(QApplication::activeModalWidget());
        if (!dialog) {
            if (QWidget* other = QApplication::activeModalWidget())
                other->close();
            QFAIL("the expected dialog is not shown");
        }
        if constexpr (std::is_invocable_v<Action, D&>)
            action(*dialog);
        else
            action(dialog);
    });
}

// The idle calls in quietMs of nothing happening, once the loop has settled.
inline int IdleRunsWhileQuiet(const TIdleHandler& idle, int quietMs = 300) {
    RunLoop(100);
    const int before = idle.Runs();
    RunLoop(quietMs);
    return idle.Runs() - before;
}

} // namespace fixture
