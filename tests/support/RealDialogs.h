#pragma once

#include <QApplication>
#include <QTest>
#include <QTimer>
#include <QWidget>
#include <QWindow>
#include <functional>

#include "TestEnv.h"

// Tests of what the scripted dialogs would hide: real Qt boxes and modal runs, and input
// that reaches a window the way the window system delivers it.
namespace testenv {

// The real boxes and dialogs while the object lives; the scripted ones again after.
class RealDialogsScope {
  public:
    RealDialogsScope() { platform::SetDialogs(nullptr); }
    ~RealDialogsScope() { platform::SetDialogs(&Dialogs()); }
    RealDialogsScope(const RealDialogsScope&) = delete;
    RealDialogsScope& operator=(const RealDialogsScope&) = delete;
};

// A left click on the middle of `widget`, sent to its window as the window system sends
// it: a window blocked by a modal one does not take it.
inline void ClickThroughWindow(QWidget* widget) {
    QWidget* top = widget->window();
    QTest::mouseClick(top->windowHandle(), Qt::LeftButton, Qt::NoModifier,
                      widget->mapTo(top, widget->rect().center()));
}

// Runs `step` once the next modal run (a box or a modal window) has come up; it is
// given the active modal widget, or nullptr when none came up in time.
inline void WhenModal(std::function<void(QWidget* modal)> step, int triesLeft = 200) {
    QTimer::singleShot(10, [step = std::move(step), triesLeft]() mutable {
        QWidget* modal = QApplication::activeModalWidget();
        if (modal == nullptr && triesLeft > 0) {
            WhenModal(std::move(step), triesLeft - 1);
            return;
        }
        step(modal);
    });
}

}  // namespace testenv
