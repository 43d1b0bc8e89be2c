#pragma once

// Word references of the M- and P-function sections: a kind letter followed
// by the word number ("i12"). The letter is kept as it stands; a number that
// is not a number is reported (ReportMalformedValue) and read as {' ', 0}.

#include <cstdint>
#include <string>
#include <string_view>

namespace qv {

class IniStore;

struct WordRef
{
    char kind = ' ';
    std::int32_t number = 0;
};

// A missing, empty or malformed value is reported.
WordRef ReadWordRefRequired(const IniStore &ini, std::string_view section, std::string_view key);
// Missing or empty gives {' ', 0}; a present value must be well formed.
WordRef ReadWordRefOptional(const IniStore &ini, std::string_view section, std::string_view key);

// The text of a reference: kind letter and number.
std::string WordRefText(char kind, std::int32_t number);

} // namespace qv
