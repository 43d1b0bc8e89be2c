#pragma once

// Opening the function window of a kind on a test, for the main window's
// commands and for the clicks on the diagram and the table.

class QWidget;

namespace qv {

class TQuorvik;
struct OscillogramColours;
struct STest;

namespace functions {

// Shows the window of kind 'F', 'S', 'M', 'P' or 'V' on function `number`
// of `test` (a number not listed: the first) and returns once it is
// closed. False for any other kind (nothing shown).
bool OpenFunctionWindow(QWidget *parent, TQuorvik &doc, STest &test, char kind, int number,
                        const OscillogramColours &colours);

} // namespace functions
} // namespace qv
