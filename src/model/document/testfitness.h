#pragma once

// What a loaded test holds that the unit's program cannot be built from:
// counts the image cannot carry, diagram letters and item kinds it has no
// code for, word values missing for some cycles, data file names that lead
// out of the test file's folder. Each problem is found once at load and
// named by its section and key; the test is still shown, but it is not run.

#include <string>
#include <vector>

namespace qv {

struct STest;

// One text per problem, "раздел [S], ключ K: значение \"V\" ..." (the caller
// adds the test number); empty for a test that can be compiled.
std::vector<std::string> RunBlockers(const STest &test);

} // namespace qv
