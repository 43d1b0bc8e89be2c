#include "inifile.h"

#include <algorithm>

namespace qv::sim {

bool SameName(std::string_view a, std::string_view b)
{
    const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; };
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(),
                                              [&](char x, char y) { return lower(x) == lower(y); });
}

std::string Quoted(std::string_view text)
{
    std::string quoted;
    quoted.reserve(text.size() + 2);
    quoted += '"';
    quoted += text;
    quoted += '"';
    return quoted;
}

std::string_view Trim(std::string_view text)
{
    const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
    while (!text.empty() && blank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && blank(text.back()))
        text.remove_suffix(1);
    return text;
}

std::vector<std::string> SplitList(std::string_view text, char separator)
{
    std::vector<std::string> pieces;
    if (Trim(text).empty())
        return pieces;
    for (;;) {
        const auto at = text.find(separator);
        pieces.emplace_back(Trim(text.substr(0, at)));
        if (at == std::string_view::npos)
            return pieces;
        text.remove_prefix(at + 1);
    }
}

std::optional<IniFile> IniFile::Parse(std::string_view text, std::string *error)
{
    IniFile file;
    std::string section;
    int number = 0;
    if (text.starts_with("\xEF\xBB\xBF"))
        text.remove_prefix(3);
    while (!text.empty()) {
        const auto end = text.find('\n');
        const std::string_view line = Trim(text.substr(0, end));
        text = end == std::string_view::npos ? std::string_view{} : text.substr(end + 1);
        ++number;
        if (line.empty() || line.front() == ';' || line.front() == '#')
            continue;
        if (line.front() == '[') {
            if (line.back() != ']' || line.size() < 3) {
                *error = "строка " + std::to_string(number) + ": ожидается [Раздел]";
                return std::nullopt;
            }
            section = std::string(Trim(line.substr(1, line.size() - 2)));
            continue;
        }
        const auto eq = line.find('=');
        if (eq == std::string_view::npos || Trim(line.substr(0, eq)).empty()) {
            *error = "строка " + std::to_string(number) + ": ожидается Ключ=Значение";
            return std::nullopt;
        }
        file.m_lines.push_back({section, std::string(Trim(line.substr(0, eq))),
                                std::string(Trim(line.substr(eq + 1))), number});
    }
    return file;
}

std::optional<std::string> IniFile::Get(std::string_view section, std::string_view key) const
{
    // The last occurrence wins, as when a key is written twice.
    for (auto it = m_lines.rbegin(); it != m_lines.rend(); ++it) {
        if (SameName(it->section, section) && SameName(it->key, key))
            return it->value;
    }
    return std::nullopt;
}

std::vector<IniFile::Line> IniFile::Section(std::string_view section) const
{
    std::vector<Line> lines;
    std::copy_if(m_lines.begin(), m_lines.end(), std::back_inserter(lines),
                 [&](const Line &line) { return SameName(line.section, section); });
    return lines;
}

std::vector<std::string> IniFile::Sections() const
{
    std::vector<std::string> names;
    for (const auto &line : m_lines) {
        if (std::none_of(names.begin(), names.end(),
                         [&](const std::string &n) { return SameName(n, line.section); }))
            names.push_back(line.section);
    }
    return names;
}

} // namespace qv::sim
