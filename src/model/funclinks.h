#pragma once

// How the function lists reach the words of their test: the word links
// (FuncLink) set when a function is loaded, and the bus width of a word
// that bounds an address range.

#include <cstdint>

namespace qv {

class TTyreAdr;
struct STest;

// Kind bits of a word's FuncLink; the function number sits in bits 24..31.
enum FuncLinkBits : std::int32_t {
    LinkFAddress = 1,     // address-setting word of an F-function
    LinkMAddress = 2,     // address word of an M-function (low part)
    LinkMAddressHigh = 4, // high address word of an M-function
    LinkProm0Data = 32,   // data word of a "PROM 0" P-function
    LinkProm1Data = 64,   // data word of a "PROM 1" P-function
};

// (n << 24) | kind.
constexpr std::int32_t FuncLinkValue(int n, std::int32_t kind)
{
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(n) << 24) | kind;
}

// Sets the FuncLink of word `id` of kind 'i', 'o' or 'g'; a word the test
// does not have is left alone.
void SetWordLink(STest &test, char kind, int id, std::int32_t value);

// Bits of the data bus of word `id` of kind 'i', 'o' or 'g'; 0 when the
// word or its bus does not exist.
int WordBusWidth(const STest &test, const TTyreAdr &tyres, char kind, int id);

} // namespace qv
