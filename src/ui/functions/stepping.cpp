#include "ui/functions/stepping.h"

#include <cstddef>

namespace qv::functions {

int SteppedNumber(const std::string &numbers, int current, int direction)
{
    if (numbers.empty())
        return 0;
    const auto at = numbers.find(static_cast<char>(current));
    const auto count = static_cast<std::ptrdiff_t>(numbers.size());
    const std::ptrdiff_t position = at == std::string::npos ? 0 : static_cast<std::ptrdiff_t>(at);
    const std::ptrdiff_t next = ((position + direction) % count + count) % count;
    return static_cast<unsigned char>(numbers[static_cast<std::size_t>(next)]);
}

} // namespace qv::functions
