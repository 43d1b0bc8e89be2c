#pragma once

// The unit's link buttons of the settings window. Both keep the status
// monitor away from the unit while they work (it is paused for up to
// 3000 ms through the unit lock).

class QWidget;

namespace qv {
class TCP;
class TthHardStatus;
} // namespace qv

namespace qv::settings {

// "Проверить связь": closes the connection and makes it again with a
// reboot, quietly; success is reported with catalogue message 26, a failure
// by the port's pending error. monitor may be null.
bool CheckUnitLink(TCP &tester, TthHardStatus *monitor, QWidget *parent);
// "Перезагрузка": restarts the unit and says so when it went well.
void RebootUnit(TCP &tester, TthHardStatus *monitor);

} // namespace qv::settings
