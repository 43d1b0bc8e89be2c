#include "ui/desk/physicalkeys.h"

#include <QGuiApplication>
#include <QKeyEvent>
#include <QString>

namespace qv::desk {
namespace {

// X11 key codes (evdev + 8) of the letter keys, by row of the keyboard.
struct ScanRow
{
    quint32 first;
    const char *letters;
};
constexpr ScanRow kRows[] = {{24, "QWERTYUIOP"}, {38, "ASDFGHJKL"}, {52, "ZXCVBNM"}};
constexpr quint32 kF5ScanCode = 71;

// The standard Russian layout on the same keys as the Latin letters above.
const char16_t *const kCyrillicRows[] = {u"ЙЦУКЕНГШЩЗ", u"ФЫВАПРОЛД", u"ЯЧСМИТЬ"};

bool ScanCodesAreX11()
{
    const QString platform = QGuiApplication::platformName();
    return platform == QLatin1String("xcb") || platform.startsWith(QLatin1String("wayland"));
}

QChar LetterOfScanCode(quint32 code)
{
    for (const ScanRow &row : kRows) {
        const auto length = static_cast<quint32>(std::char_traits<char>::length(row.letters));
        if (code >= row.first && code < row.first + length)
            return QLatin1Char(row.letters[code - row.first]);
    }
    return {};
}

QChar LetterOfKey(int key)
{
    if (key >= Qt::Key_A && key <= Qt::Key_Z)
        return QLatin1Char(static_cast<char>(key));
    if (key <= 0 || key > 0xFFFF)
        return {};
    const QChar upper = QChar(key).toUpper();
    for (std::size_t r = 0; r < std::size(kCyrillicRows); ++r) {
        const QString row = QString::fromUtf16(kCyrillicRows[r]);
        const int at = row.indexOf(upper);
        if (at >= 0)
            return QLatin1Char(kRows[r].letters[at]);
    }
    return {};
}

} // namespace

QChar PhysicalLetter(quint32 nativeScanCode, int key)
{
    if (nativeScanCode != 0 && ScanCodesAreX11())
        return LetterOfScanCode(nativeScanCode);
    return LetterOfKey(key);
}

QChar PhysicalLetter(const QKeyEvent &event)
{
    return PhysicalLetter(event.nativeScanCode(), event.key());
}

bool IsF5(const QKeyEvent &event)
{
    if (event.nativeScanCode() != 0 && ScanCodesAreX11())
        return event.nativeScanCode() == kF5ScanCode;
    return event.key() == Qt::Key_F5;
}

bool ChordHeld(const QKeyEvent &event)
{
    return (event.modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier)) != 0;
}

int PlainPresses::KeyOf(const QKeyEvent &event)
{
    if (IsF5(event))
        return Qt::Key_F5;
    return PhysicalLetter(event).unicode();
}

bool PlainPresses::Pressed(const QKeyEvent &event)
{
    const int key = KeyOf(event);
    const bool plain = !ChordHeld(event);
    if (key != 0 && !event.isAutoRepeat()) {
        m_down.removeAll(key);
        if (plain)
            m_down.append(key);
    }
    return plain;
}

bool PlainPresses::Released(const QKeyEvent &event)
{
    const int key = KeyOf(event);
    return key != 0 && m_down.removeAll(key) > 0;
}

} // namespace qv::desk
