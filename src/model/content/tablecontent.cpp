#include "model/content/tablecontent.h"

#include "infra/helpers.h"
#include "model/test/sqor.h"
#include "model/words/wordvalues.h"

#include <algorithm>

namespace qv {
namespace {

bool IsInputSide(char kind)
{
    return kind == 'i' || kind == 'g' || kind == 'G';
}

bool IsOutputSide(char kind)
{
    return kind == 'o' || kind == 'O';
}

std::string NameText(char kind, const SWord &word, bool constant)
{
    std::string text(1, kind);
    text += std::to_string(word.Id);
    text += ' ';
    text += constant ? std::string_view(kConstantName) : std::string_view(word.Name);
    return text;
}

// A run result shown instead of a value: "#" and the result.
std::string Marked(std::string_view result)
{
    std::string text("#");
    text += result;
    return text;
}

// The n-th value of a "/"-joined text, or "" when there is none.
std::string ValueTextOrEmpty(std::string_view text, int index)
{
    const auto value = ValueTextAt(text, index);
    return value && ParseValue(*value) ? std::string(*value) : std::string();
}

// The table down to its header row.
void ResetToHeader(TextGrid &grid)
{
    grid.Resize(kTableColumns, 1);
    grid.Clear();
    for (int c = 0; c < kTableColumns; ++c)
        grid.SetCell(c, 0, std::string(kTableHeader[static_cast<std::size_t>(c)]));
}

// Fills the rows of one table; a side's rows are handed out downwards.
class TableFiller
{
public:
    TableFiller(const TableSource &source, TextGrid &grid)
        : m_source(source)
        , m_test(*source.test)
        , m_grid(grid)
    {}

    std::vector<std::int32_t> Fill()
    {
        ResetToHeader(m_grid);
        std::vector<std::int32_t> cycleRows;
        const std::string &kinds = m_test.Tacts.D1;
        const std::string &ids = m_test.Tacts.D2;
        for (int n = 0; n < std::max(m_test.Cycles, 0); ++n) {
            const int firstRow = m_grid.RowCount();
            cycleRows.push_back(firstRow);
            int inputRow = firstRow;
            int outputRow = firstRow;
            const auto [first, last] = CycleTacts(m_test, n, m_source.debugMode);
            for (int t = first; t <= last; ++t) {
                const char kind = kinds[static_cast<std::size_t>(t)];
                if (!IsInputSide(kind) && !IsOutputSide(kind))
                    continue;
                const int id =
                    t < static_cast<int>(ids.size())
                        ? WD_HexToInt(std::string_view(&ids[static_cast<std::size_t>(t)], 1))
                        : -1;
                if (m_source.fullTable) {
                    const int row = m_grid.RowCount();
                    if (AddUse(kind, id, n, row))
                        inputRow = outputRow = row + 1;
                } else if (IsInputSide(kind)) {
                    if (AddUse(kind, id, n, inputRow))
                        ++inputRow;
                } else if (AddUse(kind, id, n, outputRow)) {
                    ++outputRow;
                }
            }
        }
        return cycleRows;
    }

private:
    // Writes one use into `row` (added when needed); false when the use
    // takes no row (an unknown word, or a constant in the paired form).
    bool AddUse(char kind, int id, int cycle, int row)
    {
        const TWord &list = kind == 'i'          ? static_cast<const TWord &>(m_test.IWords)
                            : IsOutputSide(kind) ? static_cast<const TWord &>(m_test.OWords)
                                                 : static_cast<const TWord &>(m_test.GWords);
        const SWord *word = list.Find(id);
        if (!word)
            return false;
        const bool constant = !IsOutputSide(kind) && word->IsConstant();
        if (constant && !m_source.fullTable)
            return false;
        if (row >= m_grid.RowCount())
            m_grid.Resize(kTableColumns, row + 1);
        m_grid.SetCell(ColCycle, row, std::to_string(cycle + 1));
        if (kind == 'i')
            FillInput(*word, cycle, row);
        else if (IsOutputSide(kind))
            FillOutput(kind, *word, cycle, row);
        else
            FillGenerator(kind, *word, cycle, row);
        return true;
    }

    std::string InBase(std::optional<std::int32_t> value) const
    {
        return value ? NumberInBase(*value, m_source.doc->Sys) : std::string();
    }

    void FillInput(const SWord &word, int cycle, int row)
    {
        const bool constant = word.IsConstant();
        m_grid.SetCell(ColInputName, row, NameText('i', word, constant));
        m_grid.SetCell(
            ColInputValue, row,
            InBase(m_test.IWords.ValueAt(word.Id, constant ? 0 : cycle, ValueSet::Reference)));
        if (!m_source.debugMode)
            return;
        const auto run = m_test.IWords.ValueAt(word.Id, cycle, ValueSet::Run);
        m_grid.SetCell(ColInputDebug, row, run ? InBase(run) : std::string(kNoData));
        if ((word.FuncLink & (LinkFAddress | LinkMAddress)) != 0)
            m_grid.SetMark(ColInputDebug, row, MarkNone);
    }

    void FillGenerator(char kind, const SWord &word, int cycle, int row)
    {
        const bool constant = word.IsConstant();
        m_grid.SetCell(ColInputName, row, NameText(kind, word, constant));
        std::string value;
        if (const auto reference =
                m_test.GWords.ValueAt(word.Id, constant ? 0 : cycle, ValueSet::Reference))
            value = GValueText(word, *reference);
        if (const std::string passes = ConditionalCycleRun(word, cycle); !passes.empty())
            value = Marked(passes);
        m_grid.SetCell(ColInputValue, row, value);
        if (!m_source.debugMode)
            return;
        const auto run = m_test.GWords.ValueAt(word.Id, cycle, ValueSet::Run);
        m_grid.SetCell(ColInputDebug, row, run ? std::to_string(*run) : std::string(kNoData));
    }

    // The run value of an exit-on-condition G-cycle for the cycle, when the
    // test has run; in debug mode only the debugged cycle has one, its first.
    std::string ConditionalCycleRun(const SWord &word, int cycle) const
    {
        if (GKindOf(word) != GKind::ConditionalCycle || m_source.runFlag == 0)
            return {};
        if (m_source.debugMode && m_source.runFlag != cycle + 1)
            return {};
        return ValueTextOrEmpty(m_test.GWords.GRun(word.Id), m_source.debugMode ? 0 : cycle);
    }

    void FillOutput(char kind, const SWord &word, int cycle, int row)
    {
        const TOWord &words = m_test.OWords;
        m_grid.SetCell(ColOutputName, row, NameText(kind, word, false));
        const auto reference = words.ValueAt(word.Id, cycle, ValueSet::Reference);
        m_grid.SetCell(ColOutputReference, row, InBase(reference));
        if (m_source.runFlag == 0 ||
            !RunDataVisible(m_test, m_source.runFlag, m_source.debugMode, cycle, word.Id))
            return;
        const auto data = words.ValueAt(word.Id, cycle, ValueSet::Run);
        if (!data) {
            m_grid.SetCell(ColOutputData, row, std::string(kNoData));
            return;
        }
        std::string text = InBase(data);
        if (data == reference && words.IsWaitWord(word.Id)) {
            const std::string waits =
                m_source.waitsAsTimes ? words.WaitTimes(word.Id) : words.WaitCounts(word.Id);
            if (const auto wait = ValueTextAt(waits, m_source.debugMode ? 0 : cycle);
                wait && !wait->empty())
                text = Marked(*wait);
        }
        m_grid.SetCell(ColOutputData, row, std::move(text));
    }

    const TableSource &m_source;
    const STest &m_test;
    TextGrid &m_grid;
};

} // namespace

std::string NumberInBase(std::int64_t value, int base)
{
    if (base == 8)
        return IntToOct(value);
    if (base == 16)
        return IntToHexA(value);
    return {};
}

std::pair<int, int> CycleTacts(const STest &test, int cycle, bool debugMode)
{
    const int last = test.Tacts.TactCount() - 1;
    if (cycle == 0 || debugMode)
        return {0, last};
    // StartTact counts from 1; a start before the first tact starts there.
    return {std::max(test.StartTact - 1, 0), last};
}

bool RunDataVisible(const STest &test, std::int32_t runFlag, bool debugMode, int cycle,
                    int outputWord)
{
    if (outputWord == -1)
        return runFlag != 0 && runFlag == cycle + 1 && cycle == test.ActiveCycle;
    // In debug mode only the cycle just run was read; a word it did not
    // reach shows that it took no value.
    return !debugMode || runFlag == cycle + 1;
}

std::vector<std::int32_t> FillTable(const TableSource &source, TextGrid &grid)
{
    if (!source.doc || !source.test) {
        ResetToHeader(grid);
        return {};
    }
    return TableFiller(source, grid).Fill();
}

} // namespace qv
