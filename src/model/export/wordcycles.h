#pragma once

// One output word's reference and read value in each cycle of a test, as
// the reports and exports list them after a run.

#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

namespace qv {

struct STest;

struct WordCycle
{
    int cycle = 0; // 0-based
    std::optional<std::int32_t> reference;
    std::optional<std::int32_t> read; // nullopt: not read in this run
    bool checked = true;              // counted as an error when it differs
    bool Wrong() const { return checked && read && reference != read; }
    // "ok", "wrong" or "not-read".
    std::string_view ResultName() const;
};

// Every cycle of output word `id` (empty for a word the test lacks). A
// constant word's reference is its one value in every cycle.
std::vector<WordCycle> WordCycles(const STest &test, int id, bool checked = true);

} // namespace qv
