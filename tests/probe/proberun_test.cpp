// Runs with the probe from "Пуск" to the verdict: the run driver, an
// unattended run window that picks the V-function, the simulated unit and
// the simulated probe that the unit's cycles trigger.

#include "execution/port/testerport.h"
#include "execution/run/rundriver.h"
#include "execution/run/unattendedrunview.h"
#include "infra/notice.h"
#include "model/settings/settings.h"
#include "probe/proberun.h"
#include "probefixture.h"
#include "sim/unitstate.h"
#include "support/execution/demoonsim.h"
#include "support/execution/unitfixture.h"

#include <filesystem>
#include <unistd.h>

namespace qv::testing {
namespace {

namespace fs = std::filesystem;

class ProbeBench
{
public:
    explicit ProbeBench(const std::string &board)
    {
        static int serial = 0;
        dir = fs::temp_directory_path() /
              ("qv-probe-" + std::to_string(getpid()) + "-" + std::to_string(++serial));
        fs::remove_all(dir);
        fs::create_directories(dir);
        CopyDemoBoard(dir);
        EXPECT_TRUE(d.doc.LoadFile((dir / "DEMO.QOR").string()));
        tester.SetNotices(MessageBoxNotices());
        unit = AttachSimulatedUnit(tester, board);
        settings.SetOption(TSettings::OptCurrentControl, 0);
        settings.SetOption(TSettings::OptRunEndMessage, 1);
        skopel.SetView(&view);
    }
    ~ProbeBench() { fs::remove_all(dir); }

    RunVerdict Run(int vChoice, int passLimit = 0)
    {
        RunDriver::Environment env;
        env.watchShownErrors = &WatchMessageBoxErrors;
        env.tester = &tester;
        env.settings = &settings;
        env.timing.cancelWaitMs = 3000;
        env.passLimit = passLimit;
        env.probe = &probeRun;
        UnattendedRunView::Options options;
        options.vChoice = vChoice;
        UnattendedRunView runView(d.doc, options);
        env.view = &runView;
        RunDriver driver(d.doc, env);
        driver.StartRun();
        return driver.Verdict();
    }

    SFuncV &Function(int test, int number) { return *d.doc.Test(test)->VFuncs.ByNumber(number); }

    RecordedMessages messages;
    fs::path dir;
    DocBuilder d;
    std::shared_ptr<sim::SimulatedUnit> unit;
    TCP tester;
    TSettings settings;
    RecordingSkopelView view;
    TSkopel skopel{d.doc, [](std::string *message) {
                       return probe::MakeProbeLink(probe::LinkKind::Sim, message);
                   }};
    ProbeRun probeRun{d.doc, skopel};
};

TEST(ProbeRun, TheDemoVFunctionTestRecordsItsCycleAndTheRunEndsAsUsual)
{
    ProbeBench bench("[Board]\nTactTime=1000\n");
    bench.d.doc.SelectTest(1); // "Память", V-function 1 "Строб записи"
    const RunVerdict verdict = bench.Run(1);
    EXPECT_EQ(verdict.kind, RunVerdict::Passed) << verdict.text;
    EXPECT_EQ(bench.d.doc.Test(1)->VFuncs.Active(), 1) << "the choice is the active function";
    EXPECT_EQ(bench.view.captures, 1);
    EXPECT_TRUE(bench.Function(1, 1).Captured[0]);
    EXPECT_TRUE(bench.view.errors.empty());
    ASSERT_EQ(bench.view.preparations.size(), 1u) << "the function's info text comes first";
    EXPECT_FALSE(bench.skopel.IsOpen());
}

TEST(ProbeRun, AContinuousRunCapturesEveryCycleAgain)
{
    ProbeBench bench("[Board]\nTactTime=2000\n");
    bench.settings.SetOption(TSettings::OptSendResultInLoop, 1);
    bench.settings.SetOption(TSettings::OptStopOnTestError, 0);
    ProbeDoc::AddFunction(*bench.d.doc.Test(0), 1, 2);
    bench.d.doc.SelectTest(0); // two cycles
    bench.d.doc.SetSolidTest(true);
    const RunVerdict verdict = bench.Run(1, 2);
    EXPECT_EQ(verdict.kind, RunVerdict::Passed) << verdict.text;
    // The unit triggers the probe on each cycle of each pass; the block of
    // the very last cycle may still be on its way when the run closes the
    // probe (the probe polls every 10 ms), so it is not counted on.
    const std::vector<int> cycles = bench.skopel.CapturedCycles();
    ASSERT_GE(cycles.size(), 3u);
    ASSERT_LE(cycles.size(), 4u);
    EXPECT_EQ(std::vector<int>(cycles.begin(), cycles.begin() + 3), (std::vector<int>{0, 1, 0}))
        << "the second pass starts over at the first cycle";
    if (cycles.size() == 4) {
        EXPECT_EQ(cycles[3], 1);
    }
    EXPECT_TRUE(bench.Function(0, 1).Captured[0]);
    EXPECT_TRUE(bench.Function(0, 1).Captured[1]);
}

TEST(ProbeRun, AStuckContactUnderTheProbeShowsInTheWaveform)
{
    const auto recorded = [](const std::string &board) {
        ProbeBench bench("[Board]\nTactTime=1000\n" + board + "[Scope]\nContact=17\n");
        bench.d.doc.SelectTest(1);
        bench.Run(1);
        const WaveformRef w = bench.Function(1, 1).Captured[0];
        return w ? *w : Waveform{};
    };
    const Waveform low = recorded("StuckLow=17\n");
    const Waveform high = recorded("StuckHigh=17\n");
    // The demo's function takes the "25" range: 50 V over the screen, so
    // 4.6 V stands at 23 and 0.25 V at 1.
    EXPECT_LT(*std::max_element(low.begin(), low.end()), 5);
    EXPECT_GE(*std::min_element(high.begin() + 10, high.end()), 20);
}

TEST(ProbeRun, NoTriggerEndsTheCaptureWithItsMessageAndTheRunNormally)
{
    ProbeBench bench("[Board]\nTactTime=1000\n[Scope]\nFault=notrigger\n");
    bench.d.doc.SelectTest(1);
    const RunVerdict verdict = bench.Run(1);
    EXPECT_EQ(verdict.kind, RunVerdict::Passed);
    EXPECT_TRUE(bench.view.closedLive);
    EXPECT_EQ(bench.view.errors, std::vector<std::string>{"Отсутствует внешняя синхронизация"});
    EXPECT_FALSE(bench.Function(1, 1).Captured[0]);
}

TEST(ProbeRun, AProbeThatFailsToOpenStopsTheRunBeforeItStarts)
{
    const std::vector<std::pair<std::string, std::string>> faults{
        {"Fault=internal\n", "Внутренний сбой \"СКОПЕЛ\""},
        // The idle command's answer comes after its 1000 ms.
        {"Fault=slow\nSlowReply=1500\n", "Истекло время ожидания ответа от \"СКОПЕЛ\""},
    };
    for (const auto &[fault, message] : faults) {
        ProbeBench bench("[Board]\nTactTime=1000\n[Scope]\n" + fault);
        bench.d.doc.SelectTest(1);
        const RunVerdict verdict = bench.Run(1);
        EXPECT_EQ(verdict.kind, RunVerdict::Cancelled);
        EXPECT_EQ(bench.view.errors, std::vector<std::string>{message});
        EXPECT_TRUE(bench.view.opened.empty());
        EXPECT_FALSE(bench.skopel.IsOpen());
        bool programSent = true;
        bench.unit->Inspect(
            [&](sim::SimulatedUnit &unit) { programSent = unit.State().lastProgram != nullptr; });
        EXPECT_FALSE(programSent) << "no program went to the unit";
    }
}

} // namespace
} // namespace qv::testing
