#include "model/functions/funcaddress.h"

#include "model/functions/funcm.h"

#include <charconv>

namespace qv {
namespace {

constexpr std::string_view kLowMark = " (L)";
constexpr std::string_view kHighMark = " (H)";

std::string WithoutMarks(std::string_view text)
{
    std::string out(text);
    for (const std::string_view mark : {kLowMark, kHighMark}) {
        for (auto pos = out.find(mark); pos != std::string::npos; pos = out.find(mark))
            out.erase(pos, mark.size());
    }
    return out;
}

std::string_view Trimmed(std::string_view text)
{
    while (!text.empty() && text.front() == ' ')
        text.remove_prefix(1);
    while (!text.empty() && text.back() == ' ')
        text.remove_suffix(1);
    return text;
}

} // namespace

std::string AddressWordsText(std::int32_t low, std::int32_t high)
{
    std::string text = "i";
    text += std::to_string(low);
    if (high == 0)
        return text;
    text += kLowMark;
    text += " / i";
    text += std::to_string(high);
    text += kHighMark;
    return text;
}

std::string WriteAddressText(const SFuncM &function)
{
    return AddressWordsText(function.AdrWrite, function.AdrWrite2);
}

std::string ReadAddressText(const SFuncM &function)
{
    return AddressWordsText(function.AdrRead, function.AdrRead2);
}

std::uint64_t MaxAddressOfBits(int bits)
{
    if (bits <= 0)
        return 0;
    if (bits >= 64)
        return UINT64_MAX;
    return (std::uint64_t{1} << bits) - 1;
}

bool CheckAddressRange(std::int64_t end, std::string_view words, const WordWidthFn &widthOf)
{
    const std::string plain = WithoutMarks(words);
    std::string_view rest = plain;
    int bits = 0;
    int named = 0;
    while (!rest.empty()) {
        const auto slash = rest.find('/');
        const std::string_view token = Trimmed(rest.substr(0, slash));
        rest = slash == std::string_view::npos ? std::string_view() : rest.substr(slash + 1);
        if (token.size() < 2)
            continue;
        int number = 0;
        const char *last = token.data() + token.size();
        const auto [stop, ec] = std::from_chars(token.data() + 1, last, number);
        if (ec != std::errc() || stop != last)
            continue;
        bits += widthOf(token.front(), number);
        ++named;
    }
    if (named == 0)
        return false;
    return end <= 0 || static_cast<std::uint64_t>(end) <= MaxAddressOfBits(bits);
}

STwoPartAddress SplitTwoPartAddress(std::uint64_t address, int lowWidth)
{
    if (lowWidth >= 64)
        return {address, 0};
    if (lowWidth <= 0)
        return {0, address};
    return {address & MaxAddressOfBits(lowWidth), address >> lowWidth};
}

std::uint64_t JoinTwoPartAddress(std::uint64_t low, std::uint64_t high, int lowWidth)
{
    if (lowWidth >= 64)
        return low;
    if (lowWidth <= 0)
        return high;
    return (high << lowWidth) | (low & MaxAddressOfBits(lowWidth));
}

} // namespace qv
