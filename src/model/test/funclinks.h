#pragma once

// How the function lists reach the words of their test: the word links
// (FuncLink, words.h) set when a function is loaded, and the bus width of a
// word that bounds an address range.

#include "model/functions/funclist.h"

#include <cstdint>
#include <string_view>

namespace qv {

class TTyreAdr;
struct STest;

// Sets the FuncLink of word `id` of kind 'i', 'o' or 'g'; a word the test
// does not have is left alone (a function may name a word that was deleted).
void SetWordLink(STest &test, char kind, int id, std::int32_t value);
// The same as the link a function list is loaded with (the test must
// outlive it).
WordLinkFn WordLinksOf(STest &test);

// Bits of the data bus of word `id` of kind 'i', 'o' or 'g'; 0 when the
// word or its bus does not exist.
int WordBusWidth(const STest &test, const TTyreAdr &tyres, char kind, int id);

// CheckAddressRange (funcaddress.h) with the bus widths of the test's words.
bool CheckAddressRange(std::int64_t end, std::string_view words, const STest &test,
                       const TTyreAdr &tyres);

} // namespace qv
