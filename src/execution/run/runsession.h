#pragma once

// RunSession: the logic of the run window "Пуск", independent of widgets.
// One session is one run: it owns the device program buffer, the compiler
// with the run's lists, and the run thread. The window (a dialog, or the
// console of the command-line tool) implements RunView and forwards the
// operator's actions to the session.
//
// Threads: the session's event methods (Ok, Escape, CloseRequested,
// OperatorClose) run on the window's thread. The run thread and the port's
// notification thread reach the window through the session's PuskHost
// side, which forwards to RunView methods marked "any thread". The window
// closes only after the run thread has ended, so no call of the thread can
// outlive the window.

#include "execution/compiler/dosdata.h"
#include "execution/run/errorstatistics.h"
#include "execution/run/pusk.h"
#include "model/core/records.h"
#include "model/words/words.h"

#include <array>
#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace qv {

// What the M-function progress window shows after a record: a new list of
// algorithms (each at picture 2), or one row's picture.
struct MFunctionProgress
{
    int test = 0; // 1-based
    int mFunction = 0;
    std::vector<std::string> algorithms; // filled for a new list
    int row = -1;                        // otherwise the row that changes
    int picture = 2;
};

class RunSession;

class RunView
{
public:
    virtual ~RunView() = default;
    // Shows the window modally on its start page; returns when it closed.
    virtual void Exec(RunSession &session) = 0;
    // The work page: run type, pass counter (continuous only), "Закрыть" hidden.
    virtual void ShowWorkPage(bool continuous) = 0;
    virtual void ShowStopPanel(bool visible) = 0;
    virtual void ShowCloseButton(bool visible) = 0;
    // Closes the window now (the session has checked the rules), or after ms.
    virtual void CloseWindow() = 0;
    virtual void CloseAfter(int ms) = 0;
    // Runs the task on the window's thread, later (any thread).
    virtual void Post(std::function<void()> task) = 0;
    // Runs the task on the window's thread and returns after it ran (any
    // thread). Results are written into the document this way, so that
    // painting never reads a half-written document.
    virtual void RunOnWindowThread(const std::function<void()> &task) = 0;

    // Any thread; return after the effect is shown.
    virtual void ShowStatus(const std::string &text) = 0;
    virtual void ShowActivity(ActivityPicture picture) = 0;
    virtual void ShowPassCounter(int passes) = 0;
    virtual void ShowProgress(std::optional<int> percent) = 0; // nullopt hides the bar
    virtual void ShowMFunctionProgress(const MFunctionProgress &progress) = 0;
    // Hides the run window, asks the operator, shows it again: 1 go on, 0 stop.
    virtual int AskQuestion(QuestionKind kind, std::span<const std::uint8_t> record) = 0;
    // The document's results changed: 1 repaint the views, 2 recount the
    // error columns; a test's tab shows whether it has errors.
    virtual void ShowResults(ResultStage stage) = 0;
    virtual void TestDecoded(int testIndex, bool hasErrors) = 0;
    // The run has ended (its thread too) with failing passes: a window that
    // shows their statistics returns true and stays open until the operator
    // closes it; false closes the window as after any run.
    virtual bool ShowStatistics(const ErrorStatistics &) { return false; }
};

// The oscilloscope probe of an active V-function. Optional: without one the
// V-function list is not offered.
class VFunctionProbe
{
public:
    virtual ~VFunctionProbe() = default;
    virtual bool Prepare(int vFunction) = 0;
    virtual bool SetCycleRange(int first, int last) = 0;
    virtual void SaveData() = 0;
};

struct RunSessionConfig
{
    RunOptions options;            // the compiler's view of the run
    std::filesystem::path testDir; // where the data files lie
    bool local = true;
    bool report = false;
    bool currentControl = false; // "Включить режим контроля токов"
    bool remoteServer = false;   // the system is the remote server of a connected bench
    int passLimit = 0;           // a continuous run ends by itself after it; 0: never
    PuskConfig pusk;             // time-outs; the rest is filled by the session
    NoticeSink notices;          // what the operator is told; empty: nobody
};

class RunSession final : public PuskHost, public RunObserver
{
public:
    RunSession(TQuorvik &doc, SComPort port, RunSessionConfig config);
    ~RunSession() override;

    RunSession(const RunSession &) = delete;
    RunSession &operator=(const RunSession &) = delete;

    void SetView(RunView *view) { m_view = view; }
    void SetFileNameWindow(FileNameWindow *window) { m_fileNames = window; }
    void SetRemote(RemoteRunLink *remote) { m_remote = remote; }
    void SetProbe(VFunctionProbe *probe) { m_probe = probe; }
    // Called on the window's thread right after each decoded pass, while the
    // document holds that pass's results: the pass (1-based), the tests
    // (0-based) that had errors in it and the wrong values it read, in the
    // order read.
    using PassListener = std::function<void(int pass, const std::vector<int> &failedTests,
                                            const std::vector<diagnosis::WrongRead> &wrongReads)>;
    void SetPassListener(PassListener listener) { m_passListener = std::move(listener); }

    // The V-function list of the start page: "отсутствует", then
    // "v<n>: <name>" per V-function; empty when none is offered.
    std::vector<std::string> VFunctionChoices() const;

    // The window's events.
    // "OK" on the start page; vChoice: index in VFunctionChoices (0 none).
    void Ok(int vChoice = 0);
    // Esc, or a click on the stop panel (fromClick).
    void Escape(bool fromClick = false);
    // The window wants to close: true when it may close now.
    bool CloseRequested();
    // "Отмена" and "Закрыть".
    void OperatorClose();
    // The window has closed: the unit is reset after a local run.
    void Closed();

    // Results for the driver.
    bool ClosedOnStartPage() const { return !m_workPage; }
    bool StoppedByOperator() const { return !m_stopPanel; }
    // The run thread was started (it reports the run's end to a watching
    // server itself).
    bool RunThreadStarted() const { return m_threadStarted; }
    bool WantsEndMessage() const { return m_wantEndMessage; }
    int Passes() const { return m_passes; }
    // Decoded results with errors in some test, and the tests (0-based)
    // that had errors in any of them: a continuous run's last pass alone
    // does not tell whether an earlier one failed.
    int FailingPasses() const;
    std::vector<int> TestsFailedInRun() const;
    // Where the decoded passes went wrong, per output word and contact.
    ErrorStatistics Statistics() const;
    const Dosdata &Compiler() const { return m_dosdata; }
    std::string Status() const;

    // PuskHost
    void ShowStatus(const std::string &text) override;
    void ShowActivity(ActivityPicture picture) override;
    void ShowMFunctionProgress(std::span<const std::uint8_t> record) override;
    void ShowProgress(int index, int total) override;
    void ShowResults(ResultStage stage) override;
    void PassCompleted() override;
    void ShowThreadError(const std::string &text) override;
    int AnswerQuestion(QuestionKind kind, std::span<const std::uint8_t> record) override;
    void ShowProgramming(int count, int total) override;
    bool StopPanelVisible() const override { return m_stopPanel; }
    void StoppedOnBench() override;
    void CurrentAlarm() override;
    bool DecodeAnswer(int code, std::span<const std::uint8_t> answer) override;
    std::int32_t ErrorMark() const override { return m_mark; }
    void SetErrorMark(std::int32_t mark) override { m_mark = mark; }

    // RunObserver (the compiler's decode and fetch)
    void TestDecoded(int testIndex, bool hasErrors) override;
    void ResultsShown(ResultStage stage) override;
    void Receiving() override;
    void StatusText(const std::string &text) override;

private:
    bool StartWork(int vFunction);
    void ThreadFinished();
    bool ShowStatistics();
    // The pass just counted, its failing tests and its wrong values; 0 when
    // none was decoded.
    int CountPass(bool decoded, std::vector<int> *failedTests,
                  std::vector<diagnosis::WrongRead> *wrongReads);
    int DecodedPasses() const;
    // What the views show of a complete pass, kept over a pass cut short.
    struct KeptResults
    {
        struct Words
        {
            int test = 0;
            TWord input;
            TOWord output;
            TGWord generator;
        };
        std::vector<std::int32_t> errorCounts;
        std::int32_t totalErrors = 0;
        std::array<std::int32_t, kMaxTests> runFlags{};
        std::vector<Words> words;
    };
    KeptResults KeepResults() const;
    void RestoreResults(const KeptResults &kept);
    void ShowPortError(const std::string &text);
    bool RunCurrentControl();

    TQuorvik &m_doc;
    SComPort m_port;
    RunSessionConfig m_config;
    RunView *m_view = nullptr;
    FileNameWindow *m_fileNames = nullptr;
    RemoteRunLink *m_remote = nullptr;
    VFunctionProbe *m_probe = nullptr;
    PassListener m_passListener;
    Dosdata m_dosdata;

    bool m_workPage = false;
    bool m_wantEndMessage = true;
    bool m_operatorClosing = false;
    bool m_closeWhenFinished = false;
    std::atomic<bool> m_threadRunning{false};
    bool m_threadStarted = false;
    std::atomic<bool> m_stopPanel{true};
    std::atomic<bool> m_progressVisible{false};
    std::atomic<std::int32_t> m_mark{0};
    std::atomic<int> m_passes{0};
    mutable std::mutex m_statusMutex;
    std::string m_status;
    mutable std::mutex m_resultsMutex; // the six below
    bool m_passHasErrors = false;
    int m_failingPasses = 0;
    std::vector<int> m_testsFailed;
    std::vector<int> m_passTestsFailed; // of the pass being decoded
    int m_decodedPasses = 0;
    // While a pass cut short is decoded over kept results (window thread).
    bool m_keepingResults = false;
    ErrorStatistics m_statistics;
    // The wrong values of the pass just counted, for the pass listener
    // (window thread; kept between passes for its capacity).
    std::vector<diagnosis::WrongRead> m_passReads;
    // Last, so that it is closed and joined before anything it uses goes.
    std::unique_ptr<TthPusk> m_thread;
};

} // namespace qv
