#pragma once

// IComPort: the system's only path to the diagnostics unit. Every part that
// talks to the unit borrows a reference (SComPort) to the one port that the
// tester-port wrapper TCP owns.
//
// Result codes: 0 success, 6 success with a warning (GetError gives its text),
// anything else a failure whose text the port holds as its pending error (see
// PortResult). Operations are listed in their slot order.
//
// The port shows nothing itself. A failure of a Loud thread's call goes at
// once to the port's report (SetReport), whose owner decides what the
// operator sees; every failure (but a Background thread's) is also kept as
// the pending error, for the caller to read (GetError) or take (TakeError).
// The pending error describes the current exchange only: a successful
// exchange, Purge, or taking it clears it, and each text is reported at most
// once. A text recorded with SetError (the caller's own failure, not an
// exchange's) survives later exchanges and purges until it is taken or
// cleared.

#include "infra/notice.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace qv {

enum PortResult : int {
    PortOk = 0,
    PortNoLink = 1,      // no connection to the unit
    PortTimeout = 2,     // no answer within the time-out
    PortLinkLost = 3,    // the connection broke; NeedsReconnect says so
    PortUnitError = 4,   // the unit refused the command (its text is pending)
    PortBadAnswer = 5,   // an answer of the wrong form
    PortWarning = 6,     // success with a warning
    PortCancelled = 7,   // a transfer cancelled by the host
    PortRefused = 8,     // a request the port refuses to send
    PortWrongThread = 9, // a wait inside the notification callback
    PortRecorded = 10,   // a failure the caller recorded (SetError), never returned
};

constexpr bool PortSucceeded(int code)
{
    return code == PortOk || code == PortWarning;
}

// What a port operation came to: what failed (PortOk when nothing did) and
// the text that tells the operator.
struct PortOutcome
{
    PortResult code = PortOk;
    std::string text;

    bool Succeeded() const { return PortSucceeded(code); }
    bool IsWarning() const { return code == PortWarning; }
};

// The notice of a reported outcome: under the port's caption, a warning with
// the warning icon, any other failure as an error.
Notice PortNotice(const PortOutcome &outcome);
// The notice of a text the caller reports in the port's name (an error).
Notice PortNotice(std::string text);

// Hears the failures of Loud threads' calls, on the calling thread, the
// moment they happen.
using PortReport = std::function<void(const PortOutcome &outcome)>;

// What the system hands to Open: a reserved zero, the product name, the main
// window's handle (0 without a window) and a flag that is always 1.
struct SCP_Info
{
    std::int32_t reserved = 0;
    std::string productName;
    std::uintptr_t window = 0;
    std::uint8_t flag = 1;
};

// Frames the unit starts (questions, progress records, alarms, results):
// command code, 32-bit value, the frame's bytes. Runs on the port's reader
// thread; it may Send but must not wait for an answer.
using NotifyCallback =
    std::function<void(int code, std::uint32_t value, std::span<const std::uint8_t> data)>;

// Progress of a file transfer: (number of blocks, index of the block about to
// travel); index 0 starts a file. Runs on the thread that called the transfer.
using ProgressCallback = std::function<void(int total, int index)>;

// How the port treats the failures of the calls one thread makes. Every
// thread has its own voice, so a thread that goes quiet never silences
// another one and interleaved restores cannot leave a shared flag wrong.
enum class PortVoice {
    Loud,       // reported at once and kept as the pending error
    Quiet,      // kept as the pending error, not reported
    Background, // neither: the outcome is the caller's alone (status polls,
                // side reads); a success clears nothing either
};

// A time-out argument: negative means the port's set time-out.
inline constexpr int kPortDefaultTimeout = -1;
// A time-out argument that waits without limit (still ended by a broken link).
inline constexpr int kPortNoTimeLimit = 0x7FFFFFFF;

class IComPort
{
public:
    virtual ~IComPort() = default;

    // Non-zero when the port is usable (its address names a transport).
    virtual int Open(const SCP_Info &info) = 0;
    // Drops answers that nobody took and an exchange's pending error;
    // called before each exchange sequence.
    virtual void Purge() = 0;
    // Last call before the reference is dropped: closes everything.
    virtual void Done() = 0;
    // Records the pending error text (reported at once when the calling
    // thread is Loud); nullopt clears it.
    virtual void SetError(std::optional<std::string_view> text) = 0;
    // Closes the unit's connection; FindUnit and Handshake still work.
    virtual void Close() = 0;
    virtual void SetTimeout(int ms) = 0;
    // Restarts the unit; the connection is made again by the next Handshake.
    virtual int Reboot() = 0;
    // Frees the unit for another program (ends the session, closes the link).
    virtual void Detach() = 0;
    // Current-consumption check, mode 0 from the main window, 1 before a run;
    // non-zero when it passed.
    virtual int CheckCurrents(int mode, std::uintptr_t owner) = 0;
    virtual int Send(int code, std::span<const std::uint8_t> data) = 0;
    virtual int SendCode(int code) = 0;
    virtual int SendFile(std::span<const std::uint8_t> data, std::string_view name,
                         const ProgressCallback &progress) = 0;
    // Takes the next answer of any command.
    virtual int WaitAnswer(int timeoutMs) = 0;
    virtual int WaitAck(int code, int timeoutMs) = 0;
    // Waits for the answer of `code`; read it with AnswerData and friends.
    virtual int WaitData(int code, int timeoutMs) = 0;
    virtual int ReceiveFile(std::vector<std::uint8_t> &data, std::string_view name,
                            const ProgressCallback &progress) = 0;
    virtual std::vector<std::uint8_t> AnswerData() const = 0;
    virtual int AnswerLength() const = 0;
    virtual int AnswerCode() const = 0;
    // Takes the pending error: returns it when there is one that was not
    // reported yet, and clears it (also one already reported).
    virtual std::optional<PortOutcome> TakeError() = 0;
    // Clears the pending error when it is `text`: the caller reports that
    // text itself.
    virtual void ClearError(std::string_view text) = 0;
    // The pending error text (also one already reported), empty if none.
    virtual std::string GetError() const = 0;
    // Where the failures of Loud threads go; an empty report drops them.
    virtual void SetReport(PortReport report) = 0;
    virtual void SetNotify(NotifyCallback callback) = 0;
    virtual NotifyCallback GetNotify() const = 0;
    virtual int Handshake() = 0;
    // Non-zero (and *found = 1) when the configured endpoint is there.
    virtual int FindUnit(std::uint32_t *found) = 0;
    // Non-zero when the connection must be closed and made again.
    virtual int NeedsReconnect(int check) = 0;
    // The calling thread's voice. A thread starts Loud; the reader thread
    // (notification callbacks) starts Quiet.
    virtual PortVoice Voice() const = 0;
    virtual void SetVoice(PortVoice voice) = 0;
    // Received bytes the link threw away so far (garbage, damaged frames):
    // a count that grows while a run waits means a frame may have been
    // lost. A port that cannot tell answers 0.
    virtual std::uint64_t DiscardedBytes() const { return 0; }
};

// Sets the calling thread's voice for a scope and restores the previous one
// however the scope is left.
class PortVoiceScope
{
public:
    PortVoiceScope(IComPort &port, PortVoice voice)
        : m_port(port)
        , m_saved(port.Voice())
    {
        port.SetVoice(voice);
    }
    ~PortVoiceScope() { m_port.SetVoice(m_saved); }

    PortVoiceScope(const PortVoiceScope &) = delete;
    PortVoiceScope &operator=(const PortVoiceScope &) = delete;

private:
    IComPort &m_port;
    PortVoice m_saved;
};

// Tells `sink` the port's pending error unless it was reported already, and
// clears it (TakeError).
void TellPendingError(IComPort &port, const NoticeSink &sink);

// A borrowed reference to the port.
using SComPort = std::shared_ptr<IComPort>;

// The caption of the port's notices.
inline constexpr std::string_view kPortCaption = "Блок диагностики";

// The I/O fault warning of QORV_RESET with the check byte. It is exactly 104
// characters long: the run driver ends a run on a warning of that length.
inline constexpr std::string_view kIoFaultWarning =
    "Контроль входов/выходов: в блоке диагностики обнаружена неисправность каналов.\r\n"
    "Запуск теста невозможен.";
inline constexpr std::size_t kFatalWarningLength = 104;

// Whether a warning text ends a run (its length in characters is 104).
bool IsFatalWarning(std::string_view text);

} // namespace qv
