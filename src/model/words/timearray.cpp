#include "model/words/timearray.h"

#include "infra/helpers.h"
#include "model/core/modelfailure.h"
#include "model/core/records.h"
#include "model/ini/inistore.h"
#include "model/ini/sectionvalues.h"

#include <algorithm>
#include <new>
#include <optional>

namespace qv {
namespace {

// nullopt for a line that cannot be read (reported; the line is left out).
std::optional<TLine> ParseLine(std::string_view section, const std::string &key,
                               std::string_view value)
{
    const std::size_t first = value.find(kLineSeparator);
    if (first == std::string_view::npos) {
        ReportMalformedValue(section, key, value,
                             "не содержит разделителя 0x07 после номера контакта");
        return std::nullopt;
    }
    TLine line;
    const std::string_view contact = value.substr(0, first);
    const bool digits =
        !contact.empty() && contact.size() <= 3 &&
        std::all_of(contact.begin(), contact.end(), [](char c) { return c >= '0' && c <= '9'; });
    line.Contact = digits ? std::stoi(std::string(contact)) : -1;
    if (line.Contact < 0 || line.Contact >= kMaxContacts) {
        ReportMalformedValue(section, key, value, "не начинается с номера контакта от 0 до 191");
        return std::nullopt;
    }
    const std::string_view rest = value.substr(first + 1);
    const std::size_t second = rest.find(kLineSeparator);
    line.Levels = rest.substr(0, second);
    if (second != std::string_view::npos) {
        line.Label = rest.substr(second + 1);
    }
    return line;
}

} // namespace

SZond DefaultProbe(std::size_t tacts)
{
    SZond entry;
    entry.Name = kDefaultProbeName;
    entry.Measured.assign(tacts, 'x');
    entry.Reference.assign(tacts, 'x');
    return entry;
}

bool TTimeArray::AddLine()
{
    try {
        m_lines.emplace_back();
    } catch (const std::bad_alloc &) {
        ReportMemoryFailure("Не удалось добавить строку диаграммы");
        return false;
    }
    return true;
}

std::optional<TLine> TTimeArray::GetLine(int index) const
{
    if (index < 0 || index >= Count()) {
        return std::nullopt;
    }
    return m_lines[static_cast<std::size_t>(index)];
}

bool TTimeArray::SetLine(int index, const TLine &line)
{
    if (index < 0 || index >= Count()) {
        return false;
    }
    m_lines[static_cast<std::size_t>(index)] = line;
    return true;
}

int TTimeArray::ItemAt(int column) const
{
    if (column < 0 || static_cast<std::size_t>(column) >= D2.size() ||
        static_cast<std::size_t>(column) >= D1.size())
        return -1;
    const char digit = D2[static_cast<std::size_t>(column)];
    if (D1[static_cast<std::size_t>(column)] == 'T')
        return digit >= '0' && digit <= '9' ? digit - '0' : -1;
    return WD_HexToInt(std::string_view(&digit, 1));
}

void TTimeArray::Clear()
{
    m_lines.clear();
    D1.clear();
    D2.clear();
}

void TTimeArray::Read(const IniStore &ini, std::string_view section)
{
    if (!ini.SectionExists(section)) {
        return;
    }
    Clear();
    D1 = ini.ReadString(section, "D1", "");
    D2 = ini.ReadString(section, "D2", "");
    for (int n = 1;; ++n) {
        const std::string key = std::to_string(n);
        const std::string *value = ini.Value(section, key);
        if (!value || value->empty()) {
            break;
        }
        if (auto line = ParseLine(section, key, *value)) {
            m_lines.push_back(std::move(*line));
        }
    }
}

void TTimeArray::Write(IniStore &ini, std::string_view section) const
{
    ini.WriteString(section, "D1", D1);
    ini.WriteString(section, "D2", D2);
    for (int n = Count() + 1; ini.ValueExists(section, std::to_string(n)); ++n) {
        ini.DeleteKey(section, std::to_string(n));
    }
    std::string value;
    for (std::size_t i = 0; i < m_lines.size(); ++i) {
        const TLine &line = m_lines[i];
        value = std::to_string(line.Contact);
        value += kLineSeparator;
        value += line.Levels;
        value += kLineSeparator;
        value += line.Label;
        ini.WriteString(section, std::to_string(i + 1), value);
    }
}

} // namespace qv
