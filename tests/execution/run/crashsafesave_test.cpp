// Saves that are killed part-way: a child process does the save and is
// killed with SIGKILL at every system call from the creation of the
// temporary file on; after each kill the file must be the old one byte for
// byte or the new one whole. And a save into a file system that is full
// keeps the old file and says so.

#include "execution/desk/settingsstore.h"
#include "infra/messages.h"
#include "infra/notice.h"
#include "model/document/quorvik.h"
#include "model/file/contactfile.h"
#include "model/file/container.h"
#include "model/file/scriptedfileui.h"
#include "model/file/testfile.h"
#include "model/io/bytesource.h"
#include "model/io/filestore.h"
#include "support/common/killpoints.h"
#include "support/common/tempdir.h"
#include "support/execution/unitfixture.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <gtest/gtest.h>
#include <string_view>
#include <sys/mount.h>
#include <vector>

namespace qv::testing {
namespace {

// The file after every kill point of one save.
struct KillSweep
{
    int killed = 0;           // kill points run
    int oldSeen = 0;          // kills that left the old bytes
    int newSeen = 0;          // kills that left the new file whole
    std::vector<long> broken; // kill points that left anything else
};

// Kill points: each of the first 40 system calls after the mark (a save
// takes about a dozen), then 10 spread over the rest (a run goes on long
// after its save).
std::vector<long> KillPoints(long calls)
{
    constexpr long kEach = 40;
    constexpr long kSpread = 10;
    std::vector<long> points;
    for (long k = 0; k < std::min(calls, kEach); ++k)
        points.push_back(k);
    for (long k = kEach; k < calls; k += std::max(1L, (calls - kEach) / kSpread))
        points.push_back(k);
    return points;
}

// Runs the save whole once (it must finish and produce a new file), then
// kills it at every kill point with the old file restored before each.
KillSweep SweepKills(const std::function<void()> &save, const std::filesystem::path &file,
                     const std::string &marker,
                     const std::function<bool(const std::string &)> &isNewWhole)
{
    KillSweep sweep;
    const std::string old = ReadBytes(file);
    const KillPointRun whole = RunKilledAt(save, marker, -1);
    EXPECT_TRUE(whole.started && whole.marked && whole.finished)
        << "the save did not run to its end under the tracer";
    EXPECT_TRUE(isNewWhole(ReadBytes(file))) << "an unkilled save did not write the new file";
    for (const long point : KillPoints(whole.callsAfterMark)) {
        WriteBytes(file, old);
        const KillPointRun run = RunKilledAt(save, marker, point);
        if (!run.killed)
            continue;
        ++sweep.killed;
        const std::string bytes = ReadBytes(file);
        if (bytes == old)
            ++sweep.oldSeen;
        else if (isNewWhole(bytes))
            ++sweep.newSeen;
        else
            sweep.broken.push_back(point);
    }
    WriteBytes(file, old);
    return sweep;
}

void ExpectOnlyWholeFiles(const KillSweep &sweep)
{
    EXPECT_TRUE(sweep.broken.empty()) << sweep.broken.size() << " kill points left a broken file";
    // The kills fell before and after the rename, so both outcomes showed.
    EXPECT_GE(sweep.killed, 8);
    EXPECT_GT(sweep.oldSeen, 0);
    EXPECT_GT(sweep.newSeen, 0);
}

// No temporary file of a save is left once a save ran to its end.
void ExpectNoTemporaryFiles(const std::filesystem::path &folder)
{
    for (const auto &entry : std::filesystem::directory_iterator(folder))
        EXPECT_EQ(entry.path().filename().string().find(".tmp"), std::string::npos) << entry.path();
}

// This process's environment with the leak check at exit off: in a build
// with the leak checker it stops the process's threads with ptrace, which
// fails under the tracer of the kill points and fails the exit with it.
std::vector<std::string> EnvironmentWithoutLeakCheck()
{
    std::vector<std::string> environment;
    for (char **entry = environ; *entry != nullptr; ++entry) {
        if (std::string_view(*entry).starts_with("LSAN_OPTIONS="))
            continue;
        environment.emplace_back(*entry);
    }
    environment.emplace_back("LSAN_OPTIONS=detect_leaks=0");
    return environment;
}

class CrashSafeSave : public ::testing::Test
{
protected:
    void SetUp() override
    {
        for (const auto &entry : std::filesystem::directory_iterator(QV_DEMO_DIR))
            std::filesystem::copy_file(entry.path(), dir.Path() / entry.path().filename());
        demo = dir.File("DEMO.QOR");
    }

    // A document of the demo board, loaded as the program loads it.
    struct Opened
    {
        ScriptedFileUi ui;
        NullDocumentObserver observer;
        TQuorvik doc{observer, ui};
    };
    std::unique_ptr<Opened> Open() const
    {
        auto opened = std::make_unique<Opened>();
        if (!opened->doc.LoadFile(demo))
            return nullptr;
        return opened;
    }

    RecordedMessages messages;
    TempDir dir;
    std::string demo;
};

TEST_F(CrashSafeSave, AKilledTestFileSaveLeavesTheOldFileOrTheNewOneWhole)
{
    auto opened = Open();
    ASSERT_NE(opened, nullptr);
    opened->doc.Doc().FTitle = "Сохранено целиком";
    const auto isNewWhole = [this](const std::string &) {
        const auto again = Open();
        return again && again->doc.Doc().FTitle == "Сохранено целиком";
    };
    const KillSweep sweep =
        SweepKills([&] { opened->doc.SaveFile(); }, demo, "DEMO.QOR.tmp", isNewWhole);
    ExpectOnlyWholeFiles(sweep);
    opened->doc.SaveFile();
    ExpectNoTemporaryFiles(dir.Path());
}

TEST_F(CrashSafeSave, AKilledCommentOrContactFileSaveLeavesTheOldFileOrTheNewOneWhole)
{
    auto opened = Open();
    ASSERT_NE(opened, nullptr);
    ASSERT_TRUE(opened->doc.TestFile()->ReadComments());
    opened->doc.Txt().Comments[1] = "Новый комментарий к тесту";
    const auto commentsRead = [this](const std::string &) {
        const auto again = Open();
        return again && again->doc.TestFile()->ReadComments() &&
               again->doc.Txt().Comments[1] == "Новый комментарий к тесту";
    };
    ExpectOnlyWholeFiles(SweepKills([&] { opened->doc.TestFile()->WriteComments(); },
                                    dir.Path() / "DEMO.TXT", "DEMO.TXT.tmp", commentsRead));

    // The contact file as qortool cnt-pack writes it.
    CryptoProvider crypto;
    std::vector<char> buffer(kDigestChunkSize);
    const std::string oldBytes = ReadBytes(dir.Path() / "DEMO.CNT");
    MemorySource oldSource(oldBytes);
    ContactFileContent content = ReadContactFile(oldSource, crypto, buffer);
    content.records.push_back({192, "NEW"});
    const std::string fresh = BuildContactFile(content, crypto);
    const std::string cnt = dir.File("DEMO.CNT");
    ExpectOnlyWholeFiles(SweepKills([&] { FileStore().Replace(cnt, fresh); }, cnt, "DEMO.CNT.tmp",
                                    [&](const std::string &bytes) { return bytes == fresh; }));
    ExpectNoTemporaryFiles(dir.Path());
}

TEST_F(CrashSafeSave, AKilledSettingsSaveLeavesEachSettingsFileOldOrNewWhole)
{
    const std::string cfg = dir.File("quorvik.cfg");
    const std::string ini = dir.File("quorvik.ini");
    {
        SettingsStore first(cfg, ini);
        first.SetNotices(MessageBoxNotices());
        first.Load(nullptr, false);
        first.Settings().StartDirectory = "/старый";
        ASSERT_TRUE(first.Save(nullptr));
    }
    SettingsStore store(cfg, ini);
    store.SetNotices(MessageBoxNotices());
    store.Load(nullptr, false);
    store.Settings().StartDirectory = "/новый";
    const auto isNewWhole = [&](const std::string &) {
        SettingsStore again(cfg, ini);
        again.SetNotices(MessageBoxNotices());
        return again.Load(nullptr, false) && again.Settings().StartDirectory == "/новый";
    };
    ExpectOnlyWholeFiles(
        SweepKills([&] { store.Save(nullptr); }, cfg, "quorvik.cfg.tmp", isNewWhole));
    ExpectNoTemporaryFiles(dir.Path());
}

TEST_F(CrashSafeSave, AKilledRunLeavesTheDataFileItWritesOldOrNewWhole)
{
    const std::filesystem::path data = dir.Path() / "ram_dump.dat";
    const std::string folder = dir.Path().string();
    const std::string qortool = QV_QORTOOL_PATH;
    const std::vector<std::string> environment = EnvironmentWithoutLeakCheck();
    std::vector<const char *> envp;
    for (const std::string &entry : environment)
        envp.push_back(entry.c_str());
    envp.push_back(nullptr);
    const auto run = [&] {
        if (::chdir(folder.c_str()) != 0)
            ::_exit(3);
        const int quiet = ::open("/dev/null", O_WRONLY);
        ::dup2(quiet, STDOUT_FILENO);
        ::dup2(quiet, STDERR_FILENO);
        const char *argv[] = {qortool.c_str(), "run",     "DEMO.QOR", "--test", "2",
                              "--yes",         "--quiet", nullptr};
        ::execve(qortool.c_str(), const_cast<char *const *>(argv),
                 const_cast<char *const *>(envp.data()));
        ::_exit(4);
    };
    // The new file is what the simulated unit reads back, as the whole run
    // before the kills leaves it.
    const std::string old = ReadBytes(data);
    std::string fresh;
    const auto isNewWhole = [&](const std::string &bytes) {
        if (fresh.empty())
            fresh = bytes;
        return bytes == fresh && bytes != old;
    };
    ExpectOnlyWholeFiles(SweepKills(run, data, "ram_dump.dat.tmp", isNewWhole));
}

// A small file system of its own, filled up; unmounted at the end.
class FullFileSystem
{
public:
    explicit FullFileSystem(const std::filesystem::path &where)
        : m_where(where)
    {
        std::filesystem::create_directories(where);
        if (::mount("quorvik-full", where.c_str(), "tmpfs", 0, "size=64k") != 0) {
            m_problem = std::strerror(errno);
            return;
        }
        m_mounted = true;
    }
    ~FullFileSystem()
    {
        if (m_mounted)
            ::umount2(m_where.c_str(), MNT_DETACH);
    }
    FullFileSystem(const FullFileSystem &) = delete;
    FullFileSystem &operator=(const FullFileSystem &) = delete;

    bool Mounted() const { return m_mounted; }
    const std::string &Problem() const { return m_problem; }
    // Takes every free byte.
    void Fill() const { WriteBytes(m_where / "filler", std::string(1 << 20, 'f')); }

private:
    std::filesystem::path m_where;
    bool m_mounted = false;
    std::string m_problem;
};

TEST_F(CrashSafeSave, ASaveIntoAFullFileSystemKeepsTheOldFilesAndSaysWhy)
{
    FullFileSystem full(dir.Path() / "full");
    if (!full.Mounted())
        GTEST_SKIP() << "no tmpfs can be mounted here (" << full.Problem()
                     << "); the injected write failure is covered by ContainerSaving and "
                        "DeskSession tests";
    const std::filesystem::path folder = dir.Path() / "full";
    for (const char *name : {"DEMO.QOR", "DEMO.CNT", "DEMO.TXT"})
        std::filesystem::copy_file(dir.Path() / name, folder / name);
    demo = (folder / "DEMO.QOR").string();
    auto opened = Open();
    ASSERT_NE(opened, nullptr);
    const std::string cfg = (folder / "quorvik.cfg").string();
    {
        SettingsStore first(cfg, (folder / "quorvik.ini").string());
        first.SetNotices(MessageBoxNotices());
        first.Load(nullptr, false);
        ASSERT_TRUE(first.Save(nullptr));
    }
    const std::string oldTest = ReadBytes(demo);
    const std::string oldCfg = ReadBytes(cfg);
    full.Fill();

    opened->doc.Doc().FTitle = "не поместится";
    EXPECT_FALSE(opened->doc.SaveFile());
    EXPECT_EQ(ReadBytes(demo), oldTest);
    EXPECT_EQ(opened->ui.LogLines(),
              std::vector<std::string>{"Не удалось записать данные в файл. " + Msg(18)});

    SettingsStore store(cfg, (folder / "quorvik.ini").string());

    store.SetNotices(MessageBoxNotices());
    store.Load(nullptr, false);
    store.Settings().StartDirectory = "/не поместится";
    EXPECT_FALSE(store.Save(nullptr));
    EXPECT_EQ(ReadBytes(cfg), oldCfg);
    ASSERT_FALSE(messages.Shown().empty());
    EXPECT_NE(messages.Shown().back().text.find("Прежний файл настроек оставлен без изменений"),
              std::string::npos);
    ExpectNoTemporaryFiles(folder);
}

} // namespace
} // namespace qv::testing
