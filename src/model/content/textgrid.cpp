#include "model/content/textgrid.h"

#include <algorithm>

namespace qv {

void TextGrid::Resize(int cols, int rows)
{
    cols = std::max(cols, 0);
    rows = std::max(rows, 0);
    if (cols == m_cols) {
        // Rows are contiguous: growing or shrinking keeps the others in place.
        m_cells.resize(static_cast<std::size_t>(cols) * static_cast<std::size_t>(rows));
        m_marks.resize(m_cells.size(), 0);
        m_rows = rows;
        return;
    }
    std::vector<std::string> cells(static_cast<std::size_t>(cols) * static_cast<std::size_t>(rows));
    std::vector<int> marks(cells.size(), 0);
    const int keepCols = std::min(cols, m_cols);
    const int keepRows = std::min(rows, m_rows);
    for (int r = 0; r < keepRows; ++r) {
        for (int c = 0; c < keepCols; ++c) {
            const std::size_t to = static_cast<std::size_t>(r) * static_cast<std::size_t>(cols) +
                                   static_cast<std::size_t>(c);
            cells[to] = std::move(m_cells[Index(c, r)]);
            marks[to] = m_marks[Index(c, r)];
        }
    }
    m_cells = std::move(cells);
    m_marks = std::move(marks);
    m_cols = cols;
    m_rows = rows;
}

void TextGrid::Clear()
{
    for (std::string &cell : m_cells)
        cell.clear();
    std::fill(m_marks.begin(), m_marks.end(), 0);
}

const std::string &TextGrid::Cell(int col, int row) const
{
    static const std::string empty;
    return Contains(col, row) ? m_cells[Index(col, row)] : empty;
}

void TextGrid::SetCell(int col, int row, std::string text)
{
    if (Contains(col, row))
        m_cells[Index(col, row)] = std::move(text);
}

int TextGrid::Mark(int col, int row) const
{
    return Contains(col, row) ? m_marks[Index(col, row)] : 0;
}

void TextGrid::SetMark(int col, int row, int mark)
{
    if (Contains(col, row))
        m_marks[Index(col, row)] = mark;
}

} // namespace qv
