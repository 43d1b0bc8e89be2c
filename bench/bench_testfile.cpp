// Load and save of the largest legal test file (20 test blocks of about
// 64 KB of INI text each) against the raw crypto cost of the same bytes:
// SHA-256 of the file plus AES-CFB of the blocks. Run with
//   build/bench/bench_model --benchmark_repetitions=9 --benchmark_report_aggregates_only=true
// and compare the medians.

#include "infra/encoding.h"
#include "infra/mesbo.h"
#include "model/file/contactfile.h"
#include "model/file/container.h"
#include "model/file/scriptedfileui.h"
#include "model/file/testfile.h"
#include "model/io/bytesource.h"
#include "model/io/filestore.h"

#include <benchmark/benchmark.h>
#include <filesystem>
#include <fstream>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;
using namespace qv;

constexpr int kTests = 20;
constexpr std::size_t kBlockText = 64000;

// A test block of INI text about kBlockText bytes long, the way a large
// diagram looks: many numbered level lines.
std::string LargeTestText(int index)
{
    std::string text = Utf8ToCp1251("[MAIN]\r\nNAME=Тест " + std::to_string(index) +
                                    "\r\nCYCLE=4\r\nSTART=1\r\n[DIAGRAMM]\r\n");
    const std::string label = Utf8ToCp1251("Метка");
    for (int line = 1; text.size() < kBlockText - 200; ++line) {
        text += std::to_string(line);
        text += '=';
        text += std::to_string(line % 192); // stored contacts count from 0
        text += '\x07';
        text.append(96, line % 2 != 0 ? '1' : '0');
        text += '\x07';
        text += label;
        text += "\r\n";
    }
    return text;
}

// The files of the benchmark in a folder of their own.
class Fixture
{
public:
    Fixture()
        : m_dir(fs::temp_directory_path() / ("qv_bench_" + std::to_string(::getpid())))
    {
        fs::create_directories(m_dir);
        CryptoProvider crypto;
        ContactFileContent contacts;
        for (std::uint16_t n = 1; n <= 192; ++n) {
            std::string name = "K";
            name += std::to_string(n);
            contacts.records.push_back({n, name});
        }
        Write(m_dir / "BOARD.CNT", BuildContactFile(contacts, crypto));
        const std::string general = "[]\r\nCNT=BOARD.CNT\r\nSYS=16\r\nNTEST=20\r\n"
                                    "FCREATE=01.02.2024 10:20:30\r\nFVERSION=1.6\r\n";
        for (int i = 0; i < kTests; ++i) {
            m_tests.push_back(LargeTestText(i + 1));
        }
        TTyreAdr tyres;
        for (int bus = 0; bus < 12; ++bus) {
            tyres.Add(std::string(16, static_cast<char>(bus + 1)));
        }
        ContainerParts parts;
        parts.tyres = &tyres;
        parts.generalText = general;
        parts.testTexts = m_tests;
        m_image = BuildContainer(parts, crypto, 45000);
        Write(File(), m_image);
    }
    ~Fixture() { fs::remove_all(m_dir); }

    std::string File() const { return (m_dir / "BOARD.QOR").string(); }
    const std::string &Image() const { return m_image; }
    const std::vector<std::string> &Tests() const { return m_tests; }

private:
    static void Write(const fs::path &path, std::string_view bytes)
    {
        std::ofstream(path, std::ios::binary)
            .write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    }

    fs::path m_dir;
    std::string m_image;
    std::vector<std::string> m_tests;
};

Fixture &Files()
{
    static Fixture fixture;
    return fixture;
}

// The message-box service the model reports through, installed once.
ScriptedMesbo &Messages()
{
    static ScriptedMesbo *const messages = [] {
        auto service = std::make_unique<ScriptedMesbo>();
        ScriptedMesbo *installed = service.get();
        InstallMesbo(std::move(service));
        return installed;
    }();
    return *messages;
}

// Why an operation failed, for the benchmark's error line: the last
// message the model showed.
std::string Failure(const std::string &what)
{
    const auto shown = Messages().ShownMessages();
    return what + (shown.empty() ? std::string() : ": " + shown.back().text);
}

// The floor: what any reader or writer of these bytes must spend on crypto.
void RawCrypto(benchmark::State &state)
{
    CryptoProvider crypto;
    const std::string &image = Files().Image();
    std::vector<std::string> blocks = Files().Tests();
    const Bytes32 key{};
    for (auto _ : state) {
        Bytes32 digest{};
        DigestOfBytes(std::string_view(image).substr(0, image.size() - 32), crypto, digest);
        for (auto &block : blocks) {
            crypto.Decipher(block, key, kTestBlockIv);
        }
        benchmark::DoNotOptimize(digest);
        benchmark::DoNotOptimize(blocks.data());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * image.size()));
}
BENCHMARK(RawCrypto)->Unit(benchmark::kMillisecond);

struct Records
{
    Records()
        : file(ui)
    {
        file.Attach({&doc, &cnt, &txt});
    }
    SQor doc;
    SCnt cnt;
    STxt txt;
    ScriptedFileUi ui;
    TTestFile file;
};

void Load(benchmark::State &state)
{
    Records records;
    Messages().Clear();
    for (auto _ : state) {
        records.doc.FileName = Files().File();
        if (!records.file.Load()) {
            state.SkipWithError(Failure("load failed").c_str());
            break;
        }
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * Files().Image().size()));
}
BENCHMARK(Load)->Unit(benchmark::kMillisecond);

// Loads the large file and names a new one, so that a save writes the
// blocks it read (their diagram sections are the bulk of them).
bool LoadForSave(benchmark::State &state, SQor &doc, TTestFile &file, const std::string &savedName)
{
    Messages().Clear();
    doc.FileName = Files().File();
    if (!file.Load()) {
        state.SkipWithError(Failure("load failed").c_str());
        return false;
    }
    doc.FileName = (fs::path(Files().File()).parent_path() / savedName).string();
    return true;
}

// Saves in a loop; the bytes processed are those of the file written.
void SaveLoop(benchmark::State &state, SQor &doc, TTestFile &file)
{
    for (auto _ : state) {
        if (!file.Save(nullptr)) {
            state.SkipWithError(Failure("save failed").c_str());
            return;
        }
    }
    std::error_code error;
    const auto size = fs::file_size(doc.FileName, error);
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * (error ? 0 : size)));
}

void Save(benchmark::State &state)
{
    Records records;
    if (LoadForSave(state, records.doc, records.file, "SAVED.QOR"))
        SaveLoop(state, records.doc, records.file);
}
BENCHMARK(Save)->Unit(benchmark::kMillisecond);

// The same save without flushing to the disk, to show what the flush costs.
class UnflushedStore : public FileStore
{
protected:
    bool Flush(int) override { return true; }
};

void SaveWithoutFlush(benchmark::State &state)
{
    SQor doc;
    SCnt cnt;
    STxt txt;
    ScriptedFileUi ui;
    TTestFile file(ui, std::make_unique<UnflushedStore>());
    file.Attach({&doc, &cnt, &txt});
    if (LoadForSave(state, doc, file, "SAVED2.QOR"))
        SaveLoop(state, doc, file);
}
BENCHMARK(SaveWithoutFlush)->Unit(benchmark::kMillisecond);

} // namespace
