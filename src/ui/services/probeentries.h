#pragma once

// The probe entries of a test's active cycle as the probe menu changes them:
// add one, delete the current one, delete all but the first. Entry 0 of a
// cycle is permanent; ProbeFlags holds the current entry of each cycle.

#include <string>
#include <vector>

namespace qv {

struct STest;
struct SZond;

namespace services {

// Why a delete was refused (catalogue message numbers).
enum class ProbeRefusal {
    None,
    OnlyOne = 42,    // the cycle holds a single entry
    FirstProbe = 62, // the current entry is the permanent first one
};

// The first of "Зонд1", "Зонд2", ... that no entry of `entries` is named.
std::string NextProbeName(const std::vector<SZond> &entries);

// The current entry of the active cycle (0 when none was chosen).
int CurrentProbe(const STest &test);

// Appends an entry (switched off, mark -1, one 'x' per tact for both level
// texts) to the active cycle and makes it current; the cycle gets its
// permanent first entry before when it has none. Returns its index.
int AddProbe(STest &test);

// Removes the current entry; the later ones move up and the current one
// stays at its position, or steps back when it was the last.
ProbeRefusal DeleteProbe(STest &test);

// Keeps the first entry only, switched off, and makes it current.
ProbeRefusal DeleteAllProbes(STest &test);

} // namespace services
} // namespace qv
