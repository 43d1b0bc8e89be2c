#include "execution/port/testerport.h"

#include "execution/link/unitaddress.h"
#include "execution/port/buildinfo.h"
#include "execution/port/portavo.h"
#include "infra/unitcodes.h"
#include "model/ini/inistore.h"

#include <bit>
#include <optional>
#include <stdexcept>
#include <thread>

namespace qv {

std::string CalibrationCaption(bool dosUnit)
{
    return dosUnit ? "&Настройка ЧВП" : "&Просмотр ЧВП";
}

void TesterSettings::Normalize()
{
    if (timeout < 1000)
        timeout = 1000;
    if (std::popcount(static_cast<unsigned>(probeMode) & 0xFu) != 2)
        probeMode = 3;
    if (address.empty())
        address = std::string(kDefaultUnitAddress);
}

namespace {

void ReadKey(const IniStore &store, std::string_view key, int &value)
{
    const int read = store.ReadInteger(TCP::kSection, key, value);
    if (read != -1)
        value = read;
}

// The same for a value with a sane range: one outside it keeps the current
// value (the default at start-up), as a malformed one does, so that it is
// never used nor written back.
void ReadKeyInRange(const IniStore &store, std::string_view key, int low, int high, int &value)
{
    int read = value;
    ReadKey(store, key, read);
    if (read >= low && read <= high)
        value = read;
}

// Longest answer time-out and poll period a bench can mean: ten minutes and
// an hour.
constexpr int kMaxTimeoutMs = 600'000;
constexpr int kMaxPollPeriodSeconds = 3600;

// The port's failures go to the notices as the port's own.
void ReportTo(IComPort &port, NoticeSink notices)
{
    port.SetReport([notices = std::move(notices)](const PortOutcome &outcome) {
        Tell(notices, PortNotice(outcome));
    });
}

} // namespace

TCP::TCP() = default;

TCP::~TCP()
{
    if (m_port)
        m_port->Done();
}

void TCP::SetObserver(TesterPortObserver *observer)
{
    std::lock_guard lock(m_mutex);
    m_observer = observer;
}

void TCP::LoadSettings(const IniStore &store)
{
    TesterSettings s = Settings();
    ReadKey(store, kKeyShowConnectError, s.showConnectError);
    ReadKey(store, kKeyIoCheck, s.ioCheck);
    // Below 1000 ms the stored time-out is raised (Normalize); a negative or
    // huge one is no time-out at all.
    ReadKeyInRange(store, kKeyTimeout, 0, kMaxTimeoutMs, s.timeout);
    ReadKey(store, kKeyPolling, s.polling);
    ReadKeyInRange(store, kKeyPollPeriod, 1, kMaxPollPeriodSeconds, s.pollPeriod);
    ReadKey(store, kKeyProbeMode, s.probeMode);
    s.address = store.ReadString(kSection, kKeyAddress, s.address);
    s.probeDevice = store.ReadString(kSection, kKeyProbeDevice, s.probeDevice);
    SetSettings(std::move(s));
}

void TCP::SaveSettings(IniStore &store) const
{
    const TesterSettings s = Settings();
    store.WriteInteger(kSection, kKeyShowConnectError, s.showConnectError);
    store.WriteInteger(kSection, kKeyIoCheck, s.ioCheck);
    store.WriteInteger(kSection, kKeyTimeout, s.timeout);
    store.WriteInteger(kSection, kKeyPolling, s.polling);
    store.WriteInteger(kSection, kKeyPollPeriod, s.pollPeriod);
    store.WriteInteger(kSection, kKeyProbeMode, s.probeMode);
    store.WriteString(kSection, kKeyAddress, s.address);
    store.WriteString(kSection, kKeyProbeDevice, s.probeDevice);
}

TesterSettings TCP::Settings() const
{
    std::lock_guard lock(m_mutex);
    return m_settings;
}

void TCP::SetSettings(TesterSettings settings)
{
    settings.Normalize();
    SComPort port;
    {
        std::lock_guard lock(m_mutex);
        m_settings = std::move(settings);
        port = m_port;
    }
    // Every exchange from now on waits as long as the settings say, not
    // only the runs.
    if (port)
        port->SetTimeout(Settings().timeout);
}

bool TCP::PollingEnabled() const
{
    std::lock_guard lock(m_mutex);
    return m_settings.polling != 0;
}

int TCP::PollPeriodSeconds() const
{
    std::lock_guard lock(m_mutex);
    return m_settings.pollPeriod;
}

bool TCP::Create(std::string_view productName, const PortFactory &factory)
{
    const std::string caption(productName);
    const TesterSettings s = Settings();
    try {
        std::string why;
        if (!ParseUnitAddress(s.address, &why)) {
            Tell(Notices(), {NoticeKind::Error, BadUnitAddressMessage(s.address, why), caption});
            return false;
        }
        SComPort port = factory ? factory(s.address) : std::make_shared<Portavo>(s.address);
        if (!port)
            throw std::runtime_error("порт блока диагностики не создан");
        SCP_Info info;
        info.productName = caption;
        {
            std::lock_guard lock(m_mutex);
            m_buildInfo.clear();
            m_port = port;
        }
        ReportTo(*port, Notices());
        port->SetTimeout(s.timeout);
        return port->Open(info) != 0;
    } catch (const std::exception &e) {
        Tell(Notices(), {NoticeKind::Error,
                         std::string("Не удалось создать класс TCP :") + e.what(), caption});
        return false;
    }
}

void TCP::SetNotices(NoticeSink sink)
{
    SComPort port;
    {
        std::lock_guard lock(m_mutex);
        m_notices = std::move(sink);
        port = m_port;
    }
    if (port)
        ReportTo(*port, Notices());
}

NoticeSink TCP::Notices() const
{
    std::lock_guard lock(m_mutex);
    return m_notices;
}

bool TCP::HasPort() const
{
    std::lock_guard lock(m_mutex);
    return m_port != nullptr;
}

SComPort TCP::Port() const
{
    std::lock_guard lock(m_mutex);
    if (!m_port)
        throw std::logic_error("TCP::Port: порт блока диагностики не создан");
    return m_port;
}

void TCP::SetTimeout(int ms)
{
    {
        std::lock_guard lock(m_mutex);
        m_settings.timeout = ms; // raised to 1000 when the settings are next read
    }
    Port()->SetTimeout(ms);
}

void TCP::Pause(int ms) const
{
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

int TCP::Reset(bool withCheck, int mode)
{
    const SComPort port = Port();
    int code = PortOk;
    if (mode < 2) {
        const bool check = mode == 1 || (withCheck && Settings().ioCheck != 0);
        const std::uint8_t checkByte = 1;
        code = port->Send(QORV_RESET,
                          check ? std::span(&checkByte, 1) : std::span<const std::uint8_t>{});
        if (code == PortOk)
            code = port->WaitAck(QORV_RESET, kPortDefaultTimeout);
    }
    const bool connected = PortSucceeded(code);
    if (connected)
        ReadBuildInfo();
    TesterPortObserver *observer = nullptr;
    {
        std::lock_guard lock(m_mutex);
        observer = m_observer;
    }
    if (observer)
        observer->UnitStatusChanged(connected ? UnitStatus::Connected : UnitStatus::NoConnection);
    return code;
}

void TCP::ReadBuildInfo()
{
    const SComPort port = Port();
    // A side read: its failure only leaves the text empty, and it must
    // neither report nor clear what the exchange before it left pending.
    const PortVoiceScope background(*port, PortVoice::Background);
    {
        std::lock_guard lock(m_mutex);
        m_buildInfo.clear();
    }
    int code = port->Send(BUILD_INFO, {});
    if (code == PortOk)
        code = port->WaitData(BUILD_INFO, 500);
    if (!PortSucceeded(code))
        return;
    const auto answer = port->AnswerData();
    const auto text = BuildInfoText(answer);
    if (!text)
        return;
    TesterPortObserver *observer = nullptr;
    {
        std::lock_guard lock(m_mutex);
        m_buildInfo = *text;
        observer = m_observer;
    }
    m_unit.SetType(answer[0] == UnitTypeMsDos ? UnitTypeMsDos : UnitTypeArm);
    if (observer)
        observer->CalibrationCaptionChanged(CalibrationCaption(m_unit.IsDos()));
}

bool TCP::Connect(bool quiet, bool reboot, int *code)
{
    const SComPort port = Port();
    std::optional<PortVoiceScope> voice;
    if (quiet && Settings().showConnectError == 0)
        voice.emplace(*port, PortVoice::Quiet);
    std::uint32_t found = 0;
    if (port->FindUnit(&found) == 0)
        return false;
    if (!m_unit.IsDos() && reboot) {
        port->Reboot();
        Pause(300);
    }
    const int handshake = port->Handshake();
    if (code != nullptr)
        *code = handshake;
    bool success = handshake == PortOk;
    if (success && code == nullptr) {
        Pause(50);
        success = Reset(true, 1) == PortOk;
        if (success && !quiet) {
            Pause(50);
            ReadBuildInfo();
        }
    }
    return success;
}

std::string TCP::BuildInfo() const
{
    std::lock_guard lock(m_mutex);
    return m_buildInfo;
}

} // namespace qv
