#pragma once

// Where the simulated unit and the simulated oscilloscope probe meet inside
// one process. The unit publishes a trigger each time a running device
// program reaches the tact the probe is synchronised to; a probe that is
// listening turns it into a captured block. The unit also leaves here how
// its board file wants the probe to behave (section [Scope]).
//
// Thread-safe: the unit publishes on its own thread, probes listen from any.

#include <cstdint>
#include <functional>
#include <map>
#include <mutex>
#include <vector>

namespace qv::sim {

// How the simulated probe misbehaves (board key [Scope] Fault).
enum class ScopeFault {
    None,
    NoTrigger, // the unit never triggers the probe
    Internal,  // the probe answers commands with its internal failure byte
    Status,    // the probe answers the capture command with a wrong status
    Slow,      // every answer of the probe comes SlowReply ms late
};

struct ScopeBehaviour
{
    int contact = 16; // 0-based contact under the oscilloscope probe (contact 17)
    ScopeFault fault = ScopeFault::None;
    int slowMs = 3000;
};

// One trigger: the unit reached the synchronising tact of a cycle.
struct ScopeTrigger
{
    int test = 0;  // position in the program's test list
    int cycle = 0; // 0-based
    // Level (0 or 1) of the watched contact per tact, from the trigger tact
    // on, as long as the signal lasts on the screen (wraps over the cycle).
    std::vector<std::uint8_t> levels;
    int tactMicros = 2000; // duration of one tact
};

class ScopeBus
{
public:
    using Listener = std::function<void(const ScopeTrigger &)>;

    static ScopeBus &Instance();

    // Returns the token that Unlisten takes. A listener runs on the
    // publishing thread and must not call back into the bus.
    int Listen(Listener listener);
    void Unlisten(int token);
    void Publish(const ScopeTrigger &trigger);
    bool HasListeners() const;

    // The behaviour of the board of the unit made last; owner identifies
    // that unit, which takes it back when it goes (the default returns).
    void SetBehaviour(const ScopeBehaviour &behaviour, const void *owner = nullptr);
    void DropBehaviour(const void *owner);
    ScopeBehaviour Behaviour() const;

private:
    mutable std::mutex m_mutex;
    std::map<int, Listener> m_listeners;
    int m_nextToken = 1;
    ScopeBehaviour m_behaviour;
    const void *m_owner = nullptr;
};

} // namespace qv::sim
