#pragma once

// Geometry of an owner-drawn grid: which cells are visible, where a cell is,
// which cell a point hits. Plain integers only, so the arithmetic is tested
// without a widget.
//
// Layout: the first `fixedCols` columns and `fixedRows` rows never scroll.
// The scrolling part starts at column `leftCol` and row `topRow` (both counted
// over all columns/rows, so leftCol >= fixedCols). Cells are packed without
// gaps: every line between cells is drawn by the painters inside the cells.

#include <optional>
#include <vector>

namespace qv::grid {

struct Geometry
{
    std::vector<int> colWidths;  // one per column, pixels (0 = hidden)
    std::vector<int> rowHeights; // one per row
    int fixedCols = 0;
    int fixedRows = 0;
    int leftCol = 0; // first scrolling column shown
    int topRow = 0;  // first scrolling row shown

    int colCount() const { return static_cast<int>(colWidths.size()); }
    int rowCount() const { return static_cast<int>(rowHeights.size()); }
};

struct Rect
{
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;

    friend bool operator==(const Rect &, const Rect &) = default;
};

struct Cell
{
    int col = 0;
    int row = 0;

    friend bool operator==(const Cell &, const Cell &) = default;
};

// Columns (or rows) that show at least one pixel in a viewport of the given
// extent, in painting order: the fixed ones first, then the scrolling ones
// from leftCol (topRow) on.
std::vector<int> VisibleCols(const Geometry &g, int viewportWidth);
std::vector<int> VisibleRows(const Geometry &g, int viewportHeight);

// Pixel position of a visible column/row; nullopt when it is scrolled out
// (a scrolling index below leftCol/topRow) or out of range.
std::optional<int> ColX(const Geometry &g, int col);
std::optional<int> RowY(const Geometry &g, int row);
std::optional<Rect> CellRect(const Geometry &g, Cell cell);

// The cell under a point of the viewport, or nullopt outside every cell.
std::optional<Cell> HitTest(const Geometry &g, int x, int y);

// Largest leftCol (topRow) that still fills the viewport: scrolling further
// would only show empty space.
int MaxLeftCol(const Geometry &g, int viewportWidth);
int MaxTopRow(const Geometry &g, int viewportHeight);

// leftCol/topRow clamped into their legal range.
void ClampScroll(Geometry &g, int viewportWidth, int viewportHeight);

// Scrolls the least so that a cell becomes fully visible (when it fits).
void ScrollIntoView(Geometry &g, Cell cell, int viewportWidth, int viewportHeight);

} // namespace qv::grid
