#pragma once

// Stepping through the functions of a list with "<" and ">".

#include <string>

namespace qv::functions {

// The number after (direction 1) or before (-1) `current` in `numbers` (a
// list's Numbers(): one character per record, its code the number),
// wrapping at both ends; a current number not listed steps from the first.
// 0 when the list is empty.
int SteppedNumber(const std::string &numbers, int current, int direction);

} // namespace qv::functions
