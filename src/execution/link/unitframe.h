#pragma once

// The port's side of the unit link framing (docs/unit-protocol.md): building
// frames and finding them again in a byte stream that may carry garbage,
// damaged frames or frames split across reads.

#include <cstdint>
#include <functional>
#include <span>
#include <vector>

namespace qv::wire {

enum class Kind : std::uint8_t {
    Command = 1,
    Ack = 2,
    Data = 3,
    Warning = 4,
    Error = 5,
    Notify = 6,
};

inline constexpr std::uint8_t kSync0 = 0xA7;
inline constexpr std::uint8_t kSync1 = 0x5C;
inline constexpr std::size_t kHeaderSize = 16;
inline constexpr std::size_t kTrailerSize = 4;
inline constexpr std::uint32_t kMaxPayload = 2u * 1024 * 1024;
inline constexpr std::uint16_t kProtocolVersion = 1;

struct Frame
{
    Kind kind = Kind::Command;
    int code = 0;
    std::uint16_t seq = 0;
    std::uint32_t value = 0;
    std::vector<std::uint8_t> payload;
};

// Appends one complete frame to `out`. The payload must not exceed
// kMaxPayload (the caller checks; this is not an input boundary).
void AppendFrame(std::vector<std::uint8_t> &out, Kind kind, int code, std::uint16_t seq,
                 std::uint32_t value, std::span<const std::uint8_t> payload);

// Finds frames in a byte stream. Bytes that cannot start a valid frame are
// dropped and counted; a frame is delivered only when both of its checks
// match. Not thread-safe: one reader feeds it.
class Decoder
{
public:
    using Sink = std::function<void(Frame &&)>;

    // Takes received bytes and passes every complete frame to `sink`, in order.
    void Feed(std::span<const std::uint8_t> bytes, const Sink &sink);
    // Forgets a partly received frame (after the connection was made again).
    void Reset();

    std::uint64_t FramesDecoded() const { return m_frames; }
    std::uint64_t BytesDropped() const { return m_dropped; }

private:
    // Tries to take one frame at the front of the buffer; false when more
    // bytes are needed.
    bool TakeOne(const Sink &sink);
    void Drop(std::size_t count);

    std::vector<std::uint8_t> m_buffer;
    std::size_t m_start = 0;
    std::uint64_t m_frames = 0;
    std::uint64_t m_dropped = 0;
};

// Little-endian helpers for payload layouts.
void PutU16(std::vector<std::uint8_t> &out, std::uint16_t value);
void PutU32(std::vector<std::uint8_t> &out, std::uint32_t value);
std::uint16_t GetU16(std::span<const std::uint8_t> bytes, std::size_t at);
std::uint32_t GetU32(std::span<const std::uint8_t> bytes, std::size_t at);

} // namespace qv::wire
