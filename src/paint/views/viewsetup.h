#pragma once

// What the diagram and the table widgets and picture export share: the
// font measures behind the diagram's geometry, the grid geometry of both
// views, and the part of the diagram's draw record that comes from the
// document.

#include "paint/grid/gridgeometry.h"
#include "paint/views/diagramgeometry.h"
#include "paint/views/drawinfo.h"

#include <array>
#include <string>

class QFont;

namespace qv {

class TQorFunc;
class TQuorvik;
class TextGrid;
struct STest;

namespace views {

inline constexpr int kTableRowHeight = 16;

// TextHeight("12345678"), TextWidth("1234567890?") and TextWidth("1").
FontMeasures MeasureFont(const QFont &font);

// The diagram's columns and rows: two fixed name columns, tact columns of
// the current width, two fixed header rows of the base height and every
// other row of the current row height.
grid::Geometry DiagramGridGeometry(const DiagramGeometry &g, int colCount, int rowCount);

// The table's seven columns for a table width, each at least as wide as
// `needs` says, and its rows of 16 pixels; the header row is fixed when
// there are more rows.
grid::Geometry TableGridGeometry(int tableWidth, int rowCount,
                                 const std::array<int, 7> &needs = {});
// What each table column needs to show all its texts whole.
std::array<int, 7> TableTextNeeds(const TQorFunc &painter, const TextGrid &content);

// One character per V-function of the test whose code is its tact's
// column index minus 1.
std::string VMarksOf(const STest &test);

// The diagram's draw record as far as the document and the geometry fill
// it (diagram length, results, start tact, V marks of the current test).
SDrawGridInfo DiagramDrawBase(const TQuorvik &document, const DiagramGeometry &g);

} // namespace views
} // namespace qv
