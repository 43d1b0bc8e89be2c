#include "paint/grid/cellpaint.h"

#include <QPainter>
#include <vector>

namespace qv::grid {

void PaintCells(QPainter &painter, const Geometry &g, const QRect &area,
                const PaintOptions &options, const CellPainter &paint)
{
    const auto cols = VisibleCols(g, area.right() + 1);
    const auto rows = VisibleRows(g, area.bottom() + 1);
    // Positions are accumulated once per paint instead of per cell.
    std::vector<int> xs;
    xs.reserve(cols.size());
    int x = 0;
    int previous = -1;
    for (const int c : cols) {
        if (previous >= 0 && c != previous + 1)
            x = *ColX(g, c);
        xs.push_back(x);
        x += g.colWidths[static_cast<std::size_t>(c)];
        previous = c;
    }
    int y = 0;
    previous = -1;
    for (const int r : rows) {
        if (previous >= 0 && r != previous + 1)
            y = *RowY(g, r);
        const int h = g.rowHeights[static_cast<std::size_t>(r)];
        if (y + h > area.top()) {
            for (std::size_t i = 0; i < cols.size(); ++i) {
                const int c = cols[i];
                const QRect rect(xs[i], y, g.colWidths[static_cast<std::size_t>(c)], h);
                if (!rect.intersects(area))
                    continue;
                CellPaint info{c, r, rect, 0};
                if (c < g.fixedCols || r < g.fixedRows)
                    info.state |= StateFixed;
                if (options.focus == Cell{c, r}) {
                    info.state |= StateFocused;
                    if (options.focusSelected)
                        info.state |= StateSelected;
                }
                if (options.clipCells) {
                    painter.save();
                    painter.setClipRect(rect);
                    paint(painter, info);
                    painter.restore();
                } else {
                    paint(painter, info);
                }
            }
        }
        y += h;
        previous = r;
    }
}

} // namespace qv::grid
