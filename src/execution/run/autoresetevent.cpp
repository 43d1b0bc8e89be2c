#include "execution/run/autoresetevent.h"

namespace qv {

void AutoResetEvent::Set()
{
    {
        std::lock_guard lock(m_mutex);
        m_set = true;
    }
    m_signalled.notify_one();
}

void AutoResetEvent::Wait()
{
    std::unique_lock lock(m_mutex);
    m_signalled.wait(lock, [this] { return m_set; });
    m_set = false;
}

bool AutoResetEvent::WaitFor(std::chrono::milliseconds timeout)
{
    std::unique_lock lock(m_mutex);
    if (!m_signalled.wait_for(lock, timeout, [this] { return m_set; }))
        return false;
    m_set = false;
    return true;
}

} // namespace qv
