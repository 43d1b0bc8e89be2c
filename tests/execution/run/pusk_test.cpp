// The run thread on its own: data files and their progress, failures that
// end a run, and a run followed over the remote link.

#include "execution/port/testerport.h"
#include "execution/run/pusk.h"
#include "execution/run/runcalibration.h"
#include "infra/notice.h"
#include "support/common/tempdir.h"
#include "support/common/waituntil.h"
#include "support/execution/recordinghost.h"
#include "support/execution/unitfixture.h"

#include <cmath>
#include <fstream>
#include <future>
#include <gtest/gtest.h>
#include <limits>

namespace qv::testing {
namespace {

void RunToEnd(TthPusk &thread)
{
    std::promise<void> done;
    thread.Start([&done] { done.set_value(); });
    ASSERT_EQ(done.get_future().wait_for(std::chrono::seconds(10)), std::future_status::ready);
    thread.Join();
}

TEST(RunThread, AFileThatCannotBeReadFailsTheRunBeforeTheProgram)
{
    RecordedMessages messages;
    UnitUnderTest unit(Transport::InProcess);
    RecordingHost host;
    PuskConfig config;
    config.program = {0x00};
    config.dataFiles = {"/nonexistent/folder/rom.dat"};
    config.notices = MessageBoxNotices();
    TthPusk thread(unit.port, host, config);
    RunToEnd(thread);
    EXPECT_EQ(host.errors,
              std::vector<std::string>{"Не удалось получить доступ к файлу \"rom.dat\""});
    EXPECT_EQ(host.mark, kRunFailedMark);
    EXPECT_EQ(host.statuses, std::vector<std::string>{"Отправка файла \"rom.dat\"..."});
}

TEST(RunThread, FilesTravelWithProgressAndARefusedProgramFailsWithThePortsText)
{
    RecordedMessages messages;
    UnitUnderTest unit(Transport::InProcess, "[Unit]\nMaxBlock=1000\n");
    ASSERT_EQ(unit.port->Handshake(), PortOk);
    TempDir dir;
    const auto file = dir.Path() / "rom.dat";
    WriteBytes(file, std::string(2500, 'Z'));
    RecordingHost host;
    PuskConfig config;
    config.program = {0, 1, 4, 0x10}; // not a program the unit can read
    config.dataFiles = {file};
    config.notices = MessageBoxNotices();
    TthPusk thread(unit.port, host, config);
    RunToEnd(thread);
    ASSERT_GE(host.progress.size(), 3u);
    EXPECT_EQ(host.progress.front().first, 0);
    EXPECT_EQ(host.progress.back().first + 1, host.progress.back().second);
    ASSERT_GE(host.statuses.size(), 3u);
    EXPECT_EQ(host.statuses[0], "Отправка файла \"rom.dat\"...");
    EXPECT_EQ(host.statuses[1], "Отправка файла \"rom.dat\"");
    EXPECT_EQ(host.mark, kRunFailedMark);
    ASSERT_FALSE(messages.Shown().empty());
    EXPECT_NE(messages.Shown().back().text.find("Программа теста повреждена"), std::string::npos);
}

// The remote link as a script: the test plays the bench's messages.
class ScriptedRemote final : public RemoteRunLink
{
public:
    void SetBusy(bool value) override { busy.push_back(value); }
    void SendStatusText(const std::string &text) override { sent.push_back(text); }
    void SendEndReport(const std::string &text) override { sent.push_back("end:" + text); }
    void SendResult(int, std::span<const std::uint8_t>) override {}
    void StopBench() override { ++stopsAsked; }
    void SetHandler(std::function<void(const Message &)> value) override
    {
        std::lock_guard lock(mutex);
        handler = std::move(value);
        installed.notify_all();
    }
    void Acknowledge() override { ++acknowledged; }
    void SendCheckResult(int, const std::string &) override {}
    int CheckBenchLink(std::string &) override { return 0; }
    bool Connected() const override { return connected; }

    void Play(const Message &message)
    {
        std::unique_lock lock(mutex);
        installed.wait(lock, [this] { return static_cast<bool>(handler); });
        handler(message);
    }

    std::mutex mutex;
    std::condition_variable installed;
    std::function<void(const Message &)> handler;
    std::vector<bool> busy;
    std::vector<std::string> sent;
    std::atomic<int> acknowledged{0};
    std::atomic<int> stopsAsked{0};
    std::atomic<bool> connected{true};
};

RemoteRunLink::Message Status(const std::string &text)
{
    RemoteRunLink::Message message;
    message.text = text;
    return message;
}

RemoteRunLink::Message End(const std::string &errorText)
{
    RemoteRunLink::Message message;
    message.kind = RemoteRunLink::Message::Kind::End;
    message.text = errorText;
    return message;
}

// A run the bench performs, followed over the scripted remote link; the
// run thread starts at once.
struct RemoteRun
{
    explicit RemoteRun(PuskConfig config)
    {
        config.local = false;
        config.notices = MessageBoxNotices();
        thread = std::make_unique<TthPusk>(unit.port, host, config, &remote);
        thread->Start([this] { done.set_value(); });
    }
    // Whether the thread ended by itself within a generous limit.
    bool Ended()
    {
        if (done.get_future().wait_for(std::chrono::seconds(10)) != std::future_status::ready)
            return false;
        thread->Join();
        return true;
    }

    RecordedMessages messages;
    UnitUnderTest unit{Transport::InProcess};
    RecordingHost host;
    ScriptedRemote remote;
    std::promise<void> done;
    std::unique_ptr<TthPusk> thread; // last: closed and joined first
};

TEST(RunThread, ARemoteRunShowsTheBenchsStatusDecodesItsResultAndEndsOnItsWord)
{
    PuskConfig config;
    config.continuous = true;
    config.resultPerPass = true;
    RemoteRun run(config);
    ScriptedRemote &remote = run.remote;
    RecordingHost &host = run.host;
    remote.Play(Status("выполнение теста №2"));
    remote.Play(Status("обработка результатов"));
    RemoteRunLink::Message result;
    result.kind = RemoteRunLink::Message::Kind::Result;
    result.code = 12;
    result.data = {1, 2, 3};
    remote.Play(result);
    remote.Play(End("Нет связи с блоком"));
    ASSERT_TRUE(run.Ended());
    EXPECT_NE(std::find(host.statuses.begin(), host.statuses.end(), "выполнение теста №2"),
              host.statuses.end());
    EXPECT_EQ(host.passes, 1);
    ASSERT_EQ(host.decoded.size(), 1u);
    EXPECT_EQ(host.decoded[0].first, 12);
    EXPECT_EQ(host.mark, kRunFailedMark);
    EXPECT_EQ(remote.acknowledged, 4); // two statuses, the result, the end
    ASSERT_FALSE(run.messages.Shown().empty());
    EXPECT_EQ(run.messages.Shown().back().text, "Нет связи с блоком");
    EXPECT_FALSE(static_cast<bool>(remote.handler)); // removed at the end
}

TEST(RunThread, ARemoteRunEndsWhenTheLinkToTheBenchBreaks)
{
    PuskConfig config;
    config.linkCheckMs = 20;
    RemoteRun run(config);
    run.remote.Play(Status("выполнение теста №1"));
    run.remote.connected = false; // the bench never sends its last word
    ASSERT_TRUE(run.Ended());
    EXPECT_EQ(run.host.mark, kRunFailedMark);
    ASSERT_FALSE(run.messages.Shown().empty());
    EXPECT_EQ(run.messages.Shown().back().text, "Связь с удаленным стендом прервана");
    EXPECT_FALSE(static_cast<bool>(run.remote.handler));
}

TEST(RunThread, ABenchRunWhoseFileCannotBeReadReportsItsFailureOnce)
{
    RecordedMessages messages;
    UnitUnderTest unit(Transport::InProcess);
    RecordingHost host;
    ScriptedRemote remote;
    PuskConfig config;
    config.report = true;
    config.program = {0x00};
    config.dataFiles = {"/nonexistent/folder/rom.dat"};
    config.notices = MessageBoxNotices();
    TthPusk thread(unit.port, host, config, &remote);
    RunToEnd(thread);
    // The watching server hears the failure, and no success after it.
    EXPECT_EQ(remote.sent,
              (std::vector<std::string>{"Отправка файла \"rom.dat\"...",
                                        "end:Не удалось получить доступ к файлу \"rom.dat\""}));
    EXPECT_EQ(remote.busy, (std::vector<bool>{true, false}));
}

// A bench whose operator pressed Esc says so before its end, so that the
// server that follows ends its run as interrupted too.
TEST(RunThread, ABenchRunStoppedByItsOperatorReportsTheStopBeforeItsEnd)
{
    RecordedMessages messages;
    UnitUnderTest unit(Transport::InProcess);
    RecordingHost host;
    host.stopPanel = false;
    ScriptedRemote remote;
    PuskConfig config;
    config.report = true;
    config.program = {0x00};
    config.notices = MessageBoxNotices();
    TthPusk thread(unit.port, host, config, &remote);
    RunToEnd(thread);
    ASSERT_GE(remote.sent.size(), 2u);
    EXPECT_EQ(remote.sent[remote.sent.size() - 2], kRunStoppedStatus);
    EXPECT_EQ(remote.sent.back().rfind("end:", 0), 0u);
}

// A followed run asked to stop asks the bench, and ends with the bench's
// end rather than at once.
TEST(RunThread, AStopOfAFollowedRunAsksTheBenchAndWaitsForItsEnd)
{
    PuskConfig config;
    RemoteRun run(config);
    run.remote.Play(Status("выполнение теста"));
    run.thread->Request(TthPusk::StopRequested);
    ASSERT_TRUE(WaitUntil([&] { return run.remote.stopsAsked.load() == 1; }));
    run.remote.Play(Status(std::string(kRunStoppedStatus)));
    run.remote.Play(End({}));
    ASSERT_TRUE(run.Ended());
    EXPECT_EQ(run.remote.stopsAsked, 1);
    EXPECT_FALSE(run.host.StopPanelVisible());
    EXPECT_EQ(run.host.mark, 0);
}

TEST(RunCalibration, PeriodsGiveKAndBAndAMissingMeasurementKeepsThem)
{
    const auto timing = IoTimingFromPeriods(3.0f, 5579.67f);
    ASSERT_TRUE(timing);
    EXPECT_DOUBLE_EQ(timing->k, 1.5);
    EXPECT_NEAR(timing->b, 0.27229, 1e-5);
    EXPECT_FALSE(IoTimingFromPeriods(std::nanf(""), 5579.67f));
    // A T3 shorter than T1 (a 0 stored for a missing measurement, say)
    // would give a wait time below zero.
    EXPECT_FALSE(IoTimingFromPeriods(3.0f, 0.0f));
    EXPECT_FALSE(IoTimingFromPeriods(0.0f, 5579.67f));
    EXPECT_FALSE(IoTimingFromPeriods(3.0f, std::numeric_limits<float>::infinity()));
}

TEST(RunCalibration, TheWaitTableFileRoundTripsAndAShortFileIsRefused)
{
    TempDir dir;
    WaitTable table;
    for (std::size_t i = 0; i < 16; ++i) {
        table.t0[i] = 1.25f + 0.05f * static_cast<float>(i);
        table.tinc[i] = 0.36f + 0.01f * static_cast<float>(i);
    }
    const auto path = dir.Path() / "quorvik.clb";
    ASSERT_TRUE(SaveWaitTable(path, table));
    EXPECT_EQ(std::filesystem::file_size(path), kWaitTableFileSize);
    const auto back = LoadWaitTable(path);
    ASSERT_TRUE(back);
    EXPECT_EQ(back->t0, table.t0);
    EXPECT_EQ(back->tinc, table.tinc);
    WriteBytes(path, std::string(127, '\0'));
    EXPECT_FALSE(LoadWaitTable(path));
    EXPECT_FALSE(LoadWaitTable(dir.Path() / "missing.clb"));
}

TEST(RunCalibration, TheUnitsValuesAreReadBeforeARunByUnitType)
{
    RecordedMessages messages;
    TempDir dir;
    double k = 9, b = 9;
    {
        UnitUnderTest unit(Transport::InProcess, "[Calibration]\nT1=3.0\nT3=5579.67\n");
        ASSERT_EQ(unit.port->Handshake(), PortOk);
        const ConnectedUnit dos;
        RunCalibration calibration(k, b, dir.Path() / "q.clb", dos);
        calibration.SetNotices(MessageBoxNotices());
        EXPECT_TRUE(calibration.ReadBeforeRun(*unit.port, true));
        EXPECT_DOUBLE_EQ(k, 1.5);
        EXPECT_NEAR(b, 0.27229, 1e-5);
        EXPECT_EQ(calibration.HeldState(), RunCalibration::Held);
    }
    {
        UnitUnderTest unit(Transport::InProcess, "[Unit]\nType=arm\n[Calibration]\n"
                                                 "T0=1.25,1.30,1.35,1.40,1.45,1.50,1.55,1.60,"
                                                 "1.65,1.70,1.75,1.80,1.85,1.90,1.95,2.00\n");
        ASSERT_EQ(unit.port->Handshake(), PortOk);
        ConnectedUnit arm;
        arm.SetType(UnitTypeArm);
        RunCalibration calibration(k, b, dir.Path() / "q.clb", arm);
        calibration.SetNotices(MessageBoxNotices());
        EXPECT_TRUE(calibration.ReadBeforeRun(*unit.port, false));
        const auto file = LoadWaitTable(dir.Path() / "q.clb");
        ASSERT_TRUE(file);
        EXPECT_FLOAT_EQ(file->t0[0], 1.25f);
        EXPECT_FLOAT_EQ(file->t0[15], 2.0f);
        // Asked for the periods, this unit answers with its parameter list:
        // a wrong answer stops the run.
        RunCalibration periods(k, b, dir.Path() / "other.clb", arm);
        periods.SetNotices(MessageBoxNotices());
        EXPECT_FALSE(periods.ReadBeforeRun(*unit.port, true));
    }
}

TEST(RunCalibration, WithoutTheUnitsValuesTheOperatorIsWarnedOnce)
{
    RecordedMessages messages;
    TempDir dir;
    double k = 1.5, b = 0.25;
    ConnectedUnit unit;
    RunCalibration calibration(k, b, dir.Path() / "q.clb", unit);
    calibration.SetNotices(MessageBoxNotices());
    const auto first = calibration.TimingFor(8);
    const auto second = calibration.TimingFor(8);
    ASSERT_TRUE(first && second);
    EXPECT_DOUBLE_EQ(first->k, 1.5);
    ASSERT_EQ(messages.Shown().size(), 1u);
    EXPECT_EQ(messages.Shown()[0].text,
              "Не удалось получить из БД время выполнения операции I/O\r\n"
              "Используется значение от предыдущего запуска - 1.500 мкс");

    // A type-0 unit takes the table of the last run from the file.
    WaitTable table;
    table.t0.fill(2.5f);
    table.tinc.fill(0.5f);
    ASSERT_TRUE(SaveWaitTable(dir.Path() / "q0.clb", table));
    unit.SetType(UnitTypeArm);
    RunCalibration arm(k, b, dir.Path() / "q0.clb", unit);
    arm.SetNotices(MessageBoxNotices());
    const auto timing = arm.TimingFor(4);
    ASSERT_TRUE(timing);
    EXPECT_FALSE(timing->dosUnit);
    EXPECT_DOUBLE_EQ(timing->t0, 2.5);
    EXPECT_DOUBLE_EQ(timing->dt, 0.5);
    EXPECT_EQ(messages.Shown().size(), 2u);
}

} // namespace
} // namespace qv::testing
