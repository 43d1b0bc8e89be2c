#pragma once

// The unit over TCP: a unit with a network interface or quorvik-unitsim.
// Plain sockets: the reader thread blocks in poll on the socket and a wake
// descriptor, and writers from any thread need no event loop.

#include "execution/link/connectionslot.h"
#include "execution/link/unitlink.h"

#include <atomic>
#include <mutex>

namespace qv {

class TcpLink final : public UnitLink
{
public:
    TcpLink(std::string host, int port);
    ~TcpLink() override;

    bool Present(std::string *why) override;
    bool Open(std::chrono::milliseconds timeout, std::string *error) override;
    void Close() override;
    bool Write(std::span<const std::uint8_t> bytes, std::chrono::milliseconds timeout,
               std::string *error) override;
    std::size_t Read(std::span<std::uint8_t> buffer) override;

private:
    // One connection; its descriptors are closed when the last user (the
    // link, a reader, a writer) lets go, so Close never pulls a descriptor
    // from under a thread that is still using it.
    struct Connection
    {
        int socket = -1;
        int wake = -1; // eventfd, readable once the connection is closed
        std::atomic<bool> closed{false};
        ~Connection();
        void Shut();
    };

    std::string m_host;
    int m_port;
    ConnectionSlot<Connection> m_slot;
    std::mutex m_writeMutex;
};

// Connects a non-blocking TCP socket within the time-out; -1 and *error on
// failure. Shared with the tool that probes for a unit.
int ConnectTcp(const std::string &host, int port, std::chrono::milliseconds timeout,
               std::string *error);

} // namespace qv
