#pragma once

// The system's own words for an error number (errno), as shown in brackets
// after the program's message. Safe to call from any thread.

#include <string>

namespace qv {

std::string SystemErrorText(int error);

} // namespace qv
