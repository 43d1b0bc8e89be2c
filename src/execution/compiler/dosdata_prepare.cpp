// Before the image: unnamed data files and debug address stepping.

#include "execution/compiler/datafilecheck.h"
#include "execution/compiler/dosdata.h"
#include "model/document/quorvik.h"
#include "model/test/stest.h"

#include <algorithm>

namespace qv {

namespace {

bool Unnamed(const std::string &name)
{
    return name.empty() || name == "*" || name == "<не задано>";
}

// One character per F, P or S tact whose function has no file name.
std::string UnnamedCollection(const STest &test)
{
    std::string collection;
    for (int i = 0; i < test.Tacts.TactCount(); ++i) {
        const char letter = test.Tacts.D1[static_cast<std::size_t>(i)];
        const int n = ColumnItem(test, i);
        if (letter == 'F') {
            if (const SFuncF *f = test.FFuncs.ByNumber(n); f && Unnamed(f->FileName))
                collection.push_back(static_cast<char>(n));
        } else if (letter == 'P') {
            if (const SProg *p = test.PFuncs.ByNumber(n); p && Unnamed(p->FileName))
                collection.push_back(static_cast<char>(n + 50));
        } else if (letter == 'S') {
            if (const SFuncS *s = test.SFuncs.ByNumber(n); s && Unnamed(s->FileName))
                collection.push_back(static_cast<char>(n + 100));
        }
    }
    return collection;
}

// Steps a value by inc towards its limit; false when it is already there.
std::int64_t Stepped(std::int64_t value, std::int32_t step, std::int64_t inc, std::int64_t start,
                     std::int64_t end)
{
    if (step == StepUp && value + inc <= end)
        return value + inc;
    if (step == StepDown && value - inc >= start)
        return value - inc;
    return value;
}

} // namespace

std::string FunctionCollectionText(const std::string &collection)
{
    std::string text;
    for (const char c : collection) {
        const int code = static_cast<unsigned char>(c);
        if (!text.empty())
            text += ", ";
        const char letter = code > 100 ? 'S' : code > 50 ? 'P' : 'F';
        text.push_back(letter);
        text.append(std::to_string(code > 100 ? code - 100 : code > 50 ? code - 50 : code));
    }
    return text;
}

void Dosdata::CheckDataFile(const DataFileJob &job)
{
    qv::CheckDataFile(job, m_dir, m_dataFiles, m_notices);
}

bool Dosdata::ConfirmFileNames(int testIndex)
{
    STest &test = *m_doc.Test(testIndex);
    const std::string collection = UnnamedCollection(test);
    if (collection.empty())
        return true;
    if (m_window && m_window->AskFileNames(test, testIndex, collection))
        return true;
    m_failure = "В тесте №" + std::to_string(testIndex + 1) +
                " не заданы имена файлов данных функций: " + FunctionCollectionText(collection);
    if (!m_window)
        Tell(m_notices, {NoticeKind::Error, m_failure, "Ошибка"});
    return false;
}

void Dosdata::StepAddressWords()
{
    if (!m_options.tableShown || m_runList.empty())
        return;
    STest &test = *m_doc.Test(m_runList.front());
    const int cycle = test.ActiveCycle;
    for (SFuncF &f : test.FFuncs) {
        const auto adr = DecodeWordCode(f.AdrWord);
        if (!adr || adr->kind != 'i' || f.Step == StepNone)
            continue;
        const auto value = test.IWords.ValueAt(adr->id, cycle, ValueSet::Run);
        const std::int64_t now = value.value_or(f.AdrStart);
        const std::int64_t next = Stepped(now, f.Step, std::max(f.AdrInc, 1), f.AdrStart, f.AdrEnd);
        test.IWords.SetValueAt(adr->id, cycle, static_cast<std::int32_t>(next), ValueSet::Run);
    }
    const TTyreAdr &tyres = m_doc.Doc().Tyres;
    for (SFuncM &m : test.MFuncs) {
        if (m.Step == StepNone)
            continue;
        const std::int64_t inc = std::max(m.AdrInc, 1);
        m.WritePos = Stepped(m.WritePos, m.Step, inc, m.AdrStart, m.AdrEnd);
        m.ReadPos = Stepped(m.ReadPos, m.Step, inc, m.AdrStart, m.AdrEnd);
        const auto place = [&](int low, int high, std::int64_t pos) {
            const int width = test.IWords.BusWidth(low, tyres);
            const std::int64_t lowMask = width >= 31 ? 0x7FFFFFFF : (1ll << width) - 1;
            test.IWords.SetValueAt(low, cycle, static_cast<std::int32_t>(pos & lowMask),
                                   ValueSet::Run);
            if (high > 0)
                test.IWords.SetValueAt(high, cycle, static_cast<std::int32_t>(pos >> width),
                                       ValueSet::Run);
        };
        place(m.AdrWrite, m.AdrWrite2, m.WritePos);
        place(m.AdrRead, m.AdrRead2, m.ReadPos);
    }
}

} // namespace qv
