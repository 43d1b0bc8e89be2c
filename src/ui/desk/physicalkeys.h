#pragma once

// The main window's keys. The letter keys and F5 are physical keys: the same
// key works whichever keyboard layout is active (the Latin letter printed on
// it names it). "+", "-" and the digits are typed characters.

#include <QChar>

class QKeyEvent;

namespace qv::desk {

// The Latin letter (upper case) printed on the key that produced a key event,
// or QChar() when it is no letter key. Uses the X11/evdev scan code when the
// platform gives one, else the key code (Latin or the Cyrillic letter of the
// standard Russian layout on the same key).
QChar PhysicalLetter(quint32 nativeScanCode, int key);
QChar PhysicalLetter(const QKeyEvent &event);
// Whether the event comes from the F5 key.
bool IsF5(const QKeyEvent &event);

} // namespace qv::desk
