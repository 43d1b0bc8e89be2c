#pragma once

// The message catalogue: numbered operator texts. Several Parts of the
// program append their own tails to a catalogue text (a count, a file name in
// quotes, a closing parenthesis), so each text is written to read well both
// alone and with the tail its callers add.

#include <span>
#include <string>
#include <string_view>

namespace qv {

// Catalogue numbers of texts whose callers name them by meaning rather than by
// a number fixed elsewhere.
enum CatalogueNumber : int {
    MsgNotANumberInBase = 4, // ends in " счисления"
    MsgEndNotAboveStart = 5, // ends in " больше начального"
    MsgAddressTooWide = 6,   // followed by " слова задания адреса"
    MsgByteCountRange = 7,   // S-function fixed byte count outside 1..65535
    MsgWaitPassesRange = 21, // number of wait passes outside its range
    MsgDelayRange = 63,      // P-function delay word value outside 1..65535
};

// The text of a catalogue message, or an empty view when the number has none.
std::string_view CatalogueText(int number);
bool HasCatalogueMessage(int number);

// The text to show: the catalogue text, or a visible placeholder naming the
// number when the catalogue has none (never an empty box, never a crash).
std::string Msg(int number);

// Every number the catalogue holds, ascending.
std::span<const int> CatalogueNumbers();

} // namespace qv
