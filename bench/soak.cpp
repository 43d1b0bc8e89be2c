// The soak: 10 000 continuous passes of the largest test over TCP to
// quorvik-unitsim, through the whole run path, with a link fault (garbage,
// a dropped connection, a stalled reply, a corrupt frame) struck in every
// other run, that is every few hundred passes. A fault is survived when its
// run ends (with the port's message, or by itself when the damage cost
// nothing) and the clean run after it makes all its passes.
//
//   bench/soak [PASSES]
//
// Prints passes, faults struck and survived, and the resident memory after
// the first run and at the end. Fails (status 1) when a fault was not
// survived or the memory grew by more than 10 %; a run that makes no
// progress for two minutes ends the soak with status 2, so it never hangs.
// Not part of ctest: it takes minutes.

#include "continuousrun.h"
#include "execution/port/testerport.h"
#include "execution/run/rundriver.h"
#include "execution/run/unattendedrunview.h"
#include "faultproxy.h"
#include "infra/mesbo.h"
#include "largesttest.h"
#include "model/settings/settings.h"
#include "support/qt/unitsimprocess.h"

#include <QCoreApplication>
#include <QUrl>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <csignal>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <random>
#include <thread>

namespace {

using Clock = std::chrono::steady_clock;

constexpr int kDefaultPasses = 10000;
constexpr double kMaxGrowth = 0.10;
constexpr auto kStuckLimit = std::chrono::minutes(2);

// Resident memory of this process, KiB.
long ResidentKib()
{
    std::ifstream status("/proc/self/status");
    std::string key;
    while (status >> key) {
        if (key == "VmRSS:") {
            long value = 0;
            status >> value;
            return value;
        }
        status.ignore(4096, '\n');
    }
    return 0;
}

// Ends the process (and the simulator, which would otherwise outlive it)
// when no run has ended for kStuckLimit.
class Watchdog
{
public:
    explicit Watchdog(pid_t unitsim)
        : m_unitsim(unitsim)
        , m_thread([this] { Watch(); })
    {}
    ~Watchdog()
    {
        {
            std::lock_guard lock(m_mutex);
            m_done = true;
        }
        m_wake.notify_all();
        m_thread.join();
    }
    Watchdog(const Watchdog &) = delete;
    Watchdog &operator=(const Watchdog &) = delete;
    void Progress()
    {
        std::lock_guard lock(m_mutex);
        m_last = Clock::now();
    }

private:
    void Watch()
    {
        std::unique_lock lock(m_mutex);
        while (!m_done) {
            m_wake.wait_for(lock, std::chrono::seconds(1));
            if (!m_done && Clock::now() - m_last > kStuckLimit) {
                std::cerr << "soak: прогон завис (нет продвижения две минуты)\n";
                if (m_unitsim > 0)
                    ::kill(m_unitsim, SIGKILL);
                std::_Exit(2);
            }
        }
    }
    pid_t m_unitsim;
    std::mutex m_mutex;
    std::condition_variable m_wake;
    Clock::time_point m_last = Clock::now();
    bool m_done = false;
    std::thread m_thread;
};

struct RunResult
{
    qv::RunVerdict verdict;
    int messages = 0;        // message boxes the run showed (the port's errors)
    std::string lastMessage; // the last of them
};

RunResult RunWithMessages(qv::TCP &tester, qv::TQuorvik &doc, int passes, qv::ScriptedMesbo &mesbo)
{
    const std::size_t shownBefore = mesbo.ShownMessages().size();
    const qv::RunVerdict verdict = qv::bench::ContinuousRun(tester, doc, passes);
    const auto &shown = mesbo.ShownMessages();
    RunResult result{verdict, static_cast<int>(shown.size() - shownBefore),
                     shown.size() > shownBefore ? shown.back().text : std::string()};
    mesbo.Clear();
    mesbo.SetFallbackAnswer(qv::MbOk);
    return result;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const int target = argc > 1 ? std::max(1, std::atoi(argv[1])) : kDefaultPasses;

    auto box = std::make_unique<qv::ScriptedMesbo>();
    qv::ScriptedMesbo &mesbo = *box;
    mesbo.SetFallbackAnswer(qv::MbOk);
    auto previous = qv::InstallMesbo(std::move(box));

    qv::testing::UnitSimProcess unitsim("[Board]\nTactTime=0\n");
    const QUrl unitUrl(QString::fromStdString(unitsim.Address()));
    if (unitsim.Address().empty() || unitUrl.port() <= 0) {
        std::cerr << "soak: quorvik-unitsim не запустился\n";
        return 2;
    }
    qv::bench::FaultProxy proxy(unitUrl.port());
    qv::TCP tester;
    qv::TesterSettings settings = tester.Settings();
    settings.address = "tcp://127.0.0.1:" + std::to_string(proxy.Port());
    settings.timeout = 1000;
    tester.SetSettings(settings);
    if (proxy.Port() == 0 || !tester.Create("Quorvik")) {
        std::cerr << "soak: нет связи с quorvik-unitsim через ретранслятор\n";
        return 2;
    }

    qv::bench::LargestTest t;
    t.doc.SelectTest(0);
    t.doc.SetSolidTest(true);
    Watchdog watchdog(static_cast<pid_t>(unitsim.ProcessId()));
    std::mt19937 random(21);
    const auto started = Clock::now();

    long passes = 0;
    long rssStart = 0;
    int faultRuns = 0;
    int struck = 0;
    int survived = 0;
    int endedWithMessage = 0;
    int cleanRunsShort = 0;
    bool faultPending = false;
    qv::bench::LinkFault lastFault = qv::bench::LinkFault::Garbage;
    const qv::bench::LinkFault kinds[] = {qv::bench::LinkFault::Garbage, qv::bench::LinkFault::Drop,
                                          qv::bench::LinkFault::Stall,
                                          qv::bench::LinkFault::Corrupt};
    for (int run = 0; passes < target; ++run) {
        const bool withFault = run % 2 == 1;
        const int limit = static_cast<int>(
            std::min<long>(target - passes, std::uniform_int_distribution<int>(150, 300)(random)));
        if (withFault) {
            const auto kind = kinds[faultRuns++ % 4];
            lastFault = kind;
            proxy.Arm(kind, std::uniform_int_distribution<int>(20, 200)(random));
        }
        const int firedBefore = proxy.Fired();
        const RunResult result = RunWithMessages(tester, t.doc, limit, mesbo);
        proxy.Disarm();
        watchdog.Progress();
        passes += result.verdict.passes;
        if (withFault && proxy.Fired() > firedBefore) {
            ++struck;
            faultPending = true;
            if (result.messages > 0)
                ++endedWithMessage;
        } else if (!withFault) {
            const bool whole =
                result.verdict.kind == qv::RunVerdict::Passed && result.verdict.passes == limit;
            if (!whole) {
                ++cleanRunsShort;
                std::cerr << "soak: чистый прогон " << run << " после сбоя \""
                          << qv::bench::LinkFaultName(lastFault) << "\": проходов "
                          << result.verdict.passes << " из " << limit << ", итог "
                          << static_cast<int>(result.verdict.kind) << ", сообщение \""
                          << result.lastMessage << "\"\n";
            }
            if (faultPending && whole)
                ++survived;
            faultPending = false;
        }
        if (run == 0)
            rssStart = ResidentKib();
    }
    // The last fault, if any, still needs its clean run.
    if (faultPending) {
        const RunResult result = RunWithMessages(tester, t.doc, 50, mesbo);
        if (result.verdict.kind == qv::RunVerdict::Passed && result.verdict.passes == 50)
            ++survived;
    }
    const long rssEnd = ResidentKib();
    const double seconds = std::chrono::duration<double>(Clock::now() - started).count();
    const double growth =
        rssStart > 0 ? static_cast<double>(rssEnd - rssStart) / static_cast<double>(rssStart) : 0;

    std::printf("проходов: %ld за %.0f с\n", passes, seconds);
    std::printf("сбоев связи внесено: %d, пережито: %d (из них закончили прогон сообщением "
                "порта: %d)\n",
                struck, survived, endedWithMessage);
    std::printf("чистых прогонов не до конца: %d\n", cleanRunsShort);
    std::printf("RSS: в начале %ld КиБ, в конце %ld КиБ (%+.1f %%)\n", rssStart, rssEnd,
                growth * 100);
    qv::InstallMesbo(std::move(previous));
    const bool ok = struck > 0 && survived == struck && cleanRunsShort == 0 && growth <= kMaxGrowth;
    std::printf("%s\n", ok ? "soak: пройден" : "soak: НЕ пройден");
    return ok ? 0 : 1;
}
