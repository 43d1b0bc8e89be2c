#pragma once

// The unit's side of the link framing (docs/unit-protocol.md), written for
// the simulated unit on its own: it shares no code with the port, so the
// two ends check each other against the document.

#include <cstdint>
#include <span>
#include <vector>

namespace qv::sim {

// Frame kinds as the unit sees them.
enum PacketKind : std::uint8_t {
    kCommand = 1,
    kAck = 2,
    kData = 3,
    kWarning = 4,
    kError = 5,
    kNotify = 6,
};

inline constexpr std::uint32_t kPacketLimit = 2u * 1024 * 1024;

struct Packet
{
    std::uint8_t kind = kCommand;
    std::uint8_t code = 0;
    std::uint16_t seq = 0;
    std::uint32_t value = 0;
    std::vector<std::uint8_t> body;
};

std::vector<std::uint8_t> EncodePacket(std::uint8_t kind, std::uint8_t code, std::uint16_t seq,
                                       std::uint32_t value, std::span<const std::uint8_t> body);

// Collects host frames from the received bytes. It moves through three
// states (hunting for the sync pair, reading the header, reading the body);
// a header or body that fails its check sends it back to hunting one byte
// after the rejected sync pair, over the bytes it already holds.
class PacketReader
{
public:
    // Appends the complete packets found in `bytes` to `out`.
    void Take(std::span<const std::uint8_t> bytes, std::vector<Packet> &out);
    std::uint64_t Rejected() const { return m_rejected; }

private:
    enum class State { Hunting, Header, Body };

    void Step(std::vector<Packet> &out);
    void Reject();

    State m_state = State::Hunting;
    std::vector<std::uint8_t> m_held;    // from the sync pair of the frame being read
    std::vector<std::uint8_t> m_backlog; // bytes still to look at after a rejection
    std::uint32_t m_bodyLength = 0;
    std::uint64_t m_rejected = 0;
};

void AppendLe16(std::vector<std::uint8_t> &out, std::uint16_t value);
void AppendLe32(std::vector<std::uint8_t> &out, std::uint32_t value);
void AppendFloat(std::vector<std::uint8_t> &out, float value);
std::uint16_t Le16(const std::uint8_t *p);
std::uint32_t Le32(const std::uint8_t *p);
float LeFloat(const std::uint8_t *p);

} // namespace qv::sim
