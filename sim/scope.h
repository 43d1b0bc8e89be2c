#pragma once

// The simulated USB oscilloscope probe: the device side of its byte
// protocol (docs/unit-simulator.md, "Oscilloscope probe").
//
// Host to device: the 7-byte idle command 9D 02 06 04 01 01 FF, the 7-byte
// capture command 9D 03 (v+4) (s+1) 02 02 77, and the block request 9E.
// Device to host: 9C acknowledges a command, 9B is an internal failure, a
// block is 1024 bytes whose first 1000 are the samples. A block request is
// answered at the next trigger of the simulated unit (ScopeBus) while the
// probe is capturing; the samples show the watched contact's levels with
// the capture command's sweep and vertical scale.
//
// Thread-safe: triggers arrive on the unit's thread, the host calls from
// its own.

#include "scopebus.h"

#include <array>
#include <chrono>
#include <cstdint>
#include <deque>
#include <mutex>
#include <span>
#include <string_view>
#include <vector>

namespace qv::sim {

inline constexpr std::string_view kScopeDescription = "KX USB";
inline constexpr std::size_t kScopeBlock = 1024;
inline constexpr std::size_t kScopeSamples = 1000;

// The samples a capture shows for a trigger: sweep 0..12 ("1,6 мс" .. "10 c"
// for the whole screen), scale 0..3 (2.5 .. 50 V for the whole screen).
std::array<std::uint8_t, kScopeSamples> ScopeSamples(const ScopeTrigger &trigger, int sweep,
                                                     int scale);

class SimulatedScope
{
public:
    // Listens to the bus from construction to destruction; the behaviour is
    // the bus's at construction (the board of the unit made last).
    explicit SimulatedScope(ScopeBus &bus = ScopeBus::Instance());
    ~SimulatedScope();

    SimulatedScope(const SimulatedScope &) = delete;
    SimulatedScope &operator=(const SimulatedScope &) = delete;

    void Write(std::span<const std::uint8_t> bytes);
    // Bytes ready to be read now.
    std::size_t Queued();
    std::size_t Read(std::span<std::uint8_t> buffer);
    // Bit 1: the receive queue, bit 2: the transmit side (commands being
    // assembled).
    void Purge(std::uint32_t mask);

    // For the tests: blocks sent since construction.
    int BlocksSent() const;

private:
    using Clock = std::chrono::steady_clock;
    struct Reply
    {
        Clock::time_point ready;
        std::vector<std::uint8_t> bytes;
    };

    void Command(std::span<const std::uint8_t> command);
    void Answer(std::vector<std::uint8_t> bytes);
    void Trigger(const ScopeTrigger &trigger);

    ScopeBus &m_bus;
    const ScopeBehaviour m_behaviour;
    int m_token = 0;
    mutable std::mutex m_mutex;          // everything below
    std::vector<std::uint8_t> m_partial; // a command being assembled
    std::deque<Reply> m_replies;
    bool m_capturing = false;
    int m_sweep = 0;
    int m_scale = 0;
    int m_requests = 0; // block requests not answered yet
    int m_blocks = 0;
};

} // namespace qv::sim
