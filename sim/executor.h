#pragma once

// The simulated unit's own thread: everything the unit does (reading host
// frames, answering, timed events) runs here, one task at a time, so the
// unit's state needs no locks.

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <mutex>
#include <thread>

namespace qv::sim {

class Executor
{
public:
    using Task = std::function<void()>;
    using TimerId = std::uint64_t;

    Executor();
    ~Executor(); // runs no further tasks; pending timers are dropped

    Executor(const Executor &) = delete;
    Executor &operator=(const Executor &) = delete;

    void Post(Task task);
    // Runs the task and returns when it has run. Must not be called from
    // the executor's own thread (it runs the task inline then).
    void Run(Task task);
    TimerId PostAfter(std::chrono::milliseconds delay, Task task);
    void Cancel(TimerId id);
    bool InExecutorThread() const;

private:
    void Loop();

    using Clock = std::chrono::steady_clock;

    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::deque<Task> m_tasks;
    // Timers ordered by due time; the id keeps equal times in posting order.
    std::map<std::pair<Clock::time_point, TimerId>, Task> m_timers;
    TimerId m_nextTimer = 1;
    bool m_stopping = false;
    std::thread m_thread;
};

} // namespace qv::sim
