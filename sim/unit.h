#pragma once

// A simulated diagnostics unit: its board, its running state, its command
// table and its own thread. A host attaches to it (in-process, or through
// quorvik-unitsim's TCP server) and then writes bytes into the HostEnd it got;
// the unit's answers arrive through the host's HostChannel. One host at a
// time.

#include "board.h"
#include "commands.h"
#include "executor.h"
#include "session.h"
#include "unitstate.h"

#include <memory>
#include <mutex>
#include <string>

namespace qv::sim {

// The host's end of an attachment. Destroying it ends the session.
class HostEnd
{
public:
    virtual ~HostEnd() = default;
    // Bytes from the host to the unit; ignored once the session has ended.
    virtual void Write(std::span<const std::uint8_t> bytes) = 0;
};

class SimulatedUnit
{
public:
    explicit SimulatedUnit(Board board);
    ~SimulatedUnit();

    SimulatedUnit(const SimulatedUnit &) = delete;
    SimulatedUnit &operator=(const SimulatedUnit &) = delete;

    // The command table; change it only before the first host attaches.
    CommandTable &Commands() { return m_commands; }
    const Board &GetBoard() const { return m_board; }
    // The running state; only on the unit's thread (handlers, Inspect).
    UnitState &State() { return m_state; }

    // Starts a session; nullptr with *why when a host is already attached.
    std::unique_ptr<HostEnd> Attach(HostChannel channel, std::string *why);
    // Runs `task` on the unit's thread and waits for it (tests, tools).
    void Inspect(const std::function<void(SimulatedUnit &)> &task);
    // A restart: the session ends and what does not survive power-off is
    // forgotten.
    void Restart();

    // For the unit's own code: run later on the unit's thread.
    void Later(std::chrono::milliseconds delay, std::function<void()> task);

private:
    class Attachment;
    void Feed(std::uint64_t generation, std::vector<std::uint8_t> bytes);
    void Detach(std::uint64_t generation);

    Board m_board;
    UnitState m_state;
    CommandTable m_commands;
    std::shared_ptr<Session> m_session; // unit's thread only
    std::uint64_t m_generation = 0;     // unit's thread only
    Executor m_executor;                // last: its thread stops before the rest goes
};

} // namespace qv::sim
