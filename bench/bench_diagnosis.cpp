// The diagnosis and the coverage at their limits: the diagnosis of the
// largest test (15 words read in 16 cycles, 64 contacts on four 16-bit
// buses, 16 level lines) with 1000 wrong bits, made once at the end of a
// run (aim: 20 ms); the coverage of the maximal file (20 such tests with
// 192 level lines, aim: 200 ms); and what a failing pass of a continuous
// run now costs for the diagnosis besides the error statistics (the wrong
// values kept per pass), to compare with the pass time of bench_run's
// BM_ContinuousRunInProcessFailing (aim: under 5 % of it):
//   build/bench/bench_diagnosis --benchmark_repetitions=5

#include "bench/largesttest.h"
#include "execution/run/errorstatistics.h"
#include "infra/mesbo.h"
#include "maximalfile.h"
#include "model/diagnosis/coverage.h"
#include "model/diagnosis/diagnosis.h"
#include "model/diagnosis/observations.h"
#include "model/document/quorvik.h"
#include "model/words/wordvalues.h"

#include <benchmark/benchmark.h>
#include <filesystem>
#include <fstream>
#include <random>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

// The reads of the largest test with `wrong` bits flipped: contacts stuck
// for the first hundreds, then bits flipped at random (which no single
// fault explains: the search tries every candidate on them).
std::vector<qv::diagnosis::ReadObservation> WrongReads(const qv::bench::LargestTest &t, int wrong)
{
    const qv::STest &test = *t.doc.Doc().Tests[0];
    auto reads =
        qv::diagnosis::ReferenceReads(t.doc.Doc(), test, 0, qv::diagnosis::OutputWordsRead(test));
    std::mt19937 random(7);
    int flipped = 0;
    // Stuck contacts: bit 0 of every word stuck at the complement of the
    // first read's level flips about half of its reads.
    for (auto &r : reads) {
        for (int bit = 0; bit < 4 && flipped < wrong / 2; ++bit) {
            const auto stuck = static_cast<std::uint16_t>(1u << bit);
            if (!(r.expected & stuck)) {
                r.read = static_cast<std::uint16_t>(*r.read | stuck);
                ++flipped;
            }
        }
    }
    std::uniform_int_distribution<std::size_t> which(0, reads.size() - 1);
    std::uniform_int_distribution<int> bit(4, 15);
    while (flipped < wrong) {
        auto &r = reads[which(random)];
        const auto mask = static_cast<std::uint16_t>(1u << bit(random));
        if ((*r.read ^ r.expected) & mask)
            continue;
        r.read = static_cast<std::uint16_t>(*r.read ^ mask);
        ++flipped;
    }
    return reads;
}

void DiagnoseLargestTest(benchmark::State &state)
{
    const qv::bench::LargestTest t;
    const qv::STest &test = *t.doc.Doc().Tests[0];
    const auto reads = WrongReads(t, static_cast<int>(state.range(0)));
    const auto partners = qv::diagnosis::ContactsOfTest(t.doc.Doc(), test);
    std::size_t hypotheses = 0;
    for (auto _ : state) {
        const auto d = qv::diagnosis::Diagnose(reads, partners);
        hypotheses = d.hypotheses.size();
        benchmark::DoNotOptimize(hypotheses);
    }
    if (hypotheses == 0)
        state.SkipWithError("no hypothesis");
    state.counters["hypotheses"] = static_cast<double>(hypotheses);
}
BENCHMARK(DiagnoseLargestTest)->Arg(1000)->Unit(benchmark::kMillisecond);

struct MaximalFile
{
    MaximalFile()
    {
        dir = fs::temp_directory_path() / ("qv-bench-diagnosis-" + std::to_string(getpid()));
        fs::create_directories(dir);
        const auto file = qortool::MaximalTestFile("MAX.CNT");
        std::ofstream(dir / "MAX.QOR", std::ios::binary) << file.qor;
        std::ofstream(dir / "MAX.CNT", std::ios::binary) << file.cnt;
        qv::InstallMesbo(std::make_unique<qv::ScriptedMesbo>());
        loaded = t.doc.LoadFile((dir / "MAX.QOR").string());
    }
    ~MaximalFile() { fs::remove_all(dir); }

    fs::path dir;
    qv::testing::DocBuilder t;
    bool loaded = false;
};

void CoverageOfMaximalFile(benchmark::State &state)
{
    const MaximalFile file;
    if (!file.loaded) {
        state.SkipWithError("load failed");
        return;
    }
    std::vector<int> tests;
    for (int i = 0; i < file.t.doc.Doc().NTest; ++i)
        tests.push_back(i);
    int faults = 0;
    for (auto _ : state) {
        const auto coverage = qv::diagnosis::CoverageOf(file.t.doc.Doc(), tests);
        faults = coverage.faults;
        benchmark::DoNotOptimize(faults);
    }
    state.counters["faults"] = faults;
}
BENCHMARK(CoverageOfMaximalFile)->Unit(benchmark::kMillisecond);

// One failing pass counted: every word of the largest test wrong in every
// cycle (the worst a pass can be): the statistics and the wrong values kept.
void CountFailingPass(benchmark::State &state)
{
    qv::bench::LargestTest t;
    qv::STest &test = *t.doc.Doc().Tests[0];
    std::string words;
    for (const qv::SWord &w : test.OWords.Words()) {
        std::string run;
        for (int c = 0; c < qv::bench::kCycles; ++c)
            run.append(c ? "/" : "").append(std::to_string(c + 1));
        const_cast<qv::SWord *>(test.OWords.Find(w.Id))->Run = run;
        words += static_cast<char>(w.Id);
    }
    const std::vector<qv::CountedWords> failed{{0, words, {}}};
    qv::ErrorStatistics statistics;
    int pass = 0;
    for (auto _ : state)
        statistics.CountPass(++pass, t.doc, failed);
    state.counters["patterns"] = static_cast<double>(statistics.FailingPasses().failing.size());
}
BENCHMARK(CountFailingPass)->Unit(benchmark::kMicrosecond);

} // namespace
