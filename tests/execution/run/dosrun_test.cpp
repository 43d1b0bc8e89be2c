// Compiled programs run on the simulated unit through the port, and the
// answers decoded back into the document.

#include "execution/compiler/dosdata.h"
#include "infra/notice.h"
#include "model/words/wordvalues.h"
#include "support/execution/unitfixture.h"
#include "support/model/docbuilder.h"

#include <condition_variable>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <mutex>
#include <unistd.h>

namespace qv::testing {
namespace {

namespace fs = std::filesystem;

struct RunOutcome
{
    int code = -1;
    std::vector<std::uint8_t> data;
    std::vector<std::vector<std::uint8_t>> asks;
    std::vector<std::vector<std::uint8_t>> infos;
    int progress = 0;
};

std::vector<std::uint8_t> ReadFile(const fs::path &path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Sends the data files and the program, answers the unit's questions with
// `answer` (1 go on, 0 stop) and waits for the result.
RunOutcome RunOnUnit(Portavo &port, Dosdata &dos, const std::vector<std::uint8_t> &image,
                     std::uint8_t answer = 1)
{
    EXPECT_EQ(port.Handshake(), PortOk);
    for (const fs::path &file : dos.DataFiles())
        EXPECT_EQ(port.SendFile(ReadFile(file), file.filename().string(), {}), PortOk);
    std::mutex mutex;
    std::condition_variable done;
    RunOutcome outcome;
    port.SetNotify([&](int code, std::uint32_t, std::span<const std::uint8_t> data) {
        std::lock_guard lock(mutex);
        const std::vector<std::uint8_t> bytes(data.begin(), data.end());
        if (code == 19) {
            outcome.asks.push_back(bytes);
            const std::uint8_t reply[] = {1, answer};
            port.Send(19, reply);
        } else if (code == 20) {
            outcome.infos.push_back(bytes);
            const std::uint8_t reply[] = {2};
            port.Send(20, reply);
        } else if (code == 26) {
            ++outcome.progress;
            const std::uint8_t reply[] = {'O', 'K'};
            port.Send(26, reply);
        } else if (code == 12 || code == 13) {
            outcome.code = code;
            outcome.data = bytes;
            done.notify_all();
        }
    });
    EXPECT_EQ(port.Send(12, image), PortOk);
    {
        std::unique_lock lock(mutex);
        done.wait_for(lock, std::chrono::seconds(10), [&] { return outcome.code >= 0; });
    }
    port.SetNotify(nullptr);
    port.Purge();
    return outcome;
}

std::vector<std::uint8_t> CompileOrFail(Dosdata &dos)
{
    std::vector<std::uint8_t> buffer(kProgramBufferSize);
    std::size_t position = 0;
    EXPECT_TRUE(dos.Compile(buffer, position)) << dos.FailureText();
    buffer.resize(position);
    return buffer;
}

class DemoRun : public ::testing::Test
{
protected:
    void SetUp() override
    {
        dir = fs::temp_directory_path() / ("qv-dosrun-" + std::to_string(getpid()));
        fs::remove_all(dir);
        fs::create_directories(dir);
        for (const auto &entry : fs::directory_iterator(QV_DEMO_DIR))
            fs::copy_file(entry.path(), dir / entry.path().filename());
        ASSERT_TRUE(d.doc.LoadFile((dir / "DEMO.QOR").string()));
    }
    void TearDown() override { fs::remove_all(dir); }

    fs::path dir;
    RecordedMessages messages;
    DocBuilder d;
};

TEST_F(DemoRun, TheGoldenBoardGivesNoErrorsInTheWordTestAndTheTestThatCallsIt)
{
    UnitUnderTest unit(Transport::InProcess, "[Board]\nTactTime=0\n");
    for (const int current : {0, 2}) {
        d.doc.SelectTest(current);
        Dosdata dos(d.doc, RunOptions{}, dir);
        dos.SetNotices(MessageBoxNotices());
        dos.SetPort(unit.port.get());
        const auto image = CompileOrFail(dos);
        const RunOutcome run = RunOnUnit(*unit.port, dos, image);
        ASSERT_EQ(run.code, 12);
        ASSERT_TRUE(dos.ProcessDosData(run.code, run.data)) << dos.FailureText();
        for (const int t : dos.RunList())
            EXPECT_EQ(d.doc.ErrorCounts()[static_cast<std::size_t>(t)], 0) << "test " << t + 1;
        EXPECT_EQ(d.doc.TotalErrors(), 0);
        const STest &test = *d.doc.Test(current);
        EXPECT_EQ(test.RunCounter1, test.Cycles);
        for (const char c : dos.ListsOf(current)->oWords) {
            const SWord *w = test.OWords.Find(static_cast<unsigned char>(c));
            EXPECT_EQ(CountValues(w->Run), test.Cycles);
        }
    }
    EXPECT_TRUE(messages.Shown().empty());
}

TEST_F(DemoRun, TheFunctionTestFetchesTheWrittenBlockIntoItsDataFile)
{
    UnitUnderTest unit(Transport::InProcess, "[Board]\nTactTime=0\n");
    d.doc.SelectTest(1);
    fs::remove(dir / "ram_dump.dat");
    Dosdata dos(d.doc, RunOptions{}, dir);
    dos.SetNotices(MessageBoxNotices());
    dos.SetPort(unit.port.get());
    const auto image = CompileOrFail(dos);
    const RunOutcome run = RunOnUnit(*unit.port, dos, image);
    ASSERT_EQ(run.code, 12);
    EXPECT_TRUE(run.asks.empty());
    EXPECT_FALSE(run.infos.empty());
    EXPECT_EQ(run.progress, 4);
    ASSERT_TRUE(dos.ProcessDosData(run.code, run.data)) << dos.FailureText();
    const STest &test = *d.doc.Test(1);
    for (const SFuncF &f : test.FFuncs) {
        EXPECT_FALSE(f.Error) << "F" << f.Number;
        EXPECT_EQ(f.Reached, f.AdrEnd) << "F" << f.Number;
    }
    const SFuncF &dump = *test.FFuncs.ByNumber(2);
    ASSERT_EQ(dump.Type, DirWriteFile);
    const auto written = ReadFile(dir / dump.FileName);
    ASSERT_GE(written.size(), 3u);
    EXPECT_EQ(written[1], 7);
    EXPECT_EQ(written[2], 14);
    EXPECT_TRUE(dump.Data.empty());
    // The compared block stays with its function for the data window.
    EXPECT_FALSE(test.FFuncs.ByNumber(3)->Data.empty());
    for (const SFuncM &m : test.MFuncs)
        EXPECT_FALSE(m.Error);
    for (const SProg &p : test.PFuncs)
        EXPECT_FALSE(p.Error);
}

TEST_F(DemoRun, AllTestsRunInOneProgramAndEachIsAnnounced)
{
    UnitUnderTest unit(Transport::InProcess, "[Board]\nTactTime=0\n");
    d.doc.SelectTest(-1);
    Dosdata dos(d.doc, RunOptions{}, dir);
    dos.SetNotices(MessageBoxNotices());
    dos.SetPort(unit.port.get());
    const auto image = CompileOrFail(dos);
    ASSERT_EQ(image[0], 0x40);
    const RunOutcome run = RunOnUnit(*unit.port, dos, image);
    ASSERT_EQ(run.code, 12);
    std::vector<int> announced;
    for (const auto &ask : run.asks) {
        ASSERT_EQ(ask.size(), 2u);
        EXPECT_EQ(ask[0], 5);
        announced.push_back(ask[1]);
    }
    EXPECT_EQ(announced, (std::vector<int>{1, 2, 3}));
    ASSERT_TRUE(dos.ProcessDosData(run.code, run.data)) << dos.FailureText();
    EXPECT_EQ(d.doc.ErrorCounts(), (std::vector<std::int32_t>{0, 0, 0}));
}

TEST_F(DemoRun, DebugModeRunsTheActiveCycleAndStoresOnlyItsValues)
{
    UnitUnderTest unit(Transport::InProcess, "[Board]\nTactTime=0\nStuckHigh=1\n");
    d.doc.SelectTest(0);
    STest &test = *d.doc.Test(0);
    test.ActiveCycle = 1;
    test.DebugFirst = 0;
    test.DebugLast = test.Tacts.TactCount() - 1;
    test.OWords.SetText(1, std::string(1, kNoValue) + "/" + kNoValue, ValueSet::Run);
    RunOptions options;
    options.debug = true;
    Dosdata dos(d.doc, options, dir);
    dos.SetNotices(MessageBoxNotices());
    const auto image = CompileOrFail(dos);
    const RunOutcome run = RunOnUnit(*unit.port, dos, image);
    ASSERT_EQ(run.code, 12);
    ASSERT_TRUE(dos.ProcessDosData(run.code, run.data)) << dos.FailureText();
    EXPECT_EQ(test.RunCounter1, 2);
    // Contact 1 carries bit 0 of the data bus: 170 reads 171 in cycle 2 only.
    EXPECT_EQ(test.OWords.Find(1)->Run, std::string(1, kNoValue) + "/171");
    EXPECT_GT(d.doc.ErrorCounts()[0], 0);
}

TEST_F(DemoRun, AMemoryFaultAsksAndANoStopsTheRun)
{
    UnitUnderTest unit(Transport::InProcess, "[Board]\nTactTime=0\nMemoryFault=300\n");
    d.doc.SelectTest(1);
    Dosdata dos(d.doc, RunOptions{}, dir);
    dos.SetNotices(MessageBoxNotices());
    dos.SetPort(unit.port.get());
    const auto image = CompileOrFail(dos);
    const RunOutcome run = RunOnUnit(*unit.port, dos, image, 0);
    ASSERT_EQ(run.asks.size(), 1u);
    const auto &ask = run.asks[0];
    const SFuncM &m = *d.doc.Test(1)->MFuncs.Records().begin();
    ASSERT_GE(ask.size(), 13u);
    EXPECT_EQ(ask[0], 2);
    EXPECT_EQ(ask[1], 2); // test number from 1
    EXPECT_EQ(ask[2], m.Number);
    EXPECT_EQ(ask[3] | (ask[4] << 8) | (ask[5] << 16), 300);
    EXPECT_EQ(ask[7], 1);  // the memory cell line follows
    EXPECT_EQ(ask[12], 1); // one output word entry
    EXPECT_EQ(ask.size(), 13u + 3u);
    EXPECT_EQ(run.code, 13);
    ASSERT_TRUE(dos.ProcessDosData(run.code, run.data)) << dos.FailureText();
    EXPECT_TRUE(d.doc.Test(1)->MFuncs.Records().begin()->Error);
    EXPECT_GT(d.doc.ErrorCounts()[1], 0);
}

TEST(DosRun, AStuckContactMakesErrorsExactlyInTheWordsOfItsBusInEveryCycle)
{
    RecordedMessages messages;
    DocBuilder d;
    d.AddBus({1, 2, 3, 4});
    d.AddBus({5, 6, 7, 8});
    STest &t = d.AddTest("-o-o-o-", "0102030", 3);
    d.AddWord(t.OWords, 1, "a", 0, 1, "15/15/15");
    d.AddWord(t.OWords, 2, "b", 1, 1, "15/15/15");
    d.AddWord(t.OWords, 3, "c", 0, 0, "0/0/0");
    for (const Transport transport : {Transport::InProcess, Transport::Tcp}) {
        UnitUnderTest unit(transport, "[Board]\nTactTime=0\nStuckLow=2\n");
        Dosdata dos(d.doc, RunOptions{}, {});
        dos.SetNotices(MessageBoxNotices());
        const auto image = CompileOrFail(dos);
        const RunOutcome run = RunOnUnit(*unit.port, dos, image);
        ASSERT_EQ(run.code, 12);
        ASSERT_TRUE(dos.ProcessDosData(run.code, run.data));
        EXPECT_EQ(d.doc.ErrorCounts()[0], 6);
        EXPECT_EQ(t.OWords.Find(1)->Run, "13/13/13");
        EXPECT_EQ(t.OWords.Find(2)->Run, "15/15/15");
        EXPECT_EQ(t.OWords.Find(3)->Run, "2/2/2");
    }
}

TEST(DosRun, ACancelledContinuousRunAnswersWithTheResultsSoFar)
{
    RecordedMessages messages;
    DocBuilder d;
    d.AddBus({1, 2, 3, 4});
    STest &t = d.AddTest("-o-o-", "01010", 2);
    d.AddWord(t.OWords, 1, "a", 0, 1, "1/2");
    UnitUnderTest unit(Transport::InProcess, "[Board]\nTactTime=1000\n");
    RunOptions options;
    options.continuous = true;
    Dosdata dos(d.doc, options, {});
    dos.SetNotices(MessageBoxNotices());
    const auto image = CompileOrFail(dos);
    std::mutex mutex;
    std::condition_variable done;
    int code = -1;
    std::vector<std::uint8_t> data;
    unit.port->SetNotify([&](int c, std::uint32_t, std::span<const std::uint8_t> bytes) {
        std::lock_guard lock(mutex);
        code = c;
        data.assign(bytes.begin(), bytes.end());
        done.notify_all();
    });
    ASSERT_EQ(unit.port->Handshake(), PortOk);
    ASSERT_EQ(unit.port->Send(12, image), PortOk);
    std::this_thread::sleep_for(std::chrono::milliseconds(30));
    ASSERT_EQ(unit.port->Send(13, {}), PortOk);
    {
        std::unique_lock lock(mutex);
        ASSERT_TRUE(done.wait_for(lock, std::chrono::seconds(5), [&] { return code >= 0; }));
    }
    unit.port->SetNotify(nullptr);
    EXPECT_EQ(code, 13);
    ASSERT_TRUE(dos.ProcessDosData(code, data));
    EXPECT_GE(t.RunCounter1, 1);
    EXPECT_EQ(d.doc.ErrorCounts()[0], 0);
}

TEST(DosRun, TheUnitRefusesAMalformedProgram)
{
    UnitUnderTest unit(Transport::InProcess);
    const std::uint8_t image[] = {0, 1, 4, 0x10};
    ASSERT_EQ(unit.port->Handshake(), PortOk);
    EXPECT_EQ(unit.port->Send(12, image), PortOk);
    EXPECT_EQ(unit.port->WaitAck(12, 1000), PortUnitError);
    EXPECT_NE(unit.port->GetError().find("Программа теста повреждена"), std::string::npos);
}

} // namespace
} // namespace qv::testing
