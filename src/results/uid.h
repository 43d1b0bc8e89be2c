#pragma once

// The unique id of a record: a UUID whose first 48 bits are the time it was
// made in milliseconds since 1970 (version 7). Records of one bench - and,
// as far as their clocks agree, of a fleet - come in the order of their
// ids, so the unique index on them grows at its end: a transaction of many
// passes changes a few pages of it, not one page a pass, which is what the
// database writes to disk and to its log at every commit.

#include <array>
#include <cstdint>
#include <string>

namespace qv::results {

// A fresh id, the random bits from the system's generator.
std::string NewUid();
// The id of a moment and 74 random bits (the rest of `random` is unused),
// in the usual form "xxxxxxxx-xxxx-7xxx-yxxx-xxxxxxxxxxxx".
std::string TimeOrderedUid(std::uint64_t unixMillis, const std::array<std::uint64_t, 2> &random);

} // namespace qv::results
