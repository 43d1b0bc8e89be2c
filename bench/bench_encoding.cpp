// Cost of the code-page boundary for a test-file-sized block of Russian text.
#include "infra/encoding.h"

#include <benchmark/benchmark.h>
#include <string>

namespace {

std::string RussianBlock(std::size_t size)
{
    std::string text;
    while (text.size() < size)
        text += "Тест №1 проверки шины данных; слово=12/30/7\r\n";
    return text;
}

void Utf8ToCp1251Block(benchmark::State &state)
{
    const std::string text = RussianBlock(64 * 1024);
    for (auto _ : state)
        benchmark::DoNotOptimize(qv::Utf8ToCp1251(text));
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * text.size()));
}
BENCHMARK(Utf8ToCp1251Block);

void Cp1251ToUtf8Block(benchmark::State &state)
{
    const std::string bytes = qv::Utf8ToCp1251(RussianBlock(64 * 1024));
    for (auto _ : state)
        benchmark::DoNotOptimize(qv::Cp1251ToUtf8(bytes));
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * bytes.size()));
}
BENCHMARK(Cp1251ToUtf8Block);

} // namespace
