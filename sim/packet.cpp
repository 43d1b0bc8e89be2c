#include "packet.h"

#include "infra/checksum.h"

#include <algorithm>
#include <cstring>

namespace qv::sim {

namespace {

constexpr std::uint8_t kSyncA = 0xA7;
constexpr std::uint8_t kSyncB = 0x5C;
constexpr std::size_t kHeadBytes = 16;
constexpr std::size_t kCheckBytes = 4;
constexpr std::uint8_t kLastCode = 38;

} // namespace

void AppendLe16(std::vector<std::uint8_t> &out, std::uint16_t value)
{
    out.insert(out.end(),
               {static_cast<std::uint8_t>(value & 0xFF), static_cast<std::uint8_t>(value >> 8)});
}

void AppendLe32(std::vector<std::uint8_t> &out, std::uint32_t value)
{
    AppendLe16(out, static_cast<std::uint16_t>(value & 0xFFFF));
    AppendLe16(out, static_cast<std::uint16_t>(value >> 16));
}

void AppendFloat(std::vector<std::uint8_t> &out, float value)
{
    std::uint32_t bits = 0;
    std::memcpy(&bits, &value, sizeof(bits));
    AppendLe32(out, bits);
}

std::uint16_t Le16(const std::uint8_t *p)
{
    return static_cast<std::uint16_t>(p[0] + 256 * p[1]);
}

std::uint32_t Le32(const std::uint8_t *p)
{
    return Le16(p) + 65536u * Le16(p + 2);
}

float LeFloat(const std::uint8_t *p)
{
    const std::uint32_t bits = Le32(p);
    float value = 0;
    std::memcpy(&value, &bits, sizeof(value));
    return value;
}

std::vector<std::uint8_t> EncodePacket(std::uint8_t kind, std::uint8_t code, std::uint16_t seq,
                                       std::uint32_t value, std::span<const std::uint8_t> body)
{
    std::vector<std::uint8_t> out;
    out.reserve(kHeadBytes + body.size() + kCheckBytes);
    for (const std::uint8_t byte : {kSyncA, kSyncB, kind, code})
        out.push_back(byte);
    AppendLe16(out, seq);
    AppendLe32(out, value);
    AppendLe32(out, static_cast<std::uint32_t>(body.size()));
    AppendLe16(out, Crc16(std::span<const std::uint8_t>(out.data(), kHeadBytes - 2)));
    out.insert(out.end(), body.begin(), body.end());
    AppendLe32(out, Crc32(body));
    return out;
}

void PacketReader::Take(std::span<const std::uint8_t> bytes, std::vector<Packet> &out)
{
    m_backlog.insert(m_backlog.end(), bytes.begin(), bytes.end());
    Step(out);
}

void PacketReader::Reject()
{
    ++m_rejected;
    // Everything after the rejected sync byte is looked at again.
    std::vector<std::uint8_t> again(m_held.begin() + 1, m_held.end());
    again.insert(again.end(), m_backlog.begin(), m_backlog.end());
    m_backlog = std::move(again);
    m_held.clear();
    m_state = State::Hunting;
}

void PacketReader::Step(std::vector<Packet> &out)
{
    std::size_t pos = 0;
    const auto moveToHeld = [&](std::size_t wanted) {
        const std::size_t count = std::min(wanted, m_backlog.size() - pos);
        m_held.insert(m_held.end(), m_backlog.begin() + static_cast<std::ptrdiff_t>(pos),
                      m_backlog.begin() + static_cast<std::ptrdiff_t>(pos + count));
        pos += count;
        return count == wanted;
    };
    for (;;) {
        if (m_state == State::Hunting) {
            while (pos + 1 < m_backlog.size() &&
                   !(m_backlog[pos] == kSyncA && m_backlog[pos + 1] == kSyncB))
                ++pos;
            if (pos + 1 >= m_backlog.size())
                break;
            m_held.assign({kSyncA, kSyncB});
            pos += 2;
            m_state = State::Header;
        }
        if (m_state == State::Header) {
            if (!moveToHeld(kHeadBytes - m_held.size()))
                break;
            const std::uint8_t *h = m_held.data();
            m_bodyLength = Le32(h + 10);
            const bool good = Le16(h + 14) == Crc16(std::span(h, kHeadBytes - 2)) &&
                              h[2] >= kCommand && h[2] <= kNotify && h[3] >= 1 &&
                              h[3] <= kLastCode && m_bodyLength <= kPacketLimit;
            if (!good) {
                m_backlog.erase(m_backlog.begin(),
                                m_backlog.begin() + static_cast<std::ptrdiff_t>(pos));
                pos = 0;
                Reject();
                continue;
            }
            m_state = State::Body;
        }
        if (!moveToHeld(kHeadBytes + m_bodyLength + kCheckBytes - m_held.size()))
            break;
        const std::uint8_t *h = m_held.data();
        const std::span<const std::uint8_t> body(h + kHeadBytes, m_bodyLength);
        if (Le32(h + kHeadBytes + m_bodyLength) != Crc32(body)) {
            m_backlog.erase(m_backlog.begin(),
                            m_backlog.begin() + static_cast<std::ptrdiff_t>(pos));
            pos = 0;
            Reject();
            continue;
        }
        Packet packet;
        packet.kind = h[2];
        packet.code = h[3];
        packet.seq = Le16(h + 4);
        packet.value = Le32(h + 6);
        packet.body.assign(body.begin(), body.end());
        out.push_back(std::move(packet));
        m_held.clear();
        m_state = State::Hunting;
    }
    // Keep only what is still unread; a lone first sync byte may begin a frame.
    if (m_state == State::Hunting && pos + 1 == m_backlog.size() && m_backlog[pos] != kSyncA)
        ++pos;
    m_backlog.erase(m_backlog.begin(), m_backlog.begin() + static_cast<std::ptrdiff_t>(pos));
}

} // namespace qv::sim
