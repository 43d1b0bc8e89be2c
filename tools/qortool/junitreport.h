#pragma once

// qortool run --junit: the run as a JUnit XML report for the CI servers of
// production lines. One test case per test of the file: a test of the run
// with errors fails with its wrong output words; a test the run did not
// reach (not in it, or a run that was not made) is skipped or in error.

#include "execution/run/rundriver.h"
#include "runreport.h"

#include <string>

namespace qortool {

std::string JUnitReport(const qv::TQuorvik &doc, const qv::RunVerdict &verdict,
                        const RunReportInfo &info);

} // namespace qortool
