#pragma once

// The main window's current-control check ("К&онтроль токов"): the unit
// measures the board's supply currents against their limits, under the
// unit lock so that the status poll stays away.

namespace qv {

class TCP;
class TthHardStatus;

// True when every supply is within its limit; the operator is told either
// way (a failure by the port, which names every supply over its limit).
bool CheckCurrentsNow(TCP &tester, TthHardStatus *monitor);

inline constexpr const char *kCurrentsInLimits =
    "Контроль токов: потребление по всем цепям в пределах нормы";

} // namespace qv
