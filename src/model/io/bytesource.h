#pragma once

// Bounds-checked reading of a file's bytes. Every read either delivers all
// the bytes asked for or throws ReadFailure; nothing ever reads past the end.

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace qv {

class ByteSource
{
public:
    virtual ~ByteSource() = default;

    virtual std::uint64_t Size() const = 0;

    std::uint64_t Position() const { return m_position; }
    // Bytes that may still be read: up to the limit, or to the end.
    std::uint64_t Remaining() const;
    // Reads stop at this offset (a structure that must end before a trailer);
    // NoLimit lifts it.
    static constexpr std::uint64_t NoLimit = ~std::uint64_t{0};
    void SetLimit(std::uint64_t limit) { m_limit = limit; }
    // Moves to an offset within 0..Size(); beyond it throws ReadFailure.
    void Seek(std::uint64_t position);

    void Read(std::span<char> out);
    std::string ReadBytes(std::size_t count);
    std::uint8_t ReadByte();
    std::uint16_t ReadU16(); // little-endian
    std::uint32_t ReadU32(); // little-endian
    double ReadDouble();     // 8 bytes, IEEE-754, little-endian

protected:
    // Reads exactly out.size() bytes at offset (already checked against
    // Size()); throws ReadFailure when the medium fails.
    virtual void ReadAt(std::uint64_t offset, std::span<char> out) = 0;

private:
    std::uint64_t m_position = 0;
    std::uint64_t m_limit = NoLimit;
};

// Bytes already in memory (the view must outlive the source).
class MemorySource : public ByteSource
{
public:
    explicit MemorySource(std::string_view bytes)
        : m_bytes(bytes)
    {}
    std::uint64_t Size() const override { return m_bytes.size(); }

protected:
    void ReadAt(std::uint64_t offset, std::span<char> out) override;

private:
    std::string_view m_bytes;
};

// Little-endian appends to an image being built in memory.
void AppendU16(std::string &out, std::uint16_t value);
void AppendU32(std::string &out, std::uint32_t value);
void AppendDouble(std::string &out, double value);

} // namespace qv
