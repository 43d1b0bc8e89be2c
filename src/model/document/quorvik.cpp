#include "model/document/quorvik.h"

#include "infra/helpers.h"
#include "infra/mesbo.h"
#include "infra/version.h"
#include "model/content/tablecontent.h"
#include "model/document/documentmodel.h"
#include "model/document/structurecheck.h"
#include "model/file/testfile.h"
#include "model/functions/testfunctions.h"

namespace qv {
namespace {

constexpr const char *kDebugAllTestsText = "В режиме отладки можно работать только с одним тестом";

} // namespace

TQuorvik::TQuorvik(DocumentObserver &observer, TestFileUi &fileUi)
    : m_observer(observer)
    , m_fileUi(fileUi)
{
    CreateTestFile();
}

TQuorvik::~TQuorvik() = default;

STest *TQuorvik::Test(int index)
{
    if (index < 0 || index >= Doc.NTest || index >= kMaxTests) {
        return nullptr;
    }
    return Doc.Tests[static_cast<std::size_t>(index)].get();
}

const STest *TQuorvik::Test(int index) const
{
    return const_cast<TQuorvik *>(this)->Test(index);
}

bool TQuorvik::LoadFile(const std::string &path)
{
    Doc.FileName = path;
    if (!m_testFile->Load()) {
        Busy = 0;
        Cnt.FileName.clear();
        Txt.FileName.clear();
        SetProbeMode(false);
        SetDebugMode(false);
        SetSolidTest(false);
        SetCyclesMode(false);
        m_observer.LoadFailed();
        Close();
        return false;
    }
    m_observer.ContactFileChanged(Cnt.FileName);
    ErrorCounts.assign(static_cast<std::size_t>(Doc.NTest), 0);
    DiagramNotes.clear();
    FillDiagramView();
    if (CurrentTestRecord()) {
        DiagramNotes += StructureNotes(CurrentTest);
    }
    m_testFile->ReadComments();
    CommentMarks = m_testFile->CommentMarks();
    Busy = 0;
    if (STest *test = CurrentTestRecord()) {
        test->ActiveCycle = 0;
    }
    m_observer.CommandsChanged();
    m_observer.FileOpened(Doc);
    return true;
}

bool TQuorvik::SaveFile()
{
    SSaveParam param;
    param.DebugMode = DebugMode;
    param.TestIndex = 0;
    param.Cycle = GetActiveCycle();
    param.Test = CurrentTest;
    param.Kinds = 0;
    param.WordKind = 0;
    param.FileName = Doc.FileName;
    const bool saved = m_testFile->Save(&param);
    m_observer.TitleChanged(Doc.FileName);
    return saved;
}

void TQuorvik::Close()
{
    SetSolidTest(false);
    SetProbeMode(false);
    SetCyclesMode(false);
    SetDebugMode(false);
    ResetRunResults();
    CycleRows.clear();

    for (auto &test : Doc.Tests) {
        test.reset();
    }
    CommentMarks.clear();
    AdapterContacts = kMaxContacts;
    Doc.Sys = 16;
    Doc.NTest = 0;
    Doc.FCreate = 0;
    Doc.FModified = 0;
    Cnt.Names.fill("");
    Cnt.FileName.clear();
    Doc.FileName.clear();
    Txt.FileName.clear();
    CurrentTest = 0;
    Doc.Tyres.Clear();
    ErrorCounts.clear();
    FillDiagramView();
    FillTableView();
    m_observer.FileClosed();
    m_observer.CommandsChanged();
}

void TQuorvik::ResetRunResults()
{
    if (STest *test = CurrentTestRecord()) {
        ResetWordRuns(*test);
        ResetFunctionRunResults(*test);
    }
    for (int i = 0; i < Doc.NTest; ++i) {
        if (STest *test = Test(i)) {
            test->RunCounter1 = 0;
            test->RunCounter2 = 0;
        }
    }
    m_observer.RunResultsReset();
    TotalErrors = 0;
    TestRunFlags.fill(0);
    std::fill(ErrorCounts.begin(), ErrorCounts.end(), 0);
    if (!ErrorCounts.empty()) {
        UpdateStatus(StatusUpdate::ErrorCounts);
    }
    Busy = 0;
}

void TQuorvik::SetDebugMode(bool on)
{
    if (on && CurrentTest == -1) {
        UpdateStatus(StatusUpdate::DebugAllTests);
        m_observer.ModeChanged(DocumentMode::Debug, false);
        return;
    }
    DebugMode = on;
    SetProbeMode(on);
    SetCyclesMode(on);
    if (on) {
        EnterDebugRanges(Doc);
    } else {
        for (int i = 0; i < Doc.NTest; ++i) {
            if (STest *test = Test(i)) {
                RestoreMFunctionRanges(*test);
            }
        }
    }
    ResetRunResults();
    m_observer.ModeChanged(DocumentMode::Debug, on);
    m_observer.ViewsChanged();
    UpdateStatus(StatusUpdate::DebugCycle);
}

void TQuorvik::SetProbeMode(bool on)
{
    ProbeMode = on;
    if (on) {
        for (int i = 0; i < Doc.NTest; ++i) {
            if (STest *test = Test(i)) {
                AddDefaultProbes(*test);
            }
        }
    }
    m_observer.ModeChanged(DocumentMode::Probe, on);
    // The diagram grows or shrinks by the active cycle's probe rows.
    FillDiagramView();
    m_observer.ViewsChanged();
}

void TQuorvik::SetCyclesMode(bool on)
{
    CyclesMode = on;
    m_observer.ModeChanged(DocumentMode::Cycles, on);
}

void TQuorvik::SetSolidTest(bool on)
{
    SolidTest = on;
    m_observer.ModeChanged(DocumentMode::Solid, on);
}

void TQuorvik::SetFullTable(bool on)
{
    FullTable = on;
    FillTableView();
    m_observer.ModeChanged(DocumentMode::FullTable, on);
    m_observer.ViewsChanged();
}

std::uint16_t TQuorvik::WordMask(char kind, int id, int testIndex, std::uint16_t *out) const
{
    const std::uint16_t mask = qv::WordMask(Doc, kind, id, testIndex);
    if (out) {
        *out = mask;
    }
    return mask;
}

std::string TQuorvik::StructureNotes(int testIndex) const
{
    const STest *test = Test(testIndex);
    if (!test) {
        return {};
    }
    // An F-function's end address must fit the bus of its address word.
    return CheckStructure(*test, [this, test](int number) {
        const SFuncF *function = test->FFuncs.ByNumber(number);
        return !function ||
               qv::ValueFitsWord(Doc, *test, function->AdrEnd, function->AdrWord) != 13;
    });
}

int TQuorvik::ValueFitsWord(std::int64_t value, int wordRef) const
{
    const STest *test = CurrentTest == -1 ? nullptr : Test(CurrentTest);
    return test ? qv::ValueFitsWord(Doc, *test, value, wordRef) : -1;
}

std::int32_t TQuorvik::GetActiveCycle() const
{
    const STest *test = CurrentTest == -1 ? nullptr : Test(CurrentTest);
    return test != nullptr ? test->ActiveCycle : 0;
}

void TQuorvik::SetActiveCycle(std::int32_t cycle)
{
    if (STest *test = CurrentTest == -1 ? nullptr : Test(CurrentTest)) {
        test->ActiveCycle = cycle;
    }
}

void TQuorvik::UpdateStatus(StatusUpdate what)
{
    switch (what) {
    case StatusUpdate::DebugCycle: {
        const std::string number = std::to_string(GetActiveCycle() + 1);
        m_observer.StatusChanged(StatusField::DebugCycle, (number.size() == 1 ? " " : "") + number,
                                 false);
        return;
    }
    case StatusUpdate::DebugAllTests:
        Mesbo().Show(kDebugAllTestsText, MbError, kProductName);
        return;
    case StatusUpdate::ErrorCounts: {
        const STest *test = CurrentTest == -1 ? nullptr : Test(CurrentTest);
        if (test == nullptr || static_cast<std::size_t>(CurrentTest) >= ErrorCounts.size()) {
            m_observer.StatusChanged(StatusField::Errors, std::to_string(TotalErrors), false);
        } else {
            const std::int32_t count = ErrorCounts[static_cast<std::size_t>(CurrentTest)];
            m_observer.StatusChanged(
                StatusField::Errors,
                std::to_string(count) + " (" + std::to_string(TotalErrors) + ")", count > 0);
        }
        return;
    }
    }
}

std::string TQuorvik::NumberText(std::int64_t value) const
{
    return NumberInBase(value, Doc.Sys);
}

std::optional<std::uint64_t> TQuorvik::ParseNumber(std::string_view text) const
{
    return Doc.Sys == 8 ? OctToInt(text) : HexToInt(text);
}

void TQuorvik::CreateTestFile()
{
    m_testFile = std::make_unique<TTestFile>(m_fileUi);
    m_testFile->Attach({&Doc, &Cnt, &Txt});
}

std::string TQuorvik::PendingWarning()
{
    return "no warning";
}

bool TQuorvik::WriteComments()
{
    return m_testFile->WriteComments();
}

} // namespace qv
