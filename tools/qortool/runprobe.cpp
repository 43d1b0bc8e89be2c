#include "runprobe.h"

#include "model/document/quorvik.h"
#include "probe/d2xxlink.h"
#include "probe/proberun.h"
#include "probe/skopel.h"

#include <iostream>

namespace qortool {

ConsoleProbe::ConsoleProbe(qv::TQuorvik &doc, std::string kind, LineSink sink)
    : m_doc(doc)
    , m_kind(std::move(kind))
    , m_sink(std::move(sink))
{
    m_skopel = std::make_unique<qv::TSkopel>(
        m_doc, [this](std::string *message) { return qv::probe::MakeProbeLink(m_kind, message); });
    m_skopel->SetView(this);
    m_run = std::make_unique<qv::ProbeRun>(m_doc, *m_skopel);
}

ConsoleProbe::~ConsoleProbe()
{
    m_run.reset();
    m_skopel.reset();
}

bool ConsoleProbe::Bind()
{
    std::unique_ptr<qv::probe::D2xxLibrary> library;
    std::string message;
    if (!qv::probe::BindProbeLibrary(m_kind, &library, &message)) {
        std::cerr << "qortool run: " << message << std::endl;
        return false;
    }
    m_library = std::move(library);
    return true;
}

std::optional<int> ConsoleProbe::Choice() const
{
    const qv::STest *test = m_doc.Test(m_doc.CurrentTest());
    if (test == nullptr || test->VFuncs.Empty())
        return std::nullopt;
    const int active = test->VFuncs.IndexOf(test->VFuncs.Active());
    return active >= 0 ? active + 1 : 1;
}

qv::VFunctionProbe &ConsoleProbe::Probe()
{
    return *m_run;
}

std::optional<std::string> ConsoleProbe::CapturesLine() const
{
    std::lock_guard lock(m_mutex);
    return m_capturesLine;
}

void ConsoleProbe::Emit(const std::string &line)
{
    std::lock_guard lock(m_mutex);
    if (m_sink)
        m_sink(line);
}

bool ConsoleProbe::ConfirmPreparation(const std::string &, const std::string &info)
{
    Emit("Подготовка перед запуском теста: " + info);
    return true;
}

void ConsoleProbe::OpenLive(const qv::LiveStart &start)
{
    Emit("Осциллограмма: V" + std::to_string(start.number) + ": \"" + start.name + "\", цикл " +
         std::to_string(start.cycle + 1));
}

void ConsoleProbe::BlockReceived(int, const qv::Waveform &) {}

void ConsoleProbe::CapturesDone(int captures)
{
    std::lock_guard lock(m_mutex);
    m_capturesLine = "Съёмов: " + std::to_string(captures);
}

void ConsoleProbe::CloseLive()
{
    Emit("Осциллограмма закрыта: съёмов нет");
}

void ConsoleProbe::ShowDeviceError(const std::string &text)
{
    // Shown even with --quiet: the recording failed.
    std::lock_guard lock(m_mutex);
    std::cerr << "qortool run: В ходе работы с устройством произошла следующая ошибка: " << text
              << std::endl;
}

} // namespace qortool
