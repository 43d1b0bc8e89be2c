#include "model/words/timearray.h"

#include "infra/helpers.h"
#include "model/core/modelfailure.h"
#include "model/core/records.h"
#include "model/ini/inistore.h"
#include "model/ini/sectionvalues.h"
#include "model/test/stest.h"
#include "model/words/proberule.h"
#include "model/words/wordvalues.h"

#include <algorithm>
#include <new>
#include <optional>

namespace qv {
namespace {

bool AllUnmeasured(std::string_view levels)
{
    return std::all_of(levels.begin(), levels.end(), [](char c) { return c == 'x'; });
}

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

// The probe entries of one cycle from its Z and ZM values: entry 0 is the
// default probe, then one entry per name/levels pair, marked in order.
std::vector<SZond> ParseProbes(std::string_view section, const std::string &key,
                               std::string_view value, std::string_view marks)
{
    for (const char mark : marks) {
        if (mark < 0x20 || mark > 0x7E) {
            ReportMalformedValue(section, "ZM" + key.substr(1), marks,
                                 "содержит недопустимый символ отметки");
            marks = {};
            break;
        }
    }
    const auto parts = SplitAt(value, kLineSeparator);
    const std::size_t pairs = parts.size() / 2;
    std::vector<SZond> entries;
    entries.reserve(pairs + 1);
    entries.push_back(DefaultProbe(pairs > 0 ? parts[1].size() : 0));
    for (std::size_t i = 0; i < pairs; ++i) {
        SZond entry;
        entry.Name = parts[2 * i];
        entry.Reference = parts[2 * i + 1];
        entry.Measured.assign(entry.Reference.size(), 'x');
        entry.Mark = i < marks.size() ? marks[i] - '0' : -1;
        entries.push_back(std::move(entry));
    }
    return entries;
}

} // namespace

// Whether the save lets probe measurements of cycle c replace references.
// Only a debug save that asks for probe data does, and only for the test
// and cycle the operator chose (or all of them). A save that does not ask
// for probe data keeps every reference as it is: measurements taken while
// probing are not expected levels until the operator says so.
bool MeasurementsMayReplace(const SSaveParam *param, int cycle)
{
    if (!param || !param->DebugMode || !(param->Kinds & SSaveParam::KindProbeData)) {
        return false;
    }
    if (param->Test == -1) {
        return true;
    }
    return param->Test == param->TestIndex && (param->Cycle == -1 || param->Cycle == cycle);
}

// A measurement stands for its entry's reference when the entry is switched
// on, was measured, and the measurement was judged against TTL or DTL
// thresholds (its mark, the mask in force then).
bool MeasurementReplaces(const SZond &entry)
{
    return entry.On && !AllUnmeasured(entry.Measured) &&
           (entry.Mark == kProbeMarkLow || entry.Mark == kProbeMarkHigh);
}

namespace {

char MarkCharacter(std::int32_t mark)
{
    const int c = '0' + mark;
    return c >= 0x20 && c <= 0x7E ? static_cast<char>(c) : '/'; // '/' reads back as -1
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

void TTimeArray::Read(const IniStore &ini, std::string_view section, STest &test)
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
    for (int c = 0; c < test.Cycles; ++c) {
        const std::string key = NumberedName("Z", c);
        const std::string value = ini.ReadString(section, key, "");
        if (value.empty()) {
            continue;
        }
        const std::string marks = ini.ReadString(section, NumberedName("ZM", c), "");
        test.EnsureProbeArrays();
        test.Probes[static_cast<std::size_t>(c)] = ParseProbes(section, key, value, marks);
    }
}

void TTimeArray::Write(IniStore &ini, std::string_view section, const STest &test,
                       const SSaveParam *param) const
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

    for (std::size_t c = 0; c < test.Probes.size(); ++c) {
        const bool mayMeasure = MeasurementsMayReplace(param, static_cast<int>(c));
        std::string text;
        std::string marks;
        const auto &entries = test.Probes[c];
        for (std::size_t i = 1; i < entries.size(); ++i) {
            const SZond &entry = entries[i];
            const bool measured = mayMeasure && MeasurementReplaces(entry);
            if (!measured && AllUnmeasured(entry.Reference)) {
                continue;
            }
            text += entry.Name;
            text += kLineSeparator;
            text += measured ? entry.Measured : entry.Reference;
            text += kLineSeparator;
            marks.push_back(MarkCharacter(entry.Mark));
        }
        const std::string zKey = NumberedName("Z", c);
        const std::string mKey = NumberedName("ZM", c);
        if (text.empty()) {
            // Keys of an earlier write of the same store go; a fresh store has none.
            if (ini.ValueExists(section, zKey)) {
                ini.DeleteKey(section, zKey);
                ini.DeleteKey(section, mKey);
            }
            continue;
        }
        text.pop_back();
        ini.WriteString(section, zKey, text);
        ini.WriteString(section, mKey, marks);
    }
}

} // namespace qv
