#pragma once

// A grid of texts: what the diagram and the table show, cell by cell, kept
// apart from any widget so that the document fills it and the tests read it
// without a window. Row-major; every cell also carries a small integer mark
// (0 = none) for what is not text, such as a picture shown beside a value.

#include <string>
#include <vector>

namespace qv {

class TextGrid
{
public:
    int ColCount() const { return m_cols; }
    int RowCount() const { return m_rows; }

    // New size; cells inside both sizes keep their text and mark, new cells
    // are empty.
    void Resize(int cols, int rows);
    // Empties every cell (the size stays).
    void Clear();

    // Reads outside the grid give an empty text and mark 0; writes there are
    // ignored.
    const std::string &Cell(int col, int row) const;
    void SetCell(int col, int row, std::string text);
    int Mark(int col, int row) const;
    void SetMark(int col, int row, int mark);

    bool Contains(int col, int row) const
    {
        return col >= 0 && row >= 0 && col < m_cols && row < m_rows;
    }

    friend bool operator==(const TextGrid &, const TextGrid &) = default;

private:
    std::size_t Index(int col, int row) const
    {
        return static_cast<std::size_t>(row) * static_cast<std::size_t>(m_cols) +
               static_cast<std::size_t>(col);
    }

    int m_cols = 0;
    int m_rows = 0;
    std::vector<std::string> m_cells;
    std::vector<int> m_marks;
};

} // namespace qv
