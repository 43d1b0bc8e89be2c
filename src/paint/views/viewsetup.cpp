#include "paint/views/viewsetup.h"

#include "model/document/quorvik.h"
#include "paint/textmetrics.h"
#include "paint/views/qorfunc.h"

#include <algorithm>
#include <unordered_set>

namespace qv::views {

FontMeasures MeasureFont(const QFont &font)
{
    return {TextHeight("12345678", font), TextWidth("1234567890?", font), TextWidth("1", font)};
}

grid::Geometry DiagramGridGeometry(const DiagramGeometry &g, int colCount, int rowCount)
{
    grid::Geometry geometry;
    geometry.colWidths.assign(static_cast<std::size_t>(std::max(colCount, 0)), g.tactWidth);
    for (std::size_t c = 0; c < std::min<std::size_t>(2, geometry.colWidths.size()); ++c)
        geometry.colWidths[c] = g.nameColWidth;
    geometry.rowHeights.assign(static_cast<std::size_t>(std::max(rowCount, 0)), g.rowHeight);
    for (std::size_t r = 0; r < std::min<std::size_t>(2, geometry.rowHeights.size()); ++r)
        geometry.rowHeights[r] = g.baseRowHeight;
    geometry.fixedCols = std::min(2, geometry.colCount());
    geometry.fixedRows = std::min(2, geometry.rowCount());
    geometry.leftCol = geometry.fixedCols;
    geometry.topRow = geometry.fixedRows;
    return geometry;
}

grid::Geometry TableGridGeometry(int tableWidth, int rowCount, const std::array<int, 7> &needs)
{
    grid::Geometry geometry;
    const auto widths = FittedTableColumnWidths(tableWidth, needs);
    geometry.colWidths.assign(widths.begin(), widths.end());
    geometry.rowHeights.assign(static_cast<std::size_t>(std::max(rowCount, 0)), kTableRowHeight);
    geometry.fixedRows = rowCount > 1 ? 1 : 0;
    geometry.topRow = geometry.fixedRows;
    return geometry;
}

std::array<int, 7> TableTextNeeds(const TQorFunc &painter, const TextGrid &content)
{
    std::array<int, 7> needs{};
    // Every cycle repeats the same names and mostly the same values: each
    // text of a column is measured once.
    std::array<std::unordered_set<std::string>, 7> measured;
    const int cols = std::min(content.ColCount(), static_cast<int>(needs.size()));
    for (int r = 0; r < content.RowCount(); ++r)
        for (int c = 0; c < cols; ++c) {
            const auto at = static_cast<std::size_t>(c);
            std::string key = content.Cell(c, r);
            key.push_back(static_cast<char>(content.Mark(c, r)));
            if (r > 0 && !measured[at].insert(std::move(key)).second)
                continue;
            needs[at] = std::max(needs[at], painter.TableTextWidth(content, c, r));
        }
    return needs;
}

std::string VMarksOf(const STest &test)
{
    std::string marks;
    for (const SFuncV &function : test.VFuncs) {
        // The column of tact t (0-based) is t + 2: the mark's code is t + 1.
        if (function.Tact >= 0 && function.Tact < kDiagramMaxTacts)
            marks.push_back(static_cast<char>(function.Tact + 1));
    }
    return marks;
}

SDrawGridInfo DiagramDrawBase(const TQuorvik &document, const DiagramGeometry &g)
{
    SDrawGridInfo info;
    info.grid = &document.DiagramView();
    info.tactCount = document.DiagramShape().tactCount;
    info.nameWidth = g.nameColWidth;
    info.tactLeft = 2 * g.nameColWidth;
    const int current = document.CurrentTest();
    if (const STest *test = current == -1 ? nullptr : document.Test(current)) {
        info.results = document.TestRunFlags()[static_cast<std::size_t>(current)] != 0;
        info.startTact = test->StartTact;
        info.vMarks = VMarksOf(*test);
    }
    return info;
}

} // namespace qv::views
