#include "infra/checksum.h"

#include <array>

namespace qv {

namespace {

constexpr std::array<std::uint16_t, 256> MakeCrc16Table()
{
    std::array<std::uint16_t, 256> table{};
    for (unsigned i = 0; i < 256; ++i) {
        unsigned value = i << 8;
        for (int bit = 0; bit < 8; ++bit)
            value = (value & 0x8000u) != 0 ? (value << 1) ^ 0x1021u : value << 1;
        table[i] = static_cast<std::uint16_t>(value);
    }
    return table;
}

// Four tables for the slicing-by-4 form: a file block of the link is checked
// four bytes per step, which keeps the check well below the cost of a copy.
using Crc32Tables = std::array<std::array<std::uint32_t, 256>, 4>;

constexpr Crc32Tables MakeCrc32Tables()
{
    Crc32Tables tables{};
    for (std::uint32_t i = 0; i < 256; ++i) {
        std::uint32_t value = i;
        for (int bit = 0; bit < 8; ++bit)
            value = (value & 1u) != 0 ? (value >> 1) ^ 0xEDB88320u : value >> 1;
        tables[0][i] = value;
    }
    for (std::uint32_t i = 0; i < 256; ++i) {
        for (std::size_t t = 1; t < 4; ++t)
            tables[t][i] = (tables[t - 1][i] >> 8) ^ tables[0][tables[t - 1][i] & 0xFFu];
    }
    return tables;
}

constexpr auto kCrc16Table = MakeCrc16Table();
constexpr auto kCrc32Tables = MakeCrc32Tables();

} // namespace

std::uint16_t Crc16(std::span<const std::uint8_t> bytes)
{
    std::uint16_t crc = 0xFFFF;
    for (const std::uint8_t byte : bytes)
        crc = static_cast<std::uint16_t>((crc << 8) ^ kCrc16Table[((crc >> 8) ^ byte) & 0xFFu]);
    return crc;
}

std::uint32_t Crc32(std::span<const std::uint8_t> bytes, std::uint32_t crc)
{
    crc = ~crc;
    const std::uint8_t *p = bytes.data();
    std::size_t left = bytes.size();
    while (left >= 4) {
        crc ^= static_cast<std::uint32_t>(p[0]) | static_cast<std::uint32_t>(p[1]) << 8 |
               static_cast<std::uint32_t>(p[2]) << 16 | static_cast<std::uint32_t>(p[3]) << 24;
        crc = kCrc32Tables[3][crc & 0xFFu] ^ kCrc32Tables[2][(crc >> 8) & 0xFFu] ^
              kCrc32Tables[1][(crc >> 16) & 0xFFu] ^ kCrc32Tables[0][crc >> 24];
        p += 4;
        left -= 4;
    }
    while (left-- > 0)
        crc = (crc >> 8) ^ kCrc32Tables[0][(crc ^ *p++) & 0xFFu];
    return ~crc;
}

} // namespace qv
