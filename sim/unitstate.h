#pragma once

// What changes while a simulated unit runs, kept across the sessions of one
// unit run. Touched only on the unit's thread.

#include <array>
#include <map>
#include <memory>
#include <optional>
#include <utility>

namespace qv::sim {

class BoardRun;
struct Program;

struct UnitState
{
    // Type-1 calibration: the values in effect and the values kept across a
    // restart (operation 3 writes both, operation 2 only the first).
    std::array<std::optional<float>, 3> appliedPeriods{};
    std::array<std::optional<float>, 3> savedPeriods{};
    int generatingPeriod = 0;     // QORV_GET_T1/T2/T3 whose signal runs, 0 none
    int generatingParameter = -1; // type-0 parameter whose signal runs, -1 none
    bool waitTestRunning = false;
    bool alarmArmed = false;
    int restarts = 0;
    int resets = 0;
    int retries = 0; // QORV_RETRY requests received
    bool lastResetChecked = false;
    // How often each link fault fired, by (fault kind, command code).
    std::map<std::pair<int, int>, int> faultsFired;
    // The device program running now (null: none, or it has finished).
    std::shared_ptr<BoardRun> run;
    // The last device program received, as the unit read it (null: none
    // yet); kept for a look from the tests and tools.
    std::shared_ptr<const Program> lastProgram;
};

} // namespace qv::sim
