#pragma once

// What qortool run reports after a run: a summary for the console (errors
// per test, every wrong output word with its cycle, reference and value
// read) and a JSON record of the whole run.

#include "execution/run/rundriver.h"

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

// One output word's value of one cycle after a run.
struct WordCycle
{
    int cycle = 0; // 0-based
    std::optional<std::int32_t> reference;
    std::optional<std::int32_t> read; // nullopt: not read in this run
    bool checked = true;              // counted as an error when it differs
    bool Wrong() const { return checked && read && reference != read; }
};
std::vector<WordCycle> WordCycles(const qv::STest &test, int id, bool checked);

// The one summary of a run on the console: for a continuous run its passes
// and the failing ones, then per test its errors and wrong output words.
void PrintRunSummary(std::ostream &out, const qv::TQuorvik &doc, const qv::RunVerdict &verdict);
std::string RunReportJson(const qv::TQuorvik &doc, const qv::RunVerdict &verdict,
                          const RunReportInfo &info);

// A JSON string literal, quotes included.
std::string JsonString(std::string_view text);

} // namespace qortool
