#include "unitrunner.h"

#include "execution/run/unattendedrunview.h"
#include "infra/notice.h"
#include "infra/paths.h"
#include "infra/version.h"
#include "model/document/quorvik.h"

namespace qortool {

UnitRunner::UnitRunner(const UnitRunSetup &setup)
{
    m_settings.SetOption(qv::TSettings::OptSendResultInLoop, 1);
    m_settings.SetOption(qv::TSettings::OptStopOnTestError, setup.keepGoing ? 0 : 1);
    m_settings.SetOption(qv::TSettings::OptCurrentControl, 0);
    m_settings.SetOption(qv::TSettings::OptRunEndMessage, 1);
    m_settings.SetOption(qv::TSettings::OptAskOverwriteData, 0);
    qv::TesterSettings port = m_tester.Settings();
    port.address = setup.address;
    if (setup.timeoutMs)
        port.timeout = *setup.timeoutMs;
    m_tester.SetSettings(port);
    m_passLimit = setup.passLimit;
    m_probe = setup.probe;
    m_passDecoded = setup.passDecoded;
    m_tester.SetNotices(qv::MessageBoxNotices()); // the session's message box prints them
    m_ready = m_tester.Create(qv::kProductName);
    if (!m_ready)
        return;
    m_monitor.emplace(m_tester, nullptr);
    m_calibration.emplace(m_settings.IoTime, m_settings.WaitTime, qv::AppFile(".clb"),
                          m_tester.Unit());
    m_calibration->SetNotices(qv::MessageBoxNotices());
}

UnitRunner::~UnitRunner() = default;

qv::RunVerdict UnitRunner::Run(qv::TQuorvik &doc, qv::RunView &view)
{
    if (!m_ready)
        return {};
    doc.SetWaitCalibration(&*m_calibration);
    qv::RunDriver::Environment env;
    env.tester = &m_tester;
    env.monitor = &*m_monitor;
    env.settings = &m_settings;
    env.calibration = &*m_calibration;
    env.view = &view;
    env.showVerdict = false;
    env.passLimit = m_passLimit;
    env.probe = m_probe;
    env.passDecoded = m_passDecoded;
    qv::RunDriver driver(doc, env);
    driver.StartRun();
    doc.SetWaitCalibration(nullptr);
    return driver.Verdict();
}

std::string UnitAddressOf(const ParsedArgs &args)
{
    if (const auto board = args.Value("--board"))
        return "sim:" + *board;
    return args.Value("--unit").value_or("sim");
}

std::optional<std::string> RunBeforeOutput(qv::TQuorvik &doc, const std::string &address)
{
    UnitRunSetup setup;
    setup.address = address;
    UnitRunner runner(setup);
    qv::UnattendedRunView view(doc, {});
    const qv::RunVerdict verdict = runner.Run(doc, view);
    if (verdict.text.empty())
        return std::nullopt;
    return verdict.text;
}

} // namespace qortool
