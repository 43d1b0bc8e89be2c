#pragma once

// A test file at the limits of the model, made in memory: 20 tests of 16
// cycles and 128 tacts, 192 level lines, probe entries in every cycle, 16
// words of each kind, 16 functions of each kind, and a contact file that
// names all 192 contacts. Its test blocks are exactly what the section
// writers produce, so a load and a save give the same blocks back. Used by
// the round-trip tests and the load/save benchmark.

#include <string>
#include <string_view>

namespace qortool {

inline constexpr int kMaximalTests = 20;
inline constexpr int kMaximalCycles = 16;
inline constexpr int kMaximalTacts = 128;
inline constexpr int kMaximalLines = 192;

struct GeneratedFile
{
    std::string qor; // the test file's bytes
    std::string cnt; // the contact file's bytes
};

// contactFileName is the bare name the general section names (e.g. "MAX.CNT").
GeneratedFile MaximalTestFile(std::string_view contactFileName);

// The UTF-8 INI text of one maximal test block, as the section writers
// write it.
std::string MaximalTestBlock(int testIndex);

} // namespace qortool
