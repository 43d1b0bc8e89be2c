#include "model/functions/funcv.h"

#include "infra/helpers.h"
#include "infra/messages.h"
#include "model/core/records.h"
#include "model/ini/inistore.h"
#include "model/ini/sectionvalues.h"

#include <algorithm>

namespace qv {
namespace {

struct ChoiceTexts
{
    std::string_view text;
    std::string_view perDivision;
};

constexpr std::array<ChoiceTexts, kSweepCount> kSweeps = {{
    {"1,6 мс", "80 мкс"},
    {"2 мс", "100 мкс"},
    {"5 мс", "250 мкс"},
    {"10 мс", "500 мкс"},
    {"20 мс", "1 мс"},
    {"50 мс", "2,5 мс"},
    {"100 мс", "5 мс"},
    {"200 мс", "10 мс"},
    {"500 мс", "25 мс"},
    {"1 c", "50 мс"},
    {"2 c", "100 мс"},
    {"5 c", "250 мс"},
    {"10 c", "500 мс"},
}};

constexpr std::array<ChoiceTexts, kAmplitudeCount> kAmplitudes = {{
    {"2,5", "250 мВ"},
    {"10", "1 В"},
    {"25", "2,5 В"},
    {"50", "5 В"},
}};

// One text of a choice; empty for an index outside the table.
template <std::size_t N>
std::string_view ChoiceField(const std::array<ChoiceTexts, N> &table, std::int32_t index,
                             std::string_view ChoiceTexts::*field)
{
    if (index < 0 || index >= static_cast<std::int32_t>(N))
        return {};
    return table[static_cast<std::size_t>(index)].*field;
}

constexpr std::string_view kLineBreak = "\r\n";
constexpr char kStoredBreak = '\x07';

bool CycleSelected(const SSaveParam *param, int testIndex, int cycle)
{
    if (!param || param->Test == -1)
        return true;
    return param->Test == testIndex && (param->Cycle == -1 || param->Cycle == cycle);
}

} // namespace

std::string_view SweepText(std::int32_t index)
{
    return ChoiceField(kSweeps, index, &ChoiceTexts::text);
}

std::string_view SweepPerDivision(std::int32_t index)
{
    return ChoiceField(kSweeps, index, &ChoiceTexts::perDivision);
}

std::string_view AmplitudeText(std::int32_t index)
{
    return ChoiceField(kAmplitudes, index, &ChoiceTexts::text);
}

std::string_view AmplitudePerDivision(std::int32_t index)
{
    return ChoiceField(kAmplitudes, index, &ChoiceTexts::perDivision);
}

std::string InfoToFile(std::string_view info)
{
    std::string stored;
    for (std::size_t pos = 0; pos < info.size();) {
        if (info.substr(pos, kLineBreak.size()) == kLineBreak) {
            stored.push_back(kStoredBreak);
            pos += kLineBreak.size();
        } else {
            stored.push_back(info[pos++]);
        }
    }
    return stored;
}

std::string InfoFromFile(std::string_view stored)
{
    std::string info;
    for (const char ch : stored) {
        if (ch == kStoredBreak)
            info.append(kLineBreak);
        else
            info.push_back(ch);
    }
    return info;
}

std::array<std::int32_t, kVCycles> ReadCycleDigits(std::string_view section, std::string_view key,
                                                   std::string_view text, std::int32_t def)
{
    std::array<std::int32_t, kVCycles> values{};
    std::int32_t last = def;
    for (std::size_t cycle = 0; cycle < values.size(); ++cycle) {
        if (cycle < text.size()) {
            last = WD_HexToInt(text.substr(cycle, 1));
            if (last < 0) {
                ReportMalformedValue(section, key, text,
                                     "не является строкой шестнадцатеричных цифр");
                values.fill(def);
                return values;
            }
        }
        values[cycle] = last;
    }
    return values;
}

std::string CycleDigitsText(const std::array<std::int32_t, kVCycles> &values)
{
    std::string text;
    for (const std::int32_t value : values)
        text += WD_IntToHex(value & 0xF);
    return text;
}

bool SFuncV::AnyKeepCapture() const
{
    return std::ranges::any_of(KeepCapture, [](bool keep) { return keep; });
}

void TFuncV::Snapshot()
{
    FuncList::Snapshot();
    m_snapshotActive = m_active;
}

void TFuncV::DropSnapshot()
{
    FuncList::DropSnapshot();
}

void TFuncV::RestoreSnapshot()
{
    if (!HasSnapshot())
        return;
    FuncList::RestoreSnapshot();
    m_active = m_snapshotActive;
}

bool TFuncV::Delete(int n)
{
    const int index = IndexOf(n);
    if (index < 0)
        return false;
    m_records.erase(m_records.begin() + index);
    if (m_active == n)
        m_active = 0;
    return true;
}

bool TFuncV::Swap(int a, int b)
{
    SFuncV *first = ByNumber(a);
    SFuncV *second = ByNumber(b);
    if (!first || !second)
        return false;
    std::swap(*first, *second);
    first->Number = a;
    second->Number = b;
    return true;
}

void TFuncV::Clear(SScoFile &sco)
{
    FuncList::Clear();
    sco.ResetScoState();
}

bool TFuncV::LoadFromFile(const IniStore &ini, std::string_view prefix, const std::string &scoPath,
                          int testIndex, SScoFile &sco)
{
    bool ok = true;
    m_failureText.clear();
    ForEachFileSection(ini, prefix, [&](int n, const std::string &section) {
        SFuncV record;
        record.Number = n;
        record.Name = ini.ReadString(section, "NAME", "");
        record.Info = InfoFromFile(ini.ReadString(section, "INFO", ""));
        record.Tact = ReadIntStrict(ini, section, "TACT", 0);
        if (sco.ReadState() == SScoFile::State::NotRead) {
            const ScoReadError error = sco.ReadScoFile(scoPath);
            if (error != ScoReadError::None) {
                ok = false;
                if (!m_reported) {
                    m_failureText = ScoFailureMessage(error, scoPath);
                    m_reported = true;
                }
            }
        }
        record.Sweep = ReadCycleDigits(section, "VSWEEP", ini.ReadString(section, "VSWEEP", ""),
                                       kDefaultSweep);
        record.Scale = ReadCycleDigits(section, "VDIV", ini.ReadString(section, "VDIV", ""),
                                       kDefaultAmplitude);
        record.SavedName = record.Name;
        record.SavedInfo = record.Info;
        record.SavedTact = record.Tact;
        record.SavedSweep = record.Sweep;
        record.SavedScale = record.Scale;
        for (int cycle = 1; cycle <= kVCycles; ++cycle)
            record.Reference[static_cast<std::size_t>(cycle - 1)] =
                sco.TakeReference(testIndex + 1, n, cycle);
        Replace(record);
    });
    return ok;
}

void TFuncV::SaveToFile(IniStore &ini, std::string_view prefix, int testIndex,
                        const SSaveParam *param, SScoFile &sco) const
{
    const bool withVData = param && (param->Kinds & SSaveParam::KindVData) != 0;
    for (const SFuncV &record : m_records) {
        const bool working = withVData && record.AnyKeepCapture();
        const std::string section = NumberedName(prefix, record.Number);
        ini.WriteString(section, "NAME", working ? record.Name : record.SavedName);
        ini.WriteInteger(section, "TACT", working ? record.Tact : record.SavedTact);
        ini.WriteString(section, "INFO", InfoToFile(working ? record.Info : record.SavedInfo));
        ini.WriteString(section, "VSWEEP",
                        CycleDigitsText(working ? record.Sweep : record.SavedSweep));
        ini.WriteString(section, "VDIV",
                        CycleDigitsText(working ? record.Scale : record.SavedScale));
        // Without V-function data nothing is staged: the oscillogram file is
        // then left as it is, so no stored reference can be lost.
        if (withVData)
            StageRecord(record, testIndex, param, working, sco);
    }
}

void TFuncV::StageRecord(const SFuncV &record, int testIndex, const SSaveParam *param,
                         bool writeWorking, SScoFile &sco) const
{
    for (int cycle = 0; cycle < kVCycles; ++cycle) {
        const auto c = static_cast<std::size_t>(cycle);
        WaveformRef samples;
        if (record.Captured[c] && record.KeepCapture[c] && CycleSelected(param, testIndex, cycle))
            samples = record.Captured[c];
        else
            samples = record.Reference[c];
        if (!samples)
            continue;
        const auto &sweep = writeWorking ? record.Sweep : record.SavedSweep;
        const auto &scale = writeWorking ? record.Scale : record.SavedScale;
        sco.StageWaveform(testIndex + 1, record.Number, cycle + 1, *samples, sweep[c], scale[c]);
    }
}

bool TFuncV::AddFunction(const SVFuncInput &input, std::int32_t tactCount, std::string *refusal)
{
    const auto refuse = [refusal](std::string text) {
        if (refusal)
            *refusal = std::move(text);
        return false;
    };
    if (Count() >= kMaxVFunctions)
        return refuse("Невозможно добавить V - функцию. " + Msg(51) + " функций");
    const bool sweepOk = input.Sweep && !SweepText(*input.Sweep).empty();
    const bool amplitudeOk = input.Amplitude && !AmplitudeText(*input.Amplitude).empty();
    const bool numberOk = input.Number && *input.Number >= 1 && *input.Number <= kMaxVFunctions;
    if (input.Name.empty() || !sweepOk || !amplitudeOk || !input.Tact || !numberOk)
        return refuse(Msg(52));
    if (*input.Tact < 1 || *input.Tact > tactCount)
        return refuse(Msg(53));

    SFuncV record;
    record.Number = *input.Number;
    record.Name = input.Name;
    record.Info = input.Info;
    while (record.Info.ends_with(kLineBreak))
        record.Info.resize(record.Info.size() - kLineBreak.size());
    record.Tact = *input.Tact - 1;
    record.Sweep.fill(*input.Sweep);
    record.Scale.fill(*input.Amplitude);
    record.SavedName = record.Name;
    record.SavedInfo = record.Info;
    record.SavedTact = record.Tact;
    record.SavedSweep = record.Sweep;
    record.SavedScale = record.Scale;
    if (!Add(record.Number))
        return refuse({});
    return Replace(record);
}

std::optional<std::int32_t> TFuncV::LowestFreeNumber() const
{
    for (std::int32_t n = 1; n <= kMaxFileFunctions; ++n) {
        if (IndexOf(n) < 0)
            return n;
    }
    return std::nullopt;
}

std::string TFuncV::FreeNumbersText() const
{
    std::string text = "Допустимые номера: ";
    bool first = true;
    for (std::int32_t n = 1; n <= kMaxFileFunctions; ++n) {
        if (IndexOf(n) >= 0)
            continue;
        if (!first)
            text += ", ";
        text += std::to_string(n);
        first = false;
    }
    return text;
}

} // namespace qv
