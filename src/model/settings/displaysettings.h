#pragma once

// The drawing configuration the settings load and save (codes 10 and 11):
// the document keeps its own copy (TQuorvik::Display), TSettings moves it
// across (ApplyTo, TakeFrom).

#include <array>
#include <cstdint>

namespace qv {

struct SDisplaySettings
{
    std::array<std::int32_t, 7> Sizes{5, 16, 16, 16, 0xFFFF, 16, 8};
    std::array<std::int32_t, 25> Colours{};
    std::array<std::int32_t, 12> ExtraColours{};
    // The fourth flag is set when a file is loaded.
    std::array<std::int32_t, 12> Switches{1, 1, 1, 0, 0, 1, 1, 1, 0, 1, 1, 1};
};

} // namespace qv
