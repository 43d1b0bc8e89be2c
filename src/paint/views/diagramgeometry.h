#pragma once

// Sizes of the diagram and the table, computed from a few text measurements
// of the grid's font. Plain integers, so every rule is tested without a
// widget.

#include <array>

namespace qv::views {

// What the geometry needs from the font (measured with TextWidth/TextHeight).
struct FontMeasures
{
    int heightOf12345678 = 0;   // TextHeight("12345678")
    int widthOf1234567890q = 0; // TextWidth("1234567890?")
    int widthOf1 = 0;           // TextWidth("1")
};

inline constexpr int kMaxAutoTactWidth = 40;
inline constexpr int kMaxScaleStep = 20;

// The diagram's current sizes and scale steps.
struct DiagramGeometry
{
    int baseRowHeight = 0;  // rows 0 and 1, and the row height after a fit
    int nameColWidth = 0;   // columns 0 and 1
    int minTactWidth = 0;   // also the initial tact width
    int tactWidth = 0;      // every tact column
    int rowHeight = 0;      // every signal, probe and bottom row
    int horizontalStep = 3; // 0..20
    int verticalStep = 0;   // 0..20
};

DiagramGeometry InitialGeometry(const FontMeasures &font);

// "+": wider tacts, taller rows by the steps.
void ScaleUp(DiagramGeometry &g);
// "−": narrower tacts down to the minimum; rows shrink by the vertical step
// only while they stay above the base height.
void ScaleDown(DiagramGeometry &g);
// Tacts to (gridWidth − 2 × name column) div N within [minimum, 40]; the
// minimum for a test without signal lines or tacts. Rows to the base height.
void AutoFit(DiagramGeometry &g, int gridWidth, int tactCount, bool hasSignalLines);
int AutoTactWidth(const DiagramGeometry &g, int gridWidth, int tactCount, bool hasSignalLines);

// Where the level bars lie inside a signal row of height h.
struct LevelOffsets
{
    int high = 0;
    int middle = 0;
    int low = 0;
};
LevelOffsets LevelOffsetsFor(int rowHeight);

// Height the diagram grid asks for: all rows plus 25, at most what is there.
int DiagramHeight(int rowCount, int rowHeight, int available);

// The tact that labels the ruler box over a tact column c (c >= 2):
// max(1, ((c − 1) div 5) × 5).
int RulerTact(int col);

// Widths of the table's seven columns for a table width w.
std::array<int, 7> TableColumnWidths(int tableWidth);
// The same, each at least what the column's texts need: a column short of
// room takes it from the columns that have more than they need, in
// proportion to what they can spare; when they cannot spare enough, every
// column gets what it needs and the table grows wider than w.
std::array<int, 7> FittedTableColumnWidths(int tableWidth, const std::array<int, 7> &needs);

} // namespace qv::views
