#pragma once

// TSkopel: the driver of the USB oscilloscope probe for a run of a test with
// an active V-function. Open prepares the device before the run, Start
// begins capturing once the program goes to the unit, Close ends it; the
// acquisition thread (TthSkopel, skopelthread.h) collects one block of 1000
// samples per test cycle in between. Failures land in Message, which
// ReportMessage shows once.
//
// Byte protocol (host to device): idle 9D 02 06 04 01 01 FF; capture
// 9D 03 (v+4) (s+1) 02 02 77 with the vertical scale v and the sweep s of
// the current cycle; block request 9E. Replies are classified by how many
// bytes wait (Classify).
//
// Threads: Open, Start, Close and ReportMessage run on the caller's thread;
// while capturing only the acquisition thread touches the device. Blocks
// are kept here under a lock and go into the V-function's captured
// waveforms at Close, on the caller's thread, after the thread has been
// joined.

#include "model/io/scofile.h"
#include "probe/probelink.h"
#include "probe/skopelview.h"

#include <array>
#include <atomic>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <span>
#include <string>
#include <vector>

namespace qv {

class TQuorvik;
class TthSkopel;
struct SFuncV;

// The device name in messages, with its quotation marks.
inline constexpr std::string_view kSkopelName = "\"СКОПЕЛ\"";
inline constexpr std::string_view kSkopelDescription = "KX USB";
inline constexpr std::size_t kSkopelBufferSize = 10240;
inline constexpr std::size_t kSkopelBlock = 1024;

// What WaitReply found.
enum class SkopelReply : int {
    Block = 1024,
    Ack = 1,
    Fault = 0,    // the driver call failed
    Nothing = -1, // nothing waiting (no-wait), or the time-out
    Status = -2,  // error status
    Internal = -3,
};

// Classifies the bytes waiting in the receive queue: one 0x9C or any run of
// 0x9C only is an acknowledge, one 0x9B an internal failure, 1024 or more a
// block, anything else an error status.
SkopelReply ClassifyReply(std::span<const std::uint8_t> bytes);

// Reply time-out in ms for a sweep index: up to "500 мс" 1000, "1 c" 2000,
// "2 c" 6000, "5 c" 10000, "10 c" 20000 (twice the sweep, like "5 c").
int SkopelTimeout(std::int32_t sweep);

class TSkopel
{
public:
    using LinkFactory = std::function<std::unique_ptr<probe::ProbeLink>(std::string *message)>;

    // The document must outlive the driver. A null clock is the system's.
    TSkopel(TQuorvik &doc, LinkFactory makeLink, SkopelClock *clock = nullptr);
    ~TSkopel();

    TSkopel(const TSkopel &) = delete;
    TSkopel &operator=(const TSkopel &) = delete;

    void SetView(SkopelView *view) { m_view = view; }

    // Before a run of the current test with its active V-function.
    bool Open();
    // Capture cycles first .. end-1, round and round, until Close.
    bool Start(int first, int end);
    // End of the run: stops the thread, sets the device idle, closes it and
    // stores the captured waveforms into the V-function.
    void Close();
    // Shows Message, when there is one, and clears it.
    void ReportMessage();

    std::string Message() const;
    bool Opened() const { return m_opened; }
    bool IsOpen() const { return m_link != nullptr; }
    int Timeout() const { return m_timeout; }
    int Captures() const;
    // The cycles captured since Start, in order (the first 256).
    std::vector<int> CapturedCycles() const;

private:
    friend class TthSkopel;
    enum class Mode { Capture, IdleWait, IdleNoWait };

    SFuncV *Function();
    bool Connect();
    bool Configure(Mode mode);
    void Drain();
    SkopelReply WaitReply(bool noWait);
    bool Send(std::size_t count);
    bool RequestBlock();
    void SetMessage(std::string text);
    // The acquisition thread's: a block for cycle Cycle.
    void TakeBlock();
    void StoreCaptures();

    TQuorvik &m_doc;
    LinkFactory m_makeLink;
    SkopelClock &m_clock;
    SkopelView *m_view = nullptr;

    // The test being run (-1 none) and its V-function's number (0 none).
    int m_test = -1;
    int m_function = 0;
    std::unique_ptr<TthSkopel> m_thread;
    std::unique_ptr<probe::ProbeLink> m_link; // null while closed
    std::array<std::uint8_t, 7> m_command{};
    std::vector<std::uint8_t> m_buffer = std::vector<std::uint8_t>(kSkopelBufferSize);
    std::uint32_t m_written = 0;
    std::uint32_t m_queued = 0;
    std::uint32_t m_received = 0;
    int m_first = 0; // the first cycle of the range
    int m_cycle = 0;
    int m_cycleEnd = 0;
    std::atomic<bool> m_opened{false};
    int m_timeout = 1000;

    mutable std::mutex m_mutex; // the three below
    std::string m_message;
    std::map<int, Waveform> m_captured; // by cycle, since Start
    std::vector<int> m_capturedCycles;
};

} // namespace qv
