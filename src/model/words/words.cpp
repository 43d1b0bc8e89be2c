#include "model/words/words.h"

#include "model/core/modelfailure.h"
#include "model/core/records.h"
#include "model/ini/inistore.h"
#include "model/ini/sectionvalues.h"
#include "model/words/tyreadr.h"
#include "model/words/wordvalues.h"

#include <algorithm>
#include <new>
#include <utility>

namespace qv {

std::optional<WordCode> DecodeWordCode(std::int32_t code)
{
    if (code < 0) {
        return std::nullopt;
    }
    if (code < 1000) {
        return WordCode{'i', code};
    }
    if (code < 2000) {
        return WordCode{'o', code - 1000};
    }
    return WordCode{'g', code - 2000};
}

std::string WordCodeText(std::int32_t code)
{
    const auto word = DecodeWordCode(code);
    return word ? word->kind + std::to_string(word->id) : std::string();
}

std::string ReferenceRun(const SWord &word, int cycles)
{
    if (!word.IsConstant()) {
        return word.Data;
    }
    const auto first = ValueTextAt(word.Data, 0);
    return first ? RepeatValue(*first, cycles) : std::string();
}

TWord::TWord(char kind)
    : m_kind(kind)
{}

TWord::~TWord() = default;

std::string TWord::SectionStem() const
{
    switch (m_kind) {
    case 'o':
        return "OWORDS";
    case 'g':
        return "GWORDS";
    default:
        return "IWORDS";
    }
}

bool TWord::Add(int id)
{
    if (Find(id)) {
        return true;
    }
    try {
        SWord word;
        word.Id = id;
        m_words.push_back(std::move(word));
    } catch (const std::bad_alloc &) {
        ReportMemoryFailure("Не удалось добавить слово " + std::string(1, m_kind) +
                            std::to_string(id));
        return false;
    }
    return true;
}

SWord *TWord::Find(int id)
{
    const int position = PositionOf(id);
    return position < 0 ? nullptr : &m_words[static_cast<std::size_t>(position)];
}

const SWord *TWord::Find(int id) const
{
    const int position = PositionOf(id);
    return position < 0 ? nullptr : &m_words[static_cast<std::size_t>(position)];
}

SWord *TWord::At(int position)
{
    return position < 0 || position >= Count() ? nullptr
                                               : &m_words[static_cast<std::size_t>(position)];
}

const SWord *TWord::At(int position) const
{
    return position < 0 || position >= Count() ? nullptr
                                               : &m_words[static_cast<std::size_t>(position)];
}

int TWord::PositionOf(int id) const
{
    for (std::size_t i = 0; i < m_words.size(); ++i) {
        if (m_words[i].Id == id) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

bool TWord::Replace(const SWord &word)
{
    SWord *listed = FindOrReport(word.Id, "Replace");
    if (!listed) {
        return false;
    }
    *listed = word;
    return true;
}

std::string TWord::IdString() const
{
    std::string ids;
    for (const SWord &word : m_words) {
        ids.push_back(static_cast<char>(word.Id & 0xFF));
    }
    return ids;
}

int TWord::ValueCount(int id) const
{
    const SWord *word = Find(id);
    return word ? CountValues(word->Data) : 0;
}

SWord *TWord::FindOrReport(int id, std::string_view operation)
{
    return const_cast<SWord *>(std::as_const(*this).FindOrReport(id, operation));
}

const SWord *TWord::FindOrReport(int id, std::string_view operation) const
{
    const SWord *word = Find(id);
    if (!word) {
        ReportInternalFailure("TWord::" + std::string(operation) + ": нет слова " +
                              std::string(1, m_kind) + std::to_string(id));
    }
    return word;
}

std::string *TWord::TextOf(SWord &word, ValueSet which)
{
    switch (which) {
    case ValueSet::Reference:
        return &word.Data;
    case ValueSet::Run:
        return &word.Run;
    }
    ReportInternalFailure("Global Error Program - TWord::GetValue");
    return nullptr;
}

bool TWord::NextValue(int id, ValueSet which, std::int32_t &value)
{
    SWord *word = FindOrReport(id, "NextValue");
    const std::string *text = word ? TextOf(*word, which) : nullptr;
    if (!text) {
        return false;
    }
    int &cursor = which == ValueSet::Run ? RunCursor : RefCursor;
    const auto valueText = ValueTextAt(*text, cursor);
    if (!valueText) {
        ReportInternalFailure("TWord::NextValue: у слова " + std::string(1, m_kind) +
                              std::to_string(id) + " нет значения для цикла " +
                              std::to_string(cursor + 1));
        return false;
    }
    ++cursor;
    if (which == ValueSet::Run && *valueText == std::string_view(&kNoValue, 1)) {
        value = -1;
        return true;
    }
    const auto parsed = ParseValue(*valueText);
    if (!parsed) {
        ReportInternalFailure("TWord::NextValue: значение слова " + std::string(1, m_kind) +
                              std::to_string(id) + " не является числом");
        return false;
    }
    value = *parsed;
    return true;
}

std::optional<std::int32_t> TWord::ValueAt(int id, int cycle, ValueSet which) const
{
    const SWord *word = Find(id);
    if (!word) {
        return std::nullopt;
    }
    const auto text = ValueTextAt(which == ValueSet::Run ? word->Run : word->Data, cycle);
    return text ? ParseValue(*text) : std::nullopt;
}

bool TWord::SetValueAt(int id, int cycle, std::int32_t value, ValueSet which)
{
    SWord *word = FindOrReport(id, "SetValueAt");
    std::string *text = word ? TextOf(*word, which) : nullptr;
    if (!text) {
        return false;
    }
    const std::string valueText = value == -1 ? std::string(1, kNoValue) : std::to_string(value);
    auto changed = WithValueAt(*text, cycle, valueText, which == ValueSet::Run);
    if (!changed) {
        ReportInternalFailure("TWord::SetValueAt: у слова " + std::string(1, m_kind) +
                              std::to_string(id) + " нет значения для цикла " +
                              std::to_string(cycle + 1));
        return false;
    }
    *text = std::move(*changed);
    return true;
}

bool TWord::SetText(int id, std::string_view text, ValueSet which)
{
    SWord *word = FindOrReport(id, "SetText");
    std::string *target = word ? TextOf(*word, which) : nullptr;
    if (!target) {
        return false;
    }
    *target = text;
    return true;
}

bool TWord::SetFuncLink(int id, std::int32_t value)
{
    SWord *word = FindOrReport(id, "SetFuncLink");
    if (!word) {
        return false;
    }
    word->FuncLink = value;
    return true;
}

std::int32_t TWord::FuncLinkOf(int id) const
{
    const SWord *word = Find(id);
    return word ? word->FuncLink : 0;
}

void TWord::Clear()
{
    m_words.clear();
    ResetCursors();
}

void TWord::Read(const IniStore &ini, int cycles)
{
    Clear();
    const std::string stem = SectionStem();
    for (int n = 1; n <= kMaxWords; ++n) {
        const std::string section = NumberedName(stem, n);
        if (!ini.SectionExists(section)) {
            continue;
        }
        SWord word;
        word.Id = n;
        word.Name = ini.ReadString(section, "NAME", "");
        word.Tyre = ReadIntStrict(ini, section, "TYRE", 0);
        word.Code = ReadIntStrict(ini, section, "CODE", 0);
        word.Data = ini.ReadString(section, "DATA", "");
        if (!ValuesWellFormed(word.Data, false)) {
            ReportMalformedValue(section, "DATA", word.Data,
                                 "не является списком чисел через \"/\"");
            word.Data.clear();
        }
        AfterReadWord(word, ini, section);
        word.Run = ReferenceRun(word, cycles);
        m_words.push_back(std::move(word));
    }
    AfterRead();
}

void TWord::AfterReadWord(SWord &word, const IniStore &, const std::string &)
{
    if (word.Name == "*") {
        word.Name.clear();
    }
}

void TWord::Write(IniStore &ini, const SSaveParam *param) const
{
    const std::string stem = SectionStem();
    for (const SWord &word : m_words) {
        const std::string section = NumberedName(stem, word.Id);
        ini.WriteString(section, "NAME", word.Name);
        ini.WriteInteger(section, "TYRE", word.Tyre);
        ini.WriteInteger(section, "CODE", word.Code);
        ini.WriteString(section, "DATA", DataToSave(word, param));
        WriteExtraKeys(word, ini, section);
    }
}

void TWord::WriteExtraKeys(const SWord &, IniStore &, const std::string &) const {}

// Input and generator words write their reference values, unless the
// operator asked to keep the debug values (kind 1) of a debug session.
std::string TWord::DataToSave(const SWord &word, const SSaveParam *param) const
{
    if (!param || param->WordKind != 'i' || !(param->Kinds & SSaveParam::KindDebugData) ||
        !param->DebugMode) {
        return word.Data;
    }
    if (word.IsConstant()) {
        const auto run = ValueTextAt(word.Run, std::max(param->Cycle, 0));
        const bool taken = run && !(run->size() == 1 && (*run)[0] == kNoValue);
        return taken ? std::string(*run) : word.Data;
    }
    if (param->Test == -1) {
        return MergeRunValues(word.Data, word.Run, -1);
    }
    if (param->Test == param->TestIndex) {
        return MergeRunValues(word.Data, word.Run, param->Cycle < 0 ? -1 : param->Cycle);
    }
    return word.Data;
}

void TWord::ResetRun(int cycles)
{
    for (SWord &word : m_words) {
        word.Run = ReferenceRun(word, cycles);
    }
}

int TWord::BusWidth(int id, const TTyreAdr &tyres) const
{
    const SWord *word = Find(id);
    return word ? tyres.Width(word->Tyre) : 0;
}

} // namespace qv
