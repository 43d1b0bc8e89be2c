#pragma once

#include "commands.h"

namespace qortool {

// qortool unit info|check: the first things a bench technician tries with a
// new unit (build information; handshake and reset).
int RunUnit(std::span<const std::string> args);

} // namespace qortool
