#pragma once

// Check values of the unit link's frames. Both ends of the link (the port and
// the simulated unit) compute them; they are plain arithmetic, not parsing.

#include <cstdint>
#include <span>

namespace qv {

// CRC-16/CCITT-FALSE: polynomial 0x1021, initial value 0xFFFF, no reflection,
// no final XOR. Check value of "123456789" is 0x29B1.
std::uint16_t Crc16(std::span<const std::uint8_t> bytes);

// CRC-32 (IEEE 802.3, reflected, as zip and PNG use it). Check value of
// "123456789" is 0xCBF43926. Pass the previous result as `crc` to continue a
// checksum over several pieces; the empty sequence yields 0.
std::uint32_t Crc32(std::span<const std::uint8_t> bytes, std::uint32_t crc = 0);

} // namespace qv
