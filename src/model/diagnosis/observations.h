#pragma once

// What a run tells about the board, read for the diagnosis: every read of
// an output word in a cycle, as wire levels (the inverse code undone), with
// the contact of each bit and the fault-free level of every contact at the
// moment of the read. The levels follow the unit's walk through the tacts:
// a contact nobody drives floats high, a control line starts low and takes
// the level changes the program carries (the first changed line of a "-"
// tact), an input word drives its bus from its tact on with the value
// applied, and the board drives an output word's bus with the expected
// value when the word is read (its first tact in the cycle; a word no tact
// of the cycle reads is taken at the cycle's end). Every test starts afresh.

#include "model/diagnosis/faults.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

namespace qv {
struct SQor;
struct STest;
} // namespace qv

namespace qv::diagnosis {

inline constexpr int kMaxBits = 16;

struct ReadObservation
{
    int test = 0;  // 0-based
    int word = 0;  // output word Id
    int cycle = 0; // 0-based
    int tact = 0;  // 1-based tact that reads the word; 0 when no tact of the cycle does
    int width = 0; // bits of the word's bus, at most 16
    std::array<std::uint8_t, kMaxBits> contacts{}; // per bit, 1..192; 0 = no contact
    std::uint16_t mask = 0;                        // inversion mask of the word
    std::uint16_t expected = 0;                    // wire levels expected
    std::optional<std::uint16_t> read;             // wire levels read; nullopt = not read
    Levels levels; // fault-free, the word's own contacts at `expected`

    bool Expected(int bit) const { return (expected >> bit) & 1u; }
    bool Read(int bit) const { return read && ((*read >> bit) & 1u); }
};

// The reads of the given output words (one byte Id each) of a test, with
// the values the run left in the words (Run); a test whose run was in
// debug mode is read for its active cycle over the debug range.
std::vector<ReadObservation> ObserveTest(const SQor &file, const STest &test, int testIndex,
                                         std::string_view words, bool debug);

// The same reads as a golden board gives them: every read at its reference.
std::vector<ReadObservation> ReferenceReads(const SQor &file, const STest &test, int testIndex,
                                            std::string_view words);

// The output words a test reads: the Ids of its "o" and "O" tacts, once each.
std::string OutputWordsRead(const STest &test);

// The contacts (1..192) a test drives or reads: its control lines and the
// buses of the input and output words its tacts use; in contact order.
std::vector<int> ContactsOfTest(const SQor &file, const STest &test);
// Of those, the contacts whose level a read of the test sees, and the ones
// the test drives.
std::vector<int> ReadContactsOfTest(const SQor &file, const STest &test);
std::vector<int> DrivenContactsOfTest(const SQor &file, const STest &test);

} // namespace qv::diagnosis
