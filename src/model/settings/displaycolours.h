#pragma once

// The 36 colours of the two views: their settings names (the keys of the
// "Цвета" section) and defaults. Colours are kept as 0x00BBGGRR integers,
// red in the low byte, as the settings file stores them. Indices 0..23 are
// the diagram's list, 24..35 the table's.

#include <array>
#include <cstdint>
#include <optional>
#include <string_view>

namespace qv {

enum ColourIndex : int {
    ClrInputWord = 0,
    ClrOutputUnchecked = 1,
    ClrOutputCorrect = 2,
    ClrOutputWrong = 3,
    ClrGenerator = 4,
    ClrWordGE = 5,
    ClrWordGN = 6,
    ClrWordGL = 7,
    ClrFuncFW = 8,
    ClrFuncFR = 9,
    ClrFuncFC = 10,
    ClrFuncM = 11,
    ClrFuncP = 12,
    ClrFuncS = 13,
    ClrVTact = 14,
    ClrTestT = 15,
    ClrOuterBackground = 16,
    ClrMainBackground = 17,
    ClrFocusedCell = 18,
    ClrBeforeStartTact = 19,
    ClrProbeData = 20,
    ClrProbeReference = 21,
    ClrLastTact = 22,
    ClrDebugTact = 23,
    ClrTableFixedBackground = 24,
    ClrTableFixedPen = 25,
    ClrTableCyclePen = 26,
    ClrTableActiveCycle = 27,
    ClrTablePen = 28,
    ClrTableBackground = 29,
    ClrTableData = 30,
    ClrTableDebug = 31,
    ClrTableInputName = 32,
    ClrTableOutputName = 33,
    ClrTableWordNumber = 34,
    ClrTableWrongWord = 35,
};

inline constexpr int kColourCount = 36;
inline constexpr int kDiagramColourCount = 24;

struct ColourInfo
{
    std::string_view name;    // settings key and the name shown in the settings window
    std::uint32_t defaultBgr; // 0x00BBGGRR
};

const std::array<ColourInfo, kColourCount> &ColourTable();

// 0x00BBGGRR from the usual #RRGGBB notation, and back.
constexpr std::uint32_t BgrFromRgb(std::uint32_t rgb)
{
    return ((rgb & 0xFF) << 16) | (rgb & 0xFF00) | ((rgb >> 16) & 0xFF);
}
constexpr std::uint32_t RgbFromBgr(std::uint32_t bgr)
{
    return BgrFromRgb(bgr);
}

// The current colours of the views; starts at the defaults.
class ViewColours
{
public:
    ViewColours() { Reset(); }

    void Reset();
    std::uint32_t Get(int index) const;     // 0 for an index out of range
    void Set(int index, std::uint32_t bgr); // ignored out of range; the top byte is dropped
    std::optional<int> IndexOf(std::string_view name) const;
    const std::array<std::uint32_t, kColourCount> &All() const { return m_values; }

    friend bool operator==(const ViewColours &, const ViewColours &) = default;

private:
    std::array<std::uint32_t, kColourCount> m_values{};
};

} // namespace qv
