#pragma once

// Exports of one test for other tools: a value change dump of its diagram
// and words for waveform viewers, and its word values per cycle as CSV for
// spreadsheets. Both read the document only; the read values of a run are
// included when the test has run since its load (TestRunFlags).

#include <optional>
#include <string>
#include <string_view>

namespace qv {

class TQuorvik;

enum class ExportFormat { Vcd, Csv };

// "vcd" or "csv" in any letter case; nullopt for anything else.
std::optional<ExportFormat> ExportFormatNamed(std::string_view name);

// The dump of test `test` (0-based; it must exist). sourceName names the
// test file in the dump's comment; date is the text of its $date section.
std::string VcdOfTest(const TQuorvik &doc, int test, std::string_view sourceName,
                      std::string_view date);

// The CSV of test `test` (0-based; it must exist): a header row, then one
// row per word and cycle (input words, then output words, in list order).
std::string CsvOfTest(const TQuorvik &doc, int test);

// Writes the export of test `test` in `format` to path through a temporary
// file renamed over it, so a failed write leaves no partial file. Returns
// nullopt on success, else the operator's text of the failure.
std::optional<std::string> ExportTest(const TQuorvik &doc, int test, ExportFormat format,
                                      const std::string &path);

} // namespace qv
