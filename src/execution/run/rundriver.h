#pragma once

// RunDriver: the "Пуск" command. On the main thread it takes the unit lock,
// checks the link, reads the calibration, runs the contact identification
// check and current control, shows the run window (RunSession + RunView)
// and, after the window closed, tells the operator how the run ended.
// The window program and the command-line tool drive the same code; they
// differ in the RunView, IdCheckView and message-box service they supply.

#include "execution/run/runsession.h"

#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace qv {

class DecodedPass;
class IdCheckView;
class RunCalibration;
class TCP;
class TSettings;
class TthHardStatus;

// How a run ended, as the operator is told.
struct RunVerdict
{
    enum Kind {
        NotRun,      // a step before the run failed (its message was shown)
        Cancelled,   // closed on the start page, or the operator closed it
        Failed,      // the run failed (the port's or the thread's text was shown)
        Interrupted, // the operator stopped it with Esc
        Passed,      // every test ran without errors
        Errors,      // some test has errors
    };
    Kind kind = NotRun;
    std::string text;                          // the end message; empty when none is due
    NoticeKind icon = NoticeKind::Information; // Information or Error
    int passes = 0;                            // passes of a continuous run
    int failingPasses = 0;                     // of the decoded results, those with errors
    std::vector<int> failedTests;              // 0-based

    // What the run read, per test of the run (its own and the called ones).
    struct TestRecord
    {
        int test = 0;          // 0-based
        std::string oWords;    // output words read back: one byte Id each
        std::string unchecked; // of those, the ones not counted as errors
    };
    std::vector<TestRecord> tests;
    // Where the decoded passes went wrong (a run that was made).
    ErrorStatistics statistics;
    // Which contacts are at fault, and how (a run with errors).
    diagnosis::Diagnosis diagnosis;
};

// The end message of a run that was not stopped, from the document's
// results: all tests (CurrentTest -1) or one test and the tests it calls.
// failedInRun: tests (0-based) that had errors in some pass of the run,
// though the last pass may have left them clean.
RunVerdict CompletedVerdict(const TQuorvik &doc, const std::vector<int> &runList,
                            const std::vector<int> &calledTests, bool continuous, int passes,
                            const std::vector<int> &failedInRun = {});
// The diagnosis of a run from its test records and its failing passes.
diagnosis::Diagnosis DiagnoseVerdict(const TQuorvik &doc, const RunVerdict &verdict);
// The tests a run read (its run list, then the tests it called), with the
// output words each read back, into verdict.tests.
void RecordTests(const Dosdata &compiler, RunVerdict &verdict);
// The end message of a run the operator stopped. A continuous run that
// completed passes (completePasses > 0) also tells how many of them had
// errors: its views keep the last complete pass.
RunVerdict InterruptedVerdict(const TQuorvik &doc, bool debug, int completePasses = 0,
                              int failingPasses = 0);

// What the operator is told (the port's failures, the checks' refusals,
// the end message) goes to the notices of the tester port object.
class RunDriver
{
public:
    struct Environment
    {
        TCP *tester = nullptr;
        TthHardStatus *monitor = nullptr; // the unit lock; null = none
        const TSettings *settings = nullptr;
        RunCalibration *calibration = nullptr; // null: no calibration read
        // The run window: one kept by the caller, or else made for each run.
        RunView *view = nullptr;
        std::function<std::unique_ptr<RunView>()> makeView;
        IdCheckView *idCheck = nullptr; // null: the check runs without a window
        FileNameWindow *fileNames = nullptr;
        VFunctionProbe *probe = nullptr;
        RemoteRunLink *remote = nullptr;
        bool remoteServerWithBench = false; // the bench runs the test
        bool remoteClientConnected = false; // a server watches this run
        bool tableShown = false;
        // A continuous run ends by itself after this many passes, with the
        // verdict of a completed run; 0: it goes on until Esc or an error.
        int passLimit = 0;
        // Shows (true) or hides the wait window while the link is made again.
        std::function<void(bool)> waitWindow;
        PuskConfig timing; // time-outs of the run thread
        // Each decoded pass of a continuous run, on the window's thread while
        // the document holds that pass's results (decodedpass.h). Empty: not
        // wanted.
        std::function<void(const DecodedPass &pass)> passDecoded;
        // Whether the driver shows the end message itself (a console prints
        // it after its own summary instead).
        bool showVerdict = true;
        // While a run that a server watches starts, remembers the last error
        // the operator was shown: the server hears it when the run ends
        // before its thread. Empty: the server hears a general text.
        ErrorWatchMaker watchShownErrors;
        int lockWaitMs = 3000;
        int reconnectPauseMs = 300;
    };

    RunDriver(TQuorvik &doc, Environment environment);

    // Runs the current test (or all tests); true when a run was made and
    // its result evaluated.
    bool StartRun();
    const RunVerdict &Verdict() const { return m_verdict; }

private:
    // What a step of the run start found: the run goes on, or it ends
    // before its window (the step's message was shown, or is left with the
    // port while its messages are off).
    enum class StepResult { Proceed, Stop };

    // The unit as the run start holds it, from TakeUnit to Finish.
    struct Start
    {
        SComPort port;
        bool local = true;           // this unit runs the test (not a bench's)
        bool report = false;         // a watching server hears how the run goes
        bool locked = false;         // the unit lock was taken
        bool currentControl = false; // the setting, for a local run
    };

    // The steps of StartRun, in their order.
    Start TakeUnit();
    StepResult CheckLink(IComPort &port, bool local);
    StepResult ReadCalibration(IComPort &port);
    StepResult CheckContacts(IComPort &port);
    StepResult CheckCurrents(IComPort &port, const Start &start);
    RunSessionConfig SessionConfig(const Start &start) const;
    // Arms the unit's current alarm (when current control is on) and lets
    // an alarm stop the session.
    StepResult WatchCurrents(IComPort &port, RunSession &session, const Start &start);
    // Hands each decoded pass of a continuous run to passDecoded, when set.
    void ListenToPasses(RunSession &session);
    // The run window the session reports to: the caller's, or one made for
    // this run and kept in ownView.
    RunView &AttachView(RunSession &session, std::unique_ptr<RunView> &ownView);
    // How the closed session ended, told to the operator when due.
    RunVerdict Evaluate(RunSession &session, bool local);

    RunOptions Options() const;
    void Finish(const Start &start, bool failed);
    // Tells the operator the end message.
    void TellVerdict(const RunVerdict &verdict) const;
    // Tells the operator the port's pending error, unless it was told.
    void TellPortError(IComPort &port) const;
    // Tells `text` in the port's name, in place of the same pending error.
    void TellPortText(IComPort &port, const std::string &text) const;

    TQuorvik &m_doc;
    Environment m_env;
    RunVerdict m_verdict;
};

} // namespace qv
