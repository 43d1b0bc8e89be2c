// Decoding the unit's result image into the document.

#include "execution/compiler/dosdata.h"
#include "execution/compiler/imagebytes.h"
#include "model/core/modelfailure.h"
#include "model/document/quorvik.h"
#include "model/ini/inistore.h"
#include "model/test/stest.h"
#include "model/words/wordvalues.h"

#include <algorithm>
#include <array>
#include <vector>

namespace qv {

namespace {

constexpr int kAnswerStopped = 13;

// Bit positions of the two set bits of the probe threshold mask, lower first.
std::pair<int, int> ProbeBits(int mode)
{
    int bits[2] = {0, 1};
    int found = 0;
    for (int b = 0; b < 4; ++b) {
        if ((mode >> b) & 1) {
            if (found < 2)
                bits[found] = b;
            ++found;
        }
    }
    if (found != 2)
        return {0, 1};
    return {bits[0], bits[1]};
}

} // namespace

char ProbeCharacter(std::uint8_t level, bool dosUnit, int probeMode)
{
    if (dosUnit)
        return static_cast<char>(level);
    const auto [low, high] = ProbeBits(probeMode);
    const bool first = (level >> low) & 1;
    const bool second = (level >> high) & 1;
    if (first && second)
        return '-';
    if (first)
        return '+';
    if (second)
        return '0';
    return '_';
}

class Dosdata::Decoder
{
public:
    Decoder(Dosdata &owner, std::span<const std::uint8_t> answer, bool stopped)
        : m_d(owner)
        , m_doc(owner.m_doc)
        , m_opt(owner.m_options)
        , m_in(answer)
        , m_stopped(stopped)
    {}

    void Test(const TestRunLists &lists)
    {
        m_index = lists.test;
        STest &test = *m_doc.Test(m_index);
        std::int32_t errors = 0;
        m_doc.SetTestErrors(m_index, 0);
        try {
            Count(test, lists, errors);
        } catch (...) {
            // An answer cut short keeps the errors counted up to its end.
            m_doc.SetTestErrors(m_index, errors);
            throw;
        }
        m_doc.SetTestErrors(m_index, errors);
        // The views show read-back values only of a test that has run (in
        // debug mode only of the cycle just run).
        m_doc.MarkTestRun(m_index, m_opt.debug ? test.ActiveCycle + 1 : 1);
        if (m_d.m_observer)
            m_d.m_observer->TestDecoded(m_index, errors > 0);
        if (!lists.fFuncs.empty() || !lists.sFuncs.empty())
            AddFetchEntries(test);
    }

private:
    // Reads one test's part of the answer into its words and functions,
    // counting its errors.
    void Count(STest &test, const TestRunLists &lists, std::int32_t &errors)
    {
        for (auto &cycles : m_counted)
            cycles.clear();
        m_lists = &lists;
        const std::uint8_t cycleReached = m_in.U8();
        test.RunCounter1 = m_opt.debug ? test.ActiveCycle + 1 : cycleReached;
        test.RunCounter2 = m_in.U8();
        OutputWords(test, lists, errors);
        GCycles(test, lists);
        if (!m_opt.debug) {
            FFunctions(test, lists, errors);
            MFunctions(test, lists, errors);
            PFunctions(test, lists, errors);
        }
        for (const char c : lists.sFuncs) {
            if (test.SFuncs.HasError(static_cast<unsigned char>(c)))
                ++errors;
        }
        if (m_stopped)
            Truncate(test);
        CheckOutputWords(test, lists);
        if (m_opt.probe)
            Probe(test);
    }

    int CyclesSent(const STest &test) const { return m_opt.debug ? 1 : test.Cycles; }

    void OutputWords(STest &test, const TestRunLists &lists, std::int32_t &errors)
    {
        for (const char c : lists.oWords) {
            const int id = static_cast<unsigned char>(c);
            const SWord *word = test.OWords.Find(id);
            if (!word)
                throw InternalError("ProcessDosData");
            const int width = test.OWords.BusWidth(id, m_doc.Doc().Tyres);
            const std::uint32_t mask = width >= 16 ? 0xFFFFu : (1u << width) - 1u;
            const bool inverse = word->Code == 0;
            const bool constant = word->IsConstant();
            const bool counted = !TestRunLists::Has(lists.nList, id);
            // The references split once: looked up per cycle, each would
            // scan the text from its start again.
            const std::vector<std::string_view> refs = SplitValues(word->Data);
            const auto refAt = [&refs](int index) -> std::optional<std::int32_t> {
                if (index < 0 || static_cast<std::size_t>(index) >= refs.size())
                    return std::nullopt;
                return ParseValue(refs[static_cast<std::size_t>(index)]);
            };
            std::string values;
            for (int k = 0; k < CyclesSent(test); ++k) {
                const int cycle = m_opt.debug ? test.ActiveCycle : k;
                std::uint32_t v = m_in.U16();
                if (inverse)
                    v = ~v & mask;
                const auto ref = refAt(constant ? 0 : cycle);
                if (counted && (!ref || static_cast<std::uint32_t>(*ref) != v)) {
                    ++errors;
                    SetCounted(id, cycle, true);
                }
                if (m_opt.debug)
                    test.OWords.SetValueAt(id, cycle, static_cast<std::int32_t>(v), ValueSet::Run);
                else
                    values.append(k == 0 ? "" : "/").append(std::to_string(v));
            }
            if (!m_opt.debug)
                test.OWords.SetText(id, values, ValueSet::Run);
            if (test.OWords.IsWaitWord(id)) {
                for (int k = 0; k < CyclesSent(test); ++k)
                    test.OWords.AddWait(id, m_in.U32(), k == 0, width,
                                        m_doc.WaitCalibrationSource());
            }
        }
    }

    void GCycles(STest &test, const TestRunLists &lists)
    {
        for (const char c : lists.gCycles) {
            const int id = static_cast<unsigned char>(c);
            const SWord *word = test.GWords.Find(id);
            if (!word || GKindOf(*word) != GKind::ConditionalCycle)
                continue;
            for (int k = 0; k < CyclesSent(test); ++k)
                test.GWords.SetGRun(id, static_cast<std::int32_t>(m_in.U32()), k == 0);
        }
    }

    TWord &List(STest &test, char kind)
    {
        switch (kind) {
        case 'i':
            return test.IWords;
        case 'o':
            return test.OWords;
        case 'g':
            return test.GWords;
        default:
            throw InternalError("ProcessDosData");
        }
    }

    // Per output word (by Id) and cycle: the difference is on the current
    // test's count. Only a difference this decode counted is ever taken off:
    // one left by an earlier run was never on this count.
    bool Counted(int id, int cycle) const
    {
        if (id < 0 || id > kMaxWords)
            return false;
        const auto &cycles = m_counted[static_cast<std::size_t>(id)];
        return cycle >= 0 && cycle < static_cast<int>(cycles.size()) &&
               cycles[static_cast<std::size_t>(cycle)];
    }
    void SetCounted(int id, int cycle, bool on)
    {
        if (id < 0 || id > kMaxWords || cycle < 0)
            return;
        auto &cycles = m_counted[static_cast<std::size_t>(id)];
        if (cycle >= static_cast<int>(cycles.size()))
            cycles.resize(static_cast<std::size_t>(cycle) + 1, false);
        cycles[static_cast<std::size_t>(cycle)] = on;
    }

    // How a function's update of an output word moves the count.
    enum class Recount {
        TakeOffOnly, // F-functions: a difference the update ends is taken off
        InStep,      // M- and P-functions: and one it leaves is counted
    };

    // The cycles whose values the answer carried: every cycle, or in debug
    // mode the active one.
    std::vector<int> CyclesRun(const STest &test) const
    {
        std::vector<int> cycles;
        for (int k = 0; k < CyclesSent(test); ++k)
            cycles.push_back(m_opt.debug ? test.ActiveCycle : k);
        return cycles;
    }

    // The cycle a function's one value belongs to: the last one run.
    int LastCycle(const STest &test) const
    {
        if (m_opt.debug)
            return test.ActiveCycle;
        return std::clamp(test.RunCounter1 - 1, 0, std::max(test.Cycles - 1, 0));
    }

    static int ValuesIn(const std::string &text)
    {
        return text.empty() ? 0 : static_cast<int>(std::count(text.begin(), text.end(), '/')) + 1;
    }

    // Brings the count of output word `id` in step with its values now: per
    // cycle run, a counted difference that is gone is taken off, and (InStep)
    // a new one is counted, unless the word is not checked (N list).
    void RecountWord(STest &test, int id, std::int32_t &errors, Recount recount)
    {
        const SWord *word = test.OWords.Find(id);
        if (!word)
            return;
        const bool constant = word->IsConstant();
        const bool checked = m_lists && !TestRunLists::Has(m_lists->nList, id) &&
                             TestRunLists::Has(m_lists->oWords, id);
        for (const int cycle : CyclesRun(test)) {
            const auto ref = test.OWords.ValueAt(id, constant ? 0 : cycle, ValueSet::Reference);
            const auto read = test.OWords.ValueAt(id, cycle, ValueSet::Run);
            const bool wrong = read && ref != read;
            if (Counted(id, cycle) && !wrong) {
                --errors;
                SetCounted(id, cycle, false);
            } else if (!Counted(id, cycle) && wrong && checked && recount == Recount::InStep) {
                ++errors;
                SetCounted(id, cycle, true);
            }
        }
    }

    // Sets a word's reference (or run) values from a function's result,
    // keeping the error count in step for an output word. A single value
    // belongs to the last cycle run: a word with a value per cycle keeps the
    // others (a run never shrinks a word to one value and loses the rest).
    void SetWordText(STest &test, char kind, int id, const std::string &text, ValueSet which,
                     std::int32_t &errors, Recount recount)
    {
        if (id <= 0)
            return;
        TWord &list = List(test, kind);
        const SWord *word = list.Find(id);
        if (!word)
            return;
        const std::string &current = which == ValueSet::Run ? word->Run : word->Data;
        const int have = ValuesIn(current);
        const int cycle = LastCycle(test);
        if (ValuesIn(text) == 1 && !word->IsConstant() && have > 1) {
            const auto value = ParseIniInteger(text);
            if (value)
                list.SetValueAt(id, std::min(cycle, have - 1), *value, which);
        } else {
            list.SetText(id, text, which);
        }
        if (kind == 'o')
            RecountWord(test, id, errors, recount);
    }

    void FFunctions(STest &test, const TestRunLists &lists, std::int32_t &errors)
    {
        for (const char c : lists.fFuncs) {
            SFuncF *f = test.FFuncs.ByNumber(static_cast<unsigned char>(c));
            if (!f)
                throw InternalError("ProcessDosData");
            const std::uint32_t reached = m_in.U32() & 0xFFFFFFu;
            const bool failed = m_in.U8() != 0;
            std::optional<std::uint16_t> compared;
            if (f->Type == DirCompareFile)
                compared = m_in.U16();
            if (failed)
                ++errors;
            f->Error = failed;
            test.FFuncs.SetReached(f->Number, static_cast<std::int32_t>(reached));
            const auto adr = DecodeWordCode(f->AdrWord);
            const auto dat = DecodeWordCode(f->DatWord);
            if (!adr || !dat)
                throw InternalError("ProcessDosData");
            SetWordText(test, adr->kind, adr->id, std::to_string(reached), ValueSet::Reference,
                        errors, Recount::TakeOffOnly);
            // An output word this run read and checked keeps its reference
            // of every cycle: the comparison with the file is the function's
            // own result (its error byte), and the compared value would only
            // contradict the word's check.
            if (compared && dat->kind == 'o' && TestRunLists::Has(lists.oWords, dat->id))
                continue;
            std::string data;
            if (compared && dat->kind == 'o')
                data = std::to_string(*compared);
            else if (const SWord *w = List(test, dat->kind).Find(dat->id))
                data = w->Run;
            SetWordText(test, dat->kind, dat->id, data, ValueSet::Reference, errors,
                        Recount::TakeOffOnly);
        }
    }

    void Update(STest &test, char kind, int id, std::int32_t &errors)
    {
        if (id <= 0)
            return;
        SetWordText(test, kind, id, std::to_string(m_in.U16()), ValueSet::Reference, errors,
                    Recount::InStep);
    }

    std::int64_t Value(STest &test, char kind, int id)
    {
        const auto v = List(test, kind).ValueAt(id, 0, ValueSet::Reference);
        return v.value_or(0);
    }

    std::int64_t Position(STest &test, int low, int high)
    {
        const int width = test.IWords.BusWidth(low, m_doc.Doc().Tyres);
        const std::int64_t highValue = high > 0 ? Value(test, 'i', high) : 0;
        return (highValue << width) | Value(test, 'i', low);
    }

    void MFunctions(STest &test, const TestRunLists &lists, std::int32_t &errors)
    {
        for (const char c : lists.mFuncs) {
            SFuncM *m = test.MFuncs.ByNumber(static_cast<unsigned char>(c));
            if (!m)
                throw InternalError("UpdateWordsForFuncM_P");
            Update(test, 'i', m->AdrWrite, errors);
            Update(test, 'i', m->AdrRead, errors);
            Update(test, 'i', m->AdrWrite2, errors);
            Update(test, 'i', m->AdrRead2, errors);
            Update(test, 'i', m->DatWrite, errors);
            if (m->DatRead > 0) {
                Update(test, 'o', m->DatRead, errors);
                SetWordText(test, 'o', m->DatRead, std::to_string(m_in.U16()), ValueSet::Run,
                            errors, Recount::InStep);
            }
            m->Error = false;
            for (int bit = 0; bit < kMemoryAlgorithms; ++bit) {
                std::uint8_t status = kAlgorithmNotRun;
                if ((m->Alg >> bit) & 1) {
                    status = m_in.U8();
                    if (status == 1)
                        m->Error = true;
                }
                m->Status[static_cast<std::size_t>(bit)] = status;
            }
            // A failed function counts as an error of the test, as an F- or
            // S-function does: the verdict and the tab colour are made from
            // the count alone, and a memory fault must not pass as a success.
            if (m->Error)
                ++errors;
            m->WritePos = Position(test, m->AdrWrite, m->AdrWrite2);
            m->ReadPos = Position(test, m->AdrRead, m->AdrRead2);
        }
    }

    void PFunctions(STest &test, const TestRunLists &lists, std::int32_t &errors)
    {
        for (const char c : lists.pFuncs) {
            SProg *p = test.PFuncs.ByNumber(static_cast<unsigned char>(c));
            if (!p)
                throw InternalError("UpdateWordsForFuncM_P");
            p->Status = m_in.U8();
            p->Error = p->Status == 0;
            if (p->Error) // counted for the verdict, as an M-function's failure
                ++errors;
            Update(test, p->AdrWriteKind, p->AdrWrite, errors);
            Update(test, p->AdrReadKind, p->AdrRead, errors);
            Update(test, 'i', p->DatWrite, errors);
            // The value read back from the chip is this run's value of the
            // word as well: only comparing it with the word's earlier run
            // value (another function's) would count a golden board as wrong.
            if (p->DatRead > 0) {
                const std::string value = std::to_string(m_in.U16());
                SetWordText(test, 'o', p->DatRead, value, ValueSet::Reference, errors,
                            Recount::InStep);
                SetWordText(test, 'o', p->DatRead, value, ValueSet::Run, errors, Recount::InStep);
            }
        }
    }

    void Truncate(STest &test)
    {
        const int reached = test.RunCounter1 - 1; // 0-based cycle reached
        const std::string &d1 = test.Tacts.D1;
        for (int col = 0; col < static_cast<int>(d1.size()); ++col) {
            const char letter = d1[static_cast<std::size_t>(col)];
            if (letter != 'o' && letter != 'O')
                continue;
            const int id = ColumnItem(test, col);
            if (!test.OWords.Find(id))
                continue;
            const int keep = col < test.RunCounter2 ? reached + 1 : reached;
            for (int cycle = std::max(keep, 0); cycle < test.Cycles; ++cycle)
                test.OWords.SetValueAt(id, cycle, -1, ValueSet::Run);
        }
    }

    // Every output word's check result, for the views: from the values
    // read (in debug mode only the active cycle's), after the functions and
    // a stop had their say on them.
    void CheckOutputWords(STest &test, const TestRunLists &lists)
    {
        for (const char c : lists.oWords)
            test.OWords.Compare(static_cast<unsigned char>(c), false, m_opt.debug,
                                m_opt.debug ? test.ActiveCycle : 0);
    }

    void Probe(STest &test)
    {
        test.EnsureProbeArrays();
        const auto cycle = static_cast<std::size_t>(std::max(test.ActiveCycle, 0));
        if (cycle >= test.Probes.size())
            test.Probes.resize(cycle + 1);
        if (test.ProbeFlags.size() <= cycle)
            test.ProbeFlags.resize(cycle + 1, 0);
        auto &entries = test.Probes[cycle];
        const auto columns = static_cast<std::size_t>(test.Tacts.TactCount());
        if (entries.empty())
            entries.push_back(DefaultProbe(columns));
        std::size_t current = static_cast<std::size_t>(std::max(test.ProbeFlags[cycle], 0));
        if (current >= entries.size())
            current = 0;
        std::string text;
        for (std::size_t i = 0; i < columns; ++i)
            text.push_back(ProbeCharacter(m_in.U8(), m_opt.dosUnit, m_opt.probeMode));
        entries[current].Measured = text;
        // The measurement carries the thresholds it was judged against;
        // only TTL and DTL ones may later become references.
        entries[current].Mark = m_opt.dosUnit ? kProbeMarkLow : (m_opt.probeMode & 0x0F);
    }

    void AddFetchEntries(const STest &test)
    {
        const std::string &d1 = test.Tacts.D1;
        for (int col = 0; col < static_cast<int>(d1.size()) && col <= test.RunCounter2; ++col) {
            const char letter = d1[static_cast<std::size_t>(col)];
            const int n = ColumnItem(test, col);
            int direction = -1;
            if (letter == 'F') {
                if (const SFuncF *f = test.FFuncs.ByNumber(n))
                    direction = f->Type;
            } else if (letter == 'S') {
                if (const SFuncS *s = test.SFuncs.ByNumber(n))
                    direction = s->Mode;
            } else {
                continue;
            }
            if (direction < 0 || direction == DirReadFile)
                continue;
            m_d.m_fetchList.push_back(letter);
            m_d.m_fetchList.push_back(static_cast<char>(m_index + 1));
            m_d.m_fetchList.push_back(static_cast<char>(n));
        }
    }

    Dosdata &m_d;
    TQuorvik &m_doc;
    const RunOptions &m_opt;
    AnswerReader m_in;
    bool m_stopped;
    int m_index = 0;
    std::array<std::vector<bool>, kMaxWords + 1> m_counted{}; // see Counted
    const TestRunLists *m_lists = nullptr;                    // of the test being decoded
};

bool Dosdata::ProcessDosData(int code, std::span<const std::uint8_t> answer, bool fetch)
{
    m_failure.clear();
    m_fetchList.clear();
    m_errorMark.reset();
    m_doc.FitErrorCounts();
    try {
        if (code != 12 && code != kAnswerStopped)
            throw InternalError("ProcessDosData");
        Decoder decoder(*this, answer, code == kAnswerStopped);
        for (const TestRunLists &lists : m_lists)
            decoder.Test(lists);
    } catch (const AnswerTooShort &e) {
        m_failure = e.what();
        Tell(m_notices, {NoticeKind::Error, m_failure, "Блок диагностики"});
        return false;
    } catch (const InternalError &e) {
        m_failure = e.what();
        ReportInternalFailure(m_failure);
        return false;
    }
    if (m_observer)
        m_observer->ResultsShown(ResultStage::RepaintViews);
    std::int32_t total = 0;
    for (const std::int32_t count : m_doc.ErrorCounts())
        total += count;
    m_doc.SetTotalErrors(total);
    if (m_options.stopOnError && !m_options.debug) {
        const int current = m_doc.CurrentTest();
        m_errorMark = current < 0 ? total : m_doc.ErrorCounts()[static_cast<std::size_t>(current)];
    }
    if (m_observer)
        m_observer->ResultsShown(ResultStage::RecountErrors);
    return fetch ? ProcessFuncFS(m_fetchList) : true;
}

} // namespace qv
