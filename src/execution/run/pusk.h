#pragma once

// TthPusk: the run thread. It sends the run's data files and the device
// program to the unit, waits for the unit's answers, has them decoded,
// repeats in continuous mode and cancels on request, while the run window
// stays responsive. Every visible effect goes to the run window through
// PuskHost, whose calls may come from this thread or from the port's
// notification thread.
//
// Run state: 0 waiting, 1 stop requested by the operator, 2 an answer
// arrived, 3 closing (the window goes away). Writers change it under the
// lock and then signal the event, on which only the run thread waits.

#include "execution/compiler/resultstage.h"
#include "execution/port/comport.h"
#include "execution/run/autoresetevent.h"
#include "execution/run/unitquestion.h"

#include <atomic>
#include <chrono>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <mutex>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

namespace qv {

// The run window's side, as the run thread sees it. Display calls return
// after the window showed the effect (the thread relies on their order).
// The run window's activity picture: nothing under way, a run going, an
// answer coming in from the unit.
enum class ActivityPicture { Idle, Running, Receiving };

class PuskHost
{
public:
    virtual ~PuskHost() = default;
    virtual void ShowStatus(const std::string &text) = 0;
    virtual void ShowActivity(ActivityPicture picture) = 0;
    // An M-function progress record (QORV_INFO data).
    virtual void ShowMFunctionProgress(std::span<const std::uint8_t> record) = 0;
    // Transfer or programming progress: block `index` of `total`.
    virtual void ShowProgress(int index, int total) = 0;
    // 1: repaint the views after results; 2: recount the error columns.
    virtual void ShowResults(ResultStage stage) = 0;
    // One pass of a continuous run has its result.
    virtual void PassCompleted() = 0;
    // A failure of the run thread itself, shown with the stop icon.
    virtual void ShowThreadError(const std::string &text) = 0;
    // A question of the unit about a failed F- (1), M- (2) or P-function
    // (3): 1 go on, 0 stop, 0xFF for a damaged record.
    virtual int AnswerQuestion(QuestionKind kind, std::span<const std::uint8_t> record) = 0;
    // Programming progress: `count` of `total` (count 0 starts).
    virtual void ShowProgramming(int count, int total) = 0;
    // Whether the stop panel still shows (the operator did not press Esc).
    virtual bool StopPanelVisible() const = 0;
    // The bench that performs this followed run was stopped by an operator
    // (there, or here through the link): the run ends as interrupted here
    // too (any thread).
    virtual void StoppedOnBench() = 0;
    // The current-control alarm of the unit tripped during the run.
    virtual void CurrentAlarm() = 0;
    // Decodes a result answer (code 12, or 13 after a stop) into the
    // document; false when the answer could not be decoded (reported).
    virtual bool DecodeAnswer(int code, std::span<const std::uint8_t> answer) = 0;
    // The error mark: 0 none, kRunFailedMark the run failed, otherwise the
    // error count of the last decoded pass (with "stop on error").
    virtual std::int32_t ErrorMark() const = 0;
    virtual void SetErrorMark(std::int32_t mark) = 0;
};

inline constexpr std::int32_t kRunFailedMark = 0xFFFF;
// The status line a bench reports before the end of a run its operator
// stopped: the server that follows ends the run as interrupted as well.
inline constexpr std::string_view kRunStoppedStatus = "выполнение теста прервано";

// The remote link while this system is the remote server of a connected
// bench (the bench runs the test) or a connected remote client (its server
// watches). The link object lives with the remote-control code; its calls
// may come from the run thread, the port's thread and the main thread, and
// none of them waits longer than the link's answer time-out.
class RemoteRunLink
{
public:
    virtual ~RemoteRunLink() = default;
    virtual void SetBusy(bool busy) = 0;
    // Client side: a copy of a status line, acknowledged by the server.
    virtual void SendStatusText(const std::string &text) = 0;
    // Client side: the run ended, with its error text (empty: none).
    virtual void SendEndReport(const std::string &errorText) = 0;
    // Server side: asks the bench to stop the run it performs, as its
    // operator would; the bench then ends it with its last result.
    virtual void StopBench() = 0;
    // Client side: the unit's raw answer with its code, handed over for
    // the server to decode; returns once the server processed it (or the
    // link gave up).
    virtual void SendResult(int code, std::span<const std::uint8_t> bytes) = 0;
    // Server side: the bench's reports and results, in their order, on
    // the link's thread. Installing an empty handler removes it.
    struct Message
    {
        enum class Kind { Status, End, Result };
        Kind kind = Kind::Status;
        std::string text;               // Status: the line; End: the error text (empty: none)
        int code = 0;                   // Result: the answer code
        std::vector<std::uint8_t> data; // Result: the answer's bytes
    };
    virtual void SetHandler(std::function<void(const Message &)> handler) = 0;
    // Server side: the last message handed over is dealt with (a report
    // seen, results decoded): the bench may go on.
    virtual void Acknowledge() = 0;
    // Client side: the result of the link check before a run.
    virtual void SendCheckResult(int code, const std::string &text) = 0;
    // Server side: the bench checks its link; its code, and its failure text.
    virtual int CheckBenchLink(std::string &text) = 0;
    // Whether the link to the other side still stands: a run followed over
    // a link that broke ends instead of waiting for the bench's last word.
    virtual bool Connected() const = 0;
};

struct PuskConfig
{
    bool local = true;   // the unit is attached here
    bool report = false; // a watching remote server gets copies
    bool continuous = false;
    bool resultPerPass = false; // "Отправлять результат при завершении ... в циклическом режиме"
    bool stopOnError = false; // "Останавливаться при обнаружении ошибки в тесте"
    // A continuous run that reports each pass ends by itself after this
    // many passes, as after a pass with errors; 0: it goes on until stopped.
    int passLimit = 0;
    std::vector<std::uint8_t> program;
    std::vector<std::filesystem::path> dataFiles;
    // How long a cancel waits for the unit's last answer, ms.
    int cancelWaitMs = 2000;
    // How often a waiting run thread looks whether the link broke, ms.
    int linkCheckMs = 250;
    // How long a followed run waits for the bench's end after asking it to
    // stop, ms.
    int benchStopWaitMs = 10000;
    // After this long without a word from the unit a waiting run asks it
    // whether it is still there (it must answer within the port's time-out),
    // ms. A unit that stopped mid-run thus ends the run instead of hanging it.
    int aliveCheckMs = 1000;
    // The port's answer time-out, ms: how long that question may go unanswered.
    int answerTimeoutMs = 1000;
    // Where the run's port failures are told (a local run's only).
    NoticeSink notices;
};

class TthPusk
{
public:
    // What the thread is asked to do next, set under m_lock by the window's
    // thread (stop, close) and by the port's reader (an answer arrived).
    enum class State { Waiting = 0, StopRequested = 1, AnswerArrived = 2, Closing = 3 };
    using enum State;

    // remote: the remote link, or null (then the run must be local and
    // report off).
    TthPusk(SComPort port, PuskHost &host, PuskConfig config, RemoteRunLink *remote = nullptr);
    ~TthPusk(); // closes and waits for the thread

    TthPusk(const TthPusk &) = delete;
    TthPusk &operator=(const TthPusk &) = delete;

    // Runs Execute on the thread; `finished` is called on that thread as
    // its last act.
    void Start(std::function<void()> finished);
    bool Running() const { return m_running; }
    // Sets the state under the lock and signals the event.
    void Request(State state);
    void Join();

    // Status line; with the report flag and `toServer` also to the server.
    void ShowRunStatus(const std::string &text, bool toServer = true);
    // Tells the port's pending error, unless it was told already.
    void TellPortError();

    // The port's notification callback (port thread).
    void OnNotify(int code, std::uint32_t value, std::span<const std::uint8_t> data);

private:
    void Execute();
    bool SendFiles();
    void RunLocal();
    void RunContinuousPerPass();
    void RunToOneResult();
    // Hands the bench's messages to this run (the caller's thread, before
    // the run thread starts); the thread removes the handler as it ends.
    void ListenToBench();
    void RunRemote();
    enum class WaitEnd { Signalled, LinkLost, UnitSilent, TimedOut };
    // Waits for the event, watching the link (the unit's, or the remote
    // link of a run the bench performs); without `until` a local run also
    // asks a unit that keeps silent whether it is still there. LinkLost and
    // UnitSilent leave the run's error text.
    WaitEnd WaitEvent(std::optional<std::chrono::steady_clock::time_point> until = std::nullopt);
    // Whether the unit answers a harmless request (or spoke meanwhile).
    bool UnitAnswers();
    void DecodeAnswer();
    void Cancel();
    void Answer(int code, std::span<const std::uint8_t> bytes);
    void OnQuestion(std::span<const std::uint8_t> data);
    // True when the bench's message ends the run.
    bool OnRemoteMessage(const RemoteRunLink::Message &message);
    State StateNow();
    void SetState(State state);
    void ResetState();

    SComPort m_port;
    PuskHost &m_host;
    PuskConfig m_config;
    RemoteRunLink *m_remote;

    AutoResetEvent m_event{"Event_Quorvik_Pusk"};
    std::mutex m_lock; // m_state, m_answer*, m_remoteMessages
    State m_state = Waiting;
    int m_answerCode = 0;
    std::vector<std::uint8_t> m_answer;
    std::vector<RemoteRunLink::Message> m_remoteMessages;
    std::string m_text; // an error text to show at the end

    std::atomic<bool> m_running{false};
    // Notifications heard, and those being handled now: a unit that talks
    // is alive, and one whose question waits for the operator is too.
    std::atomic<std::uint64_t> m_heard{0};
    // The port's count of discarded bytes when the program (or the next
    // pass) was sent: more since then, and a frame of this run may be lost.
    std::uint64_t m_discardedMark = 0;
    std::atomic<int> m_inCallback{0};
    std::thread m_thread;
};

} // namespace qv
