#pragma once

// The self-diagnostics launcher "&Диагностика системы": the unit is handed
// to the self-diagnostics program and taken back when it ends. Meanwhile a
// small modal window asks the operator to finish that program first; it
// cannot be closed before.
//
// Hand-over: the unit lock (3000 ms), Purge, Detach, Close; the program is
// started in its own folder with the unit's address. Take-back, when the
// program has ended (also by a crash) or could not be started: Connect
// (quiet, no reboot), Reset (no check, mode 0), Handshake, the lock
// released.

#include <QDialog>
#include <QProcess>
#include <QString>

class QLabel;

namespace qv {

class TCP;
class TthHardStatus;

namespace services {

class TfmSelfTestLaunch : public QDialog
{
    Q_OBJECT

public:
    // monitor: holds the unit lock; may be null.
    TfmSelfTestLaunch(TCP &tester, TthHardStatus *monitor, QString program,
                      QWidget *parent = nullptr);
    ~TfmSelfTestLaunch() override;

    // "\"Диагностика системы\"": the name the window and its messages use.
    static QString DisplayName();
    QLabel *TextLine() const { return m_text; }
    QLabel *IconLabel() const { return m_icon; }
    // Whether the window may close (the other program has ended or could
    // not be started).
    bool CloseAllowed() const { return m_closeAllowed; }

    // Esc, the window manager's close and every other way end here; they
    // are refused while the other program runs.
    void done(int result) override;

protected:
    void showEvent(QShowEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    void HandOver();
    void TakeBack();
    void RestoreCursor();

    TCP &m_tester;
    TthHardStatus *m_monitor;
    QString m_program;
    QLabel *m_text = nullptr;
    QLabel *m_icon = nullptr;
    QProcess m_process;
    bool m_started = false;
    bool m_locked = false;
    bool m_closeAllowed = false;
    bool m_cursorSet = false;
};

// Opens the launcher modally; returns when it has closed.
void LaunchSelfDiagnostics(TCP &tester, TthHardStatus *monitor, QWidget *parent);

} // namespace services
} // namespace qv
