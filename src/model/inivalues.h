#pragma once

// Reading the values of a test's sections strictly. A missing key (or an
// empty value) yields the caller's default, as the files written by every
// version expect; a value that is present but cannot be what the key holds
// (letters in a number, a word reference without a number) fails the load
// with SectionValueError, whose text names the section, the key and the
// value for the operator.

#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>

namespace qv {

class IniStore;

class SectionValueError : public std::runtime_error
{
public:
    SectionValueError(std::string_view section, std::string_view key, std::string_view value,
                      std::string_view expected);
    // The same failure, its text prefixed with the 1-based test number.
    SectionValueError(const SectionValueError &inner, int testIndex);
};

// An integer key: decimal (optionally signed) or "0x"-prefixed hex within
// 32 bits, as IniStore::ReadInteger reads it.
std::int32_t ReadIntStrict(const IniStore &ini, std::string_view section, std::string_view key,
                           std::int32_t def);

// A word reference key: a kind letter followed by the word number ("i12").
struct WordRef
{
    char kind = ' ';
    std::int32_t number = 0;
};

// Required: a missing, empty or non-numeric value fails the load.
WordRef ReadWordRefRequired(const IniStore &ini, std::string_view section, std::string_view key);
// Optional: missing or empty gives {' ', 0}; a present value must be well formed.
WordRef ReadWordRefOptional(const IniStore &ini, std::string_view section, std::string_view key);

} // namespace qv
