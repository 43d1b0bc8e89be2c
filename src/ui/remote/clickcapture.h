#pragma once

// Mouse presses of the operator described by object names, and their
// replay: the server watches the presses in the program's windows and
// sends each to its client, which repeats it on the window and control of
// the same names.
//
// A press names the program's form it lies on (its object name and class)
// and the innermost named control under the pointer, with the point in that
// control's coordinates. On a window that is none of the program's named
// forms (a message box, a file dialog) it names the window by its title and
// class instead, with the point in the window's coordinates. Names the
// toolkit gives its own parts ("qt_...") do not count as names.

#include "remote/remotewire.h"

#include <QObject>
#include <QPoint>
#include <QStringList>
#include <optional>

class QWidget;

namespace qv {

class ClickCapture : public QObject
{
    Q_OBJECT
public:
    // Watches every press of the application while it lives.
    explicit ClickCapture(QObject *parent = nullptr);
    ~ClickCapture() override;

    // Presses on forms of these names are not reported.
    void SetIgnoredForms(QStringList names) { m_ignored = std::move(names); }

    // What a press at `pos` (widget coordinates) on `widget` describes;
    // nullopt when it names nothing.
    static std::optional<RemoteClick> Describe(QWidget *widget, QPoint pos, Qt::MouseButton button);

signals:
    void Pressed(const qv::RemoteClick &click);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QStringList m_ignored;
    // The press last reported: one press passes the filter once for every
    // widget it propagates to.
    ulong m_lastTimestamp = 0;
    QPoint m_lastGlobal;
};

// Repeats a click on the program's windows: posts a press and a release at
// the named place. False when no visible window or control fits.
bool ReplayClick(const RemoteClick &click);

} // namespace qv
