#pragma once

// A TCP proxy on loopback that cuts what passes through it, as a loaded
// network may: every chunk read from one side that is longer than
// `threshold` bytes goes on as its first `splitAt` bytes and, `delay`
// later, the rest. It runs on a thread of its own with plain sockets, so
// that the program's event loop under test is not what paces it.

#include <arpa/inet.h>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace qv::testing {

class SplittingProxy
{
public:
    SplittingProxy(std::uint16_t upstreamPort, std::size_t splitAt, std::chrono::microseconds delay,
                   std::size_t threshold = 600)
        : m_upstreamPort(upstreamPort)
        , m_splitAt(splitAt)
        , m_delay(delay)
        , m_threshold(threshold)
    {
        m_listener = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address = Loopback(0);
        ::bind(m_listener, reinterpret_cast<sockaddr *>(&address), sizeof address);
        ::listen(m_listener, 4);
        socklen_t length = sizeof address;
        ::getsockname(m_listener, reinterpret_cast<sockaddr *>(&address), &length);
        m_port = ntohs(address.sin_port);
        m_thread = std::thread([this] { Run(); });
    }

    ~SplittingProxy()
    {
        m_stop = true;
        m_thread.join();
        for (int fd : {m_listener, m_down, m_up})
            if (fd >= 0)
                ::close(fd);
    }

    SplittingProxy(const SplittingProxy &) = delete;
    SplittingProxy &operator=(const SplittingProxy &) = delete;

    std::uint16_t Port() const { return m_port; }
    // Chunks that were cut in two.
    int Splits() const { return m_splits; }

private:
    static sockaddr_in Loopback(std::uint16_t port)
    {
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_port = htons(port);
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        return address;
    }

    static bool SendAll(int fd, const char *data, std::size_t size)
    {
        while (size > 0) {
            const ssize_t sent = ::send(fd, data, size, MSG_NOSIGNAL);
            if (sent <= 0)
                return false;
            data += sent;
            size -= static_cast<std::size_t>(sent);
        }
        return true;
    }

    bool Forward(int from, int to)
    {
        std::vector<char> chunk(65536);
        const ssize_t got = ::recv(from, chunk.data(), chunk.size(), 0);
        if (got <= 0)
            return false;
        const auto size = static_cast<std::size_t>(got);
        if (size > m_threshold && m_splitAt > 0 && m_splitAt < size) {
            ++m_splits;
            if (!SendAll(to, chunk.data(), m_splitAt))
                return false;
            std::this_thread::sleep_for(m_delay);
            return SendAll(to, chunk.data() + m_splitAt, size - m_splitAt);
        }
        return SendAll(to, chunk.data(), size);
    }

    void Run()
    {
        pollfd accept{m_listener, POLLIN, 0};
        while (!m_stop && ::poll(&accept, 1, 20) <= 0) {
        }
        if (m_stop)
            return;
        m_down = ::accept(m_listener, nullptr, nullptr);
        m_up = ::socket(AF_INET, SOCK_STREAM, 0);
        const sockaddr_in upstream = Loopback(m_upstreamPort);
        if (::connect(m_up, reinterpret_cast<const sockaddr *>(&upstream), sizeof upstream) != 0)
            return;
        const int on = 1;
        for (int fd : {m_down, m_up})
            ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
        while (!m_stop) {
            pollfd fds[2] = {{m_down, POLLIN, 0}, {m_up, POLLIN, 0}};
            if (::poll(fds, 2, 20) <= 0)
                continue;
            if ((fds[0].revents & (POLLIN | POLLHUP)) && !Forward(m_down, m_up))
                break;
            if ((fds[1].revents & (POLLIN | POLLHUP)) && !Forward(m_up, m_down))
                break;
        }
        // One side went: the other learns it as the network would tell it.
        ::shutdown(m_down, SHUT_RDWR);
        ::shutdown(m_up, SHUT_RDWR);
    }

    std::uint16_t m_upstreamPort;
    std::size_t m_splitAt;
    std::chrono::microseconds m_delay;
    std::size_t m_threshold;
    int m_listener = -1;
    int m_down = -1;
    int m_up = -1;
    std::uint16_t m_port = 0;
    std::atomic<bool> m_stop{false};
    std::atomic<int> m_splits{0};
    std::thread m_thread;
};

} // namespace qv::testing
