#pragma once

// The unit's link buttons of the settings window. Both keep the status
// monitor away from the unit while they work (it is paused for up to
// 3000 ms through the unit lock).

#include "execution/port/testerport.h"

#include <QString>
#include <QStringList>
#include <string>

class QWidget;

namespace qv {
class TthHardStatus;
} // namespace qv

namespace qv::settings {

// "Проверить связь": closes the connection and makes it again with a
// reboot, quietly; success is reported with catalogue message 26, a failure
// by the port's pending error. monitor may be null.
bool CheckUnitLink(TCP &tester, TthHardStatus *monitor, QWidget *parent);
// "Перезагрузка": restarts the unit and says so when it went well.
void RebootUnit(TCP &tester, TthHardStatus *monitor);

// The addresses the unit page offers: "sim", "sim:" with each board file of
// the simulator (the folder "boards" beside the programs, or
// share/quorvik/boards of an install), "serial:" with each serial device
// found now.
QStringList UnitAddressChoices();
// The folder of the simulator's board files; empty when there is none.
QString BoardsDirectory();

// "Проверить связь" of the unit page for an address that is not the one in
// use: a port of its own (made by `factory`, or for the address when empty)
// is opened and a connection tried, waiting at most timeoutMs for each
// answer; success is catalogue message 26, a failure the port's error or a
// message naming the address. The port in use is left alone.
bool CheckAddressLink(const std::string &address, int timeoutMs, const TCP::PortFactory &factory,
                      QWidget *parent);

} // namespace qv::settings
