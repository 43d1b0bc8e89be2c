#pragma once

// Strict reading of the values of a test block. A value that is present but
// cannot be what its key holds (a number that is not a number, a line without
// its separators) stops the load with a text that names the section, the key
// and the value, instead of being taken silently as a default. The container
// shows that text to the operator in an error box.

#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>

namespace qv {

class IniStore;

class SectionFormatError : public std::runtime_error
{
public:
    // problem completes the sentence "значение ... <problem>", e.g.
    // "не является целым числом".
    SectionFormatError(std::string_view section, std::string_view key, std::string_view value,
                       std::string_view problem);

    // The same failure, its text prefixed with the 1-based test number.
    SectionFormatError InTest(int testIndex) const;

private:
    explicit SectionFormatError(const std::string &text)
        : std::runtime_error(text)
    {}
};

// stem followed by the decimal number: "Z0", "IWORDS3", "o5".
std::string NumberedName(std::string_view stem, long long number);

// The key's integer; def when the key is absent or empty; SectionFormatError
// for any other value the store cannot read as a 32-bit integer.
std::int32_t ReadIntStrict(const IniStore &ini, std::string_view section, std::string_view key,
                           std::int32_t def);

} // namespace qv
