#include "ui/grid/stringgrid.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QToolTip>
#include <algorithm>
#include <utility>

namespace qv {

StringGrid::StringGrid(QWidget *parent)
    : QAbstractScrollArea(parent)
{
    setFocusPolicy(Qt::StrongFocus);
    viewport()->setAttribute(Qt::WA_OpaquePaintEvent);
    viewport()->setMouseTracking(true);
    SetColCount(5);
    SetRowCount(5);
    SetFixedCols(1);
    SetFixedRows(1);
}

void StringGrid::ResizeCells(int cols, int rows)
{
    cols = std::max(cols, 0);
    rows = std::max(rows, 0);
    std::vector<QString> cells(static_cast<std::size_t>(cols) * static_cast<std::size_t>(rows));
    const int keepCols = std::min(cols, ColCount());
    const int keepRows = std::min(rows, RowCount());
    for (int r = 0; r < keepRows; ++r) {
        for (int c = 0; c < keepCols; ++c)
            cells[static_cast<std::size_t>(r * cols + c)] =
                std::move(m_cells[static_cast<std::size_t>(Index(c, r))]);
    }
    m_cells = std::move(cells);
    m_geometry.colWidths.resize(static_cast<std::size_t>(cols), m_defaultColWidth);
    m_geometry.rowHeights.resize(static_cast<std::size_t>(rows), m_defaultRowHeight);
    m_geometry.fixedCols = std::min(m_geometry.fixedCols, cols);
    m_geometry.fixedRows = std::min(m_geometry.fixedRows, rows);
    m_focus.col = std::clamp(m_focus.col, 0, std::max(cols - 1, 0));
    m_focus.row = std::clamp(m_focus.row, 0, std::max(rows - 1, 0));
    UpdateScrollBars();
    viewport()->update();
}

void StringGrid::SetColCount(int count)
{
    ResizeCells(count, RowCount());
}

void StringGrid::SetRowCount(int count)
{
    ResizeCells(ColCount(), count);
}

void StringGrid::SetFixedCols(int count)
{
    m_geometry.fixedCols = std::clamp(count, 0, ColCount());
    m_geometry.leftCol = std::max(m_geometry.leftCol, m_geometry.fixedCols);
    m_focus.col = std::max(m_focus.col, std::min(m_geometry.fixedCols, ColCount() - 1));
    UpdateScrollBars();
    viewport()->update();
}

void StringGrid::SetFixedRows(int count)
{
    m_geometry.fixedRows = std::clamp(count, 0, RowCount());
    m_geometry.topRow = std::max(m_geometry.topRow, m_geometry.fixedRows);
    m_focus.row = std::max(m_focus.row, std::min(m_geometry.fixedRows, RowCount() - 1));
    UpdateScrollBars();
    viewport()->update();
}

void StringGrid::SetDefaultColWidth(int width)
{
    m_defaultColWidth = std::max(width, 0);
    std::fill(m_geometry.colWidths.begin(), m_geometry.colWidths.end(), m_defaultColWidth);
    UpdateScrollBars();
    viewport()->update();
}

void StringGrid::SetDefaultRowHeight(int height)
{
    m_defaultRowHeight = std::max(height, 0);
    std::fill(m_geometry.rowHeights.begin(), m_geometry.rowHeights.end(), m_defaultRowHeight);
    UpdateScrollBars();
    viewport()->update();
}

void StringGrid::SetColWidth(int col, int width)
{
    if (col < 0 || col >= ColCount())
        return;
    m_geometry.colWidths[static_cast<std::size_t>(col)] = std::max(width, 0);
    UpdateScrollBars();
    viewport()->update();
}

void StringGrid::SetRowHeight(int row, int height)
{
    if (row < 0 || row >= RowCount())
        return;
    m_geometry.rowHeights[static_cast<std::size_t>(row)] = std::max(height, 0);
    UpdateScrollBars();
    viewport()->update();
}

int StringGrid::ColWidth(int col) const
{
    return col >= 0 && col < ColCount() ? m_geometry.colWidths[static_cast<std::size_t>(col)] : 0;
}

int StringGrid::RowHeight(int row) const
{
    return row >= 0 && row < RowCount() ? m_geometry.rowHeights[static_cast<std::size_t>(row)] : 0;
}

QString StringGrid::Cell(int col, int row) const
{
    if (col < 0 || row < 0 || col >= ColCount() || row >= RowCount())
        return {};
    if (m_texts)
        return m_texts(col, row);
    return m_cells[static_cast<std::size_t>(Index(col, row))];
}

void StringGrid::SetTextSource(TextSource source)
{
    m_texts = std::move(source);
    viewport()->update();
}

void StringGrid::SetCell(int col, int row, const QString &text)
{
    if (col < 0 || row < 0 || col >= ColCount() || row >= RowCount())
        return;
    m_cells[static_cast<std::size_t>(Index(col, row))] = text;
    const QRect r = CellRect(col, row);
    if (!r.isEmpty())
        viewport()->update(r);
}

void StringGrid::ClearCells()
{
    std::fill(m_cells.begin(), m_cells.end(), QString());
    viewport()->update();
}

void StringGrid::SetFocusCell(int col, int row)
{
    if (ColCount() == 0 || RowCount() == 0)
        return;
    col = std::clamp(col, std::min(FixedCols(), ColCount() - 1), ColCount() - 1);
    const int lastRow = std::max(RowCount() - 1 - m_unfocusedBottomRows, 0);
    row = std::clamp(row, std::min(FixedRows(), lastRow), lastRow);
    if (m_focus == grid::Cell{col, row})
        return;
    m_focus = {col, row};
    grid::ScrollIntoView(m_geometry, m_focus, viewport()->width(), viewport()->height());
    UpdateScrollBars();
    viewport()->update();
    emit FocusCellChanged(col, row);
}

void StringGrid::SetUnfocusedBottomRows(int rows)
{
    m_unfocusedBottomRows = std::max(rows, 0);
}

bool StringGrid::IsSelected(int col, int row) const
{
    return m_focus == grid::Cell{col, row};
}

void StringGrid::SetLeftCol(int col)
{
    m_geometry.leftCol = col;
    grid::ClampScroll(m_geometry, viewport()->width(), viewport()->height());
    UpdateScrollBars();
    viewport()->update();
}

void StringGrid::SetTopRow(int row)
{
    m_geometry.topRow = row;
    grid::ClampScroll(m_geometry, viewport()->width(), viewport()->height());
    UpdateScrollBars();
    viewport()->update();
}

void StringGrid::SetCellPainter(CellPainter painter)
{
    m_painter = std::move(painter);
    viewport()->update();
}

void StringGrid::SetHintProvider(HintProvider provider)
{
    m_hints = std::move(provider);
}

std::optional<grid::Cell> StringGrid::CellAt(const QPoint &pos) const
{
    return grid::HitTest(m_geometry, pos.x(), pos.y());
}

QRect StringGrid::CellRect(int col, int row) const
{
    const auto r = grid::CellRect(m_geometry, {col, row});
    return r ? QRect(r->x, r->y, r->width, r->height) : QRect();
}

void StringGrid::PaintCells(QPainter &painter, const QRect &area)
{
    grid::PaintOptions options;
    options.focus = m_focus;
    options.focusSelected = hasFocus();
    options.clipCells = m_clipCells || !m_painter;
    if (m_painter) {
        grid::PaintCells(painter, m_geometry, area, options, m_painter);
    } else {
        grid::PaintCells(painter, m_geometry, area, options,
                         [this](QPainter &p, const CellPaint &info) { PaintDefault(p, info); });
    }
}

void StringGrid::PaintDefault(QPainter &painter, const CellPaint &info) const
{
    const QColor background = (info.state & StateFixed)      ? palette().button().color()
                              : (info.state & StateSelected) ? palette().highlight().color()
                                                             : palette().base().color();
    painter.fillRect(info.rect, background);
    painter.setPen((info.state & StateSelected) && !(info.state & StateFixed)
                       ? palette().highlightedText().color()
                       : palette().text().color());
    painter.drawText(info.rect.adjusted(2, 0, -2, 0), Qt::AlignLeft | Qt::AlignVCenter,
                     Cell(info.col, info.row));
}

void StringGrid::paintEvent(QPaintEvent *event)
{
    QPainter painter(viewport());
    // The area beyond the last cell belongs to no cell: fill it plainly.
    painter.fillRect(event->rect(), palette().window());
    PaintCells(painter, event->rect());
}

void StringGrid::resizeEvent(QResizeEvent *event)
{
    QAbstractScrollArea::resizeEvent(event);
    grid::ClampScroll(m_geometry, viewport()->width(), viewport()->height());
    UpdateScrollBars();
}

void StringGrid::UpdateScrollBars()
{
    m_syncingScrollBars = true;
    const int maxLeft = grid::MaxLeftCol(m_geometry, viewport()->width());
    const int maxTop = grid::MaxTopRow(m_geometry, viewport()->height());
    horizontalScrollBar()->setRange(FixedCols(), std::max(FixedCols(), maxLeft));
    horizontalScrollBar()->setPageStep(std::max(1, maxLeft - FixedCols()));
    horizontalScrollBar()->setValue(m_geometry.leftCol);
    verticalScrollBar()->setRange(FixedRows(), std::max(FixedRows(), maxTop));
    verticalScrollBar()->setPageStep(std::max(1, maxTop - FixedRows()));
    verticalScrollBar()->setValue(m_geometry.topRow);
    m_syncingScrollBars = false;
}

void StringGrid::scrollContentsBy(int, int)
{
    if (m_syncingScrollBars)
        return;
    m_geometry.leftCol = horizontalScrollBar()->value();
    m_geometry.topRow = verticalScrollBar()->value();
    viewport()->update();
    emit Scrolled();
}

void StringGrid::mousePressEvent(QMouseEvent *event)
{
    const auto hit = CellAt(event->position().toPoint());
    if (!hit)
        return;
    m_pressed = true;
    if (hit->col >= FixedCols() && hit->row >= FixedRows() &&
        hit->row < RowCount() - m_unfocusedBottomRows && event->button() == Qt::LeftButton)
        SetFocusCell(hit->col, hit->row);
    emit CellClicked(hit->col, hit->row, event->button(), event->globalPosition().toPoint());
}

void StringGrid::mouseDoubleClickEvent(QMouseEvent *event)
{
    if (const auto hit = CellAt(event->position().toPoint()))
        emit CellDoubleClicked(hit->col, hit->row);
}

void StringGrid::mouseReleaseEvent(QMouseEvent *event)
{
    event->accept();
    // A release counts only after a press on this grid.
    if (!std::exchange(m_pressed, false))
        return;
    if (const auto hit = CellAt(event->position().toPoint()))
        emit CellReleased(hit->col, hit->row, event->button(), event->globalPosition().toPoint());
}

void StringGrid::keyPressEvent(QKeyEvent *event)
{
    int col = m_focus.col;
    int row = m_focus.row;
    switch (event->key()) {
    case Qt::Key_Left:
        --col;
        break;
    case Qt::Key_Right:
        ++col;
        break;
    case Qt::Key_Up:
        --row;
        break;
    case Qt::Key_Down:
        ++row;
        break;
    case Qt::Key_Home:
        col = FixedCols();
        break;
    case Qt::Key_End:
        col = ColCount() - 1;
        break;
    case Qt::Key_PageUp:
        row -= std::max(
            1, static_cast<int>(grid::VisibleRows(m_geometry, viewport()->height()).size()) -
                   FixedRows());
        break;
    case Qt::Key_PageDown:
        row += std::max(
            1, static_cast<int>(grid::VisibleRows(m_geometry, viewport()->height()).size()) -
                   FixedRows());
        break;
    default:
        QAbstractScrollArea::keyPressEvent(event);
        return;
    }
    SetFocusCell(col, row);
}

bool StringGrid::viewportEvent(QEvent *event)
{
    if (event->type() == QEvent::ToolTip) {
        auto *help = static_cast<QHelpEvent *>(event);
        const auto hit = CellAt(help->pos());
        const QString text = hit && m_hints ? m_hints(hit->col, hit->row) : QString();
        if (text.isEmpty())
            QToolTip::hideText();
        else
            QToolTip::showText(help->globalPos(), text, viewport(), CellRect(hit->col, hit->row));
        return true;
    }
    return QAbstractScrollArea::viewportEvent(event);
}

} // namespace qv
