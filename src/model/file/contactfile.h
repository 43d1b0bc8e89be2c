#pragma once

// The byte layout of the contact file (.CNT), written by the test editor
// and read here:
//   magic "©Contact file" (13, Windows-1251) | N (u16) | N records: contact
//   number (u16, 1-based), L (1), L name bytes XORed with kContactNameMask |
//   created (8-byte day count) | modified (same) | SHA-256 of all before (32).

#include "model/file/crypto.h"

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace qv {

class ByteSource;

inline constexpr std::uint8_t kContactNameMask = 0x5A;

struct ContactFileContent
{
    struct Record
    {
        std::uint16_t number = 0; // as stored; only 1..192 name a contact
        std::string name;         // Windows-1251 bytes, mask removed
    };

    double created = 0;
    double modified = 0;
    std::vector<Record> records;
};

// Magic (CodeError 1), size and structure (ReadFailure), digest (CodeError 3).
ContactFileContent ReadContactFile(ByteSource &source, CryptoProvider &crypto,
                                   std::span<char> digestBuffer);
// The file bytes; a name longer than 255 bytes or more than 65535 records
// throw std::length_error.
std::string BuildContactFile(const ContactFileContent &content, CryptoProvider &crypto);

} // namespace qv
