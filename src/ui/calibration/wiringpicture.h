#pragma once

// The wiring pictures of the output-word wait tests: the oscilloscope on
// contact A1 of connector X2 and the signal it shows there, a plain meander
// for the first test and a meander whose pulse is held by the output-word
// wait for the second.

#include <QPixmap>

namespace qv::calibration {

enum class WaitTest { Meander = 0, MeanderWithWord = 1 };

QPixmap WiringPicture(WaitTest test);

} // namespace qv::calibration
