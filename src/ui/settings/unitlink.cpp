#include "ui/settings/unitlink.h"

#include "execution/link/seriallink.h"
#include "execution/port/hardstatus.h"
#include "execution/port/testerport.h"
#include "infra/mesbo.h"
#include "infra/messages.h"
#include "infra/version.h"
#include "ui/services/helperprograms.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
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

// The notice shown while a link is checked.
class CheckingNotice
{
public:
    explicit CheckingNotice(QWidget *parent)
        : m_label(QStringLiteral("Проверка связи с блоком диагностики. Ждите..."), parent,
                  Qt::Tool | Qt::FramelessWindowHint)
    {
        m_label.setMargin(16);
        m_label.setFrameStyle(QFrame::Panel | QFrame::Raised);
        m_label.show();
        QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
        QApplication::setOverrideCursor(Qt::WaitCursor);
    }
    ~CheckingNotice() { QApplication::restoreOverrideCursor(); }
    CheckingNotice(const CheckingNotice &) = delete;
    CheckingNotice &operator=(const CheckingNotice &) = delete;

    void Hide() { m_label.hide(); }

private:
    QLabel m_label;
};

} // namespace

QString BoardsDirectory()
{
    const QDir programs =
        QFileInfo(services::HelperProgramPath(QString::fromLatin1(services::kTestEditorProgram)))
            .absoluteDir();
    for (const QString &candidate :
         {programs.filePath(QStringLiteral("boards")),
          programs.filePath(QStringLiteral("../share/quorvik/boards"))}) {
        if (QFileInfo(candidate).isDir())
            return QDir::cleanPath(candidate);
    }
    return {};
}

QStringList UnitAddressChoices()
{
    QStringList choices{QStringLiteral("sim")};
    const QString boards = BoardsDirectory();
    if (!boards.isEmpty()) {
        for (const QFileInfo &board :
             QDir(boards).entryInfoList({QStringLiteral("*.ini")}, QDir::Files, QDir::Name))
            choices << QStringLiteral("sim:") + board.absoluteFilePath();
    }
    for (const std::string &device : SerialDevices())
        choices << QStringLiteral("serial:") + QString::fromStdString(device);
    return choices;
}

bool CheckAddressLink(const std::string &address, int timeoutMs, const TCP::PortFactory &factory,
                      QWidget *parent)
{
    CheckingNotice notice(parent);
    TCP tester;
    tester.SetNotices(MessageBoxNotices());
    TesterSettings settings;
    settings.address = address;
    settings.timeout = timeoutMs;
    settings.showConnectError = 0;
    tester.SetSettings(settings);
    // A port that cannot be made was reported by Create.
    if (!tester.Create(kProductName, factory)) {
        notice.Hide();
        return false;
    }
    const SComPort port = tester.Port();
    port->SetVoice(PortVoice::Quiet);
    const bool connected = tester.Connect(true, false);
    notice.Hide();
    if (connected) {
        Mesbo().Show(Msg(26), MbInformation, kProductName);
    } else {
        const std::string why = port->GetError();
        Mesbo().Show("Нет связи с блоком диагностики по адресу \"" + address + "\"" +
                         (why.empty() ? std::string() : "\r\n" + why),
                     MbError, kProductName);
    }
    const PortVoiceScope background(*port, PortVoice::Background);
    port->Detach();
    return connected;
}

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
        {
            const PortVoiceScope quiet(*port, PortVoice::Quiet);
            connected = tester.Connect(true, true);
        }
        QApplication::restoreOverrideCursor();
        waiting.hide();
        if (connected)
            Mesbo().Show(Msg(26), MbInformation, kProductName);
        else
            TellPendingError(*port, tester.Notices());
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
