#pragma once

// RunCommand: "Пуск" of the main window. It keeps the run's calibration
// (the I/O timing of a type-1 unit, the wait table of a type-0 unit, which
// the document's wait conversion also asks for) and, for each run, builds
// the run driver over the desk's tester port, unit lock and settings with
// the windows of this program: the run window, the contact identification
// window and the main window's tabs and views for the results. After the
// run the main window recolours its tabs and refreshes. It reaches the main
// window only through RunHost.

#include "execution/run/runcalibration.h"
#include "execution/run/rundriver.h"
#include "ui/run/runhost.h"

#include <filesystem>
#include <functional>
#include <memory>

namespace qv {

class DeskSession;
class ProbeRun;
class TSkopel;

namespace probe {
class ProbeWindows;
}
namespace results_ui {
class ResultsCommands;
}

namespace run {

class TfmPusk;

class RunCommand
{
public:
    // The waiting window while a run makes the link to the unit again.
    static constexpr const char *kReconnectText = "Подключение к блоку диагностики. Ждите...";

    // Installs itself as the window's run handler and as the document's
    // wait calibration; both must outlive it. clbPath: the wait table file.
    RunCommand(RunHost &host, DeskSession &desk, std::filesystem::path clbPath);
    ~RunCommand();

    RunCommand(const RunCommand &) = delete;
    RunCommand &operator=(const RunCommand &) = delete;

    // One run, as "Пуск" makes it.
    void Run();

    const RunVerdict &LastVerdict() const { return m_verdict; }
    RunCalibration &Calibration() { return m_calibration; }
    // Time-outs of the run thread (tests shorten them).
    void SetTiming(const PuskConfig &timing) { m_timing = timing; }
    // The remote link of a run, and the system's role on it.
    struct RemoteRole
    {
        RemoteRunLink *link = nullptr;
        bool serverWithBench = false; // the bench runs the test
        bool clientWatched = false;   // a server watches this run
    };
    // Asked at each run; without it runs are local.
    void SetRemote(std::function<RemoteRole()> remote) { m_remote = std::move(remote); }
    // Called with each run window as it is made (tests drive it).
    void SetWindowMade(std::function<void(TfmPusk &)> made) { m_windowMade = std::move(made); }
    // Records every run into the results database (null: runs are not
    // recorded); it must outlive this command's runs.
    void SetResults(results_ui::ResultsCommands *results) { m_results = results; }
    // The oscilloscope probe of the application and its windows.
    TSkopel &Skopel() { return *m_skopel; }
    probe::ProbeWindows &ProbeWindows() { return *m_probeWindows; }

private:
    RunHost &m_host;
    DeskSession &m_desk;
    RunCalibration m_calibration;
    PuskConfig m_timing;
    std::function<void(TfmPusk &)> m_windowMade;
    std::function<RemoteRole()> m_remote;
    results_ui::ResultsCommands *m_results = nullptr;
    RunVerdict m_verdict;
    // The probe: its windows outlive the driver, whose thread may still
    // queue calls to them while it ends.
    std::unique_ptr<probe::ProbeWindows> m_probeWindows;
    std::unique_ptr<TSkopel> m_skopel;
    std::unique_ptr<ProbeRun> m_probeRun;
};

} // namespace run
} // namespace qv
