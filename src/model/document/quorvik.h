#pragma once

// TQuorvik: the document. One instance for the life of the application holds
// the open test file (Doc with its tests), the contact names (Cnt), the
// comments (Txt), which test is current, the operating modes and the run
// results. It loads and saves through the test-file container and keeps no
// file open between operations. Window effects go through a
// DocumentObserver; operator messages through the message-box service.

#include "model/content/diagramcontent.h"
#include "model/content/textgrid.h"
#include "model/core/records.h"
#include "model/document/documentobserver.h"
#include "model/settings/displaysettings.h"
#include "model/test/sqor.h"

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace qv {

class TTestFile;
class TestFileUi;
class WaitCalibration;

class TQuorvik
{
public:
    // The container is created by CreateTestFile; the observer and the
    // container's operator interface must outlive the document.
    TQuorvik(DocumentObserver &observer, TestFileUi &fileUi);
    ~TQuorvik();
    TQuorvik(const TQuorvik &) = delete;
    TQuorvik &operator=(const TQuorvik &) = delete;

    bool LoadFile(const std::string &path);
    // Saves through the container with the save choice dialog; false when
    // nothing was written.
    bool SaveFile();
    void Close();
    void ResetRunResults();

    void SetDebugMode(bool on);
    void SetProbeMode(bool on);
    void SetCyclesMode(bool on);
    void SetSolidTest(bool on);
    void SetFullTable(bool on);

    // 0 when CurrentTest is -1 or the test is absent.
    std::int32_t GetActiveCycle() const;
    // Does nothing when CurrentTest is -1 or the test is absent.
    void SetActiveCycle(std::int32_t cycle);

    // What the status area shows that the document computes.
    enum class StatusUpdate {
        DebugCycle,    // the current test's active cycle, 1-based
        DebugAllTests, // the refusal to debug all tests (a message box)
        ErrorCounts,   // the current test's errors and the run's total
    };
    void UpdateStatus(StatusUpdate what);

    // The inversion mask of word `id` of kind 'i' or 'o' in test testIndex:
    // the low bits of its bus width when the word is inverse (Code 0), else
    // 0; also stored in *out when given. Kind 'g' and an absent word give 0;
    // any other kind throws InternalError("TQuorvik::WordMask").
    std::uint16_t WordMask(char kind, int id, int testIndex, std::uint16_t *out = nullptr) const;
    // The structure check of test testIndex's diagram (the notes LoadFile
    // puts into DiagramNotes for the current test); "" for an absent test.
    std::string StructureNotes(int testIndex) const;

    // 13 when value needs more bits than the bus of the current test's word
    // has, else -1; word refs below 1000 are input words, 1000..1999 output
    // words, 2000 and above (and no current test) give -1.
    int ValueFitsWord(std::int64_t value, int wordRef) const;

    // The unit's wait timing for converting output-word waits between pass
    // counts and times; null (the default) leaves waits as pass counts. The
    // provider must outlive the document or be reset first.
    void SetWaitCalibration(const WaitCalibration *calibration) { m_waitCalibration = calibration; }
    const WaitCalibration *WaitCalibrationSource() const { return m_waitCalibration; }

    // Values in the file's number base: base 8 octal, base 16 hexadecimal,
    // any other base gives "" (formatting) or reads as hexadecimal (parsing).
    std::string NumberText(std::int64_t value) const;
    std::optional<std::uint64_t> ParseNumber(std::string_view text) const;

    // The application-wide steps the document does itself.
    // Makes a new test-file container and attaches the records to it.
    void CreateTestFile();
    // The text of the warning the document has for the operator: always
    // "no warning".
    static std::string PendingWarning();
    // Writes the comment file; false when it could not be written.
    bool WriteComments();

    // The content of the two views for the current test. The diagram is
    // filled after a load, on a test change and when probe mode changes; the
    // table when it is shown, on a test change, on a mode change and after
    // a run. Filling the table in debug mode also writes the M-functions'
    // current addresses into their address words.
    void FillDiagramView();
    void FillTableView();
    // Whether run values of a cycle may be shown (outputWord -1: whether the
    // current test has results of a run of exactly that cycle, the active
    // one). False without a current test.
    bool RunDataVisible(int cycle, int outputWord) const;

    TTestFile *TestFile() { return m_testFile.get(); }
    STest *Test(int index);
    const STest *Test(int index) const;
    STest *CurrentTestRecord() { return Test(m_currentTest); }

    // Further observers of the document beside the window's (told after it,
    // in the order added); each must outlive the document or be removed.
    void AddObserver(DocumentObserver &observer) { m_observers.Add(observer); }
    void RemoveObserver(DocumentObserver &observer) { m_observers.Remove(observer); }

    // The operator's choice of test: index 0..NTest-1 one test, -1 all tests.
    // Refused (false; nothing changes, SelectionRefused is told) without
    // tests, for an index outside the file, and for all tests in debug mode
    // (the refusal message shown). Otherwise the status fields are refreshed
    // (the debug cycle for one test, the error count) and TestSelected told.
    bool SelectTest(int index);

    // One mode flag stored alone, without what its setter does beside it
    // (probe entries, debug ranges, reset results, notifications): for a
    // document prepared outside the windows, such as a debug run of the
    // command-line tool that sets its own tact range.
    void StoreModeFlag(DocumentMode mode, bool on);

    // The display block (settings window, settings file); one switch of it.
    void SetDisplay(const SDisplaySettings &display) { m_display = display; }
    void SetDisplaySwitch(std::size_t index, std::int32_t value);
    // The comment marks again from the container after the comments changed.
    void UpdateCommentMarks();

    // Run results, written by the run machinery (the run announces them to
    // the windows itself). Test indexes outside the counts are ignored.
    void FitErrorCounts(); // one count per test, new ones 0
    void SetErrorCounts(std::vector<std::int32_t> counts) { m_errorCounts = std::move(counts); }
    void SetTestErrors(int index, std::int32_t count);
    void SetTotalErrors(std::int32_t total) { m_totalErrors = total; }
    void SetTestRunFlags(const std::array<std::int32_t, kMaxTests> &flags)
    {
        m_testRunFlags = flags;
    }
    void MarkTestRun(int index, std::int32_t flag);
    // The top-left cell of the diagram names the cell in focus ("row:col").
    void ShowDiagramFocus(const std::string &text);
    // The operator stepped the address mark of a debug value in the table.
    void SetTableMark(int col, int row, int mark) { m_tableView.SetMark(col, row, mark); }

    // The file's records: the container fills them, the editors change the
    // tests in them in place.
    SQor &Doc() { return m_doc; }
    const SQor &Doc() const { return m_doc; }
    SCnt &Cnt() { return m_cnt; }
    const SCnt &Cnt() const { return m_cnt; }
    STxt &Txt() { return m_txt; }
    const STxt &Txt() const { return m_txt; }

    // What the document holds, in the order it keeps it.
    std::int32_t AdapterContacts() const { return m_adapterContacts; }
    std::uint8_t Busy() const { return m_busy; }
    std::int32_t CurrentTest() const { return m_currentTest; } // 0-based; -1 = all tests
    const SDisplaySettings &Display() const { return m_display; }
    // Byte i+1 for each non-empty comment slot i.
    const std::string &CommentMarks() const { return m_commentMarks; }
    // Per test; empty = none allocated.
    const std::vector<std::int32_t> &ErrorCounts() const { return m_errorCounts; }
    std::int32_t TotalErrors() const { return m_totalErrors; }
    // 0 = not run since the reset.
    const std::array<std::int32_t, kMaxTests> &TestRunFlags() const { return m_testRunFlags; }
    const std::string &DiagramNotes() const { return m_diagramNotes; }
    // First table row of each cycle.
    const std::vector<std::int32_t> &CycleRows() const { return m_cycleRows; }
    const TextGrid &DiagramView() const { return m_diagramView; }
    // The diagram's rows: lines, probes (FirstProbeRow), bottom.
    const DiagramLayout &DiagramShape() const { return m_diagramShape; }
    const TextGrid &TableView() const { return m_tableView; }
    // One character per M tact: the function's number.
    const std::string &MList() const { return m_mList; }
    std::int32_t TactCount() const { return m_tactCount; }
    const std::vector<std::string> &ErrorLines() const { return m_errorLines; }
    bool SolidTest() const { return m_solidTest; }
    bool DebugMode() const { return m_debugMode; }
    bool ProbeMode() const { return m_probeMode; }
    bool CyclesMode() const { return m_cyclesMode; }
    bool FullTable() const { return m_fullTable; }

private:
    std::int32_t m_adapterContacts = kMaxContacts;
    std::uint8_t m_busy = 0;
    std::int32_t m_currentTest = 0;
    SDisplaySettings m_display;
    std::string m_commentMarks;
    std::vector<std::int32_t> m_errorCounts;
    std::int32_t m_totalErrors = 0;
    std::array<std::int32_t, kMaxTests> m_testRunFlags{};
    std::string m_diagramNotes;
    std::vector<std::int32_t> m_cycleRows;
    TextGrid m_diagramView;
    DiagramLayout m_diagramShape;
    TextGrid m_tableView;
    std::string m_mList;
    SCnt m_cnt;
    STxt m_txt;
    SQor m_doc;
    std::int32_t m_tactCount = 0;
    std::vector<std::string> m_errorLines;
    bool m_solidTest = false;
    bool m_debugMode = false;
    bool m_probeMode = false;
    bool m_cyclesMode = false;
    bool m_fullTable = false;

    ObserverList m_observers; // the window's first
    TestFileUi &m_fileUi;
    std::unique_ptr<TTestFile> m_testFile;
    const WaitCalibration *m_waitCalibration = nullptr;
};

} // namespace qv
