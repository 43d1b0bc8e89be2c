// A benchmark that always reports an error. Its ctest entry is expected to
// fail: it proves that the smoke entries catch a benchmark that errors.

#include <benchmark/benchmark.h>

namespace {

void AlwaysErrs(benchmark::State &state)
{
    for (auto _ : state) {
        state.SkipWithError("deliberate error of the smoke check");
        break;
    }
}
BENCHMARK(AlwaysErrs);

} // namespace
