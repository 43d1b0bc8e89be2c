#pragma once

// The bench of a command-line run: the tester port at an address, the unit
// lock, the calibration and the settings a run reads, with the answers of
// an unattended operator. Shared by qortool run and qortool render --run.

#include "args.h"
#include "execution/port/hardstatus.h"
#include "execution/port/testerport.h"
#include "execution/run/runcalibration.h"
#include "execution/run/rundriver.h"
#include "model/settings/settings.h"

#include <functional>
#include <optional>
#include <string>

namespace qortool {

struct UnitRunSetup
{
    std::string address{"sim"}; // "sim", "sim:BOARD", "tcp://HOST:PORT", "serial:..."
    std::optional<int> timeoutMs;
    bool keepGoing = false; // a continuous run goes on after errors
    int passLimit = 0;      // a continuous run ends by itself after this many passes; 0: never
    qv::VFunctionProbe *probe = nullptr; // the oscilloscope probe of the run; null: none
    // Each decoded pass of a continuous run (RunDriver::Environment).
    std::function<void(const qv::DecodedPass &pass)> passDecoded;
};

class UnitRunner
{
public:
    explicit UnitRunner(const UnitRunSetup &setup);
    ~UnitRunner();
    UnitRunner(const UnitRunner &) = delete;
    UnitRunner &operator=(const UnitRunner &) = delete;

    // False when the port could not be made (the reason was shown).
    bool Ready() const { return m_ready; }
    // Runs the document's current test (or all tests) with the view as the
    // run window; the verdict (kind NotRun when not Ready).
    qv::RunVerdict Run(qv::TQuorvik &doc, qv::RunView &view);
    std::string BuildInfo() const { return m_tester.BuildInfo(); }
    bool DosUnit() const { return m_tester.DosUnit(); }

private:
    qv::TSettings m_settings;
    qv::TCP m_tester;
    std::optional<qv::TthHardStatus> m_monitor;
    std::optional<qv::RunCalibration> m_calibration;
    int m_passLimit = 0;
    qv::VFunctionProbe *m_probe = nullptr;
    std::function<void(const qv::DecodedPass &pass)> m_passDecoded;
    bool m_ready = false;
};

// The address of --unit/--board of a command that runs a test before its
// output (render --run, export --run): "sim" unless given.
std::string UnitAddressOf(const ParsedArgs &args);

// Runs the document's current test once on that unit, as "Пуск" does,
// with no window; the end message, or nullopt when no run was made.
std::optional<std::string> RunBeforeOutput(qv::TQuorvik &doc, const std::string &address);

} // namespace qortool
