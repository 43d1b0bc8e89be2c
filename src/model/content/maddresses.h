#pragma once

// The M-functions a test's table shows in debug mode: the list of M tacts,
// the current addresses of each function written into its address words,
// and the notes that tell the operator which input word carries which part
// of which address.

#include <cstdint>
#include <optional>
#include <string>

namespace qv {

class TextGrid;
class TTyreAdr;
class TTimeArray;
struct STest;

// One character per M tact of the diagram, in diagram order, whose code is
// the M-function's identifier (the tact's hexadecimal digit; tacts without
// a digit are left out).
std::string CollectMList(const TTimeArray &tacts);

// For each listed M-function, its write address (write side) and read
// address (read side) split over the side's two address words: the low
// word takes the address within its bus width, the high word (when the side
// has one) the bits above. Each becomes the word's run value of `cycle`.
void WriteMAddressWords(STest &test, const std::string &mList, const TTyreAdr &tyres, int cycle);

// Adds to the table, for each listed M-function, side and address word, a
// note "младший адрес записи M1: [1F]" (the address in base `base`) to the
// first row whose input name is that word; the note follows the name after
// the note separator, further notes of the same row follow after "; ".
void AddMAddressNotes(TextGrid &table, const STest &test, const std::string &mList, int base);

// The address side of a listed M-function that an input word carries: the
// side's words, their bus widths (highWidth 0 for a one-word address) and the
// largest address they can carry, 2^(lowWidth + highWidth) - 1.
struct MAddressSide
{
    int function = 0; // the M-function's number
    bool write = true;
    std::int32_t lowWord = 0;
    std::int32_t highWord = 0;
    int lowWidth = 0;
    int highWidth = 0;
    std::int64_t address = 0; // the side's current address
    std::int64_t maximum = 0;
};

// The first side of the listed M-functions whose low or high address word is
// input word `word`; nothing when no listed function uses it.
std::optional<MAddressSide> MAddressSideOfWord(const STest &test, const std::string &mList,
                                               int word, const TTyreAdr &tyres);

// Stores `address` as the side's current address (WritePos of the write
// side, ReadPos of the read side). False when it lies beyond the side's
// maximum or the function is gone; nothing changes then.
bool SetMAddress(STest &test, const MAddressSide &side, std::int64_t address);

} // namespace qv
