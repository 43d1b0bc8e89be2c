#pragma once

// Test support: a TCP port on the loopback that takes connections into its
// backlog and never says a word - a unit that does not answer.

#include <arpa/inet.h>
#include <netinet/in.h>
#include <string>
#include <sys/socket.h>
#include <unistd.h>

namespace qv::testing {

class SilentListener
{
public:
    SilentListener()
    {
        m_fd = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        address.sin_port = 0;
        socklen_t length = sizeof address;
        if (m_fd < 0 || ::bind(m_fd, reinterpret_cast<sockaddr *>(&address), length) != 0 ||
            ::listen(m_fd, 4) != 0 ||
            ::getsockname(m_fd, reinterpret_cast<sockaddr *>(&address), &length) != 0)
            return;
        m_port = ntohs(address.sin_port);
    }
    ~SilentListener()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    SilentListener(const SilentListener &) = delete;
    SilentListener &operator=(const SilentListener &) = delete;

    // "tcp://127.0.0.1:PORT"; empty when the socket could not be set up.
    std::string Address() const
    {
        return m_port == 0 ? std::string() : "tcp://127.0.0.1:" + std::to_string(m_port);
    }

private:
    int m_fd = -1;
    int m_port = 0;
};

} // namespace qv::testing
