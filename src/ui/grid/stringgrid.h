#pragma once

// An owner-drawn grid of text cells: fixed rows and columns, per-column
// widths and per-row heights, a focused cell and a selection, scrolling by
// whole cells, hints, and mouse events translated to cells.
//
// The grid paints nothing by itself: every fill, line and text comes from the
// cell painter (a callback given the cell, its rectangle and its draw state),
// and only the cells visible in the viewport are painted. Without a painter
// the cell text is drawn plainly, which serves the small list grids.

#include "paint/grid/cellpaint.h"
#include "paint/grid/gridgeometry.h"

#include <QAbstractScrollArea>
#include <QString>
#include <functional>
#include <vector>

class QPainter;

namespace qv {

class StringGrid : public QAbstractScrollArea
{
    Q_OBJECT

public:
    enum DrawState : unsigned {
        StateSelected = grid::StateSelected,
        StateFocused = grid::StateFocused,
        StateFixed = grid::StateFixed,
    };

    using CellPaint = grid::CellPaint;
    using CellPainter = grid::CellPainter;
    using HintProvider = std::function<QString(int col, int row)>;
    // Where the texts come from when they are kept outside the grid.
    using TextSource = std::function<QString(int col, int row)>;

    explicit StringGrid(QWidget *parent = nullptr);

    // Size. New cells are empty; widths and heights of new lines take the
    // defaults.
    void setColCount(int count);
    void setRowCount(int count);
    int colCount() const { return m_geometry.colCount(); }
    int rowCount() const { return m_geometry.rowCount(); }
    void setFixedCols(int count);
    void setFixedRows(int count);
    int fixedCols() const { return m_geometry.fixedCols; }
    int fixedRows() const { return m_geometry.fixedRows; }

    void setDefaultColWidth(int width);
    void setDefaultRowHeight(int height);
    int defaultColWidth() const { return m_defaultColWidth; }
    int defaultRowHeight() const { return m_defaultRowHeight; }
    void setColWidth(int col, int width);
    void setRowHeight(int row, int height);
    int colWidth(int col) const;
    int rowHeight(int row) const;

    // Cells; reads outside the grid give an empty text, writes are ignored.
    // With a text source the texts are read from it instead (and writes go
    // nowhere).
    QString cell(int col, int row) const;
    void setTextSource(TextSource source);
    void setCell(int col, int row, const QString &text);
    void clearCells();

    // Focus (the current cell, always a scrolling cell when there is one) and
    // the selected rectangle of cells (the focused cell by default).
    grid::Cell focusCell() const { return m_focus; }
    void setFocusCell(int col, int row);
    // The last `rows` rows never take the focus (0 by default).
    void setUnfocusedBottomRows(int rows);
    bool isSelected(int col, int row) const;

    // Scrolling in whole cells.
    int leftCol() const { return m_geometry.leftCol; }
    int topRow() const { return m_geometry.topRow; }
    void setLeftCol(int col);
    void setTopRow(int row);

    void setCellPainter(CellPainter painter);
    // See grid::PaintOptions::clipCells; on by default.
    void setClipCells(bool clip) { m_clipCells = clip; }
    void setHintProvider(HintProvider provider);

    // Geometry queries in viewport coordinates.
    std::optional<grid::Cell> cellAt(const QPoint &pos) const;
    QRect cellRect(int col, int row) const; // empty when not visible
    const grid::Geometry &geometry() const { return m_geometry; }

    // Paints the visible cells into any painter (offscreen export uses it).
    void paintCells(QPainter &painter, const QRect &area);

signals:
    void cellClicked(int col, int row, Qt::MouseButton button, const QPoint &globalPos);
    void cellDoubleClicked(int col, int row);
    // A button released over a cell after a press on the grid.
    void cellReleased(int col, int row, Qt::MouseButton button, const QPoint &globalPos);
    void focusCellChanged(int col, int row);
    void scrolled();

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    bool viewportEvent(QEvent *event) override;
    void scrollContentsBy(int dx, int dy) override;

private:
    int index(int col, int row) const { return row * colCount() + col; }
    void resizeCells(int cols, int rows);
    void updateScrollBars();
    void paintDefault(QPainter &painter, const CellPaint &cell) const;

    grid::Geometry m_geometry;
    std::vector<QString> m_cells; // row-major
    int m_defaultColWidth = 64;
    int m_defaultRowHeight = 24;
    grid::Cell m_focus{0, 0};
    CellPainter m_painter;
    HintProvider m_hints;
    TextSource m_texts;
    int m_unfocusedBottomRows = 0;
    bool m_clipCells = true;
    bool m_pressed = false;
    bool m_syncingScrollBars = false;
};

} // namespace qv
