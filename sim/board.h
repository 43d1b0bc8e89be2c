#pragma once

// What a simulated unit is and how its link misbehaves: the content of a
// board file (docs/unit-simulator.md). Loaded once when the unit is made and
// read-only afterwards; what changes while the unit runs lives in UnitState.

#include "scopebus.h"

#include <array>
#include <cstdint>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace qv::sim {

// Faults of the link itself, per command code.
struct FaultPlan
{
    std::set<int> silent;        // never answered
    std::map<int, int> delayMs;  // answered this much later
    std::set<int> corrupt;       // answered with a damaged check
    std::set<int> corruptNotify; // the unit's own frames of these codes go out damaged
    std::map<int, int> garbage;  // this many garbage bytes before the answer
    // After answering one of these the unit hangs: it answers nothing and
    // sends nothing more until the session ends (a unit stopped mid-run).
    std::set<int> hang;
    int dropAfterBlocks = 0; // connection dropped after N blocks of a transfer (0: never)
    int times = 0;           // each fault fires this often per unit run (0: always)
};

struct Supply
{
    std::string name;
    int currentMa = 0;
    int limitMa = 0;
};

struct CalibrationParameter
{
    std::string name; // UTF-8; travels in Windows-1251
    float value = 0;
};

// Two contacts (0-based) that a fault ties together.
struct ContactPair
{
    int a = 0;
    int b = 0;
    friend bool operator==(const ContactPair &, const ContactPair &) = default;
};

// How the simulated board answers device programs (section [Board]).
struct BoardBehaviour
{
    int tactMicros = 2000;   // simulated duration of one tact
    std::set<int> stuckLow;  // 0-based contacts that always read 0
    std::set<int> stuckHigh; // 0-based contacts that always read 1
    // The stuck contacts act only in every Nth pass of a run (passes N, 2N,
    // ...): a board that fails now and then; 0 or 1: in every pass.
    int stuckEvery = 0;
    // Shorted contacts: both read the AND (the OR) of their levels; a
    // contact the unit drives keeps its level, a read one sees the short.
    std::vector<ContactPair> bridgedAnd;
    std::vector<ContactPair> bridgedOr;
    std::vector<ContactPair> swapped; // crossed adapter wires: each reads the other's level
    // Every fault of the board (stuck, bridged, swapped) acts only in passes
    // N, 2N, ... of a run; 0 or 1: in every pass.
    int faultEvery = 0;
    std::optional<std::uint32_t> memoryFault; // M-functions read a wrong cell here
    // Board data of F-functions, (address * 7 + seed); without a seed the
    // board holds what an FC function's file says (FW still gives the pattern).
    std::optional<std::uint32_t> dataSeed;
    bool programmingFails = false; // every P-function fails
    int probeContact = -1;         // 0-based contact under the probe; -1 none
    std::string probeLevels;       // level characters per tact, repeated; "" = follow the line
};

struct Board
{
    int type = 1; // 0 ARM, 1 MS-DOS
    int year = 2024, month = 11, day = 5;
    int hour = 10, minute = 42, second = 17;
    // One (major, minor) character pair per device-side program position; a
    // pair of zero bytes reports an absent program.
    std::vector<std::array<std::uint8_t, 2>> versions;

    std::uint32_t maxPayload = 1024 * 1024;
    std::uint32_t maxBlock = 64 * 1024;
    std::uint64_t storeLimit = 64ull * 1024 * 1024;

    // Type 1: the three measured periods in µs; nullopt = not available.
    std::array<std::optional<float>, 3> periods{3.0f, 2500.0f, 5579.67f};
    // Type 0: the reported parameters and the wait table.
    std::vector<CalibrationParameter> parameters;
    std::array<float, 16> waitT0{};
    std::array<float, 16> waitTinc{};

    std::set<std::uint16_t> wrongContacts; // channel codes that do not read low
    int identificationAnswerLimit = -1;    // cut the status list to this many bytes
    bool identificationAlwaysStatuses = false;

    std::vector<Supply> supplies;
    int alarmAfterMs = 0; // the armed current alarm trips after this long (0: never)

    std::vector<std::uint16_t> ioFaults; // channels the I/O check reports

    FaultPlan faults;
    BoardBehaviour behaviour;
    ScopeBehaviour scope; // the oscilloscope probe (section [Scope])
};

// The unit a board file describes when it says nothing: an MS-DOS unit with
// every program of the bench installed and a healthy link.
Board DefaultBoard();

// Reads a board file; a missing key keeps the default. On failure nullopt
// and a message naming the file and the line.
std::optional<Board> LoadBoard(const std::string &path, std::string *error);
std::optional<Board> ParseBoard(std::string_view text, std::string *error);

} // namespace qv::sim
