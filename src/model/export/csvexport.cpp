// The CSV of one test: UTF-8, comma separated, fields quoted when they hold
// a comma, a quote or a line break. Values are decimal. The read value and
// the result are filled for output words of a test that has run.

#include "model/content/tablecontent.h"
#include "model/document/quorvik.h"
#include "model/export/csvline.h"
#include "model/export/testexport.h"
#include "model/export/wordcycles.h"
#include "model/test/stest.h"

#include <array>
#include <string>

namespace qv {

namespace {

constexpr std::array<std::string_view, 8> kCsvHeader{"тест", "цикл",   "слово",     "имя",
                                                     "такт", "эталон", "прочитано", "результат"};

std::string Number(const std::optional<std::int32_t> &value)
{
    return value ? std::to_string(*value) : std::string();
}

std::string_view ResultText(const WordCycle &cycle)
{
    if (!cycle.read)
        return "не прочитано";
    return cycle.Wrong() ? "ошибка" : "верно";
}

// The first tact (1-based) of the cycle that uses the word; "" for none.
std::string TactOf(const STest &test, int cycle, char kind, int id)
{
    const auto [first, last] = CycleTacts(test, cycle, false);
    for (int tact = first; tact <= last; ++tact) {
        const char letter = test.Tacts.D1[static_cast<std::size_t>(tact)];
        if ((letter == kind || (kind == 'o' && letter == 'O')) && test.Tacts.ItemAt(tact) == id)
            return std::to_string(tact + 1);
    }
    return {};
}

std::string WordName(char kind, int id)
{
    std::string name(1, kind);
    name += std::to_string(id);
    return name;
}

class CsvWriter
{
public:
    CsvWriter(const STest &test, int index, bool hasRun)
        : m_test(test)
        , m_index(index)
        , m_hasRun(hasRun)
    {}

    std::string Write()
    {
        Row({kCsvHeader.begin(), kCsvHeader.end()});
        for (int cycle = 0; cycle < m_test.Cycles; ++cycle) {
            for (const SWord &word : m_test.IWords.Words()) {
                const auto reference = m_test.IWords.ValueAt(word.Id, word.IsConstant() ? 0 : cycle,
                                                             ValueSet::Reference);
                Row({std::to_string(m_index + 1), std::to_string(cycle + 1), WordName('i', word.Id),
                     word.Name, TactOf(m_test, cycle, 'i', word.Id), Number(reference), "", ""});
            }
            for (const SWord &word : m_test.OWords.Words()) {
                const auto cycles = WordCycles(m_test, word.Id);
                const WordCycle &values = cycles[static_cast<std::size_t>(cycle)];
                Row({std::to_string(m_index + 1), std::to_string(cycle + 1), WordName('o', word.Id),
                     word.Name, TactOf(m_test, cycle, 'o', word.Id), Number(values.reference),
                     m_hasRun ? Number(values.read) : std::string(),
                     m_hasRun ? std::string(ResultText(values)) : std::string()});
            }
        }
        return m_out;
    }

private:
    void Row(const std::vector<std::string> &fields) { m_out += CsvLine(fields); }

    const STest &m_test;
    int m_index;
    bool m_hasRun;
    std::string m_out;
};

} // namespace

std::string CsvOfTest(const TQuorvik &doc, int test)
{
    return CsvWriter(*doc.Test(test), test, doc.TestRunFlags()[static_cast<std::size_t>(test)] != 0)
        .Write();
}

} // namespace qv
