#include "model/io/bytesource.h"

#include "model/io/errors.h"

#include <algorithm>
#include <bit>
#include <cstring>

namespace qv {

std::uint64_t ByteSource::Remaining() const
{
    const std::uint64_t end = std::min(Size(), m_limit);
    return end > m_position ? end - m_position : 0;
}

void ByteSource::Seek(std::uint64_t position)
{
    if (position > Size()) {
        throw ReadFailure();
    }
    m_position = position;
}

void ByteSource::Read(std::span<char> out)
{
    if (out.size() > Remaining()) {
        throw ReadFailure();
    }
    if (!out.empty()) {
        ReadAt(m_position, out);
    }
    m_position += out.size();
}

std::string ByteSource::ReadBytes(std::size_t count)
{
    if (count > Remaining()) {
        throw ReadFailure();
    }
    std::string bytes(count, '\0');
    Read(bytes);
    return bytes;
}

std::uint8_t ByteSource::ReadByte()
{
    char byte = 0;
    Read(std::span<char>(&byte, 1));
    return static_cast<std::uint8_t>(byte);
}

std::uint16_t ByteSource::ReadU16()
{
    char bytes[2];
    Read(bytes);
    return static_cast<std::uint16_t>(static_cast<std::uint8_t>(bytes[0]) |
                                      (static_cast<std::uint8_t>(bytes[1]) << 8));
}

std::uint32_t ByteSource::ReadU32()
{
    char bytes[4];
    Read(bytes);
    std::uint32_t value = 0;
    for (int i = 3; i >= 0; --i) {
        value = (value << 8) | static_cast<std::uint8_t>(bytes[i]);
    }
    return value;
}

double ByteSource::ReadDouble()
{
    char bytes[8];
    Read(bytes);
    std::uint64_t bits = 0;
    for (int i = 7; i >= 0; --i) {
        bits = (bits << 8) | static_cast<std::uint8_t>(bytes[i]);
    }
    return std::bit_cast<double>(bits);
}

void MemorySource::ReadAt(std::uint64_t offset, std::span<char> out)
{
    std::memcpy(out.data(), m_bytes.data() + offset, out.size());
}

void AppendU16(std::string &out, std::uint16_t value)
{
    out.push_back(static_cast<char>(value & 0xFF));
    out.push_back(static_cast<char>(value >> 8));
}

void AppendU32(std::string &out, std::uint32_t value)
{
    for (int i = 0; i < 4; ++i) {
        out.push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
    }
}

void AppendDouble(std::string &out, double value)
{
    const auto bits = std::bit_cast<std::uint64_t>(value);
    for (int i = 0; i < 8; ++i) {
        out.push_back(static_cast<char>((bits >> (8 * i)) & 0xFF));
    }
}

} // namespace qv
