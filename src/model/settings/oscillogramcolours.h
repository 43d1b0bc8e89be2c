#pragma once

// The two trace colours of an oscillogram, kept in the settings file under
// "Осциллограммы" (keys "File" and "Current") as 0x00BBGGRR integers: the
// reference read from the oscillogram file and the waveform recorded since
// the test file was opened.

#include <cstdint>
#include <string_view>

namespace qv {

class IniStore;

struct OscillogramColours
{
    static constexpr std::string_view kSection = "Осциллограммы";
    static constexpr std::string_view kKeyFile = "File";
    static constexpr std::string_view kKeyCurrent = "Current";

    std::uint32_t File = 0x00FF00;    // green
    std::uint32_t Current = 0x00FFFF; // yellow

    // A missing key, a malformed value or one outside 0..0xFFFFFF keeps the
    // current colour.
    void Load(const IniStore &store);
    void Save(IniStore &store) const;

    friend bool operator==(const OscillogramColours &, const OscillogramColours &) = default;
};

} // namespace qv
