#pragma once

// The M-functions a test's table shows in debug mode: the list of M tacts,
// the current addresses of each function written into its address words,
// and the notes that tell the operator which input word carries which part
// of which address.

#include <cstdint>
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

} // namespace qv
