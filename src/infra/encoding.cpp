#include "infra/encoding.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <utility>

namespace qv {
namespace {

// Upper halves (bytes 0x80..0xFF) of the two code pages as Unicode points.
constexpr std::array<char16_t, 128> kCp1251High = {
    0x0402, 0x0403, 0x201A, 0x0453, 0x201E, 0x2026, 0x2020, 0x2021, //
    0x20AC, 0x2030, 0x0409, 0x2039, 0x040A, 0x040C, 0x040B, 0x040F, //
    0x0452, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014, //
    0x0098, 0x2122, 0x0459, 0x203A, 0x045A, 0x045C, 0x045B, 0x045F, //
    0x00A0, 0x040E, 0x045E, 0x0408, 0x00A4, 0x0490, 0x00A6, 0x00A7, //
    0x0401, 0x00A9, 0x0404, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x0407, //
    0x00B0, 0x00B1, 0x0406, 0x0456, 0x0491, 0x00B5, 0x00B6, 0x00B7, //
    0x0451, 0x2116, 0x0454, 0x00BB, 0x0458, 0x0405, 0x0455, 0x0457, //
    0x0410, 0x0411, 0x0412, 0x0413, 0x0414, 0x0415, 0x0416, 0x0417, //
    0x0418, 0x0419, 0x041A, 0x041B, 0x041C, 0x041D, 0x041E, 0x041F, //
    0x0420, 0x0421, 0x0422, 0x0423, 0x0424, 0x0425, 0x0426, 0x0427, //
    0x0428, 0x0429, 0x042A, 0x042B, 0x042C, 0x042D, 0x042E, 0x042F, //
    0x0430, 0x0431, 0x0432, 0x0433, 0x0434, 0x0435, 0x0436, 0x0437, //
    0x0438, 0x0439, 0x043A, 0x043B, 0x043C, 0x043D, 0x043E, 0x043F, //
    0x0440, 0x0441, 0x0442, 0x0443, 0x0444, 0x0445, 0x0446, 0x0447, //
    0x0448, 0x0449, 0x044A, 0x044B, 0x044C, 0x044D, 0x044E, 0x044F, //
};

constexpr std::array<char16_t, 128> kCp866High = {
    0x0410, 0x0411, 0x0412, 0x0413, 0x0414, 0x0415, 0x0416, 0x0417, //
    0x0418, 0x0419, 0x041A, 0x041B, 0x041C, 0x041D, 0x041E, 0x041F, //
    0x0420, 0x0421, 0x0422, 0x0423, 0x0424, 0x0425, 0x0426, 0x0427, //
    0x0428, 0x0429, 0x042A, 0x042B, 0x042C, 0x042D, 0x042E, 0x042F, //
    0x0430, 0x0431, 0x0432, 0x0433, 0x0434, 0x0435, 0x0436, 0x0437, //
    0x0438, 0x0439, 0x043A, 0x043B, 0x043C, 0x043D, 0x043E, 0x043F, //
    0x2591, 0x2592, 0x2593, 0x2502, 0x2524, 0x2561, 0x2562, 0x2556, //
    0x2555, 0x2563, 0x2551, 0x2557, 0x255D, 0x255C, 0x255B, 0x2510, //
    0x2514, 0x2534, 0x252C, 0x251C, 0x2500, 0x253C, 0x255E, 0x255F, //
    0x255A, 0x2554, 0x2569, 0x2566, 0x2560, 0x2550, 0x256C, 0x2567, //
    0x2568, 0x2564, 0x2565, 0x2559, 0x2558, 0x2552, 0x2553, 0x256B, //
    0x256A, 0x2518, 0x250C, 0x2588, 0x2584, 0x258C, 0x2590, 0x2580, //
    0x0440, 0x0441, 0x0442, 0x0443, 0x0444, 0x0445, 0x0446, 0x0447, //
    0x0448, 0x0449, 0x044A, 0x044B, 0x044C, 0x044D, 0x044E, 0x044F, //
    0x0401, 0x0451, 0x0404, 0x0454, 0x0407, 0x0457, 0x040E, 0x045E, //
    0x00B0, 0x2219, 0x00B7, 0x221A, 0x2116, 0x00A4, 0x25A0, 0x00A0, //
};

// The UTF-8 form of every upper-half byte, prepared once per code page so that
// decoding a large block is a table copy per character.
struct DecodeTable
{
    std::array<std::array<char, 3>, 128> bytes{};
    std::array<unsigned char, 128> lengths{};

    explicit DecodeTable(const std::array<char16_t, 128> &high)
    {
        for (std::size_t i = 0; i < high.size(); ++i) {
            std::string utf8;
            AppendUtf8(utf8, high[i]);
            lengths[i] = static_cast<unsigned char>(utf8.size());
            std::copy(utf8.begin(), utf8.end(), bytes[i].begin());
        }
    }
};

const DecodeTable &DecodeTableOf(const std::array<char16_t, 128> &high);

// The first byte from `from` on that is not ASCII, or `end`; eight bytes
// at a time while they are all ASCII.
const char *AsciiRunEnd(const char *from, const char *end)
{
    constexpr std::uint64_t kHighBits = 0x8080808080808080u;
    while (end - from >= 8) {
        std::uint64_t eight = 0;
        std::memcpy(&eight, from, sizeof eight);
        if ((eight & kHighBits) != 0)
            break;
        from += 8;
    }
    while (from != end && static_cast<unsigned char>(*from) < 0x80)
        ++from;
    return from;
}

std::string DecodeSingleByte(std::string_view bytes, const std::array<char16_t, 128> &high)
{
    const DecodeTable &table = DecodeTableOf(high);
    const char *const begin = bytes.data();
    const char *const end = begin + bytes.size();
    // The exact length first: a block of tens of kilobytes, mostly ASCII,
    // would otherwise get (and clear) three times its size.
    const char *firstHigh = AsciiRunEnd(begin, end);
    if (firstHigh == end)
        return std::string(bytes);
    std::size_t size = bytes.size();
    for (const char *at = firstHigh; at != end; at = AsciiRunEnd(at + 1, end))
        size = size - 1 + table.lengths[static_cast<unsigned char>(*at) - 0x80];
    std::string out(size, '\0');
    char *to = out.data();
    for (const char *from = begin; from != end;) {
        const char *high = AsciiRunEnd(from, end);
        std::memcpy(to, from, static_cast<std::size_t>(high - from));
        to += high - from;
        if (high == end)
            break;
        const auto b = static_cast<unsigned char>(*high) - 0x80;
        std::memcpy(to, table.bytes[b].data(), table.lengths[b]);
        to += table.lengths[b];
        from = high + 1;
    }
    return out;
}

// Reverse look-up of an upper half: code points sorted, searched by halves,
// so that encoding a large block costs a few comparisons per character.
struct ReverseTable
{
    std::array<std::pair<char16_t, unsigned char>, 128> entries{};
    // Direct answers for the two-byte UTF-8 range (Cyrillic among it):
    // the byte, or -1 when the code page has none.
    std::array<std::int16_t, 0x800> direct{};

    explicit ReverseTable(const std::array<char16_t, 128> &high)
    {
        for (std::size_t i = 0; i < high.size(); ++i)
            entries[i] = {high[i], static_cast<unsigned char>(0x80 + i)};
        std::sort(entries.begin(), entries.end());
        direct.fill(-1);
        for (char16_t ch = 0; ch < 0x80; ++ch)
            direct[ch] = static_cast<std::int16_t>(ch);
        for (const auto &[ch, byte] : entries) {
            if (ch < direct.size())
                direct[ch] = byte;
        }
    }

    std::optional<unsigned char> find(char32_t ch) const
    {
        if (ch < direct.size()) {
            if (direct[ch] < 0)
                return std::nullopt;
            return static_cast<unsigned char>(direct[ch]);
        }
        if (ch > 0xFFFF)
            return std::nullopt;
        const auto key = static_cast<char16_t>(ch);
        const auto it = std::lower_bound(entries.begin(), entries.end(), key,
                                         [](const auto &e, char16_t k) { return e.first < k; });
        if (it == entries.end() || it->first != key)
            return std::nullopt;
        return it->second;
    }
};

const ReverseTable &ReverseOf(const std::array<char16_t, 128> &high)
{
    static const ReverseTable cp1251(kCp1251High);
    static const ReverseTable cp866(kCp866High);
    return &high == &kCp1251High ? cp1251 : cp866;
}

const DecodeTable &DecodeTableOf(const std::array<char16_t, 128> &high)
{
    static const DecodeTable cp1251(kCp1251High);
    static const DecodeTable cp866(kCp866High);
    return &high == &kCp1251High ? cp1251 : cp866;
}

std::optional<unsigned char> ByteOf(char32_t ch, const std::array<char16_t, 128> &high)
{
    if (ch < 0x80)
        return static_cast<unsigned char>(ch);
    return ReverseOf(high).find(ch);
}

std::string CodePointName(char32_t ch)
{
    char buf[16];
    std::snprintf(buf, sizeof buf, "U+%04X", static_cast<unsigned>(ch));
    return buf;
}

std::optional<std::string>
EncodeSingleByte(std::string_view text, const std::array<char16_t, 128> &high, std::string *error)
{
    std::string out;
    out.reserve(text.size());
    const ReverseTable &reverse = ReverseOf(high);
    std::size_t pos = 0;
    while (pos < text.size()) {
        const auto lead = static_cast<unsigned char>(text[pos]);
        if (lead < 0x80) {
            out.push_back(text[pos++]);
            continue;
        }
        // Two-byte sequences (Cyrillic) straight from the direct table.
        if (lead >= 0xC2 && lead <= 0xDF && pos + 1 < text.size() &&
            (static_cast<unsigned char>(text[pos + 1]) & 0xC0) == 0x80) {
            const char32_t two =
                ((lead & 0x1Fu) << 6) | (static_cast<unsigned char>(text[pos + 1]) & 0x3Fu);
            if (reverse.direct[two] >= 0) {
                out.push_back(static_cast<char>(reverse.direct[two]));
                pos += 2;
                continue;
            }
        }
        const auto ch = NextUtf8(text, pos);
        if (!ch) {
            if (error)
                *error = "Текст содержит недопустимую последовательность байтов UTF-8";
            return std::nullopt;
        }
        const auto b = reverse.find(*ch);
        if (!b) {
            if (error) {
                std::string shown;
                AppendUtf8(shown, *ch);
                *error = "Символ \"" + shown + "\" (" + CodePointName(*ch) +
                         ") не может быть записан в кодировке";
            }
            return std::nullopt;
        }
        out.push_back(static_cast<char>(*b));
    }
    return out;
}

} // namespace

void AppendUtf8(std::string &out, char32_t ch)
{
    if (ch < 0x80) {
        out.push_back(static_cast<char>(ch));
    } else if (ch < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (ch >> 6)));
        out.push_back(static_cast<char>(0x80 | (ch & 0x3F)));
    } else if (ch < 0x10000) {
        out.push_back(static_cast<char>(0xE0 | (ch >> 12)));
        out.push_back(static_cast<char>(0x80 | ((ch >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (ch & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xF0 | (ch >> 18)));
        out.push_back(static_cast<char>(0x80 | ((ch >> 12) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | ((ch >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (ch & 0x3F)));
    }
}

std::optional<char32_t> NextUtf8(std::string_view text, std::size_t &pos)
{
    if (pos >= text.size())
        return std::nullopt;
    const auto lead = static_cast<unsigned char>(text[pos]);
    if (lead < 0x80) {
        ++pos;
        return lead;
    }
    int extra = 0;
    char32_t ch = 0;
    char32_t minimum = 0;
    if ((lead & 0xE0) == 0xC0) {
        extra = 1;
        ch = lead & 0x1F;
        minimum = 0x80;
    } else if ((lead & 0xF0) == 0xE0) {
        extra = 2;
        ch = lead & 0x0F;
        minimum = 0x800;
    } else if ((lead & 0xF8) == 0xF0) {
        extra = 3;
        ch = lead & 0x07;
        minimum = 0x10000;
    } else {
        return std::nullopt;
    }
    if (text.size() - pos <= static_cast<std::size_t>(extra))
        return std::nullopt;
    for (int i = 1; i <= extra; ++i) {
        const auto cont = static_cast<unsigned char>(text[pos + i]);
        if ((cont & 0xC0) != 0x80)
            return std::nullopt;
        ch = (ch << 6) | (cont & 0x3F);
    }
    if (ch < minimum || ch > 0x10FFFF || (ch >= 0xD800 && ch <= 0xDFFF))
        return std::nullopt;
    pos += extra + 1;
    return ch;
}

bool IsValidUtf8(std::string_view text)
{
    std::size_t pos = 0;
    while (pos < text.size()) {
        if (!NextUtf8(text, pos))
            return false;
    }
    return true;
}

std::size_t Utf8Length(std::string_view text)
{
    std::size_t count = 0;
    for (const char c : text) {
        if ((static_cast<unsigned char>(c) & 0xC0) != 0x80)
            ++count;
    }
    return count;
}

std::string Cp1251ToUtf8(std::string_view bytes)
{
    return DecodeSingleByte(bytes, kCp1251High);
}

std::optional<std::string> TryUtf8ToCp1251(std::string_view text)
{
    return EncodeSingleByte(text, kCp1251High, nullptr);
}

std::string Utf8ToCp1251(std::string_view text)
{
    std::string error;
    auto out = EncodeSingleByte(text, kCp1251High, &error);
    if (!out)
        throw EncodingError(error + " Windows-1251");
    return std::move(*out);
}

std::string Cp866ToUtf8(std::string_view bytes)
{
    return DecodeSingleByte(bytes, kCp866High);
}

std::string Utf8ToCp866(std::string_view text)
{
    std::string error;
    auto out = EncodeSingleByte(text, kCp866High, &error);
    if (!out)
        throw EncodingError(error + " CP866");
    return std::move(*out);
}

std::optional<unsigned char> Cp1251ByteOf(char32_t ch)
{
    return ByteOf(ch, kCp1251High);
}

} // namespace qv
