#pragma once

// Dosdata: the device program compiler. It turns the current test (or every
// test) of the document into the unit's program image, decodes the unit's
// result image back into the document (read-back values, function results,
// error counts) and fetches the data blocks that F- and S-functions
// produced. It owns, for one run, the run list and the per-run lists of each
// test, from Compile until the run's clean-up (destruction or the next
// Compile). Questions and failures go to the notices its owner sets (none:
// nobody is told, a question is answered Yes), window effects through
// RunObserver, the data-file-name window through FileNameWindow.

#include "execution/compiler/resultstage.h"
#include "execution/compiler/runlists.h"
#include "infra/notice.h"

#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace qv {

class IComPort;
class TQuorvik;
struct STest;

// What the run is and the settings the compiler reads.
struct RunOptions
{
    bool debug = false;       // debug mode: the active cycle over the debug range
    bool probe = false;       // probe mode: one level byte per tact comes back
    bool debugCycles = false; // G,O-cycles in debug mode
    bool continuous = false;  // continuous test
    // "Отправлять результат при завершении отработки диаграммы в циклическом режиме"
    bool resultPerPass = false;
    // "Останавливаться при обнаружении ошибки в тесте"
    bool stopOnError = false;
    bool dosUnit = true; // the unit is of type 1 (MS-DOS)
    // "Спрашивать о перезаписи существующего файла данных F/S-функции"
    bool askOverwrite = true;
    // "Создавать резервную копию диагностического файла при сохранении"
    bool backupDataFiles = false;
    int probeMode = 3;       // "Режим зонда": two set bits among the low four
    bool tableShown = false; // the table view is shown (debug address stepping)
    std::uint8_t Flags(bool allTests) const;
};

// Window effects of decoding and fetching (the run window and main window).
class RunObserver
{
public:
    virtual ~RunObserver() = default;
    // A test's results are in: its tab shows errors when hasErrors.
    virtual void TestDecoded(int testIndex, bool hasErrors) = 0;
    virtual void ResultsShown(ResultStage stage) = 0;
    // The receiving picture while data blocks come from the unit.
    virtual void Receiving() = 0;
    virtual void StatusText(const std::string &text) = 0;
};

// The data-file-name window. `collection` holds one character per F, P or S
// tact whose function has no data file name, in tact order: F-function n as
// n, P-function n as n + 50, S-function n as n + 100. True when the operator
// confirmed (the names are then set in the test).
class FileNameWindow
{
public:
    virtual ~FileNameWindow() = default;
    virtual bool AskFileNames(STest &test, int testIndex, const std::string &collection) = 0;
};

// The 16-bit channel code of a 0-based contact.
std::uint16_t UnitChannelCode(int contact, bool dosUnit);

// The character text of collection `collection` for messages: "F1, P2, S3".
std::string FunctionCollectionText(const std::string &collection);

// The character a probe level byte stands for: the byte itself from a
// type-1 unit, else '-' (both thresholds), '+' (the lower one only), '_'
// (neither) or '0' (the upper one only: no valid level).
char ProbeCharacter(std::uint8_t level, bool dosUnit, int probeMode);

// Size of the buffer the run window hands to Compile.
inline constexpr std::size_t kProgramBufferSize = 10240;

class Dosdata
{
public:
    // testFileDir: where the data files lie. observer, window and port may be
    // null: no window effects, no data-file-name window (a test that needs
    // it fails), no fetching (fetch entries fail).
    Dosdata(TQuorvik &doc, RunOptions options, std::filesystem::path testFileDir);
    ~Dosdata();
    Dosdata(const Dosdata &) = delete;
    Dosdata &operator=(const Dosdata &) = delete;

    void SetObserver(RunObserver *observer) { m_observer = observer; }
    void SetFileNameWindow(FileNameWindow *window) { m_window = window; }
    void SetPort(IComPort *port) { m_port = port; }
    void SetNotices(NoticeSink notices) { m_notices = std::move(notices); }

    // Writes the image of the document's current test (all tests when
    // CurrentTest is -1) from `position`; at success the position is the
    // image's end. False after the failure was reported; the buffer past
    // its end is never touched.
    bool Compile(std::span<std::uint8_t> buffer, std::size_t &position);

    // Decodes a result image (answer code 12, or 13 after a stop) into the
    // document; false (reported) for a malformed or short answer, the
    // results then stay partial. With fetch, the data blocks of the fetch
    // list are then fetched (ProcessFuncFS); without, FetchList keeps them.
    bool ProcessDosData(int code, std::span<const std::uint8_t> answer, bool fetch = true);

    // Fetches the data blocks of the entries (letter 'F' or 'S', 1-based
    // test number, function number: three characters each).
    bool ProcessFuncFS(const std::string &list);

    const std::vector<int> &RunList() const { return m_runList; }
    const std::vector<int> &CalledTests() const { return m_called; }
    const TestRunLists *ListsOf(int testIndex) const;
    // Data files the run thread sends before the program, in check order.
    const std::vector<std::filesystem::path> &DataFiles() const { return m_dataFiles; }
    // Fetch entries of the last decode (before ProcessFuncFS ran them).
    const std::string &FetchList() const { return m_fetchList; }
    // The run window's error mark after a decode with "stop on error".
    std::optional<std::int32_t> ErrorMark() const { return m_errorMark; }
    // The text of the last failure (internal error, short answer, ...).
    const std::string &FailureText() const { return m_failure; }

private:
    class Compiler;
    class Decoder;

    void CheckDataFile(const struct DataFileJob &job);
    // The data-file-name window for a test with unnamed data files.
    bool ConfirmFileNames(int testIndex);
    // Debug mode with the table shown: steps the marked address words of
    // the first test's F- and M-functions.
    void StepAddressWords();
    bool FetchEntry(char letter, int testIndex, int number);
    void AddSerialFiles(const TestRunLists &lists);

    TQuorvik &m_doc;
    RunOptions m_options;
    std::filesystem::path m_dir;
    RunObserver *m_observer = nullptr;
    FileNameWindow *m_window = nullptr;
    IComPort *m_port = nullptr;

    std::vector<int> m_runList;
    std::vector<int> m_called;
    std::vector<TestRunLists> m_lists;
    std::vector<std::filesystem::path> m_dataFiles;
    std::string m_fetchList;
    std::optional<std::int32_t> m_errorMark;
    std::string m_failure;
    NoticeSink m_notices;
};

} // namespace qv
