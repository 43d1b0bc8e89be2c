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
    STest *CurrentTestRecord() { return Test(CurrentTest); }

    // The members, in the order the document keeps them.
    std::int32_t AdapterContacts = kMaxContacts;
    std::uint8_t Busy = 0;
    std::int32_t CurrentTest = 0; // 0-based; -1 = all tests
    SDisplaySettings Display;
    std::string CommentMarks;              // byte i+1 for each non-empty comment slot i
    std::vector<std::int32_t> ErrorCounts; // per test; empty = none allocated
    std::int32_t TotalErrors = 0;
    std::array<std::int32_t, kMaxTests> TestRunFlags{}; // 0 = not run since the reset
    std::string DiagramNotes;
    std::vector<std::int32_t> CycleRows; // first table row of each cycle
    TextGrid DiagramView;                // what the diagram shows
    DiagramLayout DiagramShape;          // its rows: lines, probes (FirstProbeRow), bottom
    TextGrid TableView;                  // what the table shows
    std::string MList;                   // one character per M tact: the function's number
    SCnt Cnt;
    STxt Txt;
    SQor Doc;
    std::int32_t TactCount = 0;
    std::vector<std::string> ErrorLines;
    bool SolidTest = false;
    bool DebugMode = false;
    bool ProbeMode = false;
    bool CyclesMode = false;
    bool FullTable = false;

private:
    DocumentObserver &m_observer;
    TestFileUi &m_fileUi;
    std::unique_ptr<TTestFile> m_testFile;
    const WaitCalibration *m_waitCalibration = nullptr;
};

} // namespace qv
