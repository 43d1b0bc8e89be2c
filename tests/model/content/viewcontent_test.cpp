// What the diagram and the table show of a test, read back from the grids
// the document fills.

#include "model/content/diagramcontent.h"
#include "model/content/maddresses.h"
#include "model/content/tablecontent.h"
#include "model/document/quorvik.h"
#include "model/file/scriptedfileui.h"
#include "model/words/tyreadr.h"

#include <gtest/gtest.h>
#include <memory>

namespace qv {
namespace {

SWord &AddWord(TWord &list, int id, std::string name, std::string data, int tyre = 0, int code = 1)
{
    list.Add(id);
    SWord &word = *list.Find(id);
    word.Name = std::move(name);
    word.Tyre = tyre;
    word.Code = code;
    word.Data = std::move(data);
    word.Run = ReferenceRun(word, 8);
    return word;
}

// The texts of one table row, columns 0..6.
std::vector<std::string> Row(const TextGrid &grid, int row)
{
    std::vector<std::string> cells;
    for (int c = 0; c < grid.ColCount(); ++c)
        cells.push_back(grid.Cell(c, row));
    return cells;
}

std::vector<std::string> InputNames(const TextGrid &grid)
{
    std::vector<std::string> names;
    for (int row = 1; row < grid.RowCount(); ++row)
        names.push_back(grid.Cell(ColInputName, row));
    return names;
}

class TableContent : public ::testing::Test
{
protected:
    TableContent()
    {
        doc.Tyres.Add(std::string("\x01\x02\x03\x04\x05\x06\x07\x08", 8));
        test.Cycles = 1;
        test.StartTact = 1;
    }

    std::vector<std::int32_t> Fill()
    {
        TableSource source;
        source.doc = &doc;
        source.test = &test;
        source.debugMode = debug;
        source.fullTable = full;
        source.runFlag = runFlag;
        source.waitsAsTimes = waitsAsTimes;
        return FillTable(source, grid);
    }

    SQor doc;
    STest test;
    TextGrid grid;
    bool debug = false;
    bool full = false;
    std::int32_t runFlag = 0;
    bool waitsAsTimes = true;
};

TEST(DiagramContent, HeaderLinesAndBottomRowComeFromTheTactArray)
{
    STest test;
    test.StartTact = 3;
    test.Tacts.D1 = "i-MWRWo";
    test.Tacts.D2 = "1000001";
    test.Tacts.AddLine();
    test.Tacts.SetLine(0, TLine{16, "Чтение", "--__-_x"});
    SCnt cnt;
    cnt.Names[16] = "RD";
    TextGrid grid;

    const DiagramLayout layout = FillDiagram(&test, cnt, false, grid);

    EXPECT_EQ(grid.ColCount(), 130);
    EXPECT_EQ(grid.RowCount(), 4);
    EXPECT_EQ(layout.tactCount, 7);
    EXPECT_EQ(layout.firstProbeRow, 3);
    EXPECT_EQ(layout.bottomRow, 3);
    std::string kinds, numbers, levels;
    for (int c = 2; c < 9; ++c) {
        kinds += grid.Cell(c, 0);
        numbers += grid.Cell(c, 1);
        levels += grid.Cell(c, 2);
    }
    EXPECT_EQ(kinds, "i-MWRWo");
    // W and R between M and the next R show M; the W after that R does not.
    EXPECT_EQ(numbers, "100MM01");
    EXPECT_EQ(levels, "--__-_x");
    EXPECT_EQ(grid.Cell(0, 2), "RD");
    EXPECT_EQ(grid.Cell(1, 2), "Чтение");
    EXPECT_EQ(grid.Cell(0, 3), "Начальный такт 3");
    EXPECT_EQ(grid.Cell(9, 0), "");
    EXPECT_EQ(grid.Cell(129, 2), "");
}

TEST(DiagramContent, ProbeRowsOfTheActiveCycleAppearOnlyInProbeMode)
{
    STest test;
    test.Cycles = 2;
    test.Tacts.D1 = "---";
    test.Tacts.D2 = "000";
    test.Tacts.AddLine();
    test.Probes = {{DefaultProbe(3)}, {DefaultProbe(3), SZond{"U5", "xxx", "-_-", false, 3}}};
    test.ActiveCycle = 1;
    SCnt cnt;
    TextGrid grid;

    DiagramLayout layout = FillDiagram(&test, cnt, false, grid);
    EXPECT_EQ(grid.RowCount(), 4);
    EXPECT_EQ(layout.probeCount, 0);

    layout = FillDiagram(&test, cnt, true, grid);
    EXPECT_EQ(grid.RowCount(), 6);
    EXPECT_EQ(layout.firstProbeRow, 3);
    EXPECT_TRUE(layout.IsProbeRow(4));
    EXPECT_FALSE(layout.IsProbeRow(5));
    EXPECT_EQ(grid.Cell(0, 3), "Зонд");
    EXPECT_EQ(grid.Cell(0, 4), "U5");
    EXPECT_EQ(grid.Cell(0, 5), "Начальный такт 0");
}

TEST(DiagramContent, NoTestGivesAnEmptyGridOfTheMinimalSize)
{
    TextGrid grid;
    grid.Resize(3, 3);
    grid.SetCell(0, 0, "old");
    const DiagramLayout layout = FillDiagram(nullptr, SCnt{}, true, grid);
    EXPECT_EQ(grid.ColCount(), 130);
    EXPECT_EQ(grid.RowCount(), 3);
    EXPECT_EQ(grid.Cell(0, 0), "");
    EXPECT_EQ(layout.tactCount, 0);
}

// The states of a tact array's header cells, left to right.
std::vector<TactState> States(const TextGrid &grid, int count)
{
    std::vector<TactState> states;
    for (int c = kDiagramFirstTactCol; c < kDiagramFirstTactCol + count; ++c) {
        EXPECT_EQ(grid.Mark(c, 1), grid.Mark(c, 0)) << "both header rows of column " << c;
        states.push_back(TactStateAt(grid, c));
    }
    return states;
}

TEST(DiagramContent, HeaderStatesFollowTheTactKindAndTheLastRun)
{
    STest test;
    test.Cycles = 2;
    test.Tacts.D1 = "ooo-G-N-FWT";
    test.Tacts.D2 = "12301000102";
    AddWord(test.OWords, 1, "Верное", "5/6").Run = "5/6";
    AddWord(test.OWords, 2, "Неверное", "5/6").Run = "5/7";
    AddWord(test.OWords, 3, "Не прочитано", "5/6").Run = "\xFF/\xFF";
    AddWord(test.GWords, 1, "До совпадения", "1", 0, -20);
    test.FFuncs.Add(1);
    test.FFuncs.ByNumber(1)->Type = DirWriteFile;
    for (int id = 1; id <= 3; ++id)
        test.OWords.Compare(id, false, false, 0);
    SCnt cnt;
    TextGrid grid;
    FillDiagram(&test, cnt, false, grid);

    // Before a run the words are not checked; the G takes its N's state.
    MarkTactStates(test.Tacts, &test, {}, grid);
    using S = TactState;
    EXPECT_EQ(States(grid, 11),
              (std::vector<S>{S::Output, S::Output, S::Output, S::None, S::CycleGN, S::None,
                              S::CycleGN, S::None, S::FunctionFW, S::FunctionFW, S::CalledTest}));

    // After it, each word by its check; a function in error and a called
    // test with errors show so.
    test.FFuncs.ByNumber(1)->Error = true;
    const std::vector<std::int32_t> counts{0, 4};
    MarkTactStates(test.Tacts, &test, {true, counts}, grid);
    const auto after = States(grid, 11);
    EXPECT_EQ(after[0], S::OutputCorrect);
    EXPECT_EQ(after[1], S::OutputWrong);
    EXPECT_EQ(after[2], S::OutputUnchecked);
    EXPECT_EQ(after[8], S::FunctionFailed);
    EXPECT_EQ(after[10], S::CalledTestFailed);
    EXPECT_EQ(TactStateAt(grid, kDiagramFirstTactCol + 11), S::None) << "beyond the tacts";

    // A sample without a test: by the letters alone.
    MarkTactStates(test.Tacts, nullptr, {true, counts}, grid);
    EXPECT_EQ(States(grid, 11)[1], S::Output);
    EXPECT_EQ(States(grid, 11)[4], S::CycleGL);
}

TEST(DiagramContent, ReadLevelsMarkOnlyTheLinesOfBitsReadWrongInTheActiveCycle)
{
    // Bus 0 carries contacts 3, 4, 5 (bits 0..2); lines show contacts 3 and
    // 5 (stored from 0) and contact 9, which is on no bus.
    TTyreAdr tyres;
    tyres.Add(std::string("\x03\x04\x05", 3));
    STest test;
    test.Cycles = 2;
    test.Tacts.D1 = "-oo-";
    test.Tacts.D2 = "0120";
    for (const auto &[contact, levels] : {std::pair{2, "____"}, {4, "----"}, {8, "____"}}) {
        test.Tacts.AddLine();
        test.Tacts.SetLine(static_cast<int>(test.Tacts.Lines().size()) - 1,
                           TLine{contact, "", levels});
    }
    AddWord(test.OWords, 1, "Прямое", "1/0").Run = "1/5";          // cycle 2: bits 0, 2 read 1
    AddWord(test.OWords, 2, "Инверсное", "7/7", 0, 0).Run = "7/3"; // cycle 2: bit 2 read 0
    SCnt cnt;
    TextGrid grid;
    FillDiagram(&test, cnt, false, grid);
    MarkTactStates(test.Tacts, &test, {}, grid);
    const auto read = [&](int tact, int line) {
        return ReadLevelAt(grid, kDiagramFirstTactCol + tact, kDiagramFirstLineRow + line);
    };

    MarkReadLevels(test, tyres, 0, grid);
    for (int tact = 0; tact < 4; ++tact)
        for (int line = 0; line < 3; ++line)
            EXPECT_EQ(read(tact, line), ReadLevel::AsExpected) << "cycle 1 read as expected";

    MarkReadLevels(test, tyres, 1, grid);
    EXPECT_EQ(read(1, 0), ReadLevel::ReadHigh);
    EXPECT_EQ(read(1, 1), ReadLevel::ReadHigh);
    EXPECT_EQ(read(1, 2), ReadLevel::AsExpected) << "contact 9 is not on the bus";
    // An inverse word's 0 is a high contact.
    EXPECT_EQ(read(2, 0), ReadLevel::AsExpected);
    EXPECT_EQ(read(2, 1), ReadLevel::ReadHigh);
    EXPECT_EQ(read(0, 0), ReadLevel::AsExpected) << "a '-' tact reads nothing";
    EXPECT_EQ(TactStateAt(grid, kDiagramFirstTactCol + 1), TactState::Output)
        << "the header marks stay";

    // A word not read in a cycle, or on a bus the file lacks, marks nothing.
    FillDiagram(&test, cnt, false, grid);
    test.OWords.Find(1)->Run = "1/\xFF";
    test.OWords.Find(2)->Tyre = 7;
    MarkReadLevels(test, tyres, 1, grid);
    for (int line = 0; line < 3; ++line) {
        EXPECT_EQ(read(1, line), ReadLevel::AsExpected);
        EXPECT_EQ(read(2, line), ReadLevel::AsExpected);
    }
}

TEST(CycleTacts, LaterCyclesStartAtTheStartTactExceptInDebugMode)
{
    STest test;
    test.Tacts.D1 = "iiiii";
    test.StartTact = 3;
    EXPECT_EQ(CycleTacts(test, 0, false), std::make_pair(0, 4));
    EXPECT_EQ(CycleTacts(test, 1, false), std::make_pair(2, 4));
    EXPECT_EQ(CycleTacts(test, 1, true), std::make_pair(0, 4));
}

TEST_F(TableContent, SecondCycleListsOnlyTheTactsFromTheStartTact)
{
    test.Cycles = 2;
    test.StartTact = 3;
    test.Tacts.D1 = "iiiii";
    test.Tacts.D2 = "12345";
    for (int id = 1; id <= 5; ++id)
        AddWord(test.IWords, id, "w" + std::to_string(id), "1/2");

    const auto rows = Fill();

    EXPECT_EQ(rows, (std::vector<std::int32_t>{1, 6}));
    EXPECT_EQ(grid.RowCount(), 9);
    EXPECT_EQ(grid.Cell(ColInputName, 6), "i3 w3");
    EXPECT_EQ(grid.Cell(ColCycle, 8), "2");

    debug = true;
    EXPECT_EQ(Fill(), (std::vector<std::int32_t>{1, 6}));
    EXPECT_EQ(grid.RowCount(), 11);
    EXPECT_EQ(grid.Cell(ColInputName, 6), "i1 w1");
}

TEST_F(TableContent, PairedFormPutsBothSidesSideBySideAndStartsEachCycleOnANewRow)
{
    test.Cycles = 2;
    test.Tacts.D1 = "iogi-i";
    test.Tacts.D2 = "111230";
    AddWord(test.IWords, 1, "Данные", "1/2");
    AddWord(test.IWords, 2, "Адрес", "3/4");
    AddWord(test.IWords, 3, "", "7"); // constant: left out of the paired form
    AddWord(test.OWords, 1, "Чтение", "5/6");
    AddWord(test.GWords, 1, "Пауза", "10/20", 0, -1);

    const auto rows = Fill();

    ASSERT_EQ(rows, (std::vector<std::int32_t>{1, 4}));
    EXPECT_EQ(Row(grid, 0),
              (std::vector<std::string>{"цикл", "слова i, g / G-циклы", "данные", "отладка",
                                        "выходные слова", "эталон", "данные"}));
    EXPECT_EQ(Row(grid, 1),
              (std::vector<std::string>{"1", "i1 Данные", "1", "", "o1 Чтение", "5", ""}));
    EXPECT_EQ(Row(grid, 2), (std::vector<std::string>{"1", "g1 Пауза", "10 мс", "", "", "", ""}));
    EXPECT_EQ(Row(grid, 3), (std::vector<std::string>{"1", "i2 Адрес", "3", "", "", "", ""}));
    EXPECT_EQ(Row(grid, 4),
              (std::vector<std::string>{"2", "i1 Данные", "2", "", "o1 Чтение", "6", ""}));
    EXPECT_EQ(grid.RowCount(), 7);
}

TEST_F(TableContent, FullFormGivesEveryUseItsOwnRowAndListsConstants)
{
    test.Tacts.D1 = "ioi";
    test.Tacts.D2 = "113";
    AddWord(test.IWords, 1, "Данные", "1");
    AddWord(test.IWords, 3, "", "7");
    AddWord(test.OWords, 1, "Чтение", "5");
    full = true;

    Fill();

    ASSERT_EQ(grid.RowCount(), 4);
    EXPECT_EQ(Row(grid, 1), (std::vector<std::string>{"1", "i1 Данные", "1", "", "", "", ""}));
    EXPECT_EQ(Row(grid, 2), (std::vector<std::string>{"1", "", "", "", "o1 Чтение", "5", ""}));
    EXPECT_EQ(Row(grid, 3), (std::vector<std::string>{"1", "i3 КОНСТАНТА", "7", "", "", "", ""}));

    full = false;
    Fill();
    EXPECT_EQ(InputNames(grid), (std::vector<std::string>{"i1 Данные"}));
}

TEST_F(TableContent, ValuesAreWrittenInTheFilesNumberBase)
{
    test.Tacts.D1 = "io";
    test.Tacts.D2 = "11";
    AddWord(test.IWords, 1, "Восемь", "8");
    AddWord(test.OWords, 1, "Байт", "255");

    doc.Sys = 8;
    Fill();
    EXPECT_EQ(grid.Cell(ColInputValue, 1), "10");
    EXPECT_EQ(grid.Cell(ColOutputReference, 1), "377");

    doc.Sys = 16;
    Fill();
    EXPECT_EQ(grid.Cell(ColInputValue, 1), "8");
    EXPECT_EQ(grid.Cell(ColOutputReference, 1), "FF");
}

TEST_F(TableContent, ReadBackValuesAppearOnlyAfterARun)
{
    test.Cycles = 3;
    test.Tacts.D1 = "oO";
    test.Tacts.D2 = "12";
    AddWord(test.OWords, 1, "Чтение", "5/6/7").Run = "5/\xFF/9";
    AddWord(test.OWords, 2, "Готовность", "14/14/14").Run = "14/14/3";
    test.OWords.SetWaitWord(2, true);
    test.OWords.AddWait(2, 12, true, 4);
    test.OWords.AddWait(2, 40, false, 4);
    test.OWords.AddWait(2, 7, false, 4);

    Fill();
    for (int row = 1; row < grid.RowCount(); ++row)
        EXPECT_EQ(grid.Cell(ColOutputData, row), "") << row;

    runFlag = 1;
    waitsAsTimes = false;
    Fill();
    EXPECT_EQ(grid.Cell(ColOutputData, 1), "5");
    // A wait word that matched shows its recorded wait instead.
    EXPECT_EQ(grid.Cell(ColOutputData, 2), "#12");
    EXPECT_EQ(grid.Cell(ColOutputData, 3), "- - -");
    EXPECT_EQ(grid.Cell(ColOutputData, 4), "#40");
    EXPECT_EQ(grid.Cell(ColOutputData, 5), "9");
    EXPECT_EQ(grid.Cell(ColOutputData, 6), "3");
}

TEST_F(TableContent, DebugModeShowsRunValuesOfTheRunCycleOnly)
{
    test.Cycles = 2;
    test.Tacts.D1 = "iog";
    test.Tacts.D2 = "111";
    SWord &address = AddWord(test.IWords, 1, "Адрес", "1/2");
    address.Run = "3/\xFF";
    address.FuncLink = MakeFuncLink(1, LinkFAddress);
    AddWord(test.OWords, 1, "Чтение", "5/6").Run = "5/6";
    AddWord(test.GWords, 1, "Частота", "50/100", 2, 18).Run = "60/110";
    test.OWords.Compare(1, false, true, 1);
    debug = true;
    runFlag = 2;

    Fill();

    EXPECT_EQ(grid.Cell(ColInputDebug, 1), "3");
    EXPECT_EQ(grid.Mark(ColInputDebug, 1), MarkNone);
    EXPECT_EQ(grid.Cell(ColInputDebug, 2), "60");
    EXPECT_EQ(grid.Mark(ColInputDebug, 2), 0);
    EXPECT_EQ(grid.Cell(ColOutputData, 1), "");
    EXPECT_EQ(grid.Cell(ColInputDebug, 3), "- - -");
    EXPECT_EQ(grid.Cell(ColInputDebug, 4), "110");
    EXPECT_EQ(grid.Cell(ColOutputData, 3), "6");
}

TEST_F(TableContent, ConditionalGCycleShowsItsRunValueAfterARun)
{
    test.Cycles = 2;
    test.Tacts.D1 = "G-E";
    test.Tacts.D2 = "100";
    AddWord(test.GWords, 1, "До готовности", "2/2", 0, -20);
    test.GWords.RebuildGRuns();
    test.GWords.SetGRun(1, 17, true);
    test.GWords.SetGRun(1, 4, false);

    Fill();
    EXPECT_EQ(grid.Cell(ColInputValue, 1), "o2");

    runFlag = 1;
    Fill();
    EXPECT_EQ(grid.Cell(ColInputValue, 1), "#17");
    EXPECT_EQ(grid.Cell(ColInputValue, 2), "#4");

    debug = true;
    runFlag = 2;
    Fill();
    EXPECT_EQ(grid.Cell(ColInputValue, 1), "o2");
    EXPECT_EQ(grid.Cell(ColInputValue, 2), "#17");
}

TEST_F(TableContent, UnknownWordsAndOtherTactsTakeNoRow)
{
    test.Tacts.D1 = "i-FMiT";
    test.Tacts.D2 = "301112";
    AddWord(test.IWords, 1, "Данные", "1");
    Fill();
    EXPECT_EQ(InputNames(grid), (std::vector<std::string>{"i1 Данные"}));
}

TEST(RunDataVisible, FollowsTheRunCycle)
{
    STest test;
    test.ActiveCycle = 1;
    test.OWords.Add(1);
    test.OWords.Find(1)->Data = "1/2";
    test.OWords.Find(1)->Run = "1/\xFF";
    test.OWords.Compare(1, false, true, 1);

    EXPECT_TRUE(RunDataVisible(test, 2, true, 1, -1));
    EXPECT_FALSE(RunDataVisible(test, 2, true, 0, -1));
    EXPECT_FALSE(RunDataVisible(test, 0, false, 1, -1));
    EXPECT_TRUE(RunDataVisible(test, 0, false, 0, 1));
    // Cycle 2 was run but the word took no value in it: the table says so
    // rather than showing nothing.
    EXPECT_TRUE(RunDataVisible(test, 2, true, 1, 1));
    EXPECT_FALSE(RunDataVisible(test, 1, true, 1, 1));
}

TEST(MAddresses, AddressIsSplitOverTheLowAndHighWordsByTheLowWordsBusWidth)
{
    SQor doc;
    doc.Tyres.Add(std::string(10, '\x01')); // 10 bits
    doc.Tyres.Add(std::string(4, '\x02'));
    STest test;
    test.Cycles = 2;
    test.Tacts.D1 = "-MWR-M";
    test.Tacts.D2 = "010001";
    AddWord(test.IWords, 1, "Адрес", "0/0", 0);
    AddWord(test.IWords, 2, "Адрес старший", "0/0", 1);
    test.MFuncs.Add(1);
    SFuncM &function = *test.MFuncs.ByNumber(1);
    function.AdrWrite = 1;
    function.AdrWrite2 = 2;
    function.AdrRead = 1;
    function.WritePos = 0x1234;
    function.ReadPos = 0x1234;

    const std::string list = CollectMList(test.Tacts);
    EXPECT_EQ(list, std::string("\x01\x01", 2));
    WriteMAddressWords(test, list, doc.Tyres, 1);

    EXPECT_EQ(test.IWords.ValueAt(1, 1, ValueSet::Run), 0x234);
    EXPECT_EQ(test.IWords.ValueAt(2, 1, ValueSet::Run), 0x4);
    EXPECT_EQ(test.IWords.ValueAt(1, 0, ValueSet::Run), 0);
}

TEST(MAddresses, NotesGoToTheFirstRowOfEachAddressWord)
{
    STest test;
    test.MFuncs.Add(3);
    SFuncM &function = *test.MFuncs.ByNumber(3);
    function.AdrWrite = 1;
    function.AdrWrite2 = 2;
    function.AdrRead = 1;
    function.WritePos = 0x1F;
    function.ReadPos = 0x2;
    TextGrid table;
    table.Resize(kTableColumns, 5);
    table.SetCell(ColInputName, 1, "i12 Счётчик");
    table.SetCell(ColInputName, 2, "i1 Адрес");
    table.SetCell(ColInputName, 3, "i1 Адрес");
    table.SetCell(ColInputName, 4, "i2 Адрес старший");

    AddMAddressNotes(table, test, "\x03\x03", 16);

    EXPECT_EQ(table.Cell(ColInputName, 1), "i12 Счётчик");
    EXPECT_EQ(table.Cell(ColInputName, 2),
              "i1 Адрес\x07младший адрес записи M3: [1F]; младший адрес чтения M3: [2]");
    EXPECT_EQ(table.Cell(ColInputName, 3), "i1 Адрес");
    EXPECT_EQ(table.Cell(ColInputName, 4), "i2 Адрес старший\x07старший адрес записи M3: [1F]");
}

TEST(DocumentViews, DebugTableCarriesTheMAddressesAndProbeModeGrowsTheDiagram)
{
    NullDocumentObserver observer;
    ScriptedFileUi ui;
    TQuorvik document(observer, ui);
    document.Doc().Tyres.Add(std::string(8, '\x01'));
    auto test = std::make_unique<STest>();
    test->Cycles = 1;
    test->Tacts.D1 = "iMWR";
    test->Tacts.D2 = "1100";
    test->Tacts.AddLine();
    AddWord(test->IWords, 1, "Адрес", "0");
    test->MFuncs.Add(1);
    test->MFuncs.ByNumber(1)->AdrWrite = 1;
    test->MFuncs.ByNumber(1)->AdrRead = 1;
    document.Doc().Tests[0] = std::move(test);
    document.Doc().NTest = 1;

    document.FillDiagramView();
    EXPECT_EQ(document.TactCount(), 4);
    EXPECT_EQ(document.DiagramView().RowCount(), 4);
    EXPECT_EQ(document.DiagramView().Cell(4, 1), "M");

    document.SetDebugMode(true);
    EXPECT_EQ(document.DiagramView().RowCount(), 5);
    EXPECT_EQ(document.DiagramShape().firstProbeRow, 3);

    // Entering debug mode reset the run results: the addresses are back at
    // their start; the run machinery moves them on.
    document.Test(0)->MFuncs.ByNumber(1)->WritePos = 0x1AB;
    document.Test(0)->MFuncs.ByNumber(1)->ReadPos = 0x2;
    document.FillTableView();
    EXPECT_EQ(document.MList(), "\x01");
    // One word serves both sides: the read side is written last.
    EXPECT_EQ(document.TableView().Cell(ColInputDebug, 1), "2");
    EXPECT_EQ(document.TableView().Cell(ColInputName, 1),
              "i1 Адрес\x07младший адрес записи M1: [1AB]; младший адрес чтения M1: [2]");
    EXPECT_EQ(document.CycleRows(), (std::vector<std::int32_t>{1}));
}

} // namespace
} // namespace qv
