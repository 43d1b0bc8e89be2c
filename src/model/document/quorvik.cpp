#include "model/document/quorvik.h"

#include "infra/helpers.h"
#include "infra/mesbo.h"
#include "infra/version.h"
#include "model/content/tablecontent.h"
#include "model/document/documentmodel.h"
#include "model/document/structurecheck.h"
#include "model/file/testfile.h"
#include "model/test/testfunctions.h"

#include <algorithm>

namespace qv {
namespace {

constexpr const char *kDebugAllTestsText = "В режиме отладки можно работать только с одним тестом";

} // namespace

TQuorvik::TQuorvik(DocumentObserver &observer, TestFileUi &fileUi)
    : m_fileUi(fileUi)
{
    m_observers.Add(observer);
    CreateTestFile();
}

TQuorvik::~TQuorvik() = default;

STest *TQuorvik::Test(int index)
{
    if (index < 0 || index >= m_doc.NTest || index >= kMaxTests) {
        return nullptr;
    }
    return m_doc.Tests[static_cast<std::size_t>(index)].get();
}

const STest *TQuorvik::Test(int index) const
{
    return const_cast<TQuorvik *>(this)->Test(index);
}

bool TQuorvik::LoadFile(const std::string &path)
{
    m_doc.FileName = path;
    if (!m_testFile->Load()) {
        m_busy = 0;
        m_cnt.FileName.clear();
        m_txt.FileName.clear();
        SetProbeMode(false);
        SetDebugMode(false);
        SetSolidTest(false);
        SetCyclesMode(false);
        m_observers.LoadFailed();
        Close();
        return false;
    }
    m_observers.ContactFileChanged(m_cnt.FileName);
    m_errorCounts.assign(static_cast<std::size_t>(m_doc.NTest), 0);
    m_diagramNotes.clear();
    FillDiagramView();
    if (CurrentTestRecord()) {
        m_diagramNotes += StructureNotes(m_currentTest);
    }
    m_testFile->ReadComments();
    m_commentMarks = m_testFile->CommentMarks();
    m_busy = 0;
    if (STest *test = CurrentTestRecord()) {
        test->ActiveCycle = 0;
    }
    m_observers.CommandsChanged();
    m_observers.FileOpened(m_doc);
    return true;
}

bool TQuorvik::SaveFile()
{
    SSaveParam param;
    param.DebugMode = m_debugMode;
    param.TestIndex = 0;
    param.Cycle = GetActiveCycle();
    param.Test = m_currentTest;
    param.Kinds = 0;
    param.WordKind = 0;
    param.FileName = m_doc.FileName;
    const bool saved = m_testFile->Save(&param);
    m_observers.TitleChanged(m_doc.FileName);
    return saved;
}

void TQuorvik::Close()
{
    SetSolidTest(false);
    SetProbeMode(false);
    SetCyclesMode(false);
    SetDebugMode(false);
    ResetRunResults();
    m_cycleRows.clear();

    for (auto &test : m_doc.Tests) {
        test.reset();
    }
    m_commentMarks.clear();
    m_adapterContacts = kMaxContacts;
    m_doc.Sys = 16;
    m_doc.NTest = 0;
    m_doc.FCreate = 0;
    m_doc.FModified = 0;
    m_cnt.Names.fill("");
    m_cnt.FileName.clear();
    m_doc.FileName.clear();
    m_txt.FileName.clear();
    m_currentTest = 0;
    m_doc.Tyres.Clear();
    m_errorCounts.clear();
    FillDiagramView();
    FillTableView();
    m_observers.FileClosed();
    m_observers.CommandsChanged();
}

void TQuorvik::ResetRunResults()
{
    if (STest *test = CurrentTestRecord()) {
        ResetWordRuns(*test);
        ResetFunctionRunResults(*test);
    }
    for (int i = 0; i < m_doc.NTest; ++i) {
        if (STest *test = Test(i)) {
            test->RunCounter1 = 0;
            test->RunCounter2 = 0;
        }
    }
    m_observers.RunResultsReset();
    m_totalErrors = 0;
    m_testRunFlags.fill(0);
    std::fill(m_errorCounts.begin(), m_errorCounts.end(), 0);
    if (!m_errorCounts.empty()) {
        UpdateStatus(StatusUpdate::ErrorCounts);
    }
    m_busy = 0;
}

bool TQuorvik::SelectTest(int index)
{
    const bool allTests = index == -1;
    bool refused = m_doc.NTest <= 0 || (!allTests && (index < 0 || index >= m_doc.NTest));
    if (!refused && allTests && m_debugMode) {
        UpdateStatus(StatusUpdate::DebugAllTests);
        refused = true;
    }
    if (refused) {
        m_observers.SelectionRefused(m_currentTest);
        return false;
    }
    m_currentTest = index;
    if (!allTests)
        UpdateStatus(StatusUpdate::DebugCycle);
    UpdateStatus(StatusUpdate::ErrorCounts);
    m_observers.TestSelected(index);
    return true;
}

void TQuorvik::StoreModeFlag(DocumentMode mode, bool on)
{
    switch (mode) {
    case DocumentMode::Solid:
        m_solidTest = on;
        return;
    case DocumentMode::Debug:
        m_debugMode = on;
        return;
    case DocumentMode::Probe:
        m_probeMode = on;
        return;
    case DocumentMode::Cycles:
        m_cyclesMode = on;
        return;
    case DocumentMode::FullTable:
        m_fullTable = on;
        return;
    }
}

void TQuorvik::SetDisplaySwitch(std::size_t index, std::int32_t value)
{
    if (index < m_display.Switches.size())
        m_display.Switches[index] = value;
}

void TQuorvik::UpdateCommentMarks()
{
    m_commentMarks = m_testFile->CommentMarks();
}

void TQuorvik::FitErrorCounts()
{
    m_errorCounts.resize(static_cast<std::size_t>(std::max(m_doc.NTest, 0)), 0);
}

void TQuorvik::SetTestErrors(int index, std::int32_t count)
{
    if (index >= 0 && static_cast<std::size_t>(index) < m_errorCounts.size())
        m_errorCounts[static_cast<std::size_t>(index)] = count;
}

void TQuorvik::MarkTestRun(int index, std::int32_t flag)
{
    if (index >= 0 && index < kMaxTests)
        m_testRunFlags[static_cast<std::size_t>(index)] = flag;
}

void TQuorvik::ShowDiagramFocus(const std::string &text)
{
    m_diagramView.SetCell(0, 0, text);
}

void TQuorvik::SetDebugMode(bool on)
{
    if (on && m_currentTest == -1) {
        UpdateStatus(StatusUpdate::DebugAllTests);
        m_observers.ModeChanged(DocumentMode::Debug, false);
        return;
    }
    m_debugMode = on;
    SetProbeMode(on);
    SetCyclesMode(on);
    if (on) {
        EnterDebugRanges(m_doc);
    } else {
        for (int i = 0; i < m_doc.NTest; ++i) {
            if (STest *test = Test(i)) {
                RestoreMFunctionRanges(*test);
            }
        }
    }
    ResetRunResults();
    m_observers.ModeChanged(DocumentMode::Debug, on);
    m_observers.ViewsChanged();
    UpdateStatus(StatusUpdate::DebugCycle);
}

void TQuorvik::SetProbeMode(bool on)
{
    m_probeMode = on;
    if (on) {
        for (int i = 0; i < m_doc.NTest; ++i) {
            if (STest *test = Test(i)) {
                AddDefaultProbes(*test);
            }
        }
    }
    m_observers.ModeChanged(DocumentMode::Probe, on);
    // The diagram grows or shrinks by the active cycle's probe rows.
    FillDiagramView();
    m_observers.ViewsChanged();
}

void TQuorvik::SetCyclesMode(bool on)
{
    m_cyclesMode = on;
    m_observers.ModeChanged(DocumentMode::Cycles, on);
}

void TQuorvik::SetSolidTest(bool on)
{
    m_solidTest = on;
    m_observers.ModeChanged(DocumentMode::Solid, on);
}

void TQuorvik::SetFullTable(bool on)
{
    m_fullTable = on;
    FillTableView();
    m_observers.ModeChanged(DocumentMode::FullTable, on);
    m_observers.ViewsChanged();
}

std::uint16_t TQuorvik::WordMask(char kind, int id, int testIndex, std::uint16_t *out) const
{
    const std::uint16_t mask = qv::WordMask(m_doc, kind, id, testIndex);
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
               qv::ValueFitsWord(m_doc, *test, function->AdrEnd, function->AdrWord) != 13;
    });
}

int TQuorvik::ValueFitsWord(std::int64_t value, int wordRef) const
{
    const STest *test = m_currentTest == -1 ? nullptr : Test(m_currentTest);
    return test ? qv::ValueFitsWord(m_doc, *test, value, wordRef) : -1;
}

std::int32_t TQuorvik::GetActiveCycle() const
{
    const STest *test = m_currentTest == -1 ? nullptr : Test(m_currentTest);
    return test != nullptr ? test->ActiveCycle : 0;
}

void TQuorvik::SetActiveCycle(std::int32_t cycle)
{
    if (STest *test = m_currentTest == -1 ? nullptr : Test(m_currentTest)) {
        test->ActiveCycle = cycle;
    }
}

void TQuorvik::UpdateStatus(StatusUpdate what)
{
    switch (what) {
    case StatusUpdate::DebugCycle: {
        const std::string number = std::to_string(GetActiveCycle() + 1);
        m_observers.StatusChanged(StatusField::DebugCycle, (number.size() == 1 ? " " : "") + number,
                                  false);
        return;
    }
    case StatusUpdate::DebugAllTests:
        Mesbo().Show(kDebugAllTestsText, MbError, kProductName);
        return;
    case StatusUpdate::ErrorCounts: {
        const STest *test = m_currentTest == -1 ? nullptr : Test(m_currentTest);
        if (test == nullptr || static_cast<std::size_t>(m_currentTest) >= m_errorCounts.size()) {
            m_observers.StatusChanged(StatusField::Errors, std::to_string(m_totalErrors), false);
        } else {
            const std::int32_t count = m_errorCounts[static_cast<std::size_t>(m_currentTest)];
            m_observers.StatusChanged(
                StatusField::Errors,
                std::to_string(count) + " (" + std::to_string(m_totalErrors) + ")", count > 0);
        }
        return;
    }
    }
}

std::string TQuorvik::NumberText(std::int64_t value) const
{
    return NumberInBase(value, m_doc.Sys);
}

std::optional<std::uint64_t> TQuorvik::ParseNumber(std::string_view text) const
{
    return m_doc.Sys == 8 ? OctToInt(text) : HexToInt(text);
}

void TQuorvik::CreateTestFile()
{
    m_testFile = std::make_unique<TTestFile>(m_fileUi);
    m_testFile->Attach({&m_doc, &m_cnt, &m_txt});
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
