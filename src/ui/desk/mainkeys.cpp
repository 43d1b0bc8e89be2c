#include "ui/desk/mainkeys.h"

#include "ui/desk/runbar.h"

#include <QKeyEvent>
#include <QToolButton>

namespace qv::desk {
namespace {

// Runs `action` when the mode's button is enabled; the key is taken either way.
bool IfEnabled(const QToolButton *button, const std::function<void()> &action)
{
    if (button->isEnabled())
        action();
    return true;
}

} // namespace

MainKeys::MainKeys(const RunBar &bar, Targets targets)
    : m_bar(bar)
    , m_targets(std::move(targets))
{}

bool MainKeys::Handle(const QKeyEvent &event)
{
    return event.type() == QEvent::KeyRelease ? Released(event) : Pressed(event);
}

bool MainKeys::Released(const QKeyEvent &event)
{
    if (event.isAutoRepeat())
        return false;
    if (!m_presses.Released(event) || ChordHeld(event) || !m_bar.Pusk()->isEnabled())
        return false;
    if (IsF5(event)) {
        m_targets.run();
        return true;
    }
    switch (PhysicalLetter(event).toLatin1()) {
    case 'D':
    case 'L':
        m_targets.showDiagram();
        return true;
    case 'N':
    case 'T':
        m_targets.showTable();
        return true;
    case 'P':
    case 'Z':
        return IfEnabled(m_bar.Zond(), m_targets.toggleZond);
    case 'J':
    case 'O':
        return IfEnabled(m_bar.Debug(), m_targets.toggleDebug);
    case 'H':
    case 'Y':
        return IfEnabled(m_bar.Solid(), m_targets.toggleSolid);
    case 'G':
        return IfEnabled(m_bar.Cycles(), m_targets.toggleCycles);
    default:
        return false;
    }
}

bool MainKeys::Pressed(const QKeyEvent &event)
{
    if (!m_presses.Pressed(event))
        return false;
    const QString text = event.text();
    if (text.size() != 1)
        return false;
    const QChar typed = text.front();
    if (typed == QLatin1Char('+') || typed == QLatin1Char('-')) {
        m_targets.plusMinus(typed == QLatin1Char('+'));
        return true;
    }
    if (typed.isDigit()) {
        m_targets.digit(typed.digitValue());
        return true;
    }
    return false;
}

} // namespace qv::desk
