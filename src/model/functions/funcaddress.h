#pragma once

// Address ranges of the F-, M- and P-functions and the words that carry
// them. An address word is named by its text: one word ("i12"), or two
// words that share a longer address, low part first ("i12 (L) / i13 (H)",
// or "i12 / i13"). The address words together provide as many address bits
// as their data buses are wide.

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

namespace qv {

struct SFuncM;

// "i" low, " (L) / ", "i" high, " (H)"; just "i" low when high is 0.
std::string AddressWordsText(std::int32_t low, std::int32_t high);
// The write and read address words of an M-function, as above.
std::string WriteAddressText(const SFuncM &function);
std::string ReadAddressText(const SFuncM &function);

// The largest address of `bits` address bits: 2^bits - 1 (every address
// for 64 bits or more).
std::uint64_t MaxAddressOfBits(int bits);

// Bits of the bus of a word named by kind and number.
using WordWidthFn = std::function<int(char kind, int number)>;

// True when `end` fits the bits of the words named in `words`; false when
// it needs more, and for a text that names no word.
bool CheckAddressRange(std::int64_t end, std::string_view words, const WordWidthFn &widthOf);

// An address split across two words: the low part takes as many bits as
// the low word is wide, the high part the rest.
struct STwoPartAddress
{
    std::uint64_t low = 0;
    std::uint64_t high = 0;
};
STwoPartAddress SplitTwoPartAddress(std::uint64_t address, int lowWidth);
std::uint64_t JoinTwoPartAddress(std::uint64_t low, std::uint64_t high, int lowWidth);

} // namespace qv
