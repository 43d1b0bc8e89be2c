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
    void SetColCount(int count);
    void SetRowCount(int count);
    int ColCount() const { return m_geometry.colCount(); }
    int RowCount() const { return m_geometry.rowCount(); }
    void SetFixedCols(int count);
    void SetFixedRows(int count);
    int FixedCols() const { return m_geometry.fixedCols; }
    int FixedRows() const { return m_geometry.fixedRows; }

    void SetDefaultColWidth(int width);
    void SetDefaultRowHeight(int height);
    int DefaultColWidth() const { return m_defaultColWidth; }
    int DefaultRowHeight() const { return m_defaultRowHeight; }
    void SetColWidth(int col, int width);
    void SetRowHeight(int row, int height);
    int ColWidth(int col) const;
    int RowHeight(int row) const;

    // Cells; reads outside the grid give an empty text, writes are ignored.
    // With a text source the texts are read from it instead (and writes go
    // nowhere).
    QString Cell(int col, int row) const;
    void SetTextSource(TextSource source);
    void SetCell(int col, int row, const QString &text);
    void ClearCells();

    // Focus (the current cell, always a scrolling cell when there is one) and
    // the selected rectangle of cells (the focused cell by default).
    grid::Cell FocusCell() const { return m_focus; }
    void SetFocusCell(int col, int row);
    // The last `rows` rows never take the focus (0 by default).
    void SetUnfocusedBottomRows(int rows);
    bool IsSelected(int col, int row) const;

    // Scrolling in whole cells.
    int LeftCol() const { return m_geometry.leftCol; }
    int TopRow() const { return m_geometry.topRow; }
    void SetLeftCol(int col);
    void SetTopRow(int row);

    void SetCellPainter(CellPainter painter);
    // See grid::PaintOptions::clipCells; on by default.
    void SetClipCells(bool clip) { m_clipCells = clip; }
    void SetHintProvider(HintProvider provider);

    // Geometry queries in viewport coordinates.
    std::optional<grid::Cell> CellAt(const QPoint &pos) const;
    QRect CellRect(int col, int row) const; // empty when not visible
    const grid::Geometry &Geometry() const { return m_geometry; }

    // Paints the visible cells into any painter (offscreen export uses it).
    void PaintCells(QPainter &painter, const QRect &area);

signals:
    void CellClicked(int col, int row, Qt::MouseButton button, const QPoint &globalPos);
    void CellDoubleClicked(int col, int row);
    // A button released over a cell after a press on the grid.
    void CellReleased(int col, int row, Qt::MouseButton button, const QPoint &globalPos);
    void FocusCellChanged(int col, int row);
    void Scrolled();

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
    int Index(int col, int row) const { return row * ColCount() + col; }
    void ResizeCells(int cols, int rows);
    void UpdateScrollBars();
    void PaintDefault(QPainter &painter, const CellPaint &cell) const;

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
