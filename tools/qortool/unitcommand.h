#pragma once

#include "commands.h"

#include <QCoreApplication>
#include <memory>

namespace qortool {

// qortool unit info|check: the first things a bench technician tries with a
// new unit (build information; handshake and reset).
int RunUnit(std::span<const std::string> args);

// The links to the unit need a Qt application object (the serial link runs
// its device in an event loop of its own thread). Made when there is none;
// null when one exists already.
std::unique_ptr<QCoreApplication> EnsureCoreApplication();

} // namespace qortool
