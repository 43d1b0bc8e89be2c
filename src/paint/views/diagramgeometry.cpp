#include "paint/views/diagramgeometry.h"

#include <algorithm>

namespace qv::views {

DiagramGeometry InitialGeometry(const FontMeasures &font)
{
    DiagramGeometry g;
    g.baseRowHeight = static_cast<int>(font.heightOf12345678 * 1.4);
    g.nameColWidth = font.widthOf1234567890q - 3;
    g.minTactWidth = font.widthOf1 + 6;
    g.tactWidth = g.minTactWidth;
    g.rowHeight = g.baseRowHeight;
    return g;
}

void ScaleUp(DiagramGeometry &g)
{
    g.tactWidth += g.horizontalStep;
    g.rowHeight += g.verticalStep;
}

void ScaleDown(DiagramGeometry &g)
{
    g.tactWidth = std::max(g.minTactWidth, g.tactWidth - g.horizontalStep);
    if (g.rowHeight - g.verticalStep > g.baseRowHeight)
        g.rowHeight -= g.verticalStep;
}

int AutoTactWidth(const DiagramGeometry &g, int gridWidth, int tactCount, bool hasSignalLines)
{
    if (!hasSignalLines || tactCount <= 0)
        return g.minTactWidth;
    const int width = (gridWidth - 2 * g.nameColWidth) / tactCount;
    return std::max(g.minTactWidth, std::min(width, kMaxAutoTactWidth));
}

void AutoFit(DiagramGeometry &g, int gridWidth, int tactCount, bool hasSignalLines)
{
    g.tactWidth = AutoTactWidth(g, gridWidth, tactCount, hasSignalLines);
    g.rowHeight = g.baseRowHeight;
}

LevelOffsets LevelOffsetsFor(int rowHeight)
{
    const int quarter = rowHeight / 4;
    return {quarter, 2 * quarter, 3 * quarter};
}

int DiagramHeight(int rowCount, int rowHeight, int available)
{
    return std::min(rowCount * rowHeight + 25, available);
}

int RulerTact(int col)
{
    return std::max(1, ((col - 1) / 5) * 5);
}

std::array<int, 7> TableColumnWidths(int tableWidth)
{
    const int w = tableWidth - 20;
    const int first = static_cast<int>(w * 0.04);
    const int half = (w - first) / 2;
    const int name = static_cast<int>(half * 0.6);
    const int value = static_cast<int>(half * 0.4 * 0.5);
    return {first, name, value, value, name, value, value};
}

std::array<int, 7> FittedTableColumnWidths(int tableWidth, const std::array<int, 7> &needs)
{
    std::array<int, 7> widths = TableColumnWidths(tableWidth);
    long missing = 0;
    long spare = 0;
    for (std::size_t c = 0; c < widths.size(); ++c) {
        missing += std::max(needs[c] - widths[c], 0);
        spare += std::max(widths[c] - needs[c], 0);
    }
    if (missing == 0)
        return widths;
    if (spare <= missing) {
        for (std::size_t c = 0; c < widths.size(); ++c)
            widths[c] = std::max(widths[c], needs[c]);
        return widths;
    }
    // Take what is missing from the spare room, rounding each share up so
    // that the whole is covered; the last pixels come off the widest spare.
    long taken = 0;
    for (std::size_t c = 0; c < widths.size(); ++c) {
        const int room = widths[c] - needs[c];
        if (room > 0) {
            const long share = std::min<long>((missing * room + spare - 1) / spare, room);
            widths[c] -= static_cast<int>(share);
            taken += share;
        }
    }
    for (std::size_t c = 0; c < widths.size(); ++c)
        widths[c] = std::max(widths[c], needs[c]);
    // Rounding up may have taken a few pixels too many: give them back.
    for (std::size_t c = 0; taken > missing && c < widths.size(); ++c) {
        ++widths[c];
        --taken;
    }
    return widths;
}

} // namespace qv::views
