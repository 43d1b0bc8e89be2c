#pragma once

// What qortool info prints for one test: its cycles, start tact and tacts,
// how many words and functions of each kind it holds, and the notes of the
// structure check of its diagram.

#include <iosfwd>
#include <string>

namespace qv {
struct STest;
}

namespace qortool {

void PrintTestModel(std::ostream &out, const qv::STest &test, const std::string &notes);

} // namespace qortool
