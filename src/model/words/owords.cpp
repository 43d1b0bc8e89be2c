#include "model/core/modelfailure.h"
#include "model/core/records.h"
#include "model/ini/inistore.h"
#include "model/ini/sectionvalues.h"
#include "model/words/waitconversion.h"
#include "model/words/words.h"
#include "model/words/wordvalues.h"

#include <algorithm>
#include <utility>

namespace qv {

TOWord::TOWord()
    : TWord('o')
{}

TOWord::WaitState *TOWord::StateOf(int id)
{
    return const_cast<WaitState *>(std::as_const(*this).StateOf(id));
}

const TOWord::WaitState *TOWord::StateOf(int id) const
{
    for (const auto &[stateId, state] : m_states) {
        if (stateId == id) {
            return &state;
        }
    }
    return nullptr;
}

bool TOWord::IsWaitWord(int id) const
{
    const WaitState *state = StateOf(id);
    return state && state->wait;
}

TOWord::WaitState &TOWord::StateFor(int id)
{
    if (WaitState *state = StateOf(id)) {
        return *state;
    }
    return m_states.emplace_back(id, WaitState{}).second;
}

void TOWord::SetWaitWord(int id, bool wait)
{
    if (Find(id)) {
        StateFor(id).wait = wait;
    }
}

std::string TOWord::WaitIds() const
{
    std::string ids;
    for (const SWord &word : m_words) {
        if (IsWaitWord(word.Id)) {
            ids.push_back(static_cast<char>((word.Id + 1) & 0xFF));
        }
    }
    return ids;
}

int TOWord::Result(int id) const
{
    const WaitState *state = StateOf(id);
    return state && state->result != 0 ? state->result - 1 : 0;
}

bool TOWord::Compare(int id, bool clearFirst, bool oneCycle, int cycle)
{
    SWord *word = FindOrReport(id, "Compare");
    if (!word) {
        return false;
    }
    if (oneCycle && clearFirst && !SetValueAt(id, cycle, -1, ValueSet::Run)) {
        return false;
    }
    ResetCursors();
    std::uint8_t result = ResultUnchecked;
    const auto reference = SplitValues(word->Data);
    const auto run = SplitValues(word->Run);
    for (std::size_t c = 0; c < reference.size(); ++c) {
        if (oneCycle && c != static_cast<std::size_t>(cycle)) {
            continue;
        }
        const auto runValue = c < run.size() ? ParseValue(run[c]) : std::nullopt;
        if (!runValue) {
            continue; // not taken: the result stays as it is
        }
        if (*runValue != ParseValue(reference[c])) {
            result = ResultWrong;
            break;
        }
        result = ResultCorrect;
    }
    StateFor(id).result = result;
    return true;
}

bool TOWord::AddWait(int id, std::int64_t passes, bool first, int busWidth,
                     const WaitCalibration *calibration)
{
    if (!FindOrReport(id, "AddWait")) {
        return false;
    }
    WaitState &state = StateFor(id);
    const auto append = [first](std::string &text, const std::string &value) {
        if (first) {
            text = value;
        } else {
            text += kValueSeparator;
            text += value;
        }
    };
    append(state.counts, std::to_string(passes));
    append(state.times, WaitPassesToText(passes, busWidth, calibration));
    return true;
}

std::string TOWord::WaitCounts(int id) const
{
    const WaitState *state = StateOf(id);
    return state ? state->counts : std::string();
}

std::string TOWord::WaitTimes(int id) const
{
    const WaitState *state = StateOf(id);
    return state ? state->times : std::string();
}

std::string TOWord::WaitLimit(int id) const
{
    const WaitState *state = StateOf(id);
    return state ? state->limit : std::string(kNoWaitLimit);
}

bool TOWord::SetWaitLimit(int id, std::string_view text)
{
    if (!FindOrReport(id, "SetWaitLimit")) {
        return false;
    }
    StateFor(id).limit = text == "-1" ? std::string(kNoWaitLimit) : std::string(text);
    return true;
}

void TOWord::Clear()
{
    TWord::Clear();
    m_states.clear();
}

void TOWord::AfterReadWord(SWord &word, const IniStore &ini, const std::string &section)
{
    if (word.Name.empty() || word.Name == "*") {
        word.Name = NumberedName("o", word.Id);
    }
    if (ini.ReadString(section, "TYPE", "") == "O") {
        // The word is not in the list yet: its state goes in directly.
        WaitState state;
        state.wait = true;
        std::string limit = ini.ReadString(section, "OWAIT", kNoWaitLimit);
        if (limit != "-1" && !WellFormedWaitText(limit)) {
            ReportMalformedValue(section, "OWAIT", limit,
                                 "не является числом циклов ожидания или временем (\"10 мс\")");
            limit = kNoWaitLimit;
        }
        state.limit = limit == "-1" ? std::string(kNoWaitLimit) : limit;
        m_states.emplace_back(word.Id, std::move(state));
    }
}

// Output words write what the run read back, the reference where nothing
// was read; with one cycle of the test being written chosen, only that
// cycle's value changes.
std::string TOWord::DataToSave(const SWord &word, const SSaveParam *param) const
{
    if (!param) {
        return word.Data;
    }
    const bool oneCycle = param->Test == param->TestIndex && param->Cycle >= 0;
    return MergeRunValues(word.Data, word.Run, oneCycle ? param->Cycle : -1);
}

void TOWord::WriteExtraKeys(const SWord &word, IniStore &ini, const std::string &section) const
{
    if (IsWaitWord(word.Id)) {
        ini.WriteString(section, "TYPE", "O");
        ini.WriteString(section, "OWAIT", WaitLimit(word.Id));
    } else {
        ini.WriteString(section, "TYPE", "o");
    }
}

} // namespace qv
