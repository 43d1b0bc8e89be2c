// The device program of the largest test: compiling it, the simulated unit
// reading and executing it (zero time per tact), and decoding the answer.
// Goals: compile <= 1 ms, decode <= 1 ms, simulated execution <= 5 ms.

#include "execution/dosdata.h"
#include "infra/mesbo.h"
#include "model/documentobserver.h"
#include "model/quorvik.h"
#include "model/scriptedfileui.h"
#include "model/stest.h"
#include "sim/board.h"
#include "sim/boardrun.h"
#include "sim/program.h"
#include "tests/execution/docbuilder.h"

#include <benchmark/benchmark.h>
#include <memory>
#include <stdexcept>
#include <string>

namespace {

constexpr int kTacts = 128;
constexpr int kCycles = 16;
constexpr int kWords = 16;

// 128 tacts, 16 cycles, 16 input, output and generator words on four
// 16-bit buses, 16 level lines.
struct LargestTest : qv::testing::DocBuilder
{
    LargestTest()
    {
        for (int b = 0; b < 4; ++b) {
            std::string def;
            for (int i = 1; i <= 16; ++i)
                def.push_back(static_cast<char>(b * 16 + i));
            doc.Doc.Tyres.Add(def);
        }
        auto test = std::make_unique<qv::STest>();
        test->Cycles = kCycles;
        test->StartTact = 1;
        // A column names its item by one hex digit, so words 1..15 get
        // columns; all 16 generator words travel anyway.
        std::string d1(kTacts, '-'), d2(kTacts, '0');
        const char *hex = "0123456789ABCDEF";
        for (std::size_t w = 1; w < kWords; ++w) {
            for (std::size_t k = 0; k < 3; ++k) {
                d1[3 * w + k - 2] = "gio"[k];
                d2[3 * w + k - 2] = hex[w];
            }
        }
        test->Tacts.D1 = d1;
        test->Tacts.D2 = d2;
        for (int l = 0; l < 16; ++l) {
            test->Tacts.AddLine();
            qv::TLine line;
            line.Contact = 64 + l;
            for (int t = 0; t < kTacts; ++t)
                line.Levels.push_back(((t + l) / 4) % 2 ? '-' : '_');
            test->Tacts.SetLine(l, line);
        }
        for (int w = 1; w <= kWords; ++w) {
            std::string data;
            for (int c = 0; c < kCycles; ++c)
                data.append(c ? "/" : "").append(std::to_string((w * 131 + c * 17) & 0xFFFF));
            const std::string name = std::string("w").append(std::to_string(w));
            AddWord(test->IWords, w, name, (w - 1) % 4, w % 2, data);
            AddWord(test->OWords, w, name, (w - 1) % 4, w % 2, data);
            AddWord(test->GWords, w, name, 1, 40 + w, data);
        }
        doc.Doc.Tests[0] = std::move(test);
        doc.Doc.NTest = 1;
    }
};

std::vector<std::uint8_t> Compiled(qv::Dosdata &dos)
{
    std::vector<std::uint8_t> buffer(qv::kProgramBufferSize);
    std::size_t length = 0;
    if (!dos.Compile(buffer, length))
        throw std::runtime_error(dos.FailureText());
    buffer.resize(length);
    return buffer;
}

std::vector<std::uint8_t> Answer(const std::vector<std::uint8_t> &image,
                                 const qv::sim::Board &board)
{
    const auto program = qv::sim::ReadProgram(image, nullptr);
    const auto result = qv::sim::EvaluateProgram(*program, board, {});
    std::vector<std::uint8_t> answer{static_cast<std::uint8_t>(kCycles), kTacts - 1};
    answer.insert(answer.end(), result.bodies[0].begin(), result.bodies[0].end());
    return answer;
}

void BM_CompileLargestTest(benchmark::State &state)
{
    LargestTest t;
    qv::Dosdata dos(t.doc, qv::RunOptions{}, {});
    std::vector<std::uint8_t> buffer(qv::kProgramBufferSize);
    std::size_t length = 0;
    for (auto _ : state) {
        length = 0;
        benchmark::DoNotOptimize(dos.Compile(buffer, length));
    }
    state.counters["image_bytes"] = static_cast<double>(length);
}
BENCHMARK(BM_CompileLargestTest)->Unit(benchmark::kMicrosecond);

void BM_SimulatedExecutionOfLargestTest(benchmark::State &state)
{
    LargestTest t;
    qv::Dosdata dos(t.doc, qv::RunOptions{}, {});
    const auto image = Compiled(dos);
    qv::sim::Board board = qv::sim::DefaultBoard();
    board.behaviour.tactMicros = 0;
    board.behaviour.stuckLow = {3};
    for (auto _ : state) {
        const auto program = qv::sim::ReadProgram(image, nullptr);
        benchmark::DoNotOptimize(qv::sim::EvaluateProgram(*program, board, {}));
    }
}
BENCHMARK(BM_SimulatedExecutionOfLargestTest)->Unit(benchmark::kMicrosecond);

void BM_DecodeLargestTest(benchmark::State &state)
{
    LargestTest t;
    qv::Dosdata dos(t.doc, qv::RunOptions{}, {});
    const auto image = Compiled(dos);
    qv::sim::Board board = qv::sim::DefaultBoard();
    board.behaviour.stuckLow = {3};
    const auto answer = Answer(image, board);
    for (auto _ : state)
        benchmark::DoNotOptimize(dos.ProcessDosData(12, answer));
    if (t.doc.ErrorCounts[0] == 0)
        state.SkipWithError("the stuck contact made no errors");
}
BENCHMARK(BM_DecodeLargestTest)->Unit(benchmark::kMicrosecond);

} // namespace
