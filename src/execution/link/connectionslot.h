#pragma once

// The connection a link has now, shared with the threads that use it: a
// reader or writer holds its connection while Close takes it out of the slot,
// so what the connection owns is released only when the last user lets go.

#include <memory>
#include <mutex>
#include <utility>

namespace qv {

template <typename Connection>
class ConnectionSlot
{
public:
    std::shared_ptr<Connection> Current() const
    {
        std::lock_guard lock(m_mutex);
        return m_connection;
    }

    void Install(std::shared_ptr<Connection> connection)
    {
        std::lock_guard lock(m_mutex);
        m_connection = std::move(connection);
    }

    std::shared_ptr<Connection> Take()
    {
        std::lock_guard lock(m_mutex);
        return std::exchange(m_connection, nullptr);
    }

private:
    mutable std::mutex m_mutex;
    std::shared_ptr<Connection> m_connection;
};

} // namespace qv
