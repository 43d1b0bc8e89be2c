// The document over a file at every limit of the model: what a load, the
// debug and probe modes and a reset of run results do to its tests.

#include "infra/mesbo.h"
#include "maximalfile.h"
#include "model/core/modelfailure.h"
#include "model/document/documentobserver.h"
#include "model/document/quorvik.h"
#include "model/document/structurecheck.h"
#include "model/file/scriptedfileui.h"
#include "model/file/testfile.h"
#include "model/words/wordvalues.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace qv {
namespace {

class MaximalDocument : public ::testing::Test
{
protected:
    void SetUp() override
    {
        dir = fs::temp_directory_path() / ("qv-document-" + std::to_string(getpid()));
        fs::create_directories(dir);
        const auto file = qortool::MaximalTestFile("MAX.CNT");
        std::ofstream(dir / "MAX.QOR", std::ios::binary) << file.qor;
        std::ofstream(dir / "MAX.CNT", std::ios::binary) << file.cnt;
        previous = InstallMesbo(std::make_unique<ScriptedMesbo>());
        document = std::make_unique<TQuorvik>(observer, ui);
        ASSERT_TRUE(document->LoadFile((dir / "MAX.QOR").string()));
    }
    void TearDown() override
    {
        document.reset();
        InstallMesbo(std::move(previous));
        fs::remove_all(dir);
    }

    STest &test(int index) { return *document->Test(index); }

    fs::path dir;
    std::unique_ptr<TMesbo> previous;
    ScriptedFileUi ui;
    NullDocumentObserver observer;
    std::unique_ptr<TQuorvik> document;
};

TEST_F(MaximalDocument, ALoadChecksTheStructureOfTheCurrentTest)
{
    EXPECT_EQ(document->TactCount(), qortool::kMaximalTacts);
    EXPECT_FALSE(document->DiagramNotes().empty());
    EXPECT_EQ(document->DiagramNotes(), document->StructureNotes(0));
    EXPECT_EQ(document->DiagramNotes().rfind("Такт №", 0), 0u);
    EXPECT_EQ(document->StructureNotes(qortool::kMaximalTests), "");
}

TEST_F(MaximalDocument, DebugModeCoversEveryTactAndBringsTheDefaultProbes)
{
    document->SetDebugMode(true);
    ASSERT_TRUE(document->DebugMode());
    EXPECT_TRUE(document->ProbeMode());
    EXPECT_TRUE(document->CyclesMode());
    for (int i = 0; i < qortool::kMaximalTests; ++i) {
        EXPECT_EQ(test(i).DebugFirst, 0);
        EXPECT_EQ(test(i).DebugLast, qortool::kMaximalTacts - 1);
        ASSERT_EQ(test(i).Probes.size(), static_cast<std::size_t>(qortool::kMaximalCycles));
        // Every cycle of the file has two probe entries after the default one.
        EXPECT_EQ(test(i).ProbeCount(15), 3);
    }

    // All tests: debug mode is refused.
    document->SetDebugMode(false);
    document->SelectTest(-1);
    document->SetDebugMode(true);
    EXPECT_FALSE(document->DebugMode());
}

TEST_F(MaximalDocument, ProbeModeGivesEmptyCyclesTheirDefaultProbe)
{
    test(1).Probes[4].clear();
    document->SetProbeMode(true);
    ASSERT_EQ(test(1).ProbeCount(4), 1);
    EXPECT_EQ(test(1).Probes[4][0], DefaultProbe(qortool::kMaximalTacts));
}

TEST_F(MaximalDocument, ResettingRunResultsRestoresTheCurrentTestsWordRuns)
{
    ASSERT_TRUE(test(0).IWords.SetValueAt(2, 0, 1, ValueSet::Run));
    ASSERT_TRUE(test(1).IWords.SetValueAt(2, 0, 1, ValueSet::Run));
    test(0).RunCounter1 = 5;
    document->MarkTestRun(0, 1);
    document->ResetRunResults();
    EXPECT_EQ(test(0).IWords.Find(2)->Run, test(0).IWords.Find(2)->Data);
    EXPECT_NE(test(1).IWords.Find(2)->Run, test(1).IWords.Find(2)->Data); // not current
    EXPECT_EQ(test(0).RunCounter1, 0);
    EXPECT_EQ(document->TestRunFlags()[0], 0);
    // The constant word repeats its value for every cycle.
    EXPECT_EQ(test(0).IWords.Find(1)->Run, RepeatValue("5", qortool::kMaximalCycles));
}

TEST_F(MaximalDocument, MasksAndValueChecksUseTheBusesOfTheFile)
{
    std::uint16_t out = 0;
    // i2 is inverse (CODE 0) on a 16-contact bus, i1 direct.
    EXPECT_EQ(document->WordMask('i', 2, 0, &out), 0xFFFF);
    EXPECT_EQ(out, 0xFFFF);
    EXPECT_EQ(document->WordMask('i', 1, 0), 0);
    EXPECT_THROW(document->WordMask('f', 1, 0), InternalError);
    EXPECT_EQ(document->ValueFitsWord(65535, 2), -1);
    EXPECT_EQ(document->ValueFitsWord(65536, 1002), 13);
    document->SelectTest(-1);
    EXPECT_EQ(document->ValueFitsWord(65536, 1002), -1);
}

TEST_F(MaximalDocument, OnlyASaveWithParametersTakesReadBackValuesAsReferences)
{
    const std::string reference = test(0).OWords.Find(1)->Data;
    const std::string readBack = RepeatValue("7", qortool::kMaximalCycles);
    ASSERT_TRUE(test(0).OWords.SetText(1, readBack, ValueSet::Run));
    ASSERT_TRUE(document->TestFile()->Save(nullptr));
    ASSERT_TRUE(document->LoadFile((dir / "MAX.QOR").string()));
    EXPECT_EQ(test(0).OWords.Find(1)->Data, reference);

    // The operator's save keeps the active test's active cycle (the save
    // choice's default): only cycle 1 takes the read-back value.
    ASSERT_TRUE(test(0).OWords.SetText(1, readBack, ValueSet::Run));
    ASSERT_TRUE(document->SaveFile());
    ASSERT_TRUE(document->LoadFile((dir / "MAX.QOR").string()));
    EXPECT_EQ(test(0).OWords.Find(1)->Data, *WithValueAt(reference, 0, "7", false));
}

} // namespace
} // namespace qv
