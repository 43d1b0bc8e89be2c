#include "faultproxy.h"

#include <arpa/inet.h>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace qv::bench {

namespace {

using Clock = std::chrono::steady_clock;

// A stalled reply: the unit's bytes are swallowed until the fault is
// disarmed (the run it struck has ended) or at most this long.
constexpr auto kStallTime = std::chrono::seconds(10);

bool Tracing()
{
    static const bool on = std::getenv("QV_SOAK_TRACE") != nullptr;
    return on;
}

void Trace(const char *what, long value = 0)
{
    if (Tracing())
        std::fprintf(stderr, "proxy %lld: %s %ld\n",
                     static_cast<long long>(std::chrono::duration_cast<std::chrono::milliseconds>(
                                                Clock::now().time_since_epoch())
                                                .count() %
                                            100000),
                     what, value);
}

sockaddr_in Loopback(int port)
{
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<std::uint16_t>(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    return address;
}

int ConnectUpstream(int port)
{
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    const sockaddr_in address = Loopback(port);
    if (fd < 0 ||
        ::connect(fd, reinterpret_cast<const sockaddr *>(&address), sizeof address) != 0) {
        if (fd >= 0)
            ::close(fd);
        return -1;
    }
    const int on = 1;
    ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
    return fd;
}

bool SendAll(int fd, const std::uint8_t *data, std::size_t size)
{
    while (size > 0) {
        const ssize_t put = ::send(fd, data, size, MSG_NOSIGNAL);
        if (put <= 0)
            return false;
        data += put;
        size -= static_cast<std::size_t>(put);
    }
    return true;
}

} // namespace

const char *LinkFaultName(LinkFault fault)
{
    switch (fault) {
    case LinkFault::Garbage:
        return "мусор";
    case LinkFault::Drop:
        return "обрыв";
    case LinkFault::Stall:
        return "молчание";
    case LinkFault::Corrupt:
        return "порча кадра";
    }
    return "?";
}

FaultProxy::FaultProxy(int upstreamPort)
    : m_upstreamPort(upstreamPort)
{
    m_listen = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address = Loopback(0);
    socklen_t length = sizeof address;
    if (m_listen < 0 || ::pipe(m_wake) != 0 ||
        ::bind(m_listen, reinterpret_cast<const sockaddr *>(&address), sizeof address) != 0 ||
        ::listen(m_listen, 1) != 0 ||
        ::getsockname(m_listen, reinterpret_cast<sockaddr *>(&address), &length) != 0)
        return;
    m_port = ntohs(address.sin_port);
    m_thread = std::thread([this] { Serve(); });
}

FaultProxy::~FaultProxy()
{
    m_stopping = true;
    if (m_wake[1] >= 0) [[maybe_unused]]
        const auto written = ::write(m_wake[1], "x", 1);
    if (m_thread.joinable())
        m_thread.join();
    for (const int fd : {m_listen, m_wake[0], m_wake[1]})
        if (fd >= 0)
            ::close(fd);
}

void FaultProxy::Arm(LinkFault fault, int skipReads)
{
    std::lock_guard lock(m_mutex);
    m_armed = fault;
    m_skip = skipReads;
}

void FaultProxy::Disarm()
{
    std::lock_guard lock(m_mutex);
    m_armed.reset();
    m_stallOver = true;
}

void FaultProxy::Serve()
{
    while (!m_stopping) {
        pollfd fds[2] = {{m_listen, POLLIN, 0}, {m_wake[0], POLLIN, 0}};
        if (::poll(fds, 2, -1) <= 0 || (fds[1].revents & POLLIN) != 0)
            continue;
        const int host = ::accept4(m_listen, nullptr, nullptr, SOCK_CLOEXEC);
        if (host < 0)
            continue;
        const int on = 1;
        ::setsockopt(host, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
        Relay(host);
        ::close(host);
    }
}

void FaultProxy::Relay(int host)
{
    const int unit = ConnectUpstream(m_upstreamPort);
    Trace("relay", unit);
    if (unit < 0)
        return;
    std::vector<std::uint8_t> buffer(65536);
    std::optional<Clock::time_point> stalledUntil;
    while (!m_stopping) {
        pollfd fds[3] = {{host, POLLIN, 0}, {unit, POLLIN, 0}, {m_wake[0], POLLIN, 0}};
        if (::poll(fds, 3, 100) < 0 || (fds[2].revents & POLLIN) != 0)
            break;
        if (stalledUntil && (Clock::now() > *stalledUntil || m_stallOver.exchange(false))) {
            stalledUntil.reset();
            Trace("stall over");
        }
        if ((fds[0].revents & (POLLIN | POLLHUP | POLLERR)) != 0) {
            const ssize_t got = ::recv(host, buffer.data(), buffer.size(), 0);
            if (got <= 0 || !SendAll(unit, buffer.data(), static_cast<std::size_t>(got))) {
                Trace("host closed", static_cast<long>(got));
                break;
            }
        }
        if ((fds[1].revents & (POLLIN | POLLHUP | POLLERR)) != 0) {
            const ssize_t got = ::recv(unit, buffer.data(), buffer.size(), 0);
            if (got <= 0) {
                Trace("unit closed", static_cast<long>(got));
                break;
            }
            if (stalledUntil)
                continue; // swallowed: the reply never comes
            std::vector<std::uint8_t> bytes(buffer.begin(), buffer.begin() + got);
            std::optional<LinkFault> strike;
            {
                std::lock_guard lock(m_mutex);
                if (m_armed && m_skip-- <= 0) {
                    strike = m_armed;
                    m_armed.reset();
                }
            }
            if (strike) {
                ++m_fired;
                Trace(LinkFaultName(*strike));
                if (*strike == LinkFault::Drop)
                    break;
                if (*strike == LinkFault::Stall) {
                    m_stallOver = false;
                    stalledUntil = Clock::now() + kStallTime;
                    continue;
                }
                if (*strike == LinkFault::Garbage) {
                    std::vector<std::uint8_t> garbage(64);
                    for (auto &byte : garbage)
                        byte = static_cast<std::uint8_t>(m_random());
                    garbage[10] = 0xA7; // false frame starts
                    garbage[11] = 0x5C;
                    garbage[40] = 0xA7;
                    bytes.insert(bytes.begin(), garbage.begin(), garbage.end());
                } else {
                    bytes[bytes.size() / 2] ^= 0x5A; // a damaged frame
                }
            }
            if (!SendAll(host, bytes.data(), bytes.size()))
                break;
        }
    }
    ::close(unit);
}

} // namespace qv::bench
