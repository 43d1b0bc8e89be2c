#pragma once

// A TCP relay between the program and quorvik-unitsim on the loopback that
// damages the unit's side of the stream on demand: garbage before an
// answer, a dropped connection, a stalled reply, a corrupt frame. One host
// at a time; its own thread relays with poll.

#include <atomic>
#include <cstdint>
#include <mutex>
#include <optional>
#include <random>
#include <string>
#include <thread>
#include <vector>

namespace qv::bench {

enum class LinkFault { Garbage, Drop, Stall, Corrupt };
const char *LinkFaultName(LinkFault fault);

class FaultProxy
{
public:
    // Listens on 127.0.0.1 (a free port) and relays to upstreamPort there.
    explicit FaultProxy(int upstreamPort);
    ~FaultProxy();
    FaultProxy(const FaultProxy &) = delete;
    FaultProxy &operator=(const FaultProxy &) = delete;

    // 0 when the relay could not listen.
    int Port() const { return m_port; }
    // The fault strikes the unit's stream after `skipReads` more reads of it.
    void Arm(LinkFault fault, int skipReads);
    // Also ends a stalled reply: the unit answers again.
    void Disarm();
    // Faults that struck so far.
    int Fired() const { return m_fired; }

private:
    void Serve();
    // Relays one host connection until either side closes or a fault ends it.
    void Relay(int host);
    // The unit's bytes as they go to the host (possibly damaged); false
    // when the connection must end (dropped, stalled).
    bool UnitToHost(int host, std::vector<std::uint8_t> &bytes);

    int m_upstreamPort;
    int m_listen = -1;
    int m_port = 0;
    int m_wake[2] = {-1, -1}; // a pipe that ends the relay thread
    std::atomic<bool> m_stopping{false};
    std::mutex m_mutex; // guards m_armed and m_skip
    std::optional<LinkFault> m_armed;
    int m_skip = 0;
    std::atomic<int> m_fired{0};
    std::atomic<bool> m_stallOver{false};
    std::mt19937 m_random{7};
    std::thread m_thread;
};

} // namespace qv::bench
