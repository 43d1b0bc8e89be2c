#include "execution/desk/desksession.h"

namespace qv {

DeskSession::DeskSession(SettingsStore store, Options options)
    : m_store(std::move(store))
    , m_options(std::move(options))
{
    m_store.SetNotices(m_options.notices);
    m_tester.SetNotices(m_options.notices);
}

DeskSession::~DeskSession()
{
    if (m_started)
        Stop();
}

bool DeskSession::Start(std::string_view productName)
{
    if (!Open(productName))
        return false;
    ConnectQuietly();
    return true;
}

bool DeskSession::Open(std::string_view productName)
{
    m_productName = std::string(productName);
    m_store.Load(&m_tester, m_options.modelW5);
    if (!m_tester.Create(productName, m_options.portFactory))
        return false;
    m_started = true;
    return true;
}

void DeskSession::ConnectQuietly()
{
    if (!m_started || m_monitor || !m_tester.HasPort())
        return;
    m_tester.Connect(true, false);
    m_monitor = std::make_unique<TthHardStatus>(m_tester, m_options.observer,
                                                m_options.lockDirectory, m_options.timing);
    if (m_remoteServerQuery)
        m_monitor->SetRemoteServerQuery(m_remoteServerQuery);
    m_monitor->Start();
}

void DeskSession::SetRemoteServerQuery(std::function<bool()> query)
{
    m_remoteServerQuery = std::move(query);
    if (m_monitor)
        m_monitor->SetRemoteServerQuery(m_remoteServerQuery);
}

bool DeskSession::ChangeAddress(const std::string &address)
{
    constexpr int kMonitorWaitMs = 3000;
    const bool paused = m_monitor != nullptr && m_monitor->Lock(kMonitorWaitMs);
    if (m_tester.HasPort()) {
        const SComPort old = m_tester.Port();
        const PortVoiceScope background(*old, PortVoice::Background);
        old->Purge();
        old->Detach();
    }
    TesterSettings settings = m_tester.Settings();
    settings.address = address;
    m_tester.SetSettings(settings);
    const bool made = m_tester.Create(m_productName, m_options.portFactory);
    if (made)
        m_tester.Connect(true, false);
    if (paused)
        m_monitor->Unlock();
    // From now on the lock excludes the programs that reach the new unit.
    if (m_monitor)
        m_monitor->FollowUnitAddress();
    return made;
}

bool DeskSession::Stop()
{
    if (!m_started)
        return false;
    m_started = false;
    const bool saved = m_store.Save(&m_tester);
    if (m_monitor)
        m_monitor->Terminate();
    m_monitor.reset();
    if (m_tester.HasPort()) {
        const SComPort port = m_tester.Port();
        const PortVoiceScope background(*port, PortVoice::Background);
        port->Purge();
        m_tester.Reset(false, 2);
        port->Detach();
    }
    return saved;
}

} // namespace qv
