#pragma once

// P-functions: programming a memory chip from a data file, through an
// address word and a data word with a programming algorithm, and reading it
// back through a second pair of words. Sections "PFUNCS<n>", n = 1..16.

#include "model/functions/funclist.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace qv {

class IniStore;
struct SSaveParam;

// Programming algorithms (Alg).
enum ProgAlgorithm : std::uint8_t {
    ProgStandard = 0, // no parameters
    ProgEprom = 1,    // Cycles 10..50, Param = delay g-word number
    ProgProm0 = 2,    // Cycles 3..20, Param = pulse count
    ProgProm1 = 3,    // as ProgProm0
};

struct SProgAlgorithmInfo
{
    std::string_view name;
    bool hasParameters;
    std::int32_t minCycles;
    std::int32_t maxCycles;
};
// The algorithm's name and parameter range; null for an unknown algorithm.
const SProgAlgorithmInfo *ProgAlgorithmInfo(int alg);

// Status value of a P-function that has not run.
inline constexpr std::uint8_t kProgNotRun = 2;

struct SProg
{
    std::int32_t AdrStart = 0;
    std::int32_t AdrEnd = 0;
    std::int32_t AdrInc = 0;
    std::uint8_t Alg = 0; // ProgAlgorithm
    std::int32_t AdrWrite = 0;
    std::int32_t DatWrite = 0; // i-word
    char AdrWriteKind = ' ';   // 'i', 'o' or 'g'; ' ' in a record added and not loaded
    std::int32_t AdrRead = 0;
    std::int32_t DatRead = 0; // o-word
    char AdrReadKind = ' ';
    std::string Name;
    std::string FileName;              // data file name without folder; "" = none
    std::int32_t Cycles = 0;           // key PARAM0
    std::int32_t Param = 0;            // key PARAM1: delay g-word (EPROM) or pulse count (PROM)
    std::int32_t Number = 0;           // 1..16
    bool Error = false;                // the last run reported an error
    std::uint8_t Status = kProgNotRun; // result of the last run
    // The values as read from the test file; SavedFileName keeps "*".
    std::int32_t SavedStart = 0;
    std::int32_t SavedEnd = 0;
    std::int32_t SavedInc = 0;
    std::int32_t SavedCycles = 0;
    std::int32_t SavedParam = 0;
    std::string SavedFileName;
};

class TProg : public FuncList<SProg>
{
public:
    TProg()
        : FuncList("TProg")
    {}

    // Reads the sections prefix + 1..16 that exist and links the data word
    // of the PROM algorithms through linkWord. A missing or malformed ADRW or ADRR (and any
    // malformed value) is reported (ReportMalformedValue) and read as 0.
    void LoadFromFile(const IniStore &ini, std::string_view prefix, const WordLinkFn &linkWord);
    void SaveToFile(IniStore &ini, std::string_view prefix, const SSaveParam *param) const;

    // Forgets the last run: no error, status "not run".
    void ResetRunResults();
};

} // namespace qv
