#pragma once

// The unit's side of a device program: the image the host sends with
// QORV_DATA, read into plain records. This reader is the unit's own (it does
// not use the host's compiler code), so a test that runs a compiled image
// here checks the compiler against an independent reading of the layout
// described in docs/unit-protocol.md.

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace qv::sim {

enum ProgramFlag : std::uint8_t {
    FlagDebug = 1,
    FlagProbe = 2,
    FlagDebugCycles = 4,
    FlagContinuous = 8,
    FlagResultPerPass = 16,
    FlagStopOnError = 32,
    FlagAllTests = 64,
};

struct ProgColumn
{
    std::uint8_t a = 0; // letter, or the changed line (1-based) of a '-' column
    std::uint8_t b = 0; // item number, opening column, or the new level flag
};

struct ProgInput // input and generator words, G-cycles
{
    int id = 0;
    int bus = 0;            // input words: bus index
    std::uint16_t kind = 0; // generator words: kind code; G-cycles: 1 conditional
    bool constant = false;
    std::vector<std::uint16_t> values;
};

struct ProgOutput
{
    int id = 0;
    int bus = 0;
    bool wait = false;
    std::uint32_t waitLimit = 0;
    int mark = 0;                    // 1 checked by E, 2 by N
    std::vector<std::uint16_t> refs; // bus levels expected per cycle
};

struct ProgF
{
    int number = 0;
    char direction = 'w';
    char adrKind = 'i';
    int adrId = 0;
    std::uint16_t adrMask = 0;
    int datId = 0;
    std::uint16_t datMask = 0;
    std::uint32_t start = 0, end = 0;
    std::uint16_t inc = 1;
    int itemSize = 1;
    std::string file; // Windows-1251 bytes
};

struct ProgM
{
    int number = 0;
    int adrWrite = 0, adrWrite2 = 0, datWrite = 0; // datWrite: bit 7 = inverse
    int adrRead = 0, adrRead2 = 0, datRead = 0;
    std::uint16_t masks[4]{}; // adrWrite, adrWrite2, adrRead, adrRead2
    std::uint32_t start = 0, end = 0;
    std::uint16_t inc = 1;
    std::uint16_t datMask = 0;
    std::uint16_t alg = 0;
};

struct ProgP
{
    int number = 0;
    char adrWriteKind = 'i';
    int adrWrite = 0;
    std::uint16_t adrWriteMask = 0;
    int datWrite = 0;
    char adrReadKind = 'i';
    int adrRead = 0;
    std::uint16_t adrReadMask = 0;
    int datRead = 0;
    std::uint32_t start = 0, end = 0;
    std::uint16_t inc = 1;
    std::uint16_t datMask = 0;
    int alg = 0;
    int cycles = 0, param = 0;
    std::string file;
};

struct ProgTest
{
    int index = 0;
    int startTact = 0;
    int cycles = 0;
    std::vector<std::uint16_t> lineChannels;
    std::vector<ProgColumn> columns;
    std::vector<ProgInput> inputs;
    std::vector<ProgOutput> outputs;
    std::vector<ProgInput> generators;
    std::vector<ProgInput> gCycles;
    std::vector<ProgF> fFuncs;
    std::vector<ProgM> mFuncs;
    std::vector<ProgP> pFuncs;
    bool hasV = false;
    int vTact = 0;
    std::uint16_t vTimeBase = 0;
};

struct Program
{
    std::uint8_t flags = 0;
    int activeCycle = 0, debugFirst = 0, debugLast = 0;
    std::vector<std::vector<std::uint16_t>> buses; // channel codes per bus bit
    std::vector<ProgTest> tests;

    bool Has(ProgramFlag flag) const { return (flags & flag) != 0; }
};

// nullopt with a reason for an image that ends early or carries a value the
// layout does not allow; trailing bytes are an error too.
std::optional<Program> ReadProgram(std::span<const std::uint8_t> image, std::string *error);

} // namespace qv::sim
