#pragma once

// What the main window's status picture says about the unit. The values are
// the status monitor's codes (the picture set is indexed by them).

namespace qv {

enum class UnitStatus : int {
    NotShown = -1,    // nothing polled yet: no picture
    NoConnection = 0, // the unit did not answer
    Connected = 1,    // it answered the handshake and the reset
    Checking = 2,     // a poll is under way
    Busy = 3,         // another exchange holds the unit lock
    Remote = 4,       // the bench is under remote control
};

} // namespace qv
