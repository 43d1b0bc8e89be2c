#include "model/core/modelfailure.h"
#include "model/ini/sectionvalues.h"
#include "model/words/words.h"
#include "model/words/wordvalues.h"

#include <algorithm>

namespace qv {

GKind GKindOf(const SWord &word)
{
    if (word.Tyre == 1) {
        return GKind::Pulse;
    }
    if (word.Code == -1 || word.Code == -2) {
        return GKind::Delay;
    }
    if (word.Tyre == 2) {
        return GKind::Frequency;
    }
    if (word.Code == -10) {
        return GKind::CountedCycle;
    }
    if (word.Code == -20) {
        return GKind::ConditionalCycle;
    }
    return GKind::Undefined;
}

std::string_view GKindName(GKind kind)
{
    switch (kind) {
    case GKind::Pulse:
        return "генератор импульсов";
    case GKind::Delay:
        return "временная задержка";
    case GKind::Frequency:
        return "задание частоты";
    case GKind::CountedCycle:
        return "G-цикл со счётчиком";
    case GKind::ConditionalCycle:
        return "G-цикл с выходом по условию";
    case GKind::Undefined:
        break;
    }
    return {};
}

std::string GValueText(const SWord &word, std::int32_t value)
{
    switch (GKindOf(word)) {
    case GKind::Delay:
        return std::to_string(value) + (word.Code == -1 ? " мс" : " мкс");
    case GKind::ConditionalCycle:
        return NumberedName("o", value);
    case GKind::Undefined:
        return "Неопределённое g-слово";
    default:
        return std::to_string(value);
    }
}

bool InGGroup(const SWord &word, GGroup group)
{
    switch (group) {
    case GGroup::Pulse:
        return word.Tyre == 1 && word.Code >= 0;
    case GGroup::Frequency:
        return word.Tyre == 2 && word.Code >= 0;
    case GGroup::Delay:
        return word.Code == -1 || word.Code == -2;
    case GGroup::Cycle:
        return word.Code == -10 || word.Code == -20;
    }
    return false;
}

TGWord::TGWord()
    : TWord('g')
{}

std::string TGWord::IdString(GGroup group) const
{
    std::string ids;
    for (const SWord &word : m_words) {
        if (InGGroup(word, group)) {
            ids.push_back(static_cast<char>(word.Id & 0xFF));
        }
    }
    return ids;
}

int TGWord::PlainCount() const
{
    return static_cast<int>(std::count_if(m_words.begin(), m_words.end(), [](const SWord &w) {
        return InGGroup(w, GGroup::Pulse) || InGGroup(w, GGroup::Frequency) ||
               InGGroup(w, GGroup::Delay);
    }));
}

int TGWord::CycleCount() const
{
    return static_cast<int>(std::count_if(
        m_words.begin(), m_words.end(), [](const SWord &w) { return InGGroup(w, GGroup::Cycle); }));
}

bool TGWord::HasConditionalCycles() const
{
    return std::any_of(m_words.begin(), m_words.end(),
                       [](const SWord &w) { return w.Code == -20; });
}

void TGWord::RebuildGRuns()
{
    m_gRuns.clear();
    for (const SWord &word : m_words) {
        if (word.Code == -20) {
            m_gRuns.emplace_back(word.Id, std::string());
        }
    }
    std::sort(m_gRuns.begin(), m_gRuns.end(),
              [](const auto &a, const auto &b) { return a.first < b.first; });
    m_gRunCursor = 0;
}

bool TGWord::SetGRun(int id, std::int32_t value, bool replace)
{
    for (auto &[gId, text] : m_gRuns) {
        if (gId == id) {
            if (replace || text.empty()) {
                text = std::to_string(value);
            } else {
                text += kValueSeparator + std::to_string(value);
            }
            return true;
        }
    }
    ReportInternalFailure("TGWord::SetGRun: g" + std::to_string(id) +
                          " не является G-циклом с выходом по условию");
    return false;
}

bool TGWord::NextGRun(int id, std::int32_t &value)
{
    const std::string text = GRun(id);
    const auto valueText = ValueTextAt(text, m_gRunCursor);
    const auto parsed = valueText ? ParseValue(*valueText) : std::nullopt;
    if (!parsed) {
        ReportInternalFailure("TGWord::NextGRun: у G-слова g" + std::to_string(id) +
                              " нет значения " + std::to_string(m_gRunCursor + 1));
        return false;
    }
    ++m_gRunCursor;
    value = *parsed;
    return true;
}

std::string TGWord::GRun(int id) const
{
    for (const auto &[gId, text] : m_gRuns) {
        if (gId == id) {
            return text;
        }
    }
    return {};
}

void TGWord::Clear()
{
    TWord::Clear();
    m_gRuns.clear();
    m_gRunCursor = 0;
}

} // namespace qv
