#pragma once

// M-functions: a memory test on the board, written through a write address
// word and a write data word and read back through a read address word and
// a read data word, running a chosen set of the unit's memory-test
// algorithms. An address may span two i-words (low part, high part).
// Sections "MFUNCS<n>", n = 1..16.

#include "model/functions/funclist.h"

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace qv {

class IniStore;
struct SSaveParam;

inline constexpr int kMemoryAlgorithms = 6;
// Name of the memory-test algorithm of a bit of Alg ("Тест буферов" ...);
// empty out of range.
std::string_view MemoryAlgorithmName(int bit);
// Status value of an algorithm that has not run.
inline constexpr std::uint8_t kAlgorithmNotRun = 2;

struct SFuncM
{
    std::int64_t AdrStart = 0;
    std::int64_t AdrEnd = 0;
    std::int32_t AdrInc = 0;
    std::int32_t Alg = 0;       // algorithm mask, bits 0..5
    std::int32_t AdrWrite = 0;  // i-word of the write address (low part when AdrWrite2 is set)
    std::int32_t AdrWrite2 = 0; // i-word of the high part; 0 = one word
    std::int32_t DatWrite = 0;  // i-word of the write data
    std::int32_t AdrRead = 0;   // i-word of the read address (low part when AdrRead2 is set)
    std::int32_t AdrRead2 = 0;  // i-word of the high part; 0 = one word
    std::int32_t DatRead = 0;   // o-word of the read data
    std::string Name;
    std::int32_t Number = 0;      // 1..16
    bool Error = false;           // the last run reported an error
    std::int32_t Step = StepNone; // AddressStep of the address words in debug mode
    // Per algorithm bit: the unit's status of the last run; kAlgorithmNotRun before.
    std::array<std::uint8_t, kMemoryAlgorithms> Status{2, 2, 2, 2, 2, 2};
    // The values as read from the test file.
    std::int64_t SavedEnd = 0;
    std::int64_t SavedStart = 0;
    std::int32_t SavedInc = 0;
    std::int32_t SavedAlg = 0;
    // Current addresses of the write and read phases (debug mode).
    std::int64_t WritePos = 0;
    std::int64_t ReadPos = 0;
};

class TFuncM : public FuncList<SFuncM>
{
public:
    TFuncM()
        : FuncList("TFuncM")
    {}

    // Reads the sections prefix + 1..16 that exist and links the address
    // words through linkWord. A missing or malformed ADRW or ADRR (and any malformed value)
    // is reported (ReportMalformedValue) and read as 0.
    void LoadFromFile(const IniStore &ini, std::string_view prefix, const WordLinkFn &linkWord);
    void SaveToFile(IniStore &ini, std::string_view prefix, const SSaveParam *param) const;

    // Forgets the last run: no error, every status "not run", the phase
    // addresses back at the start.
    void ResetRunResults();
    // Leaving debug mode: the working range returns to the range read from
    // the file, and the phase addresses to its start.
    void RestoreSavedRanges();
};

} // namespace qv
