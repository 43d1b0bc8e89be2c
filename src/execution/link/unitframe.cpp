#include "execution/link/unitframe.h"

#include "infra/checksum.h"
#include "infra/unitcodes.h"

namespace qv::wire {

void PutU16(std::vector<std::uint8_t> &out, std::uint16_t value)
{
    out.push_back(static_cast<std::uint8_t>(value));
    out.push_back(static_cast<std::uint8_t>(value >> 8));
}

void PutU32(std::vector<std::uint8_t> &out, std::uint32_t value)
{
    for (int shift = 0; shift < 32; shift += 8)
        out.push_back(static_cast<std::uint8_t>(value >> shift));
}

std::uint16_t GetU16(std::span<const std::uint8_t> bytes, std::size_t at)
{
    return static_cast<std::uint16_t>(bytes[at] | bytes[at + 1] << 8);
}

std::uint32_t GetU32(std::span<const std::uint8_t> bytes, std::size_t at)
{
    return static_cast<std::uint32_t>(bytes[at]) | static_cast<std::uint32_t>(bytes[at + 1]) << 8 |
           static_cast<std::uint32_t>(bytes[at + 2]) << 16 |
           static_cast<std::uint32_t>(bytes[at + 3]) << 24;
}

void AppendFrame(std::vector<std::uint8_t> &out, Kind kind, int code, std::uint16_t seq,
                 std::uint32_t value, std::span<const std::uint8_t> payload)
{
    const std::size_t header = out.size();
    out.reserve(header + kHeaderSize + payload.size() + kTrailerSize);
    out.push_back(kSync0);
    out.push_back(kSync1);
    out.push_back(static_cast<std::uint8_t>(kind));
    out.push_back(static_cast<std::uint8_t>(code));
    PutU16(out, seq);
    PutU32(out, value);
    PutU32(out, static_cast<std::uint32_t>(payload.size()));
    PutU16(out, Crc16(std::span(out).subspan(header, kHeaderSize - 2)));
    out.insert(out.end(), payload.begin(), payload.end());
    PutU32(out, Crc32(payload));
}

void Decoder::Feed(std::span<const std::uint8_t> bytes, const Sink &sink)
{
    if (m_start > 0 && m_start >= m_buffer.size() / 2) {
        m_buffer.erase(m_buffer.begin(), m_buffer.begin() + static_cast<std::ptrdiff_t>(m_start));
        m_start = 0;
    }
    m_buffer.insert(m_buffer.end(), bytes.begin(), bytes.end());
    while (TakeOne(sink)) {
    }
    if (m_start == m_buffer.size()) {
        m_buffer.clear();
        m_start = 0;
    }
}

void Decoder::Reset()
{
    m_buffer.clear();
    m_start = 0;
}

void Decoder::Drop(std::size_t count)
{
    m_start += count;
    m_dropped += count;
}

bool Decoder::TakeOne(const Sink &sink)
{
    const std::span<const std::uint8_t> pending =
        std::span<const std::uint8_t>(m_buffer).subspan(m_start);
    // Look for the sync pair; a lone first sync byte at the very end may be
    // the start of a frame still arriving.
    std::size_t at = 0;
    while (at + 1 < pending.size() && !(pending[at] == kSync0 && pending[at + 1] == kSync1))
        ++at;
    if (at + 1 >= pending.size()) {
        const bool keepLast = !pending.empty() && pending.back() == kSync0;
        Drop(pending.size() - (keepLast ? 1 : 0));
        return false;
    }
    if (at > 0) {
        Drop(at);
        return true;
    }
    if (pending.size() < kHeaderSize)
        return false;
    const auto header = pending.first(kHeaderSize);
    const auto kind = header[2];
    const int code = header[3];
    const std::uint32_t length = GetU32(header, 10);
    const bool headerOk = GetU16(header, 14) == Crc16(header.first(kHeaderSize - 2)) &&
                          kind >= static_cast<std::uint8_t>(Kind::Command) &&
                          kind <= static_cast<std::uint8_t>(Kind::Notify) && IsUnitCommand(code) &&
                          length <= kMaxPayload;
    if (!headerOk) {
        Drop(1);
        return true;
    }
    const std::size_t total = kHeaderSize + length + kTrailerSize;
    if (pending.size() < total)
        return false;
    const auto payload = pending.subspan(kHeaderSize, length);
    if (GetU32(pending, kHeaderSize + length) != Crc32(payload)) {
        Drop(1);
        return true;
    }
    Frame frame;
    frame.kind = static_cast<Kind>(kind);
    frame.code = code;
    frame.seq = GetU16(header, 4);
    frame.value = GetU32(header, 6);
    frame.payload.assign(payload.begin(), payload.end());
    m_start += total;
    ++m_frames;
    sink(std::move(frame));
    return true;
}

} // namespace qv::wire
