#pragma once

// A recorded test's diagnosis in the operator's words, read back from the
// JSON the record keeps (the contact names travel in it: the contact file
// of the bench that ran may not be at hand where the journal is read).
// Entries that cannot be read are skipped, never guessed.

#include "results/runrecord.h"

#include <string>
#include <vector>

namespace qv::results {

// "контакт 1 «D0» — постоянно 1, объясняет 2 ошибки", then "  неотличимо
// от: ..." when the test cannot tell it from other faults; last the wrong
// bits no fault explains. `passes`: the record's passes (a fault that acts
// in fewer of them is told to be intermittent).
std::vector<std::string> DiagnosisLines(const TestResult &test, int passes);

} // namespace qv::results
