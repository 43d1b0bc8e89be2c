#include "execution/compiler/imagebytes.h"

#include "infra/plural.h"

namespace qv {

ImageOverflow::ImageOverflow(std::size_t capacity)
    : std::runtime_error("Программа теста не помещается в буфер блока диагностики (" +
                         Counted(static_cast<std::int64_t>(capacity), kByteNoun) + ")")
    , m_capacity(capacity)
{}

AnswerTooShort::AnswerTooShort(std::size_t offset, std::size_t wanted, std::size_t length)
    : std::runtime_error("Ответ блока диагностики короче ожидаемого: нужно " +
                         Counted(static_cast<std::int64_t>(wanted), kByteNoun) + " со смещения " +
                         std::to_string(offset) + ", а длина ответа " +
                         Counted(static_cast<std::int64_t>(length), kByteNoun))
{}

void ImageWriter::Put(std::uint32_t value, int bytes)
{
    const auto count = static_cast<std::size_t>(bytes);
    if (m_position > m_buffer.size() || m_buffer.size() - m_position < count)
        throw ImageOverflow(m_buffer.size());
    for (std::size_t i = 0; i < count; ++i)
        m_buffer[m_position + i] = static_cast<std::uint8_t>(value >> (8 * i));
    m_position += count;
}

void ImageWriter::ShortText(std::string_view bytes)
{
    const std::size_t length = bytes.size() > 255 ? 255 : bytes.size();
    U8(static_cast<std::uint32_t>(length));
    for (std::size_t i = 0; i < length; ++i)
        U8(static_cast<std::uint8_t>(bytes[i]));
}

void ImageWriter::PatchU8(std::size_t at, std::uint32_t value)
{
    if (at >= m_position)
        throw ImageOverflow(m_buffer.size());
    m_buffer[at] = static_cast<std::uint8_t>(value);
}

std::uint32_t AnswerReader::Get(int bytes)
{
    const auto count = static_cast<std::size_t>(bytes);
    if (Remaining() < count)
        throw AnswerTooShort(m_position, count, m_bytes.size());
    std::uint32_t value = 0;
    for (std::size_t i = 0; i < count; ++i)
        value |= static_cast<std::uint32_t>(m_bytes[m_position + i]) << (8 * i);
    m_position += count;
    return value;
}

std::string AnswerReader::ShortText()
{
    const std::size_t length = U8();
    if (Remaining() < length)
        throw AnswerTooShort(m_position, length, m_bytes.size());
    std::string text(reinterpret_cast<const char *>(m_bytes.data() + m_position), length);
    m_position += length;
    return text;
}

} // namespace qv
