// The oscilloscope probe's acquisition thread against the simulated probe:
// how many blocks a second it takes in (each trigger waits for the block
// before it to be in, as a test cycle's trigger would), and how much of one
// core it uses while it only polls. Run for figures:
//   build/bench/bench_probe --benchmark_repetitions=5 --benchmark_report_aggregates_only=true

#include "probe/probelink.h"
#include "probe/skopel.h"
#include "sim/scope.h"
#include "support/model/docbuilder.h"

#include <benchmark/benchmark.h>
#include <chrono>
#include <ctime>
#include <thread>

namespace {

struct Capturing
{
    Capturing()
    {
        qv::STest &test = d.AddTest("....", "....", 3);
        qv::SVFuncInput input;
        input.Name = "v";
        input.Sweep = 4;
        input.Amplitude = 2;
        input.Tact = 1;
        input.Number = 1;
        std::string refusal;
        test.VFuncs.AddFunction(input, 4, &refusal);
        test.VFuncs.SetActive(1);
        d.doc.SelectTest(0);
        ok = skopel.Open() && skopel.Start(0, 3);
    }
    ~Capturing() { skopel.Close(); }

    qv::testing::DocBuilder d;
    qv::TSkopel skopel{d.doc, [](std::string *message) {
                           return qv::probe::MakeProbeLink(qv::probe::LinkKind::Sim, message);
                       }};
    bool ok = false;
};

double ProcessCpuSeconds()
{
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}

void BM_ProbeBlocksPerSecond(benchmark::State &state)
{
    Capturing c;
    if (!c.ok) {
        state.SkipWithError("the simulated probe did not start");
        return;
    }
    qv::sim::ScopeTrigger trigger;
    trigger.levels = {1, 0, 1, 1};
    std::int64_t blocks = 0;
    for (auto _ : state) {
        const int before = c.skopel.Captures();
        qv::sim::ScopeBus::Instance().Publish(trigger);
        const auto limit = std::chrono::steady_clock::now() + std::chrono::seconds(5);
        while (c.skopel.Captures() == before) {
            if (std::chrono::steady_clock::now() > limit) {
                state.SkipWithError("a block was not taken in");
                return;
            }
            std::this_thread::yield();
        }
        ++blocks;
    }
    state.counters["blocks_per_s"] =
        benchmark::Counter(static_cast<double>(blocks), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_ProbeBlocksPerSecond)->UseRealTime();

void BM_ProbeIdlePollingCpu(benchmark::State &state)
{
    Capturing c;
    if (!c.ok) {
        state.SkipWithError("the simulated probe did not start");
        return;
    }
    double cpu = 0;
    double wall = 0;
    for (auto _ : state) {
        const double cpu0 = ProcessCpuSeconds();
        const auto wall0 = std::chrono::steady_clock::now();
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
        cpu += ProcessCpuSeconds() - cpu0;
        wall += std::chrono::duration<double>(std::chrono::steady_clock::now() - wall0).count();
    }
    state.counters["cpu_percent_of_core"] = wall > 0 ? 100.0 * cpu / wall : 0;
}
BENCHMARK(BM_ProbeIdlePollingCpu)->Iterations(5)->UseRealTime();

} // namespace
