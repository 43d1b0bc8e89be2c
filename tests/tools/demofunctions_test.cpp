// The functions of the demo board as the document loads them: every kind,
// the words they link, the oscillogram reference beside the file, and what
// the run reset and leaving debug mode do to them.

#include "builddirs.h"
#include "bytedump.h"
#include "dumpformat.h"
#include "infra/mesbo.h"
#include "model/document/documentobserver.h"
#include "model/document/quorvik.h"
#include "model/file/scriptedfileui.h"
#include "model/file/testfile.h"
#include "model/functions/funcaddress.h"
#include "model/test/funclinks.h"
#include "support/common/tempdir.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <sstream>
#include <unistd.h>

namespace fs = std::filesystem;

namespace qv {
namespace {

using testing::BinaryDir;
using testing::ReadBytes;
using testing::SourceDir;

class DemoFunctions : public ::testing::Test
{
protected:
    void SetUp() override
    {
        dir = fs::temp_directory_path() / ("qv-demofuncs-" + std::to_string(getpid()));
        fs::remove_all(dir);
        fs::create_directories(dir);
        for (const auto &entry : fs::directory_iterator(BinaryDir() / "examples" / "demo"))
            fs::copy_file(entry.path(), dir / entry.path().filename());
        auto box = std::make_unique<ScriptedMesbo>();
        shown = box.get();
        previous = InstallMesbo(std::move(box));
        document = std::make_unique<TQuorvik>(observer, ui);
    }
    void TearDown() override
    {
        document.reset();
        InstallMesbo(std::move(previous));
        fs::remove_all(dir);
    }

    STest &Memory() { return *document->Test(1); }

    fs::path dir;
    ScriptedMesbo *shown = nullptr;
    std::unique_ptr<TMesbo> previous;
    ScriptedFileUi ui;
    NullDocumentObserver observer;
    std::unique_ptr<TQuorvik> document;
};

TEST_F(DemoFunctions, EveryKindLoadsWithItsWordLinks)
{
    ASSERT_TRUE(document->LoadFile((dir / "DEMO.QOR").string()));
    EXPECT_EQ(shown->Count(), 0u) << shown->ShownMessages()[0].text;
    const STest &test = Memory();
    ASSERT_EQ(test.FFuncs.Count(), 3);
    EXPECT_EQ(test.FFuncs.TypeName(1), "FR");
    EXPECT_EQ(test.FFuncs.TypeName(2), "FW");
    EXPECT_EQ(test.FFuncs.TypeName(3), "FC");
    // The F-functions mark the shared address word first; the M-function,
    // loaded after them, leaves its own mark.
    EXPECT_EQ(test.IWords.FuncLinkOf(1), (1 << 24) | 2);
    EXPECT_EQ(test.IWords.FuncLinkOf(2), (1 << 24) | 4);
    EXPECT_EQ(test.IWords.FuncLinkOf(3), 32);

    const SFuncM &m = *test.MFuncs.ByNumber(1);
    EXPECT_EQ(WriteAddressText(m), "i1 (L) / i2 (H)");
    EXPECT_TRUE(CheckAddressRange(m.AdrEnd, WriteAddressText(m), test, document->Doc().Tyres));
    EXPECT_FALSE(CheckAddressRange(m.AdrEnd + 1, WriteAddressText(m), test, document->Doc().Tyres));

    const SFuncV &v = *test.VFuncs.ByNumber(1);
    ASSERT_NE(v.Reference[0], nullptr);
    EXPECT_EQ((*v.Reference[0])[300], 0xC0);
    EXPECT_EQ(v.Reference[1], nullptr);
    EXPECT_NE(v.Info.find("\r\n"), std::string::npos);
    EXPECT_EQ(test.SFuncs.ByNumber(1)->Speed, 9600);
    EXPECT_EQ(test.PFuncs.ByNumber(1)->Alg, ProgProm0);
}

TEST_F(DemoFunctions, TheDataFilesLieBesideTheTestFile)
{
    ASSERT_TRUE(document->LoadFile((dir / "DEMO.QOR").string()));
    const STest &test = Memory();
    for (const SFuncF &f : test.FFuncs) {
        const fs::path file = DataFilePath(document->Doc().FileName, f.FileName);
        ASSERT_TRUE(fs::exists(file)) << file;
        const auto elements = fs::file_size(file);
        EXPECT_EQ(elements, static_cast<std::uintmax_t>(f.AdrEnd - f.AdrStart + 1)) << f.Name;
    }
    EXPECT_TRUE(fs::exists(DataFilePath(document->Doc().FileName, test.PFuncs.At(0)->FileName)));
    EXPECT_TRUE(fs::exists(DataFilePath(document->Doc().FileName, test.SFuncs.At(0)->FileName)));
}

TEST_F(DemoFunctions, WithoutItsOscillogramFileTheBoardLoadsAndSaysSoOnce)
{
    fs::remove(dir / "DEMO.sco");
    ASSERT_TRUE(document->LoadFile((dir / "DEMO.QOR").string()));
    ASSERT_EQ(shown->Count(), 1u);
    EXPECT_EQ(shown->ShownMessages()[0].text,
              "Не удалось загрузить файл \"DEMO.sco\"\r\nОсциллограммы для V-функции будут "
              "пропущены");
    EXPECT_EQ(Memory().VFuncs.ByNumber(1)->Reference[0], nullptr);
}

TEST_F(DemoFunctions, ResetAndLeavingDebugModeForgetRunsAndEditedRanges)
{
    ASSERT_TRUE(document->LoadFile((dir / "DEMO.QOR").string()));
    document->SelectTest(1);
    document->SetDebugMode(true);
    SFuncM &m = *Memory().MFuncs.ByNumber(1);
    m.AdrEnd = 100;
    m.Status[2] = 1;
    Memory().FFuncs.SetReached(2, 7);
    Memory().FFuncs.SetData(2, {1, 2});
    document->SetDebugMode(false);
    EXPECT_EQ(m.AdrEnd, 4095);
    EXPECT_EQ(m.Status[2], kAlgorithmNotRun);
    EXPECT_EQ(Memory().FFuncs.ByNumber(2)->Reached, -1);
    EXPECT_TRUE(Memory().FFuncs.GetData(2).empty());
}

TEST_F(DemoFunctions, SavingWithVDataRewritesTheOscillogramsFaithfully)
{
    ASSERT_TRUE(document->LoadFile((dir / "DEMO.QOR").string()));
    const std::string before = ReadBytes(dir / "DEMO.sco");
    SSaveParam param;
    param.Kinds = SSaveParam::KindVData;
    param.FileName = "DEMO.QOR";
    ASSERT_TRUE(document->TestFile()->Save(&param));
    EXPECT_EQ(ReadBytes(dir / "DEMO.sco"), before);
}

TEST(DemoCompanions, ThePackedOscillogramFileHoldsTheTextRecords)
{
    const auto records =
        qortool::ParseScoDump(ReadBytes(SourceDir() / "examples" / "demo" / "DEMO.qorsco"));
    std::vector<SScoRecord> packed;
    ASSERT_EQ(ParseScoBytes(ReadBytes(BinaryDir() / "examples" / "demo" / "DEMO.sco"), packed),
              ScoReadError::None);
    ASSERT_EQ(packed.size(), records.size());
    EXPECT_EQ(packed[0].name, records[0].name);
    EXPECT_EQ(packed[0].samples, records[0].samples);
    EXPECT_EQ(packed[0].params, (ScoParams{6, 2, 2, 0, 4}));
    EXPECT_EQ(qortool::ParseScoDump(qortool::FormatScoDump(packed))[0].samples, records[0].samples);
}

TEST(DemoCompanions, DataDumpsSpellBytesAndRunsAndRefuseAnythingElse)
{
    EXPECT_EQ(qortool::ParseDatDump("# head comment\nQORDAT 1\n00 1f\n# x\nFF*3\n"),
              std::string("\x00\x1F\xFF\xFF\xFF", 5));
    EXPECT_EQ(qortool::FormatDatDump(std::string("\x01\x02\x02\x02\x02", 5)),
              "QORDAT 1\n01 02*4\n");
    EXPECT_THROW(qortool::ParseDatDump("QORDAT 1\n0\n"), qortool::DumpError);
    EXPECT_THROW(qortool::ParseDatDump("QORDAT 1\n00*0\n"), qortool::DumpError);
    EXPECT_THROW(qortool::ParseDatDump("00 01\n"), qortool::DumpError);
    EXPECT_THROW(qortool::ParseScoDump("QORSCO 1\nRECORD T1_v1_ц1 PARAMS 6 2 2 0 4\n00*999\n"),
                 qortool::DumpError);
    EXPECT_THROW(qortool::ParseScoDump("QORSCO 1\n00*1000\n"), qortool::DumpError);
}

} // namespace
} // namespace qv
