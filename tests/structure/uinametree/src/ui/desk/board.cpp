#include "board.h"

namespace {
const QColor kPaper(0xFF, 0xFF, 0xF4);

int shownRows(const Board &board)
{
    return board.rowCount();
}
} // namespace

void Board::SelectTest(int index)
{
    const int rows(shownRows(*this));
    m_shown = index < rows ? index : 0;
}
