#pragma once

// An auto-reset event: Set wakes one waiter (or the next one to wait) and
// the event falls back to not signalled as the waiter passes. The run thread
// waits on one ("Event_Quorvik_Pusk") for answers from the unit and for the
// operator's stop requests.

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <string>

namespace qv {

class AutoResetEvent
{
public:
    explicit AutoResetEvent(std::string name = {})
        : m_name(std::move(name))
    {}

    AutoResetEvent(const AutoResetEvent &) = delete;
    AutoResetEvent &operator=(const AutoResetEvent &) = delete;

    void Set();
    // Waits until signalled; the signal is consumed.
    void Wait();
    // False when the time ran out first (the signal, if any, is kept).
    bool WaitFor(std::chrono::milliseconds timeout);

    const std::string &Name() const { return m_name; }

private:
    std::string m_name;
    std::mutex m_mutex;
    std::condition_variable m_signalled;
    bool m_set = false;
};

} // namespace qv
