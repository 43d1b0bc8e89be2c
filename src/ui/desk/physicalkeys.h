#pragma once

// The main window's keys. The letter keys and F5 are physical keys: the same
// key works whichever keyboard layout is active (the Latin letter printed on
// it names it). "+", "-" and the digits are typed characters.

#include <QChar>
#include <QList>

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

// The operator's keys (the letters and F5) act on release, and only when
// the key went down without Ctrl, Alt or Meta while the window had it: a
// release after a chord (Ctrl let go first, or a shortcut whose window took
// the rest of the press) does nothing.
class PlainPresses
{
public:
    // Notes a key press; false for a press with one of those modifiers.
    bool Pressed(const QKeyEvent &event);
    // For a release: whether that key's press was noted as plain (and
    // forgets it).
    bool Released(const QKeyEvent &event);

private:
    // The key an event comes from: F5 or the physical letter; 0 for others.
    static int KeyOf(const QKeyEvent &event);
    QList<int> m_down; // keys pressed plainly and not yet released
};

// Ctrl, Alt or Meta is held.
bool ChordHeld(const QKeyEvent &event);

} // namespace qv::desk
