#include "execution/link/tcplink.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <unistd.h>

namespace qv {

namespace {

std::string SystemText(int error)
{
    return std::strerror(error);
}

// The operator's words for a failed connection, the system's in brackets.
std::string ConnectFailureText(int error)
{
    switch (error) {
    case ECONNREFUSED:
        return "по этому адресу соединения не принимаются (" + SystemText(error) + ")";
    case EHOSTUNREACH:
    case ENETUNREACH:
        return "узел недоступен (" + SystemText(error) + ")";
    case ETIMEDOUT:
        return "время ожидания соединения истекло (" + SystemText(error) + ")";
    default:
        return "соединение не установлено (" + SystemText(error) + ")";
    }
}

int MillisecondsFor(std::chrono::steady_clock::time_point deadline)
{
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
        deadline - std::chrono::steady_clock::now());
    return static_cast<int>(std::max<std::int64_t>(0, left.count()));
}

int TryConnect(const addrinfo &ai, std::chrono::steady_clock::time_point deadline,
               std::string *error)
{
    const int fd =
        ::socket(ai.ai_family, ai.ai_socktype | SOCK_NONBLOCK | SOCK_CLOEXEC, ai.ai_protocol);
    if (fd < 0) {
        *error = ConnectFailureText(errno);
        return -1;
    }
    int result = ::connect(fd, ai.ai_addr, ai.ai_addrlen);
    if (result < 0 && errno == EINPROGRESS) {
        pollfd pfd{fd, POLLOUT, 0};
        do {
            result = ::poll(&pfd, 1, MillisecondsFor(deadline));
        } while (result < 0 && errno == EINTR);
        if (result == 0) {
            ::close(fd);
            *error = "время ожидания соединения истекло";
            return -1;
        }
        int soError = 0;
        socklen_t length = sizeof(soError);
        ::getsockopt(fd, SOL_SOCKET, SO_ERROR, &soError, &length);
        result = soError == 0 ? 0 : -1;
        errno = soError;
    }
    if (result < 0) {
        *error = ConnectFailureText(errno);
        ::close(fd);
        return -1;
    }
    const int one = 1;
    ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof(one));
    return fd;
}

} // namespace

int ConnectTcp(const std::string &host, int port, std::chrono::milliseconds timeout,
               std::string *error)
{
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo *found = nullptr;
    const std::string service = std::to_string(port);
    const int rc = ::getaddrinfo(host.c_str(), service.c_str(), &hints, &found);
    if (rc != 0) {
        *error = "узел \"" + host + "\" не найден (" + gai_strerror(rc) + ")";
        return -1;
    }
    int fd = -1;
    for (const addrinfo *ai = found; ai != nullptr && fd < 0; ai = ai->ai_next)
        fd = TryConnect(*ai, deadline, error);
    ::freeaddrinfo(found);
    return fd;
}

TcpLink::Connection::~Connection()
{
    if (socket >= 0)
        ::close(socket);
    if (wake >= 0)
        ::close(wake);
}

void TcpLink::Connection::Shut()
{
    if (closed.exchange(true))
        return;
    const std::uint64_t one = 1;
    [[maybe_unused]] const auto written = ::write(wake, &one, sizeof(one));
}

TcpLink::TcpLink(std::string host, int port)
    : m_host(std::move(host))
    , m_port(port)
{}

TcpLink::~TcpLink()
{
    Close();
}

bool TcpLink::Present(std::string *why)
{
    if (const auto connection = m_slot.Current(); connection && !connection->closed)
        return true;
    std::string error;
    const int fd = ConnectTcp(m_host, m_port, std::chrono::milliseconds(1000), &error);
    if (fd < 0) {
        *why = "tcp://" + m_host + ":" + std::to_string(m_port) + " не отвечает: " + error;
        return false;
    }
    ::close(fd);
    return true;
}

bool TcpLink::Open(std::chrono::milliseconds timeout, std::string *error)
{
    Close();
    auto connection = std::make_shared<Connection>();
    connection->wake = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    if (connection->wake < 0) {
        *error = SystemText(errno);
        return false;
    }
    connection->socket = ConnectTcp(m_host, m_port, timeout, error);
    if (connection->socket < 0)
        return false;
    m_slot.Install(std::move(connection));
    return true;
}

void TcpLink::Close()
{
    const std::shared_ptr<Connection> connection = m_slot.Take();
    if (connection)
        connection->Shut();
}

bool TcpLink::Write(std::span<const std::uint8_t> bytes, std::chrono::milliseconds timeout,
                    std::string *error)
{
    std::lock_guard writeLock(m_writeMutex);
    const auto connection = m_slot.Current();
    if (!connection || connection->closed) {
        *error = "соединение закрыто";
        return false;
    }
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (!bytes.empty()) {
        const auto sent = ::send(connection->socket, bytes.data(), bytes.size(), MSG_NOSIGNAL);
        if (sent > 0) {
            bytes = bytes.subspan(static_cast<std::size_t>(sent));
            continue;
        }
        if (sent < 0 && errno == EINTR)
            continue;
        if (sent < 0 && errno != EAGAIN && errno != EWOULDBLOCK) {
            *error = SystemText(errno);
            return false;
        }
        pollfd fds[2] = {{connection->socket, POLLOUT, 0}, {connection->wake, POLLIN, 0}};
        const int ready = ::poll(fds, 2, MillisecondsFor(deadline));
        if (ready == 0) {
            *error = "блок диагностики не принимает данные";
            return false;
        }
        if (fds[1].revents != 0 || connection->closed) {
            *error = "соединение закрыто";
            return false;
        }
    }
    return true;
}

std::size_t TcpLink::Read(std::span<std::uint8_t> buffer)
{
    const auto connection = m_slot.Current();
    if (!connection)
        return 0;
    for (;;) {
        if (connection->closed)
            return 0;
        pollfd fds[2] = {{connection->socket, POLLIN, 0}, {connection->wake, POLLIN, 0}};
        const int ready = ::poll(fds, 2, -1);
        if (ready < 0 && errno == EINTR)
            continue;
        if (ready < 0 || fds[1].revents != 0)
            return 0;
        const auto got = ::recv(connection->socket, buffer.data(), buffer.size(), 0);
        if (got > 0)
            return static_cast<std::size_t>(got);
        if (got < 0 && (errno == EINTR || errno == EAGAIN || errno == EWOULDBLOCK))
            continue;
        return 0;
    }
}

} // namespace qv
