#pragma once

// The unit's build information (answer of BUILD_INFO) as the text the
// operator sees in the status hint and in "qortool unit info".

#include <cstdint>
#include <optional>
#include <span>
#include <string>

namespace qv {

// Byte 0 device type (0 ARM, 1 MS-DOS), bytes 1-2 year (high byte first),
// 3 day, 4 month, 5-7 hour, minute, second, 8 count n, then n (major, minor)
// character pairs, one per device-side program position.
//
// The month of an MS-DOS unit counts from 0 and gets 1 added; the choice is
// made by this answer's own device type. Version pairs missing from a short
// answer are left out. nullopt when the answer is shorter than 9 bytes, is
// 1024 bytes or longer, or names a device type above 1.
std::optional<std::string> BuildInfoText(std::span<const std::uint8_t> answer);

} // namespace qv
