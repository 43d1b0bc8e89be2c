#include "ui/run/runcommand.h"

#include "execution/desk/desksession.h"
#include "infra/notice.h"
#include "model/document/quorvik.h"
#include "probe/proberun.h"
#include "probe/skopel.h"
#include "results/recordbuilder.h"
#include "ui/lists/funcnamewindow.h"
#include "ui/probe/probewindows.h"
#include "ui/results/resultscommands.h"
#include "ui/run/idcheckwindow.h"
#include "ui/run/runwindow.h"

namespace qv::run {

RunCommand::RunCommand(RunHost &host, DeskSession &desk, std::filesystem::path clbPath)
    : m_host(host)
    , m_desk(desk)
    , m_calibration(desk.Store().Settings().IoTime, desk.Store().Settings().WaitTime,
                    std::move(clbPath), desk.Tester().Unit())
{
    m_calibration.SetNotices(MessageBoxNotices());
    m_host.Document().SetWaitCalibration(&m_calibration);
    m_host.SetRunHandler([this] { Run(); });
    m_probeWindows = std::make_unique<probe::ProbeWindows>(
        &m_host.RunParent(), [this] { return m_desk.Store().Settings().Oscillogram; });
    m_skopel = std::make_unique<TSkopel>(m_host.Document(), [this](std::string *message) {
        return probe::MakeProbeLink(m_desk.Tester().Settings().probeDevice, message);
    });
    m_skopel->SetView(m_probeWindows.get());
    m_probeRun = std::make_unique<ProbeRun>(m_host.Document(), *m_skopel);
}

RunCommand::~RunCommand()
{
    m_probeRun.reset();
    m_skopel.reset();
    m_host.SetRunHandler({});
    m_host.Document().SetWaitCalibration(nullptr);
}

void RunCommand::Run()
{
    TQuorvik &document = m_host.Document();
    // The board's serial number comes first: a cancelled prompt runs nothing.
    std::unique_ptr<results::RunRecording> recording;
    if (m_results) {
        auto begun = m_results->BeginRun(document, m_desk.Tester());
        if (!begun)
            return;
        recording = std::move(*begun);
    }
    QWidget *parent = &m_host.RunParent();
    TfmCntId idWindow(parent);

    RunDriver::Environment env;
    env.tester = &m_desk.Tester();
    env.monitor = m_desk.Monitor();
    env.settings = &m_desk.Store().Settings();
    env.calibration = &m_calibration;
    env.idCheck = &idWindow;
    lists::FuncNameAsker fileNames(parent, &document, {m_desk.Store().Settings().DataEditor});
    env.fileNames = &fileNames;
    env.tableShown = m_host.TableShown();
    env.timing = m_timing;
    env.watchShownErrors = &WatchMessageBoxErrors;
    env.probe = m_probeRun.get();
    if (m_remote) {
        const RemoteRole role = m_remote();
        env.remote = role.link;
        env.remoteServerWithBench = role.serverWithBench;
        env.remoteClientConnected = role.clientWatched;
    }
    // The notice never outlives the run, however it ends.
    struct NoticeGone
    {
        RunHost &host;
        ~NoticeGone() { host.HideWaitNotice(); }
    } noticeGone{m_host};
    env.waitWindow = [this](bool shown) {
        if (shown)
            m_host.ShowWaitNotice(QString::fromUtf8(kReconnectText));
        else
            m_host.HideWaitNotice();
    };
    env.makeView = [this, &document, parent]() -> std::unique_ptr<RunView> {
        TfmPusk::ResultHooks hooks;
        hooks.testDecoded = [this](int index, bool failed) {
            m_host.ShowTestResult(index, failed);
        };
        hooks.results = [this](ResultStage stage) { m_host.ShowRunResults(stage); };
        hooks.openList = [this](int test, char kind, int number) {
            m_host.OpenListAt(kind, number, test);
        };
        auto view = std::make_unique<TfmPusk>(document, std::move(hooks), parent);
        if (m_windowMade)
            m_windowMade(*view);
        return view;
    };

    if (recording)
        env.passDecoded = [&recording](const DecodedPass &pass) { recording->PassDecoded(pass); };

    RunDriver driver(document, std::move(env));
    driver.StartRun();
    m_verdict = driver.Verdict();
    if (recording)
        recording->Finish(m_verdict);
    m_host.RunFinished();
    m_host.SetRunDiagnosis(m_verdict.diagnosis);
}

} // namespace qv::run
