#include "execution/compiler/dosdata.h"
#include "infra/notice.h"
#include "model/words/wordvalues.h"
#include "support/execution/unitfixture.h"
#include "support/model/docbuilder.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <unistd.h>

namespace qv::testing {
namespace {

class RecordingObserver : public RunObserver
{
public:
    void TestDecoded(int testIndex, bool hasErrors) override
    {
        decoded.emplace_back(testIndex, hasErrors);
    }
    void ResultsShown(ResultStage stage) override { stages.push_back(stage); }
    void Receiving() override { ++receiving; }
    void StatusText(const std::string &text) override { texts.push_back(text); }

    std::vector<std::pair<int, bool>> decoded;
    std::vector<ResultStage> stages;
    int receiving = 0;
    std::vector<std::string> texts;
};

// "-i-o-G-oN-" over two cycles: o1 inverse on a 4-bit bus, o2 the word of a
// G-cycle with exit on condition closed by N (so it is not counted).
struct DecodeDoc : DocBuilder
{
    DecodeDoc()
    {
        AddBus({1, 2, 3, 4});
        STest &t = AddTest("-i-o-G-oN-", "0101010200", 2);
        AddWord(t.IWords, 1, "A", 0, 1, "5/6");
        AddWord(t.OWords, 1, "B", 0, 0, "3/4");
        AddWord(t.OWords, 2, "C", 0, 1, "7/7");
        AddWord(t.GWords, 1, "", 0, -20, "2");
        t.GWords.RebuildGRuns();
    }
    std::unique_ptr<Dosdata> Compiled(RunOptions options = {})
    {
        auto dos = std::make_unique<Dosdata>(doc, options, std::filesystem::path());
        dos->SetNotices(MessageBoxNotices());
        std::vector<std::uint8_t> buffer(kProgramBufferSize);
        std::size_t position = 0;
        EXPECT_TRUE(dos->Compile(buffer, position)) << dos->FailureText();
        return dos;
    }
};

TEST(DosdataDecode, CountsWrongWordsButNotTheWordsOfTheNList)
{
    DecodeDoc d;
    RecordedMessages messages;
    RecordingObserver observer;
    const auto owner = d.Compiled();
    Dosdata &dos = *owner;
    dos.SetObserver(&observer);
    ASSERT_EQ(dos.ListsOf(0)->nList, std::string(1, '\x02'));
    Bytes answer;
    answer.u8(2).u8(9);
    answer.u16(12).u16(12); // o1 reads 3, 3 (inverse): the second cycle is wrong
    answer.u16(1).u16(2);   // o2 reads 1, 2: wrong, but in the N list
    answer.u32(17).u32(18); // G-cycle passes
    ASSERT_TRUE(dos.ProcessDosData(12, answer.bytes)) << dos.FailureText();
    const STest &t = *d.doc.Test(0);
    EXPECT_EQ(d.doc.ErrorCounts()[0], 1);
    EXPECT_EQ(d.doc.TotalErrors(), 1);
    EXPECT_EQ(t.RunCounter1, 2);
    EXPECT_EQ(t.RunCounter2, 9);
    EXPECT_EQ(t.OWords.Find(1)->Run, "3/3");
    EXPECT_EQ(t.OWords.Find(2)->Run, "1/2");
    EXPECT_EQ(t.GWords.GRun(1), "17/18");
    EXPECT_EQ(observer.decoded, (std::vector<std::pair<int, bool>>{{0, true}}));
    EXPECT_EQ(observer.stages,
              (std::vector<ResultStage>{ResultStage::RepaintViews, ResultStage::RecountErrors}));
    EXPECT_TRUE(messages.Shown().empty());
}

TEST(DosdataDecode, RefusesAShortAnswerWithAClearMessage)
{
    DecodeDoc d;
    RecordedMessages messages;
    const auto owner = d.Compiled();
    Dosdata &dos = *owner;
    Bytes answer;
    answer.u8(2).u8(9).u16(12).u16(12).u16(1); // one value short
    EXPECT_FALSE(dos.ProcessDosData(12, answer.bytes));
    ASSERT_EQ(messages.Shown().size(), 1u);
    EXPECT_NE(messages.Shown()[0].text.find("короче ожидаемого"), std::string::npos);
    EXPECT_FALSE(dos.ProcessDosData(12, {}));
}

TEST(DosdataDecode, AnAnswerCutShortKeepsTheErrorsCountedBeforeItsEnd)
{
    DecodeDoc d;
    RecordedMessages messages;
    RecordingObserver observer;
    const auto owner = d.Compiled();
    Dosdata &dos = *owner;
    dos.SetObserver(&observer);
    d.doc.FitErrorCounts();
    d.doc.SetTestErrors(0, 5); // of an earlier run
    Bytes answer;
    answer.u8(2).u8(9).u16(12).u16(12).u16(1); // o1 wrong in cycle 2, then cut
    EXPECT_FALSE(dos.ProcessDosData(12, answer.bytes));
    EXPECT_EQ(d.doc.ErrorCounts()[0], 1);
    EXPECT_EQ(d.doc.TestRunFlags()[0], 0) << "the test is not marked as run";
    EXPECT_TRUE(observer.decoded.empty());
}

TEST(DosdataDecode, KeepsOnlyTheValuesBeforeTheStopPoint)
{
    DecodeDoc d;
    const auto owner = d.Compiled();
    Dosdata &dos = *owner;
    Bytes answer;
    // Stopped in cycle 1 at tact 5: o1 (column 3) was read in cycle 1, o2
    // (column 7) was not.
    answer.u8(1).u8(5).u16(12).u16(11).u16(7).u16(7).u32(1).u32(1);
    ASSERT_TRUE(dos.ProcessDosData(13, answer.bytes));
    const STest &t = *d.doc.Test(0);
    EXPECT_EQ(t.OWords.Find(1)->Run, "3" + std::string("/") + kNoValue);
    EXPECT_EQ(t.OWords.Find(2)->Run, std::string(1, kNoValue) + "/" + kNoValue);
}

TEST(DosdataDecode, StoresProbeCharactersChosenByTheThresholdBits)
{
    EXPECT_EQ(ProbeCharacter(0x03, false, 3), '-');
    EXPECT_EQ(ProbeCharacter(0x01, false, 3), '+');
    EXPECT_EQ(ProbeCharacter(0x00, false, 3), '_');
    EXPECT_EQ(ProbeCharacter(0x02, false, 3), '0');
    EXPECT_EQ(ProbeCharacter(0x0C, false, 12), '-');
    EXPECT_EQ(ProbeCharacter(0x04, false, 12), '+');
    EXPECT_EQ(ProbeCharacter(0x03, false, 12), '_');
    EXPECT_EQ(ProbeCharacter(0x04, false, 5), '0');
    EXPECT_EQ(ProbeCharacter(0x05, false, 5), '-');
    EXPECT_EQ(ProbeCharacter(0x01, false, 7), '+'); // not two bits: taken as 3
    EXPECT_EQ(ProbeCharacter('*', true, 3), '*');   // a type-1 unit sends characters

    DocBuilder d;
    d.AddTest("---", "000", 2).ActiveCycle = 1;
    RunOptions options;
    options.probe = true;
    options.dosUnit = false;
    Dosdata dos(d.doc, options, {});
    dos.SetNotices(MessageBoxNotices());
    std::vector<std::uint8_t> buffer(kProgramBufferSize);
    std::size_t position = 0;
    ASSERT_TRUE(dos.Compile(buffer, position));
    Bytes answer;
    answer.u8(2).u8(2).u8(3).u8(0).u8(1);
    ASSERT_TRUE(dos.ProcessDosData(12, answer.bytes));
    const STest &t = *d.doc.Test(0);
    ASSERT_EQ(t.Probes.size(), 2u);
    ASSERT_FALSE(t.Probes[1].empty());
    EXPECT_EQ(t.Probes[1][0].Measured, "-_+");
}

TEST(DosdataDecode, StoresFunctionResultsAndTheFetchList)
{
    DocBuilder d;
    d.AddBus({1, 2, 3, 4, 5, 6, 7, 8});
    STest &t = d.AddTest("-FR-MW-PW-", "0100100100", 1);
    d.AddWord(t.IWords, 1, "adr", 0, 1, "0");
    d.AddWord(t.IWords, 2, "hi", 0, 1, "0");
    d.AddWord(t.IWords, 3, "dat", 0, 1, "0");
    d.AddWord(t.OWords, 1, "rd", 0, 1, "0");
    t.FFuncs.Add(1);
    SFuncF f = *t.FFuncs.ByNumber(1);
    f.Type = DirWriteFile;
    f.AdrWord = 1;
    f.DatWord = 1001;
    f.AdrEnd = 255;
    f.AdrInc = 1;
    f.FileName = "dump.dat";
    t.FFuncs.Replace(f);
    t.MFuncs.Add(1);
    SFuncM m = *t.MFuncs.ByNumber(1);
    m.AdrWrite = 1;
    m.AdrWrite2 = 2;
    m.DatWrite = 3;
    m.AdrRead = 1;
    m.AdrRead2 = 2;
    m.DatRead = 1;
    m.Alg = 0b000101;
    t.MFuncs.Replace(m);
    t.PFuncs.Add(1);
    SProg p = *t.PFuncs.ByNumber(1);
    p.AdrWriteKind = 'i';
    p.AdrWrite = 1;
    p.DatWrite = 3;
    p.AdrReadKind = 'i';
    p.AdrRead = 1;
    p.DatRead = 1;
    p.AdrInc = 1;
    p.FileName = "prom.dat";
    t.PFuncs.Replace(p);
    const auto dir =
        std::filesystem::temp_directory_path() / ("qv_dec_" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir);
    std::ofstream(dir / "prom.dat") << "x";
    RecordedMessages messages;
    Dosdata dos(d.doc, RunOptions{}, dir);
    dos.SetNotices(MessageBoxNotices());
    std::vector<std::uint8_t> buffer(kProgramBufferSize);
    std::size_t position = 0;
    ASSERT_TRUE(dos.Compile(buffer, position))
        << dos.FailureText() << (messages.Shown().empty() ? "" : messages.Shown()[0].text);
    Bytes answer;
    answer.u8(1).u8(9);
    answer.u32(0xAA000080).u8(1);                                        // F1: address 128, error
    answer.u16(0x34).u16(0x34).u16(0x12).u16(0x12).u16(9).u16(9).u16(8); // M1 words
    answer.u8(1).u8(0);                                                  // M1 algorithms 0 and 2
    answer.u8(0).u16(5).u16(5).u16(6).u16(6);                            // P1 failed
    // No port: a run followed from a station without the unit; nothing is
    // fetched, and what the answer said stands.
    EXPECT_TRUE(dos.ProcessDosData(12, answer.bytes));
    EXPECT_EQ(dos.FetchList(), std::string("F\x01\x01", 3));
    const SFuncF &rf = *t.FFuncs.ByNumber(1);
    EXPECT_EQ(rf.Reached, 128);
    EXPECT_TRUE(rf.Error);
    const SFuncM &rm = *t.MFuncs.ByNumber(1);
    EXPECT_TRUE(rm.Error);
    EXPECT_EQ(rm.Status, (std::array<std::uint8_t, 6>{1, 2, 0, 2, 2, 2}));
    EXPECT_EQ(rm.WritePos, (0x12 << 8) | 0x34);
    EXPECT_EQ(rm.ReadPos, (0x12 << 8) | 0x34);
    const SProg &rp = *t.PFuncs.ByNumber(1);
    EXPECT_TRUE(rp.Error);
    EXPECT_EQ(t.IWords.Find(1)->Data, "5");
    EXPECT_EQ(t.OWords.Find(1)->Data, "6");
    // P's read-back is the word's run value too, so the difference the
    // M-function left (9 against 8) is taken off again.
    EXPECT_EQ(t.OWords.Find(1)->Run, "6");
    // F error, M error, P error
    EXPECT_EQ(d.doc.ErrorCounts()[0], 3);
    std::filesystem::remove_all(dir);
}

} // namespace
} // namespace qv::testing
