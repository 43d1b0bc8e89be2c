#include "model/test/diagramsection.h"

#include "model/core/records.h"
#include "model/ini/inistore.h"
#include "model/ini/sectionvalues.h"
#include "model/test/proberule.h"
#include "model/test/stest.h"
#include "model/words/timearray.h"
#include "model/words/wordvalues.h"

#include <algorithm>
#include <string>
#include <vector>

namespace qv {
namespace {

bool AllUnmeasured(std::string_view levels)
{
    return std::all_of(levels.begin(), levels.end(), [](char c) { return c == 'x'; });
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

char MarkCharacter(std::int32_t mark)
{
    const int c = '0' + mark;
    return c >= 0x20 && c <= 0x7E ? static_cast<char>(c) : '/'; // '/' reads back as -1
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

void ReadDiagramSection(const IniStore &ini, std::string_view section, STest &test)
{
    if (!ini.SectionExists(section)) {
        return;
    }
    test.Tacts.Read(ini, section);
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

void WriteDiagramSection(IniStore &ini, std::string_view section, const STest &test,
                         const SSaveParam *param)
{
    test.Tacts.Write(ini, section);
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
