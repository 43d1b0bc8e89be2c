#pragma once

// F-functions: a block of data moved between the board and a data file
// beside the test file, one element per address of a range, through an
// address-setting word and a data-setting word of the test. Sections
// "FFUNCS<n>", n = 1..16.

#include "model/functions/func.h"

#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace qv {

class IniStore;
struct SSaveParam;

struct SFuncF
{
    std::string Name;
    std::int32_t AdrWord = 0; // address-setting word, word code (key ADRW)
    std::int32_t AdrStart = 0;
    std::int32_t AdrEnd = 0;
    std::int32_t AdrInc = 0;
    std::int32_t DatWord = 0;       // data-setting word, word code (key DATW)
    std::int32_t Type = -1;         // FuncDirection; -1 in a record added and not loaded
    std::int32_t Number = 0;        // 1..16
    std::string FileName;           // data file name without folder; "" = none
    std::vector<std::uint8_t> Data; // block handed over after the last run
    std::int32_t Reached = -1;      // address reached by the last run; -1 = none
    bool Error = false;             // the last run reported an error
    std::int32_t Step = StepNone;   // AddressStep of the address word in debug mode
    // The values as read from the test file; written back unless the save
    // asks for the function data.
    std::int32_t SavedStart = 0;
    std::int32_t SavedEnd = 0;
    std::int32_t SavedInc = 0;
    std::string SavedFileName;

    std::int32_t DataSize() const { return static_cast<std::int32_t>(Data.size()); }
    std::int32_t Direction() const { return Type; }
};

// TypeName gives "F" for a Type outside 0..2.
class TFuncF : public DataFuncList<SFuncF>
{
public:
    TFuncF()
        : DataFuncList("TFuncF", "F")
    {}

    // Reads the sections prefix + 1..16 that exist and marks each function's
    // address-setting word through linkWord. A malformed value is reported
    // (ReportMalformedValue) and read as its default.
    void LoadFromFile(const IniStore &ini, std::string_view prefix, const WordLinkFn &linkWord);
    // One section per record in list order; the working values when param
    // asks for the function data, else the values read from the file.
    void SaveToFile(IniStore &ini, std::string_view prefix, const SSaveParam *param) const;
};

// True when a save writes the working values of M-, F- and P-functions.
bool WritesFuncData(const SSaveParam *param);

// Data files. An F-function's data file is a flat array of elements, one per
// address of its range from AdrStart up; an element is as wide as the data
// word's bus rounded up to whole bytes (at least 1), little-endian.
int DataElementSize(int dataBusWidth);
// Element `index` of a data block, or nullopt past its end.
std::optional<std::uint32_t> DataElementAt(std::span<const std::uint8_t> data, std::size_t index,
                                           int elementSize);
// Byte offset of the element of `address` (with increment 1 the element of
// address a lies at (a - AdrStart) * size); -1 below AdrStart.
std::int64_t DataElementOffset(const SFuncF &function, std::int64_t address, int elementSize);
// The data file beside the test file; empty for a function without one or
// whose name leads out of the folder.
std::filesystem::path DataFilePath(const std::filesystem::path &testFilePath,
                                   std::string_view fileName);
// After a run: an FW function whose run covered its whole range hands its
// block to the data file; every other block stays with the record.
bool RunBlockGoesToFile(const SFuncF &function);

} // namespace qv
