#include "executor.h"

#include <future>

namespace qv::sim {

Executor::Executor()
    : m_thread([this] { Loop(); })
{}

Executor::~Executor()
{
    {
        std::lock_guard lock(m_mutex);
        m_stopping = true;
    }
    m_wake.notify_all();
    m_thread.join();
}

void Executor::Post(Task task)
{
    {
        std::lock_guard lock(m_mutex);
        m_tasks.push_back(std::move(task));
    }
    m_wake.notify_one();
}

void Executor::Run(Task task)
{
    if (InExecutorThread()) {
        task();
        return;
    }
    std::promise<void> done;
    Post([&] {
        task();
        done.set_value();
    });
    done.get_future().wait();
}

Executor::TimerId Executor::PostAfter(std::chrono::milliseconds delay, Task task)
{
    TimerId id = 0;
    {
        std::lock_guard lock(m_mutex);
        id = m_nextTimer++;
        m_timers.emplace(std::make_pair(Clock::now() + delay, id), std::move(task));
    }
    m_wake.notify_one();
    return id;
}

void Executor::Cancel(TimerId id)
{
    std::lock_guard lock(m_mutex);
    for (auto it = m_timers.begin(); it != m_timers.end(); ++it) {
        if (it->first.second == id) {
            m_timers.erase(it);
            return;
        }
    }
}

bool Executor::InExecutorThread() const
{
    return std::this_thread::get_id() == m_thread.get_id();
}

void Executor::Loop()
{
    std::unique_lock lock(m_mutex);
    for (;;) {
        if (m_stopping)
            return;
        if (!m_tasks.empty()) {
            Task task = std::move(m_tasks.front());
            m_tasks.pop_front();
            lock.unlock();
            task();
            lock.lock();
            continue;
        }
        if (!m_timers.empty() && m_timers.begin()->first.first <= Clock::now()) {
            Task task = std::move(m_timers.begin()->second);
            m_timers.erase(m_timers.begin());
            lock.unlock();
            task();
            lock.lock();
            continue;
        }
        if (m_timers.empty())
            m_wake.wait(lock);
        else
            m_wake.wait_until(lock, m_timers.begin()->first.first);
    }
}

} // namespace qv::sim
