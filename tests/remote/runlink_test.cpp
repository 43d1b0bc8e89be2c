// A run followed over the link: the bench's run thread reports through the
// client's link, the server's run thread follows through the server's, and
// every report waits for its answer by event.

#include "execution/port/testerport.h"
#include "execution/run/pusk.h"
#include "execution/run/rundriver.h"
#include "execution/run/unattendedrunview.h"
#include "infra/notice.h"
#include "model/settings/settings.h"
#include "remote/remoterunlink.h"
#include "support/common/tempdir.h"
#include "support/execution/recordinghost.h"
#include "support/execution/unitfixture.h"
#include "support/model/docbuilder.h"
#include "support/remote/remotepeers.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <future>
#include <gtest/gtest.h>
#include <thread>

namespace qv {
namespace {

using testing::LinkedPeers;
using testing::PumpUntil;

// What the bench logs when a report of its run waited out its answer time.
const QString kReportUnanswered =
    QStringLiteral("Сервер не подтвердил получение сообщения о выполнении теста");

// Both ends with their run links, and the server's run thread following.
struct FollowedRun
{
    FollowedRun()
    {
        client = peers.LoggedIn();
        serverLink.BindServer(&peers.server);
        clientLink.BindClient(client.get());
    }
    ~FollowedRun()
    {
        follower.reset();
        serverLink.Unbind();
        clientLink.Unbind();
    }

    void Follow(PuskConfig config = {})
    {
        config.local = false;
        config.notices = MessageBoxNotices();
        follower = std::make_unique<TthPusk>(unit.port, host, config, &serverLink);
        follower->Start([this] { followed = true; });
    }
    // The bench's run thread: `script` runs on a thread of its own while
    // the main thread keeps both ends going.
    bool Bench(std::function<void()> script, int limitMs = 15000)
    {
        auto done = std::async(std::launch::async, std::move(script));
        return PumpUntil(
            [&] { return done.wait_for(std::chrono::seconds(0)) == std::future_status::ready; },
            limitMs);
    }

    // Whether a report of the bench waited out its answer time: the bench
    // logs that from its own thread by way of the main thread's queue.
    bool ReportUnanswered()
    {
        QCoreApplication::sendPostedEvents();
        return client->InfoLog().Contains(kReportUnanswered);
    }

    testing::RecordedMessages messages;
    testing::UnitUnderTest unit{testing::Transport::InProcess};
    LinkedPeers peers;
    std::unique_ptr<TClient> client;
    TRemoteRunLink serverLink;
    TRemoteRunLink clientLink;
    testing::RecordingHost host;
    std::atomic<bool> followed{false};
    std::unique_ptr<TthPusk> follower;
};

TEST(RemoteRun, TheBenchsReportsAndResultsReachTheFollowingRunEachAnswered)
{
    FollowedRun run;
    PuskConfig config;
    config.continuous = true;
    config.resultPerPass = true;
    run.Follow(config);
    const std::vector<std::uint8_t> answer = testing::Pattern(2500);
    ASSERT_TRUE(run.Bench([&] {
        run.clientLink.SendStatusText("выполнение теста №1");
        run.clientLink.SendStatusText("обработка результатов");
        run.clientLink.SendResult(12, answer);
        run.clientLink.SendEndReport({});
    }));
    // Every report was answered: no wait ran into its time-out (which the
    // bench logs), however slowly the machine went.
    EXPECT_FALSE(run.ReportUnanswered());
    ASSERT_TRUE(PumpUntil([&] { return run.followed.load(); }));
    run.follower->Join();
    const auto statuses = run.host.Statuses();
    EXPECT_NE(std::find(statuses.begin(), statuses.end(), "выполнение теста №1"), statuses.end());
    EXPECT_EQ(run.host.passes, 1);
    ASSERT_EQ(run.host.decoded.size(), 1u);
    EXPECT_EQ(run.host.decoded[0].first, 12);
    EXPECT_EQ(run.host.decoded[0].second, answer);
    EXPECT_EQ(run.host.mark, 0);
    EXPECT_TRUE(run.peers.server.InfoLog().Contains(QStringLiteral("Результаты теста обработаны")));
    EXPECT_TRUE(run.client->InfoLog().Contains(
        QStringLiteral("Отправка буфера данных (2500)... выполнена")));
    EXPECT_FALSE(run.client->InfoLog().Contains(
        QStringLiteral("Сервер не подтвердил обработку результатов теста")));
}

TEST(RemoteRun, TheBenchsErrorTextEndsTheFollowedRunAsFailed)
{
    FollowedRun run;
    run.Follow();
    ASSERT_TRUE(run.Bench([&] { run.clientLink.SendEndReport("Нет связи с блоком"); }));
    ASSERT_TRUE(PumpUntil([&] { return run.followed.load(); }));
    EXPECT_EQ(run.host.mark, kRunFailedMark);
    const auto shown = run.messages.Shown();
    ASSERT_FALSE(shown.empty());
    EXPECT_EQ(shown.back().text, "Нет связи с блоком");
}

// A bench that fails at once may end before the following run's thread
// gets going: its end belongs to that run all the same.
TEST(RemoteRun, AnEndThatComesBeforeTheRunThreadGetsGoingStillEndsTheRun)
{
    FollowedRun run;
    std::promise<void> release;
    std::shared_future<void> released = release.get_future().share();
    // The run thread waits at its first picture until the end reached the
    // server (never longer than a test may wait).
    run.host.onActivity = [released](ActivityPicture) {
        released.wait_for(std::chrono::seconds(15));
    };
    run.Follow();
    auto bench =
        std::async(std::launch::async, [&] { run.clientLink.SendEndReport("Нет связи с блоком"); });
    const bool reached = PumpUntil([&] {
        const auto report = ParseRunReport(run.peers.server.LastPayload());
        return report && report->kind == RunReport::Kind::End;
    });
    release.set_value();
    ASSERT_TRUE(reached);
    ASSERT_TRUE(PumpUntil([&] { return run.followed.load(); }));
    ASSERT_TRUE(PumpUntil(
        [&] { return bench.wait_for(std::chrono::seconds(0)) == std::future_status::ready; }));
    EXPECT_EQ(run.host.mark, kRunFailedMark);
    const auto shown = run.messages.Shown();
    ASSERT_FALSE(shown.empty());
    EXPECT_EQ(shown.back().text, "Нет связи с блоком");
    // The run thread answered it: the bench did not wait out its time.
    EXPECT_FALSE(run.ReportUnanswered());
}

TEST(RemoteRun, AnEmptyResultIsNotTakenForTheBufferBefore)
{
    FollowedRun run;
    run.Follow();
    ASSERT_TRUE(run.Bench([&] {
        run.clientLink.SendResult(12, testing::Pattern(10));
        run.clientLink.SendResult(13, {});
        run.clientLink.SendEndReport({});
    }));
    ASSERT_TRUE(PumpUntil([&] { return run.followed.load(); }));
    ASSERT_EQ(run.host.decoded.size(), 2u);
    EXPECT_EQ(run.host.decoded[0].second.size(), 10u);
    EXPECT_EQ(run.host.decoded[1].first, 13);
    EXPECT_TRUE(run.host.decoded[1].second.empty());
}

TEST(RemoteRun, ReportsOfARunNobodyFollowsAreAnsweredAtOnceAndKeptForTheRunThatStarts)
{
    FollowedRun run;
    ASSERT_TRUE(run.Bench([&] { run.clientLink.SendStatusText("выполнение теста №3"); }));
    EXPECT_FALSE(run.ReportUnanswered());
    run.Follow();
    ASSERT_TRUE(run.Bench([&] { run.clientLink.SendEndReport({}); }));
    EXPECT_FALSE(run.ReportUnanswered());
    ASSERT_TRUE(PumpUntil([&] { return run.followed.load(); }));
    const auto statuses = run.host.Statuses();
    EXPECT_NE(std::find(statuses.begin(), statuses.end(), "выполнение теста №3"), statuses.end());
    EXPECT_EQ(run.host.mark, 0);
}

TEST(RemoteRun, AReportTheServerNeverAnswersCostsTheAnswerTimeAndIsLogged)
{
    LinkedPeers peers; // the server has no run link: nothing answers
    auto client = peers.LoggedIn();
    TRemoteRunLink link;
    link.BindClient(client.get());
    QElapsedTimer took;
    took.start();
    auto done = std::async(std::launch::async, [&] { link.SendStatusText("выполнение теста"); });
    ASSERT_TRUE(PumpUntil(
        [&] { return done.wait_for(std::chrono::seconds(0)) == std::future_status::ready; }));
    EXPECT_GE(took.elapsed(), kRemoteAnswerTimeoutMs - 50);
    EXPECT_LT(took.elapsed(), kRemoteAnswerTimeoutMs + 3000);
    EXPECT_TRUE(PumpUntil([&] { return client->InfoLog().Contains(kReportUnanswered); }));
    link.Unbind();
}

TEST(RemoteRun, TheServerTakesTheBenchsLinkCheckAndRefusesSilence)
{
    FollowedRun run;
    run.serverLink.SetCheckWaitMs(5000); // a loaded machine may be slow to deliver
    run.clientLink.SendCheckResult(4, "Блок диагностики не отвечает");
    std::string text;
    EXPECT_EQ(run.serverLink.CheckBenchLink(text), 4);
    EXPECT_EQ(text, "Блок диагностики не отвечает");

    run.clientLink.SendCheckResult(0, {});
    text.clear();
    EXPECT_EQ(run.serverLink.CheckBenchLink(text), 0);
    EXPECT_TRUE(text.empty());

    // A bench that says nothing is not taken as ready.
    run.serverLink.SetCheckWaitMs(300);
    EXPECT_NE(run.serverLink.CheckBenchLink(text), 0);
    EXPECT_FALSE(text.empty());
}

// The bench's own run thread reports from right after its link check, as
// the run driver starts it, while the server may not follow yet: every
// message of it still reaches the server whole and is answered.
TEST(RemoteRun, ABenchRunThatReportsReachesTheServerWholeFromItsLinkCheckOn)
{
    FollowedRun run;
    testing::UnitUnderTest benchUnit{testing::Transport::InProcess};
    ASSERT_EQ(benchUnit.port->Handshake(), PortOk);
    testing::RecordingHost benchHost;
    PuskConfig config;
    config.report = true;
    config.program = {0, 1, 4, 0x10}; // refused by the unit with its text
    config.notices = MessageBoxNotices();
    TthPusk bench(benchUnit.port, benchHost, config, &run.clientLink);
    std::atomic<bool> benchDone{false};
    run.clientLink.SendCheckResult(PortOk, {});
    bench.Start([&] { benchDone = true; });

    run.serverLink.SetCheckWaitMs(5000); // a loaded machine may be slow to deliver
    std::string text;
    ASSERT_EQ(run.serverLink.CheckBenchLink(text), PortOk);
    run.Follow();
    ASSERT_TRUE(PumpUntil([&] { return benchDone.load() && run.followed.load(); }));
    bench.Join();

    EXPECT_FALSE(run.ReportUnanswered());
    EXPECT_EQ(benchHost.mark, kRunFailedMark);
    EXPECT_EQ(run.host.mark, kRunFailedMark);
    // Both ends show the unit's refusal: the bench's own, the server's as
    // the end report carried it.
    const auto shown = run.messages.Shown();
    ASSERT_EQ(shown.size(), 2u);
    EXPECT_NE(shown[0].text.find("Программа теста повреждена"), std::string::npos);
    EXPECT_EQ(shown[1].text, shown[0].text);
}

TEST(RemoteRun, AFollowedRunEndsWhenTheBenchDisconnects)
{
    FollowedRun run;
    PuskConfig config;
    config.linkCheckMs = 20;
    run.Follow(config);
    run.client->Disconnect();
    ASSERT_TRUE(PumpUntil([&] { return run.followed.load(); }));
    EXPECT_EQ(run.host.mark, kRunFailedMark);
    EXPECT_FALSE(run.serverLink.Connected());
}

// The bench ends a run before its run thread starts (here its operator's
// "Отмена" on the start page): the server that follows hears the end and
// ends its run with the bench's word, though its thread starts later.
TEST(RemoteRun, ABenchRunEndedBeforeItsThreadEndsTheFollowedRunWithItsMessage)
{
    FollowedRun run;
    // The bench: the demo board on its own simulated unit, the run driver
    // as the program runs it, with a watching server.
    testing::TempDir benchDir;
    for (const auto &entry : std::filesystem::directory_iterator(QV_DEMO_DIR))
        std::filesystem::copy_file(entry.path(), benchDir.Path() / entry.path().filename());
    testing::DocBuilder bench;
    ASSERT_TRUE(bench.doc.LoadFile(benchDir.File("DEMO.QOR")));
    auto unit = std::make_shared<sim::SimulatedUnit>(sim::DefaultBoard());
    TCP tester;
    tester.SetNotices(MessageBoxNotices());
    ASSERT_TRUE(tester.Create("Quorvik", [unit](const std::string &) {
        return std::make_shared<Portavo>(std::make_unique<SimLink>(unit), "sim");
    }));
    TSettings settings;
    settings.SetOption(TSettings::OptCurrentControl, 0);
    UnattendedRunView::Options options;
    options.cancelOnStartPage = true;
    UnattendedRunView view(bench.doc, options);
    RunDriver::Environment env;
    env.watchShownErrors = &WatchMessageBoxErrors;
    env.tester = &tester;
    env.settings = &settings;
    env.view = &view;
    env.remote = &run.clientLink;
    env.remoteClientConnected = true;
    RunDriver driver(bench.doc, env);
    EXPECT_FALSE(driver.StartRun());
    EXPECT_EQ(driver.Verdict().kind, RunVerdict::Cancelled);

    // The server's run window only now gets going.
    run.serverLink.SetCheckWaitMs(5000);
    std::string text;
    ASSERT_EQ(run.serverLink.CheckBenchLink(text), PortOk);
    run.Follow();
    ASSERT_TRUE(PumpUntil([&] { return run.followed.load(); }));
    EXPECT_EQ(run.host.mark, kRunFailedMark);
    const auto shown = run.messages.Shown();
    ASSERT_FALSE(shown.empty());
    EXPECT_EQ(shown.back().text, "Запуск теста отменен оператором удаленного стенда");
    EXPECT_FALSE(run.ReportUnanswered());
}

// What a bench's earlier run left (its end too) never ends the next one: a
// link check begins a run.
TEST(RemoteRun, TheEndOfAnEarlierBenchRunDoesNotEndTheNextFollowedRun)
{
    FollowedRun run;
    ASSERT_TRUE(run.Bench([&] {
        run.clientLink.SendStatusText("выполнение теста");
        run.clientLink.SendEndReport("Старая ошибка");
    }));
    run.clientLink.SendCheckResult(PortOk, {});
    run.serverLink.SetCheckWaitMs(5000);
    std::string text;
    ASSERT_EQ(run.serverLink.CheckBenchLink(text), PortOk);
    run.Follow();
    ASSERT_TRUE(run.Bench([&] { run.clientLink.SendEndReport({}); }));
    ASSERT_TRUE(PumpUntil([&] { return run.followed.load(); }));
    EXPECT_EQ(run.host.mark, 0);
    EXPECT_TRUE(run.messages.Shown().empty());
}

// Esc on the server stops the bench (a press of the bench's stop panel goes
// over the link), and the followed run goes on until the bench's end brings
// its last result: both sides end interrupted, with the same counts.
TEST(RemoteRun, EscOnTheServerStopsTheBenchAndWaitsForItsLastResult)
{
    FollowedRun run;
    std::optional<RemoteClick> stopPress;
    QObject::connect(run.client.get(), &TClient::ClickRequested,
                     [&](const RemoteClick &click) { stopPress = click; });
    PuskConfig config;
    config.continuous = true;
    run.Follow(config);
    ASSERT_TRUE(run.Bench([&] { run.clientLink.SendStatusText("выполнение теста"); }));
    run.follower->Request(TthPusk::StopRequested);
    ASSERT_TRUE(PumpUntil([&] { return stopPress.has_value(); }));
    EXPECT_EQ(stopPress->formName, QStringLiteral("fmPusk"));
    EXPECT_EQ(stopPress->controlName, QStringLiteral("pnStop"));
    EXPECT_FALSE(run.followed.load()); // still waiting for the bench

    const std::vector<std::uint8_t> last = testing::Pattern(700);
    ASSERT_TRUE(run.Bench([&] {
        run.clientLink.SendResult(13, last);
        run.clientLink.SendStatusText(std::string(kRunStoppedStatus));
        run.clientLink.SendEndReport({});
    }));
    ASSERT_TRUE(PumpUntil([&] { return run.followed.load(); }));
    ASSERT_EQ(run.host.decoded.size(), 1u);
    EXPECT_EQ(run.host.decoded[0].second, last);
    EXPECT_FALSE(run.host.StopPanelVisible()); // interrupted, as on the bench
    EXPECT_EQ(run.host.mark, 0);
    EXPECT_FALSE(run.ReportUnanswered());
}

// A stop on the bench (its own operator, or the server's press repeated
// there) ends the followed run as interrupted, not as passed.
TEST(RemoteRun, AStopOnTheBenchEndsTheFollowedRunInterrupted)
{
    FollowedRun run;
    run.Follow();
    ASSERT_TRUE(run.Bench([&] {
        run.clientLink.SendStatusText(std::string(kRunStoppedStatus));
        run.clientLink.SendEndReport({});
    }));
    ASSERT_TRUE(PumpUntil([&] { return run.followed.load(); }));
    EXPECT_FALSE(run.host.StopPanelVisible());
    EXPECT_EQ(run.host.mark, 0);
}

// A bench that never answers the stop does not hold the server's run.
TEST(RemoteRun, ABenchThatIgnoresTheStopEndsTheFollowedRunAfterTheStopWait)
{
    FollowedRun run;
    PuskConfig config;
    config.benchStopWaitMs = 300;
    run.Follow(config);
    run.follower->Request(TthPusk::StopRequested);
    ASSERT_TRUE(PumpUntil([&] { return run.followed.load(); }));
    EXPECT_EQ(run.host.mark, kRunFailedMark);
    const auto shown = run.messages.Shown();
    ASSERT_FALSE(shown.empty());
    EXPECT_EQ(shown.back().text, "Удаленный стенд не ответил на команду остановки теста");
}

// A bench that first waits out its unit lock (up to 3 s) before its link
// check is still heard by a server with the default wait.
TEST(RemoteRun, TheServerWaitsForABenchThatFirstWaitsForItsUnitLock)
{
    FollowedRun run;
    auto bench = std::async(std::launch::async, [&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(3500));
        run.clientLink.SendCheckResult(PortOk, {});
    });
    std::string text;
    EXPECT_EQ(run.serverLink.CheckBenchLink(text), PortOk) << text;
    bench.wait();
}

} // namespace
} // namespace qv
