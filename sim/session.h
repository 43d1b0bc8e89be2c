#pragma once

// One host's session with the simulated unit: from the connection to EXIT,
// HARD_RESET or the connection's end. It turns received bytes into requests,
// hands each to its command handler, and sends the answers and the frames the
// unit starts itself, applying the board's link faults to the answers. Lives
// on the unit's thread only.

#include "commands.h"
#include "packet.h"
#include "sessionfiles.h"

#include <chrono>
#include <functional>
#include <map>
#include <memory>
#include <span>
#include <string_view>

namespace qv::sim {

class SimulatedUnit;
struct Board;
struct UnitState;

// How the session reaches its host: bytes to deliver, and hanging up.
struct HostChannel
{
    std::function<void(std::vector<std::uint8_t> bytes)> transmit;
    std::function<void()> hangup;
};

// Link faults, for counting how often each fired.
enum class LinkFault { Silent = 1, Delay, Corrupt, Garbage, Drop, Hang };

class Session : public std::enable_shared_from_this<Session>
{
public:
    Session(SimulatedUnit &unit, HostChannel channel);

    void Receive(std::span<const std::uint8_t> bytes);
    // Ends the session because the host went away (no hang-up sent).
    void End();
    // Ends the session and closes the connection; what was sent arrives first.
    void Hangup();
    bool Ended() const { return m_ended; }

    const Board &GetBoard() const;
    UnitState &State();
    SimulatedUnit &Unit() { return m_unit; }
    SessionFiles &Files() { return m_files; }

    // Answers: exactly one per request. Texts are UTF-8 and travel in
    // Windows-1251.
    void Ack(const Request &request, std::uint32_t value = 0);
    void Data(const Request &request, std::span<const std::uint8_t> payload,
              std::uint32_t value = 0);
    void Warn(const Request &request, std::uint8_t warningClass, std::string_view text);
    void Fail(const Request &request, std::uint32_t error, std::string_view text);
    // ERROR 2 for a request whose length or layout is wrong.
    void FailMalformed(const Request &request);

    // A frame the unit starts (question, progress, alarm, result).
    void Notify(int code, std::uint32_t value, std::span<const std::uint8_t> payload);
    // The next host command with this code is the reply to a frame the unit
    // started: it goes to `onReply` (which answers it) instead of the table.
    void AwaitReply(int code, Handler onReply);
    bool AwaitsReply(int code) const { return m_awaited.contains(code); }
    // Runs `task` later on the unit's thread unless the session has ended.
    void After(std::chrono::milliseconds delay, std::function<void(Session &)> task);

    // Whether a link fault of the board fires now for this code (counted).
    bool FaultFires(LinkFault fault, int code);

private:
    void Dispatch(Request request);
    void Answer(const Request &request, std::uint8_t kind, std::uint32_t value,
                std::span<const std::uint8_t> payload);
    void Transmit(std::vector<std::uint8_t> bytes);

    SimulatedUnit &m_unit;
    HostChannel m_channel;
    PacketReader m_reader;
    SessionFiles m_files;
    std::map<int, Handler> m_awaited;
    std::uint16_t m_notifySeq = 0;
    bool m_ended = false;
    bool m_hung = false; // the Hang fault fired: nothing goes out any more
};

// Bytes that look like the start of frames but are none: what a noisy line
// puts before a real answer. The same count gives the same bytes.
std::vector<std::uint8_t> GarbageBytes(std::size_t count);

} // namespace qv::sim
