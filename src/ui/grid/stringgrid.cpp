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
    setColCount(5);
    setRowCount(5);
    setFixedCols(1);
    setFixedRows(1);
}

void StringGrid::resizeCells(int cols, int rows)
{
    cols = std::max(cols, 0);
    rows = std::max(rows, 0);
    std::vector<QString> cells(static_cast<std::size_t>(cols) * static_cast<std::size_t>(rows));
    const int keepCols = std::min(cols, colCount());
    const int keepRows = std::min(rows, rowCount());
    for (int r = 0; r < keepRows; ++r) {
        for (int c = 0; c < keepCols; ++c)
            cells[static_cast<std::size_t>(r * cols + c)] =
                std::move(m_cells[static_cast<std::size_t>(index(c, r))]);
    }
    m_cells = std::move(cells);
    m_geometry.colWidths.resize(static_cast<std::size_t>(cols), m_defaultColWidth);
    m_geometry.rowHeights.resize(static_cast<std::size_t>(rows), m_defaultRowHeight);
    m_geometry.fixedCols = std::min(m_geometry.fixedCols, cols);
    m_geometry.fixedRows = std::min(m_geometry.fixedRows, rows);
    m_focus.col = std::clamp(m_focus.col, 0, std::max(cols - 1, 0));
    m_focus.row = std::clamp(m_focus.row, 0, std::max(rows - 1, 0));
    updateScrollBars();
    viewport()->update();
}

void StringGrid::setColCount(int count)
{
    resizeCells(count, rowCount());
}

void StringGrid::setRowCount(int count)
{
    resizeCells(colCount(), count);
}

void StringGrid::setFixedCols(int count)
{
    m_geometry.fixedCols = std::clamp(count, 0, colCount());
    m_geometry.leftCol = std::max(m_geometry.leftCol, m_geometry.fixedCols);
    m_focus.col = std::max(m_focus.col, std::min(m_geometry.fixedCols, colCount() - 1));
    updateScrollBars();
    viewport()->update();
}

void StringGrid::setFixedRows(int count)
{
    m_geometry.fixedRows = std::clamp(count, 0, rowCount());
    m_geometry.topRow = std::max(m_geometry.topRow, m_geometry.fixedRows);
    m_focus.row = std::max(m_focus.row, std::min(m_geometry.fixedRows, rowCount() - 1));
    updateScrollBars();
    viewport()->update();
}

void StringGrid::setDefaultColWidth(int width)
{
    m_defaultColWidth = std::max(width, 0);
    std::fill(m_geometry.colWidths.begin(), m_geometry.colWidths.end(), m_defaultColWidth);
    updateScrollBars();
    viewport()->update();
}

void StringGrid::setDefaultRowHeight(int height)
{
    m_defaultRowHeight = std::max(height, 0);
    std::fill(m_geometry.rowHeights.begin(), m_geometry.rowHeights.end(), m_defaultRowHeight);
    updateScrollBars();
    viewport()->update();
}

void StringGrid::setColWidth(int col, int width)
{
    if (col < 0 || col >= colCount())
        return;
    m_geometry.colWidths[static_cast<std::size_t>(col)] = std::max(width, 0);
    updateScrollBars();
    viewport()->update();
}

void StringGrid::setRowHeight(int row, int height)
{
    if (row < 0 || row >= rowCount())
        return;
    m_geometry.rowHeights[static_cast<std::size_t>(row)] = std::max(height, 0);
    updateScrollBars();
    viewport()->update();
}

int StringGrid::colWidth(int col) const
{
    return col >= 0 && col < colCount() ? m_geometry.colWidths[static_cast<std::size_t>(col)] : 0;
}

int StringGrid::rowHeight(int row) const
{
    return row >= 0 && row < rowCount() ? m_geometry.rowHeights[static_cast<std::size_t>(row)] : 0;
}

QString StringGrid::cell(int col, int row) const
{
    if (col < 0 || row < 0 || col >= colCount() || row >= rowCount())
        return {};
    if (m_texts)
        return m_texts(col, row);
    return m_cells[static_cast<std::size_t>(index(col, row))];
}

void StringGrid::setTextSource(TextSource source)
{
    m_texts = std::move(source);
    viewport()->update();
}

void StringGrid::setCell(int col, int row, const QString &text)
{
    if (col < 0 || row < 0 || col >= colCount() || row >= rowCount())
        return;
    m_cells[static_cast<std::size_t>(index(col, row))] = text;
    const QRect r = cellRect(col, row);
    if (!r.isEmpty())
        viewport()->update(r);
}

void StringGrid::clearCells()
{
    std::fill(m_cells.begin(), m_cells.end(), QString());
    viewport()->update();
}

void StringGrid::setFocusCell(int col, int row)
{
    if (colCount() == 0 || rowCount() == 0)
        return;
    col = std::clamp(col, std::min(fixedCols(), colCount() - 1), colCount() - 1);
    const int lastRow = std::max(rowCount() - 1 - m_unfocusedBottomRows, 0);
    row = std::clamp(row, std::min(fixedRows(), lastRow), lastRow);
    if (m_focus == grid::Cell{col, row})
        return;
    m_focus = {col, row};
    grid::ScrollIntoView(m_geometry, m_focus, viewport()->width(), viewport()->height());
    updateScrollBars();
    viewport()->update();
    emit focusCellChanged(col, row);
}

void StringGrid::setUnfocusedBottomRows(int rows)
{
    m_unfocusedBottomRows = std::max(rows, 0);
}

bool StringGrid::isSelected(int col, int row) const
{
    return m_focus == grid::Cell{col, row};
}

void StringGrid::setLeftCol(int col)
{
    m_geometry.leftCol = col;
    grid::ClampScroll(m_geometry, viewport()->width(), viewport()->height());
    updateScrollBars();
    viewport()->update();
}

void StringGrid::setTopRow(int row)
{
    m_geometry.topRow = row;
    grid::ClampScroll(m_geometry, viewport()->width(), viewport()->height());
    updateScrollBars();
    viewport()->update();
}

void StringGrid::setCellPainter(CellPainter painter)
{
    m_painter = std::move(painter);
    viewport()->update();
}

void StringGrid::setHintProvider(HintProvider provider)
{
    m_hints = std::move(provider);
}

std::optional<grid::Cell> StringGrid::cellAt(const QPoint &pos) const
{
    return grid::HitTest(m_geometry, pos.x(), pos.y());
}

QRect StringGrid::cellRect(int col, int row) const
{
    const auto r = grid::CellRect(m_geometry, {col, row});
    return r ? QRect(r->x, r->y, r->width, r->height) : QRect();
}

void StringGrid::paintCells(QPainter &painter, const QRect &area)
{
    grid::PaintOptions options;
    options.focus = m_focus;
    options.focusSelected = hasFocus();
    options.clipCells = m_clipCells || !m_painter;
    if (m_painter) {
        grid::PaintCells(painter, m_geometry, area, options, m_painter);
    } else {
        grid::PaintCells(painter, m_geometry, area, options,
                         [this](QPainter &p, const CellPaint &info) { paintDefault(p, info); });
    }
}

void StringGrid::paintDefault(QPainter &painter, const CellPaint &info) const
{
    const QColor background = (info.state & StateFixed)      ? palette().button().color()
                              : (info.state & StateSelected) ? palette().highlight().color()
                                                             : palette().base().color();
    painter.fillRect(info.rect, background);
    painter.setPen((info.state & StateSelected) && !(info.state & StateFixed)
                       ? palette().highlightedText().color()
                       : palette().text().color());
    painter.drawText(info.rect.adjusted(2, 0, -2, 0), Qt::AlignLeft | Qt::AlignVCenter,
                     cell(info.col, info.row));
}

void StringGrid::paintEvent(QPaintEvent *event)
{
    QPainter painter(viewport());
    // The area beyond the last cell belongs to no cell: fill it plainly.
    painter.fillRect(event->rect(), palette().window());
    paintCells(painter, event->rect());
}

void StringGrid::resizeEvent(QResizeEvent *event)
{
    QAbstractScrollArea::resizeEvent(event);
    grid::ClampScroll(m_geometry, viewport()->width(), viewport()->height());
    updateScrollBars();
}

void StringGrid::updateScrollBars()
{
    m_syncingScrollBars = true;
    const int maxLeft = grid::MaxLeftCol(m_geometry, viewport()->width());
    const int maxTop = grid::MaxTopRow(m_geometry, viewport()->height());
    horizontalScrollBar()->setRange(fixedCols(), std::max(fixedCols(), maxLeft));
    horizontalScrollBar()->setPageStep(std::max(1, maxLeft - fixedCols()));
    horizontalScrollBar()->setValue(m_geometry.leftCol);
    verticalScrollBar()->setRange(fixedRows(), std::max(fixedRows(), maxTop));
    verticalScrollBar()->setPageStep(std::max(1, maxTop - fixedRows()));
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
    emit scrolled();
}

void StringGrid::mousePressEvent(QMouseEvent *event)
{
    const auto hit = cellAt(event->position().toPoint());
    if (!hit)
        return;
    m_pressed = true;
    if (hit->col >= fixedCols() && hit->row >= fixedRows() &&
        hit->row < rowCount() - m_unfocusedBottomRows && event->button() == Qt::LeftButton)
        setFocusCell(hit->col, hit->row);
    emit cellClicked(hit->col, hit->row, event->button(), event->globalPosition().toPoint());
}

void StringGrid::mouseDoubleClickEvent(QMouseEvent *event)
{
    if (const auto hit = cellAt(event->position().toPoint()))
        emit cellDoubleClicked(hit->col, hit->row);
}

void StringGrid::mouseReleaseEvent(QMouseEvent *event)
{
    event->accept();
    // A release counts only after a press on this grid.
    if (!std::exchange(m_pressed, false))
        return;
    if (const auto hit = cellAt(event->position().toPoint()))
        emit cellReleased(hit->col, hit->row, event->button(), event->globalPosition().toPoint());
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
        col = fixedCols();
        break;
    case Qt::Key_End:
        col = colCount() - 1;
        break;
    case Qt::Key_PageUp:
        row -= std::max(
            1, static_cast<int>(grid::VisibleRows(m_geometry, viewport()->height()).size()) -
                   fixedRows());
        break;
    case Qt::Key_PageDown:
        row += std::max(
            1, static_cast<int>(grid::VisibleRows(m_geometry, viewport()->height()).size()) -
                   fixedRows());
        break;
    default:
        QAbstractScrollArea::keyPressEvent(event);
        return;
    }
    setFocusCell(col, row);
}

bool StringGrid::viewportEvent(QEvent *event)
{
    if (event->type() == QEvent::ToolTip) {
        auto *help = static_cast<QHelpEvent *>(event);
        const auto hit = cellAt(help->pos());
        const QString text = hit && m_hints ? m_hints(hit->col, hit->row) : QString();
        if (text.isEmpty())
            QToolTip::hideText();
        else
            QToolTip::showText(help->globalPos(), text, viewport(), cellRect(hit->col, hit->row));
        return true;
    }
    return QAbstractScrollArea::viewportEvent(event);
}

} // namespace qv
