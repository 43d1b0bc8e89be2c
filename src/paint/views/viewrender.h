#pragma once

// Pictures of the views for reports: the diagram or the table of the
// document's current test painted by the same painters as the windows,
// without any widget, into an image or a PDF page.

#include "paint/grid/cellpaint.h"

#include <QImage>
#include <QSize>
#include <QString>

class QFont;

namespace qv {

class TQorFunc;
class TQuorvik;
class TextGrid;
struct SDrawGridInfo;

namespace views {

// Cell painters of the two views for grid::PaintCells: each cell's place
// goes into the draw record, which the view's painter then paints. `info`
// carries what is the same for every cell of the diagram.
grid::CellPainter DiagramCellPainter(const TQorFunc &painter, SDrawGridInfo info);
// preview: the settings window's sample, painted without a document.
grid::CellPainter TableCellPainter(const TQorFunc &painter, const TextGrid &content, bool results,
                                   bool preview = false);

struct ViewPicture
{
    grid::Geometry geometry;
    QSize size;
    grid::CellPainter paint;
};

// The whole diagram (every row, the diagram's tact columns) with the tact
// columns fitted into `width` as the automatic fit does. The painter gets
// the font and the level offsets of that geometry.
ViewPicture DiagramPicture(const TQuorvik &document, TQorFunc &painter, const QFont &font,
                           int width);
// The settings window's diagram sample (`sample`, from PreviewDiagram)
// painted without a document: two name columns of `nameWidth`, the sample's
// tacts of `tactWidth`, rows of `rowHeight`. The painter gets the level
// offsets of that row height; `sample` must outlive the picture.
ViewPicture PreviewDiagramPicture(TQorFunc &painter, const TextGrid &sample, int nameWidth,
                                  int rowHeight, int tactWidth);
// The whole table at a table width of `width`.
ViewPicture TablePicture(const TQuorvik &document, TQorFunc &painter, const QFont &font, int width);

QImage RenderImage(const ViewPicture &picture);
// One PDF page of the picture's size; false when the file cannot be written.
bool RenderPdf(const ViewPicture &picture, const QString &path);

} // namespace views
} // namespace qv
