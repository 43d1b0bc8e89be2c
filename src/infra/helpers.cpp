#include "infra/helpers.h"

#include "infra/encoding.h"
#include "infra/safefile.h"

#include <limits>
#include <system_error>

namespace qv {

void DosToWin(std::vector<std::string> &lines)
{
    for (auto &line : lines)
        line = Cp866ToUtf8(line);
}

void WinToDos(std::vector<std::string> &lines)
{
    std::vector<std::string> converted;
    converted.reserve(lines.size());
    for (const auto &line : lines)
        converted.push_back(Utf8ToCp866(line)); // all or nothing
    lines = std::move(converted);
}

int ASCIIcode(char32_t ch)
{
    const auto b = Cp1251ByteOf(ch);
    return b ? static_cast<int>(*b) : -1;
}

std::filesystem::path BakFilePath(const std::filesystem::path &file)
{
    auto bak = file;
    bak += ".bak";
    return bak;
}

bool CreateBakFile(const std::filesystem::path &file, std::string *error)
{
    const auto fail = [&](const std::string &why) {
        if (error)
            *error = "Не удалось создать резервную копию файла \"" + file.filename().string() +
                     "\": " + why;
        return false;
    };
    std::error_code ec;
    if (!std::filesystem::exists(file, ec))
        return true;
    std::string problem;
    const auto bytes = ReadInputFile(file, std::numeric_limits<std::uint64_t>::max(), &problem);
    if (!bytes)
        return fail(problem);
    // Written as the file itself is (a kill leaves the old backup or the new
    // one, never a torn one), and never through a link at the backup's name:
    // the name is made up here, not chosen by the operator.
    const WriteOutcome written =
        ReplaceFileContent(BakFilePath(file), *bytes, LinkAtTarget::Replace);
    if (!written.Ok())
        return fail(written.problem);
    return true;
}

void DelLastSymb(std::string &text)
{
    if (Utf8Length(text) < 2)
        return;
    std::size_t cut = text.size() - 1;
    while (cut > 0 && (static_cast<unsigned char>(text[cut]) & 0xC0) == 0x80)
        --cut;
    text.erase(cut);
}

std::int64_t Math(std::int64_t base, int exponent, int /*flag*/)
{
    if (exponent < 0)
        return 0;
    std::uint64_t result = 1;
    const auto b = static_cast<std::uint64_t>(base);
    for (int i = 0; i < exponent; ++i)
        result *= b;
    return static_cast<std::int64_t>(result);
}

namespace {

std::string ToDigits(std::uint64_t value, unsigned shift)
{
    static constexpr char kDigits[] = "0123456789ABCDEF";
    const std::uint64_t mask = (1u << shift) - 1;
    std::string out;
    do {
        out.insert(out.begin(), kDigits[value & mask]);
        value >>= shift;
    } while (value != 0);
    return out;
}

int DigitValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}

std::optional<std::uint64_t> FromDigits(std::string_view text, unsigned shift)
{
    if (text.empty())
        return std::nullopt;
    const int base = 1 << shift;
    std::uint64_t value = 0;
    for (const char c : text) {
        const int d = DigitValue(c);
        if (d < 0 || d >= base)
            return std::nullopt;
        if (value >> (64 - shift) != 0)
            return std::nullopt;
        value = (value << shift) | static_cast<std::uint64_t>(d);
    }
    return value;
}

} // namespace

std::string IntToHexA(std::int64_t value)
{
    return ToDigits(static_cast<std::uint64_t>(value), 4);
}

std::string IntToOct(std::int64_t value)
{
    return ToDigits(static_cast<std::uint64_t>(value), 3);
}

std::optional<std::uint64_t> HexToInt(std::string_view text)
{
    return FromDigits(text, 4);
}

std::optional<std::uint64_t> OctToInt(std::string_view text)
{
    // 22 octal digits hold 66 bits: the top digit may only be 0 or 1.
    auto value = FromDigits(text, 3);
    if (!value)
        return std::nullopt;
    std::size_t significant = text.find_first_not_of('0');
    if (significant != std::string_view::npos && text.size() - significant == 22 &&
        text[significant] > '1')
        return std::nullopt;
    if (significant != std::string_view::npos && text.size() - significant > 22)
        return std::nullopt;
    return value;
}

std::string IntToBin(std::uint64_t value, int width)
{
    if (width <= 0)
        return {};
    std::string out(static_cast<std::size_t>(width), '0');
    for (int i = 0; i < width && i < 64; ++i) {
        if ((value >> i) & 1u)
            out[static_cast<std::size_t>(width - 1 - i)] = '1';
    }
    return out;
}

int WD_HexToInt(std::string_view digit)
{
    if (digit.size() != 1)
        return -1;
    return DigitValue(digit[0]);
}

std::string WD_IntToHex(int value)
{
    if (value < 0 || value > 15)
        return {};
    return std::string(1, "0123456789ABCDEF"[value]);
}

std::string GetName(std::string_view line)
{
    const auto eq = line.find('=');
    return std::string(eq == std::string_view::npos ? line : line.substr(0, eq));
}

std::string GetValue(std::string_view line)
{
    const auto eq = line.find('=');
    return eq == std::string_view::npos ? std::string() : std::string(line.substr(eq + 1));
}

bool IsDec(std::string_view text)
{
    if (!text.empty() && text.front() == '-')
        text.remove_prefix(1);
    if (text.empty())
        return false;
    for (const char c : text) {
        if (c < '0' || c > '9')
            return false;
    }
    return true;
}

std::filesystem::path SetExt(const std::filesystem::path &path, std::string_view ext)
{
    auto out = path;
    std::string e(ext);
    if (!e.empty() && e.front() != '.')
        e.insert(e.begin(), '.');
    out.replace_extension(e);
    return out;
}

std::string ToUpperText(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    std::size_t pos = 0;
    while (pos < text.size()) {
        const std::size_t start = pos;
        const auto ch = NextUtf8(text, pos);
        if (!ch) {
            out.push_back(text[start]);
            pos = start + 1;
            continue;
        }
        char32_t up = *ch;
        if (up >= U'a' && up <= U'z')
            up -= 32;
        else if (up >= U'а' && up <= U'я')
            up -= 32;
        else if (up >= U'ѐ' && up <= U'џ')
            up -= 80;
        AppendUtf8(out, up);
    }
    return out;
}

bool SameTextNoCase(std::string_view a, std::string_view b)
{
    return ToUpperText(a) == ToUpperText(b);
}

} // namespace qv
