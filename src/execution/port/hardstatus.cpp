#include "execution/port/hardstatus.h"

#include "execution/port/testerport.h"
#include "infra/notice.h"
#include "infra/version.h"

#include <algorithm>
#include <array>

namespace qv {

namespace {

struct StatusTexts
{
    const char *dosResource;
    const char *dosHint;
    const char *armResource;
    const char *armHint;
};

constexpr std::array<StatusTexts, 5> kStatusTexts{{
    {"STATUS_ERR", "Блок диагностики: не подключен", "STATUS_MK_ERR", "МК: не подключен"},
    {"STATUS_OK", "Блок диагностики: подключен", "STATUS_MK_OK", "МК: подключен"},
    {"STATUS_CHECK", "Блок диагностики: проверка связи", "STATUS_MK_CHECK", "МК: проверка связи"},
    {"STATUS_WAIT", "Блок диагностики: устройство занято ", "STATUS_MK_WAIT",
     "МК: устройство занято "},
    {"STATUS_REMOTE", "Блок диагностики: удаленное управление", "STATUS_REMOTE",
     "МК: удаленное управление"},
}};

} // namespace

StatusPicture StatusPictureFor(UnitStatus code, bool dosUnit, const std::string &buildInfo)
{
    StatusPicture picture;
    picture.code = code;
    const int index = static_cast<int>(code);
    if (index < 0 || index >= static_cast<int>(kStatusTexts.size()))
        return picture;
    const StatusTexts &texts = kStatusTexts[static_cast<std::size_t>(index)];
    picture.resource = dosUnit ? texts.dosResource : texts.armResource;
    picture.hint = dosUnit ? texts.dosHint : texts.armHint;
    if (code == UnitStatus::Connected && !buildInfo.empty())
        picture.hint += "\r\n" + buildInfo;
    return picture;
}

std::string ResourceLoadFailure(const std::string &resource)
{
    return "Не удалось загрузить ресурс \"" + resource + "\"";
}

TthHardStatus::TthHardStatus(TCP &tester, HardStatusObserver *observer, std::string lockDirectory,
                             Timing timing)
    : m_tester(tester)
    , m_observer(observer)
    , m_timing(timing)
    , m_lock(std::move(lockDirectory), tester.Settings().address)
{
    ReportLockSetup();
}

void TthHardStatus::ReportLockSetup()
{
    if (!m_lock.Valid())
        Tell(m_tester.Notices(), {NoticeKind::Error,
                                  "Ошибка при выполнении команды CreateMutex\r\nКод ошибки: " +
                                      m_lock.SetupError() + "\"",
                                  std::string(kProductName)});
}

void TthHardStatus::FollowUnitAddress()
{
    m_lock.Guard(m_tester.Settings().address);
    ReportLockSetup();
}

TthHardStatus::~TthHardStatus()
{
    Terminate();
}

void TthHardStatus::Start()
{
    if (!m_thread.joinable())
        m_thread = std::thread([this] { Run(); });
}

void TthHardStatus::Terminate()
{
    {
        std::lock_guard lock(m_mutex);
        m_terminated = true;
    }
    m_wake.notify_all();
    if (m_thread.joinable())
        m_thread.join();
}

void TthHardStatus::SetRemoteServerQuery(std::function<bool()> query)
{
    std::lock_guard lock(m_mutex);
    m_remoteServer = std::move(query);
}

bool TthHardStatus::Lock(int ms)
{
    const bool acquired = m_lock.Lock(std::chrono::milliseconds(std::max(ms, 0)));
    m_lastLock = acquired;
    if (acquired && m_tester.HasPort())
        m_tester.Port()->Purge();
    return acquired;
}

void TthHardStatus::Unlock()
{
    m_lock.Unlock();
}

void TthHardStatus::ShowStatus(UnitStatus code)
{
    m_status = code;
    if (m_observer != nullptr)
        m_observer->ShowStatusPicture(
            StatusPictureFor(code, m_tester.DosUnit(), m_tester.BuildInfo()));
}

bool TthHardStatus::Sleep(std::chrono::milliseconds duration)
{
    std::unique_lock lock(m_mutex);
    return !m_wake.wait_for(lock, duration, [this] { return m_terminated; });
}

UnitStatus TthHardStatus::Poll()
{
    std::function<bool()> remote;
    {
        std::lock_guard lock(m_mutex);
        remote = m_remoteServer;
    }
    if (remote && remote())
        return UnitStatus::Remote;
    if (!Lock(static_cast<int>(m_timing.pollLockWait.count())))
        return UnitStatus::Busy;
    int code = 0;
    try {
        const SComPort port = m_tester.Port();
        // The poll's outcome is the picture alone: it neither shows a box
        // nor leaves an error for the next run.
        const PortVoiceScope background(*port, PortVoice::Background);
        try {
            code = port->Handshake();
            if (code == 0)
                code = m_tester.Reset(false, 0);
        } catch (const std::exception &) {
            code = 2;
        }
    } catch (const std::exception &) {
        code = 2;
    }
    Unlock();
    return code == 0 || code == 6 ? UnitStatus::Connected : UnitStatus::NoConnection;
}

void TthHardStatus::Run()
{
    // The period is read once; the polling switch before every sleep step.
    // A period below one step (a damaged setting) still sleeps between polls.
    const auto period = std::max(m_timing.periodUnit * m_tester.PollPeriodSeconds(), m_timing.step);
    auto counter = m_timing.firstCounter;
    bool polling = m_tester.PollingEnabled();
    for (;;) {
        while (counter < period) {
            if (!Sleep(m_timing.step))
                return;
            counter += m_timing.step;
            polling = m_tester.PollingEnabled();
        }
        counter = std::chrono::milliseconds(0);
        if (!polling)
            continue;
        ShowStatus(UnitStatus::Checking);
        if (!Sleep(m_timing.checkPause))
            return;
        ShowStatus(Poll());
    }
}

} // namespace qv
