#pragma once

// TCP: the system's one tester-port object. Created at start-up and kept
// until shut-down, it owns the port reference (SComPort), the six port
// settings of the section "Блок диагностики" plus the unit's address, and
// the build information of the connected unit (empty until known).
// Every part that talks to the unit borrows Port() for each call.
// What the operator is told (the port's failures, a port that cannot be
// made) goes to the notice sink its owner gives it; without one, nobody is
// told.

#include "execution/port/comport.h"
#include "execution/port/unitstatus.h"
#include "infra/unitcodes.h"

#include <atomic>
#include <functional>
#include <mutex>
#include <string>
#include <string_view>

namespace qv {

class IniStore;

// The type of the unit the desk talks to: MS-DOS (device type 1) until a
// build-information answer says otherwise, then what the last one said.
// Read from any thread (the views convert waits by it while a run goes on).
class ConnectedUnit
{
public:
    bool IsDos() const { return m_dos.load(); }
    void SetType(UnitType type) { m_dos = type == UnitTypeMsDos; }

private:
    std::atomic<bool> m_dos{true};
};

// The caption of the main window's calibration command for the unit type.
std::string CalibrationCaption(bool dosUnit);

// What the main window learns from the tester port. Calls come from the
// thread that used the port; the observer brings them to the main thread.
class TesterPortObserver
{
public:
    virtual ~TesterPortObserver() = default;
    // After each build-information read: "&Настройка ЧВП" or "&Просмотр ЧВП".
    virtual void CalibrationCaptionChanged(const std::string &caption) = 0;
    // After each Reset: Connected or NoConnection.
    virtual void UnitStatusChanged(UnitStatus code) = 0;
};

struct TesterSettings
{
    int showConnectError = 1; // report a failed connection at start-up
    int ioCheck = 0;          // I/O fault check with the reset before a run
    int timeout = 1000;       // answer time-out, ms (at least 1000)
    int polling = 1;          // periodic status poll
    int pollPeriod = 5;       // seconds
    int probeMode = 3;        // probe threshold bits (exactly two of the low four)
    std::string address{"sim"};
    // The oscilloscope probe's USB link: "sim", "ftdi" or "d2xx".
    std::string probeDevice{"sim"};

    // Applies the rules of the stored values: time-out raised to 1000, probe
    // mode 3 unless its low four bits hold exactly two ones.
    void Normalize();
};

class TCP
{
public:
    static constexpr std::string_view kSection = "Блок диагностики";
    static constexpr std::string_view kKeyShowConnectError =
        "Выдавать сообщение об ошибке соединения с блоком диагностики при старте программы";
    static constexpr std::string_view kKeyIoCheck =
        "Выполнять контроль неисправности входов/выходов перед запуском теста";
    static constexpr std::string_view kKeyTimeout = "Время ожидания ответа от блока диагностики";
    static constexpr std::string_view kKeyPolling =
        "Выполнять периодический опрос готовности блока диагностики";
    static constexpr std::string_view kKeyPollPeriod = "Время опроса (сек)";
    static constexpr std::string_view kKeyProbeMode = "Режим зонда";
    static constexpr std::string_view kKeyAddress = "Адрес блока диагностики";
    static constexpr std::string_view kKeyProbeDevice = "Устройство зонда";

    // Makes the port for an address; the default makes a Portavo.
    using PortFactory = std::function<SComPort(const std::string &address)>;

    TCP();
    ~TCP();

    TCP(const TCP &) = delete;
    TCP &operator=(const TCP &) = delete;

    void SetObserver(TesterPortObserver *observer);
    // Where the notices go: Create's failures and the reports of its port
    // (the present one and those it makes later). The sink is called on the
    // thread that failed.
    void SetNotices(NoticeSink sink);
    NoticeSink Notices() const;

    // A missing key (or a value of -1) keeps the current value; see
    // TesterSettings::Normalize for the rules applied after reading.
    void LoadSettings(const IniStore &store);
    void SaveSettings(IniStore &store) const;
    TesterSettings Settings() const;
    void SetSettings(TesterSettings settings);
    bool PollingEnabled() const;
    int PollPeriodSeconds() const;

    // Checks that the configured transport is usable, makes the port and
    // opens it. Failures are told as errors under `productName`.
    bool Create(std::string_view productName, const PortFactory &factory = {});
    bool HasPort() const;
    // The port; an empty reference is a programming fault (std::logic_error).
    SComPort Port() const;

    // Stores and forwards; the rule of at least 1000 ms applies to stored
    // values when they are read (LoadSettings, SetSettings).
    void SetTimeout(int ms);
    // Mode below 2 sends QORV_RESET (with the check byte for mode 1, or when
    // withCheck is set and the I/O check setting is on) and waits for its
    // acknowledgement; mode 2 sends nothing. On success the build
    // information is read. Returns the port's code.
    int Reset(bool withCheck, int mode);
    void ReadBuildInfo();
    // FindUnit, (reboot,) Handshake; without `code` also a reset with the
    // check and, unless quiet, the build information.
    bool Connect(bool quiet, bool reboot, int *code = nullptr);
    std::string BuildInfo() const;
    // The unit behind the port, as the last build information described it.
    ConnectedUnit &Unit() { return m_unit; }
    const ConnectedUnit &Unit() const { return m_unit; }
    bool DosUnit() const { return m_unit.IsDos(); }

private:
    void Pause(int ms) const;

    mutable std::mutex m_mutex;
    TesterSettings m_settings;
    std::string m_buildInfo;
    SComPort m_port;
    TesterPortObserver *m_observer = nullptr;
    NoticeSink m_notices;
    ConnectedUnit m_unit;
};

} // namespace qv
