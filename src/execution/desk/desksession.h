#pragma once

// DeskSession: the application-wide objects of the desk that need no
// window, brought up and torn down in a fixed order.
//
// Start: the settings are read (the port's address is one of them, so they
// come before the port), the tester port object is made and opened, a quiet
// connection to the unit is tried, the status monitor starts. The program
// does this in two steps, Open and then ConnectQuietly once its window is
// painted: the quiet connection waits for the unit and may wait its time-out
// when none answers.
// Stop: the settings are written, the status monitor stops, the port stops
// showing its own errors, is purged, reset without a command and detached.
//
// Stop runs once; the destructor runs it when Start succeeded and nobody
// called it.

#include "execution/desk/settingsstore.h"
#include "execution/port/hardstatus.h"
#include "execution/port/testerport.h"

#include <functional>
#include <memory>
#include <string>
#include <string_view>

namespace qv {

class DeskSession
{
public:
    struct Options
    {
        TCP::PortFactory portFactory;           // empty: the port of the address setting
        HardStatusObserver *observer = nullptr; // the status picture; may be null
        std::string lockDirectory;              // the unit lock's folder; empty = default
        HardStatusTiming timing;
        bool modelW5 = false; // see SystemModelIsW5
        // What the operator is told (the tester port's notices); empty:
        // nobody.
        NoticeSink notices;
    };

    DeskSession(SettingsStore store, Options options);
    ~DeskSession();

    DeskSession(const DeskSession &) = delete;
    DeskSession &operator=(const DeskSession &) = delete;

    // False when the port could not be made or opened (already shown to the
    // operator); the application then ends. A failed quiet connection is not
    // a failure: the status monitor shows it.
    bool Start(std::string_view productName);
    // Start's first step: the settings and the port, without a word to the
    // unit. False as Start.
    bool Open(std::string_view productName);
    // Start's second step: the quiet connection and the status monitor. Once
    // only, after Open succeeded; nothing otherwise.
    void ConnectQuietly();
    // Asked by the status monitor whether the system is the remote server of
    // a connected bench; kept for a monitor started later. Main thread.
    void SetRemoteServerQuery(std::function<bool()> query);
    // Returns whether the settings were written.
    bool Stop();
    // Reaches the unit at another address from now on: the status monitor
    // is held off, the old port is detached, the new one made and opened,
    // and a quiet connection tried. False when the new port could not be
    // made or opened (the operator was told); the desk then has no port.
    bool ChangeAddress(const std::string &address);
    // The port maker of the options (empty: the port of the address).
    const TCP::PortFactory &PortFactory() const { return m_options.portFactory; }

    bool Started() const { return m_started; }
    SettingsStore &Store() { return m_store; }
    TCP &Tester() { return m_tester; }
    TthHardStatus *Monitor() { return m_monitor.get(); }

private:
    SettingsStore m_store;
    Options m_options;
    TCP m_tester;
    std::unique_ptr<TthHardStatus> m_monitor;
    std::string m_productName;
    std::function<bool()> m_remoteServerQuery;
    bool m_started = false;
};

} // namespace qv
