#pragma once

// The draw-cell records of the two views: what the painters are told about
// the cell they paint besides the grid's content.

#include <QRect>
#include <string>
#include <vector>

namespace qv {

class TextGrid;

struct SDrawGridInfo
{
    const TextGrid *grid = nullptr; // the diagram's content
    int col = 0;
    int row = 0;
    QRect rect;           // the cell, in the coordinates of the painter
    unsigned state = 0;   // grid::DrawState bits: selected, focused, fixed
    bool preview = false; // the settings window's sample: no document behind it
    int tactCount = 0;    // N, the diagram length of the current test
    bool results = false; // the current test has run results
    int startTact = 0;    // the test's start tact (1-based)
    // One character per tact that a V-function samples, its code being the
    // tact's column index minus 1 (the 1-based tact number).
    std::string vMarks;
    int vLine = 0;     // the signal line (1-based) that shows the V marks; 0 = none
    int tactLeft = 0;  // x of the first tact column that shows (right of the fixed columns)
    int nameWidth = 0; // width of column 0 (and 1)
    // Contacts (1..192) the diagnosis suspects: their level lines are marked.
    std::vector<int> suspects;
};

struct STableGridInfo
{
    const TextGrid *grid = nullptr; // the table's content
    int col = 0;
    int row = 0;
    QRect rect;
    bool preview = false;
    bool results = false; // the current test has run results
};

} // namespace qv
