#pragma once

#include <functional>

class QWidget;

namespace qv {

// Runs `task` on the window's thread once the window, shown already, has
// been painted (its first exposure handled; next turn when it is exposed
// already), so that work that can wait does not hold up what the operator
// sees first. A window not painted within `latestMs` (a platform without a
// screen, a window hidden again) gets the task then. The task runs once; it
// is dropped when the window goes first.
void RunAfterFirstPaint(QWidget &window, std::function<void()> task, int latestMs = 1000);

} // namespace qv
