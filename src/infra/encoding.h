#pragma once

// Text encodings at the system's boundaries.
//
// In memory every text is UTF-8. Files and the unit's answers carry
// Windows-1251 (and the unit's DOS-side programs the DOS code page 866);
// the conversion happens exactly once, where the bytes enter or leave.
//
// Windows-1251 leaves byte 0x98 undefined. It is decoded to U+0098 and
// encoded back from it, so that every one of the 256 bytes survives a
// round trip through memory unchanged.

#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>

namespace qv {

// A text that cannot cross a boundary: a character without a byte in the
// target code page, or bytes that are not UTF-8. what() is an operator-facing
// Russian message.
class EncodingError : public std::runtime_error
{
public:
    using std::runtime_error::runtime_error;
};

std::string Cp1251ToUtf8(std::string_view bytes);
std::string Utf8ToCp1251(std::string_view text); // throws EncodingError
std::optional<std::string> TryUtf8ToCp1251(std::string_view text);

std::string Cp866ToUtf8(std::string_view bytes);
std::string Utf8ToCp866(std::string_view text); // throws EncodingError

// The Windows-1251 byte of one character, or nullopt when it has none.
std::optional<unsigned char> Cp1251ByteOf(char32_t ch);

// UTF-8 helpers shared by the text utilities.
void AppendUtf8(std::string &out, char32_t ch);
// Decodes the character starting at text[pos] and advances pos; nullopt on a
// malformed sequence (pos is left unchanged then).
std::optional<char32_t> NextUtf8(std::string_view text, std::size_t &pos);
bool IsValidUtf8(std::string_view text);
std::size_t Utf8Length(std::string_view text);

} // namespace qv
