#pragma once

// A readable listing of a device program for the bench engineer: the run
// flags, the buses with their channel codes, and each test's sections and
// values as the unit reads them.

#include "program.h"

#include <string>

namespace qv::sim {

std::string ProgramListing(const Program &program);

} // namespace qv::sim
