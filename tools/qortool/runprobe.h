#pragma once

// The oscilloscope probe of qortool run --probe: the probe driver over the
// chosen USB link, recording the active V-function of the test being run
// (or its first one), with the live window's effects as console lines.

#include "execution/run/runsession.h"
#include "probe/skopelview.h"

#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace qv {
class ProbeRun;
class TQuorvik;
class TSkopel;
} // namespace qv

namespace qortool {

class ConsoleProbe final : public qv::SkopelView
{
public:
    using LineSink = std::function<void(const std::string &line)>;

    // kind: "sim", "ftdi" or "d2xx".
    ConsoleProbe(qv::TQuorvik &doc, std::string kind, LineSink sink);
    ~ConsoleProbe() override;

    // Binds the vendor's library when the kind names it; false after
    // printing why not.
    bool Bind();
    // The position from 1 of the V-function to record in the current test
    // (its active one, else the first); nullopt when it has none.
    std::optional<int> Choice() const;
    qv::VFunctionProbe &Probe();
    // "Съёмов: N" of the live window at the end of the run, or nullopt when
    // it never opened or closed with no block.
    std::optional<std::string> CapturesLine() const;

    bool ConfirmPreparation(const std::string &name, const std::string &info) override;
    void OpenLive(const qv::LiveStart &start) override;
    void BlockReceived(int cycle, const qv::Waveform &samples) override;
    void CapturesDone(int captures) override;
    void CloseLive() override;
    void ShowDeviceError(const std::string &text) override;

private:
    void Emit(const std::string &line);

    qv::TQuorvik &m_doc;
    std::string m_kind;
    LineSink m_sink;
    mutable std::mutex m_mutex; // the sink and the line below
    std::optional<std::string> m_capturesLine;
    std::shared_ptr<void> m_library; // the vendor's library, bound for the run
    std::unique_ptr<qv::TSkopel> m_skopel;
    std::unique_ptr<qv::ProbeRun> m_run;
};

} // namespace qortool
