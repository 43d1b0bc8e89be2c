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
class TTyreAdr;

// The names, without folder, of the test file and its companions (the
// contact file, "NAME.CNT", "NAME.TXT", "NAME.sco"); empty for an empty path.
// No data file may take one of them: a run would overwrite the test itself.
std::vector<std::string> CompanionFileNames(const std::string &testFilePath,
                                            const std::string &contactFilePath);

// What the checks know of the file around the test.
struct FileFacts
{
    // CompanionFileNames: no data file may be named as one of them
    // (compared without letter case).
    std::vector<std::string> reservedNames;
    // The file's data buses; null: the bus checks are left out.
    const TTyreAdr *tyres = nullptr;
};

// One text per problem, "раздел [S], ключ K: значение \"V\" ..." (the caller
// adds the test number); empty for a test that can be compiled.
std::vector<std::string> RunBlockers(const STest &test, const FileFacts &file = {});

} // namespace qv
