#pragma once

// Opens the list window of a kind of item of the current test modally:
// 'i' input words, 'o'/'O' output words, 'g' generator words, 'G' G-cycles,
// 'T' data buses. `number` is the item shown first (-1: the first one).
// False when the kind has no list window here or there is no current test.

#include <QWidget>

namespace qv {

class TQuorvik;

namespace lists {

bool OpenList(QWidget *parent, TQuorvik &doc, char kind, int number);
// The same for test testIndex (0-based) rather than the current one;
// `cycle` (1-based) is the cycle shown first, 0 keeps the test's active one.
bool OpenList(QWidget *parent, TQuorvik &doc, char kind, int number, int testIndex, int cycle = 0);

} // namespace lists
} // namespace qv
