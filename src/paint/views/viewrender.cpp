#include "paint/views/viewrender.h"

#include "model/document/quorvik.h"
#include "paint/views/drawinfo.h"
#include "paint/views/previewcontent.h"
#include "paint/views/qorfunc.h"
#include "paint/views/viewsetup.h"

#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>

namespace qv::views {
namespace {

int Extent(const std::vector<int> &sizes, int count)
{
    int sum = 0;
    for (int i = 0; i < count && i < static_cast<int>(sizes.size()); ++i)
        sum += sizes[static_cast<std::size_t>(i)];
    return sum;
}

void Paint(QPainter &painter, const ViewPicture &picture)
{
    grid::PaintOptions options;
    options.clipCells = true;
    grid::PaintCells(painter, picture.geometry, QRect(QPoint(0, 0), picture.size), options,
                     picture.paint);
}

} // namespace

grid::CellPainter DiagramCellPainter(const TQorFunc &painter, SDrawGridInfo info)
{
    // One record for every cell, as the painter is called very often.
    return [&painter, info = std::move(info)](QPainter &p, const grid::CellPaint &cell) mutable {
        info.col = cell.col;
        info.row = cell.row;
        info.rect = cell.rect;
        info.state = cell.state;
        painter.PaintDiagramCell(p, info);
    };
}

grid::CellPainter TableCellPainter(const TQorFunc &painter, const TextGrid &content, bool results,
                                   bool preview)
{
    return [&painter, &content, results, preview](QPainter &p, const grid::CellPaint &cell) {
        STableGridInfo info;
        info.grid = &content;
        info.col = cell.col;
        info.row = cell.row;
        info.rect = cell.rect;
        info.results = results;
        info.preview = preview;
        painter.PaintTableCell(p, info);
    };
}

ViewPicture DiagramPicture(const TQuorvik &document, TQorFunc &painter, const QFont &font,
                           int width)
{
    painter.SetFont(font);
    DiagramGeometry g = InitialGeometry(MeasureFont(font));
    const DiagramLayout &layout = document.DiagramShape();
    AutoFit(g, width, layout.tactCount, layout.lineCount > 0);
    painter.UpdateLevelOffsets(g.rowHeight);

    ViewPicture picture;
    const TextGrid &content = document.DiagramView();
    picture.geometry = DiagramGridGeometry(g, content.ColCount(), content.RowCount());
    const int cols = std::min(kDiagramFirstTactCol + layout.tactCount, content.ColCount());
    picture.size = QSize(Extent(picture.geometry.colWidths, cols),
                         Extent(picture.geometry.rowHeights, content.RowCount()));
    picture.paint = DiagramCellPainter(painter, DiagramDrawBase(document, g));
    return picture;
}

ViewPicture PreviewDiagramPicture(TQorFunc &painter, const TextGrid &sample, int nameWidth,
                                  int rowHeight, int tactWidth)
{
    DiagramGeometry g;
    g.baseRowHeight = g.rowHeight = rowHeight;
    g.nameColWidth = nameWidth;
    g.minTactWidth = g.tactWidth = tactWidth;
    painter.UpdateLevelOffsets(rowHeight);

    SDrawGridInfo info;
    info.grid = &sample;
    info.preview = true;
    info.tactCount = kPreviewTacts;
    info.startTact = kPreviewStartTact;
    info.nameWidth = nameWidth;
    info.tactLeft = 2 * nameWidth;
    ViewPicture picture;
    picture.geometry = DiagramGridGeometry(g, sample.ColCount(), sample.RowCount());
    picture.size = QSize(2 * nameWidth + kPreviewTacts * tactWidth, sample.RowCount() * rowHeight);
    picture.paint = DiagramCellPainter(painter, info);
    return picture;
}

ViewPicture TablePicture(const TQuorvik &document, TQorFunc &painter, const QFont &font, int width)
{
    painter.SetFont(font);
    ViewPicture picture;
    const TextGrid &content = document.TableView();
    picture.geometry =
        TableGridGeometry(width, content.RowCount(), TableTextNeeds(painter, content));
    picture.size = QSize(Extent(picture.geometry.colWidths, content.ColCount()),
                         Extent(picture.geometry.rowHeights, content.RowCount()));
    const int current = document.CurrentTest();
    const bool results = current >= 0 && current < kMaxTests &&
                         document.TestRunFlags()[static_cast<std::size_t>(current)] != 0;
    picture.paint = TableCellPainter(painter, content, results);
    return picture;
}

QImage RenderImage(const ViewPicture &picture)
{
    QImage image(picture.size.expandedTo(QSize(1, 1)), QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    Paint(painter, picture);
    return image;
}

bool RenderPdf(const ViewPicture &picture, const QString &path)
{
    QPdfWriter writer(path);
    // The page is the picture, at the resolution the fonts were measured at.
    constexpr int kDpi = 96;
    writer.setResolution(kDpi);
    const QSizeF points = QSizeF(picture.size.expandedTo(QSize(1, 1))) * 72.0 / kDpi;
    writer.setPageSize(QPageSize(points, QPageSize::Point));
    writer.setPageMargins(QMarginsF(0, 0, 0, 0));
    QPainter painter;
    if (!painter.begin(&writer))
        return false;
    Paint(painter, picture);
    return painter.end();
}

} // namespace qv::views
