// Load and save of a test file at every limit of the model (20 tests of 16
// cycles and 128 tacts, 192 level lines, 16 words and 16 functions of each
// kind) through the document, as the operator's Open and Save commands do,
// and beside them the raw crypto cost of the same bytes (the digest of the
// whole file and the cipher over every block text). Compare the medians:
//   build/bench/bench_document --benchmark_repetitions=9
//       --benchmark_report_aggregates_only=true

#include "infra/mesbo.h"
#include "maximalfile.h"
#include "model/document/documentobserver.h"
#include "model/document/quorvik.h"
#include "model/file/container.h"
#include "model/file/scriptedfileui.h"
#include "model/io/bytesource.h"

#include <benchmark/benchmark.h>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;

namespace {

// The generated file, written once per run into a folder of its own.
struct Fixture
{
    Fixture()
    {
        dir = fs::temp_directory_path() / ("qv-bench-document-" + std::to_string(getpid()));
        fs::create_directories(dir);
        file = qortool::MaximalTestFile("MAX.CNT");
        std::ofstream(dir / "MAX.QOR", std::ios::binary) << file.qor;
        std::ofstream(dir / "MAX.CNT", std::ios::binary) << file.cnt;
        qv::InstallMesbo(std::make_unique<qv::ScriptedMesbo>());

        qv::CryptoProvider crypto;
        std::vector<char> buffer(qv::kDigestChunkSize);
        qv::MemorySource source(file.qor);
        const auto content =
            qv::ReadContainer(source, crypto, buffer, [](const qv::Trailer &) { return ""; });
        blocks = content.testTexts;
        blocks.push_back(content.generalText);
    }
    ~Fixture() { fs::remove_all(dir); }

    std::string Path() const { return (dir / "MAX.QOR").string(); }

    fs::path dir;
    qortool::GeneratedFile file;
    std::vector<std::string> blocks; // the deciphered block texts
};

Fixture &Shared()
{
    static Fixture fixture;
    return fixture;
}

struct Document
{
    qv::ScriptedFileUi ui;
    qv::NullDocumentObserver observer;
    qv::TQuorvik document{observer, ui};
};

void LoadMaximalFile(benchmark::State &state)
{
    Fixture &fixture = Shared();
    Document doc;
    for (auto _ : state) {
        if (!doc.document.LoadFile(fixture.Path())) {
            state.SkipWithError("load failed");
            break;
        }
    }
    state.SetBytesProcessed(
        static_cast<std::int64_t>(state.iterations() * fixture.file.qor.size()));
}
BENCHMARK(LoadMaximalFile)->Unit(benchmark::kMillisecond);

void SaveMaximalFile(benchmark::State &state)
{
    Fixture &fixture = Shared();
    Document doc;
    if (!doc.document.LoadFile(fixture.Path())) {
        state.SkipWithError("load failed");
        return;
    }
    for (auto _ : state) {
        if (!doc.document.SaveFile()) {
            state.SkipWithError("save failed");
            break;
        }
    }
    state.SetBytesProcessed(
        static_cast<std::int64_t>(state.iterations() * fixture.file.qor.size()));
}
BENCHMARK(SaveMaximalFile)->Unit(benchmark::kMillisecond);

// What the crypto alone costs for the same bytes: the digest of the whole
// file and one cipher pass over every block text.
void CryptoOfMaximalFile(benchmark::State &state)
{
    Fixture &fixture = Shared();
    qv::CryptoProvider crypto;
    const qv::Bytes32 key{};
    std::vector<std::string> texts = fixture.blocks;
    for (auto _ : state) {
        qv::Bytes32 digest{};
        benchmark::DoNotOptimize(qv::DigestOfBytes(fixture.file.qor, crypto, digest));
        for (std::string &text : texts) {
            benchmark::DoNotOptimize(crypto.Decipher(text, key, qv::kTestBlockIv));
        }
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(
        static_cast<std::int64_t>(state.iterations() * fixture.file.qor.size()));
}
BENCHMARK(CryptoOfMaximalFile)->Unit(benchmark::kMillisecond);

} // namespace
