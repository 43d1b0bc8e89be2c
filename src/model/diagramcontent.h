#pragma once

// What the timing diagram shows of a test, cell by cell: 130 columns (the
// contact name, the line label, then one column per tact); rows 0 and 1 the
// kind letter and the number of each tact; one row per level line; in probe
// mode one row per probe entry of the active cycle; and a bottom row whose
// first cell names the start tact (the views draw the tact ruler there).

#include "model/textgrid.h"

#include <string>
#include <string_view>

namespace qv {

class TTimeArray;
struct SCnt;
struct STest;

inline constexpr int kDiagramColumns = 130;
inline constexpr int kDiagramMaxTacts = kDiagramColumns - 2;
inline constexpr int kDiagramFirstTactCol = 2;
inline constexpr int kDiagramFirstLineRow = 2;
inline constexpr std::string_view kStartTactCaption = "Начальный такт ";

// Where a filled diagram keeps what.
struct DiagramLayout
{
    int tactCount = 0;     // tact columns in use (the length of D1, at most 128)
    int lineCount = 0;     // level lines
    int firstProbeRow = 0; // the first row after the level lines, probe rows or not
    int probeCount = 0;    // probe rows shown (0 outside probe mode)
    int bottomRow = 0;     // the start-tact row, always the last one

    bool IsLineRow(int row) const { return row >= kDiagramFirstLineRow && row < firstProbeRow; }
    bool IsProbeRow(int row) const { return row >= firstProbeRow && row < bottomRow; }
    bool IsTactCol(int col) const
    {
        return col >= kDiagramFirstTactCol && col < kDiagramFirstTactCol + tactCount;
    }
};

// The second header row of a tact array: its D2 characters, except that the
// W and R tacts inside an M-function block (from an M tact up to and
// including the next R) show 'M'.
std::string NumberRowText(const TTimeArray &tacts);

// Fills the grid with the diagram of `test` (null: an empty grid of the
// minimal size). Probe rows are those of the test's active cycle and only
// when probeMode is on; their first cell holds the probe's name.
DiagramLayout FillDiagram(const STest *test, const SCnt &cnt, bool probeMode, TextGrid &grid);

// The layout of a grid that FillDiagram filled, from the test it was filled
// with (the painters use it to tell rows apart).
DiagramLayout LayoutOf(const STest *test, bool probeMode);

} // namespace qv
