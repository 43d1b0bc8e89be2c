#include "unitserver.h"

#include "commands.h"
#include "infra/encoding.h"
#include "infra/unitcodes.h"
#include "packet.h"
#include "unit.h"

#include <algorithm>
#include <arpa/inet.h>
#include <atomic>
#include <cerrno>
#include <charconv>
#include <chrono>
#include <cstring>
#include <fcntl.h>
#include <mutex>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sstream>
#include <sys/socket.h>
#include <unistd.h>

namespace qv::sim {

namespace {

using Clock = std::chrono::steady_clock;

// A host that has not had its first answer by then is dropped, so that a
// connection that never speaks cannot keep the unit from every other host.
constexpr std::chrono::seconds kFirstExchangeLimit{3};

int MillisecondsUntil(Clock::time_point deadline)
{
    return static_cast<int>(std::max<long long>(
        0, std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count()));
}

// A host's connection. The unit's thread sends through it while the server's
// thread reads; the descriptor is closed when both have let go.
struct Client
{
    int fd = -1;
    std::mutex sendMutex;
    std::atomic<bool> hungUp{false};
    std::atomic<bool> answered{false}; // the unit has sent the host something
    Clock::time_point firstExchangeDeadline;

    ~Client()
    {
        if (fd >= 0)
            ::close(fd);
    }

    void Send(const std::vector<std::uint8_t> &bytes)
    {
        answered = true;
        std::lock_guard lock(sendMutex);
        std::size_t done = 0;
        while (done < bytes.size()) {
            const auto n = ::send(fd, bytes.data() + done, bytes.size() - done, MSG_NOSIGNAL);
            if (n > 0) {
                done += static_cast<std::size_t>(n);
            } else if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
                // A host that reads nothing for this long is not coming back.
                pollfd pfd{fd, POLLOUT, 0};
                if (::poll(&pfd, 1, 5000) <= 0)
                    return;
            } else if (n < 0 && errno == EINTR) {
                continue;
            } else {
                return; // the host is gone; the server notices on its side
            }
        }
    }
};

void SendBusy(int fd)
{
    const std::string text = Utf8ToCp1251("Блок диагностики занят другой программой");
    const auto frame =
        EncodePacket(kError, INIT, 0, kErrBusy,
                     std::span(reinterpret_cast<const std::uint8_t *>(text.data()), text.size()));
    [[maybe_unused]] const auto n = ::send(fd, frame.data(), frame.size(), MSG_NOSIGNAL);
}

} // namespace

bool SplitHostPort(const std::string &text, std::string *host, int *port)
{
    std::string_view rest = text;
    std::string_view name;
    std::string_view digits;
    if (rest.starts_with('[')) {
        const auto close = rest.find("]:");
        if (close == std::string_view::npos)
            return false;
        name = rest.substr(1, close - 1);
        digits = rest.substr(close + 2);
    } else {
        const auto colon = rest.rfind(':');
        if (colon == std::string_view::npos)
            return false;
        name = rest.substr(0, colon);
        digits = rest.substr(colon + 1);
    }
    int value = -1;
    const auto [ptr, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
    if (name.empty() || digits.empty() || ec != std::errc() ||
        ptr != digits.data() + digits.size() || value < 0 || value > 65535)
        return false;
    *host = std::string(name);
    *port = value;
    return true;
}

struct UnitServer::State
{
    SimulatedUnit &unit;
    int listener = -1;
    int wake[2] = {-1, -1};
    std::string address;

    explicit State(SimulatedUnit &u)
        : unit(u)
    {}
    ~State()
    {
        for (const int fd : {listener, wake[0], wake[1]}) {
            if (fd >= 0)
                ::close(fd);
        }
    }
};

UnitServer::UnitServer(SimulatedUnit &unit)
    : m_state(std::make_unique<State>(unit))
{
    if (::pipe2(m_state->wake, O_CLOEXEC | O_NONBLOCK) != 0)
        m_state->wake[0] = m_state->wake[1] = -1;
}

UnitServer::~UnitServer() = default;

bool UnitServer::Listen(const std::string &host, int port, std::string *error)
{
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    hints.ai_flags = AI_PASSIVE;
    addrinfo *found = nullptr;
    const std::string service = std::to_string(port);
    if (const int rc = ::getaddrinfo(host.c_str(), service.c_str(), &hints, &found); rc != 0) {
        *error = "адрес \"" + host + "\" не найден: " + gai_strerror(rc);
        return false;
    }
    int fd = -1;
    for (const addrinfo *ai = found; ai != nullptr && fd < 0; ai = ai->ai_next) {
        fd = ::socket(ai->ai_family, ai->ai_socktype | SOCK_CLOEXEC, ai->ai_protocol);
        if (fd < 0)
            continue;
        const int one = 1;
        ::setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &one, sizeof(one));
        if (::bind(fd, ai->ai_addr, ai->ai_addrlen) != 0 || ::listen(fd, 4) != 0) {
            *error = std::strerror(errno);
            ::close(fd);
            fd = -1;
        }
    }
    ::freeaddrinfo(found);
    if (fd < 0)
        return false;
    sockaddr_storage bound{};
    socklen_t length = sizeof(bound);
    ::getsockname(fd, reinterpret_cast<sockaddr *>(&bound), &length);
    char text[INET6_ADDRSTRLEN] = {};
    int boundPort = 0;
    if (bound.ss_family == AF_INET6) {
        const auto *a = reinterpret_cast<const sockaddr_in6 *>(&bound);
        ::inet_ntop(AF_INET6, &a->sin6_addr, text, sizeof(text));
        boundPort = ntohs(a->sin6_port);
        std::ostringstream address;
        address << '[' << text << "]:" << boundPort;
        m_state->address = address.str();
    } else {
        const auto *a = reinterpret_cast<const sockaddr_in *>(&bound);
        ::inet_ntop(AF_INET, &a->sin_addr, text, sizeof(text));
        boundPort = ntohs(a->sin_port);
        m_state->address = std::string(text) + ":" + std::to_string(boundPort);
    }
    m_state->listener = fd;
    return true;
}

std::string UnitServer::Address() const
{
    return m_state->address;
}

void UnitServer::Stop()
{
    const char byte = 1;
    [[maybe_unused]] const auto n = ::write(m_state->wake[1], &byte, 1);
}

void UnitServer::Run()
{
    State &s = *m_state;
    std::shared_ptr<Client> client;
    std::unique_ptr<HostEnd> end;
    Clock::time_point hangupDeadline{};
    std::vector<std::uint8_t> buffer(64 * 1024);

    const auto dropClient = [&] {
        ::shutdown(client->fd, SHUT_RDWR); // ends a send blocked on the unit's thread
        end.reset();
        client.reset();
    };

    for (;;) {
        pollfd fds[3] = {{s.wake[0], POLLIN, 0}, {s.listener, POLLIN, 0}, {-1, POLLIN, 0}};
        int timeout = -1;
        if (client) {
            fds[2].fd = client->fd;
            if (client->hungUp) {
                // After the unit hung up, give the host a moment to read the
                // last answer and close its side.
                if (hangupDeadline == Clock::time_point{})
                    hangupDeadline = Clock::now() + std::chrono::seconds(1);
                timeout = MillisecondsUntil(hangupDeadline);
            } else if (!client->answered) {
                timeout = MillisecondsUntil(client->firstExchangeDeadline);
            }
        }
        const int ready = ::poll(fds, 3, timeout);
        if (ready < 0 && errno == EINTR)
            continue;
        if (fds[0].revents != 0)
            break;
        if (client && fds[2].revents != 0) {
            // Everything the host sent, up to its close, is taken before a
            // new host is looked at: a host that leaves and comes back at
            // once must find the unit free.
            for (;;) {
                const auto got = ::recv(client->fd, buffer.data(), buffer.size(), 0);
                if (got > 0) {
                    if (!client->hungUp)
                        end->Write(std::span(buffer.data(), static_cast<std::size_t>(got)));
                    continue;
                }
                if (got < 0 && errno == EINTR)
                    continue;
                if (got == 0 || (errno != EAGAIN && errno != EWOULDBLOCK))
                    dropClient();
                break;
            }
        } else if (client && client->hungUp && Clock::now() >= hangupDeadline) {
            dropClient();
        }
        if (client && !client->hungUp && !client->answered &&
            Clock::now() >= client->firstExchangeDeadline)
            dropClient();
        if (fds[1].revents != 0) {
            const int fd = ::accept4(s.listener, nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK);
            if (fd < 0)
                continue;
            const int one = 1;
            ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof(one));
            if (client && client->hungUp)
                dropClient(); // the unit is done with it; it only lingered to be read
            if (client) {
                SendBusy(fd);
                ::close(fd);
                continue;
            }
            auto fresh = std::make_shared<Client>();
            fresh->fd = fd;
            fresh->firstExchangeDeadline = Clock::now() + kFirstExchangeLimit;
            std::weak_ptr<Client> weak = fresh;
            HostChannel channel{[fresh](std::vector<std::uint8_t> bytes) { fresh->Send(bytes); },
                                [weak] {
                                    if (const auto c = weak.lock()) {
                                        c->hungUp = true;
                                        ::shutdown(c->fd, SHUT_WR);
                                    }
                                }};
            std::string why;
            end = s.unit.Attach(std::move(channel), &why);
            if (!end) {
                SendBusy(fd);
                continue; // `fresh` closes the descriptor
            }
            client = std::move(fresh);
            hangupDeadline = {};
        }
    }
    if (client)
        dropClient();
}

} // namespace qv::sim
