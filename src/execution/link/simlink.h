#pragma once

// The simulated unit inside the program: the same frames as on a real link,
// carried through memory to a unit running on its own thread. The unit (and
// what it remembers, such as calibration) lives as long as the link; each
// Open starts a new session with it.

#include "execution/link/bytequeue.h"
#include "execution/link/connectionslot.h"
#include "execution/link/unitlink.h"

#include <mutex>

namespace qv::sim {
class SimulatedUnit;
class HostEnd;
} // namespace qv::sim

namespace qv {

class SimLink final : public UnitLink
{
public:
    // The unit is made from the board file on first use ("" = the default
    // board).
    explicit SimLink(std::string boardFile);
    // A link to a unit made by the caller (tests, tools that inspect it).
    explicit SimLink(std::shared_ptr<sim::SimulatedUnit> unit);
    ~SimLink() override;

    bool Present(std::string *why) override;
    bool Open(std::chrono::milliseconds timeout, std::string *error) override;
    void Close() override;
    bool Write(std::span<const std::uint8_t> bytes, std::chrono::milliseconds timeout,
               std::string *error) override;
    std::size_t Read(std::span<std::uint8_t> buffer) override;

private:
    struct Connection
    {
        std::shared_ptr<ByteQueue> received = std::make_shared<ByteQueue>();
        std::unique_ptr<sim::HostEnd> end;
        std::mutex endMutex; // Write against Close
        bool closed = false;
        ~Connection();
    };

    bool MakeUnit(std::string *error);

    std::string m_boardFile;
    std::mutex m_unitMutex;
    std::shared_ptr<sim::SimulatedUnit> m_unit;
    ConnectionSlot<Connection> m_slot;
};

} // namespace qv
