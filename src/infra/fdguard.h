#pragma once

#include <unistd.h>
#include <utility>

namespace qv {

// Owns one file descriptor and closes it on every path out of a scope;
// -1 means it owns none (never opened, or handed on with Release).
class FdGuard
{
public:
    explicit FdGuard(int fd)
        : m_fd(fd)
    {}
    ~FdGuard()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    FdGuard(const FdGuard &) = delete;
    FdGuard &operator=(const FdGuard &) = delete;
    int Get() const { return m_fd; }
    // Hands the descriptor on; the guard then closes nothing.
    int Release() { return std::exchange(m_fd, -1); }

private:
    int m_fd;
};

} // namespace qv
