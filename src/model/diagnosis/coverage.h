#pragma once

// The fault coverage of a test file, from its references alone: for every
// contact the chosen tests drive or read, whether a stuck-at-0, a
// stuck-at-1 and a short (AND and OR) with each neighbour on the same bus
// would make at least one read of a golden board go wrong. A fault counts
// as detected when any chosen test sees it.

#include "model/diagnosis/faults.h"

#include <vector>

namespace qv {
struct SQor;
}

namespace qv::diagnosis {

struct BridgeCoverage
{
    int with = 0; // the neighbour, 1..192
    bool bridgeAnd = false;
    bool bridgeOr = false;
};

struct ContactCoverage
{
    int contact = 0;     // 1..192
    bool read = false;   // a test reads its level
    bool driven = false; // a test drives it (control line or input word)
    bool stuckLow = false;
    bool stuckHigh = false;
    std::vector<BridgeCoverage> bridges; // with each neighbour, in contact order

    // Whether no fault of the contact is seen.
    bool Blind() const;
};

struct Coverage
{
    std::vector<int> tests; // 0-based
    std::vector<ContactCoverage> contacts;
    int faults = 0;   // single faults looked at (each short once)
    int detected = 0; // of those, the ones a test sees

    // Detected of all, in whole percent rounded down; 100 when there are none.
    int Percent() const;
    // The faults looked at, detected ones or the others; each short once.
    std::vector<Fault> Faults(bool detected) const;
    std::vector<int> BlindContacts() const;
};

// Coverage of the given tests (0-based) of the file; absent tests are skipped.
Coverage CoverageOf(const SQor &file, const std::vector<int> &tests);

} // namespace qv::diagnosis
