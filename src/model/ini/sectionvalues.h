#pragma once

// Strict reading of the values of a test block. A value that is present but
// cannot be what its key holds (a number that is not a number, a line without
// its separators) is never taken silently: while a test block is read (a
// MalformedValues collector is alive) it is reported with a text that names
// the section, the key and the value, and the reader goes on with the key's
// default; outside one it throws SectionFormatError with that text.

#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace qv {

class IniStore;

class SectionFormatError : public std::runtime_error
{
public:
    // problem completes the sentence "значение ... <problem>", e.g.
    // "не является целым числом".
    SectionFormatError(std::string_view section, std::string_view key, std::string_view value,
                       std::string_view problem);
};

// "раздел [S], ключ K: значение \"V\" <problem>", the value cut to stay readable.
std::string ValueProblemText(std::string_view section, std::string_view key, std::string_view value,
                             std::string_view problem);

// Collects the problems of the values read on this thread while it lives
// (collectors nest: the innermost one collects).
class MalformedValues
{
public:
    MalformedValues();
    ~MalformedValues();
    MalformedValues(const MalformedValues &) = delete;
    MalformedValues &operator=(const MalformedValues &) = delete;

    void Add(std::string text) { m_problems.push_back(std::move(text)); }
    const std::vector<std::string> &Problems() const { return m_problems; }

    // The collector in charge on this thread, or null.
    static MalformedValues *Active();

private:
    MalformedValues *m_outer = nullptr;
    std::vector<std::string> m_problems;
};

// A value that cannot be taken: recorded by the active collector (the caller
// then takes the key's default), or thrown as SectionFormatError.
void ReportMalformedValue(std::string_view section, std::string_view key, std::string_view value,
                          std::string_view problem);

// stem followed by the decimal number: "Z0", "IWORDS3", "o5".
std::string NumberedName(std::string_view stem, long long number);

// The key's integer; def when the key is absent or empty; any other value the
// store cannot read as a 32-bit integer is reported (ReportMalformedValue) and
// gives def.
std::int32_t ReadIntStrict(const IniStore &ini, std::string_view section, std::string_view key,
                           std::int32_t def);
// The same, and a value outside [low, high] is reported as well and gives def.
std::int32_t ReadIntInRange(const IniStore &ini, std::string_view section, std::string_view key,
                            std::int32_t def, std::int32_t low, std::int32_t high);

} // namespace qv
