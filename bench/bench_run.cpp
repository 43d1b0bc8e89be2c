// Continuous runs of the largest test on the simulated unit with zero time
// per tact, through the whole run path (driver, run window logic, run
// thread, port, decoding), in-process and over TCP loopback to
// quorvik-unitsim. Counters:
//   passes     passes per second while a run goes on: from the first pass's
//              result to the last one's, what the pass counter shows;
//   runPasses  passes per second of whole runs of PassesPerRun() passes,
//              the run's start (link check, compilation, thread) and its
//              end (the run window's closing delay of 55 ms) included;
//   runFixed   that start and end of one run, ms.
// Goals: >= 5000 passes/s in-process, >= 100 passes/s over loopback. The
// failing-board run has contacts stuck in every pass, so that the error
// statistics of the run count every word and bit of every pass; the
// intermittent one fails in every third pass only, with shorts as well as
// stuck contacts. A failing run keeps the wrong values of its failing
// passes and ends with a diagnosis: on a failing board that may cost at
// most 5 % of the passes per second of the same run without it (compare
// with a build whose statistics keep no wrong values and whose runs make
// no diagnosis). Run with
//   build/bench/bench_run --benchmark_repetitions=5 --benchmark_report_aggregates_only=true

#include "continuousrun.h"
#include "execution/link/simlink.h"
#include "execution/port/portavo.h"
#include "execution/port/testerport.h"
#include "execution/run/rundriver.h"
#include "execution/run/unattendedrunview.h"
#include "largesttest.h"
#include "model/settings/settings.h"
#include "sim/board.h"
#include "sim/unit.h"
#include "support/qt/unitsimprocess.h"

#include <QCoreApplication>
#include <algorithm>
#include <benchmark/benchmark.h>
#include <chrono>
#include <mutex>
#include <string_view>
#include <utility>

namespace {

// Passes of one continuous run: 200, or QV_BENCH_PASSES_PER_RUN (what is
// made once per run, such as the diagnosis at its end, weighs less in
// longer runs).
int PassesPerRun()
{
    const int passes = qEnvironmentVariableIntValue("QV_BENCH_PASSES_PER_RUN");
    return passes > 0 ? passes : 200;
}

using Clock = std::chrono::steady_clock;

// When the pass counter showed its first and its last pass.
class PassClock
{
public:
    void Line(const std::string &line)
    {
        constexpr std::string_view kCounter = "Прогон: ";
        if (!line.starts_with(kCounter))
            return;
        const auto now = Clock::now();
        std::lock_guard lock(m_mutex);
        if (m_passes++ == 0)
            m_first = now;
        m_last = now;
    }
    // Passes after the first one, and the time they took.
    int Passes() const { return m_passes > 0 ? m_passes - 1 : 0; }
    Clock::duration Span() const { return m_last - m_first; }

private:
    std::mutex m_mutex;
    int m_passes = 0;
    Clock::time_point m_first;
    Clock::time_point m_last;
};

void Measure(benchmark::State &state, qv::TCP &tester)
{
    qv::bench::LargestTest t;
    t.doc.SelectTest(0);
    t.doc.SetSolidTest(true);
    std::int64_t passes = 0;
    std::int64_t steadyPasses = 0;
    Clock::duration steady{};
    Clock::duration whole{};
    for (auto _ : state) {
        PassClock clock;
        const auto start = Clock::now();
        passes += qv::bench::ContinuousRun(tester, t.doc, PassesPerRun(),
                                           [&clock](const std::string &line) { clock.Line(line); })
                      .passes;
        whole += Clock::now() - start;
        steadyPasses += clock.Passes();
        steady += clock.Span();
    }
    if (passes < state.iterations() * PassesPerRun()) {
        state.SkipWithError("a run ended before its passes");
        return;
    }
    const auto seconds = [](Clock::duration d) { return std::chrono::duration<double>(d).count(); };
    state.counters["passes"] = static_cast<double>(steadyPasses) / std::max(seconds(steady), 1e-9);
    state.counters["runPasses"] =
        benchmark::Counter(static_cast<double>(passes), benchmark::Counter::kIsRate);
    const double perPass =
        seconds(steady) / static_cast<double>(std::max<std::int64_t>(steadyPasses, 1));
    state.counters["runFixed"] = 1000.0 * (seconds(whole) - perPass * static_cast<double>(passes)) /
                                 static_cast<double>(state.iterations());
}

void BM_ContinuousRunInProcess(benchmark::State &state)
{
    qv::sim::Board board = qv::sim::DefaultBoard();
    board.behaviour.tactMicros = 0;
    auto unit = std::make_shared<qv::sim::SimulatedUnit>(board);
    qv::TCP tester;
    tester.Create("Quorvik", [&unit](const std::string &) {
        return std::make_shared<qv::Portavo>(std::make_unique<qv::SimLink>(unit), "sim");
    });
    Measure(state, tester);
}

void BM_ContinuousRunInProcessFailing(benchmark::State &state)
{
    qv::sim::Board board = qv::sim::DefaultBoard();
    board.behaviour.tactMicros = 0;
    for (int contact = 0; contact < 64; contact += 2)
        board.behaviour.stuckHigh.insert(contact);
    auto unit = std::make_shared<qv::sim::SimulatedUnit>(board);
    qv::TCP tester;
    tester.Create("Quorvik", [&unit](const std::string &) {
        return std::make_shared<qv::Portavo>(std::make_unique<qv::SimLink>(unit), "sim");
    });
    Measure(state, tester);
}

void BM_ContinuousRunInProcessIntermittent(benchmark::State &state)
{
    qv::sim::Board board = qv::sim::DefaultBoard();
    board.behaviour.tactMicros = 0;
    for (int contact = 0; contact < 64; contact += 4)
        board.behaviour.stuckHigh.insert(contact);
    for (int contact = 1; contact < 63; contact += 4)
        board.behaviour.bridgedOr.push_back({contact, contact + 1});
    board.behaviour.faultEvery = 3;
    auto unit = std::make_shared<qv::sim::SimulatedUnit>(board);
    qv::TCP tester;
    tester.Create("Quorvik", [&unit](const std::string &) {
        return std::make_shared<qv::Portavo>(std::make_unique<qv::SimLink>(unit), "sim");
    });
    Measure(state, tester);
}

void BM_ContinuousRunOverTcp(benchmark::State &state)
{
    qv::testing::UnitSimProcess unitsim("[Board]\nTactTime=0\n");
    qv::TCP tester;
    qv::TesterSettings settings = tester.Settings();
    settings.address = unitsim.Address();
    tester.SetSettings(settings);
    if (unitsim.Address().empty() || !tester.Create("Quorvik")) {
        state.SkipWithError("quorvik-unitsim did not start");
        return;
    }
    Measure(state, tester);
}

} // namespace

int main(int argc, char **argv)
{
    // A whole run is long: each benchmark takes two seconds for a steady
    // figure, unless the command line sets the time (as ctest's smoke does).
    const bool minTimeGiven = std::any_of(argv + 1, argv + argc, [](const char *arg) {
        return std::string_view(arg).starts_with("--benchmark_min_time");
    });
    for (const auto &[name, function] :
         {std::pair{"BM_ContinuousRunInProcess", &BM_ContinuousRunInProcess},
          std::pair{"BM_ContinuousRunInProcessFailing", &BM_ContinuousRunInProcessFailing},
          std::pair{"BM_ContinuousRunInProcessIntermittent",
                    &BM_ContinuousRunInProcessIntermittent},
          std::pair{"BM_ContinuousRunOverTcp", &BM_ContinuousRunOverTcp}}) {
        auto *registered = benchmark::RegisterBenchmark(name, function)
                               ->Unit(benchmark::kMillisecond)
                               ->UseRealTime();
        if (!minTimeGiven)
            registered->MinTime(2.0);
    }
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
