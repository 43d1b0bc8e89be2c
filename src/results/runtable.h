#pragma once

// The runs as rows of text: the columns of the journal window, of
// `qortool history --format table|csv`, and of the window's CSV export.
// CSV is UTF-8, comma separated, a field quoted when it holds a comma, a
// quote or a line break.

#include "results/resultsdb.h"
#include "results/runrecord.h"

#include <string>
#include <vector>

namespace qv::results {

// The column titles, in order.
const std::vector<std::string> &RunColumnTitles();
std::vector<std::string> RunCells(const RunRecord &record);
// The verdict as the operator reads it ("годна", "ошибки", ...).
std::string VerdictTitle(const std::string &verdict);

std::string CsvOfRuns(const std::vector<RunRecord> &runs);
std::string CsvOfYield(const std::vector<YieldRow> &rows);

// Rows padded to their columns' widths (in characters), titles first.
std::string TextTable(const std::vector<std::string> &titles,
                      const std::vector<std::vector<std::string>> &rows);

// "97.5" - a yield as the tables print it.
std::string PercentText(double percent);

} // namespace qv::results
