#include "ui/settings/unitlink.h"

#include "execution/port/hardstatus.h"
#include "execution/port/testerport.h"
#include "infra/mesbo.h"
#include "infra/messages.h"
#include "infra/version.h"

#include <QApplication>
#include <QLabel>
#include <QThread>

namespace qv::settings {
namespace {

constexpr int kMonitorPauseMs = 3000;
constexpr unsigned long kSettleMs = 300;

// Holds the status monitor off the unit for the life of the object.
class MonitorPause
{
public:
    explicit MonitorPause(TthHardStatus *monitor)
        : m_monitor(monitor != nullptr && monitor->Lock(kMonitorPauseMs) ? monitor : nullptr)
    {}
    ~MonitorPause()
    {
        if (m_monitor != nullptr)
            m_monitor->Unlock();
    }
    MonitorPause(const MonitorPause &) = delete;
    MonitorPause &operator=(const MonitorPause &) = delete;

private:
    TthHardStatus *m_monitor;
};

} // namespace

bool CheckUnitLink(TCP &tester, TthHardStatus *monitor, QWidget *parent)
{
    if (!tester.HasPort())
        return false;
    QLabel waiting(QStringLiteral("Проверка связи с блоком диагностики. Ждите..."), parent,
                   Qt::Tool | Qt::FramelessWindowHint);
    waiting.setMargin(16);
    waiting.setFrameStyle(QFrame::Panel | QFrame::Raised);
    waiting.show();
    QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    bool connected = false;
    {
        MonitorPause pause(monitor);
        const SComPort port = tester.Port();
        port->Close();
        QApplication::setOverrideCursor(Qt::WaitCursor);
        QThread::msleep(kSettleMs);
        const int shown = port->GetShowErrors();
        port->SetShowErrors(0);
        connected = tester.Connect(true, true);
        port->SetShowErrors(shown);
        QApplication::restoreOverrideCursor();
        waiting.hide();
        if (connected)
            Mesbo().Show(Msg(26), MbInformation, kProductName);
        else
            port->ShowError(std::nullopt);
    }
    return connected;
}

void RebootUnit(TCP &tester, TthHardStatus *monitor)
{
    if (!tester.HasPort())
        return;
    MonitorPause pause(monitor);
    // A failure is shown by the port; a restart that went well is told too.
    if (PortSucceeded(tester.Port()->Reboot()))
        Mesbo().Show("Блок диагностики перезагружен", MbInformation, kProductName);
}

} // namespace qv::settings
