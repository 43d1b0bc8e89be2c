#pragma once

// The records the document owns and the test-file container fills besides
// the test file with its tests (SQor, test/sqor.h): the contact names (SCnt),
// the comments (STxt), and the parameters of one save (SSaveParam).

#include <array>
#include <cstdint>
#include <string>

namespace qv {

inline constexpr int kMaxTests = 20;
inline constexpr int kMaxContacts = 192;
inline constexpr int kCommentSlots = kMaxTests + 1; // slot 0 = file, 1..20 = tests

struct SCnt
{
    double Created = 0;  // day count
    double Modified = 0; // day count
    // Contact names, index 0 = contact 1; a contact without a record has "".
    std::array<std::string, kMaxContacts> Names;
    std::string FileName; // full path of the contact file
};

struct STxt
{
    std::array<std::string, kCommentSlots> Comments; // lines joined by CR LF
    std::string FileName;                            // full path of the comment file
};

// What a save writes besides the reference data. Built by the document,
// completed by the save choice dialog, and carried by the container to the
// section writers.
struct SSaveParam
{
    // Bits of Kinds.
    enum : std::int32_t {
        KindDebugData = 1, // debug values of i-, g- and G-words
        KindFuncData = 2,  // run data of M-, F- and P-functions
        KindVData = 4,     // V-function data
        KindProbeData = 8, // probe data
    };

    bool DebugMode = false;     // only in debug mode may debug and probe data be written
    std::int32_t TestIndex = 0; // test whose sections are being written (set by the container)
    std::int32_t Cycle = -1;    // active cycle to take run data from; -1 = all cycles
    std::int32_t Test = -1;     // only this test's run data (0-based); -1 = every test
    std::int32_t Kinds = 0;     // bit set of the Kind... values
    std::int32_t WordKind = 0;  // character code of the word kind being written ('i' = 105)
    std::string FileName;       // file name chosen in the save dialog, no folder
};

} // namespace qv
