#include "infra/encoding.h"
#include "model/document/quorvik.h"
#include "model/file/testfile.h"
#include "support/model/testfiles.h"

#include <gtest/gtest.h>
#include <map>

namespace qv {
namespace {

using testing::BoardFixture;
using testing::ContainerPlan;
using testing::WriteBytes;

// Records what the document tells the windows.
class RecordingObserver : public NullDocumentObserver
{
public:
    void FileOpened(const SQor &doc) override { opened.push_back(doc.NTest); }
    void LoadFailed() override { ++loadFailures; }
    void FileClosed() override { ++closes; }
    void ContactFileChanged(const std::string &path) override { contactFile = path; }
    void TitleChanged(const std::string &name) override { title = name; }
    void ModeChanged(DocumentMode mode, bool on) override { modes.emplace_back(mode, on); }
    void StatusChanged(StatusField field, const std::string &text, bool alert) override
    {
        status[field] = {text, alert};
    }
    void TestSelected(int index) override { selected.push_back(index); }
    void SelectionRefused(int current) override { refused.push_back(current); }

    std::vector<int> opened;
    int loadFailures = 0;
    int closes = 0;
    std::string contactFile;
    std::string title;
    std::vector<std::pair<DocumentMode, bool>> modes;
    std::map<StatusField, std::pair<std::string, bool>> status;
    std::vector<int> selected;
    std::vector<int> refused;
};

class Document : public BoardFixture
{
protected:
    void WriteBoard(int tests, const std::string &name = "BOARD.QOR")
    {
        ContainerPlan plan;
        plan.general = testing::GeneralText(tests);
        for (int i = 0; i < tests; ++i) {
            plan.tests.push_back(testing::TestText("Тест " + std::to_string(i + 1), 3, 1));
        }
        WriteBytes(Qor(name), testing::MakeContainer(plan));
    }

    RecordingObserver observer;
    ScriptedFileUi ui;
    TQuorvik doc{observer, ui};
};

TEST_F(Document, StartsWithNoFileAndTheInitialSettings)
{
    EXPECT_EQ(doc.AdapterContacts(), 192);
    EXPECT_EQ(doc.Doc().Sys, 16);
    EXPECT_EQ(doc.CurrentTest(), 0);
    EXPECT_FALSE(doc.DebugMode() || doc.ProbeMode() || doc.CyclesMode() || doc.SolidTest());
    EXPECT_EQ(doc.Display().Sizes, (std::array<std::int32_t, 7>{5, 16, 16, 16, 0xFFFF, 16, 8}));
    ASSERT_NE(doc.TestFile(), nullptr) << "the container is created with the document";
}

TEST_F(Document, LoadingAFileFillsTheModelAndReadsTheComments)
{
    WriteBoard(3);
    WriteBytes(dir.File("BOARD.TXT"), Utf8ToCp1251("************************* КОММЕНТАРИЙ К "
                                                   "ТЕСТУ №02 *************************\r\nо "
                                                   "втором\r\n" +
                                                   std::string(75, '*') + "\r\n"));
    ASSERT_TRUE(doc.LoadFile(Qor()));
    EXPECT_EQ(doc.Doc().NTest, 3);
    EXPECT_EQ(doc.Test(2)->Name, "Тест 3");
    EXPECT_EQ(doc.Test(3), nullptr);
    EXPECT_EQ(doc.ErrorCounts(), (std::vector<std::int32_t>{0, 0, 0}));
    EXPECT_EQ(doc.Cnt().Names[1], "K2");
    EXPECT_EQ(doc.Txt().Comments[2], "о втором");
    EXPECT_EQ(doc.CommentMarks(), std::string("\x03", 1));
    EXPECT_EQ(observer.opened, std::vector<int>{3});
    EXPECT_EQ(observer.contactFile, dir.File("BOARD.CNT"));
}

TEST_F(Document, AFailedLoadLeavesTheDocumentClosed)
{
    WriteBoard(3);
    ASSERT_TRUE(doc.LoadFile(Qor()));
    doc.Doc().Sys = 8;
    EXPECT_FALSE(doc.LoadFile(Qor("NONE.QOR")));
    EXPECT_EQ(observer.loadFailures, 1);
    EXPECT_EQ(doc.Doc().NTest, 0);
    EXPECT_EQ(doc.Doc().Sys, 16);
    EXPECT_EQ(doc.Doc().FileName, "");
    EXPECT_EQ(doc.Cnt().FileName, "");
    EXPECT_EQ(doc.Cnt().Names[0], "");
    EXPECT_EQ(doc.Test(0), nullptr);
    EXPECT_TRUE(doc.ErrorCounts().empty());
}

TEST_F(Document, CloseReturnsToTheNoFileState)
{
    WriteBoard(2);
    ASSERT_TRUE(doc.LoadFile(Qor()));
    doc.SelectTest(1);
    doc.SetTotalErrors(4);
    doc.MarkTestRun(0, 2);
    doc.SetSolidTest(true);
    doc.Close();
    EXPECT_EQ(doc.Doc().Sys, 16);
    EXPECT_EQ(doc.Doc().NTest, 0);
    EXPECT_EQ(doc.Doc().FCreate, 0);
    EXPECT_EQ(doc.CurrentTest(), 0);
    EXPECT_EQ(doc.TotalErrors(), 0);
    EXPECT_EQ(doc.TestRunFlags()[0], 0);
    EXPECT_FALSE(doc.SolidTest());
    EXPECT_EQ(doc.Doc().Tyres.Count(), 0);
    for (const auto &name : doc.Cnt().Names) {
        EXPECT_EQ(name, "");
    }
    EXPECT_EQ(observer.closes, 1);
}

TEST_F(Document, DebugModeNeedsASingleCurrentTest)
{
    WriteBoard(3);
    ASSERT_TRUE(doc.LoadFile(Qor()));
    doc.SelectTest(-1);
    doc.SetDebugMode(true);
    EXPECT_FALSE(doc.DebugMode());
    ASSERT_EQ(Box().Count(), 1u);
    EXPECT_EQ(Box().ShownMessages()[0].text,
              "В режиме отладки можно работать только с одним тестом");
    EXPECT_EQ(observer.modes.back(), std::make_pair(DocumentMode::Debug, false));

    doc.SelectTest(1);
    doc.SetDebugMode(true);
    EXPECT_TRUE(doc.DebugMode());
    EXPECT_TRUE(doc.ProbeMode()) << "probe and cycles modes follow debug mode";
    EXPECT_TRUE(doc.CyclesMode());
    EXPECT_EQ(observer.status[StatusField::DebugCycle].first, " 1");
    doc.SetDebugMode(false);
    EXPECT_FALSE(doc.ProbeMode() || doc.CyclesMode());
}

TEST_F(Document, TheActiveCycleBelongsToTheCurrentTest)
{
    WriteBoard(2);
    ASSERT_TRUE(doc.LoadFile(Qor()));
    doc.SelectTest(1);
    doc.SetActiveCycle(2);
    EXPECT_EQ(doc.GetActiveCycle(), 2);
    EXPECT_EQ(doc.Test(1)->ActiveCycle, 2);
    EXPECT_EQ(doc.Test(0)->ActiveCycle, 0);
    doc.SelectTest(-1);
    doc.SetActiveCycle(1);
    EXPECT_EQ(doc.GetActiveCycle(), 0);
    EXPECT_EQ(doc.Test(1)->ActiveCycle, 2);
    EXPECT_FALSE(doc.SelectTest(7)) << "no such test";
    EXPECT_EQ(doc.CurrentTest(), -1);
    doc.Close();
    EXPECT_EQ(doc.GetActiveCycle(), 0) << "absent test";
}

TEST_F(Document, SelectingATestRefreshesTheStatusAndTellsEachObserverOnce)
{
    WriteBoard(3);
    ASSERT_TRUE(doc.LoadFile(Qor()));
    RecordingObserver second;
    doc.AddObserver(second);
    doc.SetErrorCounts({0, 2, 0});
    doc.SetTotalErrors(2);
    EXPECT_TRUE(doc.SelectTest(1));
    EXPECT_EQ(doc.CurrentTest(), 1);
    for (const RecordingObserver *told : {&observer, &second}) {
        EXPECT_EQ(told->selected, std::vector<int>{1});
        EXPECT_TRUE(told->refused.empty());
    }
    EXPECT_EQ(second.status.at(StatusField::Errors), std::make_pair(std::string("2 (2)"), true));
    EXPECT_EQ(second.status.at(StatusField::DebugCycle).first, " 1");

    second.status.clear();
    EXPECT_TRUE(doc.SelectTest(-1));
    EXPECT_EQ(second.status.count(StatusField::DebugCycle), 0u) << "all tests have no cycle";
    EXPECT_EQ(second.status.at(StatusField::Errors), std::make_pair(std::string("2"), false));
    EXPECT_EQ(second.selected, (std::vector<int>{1, -1}));

    doc.RemoveObserver(second);
    EXPECT_TRUE(doc.SelectTest(0));
    EXPECT_EQ(second.selected.size(), 2u) << "a removed observer hears nothing more";
    EXPECT_EQ(observer.selected, (std::vector<int>{1, -1, 0}));
}

TEST_F(Document, ASelectionOutsideTheFileOrOfAllTestsInDebugModeIsRefused)
{
    EXPECT_FALSE(doc.SelectTest(0)) << "no file open";
    WriteBoard(3);
    ASSERT_TRUE(doc.LoadFile(Qor()));
    ASSERT_TRUE(doc.SelectTest(2));
    EXPECT_FALSE(doc.SelectTest(3));
    EXPECT_FALSE(doc.SelectTest(-2));
    EXPECT_EQ(doc.CurrentTest(), 2);

    doc.SetDebugMode(true);
    const std::size_t shown = Box().Count();
    EXPECT_FALSE(doc.SelectTest(-1));
    EXPECT_EQ(doc.CurrentTest(), 2);
    ASSERT_EQ(Box().Count(), shown + 1);
    EXPECT_EQ(Box().ShownMessages().back().text,
              "В режиме отладки можно работать только с одним тестом");
    EXPECT_EQ(observer.refused, (std::vector<int>{0, 2, 2, 2}));
    EXPECT_EQ(observer.selected, std::vector<int>{2});
}

TEST_F(Document, RunResultsOfATestOutsideTheCountsAreIgnored)
{
    WriteBoard(2);
    ASSERT_TRUE(doc.LoadFile(Qor()));
    doc.SetTestErrors(1, 5);
    doc.SetTestErrors(2, 7);
    doc.SetTestErrors(-1, 7);
    EXPECT_EQ(doc.ErrorCounts(), (std::vector<std::int32_t>{0, 5}));
    doc.MarkTestRun(kMaxTests - 1, 3);
    doc.MarkTestRun(kMaxTests, 1);
    doc.MarkTestRun(-1, 1);
    std::array<std::int32_t, kMaxTests> flags{};
    flags[kMaxTests - 1] = 3;
    EXPECT_EQ(doc.TestRunFlags(), flags);

    doc.SetErrorCounts({4});
    doc.FitErrorCounts();
    EXPECT_EQ(doc.ErrorCounts(), (std::vector<std::int32_t>{4, 0})) << "one count per test";
}

TEST_F(Document, AStoredModeFlagChangesNothingBeside)
{
    WriteBoard(2);
    ASSERT_TRUE(doc.LoadFile(Qor()));
    doc.Test(0)->DebugLast = 1;
    doc.MarkTestRun(0, 1);
    const std::size_t told = observer.modes.size();
    doc.StoreModeFlag(DocumentMode::Debug, true);
    EXPECT_TRUE(doc.DebugMode());
    EXPECT_FALSE(doc.ProbeMode() || doc.CyclesMode());
    EXPECT_EQ(doc.Test(0)->DebugLast, 1) << "the range stays as it was set";
    EXPECT_EQ(doc.TestRunFlags()[0], 1) << "the results stay";
    EXPECT_EQ(observer.modes.size(), told);
    doc.StoreModeFlag(DocumentMode::FullTable, true);
    EXPECT_TRUE(doc.FullTable());
}

TEST_F(Document, ADisplaySwitchOutsideTheBlockIsIgnored)
{
    SDisplaySettings display = doc.Display();
    doc.SetDisplaySwitch(3, 1);
    display.Switches[3] = 1;
    EXPECT_EQ(doc.Display().Switches, display.Switches);
    doc.SetDisplaySwitch(display.Switches.size(), 1);
    EXPECT_EQ(doc.Display().Switches, display.Switches);
}

TEST_F(Document, TheErrorCountStatusShowsTheCurrentTestAndTheTotal)
{
    WriteBoard(2);
    ASSERT_TRUE(doc.LoadFile(Qor()));
    doc.SetErrorCounts({3, 0});
    doc.SetTotalErrors(3);
    doc.SelectTest(0);
    doc.UpdateStatus(TQuorvik::StatusUpdate::ErrorCounts);
    EXPECT_EQ(observer.status[StatusField::Errors], std::make_pair(std::string("3 (3)"), true));
    doc.SelectTest(1);
    doc.UpdateStatus(TQuorvik::StatusUpdate::ErrorCounts);
    EXPECT_EQ(observer.status[StatusField::Errors], std::make_pair(std::string("0 (3)"), false));
    doc.SelectTest(-1);
    doc.UpdateStatus(TQuorvik::StatusUpdate::ErrorCounts);
    EXPECT_EQ(observer.status[StatusField::Errors], std::make_pair(std::string("3"), false));
    doc.ResetRunResults();
    EXPECT_EQ(observer.status[StatusField::Errors].first, "0");
}

TEST_F(Document, NumbersAreShownAndParsedInTheFilesBase)
{
    doc.Doc().Sys = 8;
    EXPECT_EQ(doc.NumberText(8), "10");
    EXPECT_EQ(doc.ParseNumber("17"), 15u);
    EXPECT_EQ(doc.ParseNumber("8"), std::nullopt);
    doc.Doc().Sys = 16;
    EXPECT_EQ(doc.NumberText(255), "FF");
    EXPECT_EQ(doc.ParseNumber("ff"), 255u);
    doc.Doc().Sys = 0;
    EXPECT_EQ(doc.NumberText(255), "");
    EXPECT_EQ(doc.ParseNumber("10"), 16u) << "any other base parses as hexadecimal";
}

TEST_F(Document, SavingBuildsTheSaveParametersAndFollowsTheNewName)
{
    WriteBoard(2);
    ASSERT_TRUE(doc.LoadFile(Qor()));
    doc.SelectTest(1);
    doc.SetActiveCycle(1);
    ScriptedFileUi::SaveChoice choice;
    choice.fileName = "RENAMED.QOR";
    ui.SetSaveChoice(choice);
    ASSERT_TRUE(doc.SaveFile());
    EXPECT_EQ(doc.Doc().FileName, dir.File("RENAMED.QOR"));
    EXPECT_EQ(observer.title, dir.File("RENAMED.QOR"));
    TQuorvik reread(observer, ui);
    ASSERT_TRUE(reread.LoadFile(dir.File("RENAMED.QOR")));
    EXPECT_EQ(reread.Test(1)->Name, "Тест 2");
}

TEST_F(Document, SystemOperationsOfTheModel)
{
    EXPECT_EQ(TQuorvik::PendingWarning(), "no warning");
    WriteBoard(1);
    ASSERT_TRUE(doc.LoadFile(Qor()));
    doc.Txt().Comments[1] = "комментарий";
    EXPECT_TRUE(doc.WriteComments());
    EXPECT_TRUE(std::filesystem::exists(dir.File("BOARD.TXT")));
    doc.CreateTestFile();
    ASSERT_NE(doc.TestFile(), nullptr);
    EXPECT_TRUE(doc.TestFile()->Log().empty());
}

} // namespace
} // namespace qv
