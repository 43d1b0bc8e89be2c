// Runs from "Пуск" to the verdict: the run driver, the run window's logic
// and the run thread against the simulated unit, with an unattended window.

#include "execution/port/hardstatus.h"
#include "execution/port/testerport.h"
#include "execution/run/contactid.h"
#include "execution/run/currentcheck.h"
#include "execution/run/runcalibration.h"
#include "execution/run/rundriver.h"
#include "execution/run/unattendedrunview.h"
#include "infra/notice.h"
#include "infra/unitcodes.h"
#include "model/content/tablecontent.h"
#include "model/settings/settings.h"
#include "sim/program.h"
#include "sim/unitstate.h"
#include "support/common/silentlistener.h"
#include "support/execution/demoonsim.h"
#include "support/execution/unitfixture.h"
#include "support/model/docbuilder.h"

#include <algorithm>
#include <atomic>
#include <filesystem>
#include <functional>
#include <gtest/gtest.h>
#include <mutex>
#include <unistd.h>

namespace qv::testing {
namespace {

namespace fs = std::filesystem;

// The demo board in a folder of its own, a tester port to a simulated unit
// made from a board text, and the settings a run reads.
class RunBench
{
public:
    explicit RunBench(const std::string &board, Transport transport = Transport::InProcess)
    {
        static int serial = 0;
        dir = fs::temp_directory_path() /
              ("qv-run-" + std::to_string(getpid()) + "-" + std::to_string(++serial));
        fs::remove_all(dir);
        fs::create_directories(dir);
        CopyDemoBoard(dir);
        EXPECT_TRUE(d.doc.LoadFile((dir / "DEMO.QOR").string()));
        tester.SetNotices(MessageBoxNotices());
        if (transport == Transport::InProcess) {
            unit = AttachSimulatedUnit(tester, board);
        } else {
            process = std::make_unique<UnitSimProcess>(board);
            TesterSettings port = tester.Settings();
            port.address = process->Address();
            tester.SetSettings(port);
            EXPECT_TRUE(tester.Create("Quorvik"));
        }
        settings.SetOption(TSettings::OptCurrentControl, 0);
        settings.SetOption(TSettings::OptRunEndMessage, 1);
        timing.cancelWaitMs = 3000;
    }
    ~RunBench() { fs::remove_all(dir); }

    RunVerdict Run(UnattendedRunView::Options options = {})
    {
        RunDriver::Environment env;
        env.watchShownErrors = &WatchMessageBoxErrors;
        env.tester = &tester;
        env.settings = &settings;
        env.timing = timing;
        env.monitor = monitor;
        env.calibration = calibration;
        env.passLimit = passLimit;
        ownView = std::make_unique<UnattendedRunView>(
            d.doc, options, [this](const std::string &line) { lines.push_back(line); });
        env.view = ownView.get();
        view = nullptr;
        RunDriver driver(d.doc, env);
        view = ownView.get();
        ran = driver.StartRun();
        return driver.Verdict();
    }

    // The texts of the message boxes shown so far.
    std::vector<std::string> Shown() const
    {
        std::vector<std::string> texts;
        for (const auto &shown : messages.Shown())
            texts.push_back(shown.text);
        return texts;
    }

    RecordedMessages messages;
    fs::path dir;
    DocBuilder d;
    std::shared_ptr<sim::SimulatedUnit> unit;
    std::unique_ptr<UnitSimProcess> process;
    TCP tester;
    TSettings settings;
    PuskConfig timing;
    TthHardStatus *monitor = nullptr;
    RunCalibration *calibration = nullptr;
    std::unique_ptr<UnattendedRunView> ownView;
    UnattendedRunView *view = nullptr;
    std::vector<std::string> lines;
    bool ran = false;
    int passLimit = 0;
};

TEST(RunDriver, TheGoldenBoardPassesTheWordTestOnBothTransports)
{
    for (const Transport transport : {Transport::InProcess, Transport::Tcp}) {
        RunBench bench("[Board]\nTactTime=0\n", transport);
        bench.d.doc.SelectTest(0);
        const RunVerdict verdict = bench.Run();
        EXPECT_TRUE(bench.ran);
        EXPECT_EQ(verdict.kind, RunVerdict::Passed);
        EXPECT_EQ(verdict.text, "Тест завершен успешно");
        EXPECT_EQ(bench.Shown(), std::vector<std::string>{"Тест завершен успешно"});
        EXPECT_EQ(bench.d.doc.TestRunFlags()[0], 1); // the views may show what was read
        const auto statuses = bench.view->Statuses();
        ASSERT_FALSE(statuses.empty());
        EXPECT_EQ(statuses.front(), "выполнение теста");
        EXPECT_EQ(statuses.back(), "обработка результатов");
    }
}

TEST(RunDriver, AStuckContactFailsTheTestAndTheTestThatCallsIt)
{
    RunBench bench("[Board]\nTactTime=0\nStuckHigh=1\n");
    bench.d.doc.SelectTest(0);
    RunVerdict verdict = bench.Run();
    EXPECT_EQ(verdict.kind, RunVerdict::Errors);
    EXPECT_EQ(verdict.text, "Тест завершен с ошибками");
    EXPECT_GT(bench.d.doc.ErrorCounts()[0], 0);
    ASSERT_FALSE(bench.view->DecodedTests().empty());
    EXPECT_EQ(bench.view->DecodedTests().front(), (std::pair<int, bool>{0, true}));

    // Test 3 calls test 1: its verdict counts the called test's errors.
    bench.d.doc.SelectTest(2);
    verdict = bench.Run();
    EXPECT_EQ(verdict.kind, RunVerdict::Errors);
    EXPECT_EQ(verdict.text, "Тест завершен с ошибками");
}

// The column of the first tact of kind `kind` that uses word `id`.
int ColumnOf(const STest &test, char kind, char id)
{
    for (std::size_t t = 0; t < test.Tacts.D1.size(); ++t)
        if (test.Tacts.D1[t] == kind && test.Tacts.D2[t] == id)
            return kDiagramFirstTactCol + static_cast<int>(t);
    return -1;
}

TEST(RunDriver, AStuckContactMarksItsOutputWordsWrongInTheDiagram)
{
    RunBench bench("[Board]\nTactTime=0\nStuckHigh=1\n");
    TQuorvik &doc = bench.d.doc;
    doc.SelectTest(0);
    ASSERT_EQ(bench.Run().kind, RunVerdict::Errors);
    const STest &test = *doc.Test(0);
    // o1 and o3 lie on the bus of the stuck contact, O2 does not.
    EXPECT_EQ(test.OWords.Result(1), 1);
    EXPECT_EQ(test.OWords.Result(2), 0);
    EXPECT_EQ(test.OWords.Result(3), 1);
    doc.FillDiagramView();
    EXPECT_EQ(TactStateAt(doc.DiagramView(), ColumnOf(test, 'o', '1')), TactState::OutputWrong);
    EXPECT_EQ(TactStateAt(doc.DiagramView(), ColumnOf(test, 'O', '2')), TactState::OutputCorrect);
    EXPECT_EQ(TactStateAt(doc.DiagramView(), ColumnOf(test, 'o', '3')), TactState::OutputWrong);

    // The golden board makes them right again.
    RunBench good("[Board]\nTactTime=0\n");
    good.d.doc.SelectTest(0);
    ASSERT_EQ(good.Run().kind, RunVerdict::Passed);
    good.d.doc.FillDiagramView();
    EXPECT_EQ(TactStateAt(good.d.doc.DiagramView(), ColumnOf(test, 'o', '1')),
              TactState::OutputCorrect);
}

// The word test in debug mode on its second cycle.
TQuorvik &DebuggingCycleTwo(RunBench &bench)
{
    TQuorvik &doc = bench.d.doc;
    doc.SelectTest(0);
    doc.SetDebugMode(true);
    doc.SetActiveCycle(1);
    return doc;
}

TEST(RunDriver, ADebugRunStoppedEarlyShowsTheWordsItDidNotReadAsNotRead)
{
    RunBench bench("[Board]\nTactTime=50000\n");
    TQuorvik &doc = DebuggingCycleTwo(bench);
    UnattendedRunView::Options options;
    options.escapeOnStatus = "выполнение теста";
    ASSERT_EQ(bench.Run(options).kind, RunVerdict::Interrupted);
    const STest &test = *doc.Test(0);
    const int o1 = ColumnOf(test, 'o', '1');
    ASSERT_LT(test.RunCounter2, o1 - kDiagramFirstTactCol) << "stopped before the first o tact";
    EXPECT_EQ(test.OWords.Result(1), 2) << "not checked";
    doc.FillDiagramView();
    EXPECT_EQ(TactStateAt(doc.DiagramView(), o1), TactState::OutputUnchecked);
    doc.FillTableView();
    int unread = 0;
    for (int row = 1; row < doc.TableView().RowCount(); ++row) {
        if (doc.TableView().Cell(ColCycle, row) != "2" ||
            doc.TableView().Cell(ColOutputName, row).empty())
            continue;
        EXPECT_EQ(doc.TableView().Cell(ColOutputData, row), "- - -") << "row " << row;
        ++unread;
    }
    EXPECT_GT(unread, 0);
}

TEST(RunDriver, DebugModeSendsAConstantWordsValueOfTheDebuggedCycle)
{
    RunBench bench("[Board]\nTactTime=0\n");
    TQuorvik &doc = DebuggingCycleTwo(bench);
    STest &test = *doc.Test(0);
    ASSERT_TRUE(test.IWords.Find(2)->IsConstant());
    ASSERT_EQ(test.Tacts.D1[6], 'i');
    test.Tacts.D2[6] = '2'; // the constant word in the word test's tact 7
    // The debug value of the second cycle, as the operator sets it.
    ASSERT_TRUE(test.IWords.SetValueAt(2, 1, 9, ValueSet::Run));
    ASSERT_EQ(bench.Run().kind, RunVerdict::Passed);
    std::vector<std::uint16_t> sent;
    bench.unit->Inspect([&](sim::SimulatedUnit &unit) {
        const auto &program = unit.State().lastProgram;
        ASSERT_TRUE(program);
        for (const auto &word : program->tests.at(0).inputs)
            if (word.id == 2)
                sent = word.values;
    });
    EXPECT_EQ(sent, std::vector<std::uint16_t>{9});
}

TEST(RunDriver, AllTestsNameTheFailedOnes)
{
    RunBench bench("[Board]\nTactTime=0\nStuckHigh=1\n");
    bench.d.doc.SelectTest(-1);
    const RunVerdict verdict = bench.Run();
    ASSERT_EQ(verdict.kind, RunVerdict::Errors);
    ASSERT_FALSE(verdict.failedTests.empty());
    EXPECT_EQ(verdict.failedTests.front(), 0);
    const auto statuses = bench.view->Statuses();
    EXPECT_NE(std::find(statuses.begin(), statuses.end(), "выполнение теста №3"), statuses.end());
}

TEST(RunDriver, TheFunctionTestShowsItsProgressAndFetchesItsData)
{
    RunBench bench("[Board]\nTactTime=0\n");
    bench.d.doc.SelectTest(1);
    fs::remove(bench.dir / "ram_dump.dat");
    const RunVerdict verdict = bench.Run();
    EXPECT_EQ(verdict.kind, RunVerdict::Passed) << verdict.text;
    const auto statuses = bench.view->Statuses();
    EXPECT_NE(std::find(statuses.begin(), statuses.end(), "Программирование..."), statuses.end());
    // The data files went to the unit first, each announced.
    ASSERT_FALSE(statuses.empty());
    EXPECT_EQ(statuses.front().rfind("Отправка файла \"", 0), 0u) << statuses.front();
    const auto memory = std::find_if(bench.lines.begin(), bench.lines.end(), [](const auto &line) {
        return line.rfind("Отработка M-функции: M", 0) == 0;
    });
    EXPECT_NE(memory, bench.lines.end());
    EXPECT_TRUE(fs::exists(bench.dir / "ram_dump.dat"));
}

// Cuts the memory test down to the tacts of one of its functions.
void OnlyTacts(STest &test, const std::string &d1, const std::string &d2)
{
    test.Tacts.D1 = d1;
    test.Tacts.D2 = d2;
    for (int line = 0; line < test.Tacts.Count(); ++line) {
        TLine levels = *test.Tacts.GetLine(line);
        levels.Levels = levels.Levels.substr(0, d1.size());
        test.Tacts.SetLine(line, levels);
    }
}

TEST(RunDriver, AFailedProgrammingFunctionFailsTheTestWithoutAWrongWord)
{
    RunBench bench("[Board]\nTactTime=0\nProgrammingFails=1\n");
    TQuorvik &doc = bench.d.doc;
    doc.SelectTest(1);
    STest &test = *doc.Test(1);
    OnlyTacts(test, "-PW-", "0100");
    const RunVerdict verdict = bench.Run(); // the unit's question answered "go on"
    EXPECT_EQ(verdict.kind, RunVerdict::Errors);
    EXPECT_EQ(verdict.text, "Тест завершен с ошибками");
    EXPECT_EQ(bench.view->DecodedTests(), (std::vector<std::pair<int, bool>>{{1, true}}))
        << "the tab turns red";
    EXPECT_TRUE(test.PFuncs.ByNumber(1)->Error);
    for (const SWord &word : test.OWords.Words())
        EXPECT_EQ(word.Data, word.Run) << "o" << word.Id;
    EXPECT_EQ(doc.ErrorCounts()[1], 1);
}

TEST(RunDriver, AGoldenBoardPassesATestOfOnlyAComparingFFunctionRunAfterRun)
{
    RunBench bench("[Board]\nTactTime=0\n");
    TQuorvik &doc = bench.d.doc;
    doc.SelectTest(1);
    // The memory test cut down to its F3, which compares the ROM with rom.dat.
    STest &test = *doc.Test(1);
    ASSERT_EQ(test.FFuncs.ByNumber(3)->Type, DirCompareFile);
    OnlyTacts(test, "-FC-", "0300");
    for (int run = 1; run <= 2; ++run) {
        const RunVerdict verdict = bench.Run();
        EXPECT_EQ(verdict.kind, RunVerdict::Passed) << "run " << run << ": " << verdict.text;
        EXPECT_EQ(doc.ErrorCounts()[1], 0) << "run " << run;
        EXPECT_FALSE(test.FFuncs.ByNumber(3)->Error);
    }
}

TEST(RunDriver, ContinuousRunsStopOnTheFirstErrorOrRunUntilEsc)
{
    {
        RunBench bench("[Board]\nTactTime=0\nStuckHigh=1\n");
        bench.settings.SetOption(TSettings::OptSendResultInLoop, 1);
        bench.settings.SetOption(TSettings::OptStopOnTestError, 1);
        bench.d.doc.SelectTest(0);
        bench.d.doc.SetSolidTest(true);
        const RunVerdict verdict = bench.Run();
        EXPECT_EQ(verdict.kind, RunVerdict::Errors);
        EXPECT_EQ(verdict.passes, 1);
        EXPECT_EQ(verdict.text, "Тест завершен с ошибками (прогон №1)");
    }
    {
        RunBench bench("[Board]\nTactTime=0\nStuckHigh=1\n");
        bench.settings.SetOption(TSettings::OptSendResultInLoop, 1);
        bench.settings.SetOption(TSettings::OptStopOnTestError, 0);
        bench.d.doc.SelectTest(0);
        bench.d.doc.SetSolidTest(true);
        UnattendedRunView::Options options;
        options.escapeAfterPasses = 4;
        // The unit's reset at the window's close ends the run it was still
        // keeping, so the next run finds the unit free.
        for (int run = 0; run < 2; ++run) {
            const RunVerdict verdict = bench.Run(options);
            EXPECT_EQ(verdict.kind, RunVerdict::Interrupted);
            EXPECT_GE(verdict.passes, 4);
            EXPECT_EQ(verdict.text.rfind("Выполнение теста прервано [цикл - ", 0), 0u)
                << verdict.text;
        }
        // One request for the next pass per pass, never two.
        const auto runs = std::count(bench.lines.begin(), bench.lines.end(),
                                     std::string("Статус: обработка результатов"));
        EXPECT_LE(bench.unit->State().retries, runs);
    }
}

TEST(RunDriver, AContinuousRunWithAPassLimitEndsByItselfAsACompletedRun)
{
    RunBench bench("[Board]\nTactTime=0\n");
    bench.settings.SetOption(TSettings::OptSendResultInLoop, 1);
    bench.settings.SetOption(TSettings::OptStopOnTestError, 0);
    bench.d.doc.SelectTest(0);
    bench.d.doc.SetSolidTest(true);
    bench.passLimit = 3;
    const RunVerdict verdict = bench.Run();
    EXPECT_EQ(verdict.kind, RunVerdict::Passed);
    EXPECT_EQ(verdict.text, "Тест завершен успешно");
    EXPECT_EQ(verdict.passes, 3);
    EXPECT_EQ(verdict.failingPasses, 0);
    // The next pass is asked for after every pass but the last.
    EXPECT_EQ(bench.unit->State().retries, 2);
    EXPECT_EQ(bench.Shown(), std::vector<std::string>{verdict.text});
}

TEST(RunDriver, ALongUnattendedRunKeepsHowItBeganAndHowItEndedInBoundedMemory)
{
    RunBench bench("[Board]\nTactTime=0\n");
    bench.settings.SetOption(TSettings::OptSendResultInLoop, 1);
    bench.settings.SetOption(TSettings::OptStopOnTestError, 0);
    bench.d.doc.SelectTest(0);
    bench.d.doc.SetSolidTest(true);
    bench.passLimit = 600;
    const RunVerdict verdict = bench.Run();
    ASSERT_EQ(verdict.kind, RunVerdict::Passed) << verdict.text;
    ASSERT_EQ(verdict.passes, 600);

    const auto shown = static_cast<std::size_t>(
        std::count_if(bench.lines.begin(), bench.lines.end(),
                      [](const std::string &line) { return line.rfind("Статус: ", 0) == 0; }));
    constexpr std::size_t kept = UnattendedRunView::kKeptHead + UnattendedRunView::kKeptTail;
    ASSERT_GT(shown, kept) << "every line still reaches the output";
    const auto statuses = bench.view->Statuses();
    EXPECT_EQ(statuses.size(), kept);
    EXPECT_EQ(bench.view->StatusesDropped(), shown - kept);
    EXPECT_EQ(statuses.front(), "выполнение теста");
    EXPECT_EQ(statuses.back(), "обработка результатов");
    EXPECT_LE(bench.view->DecodedTests().size(), kept);
}

TEST(RunDriver, AContinuousRunWithOneFinalResultDecodesWhatTheStopBringsBack)
{
    RunBench bench("[Board]\nTactTime=2000\n");
    bench.settings.SetOption(TSettings::OptSendResultInLoop, 0);
    bench.d.doc.SelectTest(0);
    bench.d.doc.SetSolidTest(true);
    UnattendedRunView::Options options;
    options.escapeOnStatus = "выполнение теста";
    for (int run = 0; run < 3; ++run) {
        bench.d.doc.SetTestRunFlags({});
        const RunVerdict verdict = bench.Run(options);
        EXPECT_EQ(verdict.kind, RunVerdict::Interrupted);
        EXPECT_EQ(verdict.passes, 0);
        EXPECT_EQ(bench.d.doc.TestRunFlags()[0], 1) << "the stopped run's results were decoded";
    }
}

TEST(RunDriver, EscMidRunGivesTheCycleAndTactReached)
{
    RunBench bench("[Board]\nTactTime=20000\n");
    bench.d.doc.SelectTest(0);
    UnattendedRunView::Options options;
    options.escapeOnStatus = "выполнение теста";
    const RunVerdict verdict = bench.Run(options);
    ASSERT_EQ(verdict.kind, RunVerdict::Interrupted);
    const STest &test = *bench.d.doc.Test(0);
    EXPECT_EQ(verdict.text, "Выполнение теста прервано [цикл - " +
                                std::to_string(test.RunCounter1) + "; такт - " +
                                std::to_string(test.RunCounter2 + 1) + "]");
    EXPECT_LT(test.RunCounter1, test.Cycles);
    EXPECT_EQ(bench.Shown(), std::vector<std::string>{verdict.text});

    bench.d.doc.SelectTest(-1);
    EXPECT_EQ(bench.Run(options).text, "Выполнение тестов прервано");
}

TEST(RunDriver, CancellingOnTheStartPageShowsNothing)
{
    RunBench bench("[Board]\nTactTime=0\n");
    UnattendedRunView::Options options;
    options.cancelOnStartPage = true;
    const RunVerdict verdict = bench.Run(options);
    EXPECT_FALSE(bench.ran);
    EXPECT_EQ(verdict.kind, RunVerdict::Cancelled);
    EXPECT_TRUE(bench.Shown().empty());
}

TEST(RunDriver, AWrongIdentificationContactEndsTheRunBeforeTheWindow)
{
    const int contact = 4;
    const std::string board = "[Board]\nTactTime=0\n[Identification]\nWrong=" +
                              std::to_string(UnitChannelCode(contact, true)) + "\n";
    RunBench bench(board);
    bench.d.doc.Cnt().Names[contact] = "#i";
    bench.d.doc.Cnt().Names[contact + 1] = "#i";
    const RunVerdict verdict = bench.Run();
    EXPECT_FALSE(bench.ran);
    EXPECT_EQ(verdict.kind, RunVerdict::NotRun);
    EXPECT_TRUE(bench.view->Statuses().empty()); // the run window never opened
    EXPECT_TRUE(bench.Shown().empty());

    // The same contacts reading low let the run go on.
    RunBench good("[Board]\nTactTime=0\n");
    good.d.doc.Cnt().Names[contact] = "#i";
    EXPECT_EQ(good.Run().kind, RunVerdict::Passed);
}

TEST(RunDriver, AMemoryFaultAnsweredNoStopsTheRunWithErrors)
{
    RunBench bench("[Board]\nTactTime=0\nMemoryFault=300\n");
    bench.d.doc.SelectTest(1);
    UnattendedRunView::Options options;
    options.answer = 0;
    const RunVerdict verdict = bench.Run(options);
    ASSERT_EQ(bench.view->Questions().size(), 1u);
    EXPECT_EQ(bench.view->Questions()[0].rfind("Найдены ошибки при отработке M-функции.", 0), 0u);
    EXPECT_EQ(verdict.kind, RunVerdict::Errors);
    EXPECT_TRUE(bench.d.doc.Test(1)->MFuncs.Records().begin()->Error);
}

TEST(RunDriver, AUnitThatNeverAnswersEndsWithThePortsError)
{
    // A listening socket that accepts the connection and never speaks.
    SilentListener silent;
    RunBench bench("[Board]\n");
    TCP tester;
    tester.SetNotices(MessageBoxNotices());
    TesterSettings settings = tester.Settings();
    settings.address = silent.Address();
    tester.SetSettings(settings);
    ASSERT_TRUE(tester.Create("Quorvik"));
    RunDriver::Environment env;
    env.watchShownErrors = &WatchMessageBoxErrors;
    env.tester = &tester;
    env.settings = &bench.settings;
    env.makeView = [&bench] {
        return std::make_unique<UnattendedRunView>(bench.d.doc, UnattendedRunView::Options{});
    };
    RunDriver driver(bench.d.doc, env);
    const auto started = std::chrono::steady_clock::now();
    EXPECT_FALSE(driver.StartRun());
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(10));
    EXPECT_EQ(driver.Verdict().kind, RunVerdict::NotRun);
    EXPECT_FALSE(bench.Shown().empty());
}

// What a run tells goes to the notices of its tester port object, from
// whichever thread tells it; the run itself opens no dialog.
struct ToldNotices
{
    NoticeSink Sink()
    {
        return [this](const Notice &notice) {
            const std::lock_guard lock(mutex);
            told.push_back(notice);
            return NoticeAnswer::Ok;
        };
    }
    std::vector<Notice> Told()
    {
        const std::lock_guard lock(mutex);
        return told;
    }

    std::mutex mutex;
    std::vector<Notice> told;
};

TEST(RunDriver, WhatARunTellsGoesToTheNoticesOfItsTesterPortAndNoDialogOpens)
{
    {
        RunBench bench("[Board]\nTactTime=0\n");
        ToldNotices notices;
        bench.tester.SetNotices(notices.Sink());
        bench.d.doc.SelectTest(0);
        EXPECT_EQ(bench.Run().kind, RunVerdict::Passed);
        const auto told = notices.Told();
        ASSERT_EQ(told.size(), 1u);
        EXPECT_EQ(told[0].kind, NoticeKind::Information);
        EXPECT_EQ(told[0].text, "Тест завершен успешно");
        EXPECT_EQ(told[0].caption, "Пуск");
        EXPECT_TRUE(bench.Shown().empty());
    }
    // A unit that never answers: the port's failure, typed as the port's.
    SilentListener silent;
    RunBench bench("[Board]\n");
    ToldNotices notices;
    TCP tester;
    tester.SetNotices(notices.Sink());
    TesterSettings settings = tester.Settings();
    settings.address = silent.Address();
    tester.SetSettings(settings);
    ASSERT_TRUE(tester.Create("Quorvik"));
    RunDriver::Environment env;
    env.tester = &tester;
    env.settings = &bench.settings;
    env.makeView = [&bench] {
        return std::make_unique<UnattendedRunView>(bench.d.doc, UnattendedRunView::Options{});
    };
    RunDriver driver(bench.d.doc, env);
    EXPECT_FALSE(driver.StartRun());
    const auto told = notices.Told();
    ASSERT_EQ(told.size(), 1u);
    EXPECT_EQ(told[0].kind, NoticeKind::Error);
    EXPECT_EQ(told[0].caption, std::string(kPortCaption));
    EXPECT_NE(told[0].text.find("INIT"), std::string::npos) << told[0].text;
    EXPECT_TRUE(bench.Shown().empty());
}

// A failure that did not stop an earlier exchange must not void the run that
// follows: the port's pending error belongs to the exchange that left it.
TEST(RunDriver, ASilentCalibrationReadWarnsOnceAndTheRunsStillPass)
{
    RunBench bench(
        "[Unit]\nType=msdos\n[Board]\nTactTime=0\n[Faults]\nSilent=QORV_CALIBR\nTimes=0\n");
    double k = 1.5;
    double b = 0.2723;
    RunCalibration calibration(k, b, bench.dir / "quorvik.clb", bench.tester.Unit());
    calibration.SetNotices(MessageBoxNotices());
    bench.calibration = &calibration;
    bench.d.doc.SetWaitCalibration(&calibration);
    bench.d.doc.SelectTest(0);
    for (int run = 1; run <= 2; ++run)
        EXPECT_EQ(bench.Run().kind, RunVerdict::Passed) << "run " << run;
    bench.d.doc.SetWaitCalibration(nullptr);
    EXPECT_EQ(calibration.HeldState(), RunCalibration::Warned);
    const auto shown = bench.messages.Shown();
    ASSERT_EQ(shown.size(), 3u);
    EXPECT_EQ(shown[0].flags, MbWarning);
    EXPECT_EQ(shown[0].text.rfind("Не удалось получить из БД время выполнения операции I/O", 0),
              0u);
    EXPECT_EQ(shown[1].text, "Тест завершен успешно");
    EXPECT_EQ(shown[2].text, "Тест завершен успешно");
}

// A status poll whose build-information answer came too late leaves the
// picture "connected"; nothing of it may reach the next run.
TEST(RunDriver, ARunAfterAStatusPollWithALateAnswerPasses)
{
    RunBench bench("[Board]\nTactTime=0\n[Faults]\nDelay=BUILD_INFO:700\nTimes=1\n");
    HardStatusTiming fast;
    fast.checkPause = std::chrono::milliseconds(1);
    TthHardStatus monitor(bench.tester, nullptr, (bench.dir / "lock").string(), fast);
    monitor.Start();
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (monitor.Status() != UnitStatus::Connected && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    ASSERT_EQ(monitor.Status(), UnitStatus::Connected) << "the first poll shows the unit connected";
    EXPECT_TRUE(bench.Shown().empty()) << "a poll shows no message";

    bench.monitor = &monitor;
    bench.d.doc.SelectTest(0);
    EXPECT_EQ(bench.Run().kind, RunVerdict::Passed);
    EXPECT_EQ(bench.Shown(), std::vector<std::string>{"Тест завершен успешно"});
}

TEST(RunDriver, AWarningOfTheResetBeforeTheRunDoesNotFailTheRun)
{
    RunBench bench("[Board]\nTactTime=0\n");
    // A warning the unit gives with its reset: shown, but the run goes on.
    bench.unit->Commands().Set(QORV_RESET, [](sim::Session &session, const sim::Request &request) {
        session.Warn(request, 2, "Напряжение питания на границе допуска");
    });
    bench.d.doc.SelectTest(0);
    EXPECT_EQ(bench.Run().kind, RunVerdict::Passed);
    EXPECT_EQ(bench.Shown(), (std::vector<std::string>{"Напряжение питания на границе допуска",
                                                       "Тест завершен успешно"}));
}

// Before a run a broken link is made again; a unit of type 0 is restarted
// on the way, a type-1 unit is not.
TEST(RunDriver, ReconnectingBeforeARunRebootsAnArmUnitOnly)
{
    for (const bool arm : {true, false}) {
        RunBench bench(std::string("[Unit]\nType=") + (arm ? "arm" : "msdos") +
                       "\n[Board]\nTactTime=0\n[Faults]\nDropAfterBlocks=2\nTimes=1\n");
        ASSERT_TRUE(bench.tester.Connect(true, false));
        ASSERT_EQ(bench.tester.DosUnit(), !arm);
        const SComPort port = bench.tester.Port();
        port->SetVoice(PortVoice::Quiet);
        const std::vector<std::uint8_t> bytes(4 * Portavo::kDefaultBlockSize, 0x5A);
        ASSERT_EQ(port->SendFile(bytes, "a.bin", {}), PortLinkLost);
        ASSERT_EQ(port->NeedsReconnect(1), 1);
        port->SetVoice(PortVoice::Loud);

        bench.d.doc.SelectTest(0);
        EXPECT_EQ(bench.Run().kind, RunVerdict::Passed) << (arm ? "arm" : "msdos");
        int restarts = -1;
        bench.unit->Inspect([&](sim::SimulatedUnit &unit) { restarts = unit.State().restarts; });
        EXPECT_EQ(restarts, arm ? 1 : 0) << (arm ? "arm" : "msdos");
    }
}

// A unit that stops mid-run (it acknowledges the program and then never
// speaks again) on a board slow enough that the whole run would take hours.
constexpr std::string_view kHungUnit = "[Board]\nTactTime=10000000\n[Faults]\nHang=QORV_DATA\n";

TEST(RunDriver, AUnitThatHangsMidRunEndsTheRunWhenItLeavesAQuestionUnanswered)
{
    RunBench bench{std::string(kHungUnit)};
    bench.d.doc.SelectTest(0);
    bench.timing.aliveCheckMs = 300;
    const auto started = std::chrono::steady_clock::now();
    const RunVerdict verdict = bench.Run();
    const auto took = std::chrono::steady_clock::now() - started;
    EXPECT_EQ(verdict.kind, RunVerdict::Failed);
    EXPECT_EQ(bench.Shown(), std::vector<std::string>{
                                 "Блок диагностики перестал отвечать во время выполнения теста"});
    // Silence, then the question and its time-out (1 s): far from a run's length.
    EXPECT_LT(took, std::chrono::seconds(15));
}

// The unit sends its result, the result is damaged on the way and the
// unit, having sent it, waits: it still answers, so only the damage tells
// the run that nothing more will come.
TEST(RunDriver, ARunWhoseResultIsDamagedOnTheLinkEndsInsteadOfWaitingForever)
{
    RunBench bench{"[Board]\nTactTime=0\n[Faults]\nCorruptNotify=12\nTimes=1\n"};
    bench.d.doc.SelectTest(0);
    bench.timing.aliveCheckMs = 300;
    const auto started = std::chrono::steady_clock::now();
    const RunVerdict verdict = bench.Run();
    const auto took = std::chrono::steady_clock::now() - started;
    EXPECT_EQ(verdict.kind, RunVerdict::Failed);
    EXPECT_EQ(bench.Shown(), std::vector<std::string>{"Данные от блока диагностики повреждены "
                                                      "при передаче; результат теста потерян"});
    EXPECT_LT(took, std::chrono::seconds(15));
    // The fault fired once: the next run on the same unit passes.
    EXPECT_EQ(bench.Run().kind, RunVerdict::Passed);
}

TEST(RunDriver, EscEndsARunOnAHungUnitAfterTheCancelWait)
{
    RunBench bench{std::string(kHungUnit)};
    bench.d.doc.SelectTest(0);
    bench.timing.aliveCheckMs = 600000; // only Esc can end this run
    bench.timing.cancelWaitMs = 2000;
    UnattendedRunView::Options options;
    options.escapeOnStatus = "выполнение теста";
    const auto started = std::chrono::steady_clock::now();
    const RunVerdict verdict = bench.Run(options);
    const auto took = std::chrono::steady_clock::now() - started;
    EXPECT_EQ(verdict.kind, RunVerdict::Failed);
    EXPECT_EQ(bench.Shown(),
              std::vector<std::string>{"Блок диагностики не ответил на команду остановки теста"});
    EXPECT_GE(took, std::chrono::seconds(2)) << "the unit had its cancel wait";
    EXPECT_LT(took, std::chrono::seconds(15));
}

// The unattended window with an operator who presses Esc when the unit asks
// a question and takes `holdMs` to answer it. The question is asked on the
// port's reader thread: while it is open a notification is in flight.
class SlowOperatorView final : public RunView
{
public:
    explicit SlowOperatorView(UnattendedRunView &inner)
        : m_inner(inner)
    {}

    void Exec(RunSession &session) override { m_inner.Exec(session); }
    void ShowWorkPage(bool continuous) override { m_inner.ShowWorkPage(continuous); }
    void ShowStopPanel(bool visible) override { m_inner.ShowStopPanel(visible); }
    void ShowCloseButton(bool visible) override { m_inner.ShowCloseButton(visible); }
    void CloseWindow() override { m_inner.CloseWindow(); }
    void CloseAfter(int ms) override { m_inner.CloseAfter(ms); }
    void Post(std::function<void()> task) override { m_inner.Post(std::move(task)); }
    void RunOnWindowThread(const std::function<void()> &task) override
    {
        m_inner.RunOnWindowThread(task);
    }
    void ShowStatus(const std::string &text) override { m_inner.ShowStatus(text); }
    void ShowActivity(ActivityPicture picture) override { m_inner.ShowActivity(picture); }
    void ShowPassCounter(int passes) override { m_inner.ShowPassCounter(passes); }
    void ShowProgress(std::optional<int> percent) override { m_inner.ShowProgress(percent); }
    void ShowMFunctionProgress(const MFunctionProgress &progress) override
    {
        m_inner.ShowMFunctionProgress(progress);
    }
    int AskQuestion(QuestionKind kind, std::span<const std::uint8_t> record) override
    {
        ++asked;
        m_inner.PressEscape();
        std::this_thread::sleep_for(std::chrono::milliseconds(holdMs.load()));
        if (!inRun)
            ++late; // the run this question belongs to has ended
        return m_inner.AskQuestion(kind, record);
    }
    void ShowResults(ResultStage stage) override { m_inner.ShowResults(stage); }
    void TestDecoded(int testIndex, bool hasErrors) override
    {
        m_inner.TestDecoded(testIndex, hasErrors);
    }

    std::atomic<int> holdMs{0};
    std::atomic<bool> inRun{false};
    std::atomic<int> asked{0};
    std::atomic<int> late{0};

private:
    UnattendedRunView &m_inner;
};

// Runs ended while the unit's question is still with the operator: the
// cancel wait is over long before the answer, so the run thread ends with a
// notification in flight. Nothing of it may outlive its run.
TEST(RunDriver, RunsEndedWhileAQuestionIsInFlightLeaveNoCallbackBehind)
{
    RunBench bench{"[Board]\nTactTime=0\nMemoryFault=300\n"};
    bench.d.doc.SelectTest(1);
    UnattendedRunView inner(bench.d.doc, {});
    SlowOperatorView view(inner);
    TCP &tester = bench.tester;
    RunDriver::Environment env;
    env.watchShownErrors = &WatchMessageBoxErrors;
    env.tester = &tester;
    env.settings = &bench.settings;
    env.view = &view;
    env.timing.cancelWaitMs = 5;
    constexpr int kRuns = 12;
    for (int run = 0; run < kRuns; ++run) {
        // Some answers come before the run's own clean-up is over, some after.
        view.holdMs = (run % 4) * 100;
        view.inRun = true;
        RunDriver driver(bench.d.doc, env);
        driver.StartRun();
        view.inRun = false;
        EXPECT_NE(driver.Verdict().kind, RunVerdict::Passed);
    }
    EXPECT_GE(view.asked, kRuns) << "every run was ended with its question in flight";
    EXPECT_EQ(view.late, 0);
}

TEST(CurrentControl, TheCheckNamesTheSupplyOverItsLimitOrSaysAllIsWell)
{
    RunBench over("[Currents]\nSupply=+5 В:520:500\nSupply=+12 В:85:200\n");
    ASSERT_EQ(over.tester.Port()->Handshake(), PortOk);
    EXPECT_FALSE(CheckCurrentsNow(over.tester, nullptr));
    ASSERT_EQ(over.Shown().size(), 1u);
    EXPECT_NE(over.Shown()[0].find("цепь 1: 520 мА (предел 500 мА)"), std::string::npos)
        << over.Shown()[0];
    EXPECT_EQ(over.Shown()[0].find("цепь 2"), std::string::npos);

    RunBench good("[Currents]\nSupply=+5 В:480:500\n");
    ASSERT_EQ(good.tester.Port()->Handshake(), PortOk);
    EXPECT_TRUE(CheckCurrentsNow(good.tester, nullptr));
    EXPECT_EQ(good.Shown(), std::vector<std::string>{kCurrentsInLimits});
}

TEST(RunVerdictText, FollowsTheFailedTestsAndTheCalledTests)
{
    DocBuilder d;
    for (int t = 0; t < 6; ++t)
        d.AddTest("-", "0", 1);
    d.doc.SetErrorCounts({0, 3, 0, 0, 1, 0});
    d.doc.SelectTest(-1);
    EXPECT_EQ(CompletedVerdict(d.doc, {0, 1, 2, 3, 4, 5}, {}, false, 0).text,
              "Тесты №2, 5 завершены с ошибками");
    d.doc.SetErrorCounts({0, 0, 0, 0, 1, 0});
    EXPECT_EQ(CompletedVerdict(d.doc, {0, 1, 2, 3, 4, 5}, {}, false, 0).text,
              "Тест №5 завершен с ошибкой");
    d.doc.SetErrorCounts({0, 0, 0, 0, 0, 0});
    const RunVerdict good = CompletedVerdict(d.doc, {0, 1, 2, 3, 4, 5}, {}, false, 0);
    EXPECT_EQ(good.text, "Все тесты завершены успешно");
    EXPECT_EQ(good.icon, NoticeKind::Information);

    d.doc.SelectTest(2);
    d.doc.SetErrorCounts({0, 2, 0, 0, 0, 0});
    EXPECT_EQ(CompletedVerdict(d.doc, {2}, {}, false, 0).text, "Тест завершен успешно");
    EXPECT_EQ(CompletedVerdict(d.doc, {2}, {1}, false, 0).text, "Тест завершен с ошибками");
    EXPECT_EQ(CompletedVerdict(d.doc, {2}, {1}, true, 0).text, "Тест завершен с ошибками");
    EXPECT_EQ(CompletedVerdict(d.doc, {2}, {1}, true, 7).text,
              "Тест завершен с ошибками (прогон №7)");

    // A test that failed in an earlier pass stays failed though the last
    // pass left it clean.
    d.doc.SetErrorCounts({0, 0, 0, 0, 0, 0});
    EXPECT_EQ(CompletedVerdict(d.doc, {2}, {1}, true, 7, {1}).text,
              "Тест завершен с ошибками (прогон №7)");
    EXPECT_EQ(CompletedVerdict(d.doc, {2}, {}, true, 7, {2}).kind, RunVerdict::Errors);
    EXPECT_EQ(CompletedVerdict(d.doc, {2}, {}, true, 7, {1}).kind, RunVerdict::Passed);
    d.doc.SelectTest(-1);
    d.doc.SetErrorCounts({0, 0, 0, 0, 1, 0});
    EXPECT_EQ(CompletedVerdict(d.doc, {0, 1, 2, 3, 4, 5}, {}, true, 3, {4, 1}).text,
              "Тесты №2, 5 завершены с ошибками");
}

TEST(IdContacts, LabelsNameTheConnectorRowAndNumber)
{
    EXPECT_EQ(ConnectorLabel(33, true), "X2:b2");
    EXPECT_EQ(ConnectorLabel(0, true), "X2:c1");
    EXPECT_EQ(ConnectorLabel(95, true), "X2:a32");
    EXPECT_EQ(ConnectorLabel(96, true), "X1:c1");
    EXPECT_EQ(ConnectorLabel(33, false), "X:b2");
}

TEST(IdContacts, AShortAnswerLeavesTheRestUnknownAndMoreThanTheUnitReadsIsRefused)
{
    // Contact 8 reads high, but the unit's answer stops after the first contact.
    UnitUnderTest unit(Transport::InProcess, "[Identification]\nAnswerLimit=1\nWrong=" +
                                                 std::to_string(UnitChannelCode(7, true)) + "\n");
    ASSERT_EQ(unit.port->Handshake(), PortOk);
    DocBuilder d;
    d.doc.Cnt().Names[3] = "#i";
    d.doc.Cnt().Names[7] = "#i";
    d.doc.Cnt().Names[8] = "#I"; // not an identification contact
    IdContactCheck check(*unit.port, IdentificationContacts(d.doc, true));
    ASSERT_EQ(check.Contacts().size(), 2u);
    EXPECT_TRUE(check.Request());
    EXPECT_TRUE(check.Answered());
    EXPECT_EQ(check.Contacts()[0].status, IdContact::Correct);
    EXPECT_EQ(check.Contacts()[1].status, IdContact::Unknown);
    EXPECT_EQ(IdStatusText(check.Contacts()[1].status), "");

    RecordedMessages messages;
    for (std::size_t i = 0; i < 191; ++i)
        d.doc.Cnt().Names[i] = "#i";
    EXPECT_FALSE(CheckIdContacts(d.doc, *unit.port, true, nullptr, MessageBoxNotices()));
    ASSERT_EQ(messages.Shown().size(), 1u);
    EXPECT_NE(messages.Shown()[0].text.find("не более 190"), std::string::npos);
}

} // namespace
} // namespace qv::testing
