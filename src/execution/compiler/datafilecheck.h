#pragma once

// The checks of an F- or P-function's data file before a run: the overwrite
// question of a file the run writes, the size check of a file it reads.

#include "infra/notice.h"

#include <cstdint>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <vector>

namespace qv {

struct SFuncF;
struct SProg;

// The operator refused, or the file could not be checked (already shown).
class DataFileRefused : public std::runtime_error
{
public:
    using std::runtime_error::runtime_error;
};

struct DataFileJob
{
    std::string label;    // "F3 \"name" (the quote is closed by the message)
    std::string fileName; // without folder
    bool writes = false;  // the run writes the file
    bool askOverwrite = false;
    std::int64_t start = 0, end = 0, inc = 1;
    int itemSize = 1;

    static DataFileJob ForF(const SFuncF &f, int itemSize, bool askOverwrite);
    static DataFileJob ForP(const SProg &p, int itemSize);
    // Bytes the run reads: ((end - start + inc) div inc) x item size.
    std::int64_t RequiredSize() const;
};

// The size-mismatch message ("... больше требуемого ..."); larger adds the
// closing question.
std::string SizeMismatchText(const DataFileJob &job, std::int64_t fileSize);

// The path in `dir` of a function's data file (label as in DataFileJob).
// A name that would lead out of the folder is told to the operator and
// throws DataFileRefused: the run must not read or write outside it.
std::filesystem::path DataFileInFolder(const std::filesystem::path &dir, const std::string &label,
                                       const std::string &fileName, const NoticeSink &notices);

// "S1 \"name": a function's label in data-file messages.
std::string FunctionLabel(char letter, int number, const std::string &name);

// Checks the file in `dir` and adds it to `files` unless it is there
// already; its questions and refusals go to `notices`. Throws
// DataFileRefused when the run must not start.
void CheckDataFile(const DataFileJob &job, const std::filesystem::path &dir,
                   std::vector<std::filesystem::path> &files, const NoticeSink &notices);

} // namespace qv
