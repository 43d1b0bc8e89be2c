#include "execution/run/rundriver.h"

#include "execution/port/hardstatus.h"
#include "execution/port/testerport.h"
#include "execution/run/contactid.h"
#include "execution/run/decodedpass.h"
#include "execution/run/runcalibration.h"
#include "execution/run/rundiagnosis.h"
#include "infra/notice.h"
#include "infra/unitcodes.h"
#include "model/document/quorvik.h"
#include "model/settings/settings.h"
#include "model/test/stest.h"

#include <algorithm>
#include <memory>
#include <mutex>
#include <thread>

namespace qv {

namespace {

constexpr std::string_view kCaption = "Пуск";
// What a bench tells the server that follows its run when the run ended
// before it began and no message said why.
constexpr std::string_view kNotRunOnBench = "Тест не выполнен на удаленном стенде";
constexpr std::string_view kCancelledOnBench = "Запуск теста отменен оператором удаленного стенда";

void Pause(int ms)
{
    if (ms > 0)
        std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

std::int32_t ErrorsOf(const TQuorvik &doc, int test)
{
    if (test < 0 || static_cast<std::size_t>(test) >= doc.ErrorCounts().size())
        return 0;
    return doc.ErrorCounts()[static_cast<std::size_t>(test)];
}

std::string NumberList(const std::vector<int> &tests)
{
    std::string list;
    for (const int test : tests) {
        if (!list.empty())
            list += ", ";
        list += std::to_string(test + 1);
    }
    return list;
}

} // namespace

RunVerdict CompletedVerdict(const TQuorvik &doc, const std::vector<int> &runList,
                            const std::vector<int> &calledTests, bool continuous, int passes,
                            const std::vector<int> &failedInRun)
{
    const auto failed = [&](int test) {
        return ErrorsOf(doc, test) > 0 ||
               std::find(failedInRun.begin(), failedInRun.end(), test) != failedInRun.end();
    };
    RunVerdict verdict;
    verdict.passes = passes;
    if (doc.CurrentTest() < 0) {
        std::vector<int> tests = runList;
        if (tests.empty()) {
            for (int t = 0; t < doc.Doc().NTest; ++t)
                tests.push_back(t);
        }
        for (const int test : tests) {
            if (failed(test))
                verdict.failedTests.push_back(test);
        }
        if (verdict.failedTests.empty()) {
            verdict.kind = RunVerdict::Passed;
            verdict.text = "Все тесты завершены успешно";
            verdict.icon = NoticeKind::Information;
        } else {
            verdict.kind = RunVerdict::Errors;
            const std::string list = NumberList(verdict.failedTests);
            verdict.text = verdict.failedTests.size() == 1
                               ? "Тест №" + list + " завершен с ошибкой"
                               : "Тесты №" + list + " завершены с ошибками";
            verdict.icon = NoticeKind::Error;
        }
        return verdict;
    }
    // A test is good only when the tests it calls are good too.
    const bool anyFailed =
        failed(doc.CurrentTest()) || std::any_of(calledTests.begin(), calledTests.end(), failed);
    if (!anyFailed) {
        verdict.kind = RunVerdict::Passed;
        verdict.text = "Тест завершен успешно";
        verdict.icon = NoticeKind::Information;
        return verdict;
    }
    verdict.kind = RunVerdict::Errors;
    verdict.failedTests.push_back(doc.CurrentTest());
    verdict.text = "Тест завершен с ошибками";
    if (continuous && passes > 0)
        verdict.text += " (прогон №" + std::to_string(passes) + ")";
    verdict.icon = NoticeKind::Error;
    return verdict;
}

RunVerdict InterruptedVerdict(const TQuorvik &doc, bool debug, int completePasses,
                              int failingPasses)
{
    RunVerdict verdict;
    verdict.kind = RunVerdict::Interrupted;
    verdict.icon = NoticeKind::Error;
    const STest *test = doc.Test(doc.CurrentTest());
    if (doc.CurrentTest() < 0 || test == nullptr) {
        verdict.text = "Выполнение тестов прервано";
    } else if (debug) {
        verdict.text =
            "Выполнение теста прервано [такт - " + std::to_string(test->RunCounter2 + 1) + "]";
    } else {
        verdict.text = "Выполнение теста прервано [цикл - " + std::to_string(test->RunCounter1) +
                       "; такт - " + std::to_string(test->RunCounter2 + 1) + "]";
    }
    if (completePasses > 0) {
        verdict.text += "\r\nПрогонов с ошибками: " + std::to_string(failingPasses) + " из " +
                        std::to_string(completePasses);
    }
    return verdict;
}

void RecordTests(const Dosdata &compiler, RunVerdict &verdict)
{
    std::vector<int> tests = compiler.RunList();
    for (const int called : compiler.CalledTests()) {
        if (std::find(tests.begin(), tests.end(), called) == tests.end())
            tests.push_back(called);
    }
    for (const int test : tests) {
        const TestRunLists *lists = compiler.ListsOf(test);
        if (lists == nullptr)
            continue;
        CountedWords counted = CountedWordsOf(*lists);
        RunVerdict::TestRecord record;
        record.test = test;
        record.oWords = std::move(counted.words);
        record.unchecked = std::move(counted.ignored);
        verdict.tests.push_back(std::move(record));
    }
}

diagnosis::Diagnosis DiagnoseVerdict(const TQuorvik &doc, const RunVerdict &verdict)
{
    std::vector<DiagnosedTest> tests;
    for (const RunVerdict::TestRecord &record : verdict.tests)
        tests.push_back({record.test, record.oWords, record.unchecked});
    return DiagnoseRun(doc, tests, verdict.statistics.FailingPasses());
}

RunDriver::RunDriver(TQuorvik &doc, Environment environment)
    : m_doc(doc)
    , m_env(std::move(environment))
{}

RunOptions RunDriver::Options() const
{
    const TSettings &settings = *m_env.settings;
    RunOptions options;
    options.debug = m_doc.DebugMode();
    options.probe = m_doc.ProbeMode();
    options.debugCycles = m_doc.CyclesMode();
    options.continuous = m_doc.SolidTest();
    options.resultPerPass = settings.Option(TSettings::OptSendResultInLoop) != 0;
    options.stopOnError = settings.Option(TSettings::OptStopOnTestError) != 0;
    options.dosUnit = m_env.tester->DosUnit();
    options.askOverwrite = settings.Option(TSettings::OptAskOverwriteData) != 0;
    options.backupDataFiles = settings.Option(TSettings::OptBackupOnSave) != 0;
    options.probeMode = m_env.tester->Settings().probeMode;
    options.tableShown = m_env.tableShown;
    return options;
}

RunDriver::Start RunDriver::TakeUnit()
{
    Start start;
    start.local = !m_env.remoteServerWithBench;
    start.report = m_env.remoteClientConnected && m_env.remote != nullptr;
    start.port = m_env.tester->Port();
    start.locked = m_env.monitor != nullptr && m_env.monitor->Lock(m_env.lockWaitMs);
    start.currentControl = m_env.settings->Option(TSettings::OptCurrentControl) != 0;
    IComPort &port = *start.port;
    TellPortError(port);
    if (start.local) {
        port.SetNotify(nullptr);
        port.SetVoice(PortVoice::Loud);
    } else {
        port.SetVoice(m_env.remoteClientConnected ? PortVoice::Quiet : PortVoice::Loud);
    }
    return start;
}

RunDriver::StepResult RunDriver::CheckLink(IComPort &port, bool local)
{
    int code = PortOk;
    if (local) {
        if (port.NeedsReconnect(1) != 0) {
            if (m_env.waitWindow)
                m_env.waitWindow(true);
            port.Close();
            Pause(m_env.reconnectPauseMs);
            const bool connected = m_env.tester->Connect(true, true, &code);
            if (m_env.waitWindow)
                m_env.waitWindow(false);
            if (!connected) {
                port.SetVoice(PortVoice::Loud);
                port.SetError(std::nullopt);
                return StepResult::Stop;
            }
        } else {
            code = port.Handshake();
        }
        if (code == PortOk)
            code = m_env.tester->Reset(true, 0);
        if (m_env.remoteClientConnected && m_env.remote) {
            std::string text;
            if (!PortSucceeded(code))
                text = port.GetError();
            else
                Pause(100);
            m_env.remote->SendCheckResult(code, text);
            if (!text.empty())
                TellPortText(port, text);
        }
    } else if (m_env.remote) {
        std::string text;
        code = m_env.remote->CheckBenchLink(text);
        if (!text.empty()) {
            TellPortText(port, text);
            port.SetError(std::nullopt);
        }
    }
    if (code == PortOk)
        return StepResult::Proceed;
    return code == PortWarning && !IsFatalWarning(port.GetError()) ? StepResult::Proceed
                                                                   : StepResult::Stop;
}

RunDriver::StepResult RunDriver::ReadCalibration(IComPort &port)
{
    if (m_env.calibration == nullptr)
        return StepResult::Proceed;
    return m_env.calibration->ReadBeforeRun(port, m_env.tester->DosUnit()) ? StepResult::Proceed
                                                                           : StepResult::Stop;
}

RunDriver::StepResult RunDriver::CheckContacts(IComPort &port)
{
    // The unit that runs the test checks its contacts: a bench checks its
    // own and ends the run it would refuse (the server hears that end).
    return CheckIdContacts(m_doc, port, m_env.tester->DosUnit(), m_env.idCheck,
                           m_env.tester->Notices())
               ? StepResult::Proceed
               : StepResult::Stop;
}

RunDriver::StepResult RunDriver::CheckCurrents(IComPort &port, const Start &start)
{
    if (!start.currentControl)
        return StepResult::Proceed;
    return port.CheckCurrents(1, 0) != 0 ? StepResult::Proceed : StepResult::Stop;
}

RunSessionConfig RunDriver::SessionConfig(const Start &start) const
{
    RunSessionConfig config;
    config.options = Options();
    config.testDir = std::filesystem::u8path(m_doc.Doc().FileName).parent_path();
    config.local = start.local;
    config.report = start.report;
    config.currentControl = start.local && start.currentControl;
    config.remoteServer = m_env.remoteServerWithBench;
    config.passLimit = m_env.passLimit;
    config.pusk = m_env.timing;
    config.pusk.answerTimeoutMs = m_env.tester->Settings().timeout;
    config.notices = m_env.tester->Notices();
    return config;
}

RunDriver::StepResult RunDriver::WatchCurrents(IComPort &port, RunSession &session,
                                               const Start &start)
{
    if (start.currentControl) {
        const std::uint8_t arm[] = {static_cast<std::uint8_t>(CurrentControlOp::ArmAlarm)};
        if (port.Send(UKT, arm) != PortOk)
            return StepResult::Stop;
    }
    port.SetNotify([&session](int code, std::uint32_t value, std::span<const std::uint8_t>) {
        if (code == UKT && value == kCurrentAlarm)
            session.CurrentAlarm();
    });
    return StepResult::Proceed;
}

void RunDriver::ListenToPasses(RunSession &session)
{
    if (!m_env.passDecoded || !m_doc.SolidTest())
        return;
    session.SetPassListener([this, &session](int pass, const std::vector<int> &failedTests,
                                             const std::vector<diagnosis::WrongRead> &wrong) {
        m_env.passDecoded(DecodedPass(m_doc, session.Compiler(), pass, failedTests, wrong));
    });
}

RunView &RunDriver::AttachView(RunSession &session, std::unique_ptr<RunView> &ownView)
{
    RunView *view = m_env.view;
    if (view == nullptr) {
        ownView = m_env.makeView();
        view = ownView.get();
    }
    session.SetView(view);
    return *view;
}

RunVerdict RunDriver::Evaluate(RunSession &session, bool local)
{
    RunVerdict verdict;
    if (session.ClosedOnStartPage()) {
        verdict.kind = RunVerdict::Cancelled;
    } else if (session.ErrorMark() == kRunFailedMark) {
        verdict.kind = RunVerdict::Failed;
    } else if (session.StoppedByOperator()) {
        if (local && m_env.probe)
            m_env.probe->SaveData();
        const bool continuous = m_doc.SolidTest();
        verdict = InterruptedVerdict(m_doc, m_doc.DebugMode(),
                                     continuous ? session.Statistics().Passes() : 0,
                                     session.FailingPasses());
        if (m_env.showVerdict)
            TellVerdict(verdict);
    } else if (!session.WantsEndMessage()) {
        verdict.kind = RunVerdict::Cancelled;
    } else {
        const Dosdata &compiler = session.Compiler();
        verdict = CompletedVerdict(m_doc, compiler.RunList(), compiler.CalledTests(),
                                   m_doc.SolidTest(), session.Passes(), session.TestsFailedInRun());
        if (m_env.showVerdict &&
            (m_env.settings->Option(TSettings::OptRunEndMessage) != 0 || !local))
            TellVerdict(verdict);
    }
    verdict.passes = session.Passes();
    verdict.failingPasses = session.FailingPasses();
    verdict.statistics = session.Statistics();
    RecordTests(session.Compiler(), verdict);
    if (verdict.failingPasses > 0)
        verdict.diagnosis = DiagnoseVerdict(m_doc, verdict);
    return verdict;
}

bool RunDriver::StartRun()
{
    m_verdict = {};
    const Start start = TakeUnit();
    IComPort &port = *start.port;
    if (CheckLink(port, start.local) == StepResult::Stop) {
        Finish(start, true);
        return false;
    }
    // A watching server follows this run from its link check on: however
    // the run ends here before its thread (which reports its own end), the
    // server hears it, with the message shown here.
    const std::unique_ptr<ErrorWatch> shownErrors =
        start.report && m_env.watchShownErrors ? m_env.watchShownErrors() : nullptr;
    const auto reportEnd = [&](std::string_view fallback) {
        if (!start.report)
            return;
        const std::string shown = shownErrors ? shownErrors->Last() : std::string();
        m_env.remote->SendEndReport(shown.empty() ? std::string(fallback) : shown);
    };
    const auto failAfterCheck = [&] {
        reportEnd(kNotRunOnBench);
        Finish(start, true);
        return false;
    };
    if (start.local &&
        (ReadCalibration(port) == StepResult::Stop || CheckContacts(port) == StepResult::Stop ||
         CheckCurrents(port, start) == StepResult::Stop))
        return failAfterCheck();

    RunSession session(m_doc, start.port, SessionConfig(start));
    session.SetFileNameWindow(m_env.fileNames);
    session.SetRemote(m_env.remote);
    session.SetProbe(m_env.probe);
    ListenToPasses(session);
    std::unique_ptr<RunView> ownView;
    RunView &view = AttachView(session, ownView);
    if (start.local && WatchCurrents(port, session, start) == StepResult::Stop)
        return failAfterCheck();

    view.Exec(session);
    session.Closed();
    if (!session.RunThreadStarted())
        reportEnd(session.ClosedOnStartPage() ? kCancelledOnBench : kNotRunOnBench);
    // The probe stops with the run, before the end message (whatever the
    // run's role: a probe that was not prepared has nothing to stop).
    if (m_env.probe)
        m_env.probe->SaveData();

    m_verdict = Evaluate(session, start.local);
    Finish(start, false);
    const RunVerdict::Kind kind = m_verdict.kind;
    return kind == RunVerdict::Passed || kind == RunVerdict::Errors ||
           kind == RunVerdict::Interrupted;
}

void RunDriver::TellVerdict(const RunVerdict &verdict) const
{
    Tell(m_env.tester->Notices(), {verdict.icon, verdict.text, std::string(kCaption)});
}

void RunDriver::TellPortError(IComPort &port) const
{
    TellPendingError(port, m_env.tester->Notices());
}

void RunDriver::TellPortText(IComPort &port, const std::string &text) const
{
    port.ClearError(text);
    Tell(m_env.tester->Notices(), PortNotice(text));
}

void RunDriver::Finish(const Start &start, bool failed)
{
    IComPort &port = *start.port;
    // A step that failed without a text of its own leaves it with the port,
    // which has reported it already unless the thread was quiet.
    if (failed && port.Voice() != PortVoice::Loud)
        TellPortError(port);
    port.SetVoice(PortVoice::Loud);
    port.SetError(std::nullopt);
    TellPortError(port);
    port.SetNotify(nullptr);
    if (start.local && m_env.probe)
        m_env.probe->SaveData();
    if (start.locked)
        m_env.monitor->Unlock();
}

} // namespace qv
