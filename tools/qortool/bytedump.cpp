#include "bytedump.h"

#include "dumpformat.h"
#include "infra/encoding.h"
#include "infra/helpers.h"
#include "model/file/commentfile.h"

#include <charconv>

namespace qortool {
namespace {

constexpr std::string_view kDatMagic = "QORDAT 1";
constexpr std::string_view kScoMagic = "QORSCO 1";
constexpr std::string_view kRecordKeyword = "RECORD ";
constexpr std::string_view kParamsKeyword = " PARAMS ";
constexpr std::size_t kTokensPerLine = 16;

std::vector<std::string_view> Tokens(std::string_view line)
{
    std::vector<std::string_view> tokens;
    while (!line.empty()) {
        const std::size_t start = line.find_first_not_of(" \t");
        if (start == std::string_view::npos)
            break;
        line.remove_prefix(start);
        const std::size_t end = line.find_first_of(" \t");
        tokens.push_back(line.substr(0, end));
        line.remove_prefix(end == std::string_view::npos ? line.size() : end);
    }
    return tokens;
}

bool IsContent(std::string_view line)
{
    return !Tokens(line).empty() && !line.starts_with('#');
}

// Appends the bytes of one token: "XX" or "XX*count".
void AppendToken(std::string &out, std::string_view token, std::size_t lineNumber)
{
    const std::size_t star = token.find('*');
    const std::string_view digits = token.substr(0, star);
    const auto value = qv::HexToInt(digits);
    if (digits.size() != 2 || !value)
        FailDumpLine(lineNumber, "байт должен быть записан двумя шестнадцатеричными цифрами: \"" +
                                     std::string(token) + "\"");
    std::size_t count = 1;
    if (star != std::string_view::npos) {
        const std::string_view text = token.substr(star + 1);
        const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), count);
        if (ec != std::errc() || end != text.data() + text.size() || count == 0 || count > 1048576)
            FailDumpLine(lineNumber, "неверный счётчик повторов: \"" + std::string(token) + "\"");
    }
    out.append(count, static_cast<char>(*value));
}

void AppendTokens(std::string &out, std::string_view line, std::size_t lineNumber)
{
    for (const std::string_view token : Tokens(line))
        AppendToken(out, token, lineNumber);
}

std::string FormatBytes(std::string_view bytes)
{
    std::string text;
    std::size_t onLine = 0;
    for (std::size_t pos = 0; pos < bytes.size();) {
        std::size_t run = 1;
        while (pos + run < bytes.size() && bytes[pos + run] == bytes[pos])
            ++run;
        static constexpr std::string_view kDigits = "0123456789ABCDEF";
        const auto byte = static_cast<unsigned char>(bytes[pos]);
        if (onLine != 0)
            text.push_back(' ');
        text.push_back(kDigits[byte >> 4]);
        text.push_back(kDigits[byte & 0xF]);
        if (run > 2) {
            text.push_back('*');
            text += std::to_string(run);
        } else {
            run = 1;
        }
        if (++onLine == kTokensPerLine) {
            text += "\n";
            onLine = 0;
        }
        pos += run;
    }
    if (onLine != 0)
        text += "\n";
    return text;
}

// The index of the first content line; DumpError unless it is the magic.
std::size_t ExpectMagic(const std::vector<std::string> &lines, std::string_view magic)
{
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (!IsContent(lines[i]))
            continue;
        if (lines[i] != magic)
            FailDumpLine(i + 1, "ожидалось \"" + std::string(magic) + "\"");
        return i + 1;
    }
    FailDumpLine(1, "ожидалось \"" + std::string(magic) + "\"");
}

qv::ScoParams ParseParams(std::string_view text, std::size_t lineNumber)
{
    const auto tokens = Tokens(text);
    qv::ScoParams params{};
    if (tokens.size() != params.size())
        FailDumpLine(lineNumber, "после PARAMS нужны пять целых чисел");
    for (std::size_t i = 0; i < params.size(); ++i) {
        const std::string_view token = tokens[i];
        const auto [end, ec] =
            std::from_chars(token.data(), token.data() + token.size(), params[i]);
        if (ec != std::errc() || end != token.data() + token.size())
            FailDumpLine(lineNumber, "не целое число: \"" + std::string(token) + "\"");
    }
    return params;
}

} // namespace

std::string ParseDatDump(std::string_view text)
{
    const auto lines = qv::SplitLines(text);
    std::string bytes;
    for (std::size_t i = ExpectMagic(lines, kDatMagic); i < lines.size(); ++i) {
        if (IsContent(lines[i]))
            AppendTokens(bytes, lines[i], i + 1);
    }
    return bytes;
}

std::string FormatDatDump(std::string_view bytes)
{
    return std::string(kDatMagic) + "\n" + FormatBytes(bytes);
}

std::vector<qv::SScoRecord> ParseScoDump(std::string_view text)
{
    const auto lines = qv::SplitLines(text);
    std::vector<qv::SScoRecord> records;
    std::string samples;
    std::size_t recordLine = 0;
    const auto finishRecord = [&] {
        if (records.empty())
            return;
        if (samples.size() != qv::kWaveformSamples)
            FailDumpLine(recordLine, "запись должна содержать 1000 отсчётов, а не " +
                                         std::to_string(samples.size()));
        std::copy(samples.begin(), samples.end(), records.back().samples.begin());
        samples.clear();
    };
    for (std::size_t i = ExpectMagic(lines, kScoMagic); i < lines.size(); ++i) {
        const std::string_view line = lines[i];
        if (!IsContent(line))
            continue;
        if (!line.starts_with(kRecordKeyword)) {
            if (records.empty())
                FailDumpLine(i + 1, "отсчёты без строки RECORD");
            AppendTokens(samples, line, i + 1);
            continue;
        }
        finishRecord();
        const std::string_view rest = line.substr(kRecordKeyword.size());
        const std::size_t params = rest.find(kParamsKeyword);
        if (params == std::string_view::npos)
            FailDumpLine(i + 1, "ожидалось \"RECORD имя PARAMS п1 п2 п3 п4 п5\"");
        const auto name = qv::TryUtf8ToCp1251(rest.substr(0, params));
        if (!name || name->empty() || name->size() > 255)
            FailDumpLine(i + 1,
                         "имя записи должно быть текстом из 1..255 знаков кодовой страницы 1251");
        records.push_back(
            {*name, {}, ParseParams(rest.substr(params + kParamsKeyword.size()), i + 1)});
        recordLine = i + 1;
    }
    finishRecord();
    return records;
}

std::string FormatScoDump(const std::vector<qv::SScoRecord> &records)
{
    std::string text(kScoMagic);
    text += "\n";
    for (const qv::SScoRecord &record : records) {
        text += kRecordKeyword;
        text += qv::Cp1251ToUtf8(record.name);
        text += kParamsKeyword;
        for (std::size_t i = 0; i < record.params.size(); ++i) {
            if (i != 0)
                text.push_back(' ');
            text += std::to_string(record.params[i]);
        }
        text += "\n";
        text += FormatBytes(std::string_view(reinterpret_cast<const char *>(record.samples.data()),
                                             record.samples.size()));
    }
    return text;
}

} // namespace qortool
