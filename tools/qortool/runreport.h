#pragma once

// What qortool run reports after a run: a summary for the console (errors
// per test, every wrong output word with its cycle, reference and value
// read) and a JSON record of the whole run.

#include "execution/run/rundriver.h"
#include "model/export/wordcycles.h"

#include <chrono>
#include <iosfwd>
#include <string>

namespace qortool {

struct RunReportInfo
{
    std::string file;
    std::string address;
    std::string buildInfo;
    std::chrono::system_clock::time_point started;
    std::chrono::system_clock::time_point finished;
};

// The wrong output words of one test after a run, one line each: the
// word, the cycle, the reference and the value read.
std::vector<std::string> WrongWordLines(const qv::STest &test,
                                        const qv::RunVerdict::TestRecord &record);
// The test's error count as the document keeps it (0 when none is kept).
std::int32_t ErrorsOf(const qv::TQuorvik &doc, int test);

// The layout version of the JSON record ("version"); records without the
// field are of version 1.
inline constexpr int kRunReportVersion = 3;

// The one summary of a run on the console: for a continuous run its passes
// and the failing ones, then per test its errors and wrong output words.
void PrintRunSummary(std::ostream &out, const qv::TQuorvik &doc, const qv::RunVerdict &verdict);
std::string RunReportJson(const qv::TQuorvik &doc, const qv::RunVerdict &verdict,
                          const RunReportInfo &info);

// A JSON string literal, quotes included.
std::string JsonString(std::string_view text);

} // namespace qortool
