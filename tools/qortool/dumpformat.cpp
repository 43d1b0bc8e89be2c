#include "dumpformat.h"

#include "infra/encoding.h"
#include "infra/helpers.h"
#include "model/file/commentfile.h"
#include "model/file/datetext.h"

#include <cstdio>

namespace qortool {
namespace {

constexpr std::string_view kQorMagic = "QORDUMP 1";
constexpr std::string_view kCntMagic = "QORCNT 1";
constexpr std::string_view kGeneralMarker = "#GENERAL";
constexpr std::string_view kTestMarker = "#TEST";

// "KEYWORD rest": the rest when the line starts with the keyword and a
// space (or is the keyword alone: then "").
std::optional<std::string_view> AfterKeyword(std::string_view line, std::string_view keyword)
{
    if (line == keyword) {
        return std::string_view();
    }
    if (line.size() > keyword.size() && line.starts_with(keyword) && line[keyword.size()] == ' ') {
        return line.substr(keyword.size() + 1);
    }
    return std::nullopt;
}

std::optional<long> Number(std::string_view text)
{
    if (!qv::IsDec(text) || text.size() > 9) {
        return std::nullopt;
    }
    return std::stol(std::string(text));
}

std::string BusDefinition(std::string_view contacts, std::size_t lineNumber)
{
    std::string definition;
    while (!contacts.empty()) {
        const std::size_t end = contacts.find(' ');
        const std::string_view item = contacts.substr(0, end);
        if (!item.empty()) {
            const auto contact = Number(item);
            if (!contact || *contact < 0 || *contact > 255) {
                FailDumpLine(lineNumber, "номер контакта шины должен быть числом от 0 до 255: \"" +
                                             std::string(item) + "\"");
            }
            definition.push_back(static_cast<char>(*contact));
        }
        if (end == std::string_view::npos) {
            break;
        }
        contacts.remove_prefix(end + 1);
    }
    if (definition.size() > 255) {
        FailDumpLine(lineNumber, "в шине больше 255 разрядов");
    }
    return definition;
}

std::string UnescapeLine(std::string_view text, std::size_t lineNumber)
{
    try {
        return UnescapeText(text);
    } catch (const DumpError &e) {
        FailDumpLine(lineNumber, e.what());
    } catch (const qv::EncodingError &e) {
        FailDumpLine(lineNumber, e.what());
    }
}

} // namespace

void FailDumpLine(std::size_t lineNumber, const std::string &problem)
{
    throw DumpError("строка " + std::to_string(lineNumber) + ": " + problem);
}

std::string EscapeBytes(std::string_view bytes, bool blockLine)
{
    std::string text;
    std::size_t plainFrom = 0;
    const auto flushPlain = [&](std::size_t to) {
        text += qv::Cp1251ToUtf8(bytes.substr(plainFrom, to - plainFrom));
    };
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        const auto byte = static_cast<unsigned char>(bytes[i]);
        const bool leadingHash = blockLine && i == 0 && byte == '#';
        if (byte >= 0x20 && byte != '\\' && !leadingHash) {
            continue;
        }
        flushPlain(i);
        plainFrom = i + 1;
        if (byte == 0x07) {
            text += "\\a";
        } else if (byte == '\\') {
            text += "\\\\";
        } else {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\x%02X", byte);
            text += escaped;
        }
    }
    flushPlain(bytes.size());
    return text;
}

std::string UnescapeText(std::string_view text)
{
    std::string bytes;
    std::size_t plainFrom = 0;
    const auto flushPlain = [&](std::size_t to) {
        bytes += qv::Utf8ToCp1251(text.substr(plainFrom, to - plainFrom));
    };
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\\') {
            continue;
        }
        flushPlain(i);
        const char kind = i + 1 < text.size() ? text[i + 1] : '\0';
        if (kind == 'a') {
            bytes.push_back('\x07');
            i += 1;
        } else if (kind == '\\') {
            bytes.push_back('\\');
            i += 1;
        } else if (kind == 'x' && i + 3 < text.size() && qv::HexToInt(text.substr(i + 2, 2))) {
            bytes.push_back(static_cast<char>(*qv::HexToInt(text.substr(i + 2, 2))));
            i += 3;
        } else {
            throw DumpError("неверная escape-последовательность \"" +
                            std::string(text.substr(i, 4)) + "\" (допустимы \\a, \\\\, \\xHH)");
        }
        plainFrom = i + 1;
    }
    flushPlain(text.size());
    return bytes;
}

std::vector<std::string> BlockLines(std::string_view text)
{
    std::vector<std::string> lines;
    while (!text.empty()) {
        const std::size_t end = text.find("\r\n");
        const std::string_view line = text.substr(0, end);
        if (!line.empty()) {
            lines.emplace_back(line);
        }
        if (end == std::string_view::npos) {
            break;
        }
        text.remove_prefix(end + 2);
    }
    return lines;
}

std::string BlockText(const std::vector<std::string> &lines)
{
    std::string text;
    for (const auto &line : lines) {
        text += line;
        text += "\r\n";
    }
    return text;
}

QorDump ParseQorDump(std::string_view text)
{
    const std::vector<std::string> lines = qv::SplitLines(text);
    if (lines.empty() || lines.front() != kQorMagic) {
        FailDumpLine(1, "ожидалась строка \"" + std::string(kQorMagic) + "\"");
    }
    QorDump dump;
    bool haveFlags = false;
    std::vector<std::string> *block = nullptr; // the block whose lines follow
    for (std::size_t i = 1; i < lines.size(); ++i) {
        const std::string &line = lines[i];
        const std::size_t number = i + 1;
        if (line == kGeneralMarker) {
            if (block != nullptr) {
                FailDumpLine(number, "раздел #GENERAL может быть только один и только перед #TEST");
            }
            block = &dump.generalLines;
            continue;
        }
        if (line == kTestMarker) {
            if (block == nullptr) {
                FailDumpLine(number, "раздел #TEST должен следовать за #GENERAL");
            }
            block = &dump.testLines.emplace_back();
            continue;
        }
        if (block != nullptr) {
            if (!line.empty()) {
                block->push_back(UnescapeLine(line, number));
            }
            continue;
        }
        if (const auto value = AfterKeyword(line, "FLAGS")) {
            const auto flags = Number(*value);
            if (!flags || *flags < 0 || *flags > 255) {
                FailDumpLine(number, "FLAGS должно быть числом от 0 до 255");
            }
            dump.flags = static_cast<int>(*flags);
            haveFlags = true;
        } else if (const auto read = AfterKeyword(line, "READ-PASSWORD")) {
            dump.readPassword = std::string(*read);
        } else if (const auto write = AfterKeyword(line, "WRITE-PASSWORD")) {
            dump.writePassword = std::string(*write);
        } else if (const auto bus = AfterKeyword(line, "BUS")) {
            if (dump.buses.size() == 255) {
                FailDumpLine(number, "шин больше 255");
            }
            dump.buses.push_back(BusDefinition(*bus, number));
        } else if (!line.empty()) {
            FailDumpLine(number, "неизвестная строка \"" + line + "\"");
        }
    }
    if (!haveFlags) {
        FailDumpLine(lines.size(), "нет строки FLAGS");
    }
    if (block == nullptr) {
        FailDumpLine(lines.size(), "нет раздела #GENERAL");
    }
    return dump;
}

std::string FormatQorDump(const QorDump &dump)
{
    std::string text(kQorMagic);
    text += "\nFLAGS " + std::to_string(dump.flags) + "\n";
    for (const auto &bus : dump.buses) {
        text += "BUS";
        for (const char contact : bus) {
            text += ' ' + std::to_string(static_cast<unsigned char>(contact));
        }
        text += '\n';
    }
    const auto block = [&text](std::string_view marker, const std::vector<std::string> &lines) {
        text += marker;
        text += '\n';
        for (const auto &line : lines) {
            text += EscapeBytes(line, true);
            text += '\n';
        }
    };
    block(kGeneralMarker, dump.generalLines);
    for (const auto &test : dump.testLines) {
        block(kTestMarker, test);
    }
    return text;
}

CntDump ParseCntDump(std::string_view text)
{
    const std::vector<std::string> lines = qv::SplitLines(text);
    if (lines.empty() || lines.front() != kCntMagic) {
        FailDumpLine(1, "ожидалась строка \"" + std::string(kCntMagic) + "\"");
    }
    CntDump dump;
    for (std::size_t i = 1; i < lines.size(); ++i) {
        const std::string &line = lines[i];
        const std::size_t number = i + 1;
        const auto date = [&](std::string_view value) {
            const auto moment = qv::ParseDateTimeText(value);
            if (!moment) {
                FailDumpLine(number, "неверная дата \"" + std::string(value) +
                                         "\" (ожидается ГГГГ-ММ-ДДTчч:мм:сс)");
            }
            return *moment;
        };
        if (const auto created = AfterKeyword(line, "CREATED")) {
            dump.created = date(*created);
        } else if (const auto modified = AfterKeyword(line, "MODIFIED")) {
            dump.modified = date(*modified);
        } else if (!line.empty()) {
            const std::size_t eq = line.find('=');
            const auto contact = Number(std::string_view(line).substr(0, eq));
            if (eq == std::string::npos || !contact || *contact < 0 || *contact > 0xFFFF) {
                FailDumpLine(number, "ожидалась строка \"номер=имя\" с номером от 0 до 65535");
            }
            qv::ContactFileContent::Record record;
            record.number = static_cast<std::uint16_t>(*contact);
            record.name = UnescapeLine(std::string_view(line).substr(eq + 1), number);
            if (record.name.size() > 255) {
                FailDumpLine(number, "имя контакта длиннее 255 байт");
            }
            dump.records.push_back(std::move(record));
        }
    }
    return dump;
}

std::string FormatCntDump(const qv::ContactFileContent &content)
{
    std::string text(kCntMagic);
    text += "\nCREATED " + qv::IsoDateTimeText(content.created);
    text += "\nMODIFIED " + qv::IsoDateTimeText(content.modified) + "\n";
    for (const auto &record : content.records) {
        text += std::to_string(record.number) + "=" + EscapeBytes(record.name, false) + "\n";
    }
    return text;
}

} // namespace qortool
