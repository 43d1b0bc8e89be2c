#pragma once

// The diagnosis of a run that was made: the reads of every test of the run
// (its own and the called ones, the words each counts as errors) with the
// values the document holds, the wrong values of the failing passes, and
// as partners of a short every contact those tests drive or read. Made
// once when the run ends, on the thread that owns the document.

#include "model/diagnosis/diagnosis.h"

#include <string>
#include <vector>

namespace qv {

class TQuorvik;

// One test of the run: the output words it read (one byte Id each) and,
// of those, the ones it does not count as errors.
struct DiagnosedTest
{
    int test = 0; // 0-based
    std::string words;
    std::string unchecked;
};

diagnosis::Diagnosis DiagnoseRun(const TQuorvik &doc, const std::vector<DiagnosedTest> &tests,
                                 const diagnosis::RunPasses &passes);

} // namespace qv
