#pragma once

// The data buses of a test file. A bus definition holds one byte per bit,
// bit 0 first: the adapter contact number (1..192) that carries that bit, so
// a bus's width is the length of its definition. The file keeps at most 255
// buses (one-byte count) and at most 255 bits per bus (one-byte length).

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace qv {

class ByteSource;

class TTyreAdr
{
public:
    static constexpr std::size_t kMaxBuses = 255;
    static constexpr std::size_t kMaxDefinition = 255;

    // Number of buses.
    int Count() const { return static_cast<int>(m_definitions.size()); }

    // Appends a bus; false (nothing added) when the file could not hold it:
    // 255 buses already, or a definition longer than 255 bytes.
    bool Add(std::string_view definition);
    // Bits of bus `index` (0-based); 0 for a missing bus.
    int Width(int index) const;
    // The definition bytes of bus `index`; "Z" for a missing bus.
    std::string Definition(int index) const;
    void Clear() { m_definitions.clear(); }

    const std::vector<std::string> &Definitions() const { return m_definitions; }

    // The bus block of the test file: one byte N, then N records of one
    // length byte and the definition's bytes. Read replaces the content and
    // lets a read failure of the source through unchanged.
    void Read(ByteSource &source);
    void Write(std::string &out) const;

    friend bool operator==(const TTyreAdr &, const TTyreAdr &) = default;

private:
    std::vector<std::string> m_definitions;
};

} // namespace qv
