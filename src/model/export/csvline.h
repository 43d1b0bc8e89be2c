#pragma once

// One line of CSV as every export of the program writes it: UTF-8, comma
// separated, a field quoted (its quotes doubled) when it holds a comma, a
// quote or a line break; the line ends with CR LF.

#include <string>
#include <string_view>
#include <vector>

namespace qv {

std::string CsvField(std::string_view text);
std::string CsvLine(const std::vector<std::string> &fields);

} // namespace qv
