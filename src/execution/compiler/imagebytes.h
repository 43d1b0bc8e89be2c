#pragma once

// Bounds-checked byte access for the unit's program image and its answers.
// ImageWriter fills a caller's buffer front to back and refuses to pass its
// end; AnswerReader walks an answer and refuses to read past it. Multi-byte
// values are little-endian; a value wider than its field keeps its low bytes.

#include <cstddef>
#include <cstdint>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>

namespace qv {

// The image would not fit into the buffer; nothing was written past its end.
class ImageOverflow : public std::runtime_error
{
public:
    explicit ImageOverflow(std::size_t capacity);
    std::size_t Capacity() const { return m_capacity; }

private:
    std::size_t m_capacity;
};

// The answer ended before a value the decoder needs.
class AnswerTooShort : public std::runtime_error
{
public:
    AnswerTooShort(std::size_t offset, std::size_t wanted, std::size_t length);
};

class ImageWriter
{
public:
    ImageWriter(std::span<std::uint8_t> buffer, std::size_t position)
        : m_buffer(buffer)
        , m_position(position)
    {}

    void U8(std::uint32_t value) { Put(value, 1); }
    void U16(std::uint32_t value) { Put(value, 2); }
    void U24(std::uint32_t value) { Put(value, 3); }
    void U32(std::uint32_t value) { Put(value, 4); }
    // A length byte and the bytes (at most 255 of them).
    void ShortText(std::string_view bytes);
    std::size_t Position() const { return m_position; }
    // Overwrites one byte already written (counts known only afterwards).
    void PatchU8(std::size_t at, std::uint32_t value);

private:
    void Put(std::uint32_t value, int bytes);

    std::span<std::uint8_t> m_buffer;
    std::size_t m_position;
};

class AnswerReader
{
public:
    explicit AnswerReader(std::span<const std::uint8_t> bytes)
        : m_bytes(bytes)
    {}

    std::uint8_t U8() { return static_cast<std::uint8_t>(Get(1)); }
    std::uint16_t U16() { return static_cast<std::uint16_t>(Get(2)); }
    std::uint32_t U24() { return Get(3); }
    std::uint32_t U32() { return Get(4); }
    // Bytes of a length-byte text.
    std::string ShortText();
    std::size_t Position() const { return m_position; }
    std::size_t Remaining() const { return m_bytes.size() - m_position; }

private:
    std::uint32_t Get(int bytes);

    std::span<const std::uint8_t> m_bytes;
    std::size_t m_position = 0;
};

} // namespace qv
