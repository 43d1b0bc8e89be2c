#include "execution/link/bytequeue.h"

#include <algorithm>
#include <cstring>

namespace qv {

void ByteQueue::Push(std::span<const std::uint8_t> bytes)
{
    {
        std::lock_guard lock(m_mutex);
        if (m_closed)
            return;
        if (m_start == m_bytes.size()) {
            m_bytes.clear();
            m_start = 0;
        }
        m_bytes.insert(m_bytes.end(), bytes.begin(), bytes.end());
    }
    m_ready.notify_one();
}

void ByteQueue::Close()
{
    {
        std::lock_guard lock(m_mutex);
        m_closed = true;
    }
    m_ready.notify_all();
}

std::size_t ByteQueue::Pop(std::span<std::uint8_t> buffer)
{
    std::unique_lock lock(m_mutex);
    m_ready.wait(lock, [this] { return m_closed || m_start < m_bytes.size(); });
    const std::size_t count = std::min(buffer.size(), m_bytes.size() - m_start);
    if (count > 0)
        std::memcpy(buffer.data(), m_bytes.data() + m_start, count);
    m_start += count;
    return count;
}

} // namespace qv
