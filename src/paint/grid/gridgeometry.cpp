#include "paint/grid/gridgeometry.h"

#include <algorithm>

namespace qv::grid {
namespace {

std::vector<int> VisibleLines(const std::vector<int> &sizes, int fixed, int first, int extent)
{
    std::vector<int> out;
    const int count = static_cast<int>(sizes.size());
    int pos = 0;
    for (int i = 0; i < std::min(fixed, count) && pos < extent; ++i) {
        if (sizes[static_cast<std::size_t>(i)] > 0)
            out.push_back(i);
        pos += sizes[static_cast<std::size_t>(i)];
    }
    for (int i = std::max(first, fixed); i < count && pos < extent; ++i) {
        if (sizes[static_cast<std::size_t>(i)] > 0)
            out.push_back(i);
        pos += sizes[static_cast<std::size_t>(i)];
    }
    return out;
}

std::optional<int> LinePos(const std::vector<int> &sizes, int fixed, int first, int index)
{
    const int count = static_cast<int>(sizes.size());
    if (index < 0 || index >= count)
        return std::nullopt;
    int pos = 0;
    const int fixedEnd = std::min(fixed, count);
    for (int i = 0; i < fixedEnd; ++i) {
        if (i == index)
            return pos;
        pos += sizes[static_cast<std::size_t>(i)];
    }
    if (index < std::max(first, fixed))
        return std::nullopt;
    for (int i = std::max(first, fixed); i < index; ++i)
        pos += sizes[static_cast<std::size_t>(i)];
    return pos;
}

std::optional<int> LineAt(const std::vector<int> &sizes, int fixed, int first, int p)
{
    if (p < 0)
        return std::nullopt;
    const int count = static_cast<int>(sizes.size());
    int pos = 0;
    const int fixedEnd = std::min(fixed, count);
    for (int i = 0; i < fixedEnd; ++i) {
        pos += sizes[static_cast<std::size_t>(i)];
        if (p < pos)
            return i;
    }
    for (int i = std::max(first, fixed); i < count; ++i) {
        pos += sizes[static_cast<std::size_t>(i)];
        if (p < pos)
            return i;
    }
    return std::nullopt;
}

int FixedExtent(const std::vector<int> &sizes, int fixed)
{
    int sum = 0;
    for (int i = 0; i < std::min(fixed, static_cast<int>(sizes.size())); ++i)
        sum += sizes[static_cast<std::size_t>(i)];
    return sum;
}

int MaxFirst(const std::vector<int> &sizes, int fixed, int extent)
{
    const int count = static_cast<int>(sizes.size());
    if (count <= fixed)
        return fixed;
    const int room = extent - FixedExtent(sizes, fixed);
    int used = 0;
    int first = count;
    while (first > fixed) {
        const int size = sizes[static_cast<std::size_t>(first - 1)];
        if (used + size > room && first < count)
            break;
        used += size;
        --first;
    }
    return std::min(first, count - 1);
}

void Into(int &first, const std::vector<int> &sizes, int fixed, int index, int extent)
{
    if (index < fixed || index >= static_cast<int>(sizes.size()))
        return;
    if (index < first) {
        first = index;
        return;
    }
    const int room = extent - FixedExtent(sizes, fixed);
    // Advance the first line until the target's far edge fits into the room.
    auto span = [&](int from) {
        int sum = 0;
        for (int i = from; i <= index; ++i)
            sum += sizes[static_cast<std::size_t>(i)];
        return sum;
    };
    while (first < index && span(first) > room)
        ++first;
}

} // namespace

std::vector<int> VisibleCols(const Geometry &g, int viewportWidth)
{
    return VisibleLines(g.colWidths, g.fixedCols, g.leftCol, viewportWidth);
}

std::vector<int> VisibleRows(const Geometry &g, int viewportHeight)
{
    return VisibleLines(g.rowHeights, g.fixedRows, g.topRow, viewportHeight);
}

std::optional<int> ColX(const Geometry &g, int col)
{
    return LinePos(g.colWidths, g.fixedCols, g.leftCol, col);
}

std::optional<int> RowY(const Geometry &g, int row)
{
    return LinePos(g.rowHeights, g.fixedRows, g.topRow, row);
}

std::optional<Rect> CellRect(const Geometry &g, Cell cell)
{
    const auto x = ColX(g, cell.col);
    const auto y = RowY(g, cell.row);
    if (!x || !y)
        return std::nullopt;
    return Rect{*x, *y, g.colWidths[static_cast<std::size_t>(cell.col)],
                g.rowHeights[static_cast<std::size_t>(cell.row)]};
}

std::optional<Cell> HitTest(const Geometry &g, int x, int y)
{
    const auto col = LineAt(g.colWidths, g.fixedCols, g.leftCol, x);
    const auto row = LineAt(g.rowHeights, g.fixedRows, g.topRow, y);
    if (!col || !row)
        return std::nullopt;
    return Cell{*col, *row};
}

int MaxLeftCol(const Geometry &g, int viewportWidth)
{
    return MaxFirst(g.colWidths, g.fixedCols, viewportWidth);
}

int MaxTopRow(const Geometry &g, int viewportHeight)
{
    return MaxFirst(g.rowHeights, g.fixedRows, viewportHeight);
}

void ClampScroll(Geometry &g, int viewportWidth, int viewportHeight)
{
    g.leftCol =
        std::clamp(g.leftCol, g.fixedCols, std::max(g.fixedCols, MaxLeftCol(g, viewportWidth)));
    g.topRow =
        std::clamp(g.topRow, g.fixedRows, std::max(g.fixedRows, MaxTopRow(g, viewportHeight)));
}

void ScrollIntoView(Geometry &g, Cell cell, int viewportWidth, int viewportHeight)
{
    Into(g.leftCol, g.colWidths, g.fixedCols, cell.col, viewportWidth);
    Into(g.topRow, g.rowHeights, g.fixedRows, cell.row, viewportHeight);
}

} // namespace qv::grid
