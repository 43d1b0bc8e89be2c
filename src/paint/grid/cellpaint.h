#pragma once

// Painting the cells of a grid geometry through a per-cell painter, with or
// without a widget: the string grid paints its viewport with it, picture
// export paints a whole view into an image or a PDF page.

#include "paint/grid/gridgeometry.h"

#include <QRect>
#include <functional>

class QPainter;

namespace qv::grid {

enum DrawState : unsigned {
    StateSelected = 1,
    StateFocused = 2,
    StateFixed = 4,
};

struct CellPaint
{
    int col = 0;
    int row = 0;
    QRect rect;
    unsigned state = 0; // DrawState bits
};

using CellPainter = std::function<void(QPainter &, const CellPaint &)>;

struct PaintOptions
{
    Cell focus{-1, -1};         // the focused cell (none by default)
    bool focusSelected = false; // the focused cell is also drawn selected
    // Each call gets the painter saved and clipped to its cell. Painters
    // that draw only inside their cell and leave the painter as they found
    // it may do without, which is much faster on large grids.
    bool clipCells = true;
};

// Paints every cell of g that shows within `area` (viewport coordinates,
// the origin at the top left of the grid).
void PaintCells(QPainter &painter, const Geometry &g, const QRect &area,
                const PaintOptions &options, const CellPainter &paint);

} // namespace qv::grid
