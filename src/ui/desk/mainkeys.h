#pragma once

// The main window's operator keys and what each one does. The letter keys
// and F5 act on release, and only after a plain press (PlainPresses) while
// "Пуск" is enabled; a mode key does nothing while its tool button is
// disabled. "+", "-" and the digits act on press. What a key does in the
// window is reached through the targets, so the window keeps its state and
// this class keeps the key policy.

#include "ui/desk/physicalkeys.h"

#include <functional>

class QKeyEvent;

namespace qv::desk {

class RunBar;

class MainKeys
{
public:
    struct Targets
    {
        std::function<void()> run;              // F5
        std::function<void()> showDiagram;      // D, L
        std::function<void()> showTable;        // N, T
        std::function<void()> toggleZond;       // P, Z
        std::function<void()> toggleDebug;      // J, O
        std::function<void()> toggleSolid;      // H, Y
        std::function<void()> toggleCycles;     // G
        std::function<void(bool up)> plusMinus; // "+" (up) and "-"
        std::function<void(int digit)> digit;   // "0".."9"
    };

    // The run bar's buttons say whether "Пуск" and each mode are enabled;
    // it outlives this object (both belong to the main window).
    MainKeys(const RunBar &bar, Targets targets);

    // True when the event was the window's key and has been acted on.
    bool Handle(const QKeyEvent &event);

private:
    bool Released(const QKeyEvent &event);
    bool Pressed(const QKeyEvent &event);

    const RunBar &m_bar;
    Targets m_targets;
    PlainPresses m_presses;
};

} // namespace qv::desk
