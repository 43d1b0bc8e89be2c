// The device program of the largest test: compiling it, the simulated unit
// reading and executing it (zero time per tact), and decoding the answer.
// Goals: compile <= 1 ms, decode <= 1 ms, simulated execution <= 5 ms.

#include "execution/compiler/dosdata.h"
#include "infra/mesbo.h"
#include "largesttest.h"
#include "model/document/documentobserver.h"
#include "model/document/quorvik.h"
#include "model/file/scriptedfileui.h"
#include "model/test/stest.h"
#include "sim/board.h"
#include "sim/boardrun.h"
#include "sim/program.h"

#include <benchmark/benchmark.h>
#include <memory>
#include <stdexcept>
#include <string>

namespace {

using qv::bench::kCycles;
using qv::bench::kTacts;
using qv::bench::LargestTest;

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
    if (t.doc.ErrorCounts()[0] == 0)
        state.SkipWithError("the stuck contact made no errors");
}
BENCHMARK(BM_DecodeLargestTest)->Unit(benchmark::kMicrosecond);

} // namespace
