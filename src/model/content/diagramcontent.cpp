#include "model/content/diagramcontent.h"

#include "infra/helpers.h"
#include "model/core/records.h"
#include "model/test/stest.h"
#include "model/words/tyreadr.h"

#include <algorithm>

namespace qv {
namespace {

TactState ClosingState(char letter)
{
    switch (letter) {
    case 'E':
        return TactState::CycleGE;
    case 'N':
        return TactState::CycleGN;
    case 'L':
        return TactState::CycleGL;
    default:
        return TactState::Unknown;
    }
}

TactState OutputState(const STest *test, int id, bool results)
{
    if (!test || !results)
        return TactState::Output;
    switch (test->OWords.Result(id)) {
    case 0:
        return TactState::OutputCorrect;
    case 1:
        return TactState::OutputWrong;
    default:
        return TactState::OutputUnchecked;
    }
}

// A cycle with an exit condition takes the state of its closing tact.
TactState CycleState(const TTimeArray &tacts, int t, const STest *test, int id)
{
    const SWord *word = test ? test->GWords.Find(id) : nullptr;
    if (!test || (word && word->Code == -10))
        return TactState::CycleGL;
    for (std::size_t c = static_cast<std::size_t>(t) + 1; c < tacts.D1.size(); ++c) {
        const char letter = tacts.D1[c];
        if (letter == 'E' || letter == 'N' || letter == 'L')
            return ClosingState(letter);
    }
    return TactState::Unknown;
}

TactState FunctionFState(const STest *test, int id)
{
    if (!test)
        return TactState::FunctionFW;
    const SFuncF *function = test->FFuncs.ByNumber(id);
    if (!function || function->Type < DirWriteFile || function->Type > DirCompareFile)
        return TactState::Unknown;
    if (function->Error)
        return TactState::FunctionFailed;
    return static_cast<TactState>(static_cast<int>(TactState::FunctionFW) + function->Type);
}

TactState CalledTestState(int id, const TactResults &results)
{
    const auto &counts = results.errorCounts;
    if (!results.results || id < 1 || id > static_cast<int>(counts.size()))
        return TactState::CalledTest;
    return counts[static_cast<std::size_t>(id - 1)] < 1 ? TactState::CalledTestPassed
                                                        : TactState::CalledTestFailed;
}

TactState StateOf(const TTimeArray &tacts, int t, char number, const STest *test,
                  const TactResults &results)
{
    const char kind = tacts.D1[static_cast<std::size_t>(t)];
    const int id = WD_HexToInt(std::string_view(&number, 1));
    const auto failedOr = [](bool failed, TactState state) {
        return failed ? TactState::FunctionFailed : state;
    };
    switch (kind) {
    case 'i':
        return TactState::Input;
    case 'o':
    case 'O':
        return OutputState(test, id, results.results);
    case 'g':
        return TactState::Generator;
    case 'G':
        return CycleState(tacts, t, test, id);
    case 'E':
    case 'N':
    case 'L':
        return ClosingState(kind);
    case 'F':
        return FunctionFState(test, id);
    case 'W':
        return number == 'M' ? TactState::FunctionM : TactState::FunctionFW;
    case 'R':
        return number == 'M' ? TactState::FunctionM : TactState::FunctionFR;
    case 'C':
        return TactState::FunctionFC;
    case 'M': {
        const SFuncM *function = test ? test->MFuncs.ByNumber(id) : nullptr;
        return failedOr(function && function->Error, TactState::FunctionM);
    }
    case 'P': {
        const SProg *function = test ? test->PFuncs.ByNumber(id) : nullptr;
        return failedOr(function && function->Error, TactState::FunctionP);
    }
    case 'S':
        return failedOr(test && test->SFuncs.HasError(id), TactState::FunctionS);
    case 'T':
        return CalledTestState(id, results);
    case '-':
        return TactState::None;
    default:
        return TactState::Unknown;
    }
}

} // namespace

void MarkTactStates(const TTimeArray &tacts, const STest *test, const TactResults &results,
                    TextGrid &grid)
{
    const std::string numbers = NumberRowText(tacts);
    const int count = std::min(static_cast<int>(tacts.D1.size()),
                               std::max(grid.ColCount() - kDiagramFirstTactCol, 0));
    for (int t = 0; t < count; ++t) {
        const TactState state =
            StateOf(tacts, t, numbers[static_cast<std::size_t>(t)], test, results);
        for (int row = 0; row < kDiagramFirstLineRow; ++row)
            grid.SetMark(kDiagramFirstTactCol + t, row, static_cast<int>(state));
    }
}

TactState TactStateAt(const TextGrid &grid, int col)
{
    return static_cast<TactState>(grid.Mark(col, 0));
}

void MarkReadLevels(const STest &test, const TTyreAdr &tyres, int cycle, TextGrid &grid)
{
    const TTimeArray &tacts = test.Tacts;
    const auto &lines = tacts.Lines();
    const int count = std::min(static_cast<int>(tacts.D1.size()), kDiagramMaxTacts);
    for (int t = 0; t < count; ++t) {
        const char kind = tacts.D1[static_cast<std::size_t>(t)];
        if (kind != 'o' && kind != 'O')
            continue;
        const int id = tacts.ItemAt(t);
        const SWord *word = test.OWords.Find(id);
        if (!word || word->Tyre < 0)
            continue;
        const auto expected =
            test.OWords.ValueAt(id, word->IsConstant() ? 0 : cycle, ValueSet::Reference);
        const auto read = test.OWords.ValueAt(id, cycle, ValueSet::Run);
        if (!expected || !read || *expected == *read)
            continue;
        const std::string bus = tyres.Definition(word->Tyre);
        const int width = std::min(tyres.Width(word->Tyre), 32);
        const auto differ = static_cast<std::uint32_t>(*expected ^ *read);
        const bool inverse = word->Code == 0;
        for (int bit = 0; bit < width && static_cast<std::size_t>(bit) < bus.size(); ++bit) {
            if (((differ >> bit) & 1U) == 0)
                continue;
            // Bus bytes number contacts from 1, level lines from 0.
            const int contact = static_cast<unsigned char>(bus[static_cast<std::size_t>(bit)]) - 1;
            const bool high = (((static_cast<std::uint32_t>(*read) >> bit) & 1U) != 0) != inverse;
            for (std::size_t j = 0; j < lines.size(); ++j) {
                if (lines[j].Contact == contact)
                    grid.SetMark(kDiagramFirstTactCol + t,
                                 kDiagramFirstLineRow + static_cast<int>(j),
                                 static_cast<int>(high ? ReadLevel::ReadHigh : ReadLevel::ReadLow));
            }
        }
    }
}

ReadLevel ReadLevelAt(const TextGrid &grid, int col, int row)
{
    if (row < kDiagramFirstLineRow || col < kDiagramFirstTactCol)
        return ReadLevel::AsExpected;
    const int mark = grid.Mark(col, row);
    return mark == static_cast<int>(ReadLevel::ReadHigh)  ? ReadLevel::ReadHigh
           : mark == static_cast<int>(ReadLevel::ReadLow) ? ReadLevel::ReadLow
                                                          : ReadLevel::AsExpected;
}

std::string NumberRowText(const TTimeArray &tacts)
{
    std::string row = tacts.D2;
    row.resize(tacts.D1.size(), ' ');
    bool insideM = false;
    for (std::size_t t = 0; t < tacts.D1.size(); ++t) {
        const char kind = tacts.D1[t];
        if (kind == 'M') {
            insideM = true;
        } else if (insideM && (kind == 'W' || kind == 'R')) {
            row[t] = 'M';
            if (kind == 'R')
                insideM = false;
        }
    }
    return row;
}

DiagramLayout LayoutOf(const STest *test, bool probeMode)
{
    DiagramLayout layout;
    if (test) {
        layout.tactCount = std::min(test->Tacts.TactCount(), kDiagramMaxTacts);
        layout.lineCount = test->Tacts.Count();
        if (probeMode)
            layout.probeCount = test->ProbeCount(test->ActiveCycle);
    }
    layout.firstProbeRow = kDiagramFirstLineRow + layout.lineCount;
    layout.bottomRow = layout.firstProbeRow + layout.probeCount;
    return layout;
}

DiagramLayout FillDiagram(const STest *test, const SCnt &cnt, bool probeMode, TextGrid &grid)
{
    const DiagramLayout layout = LayoutOf(test, probeMode);
    grid.Resize(kDiagramColumns, layout.bottomRow + 1);
    grid.Clear();
    if (!test)
        return layout;

    const TTimeArray &tacts = test->Tacts;
    const std::string numbers = NumberRowText(tacts);
    for (int t = 0; t < layout.tactCount; ++t) {
        const auto index = static_cast<std::size_t>(t);
        grid.SetCell(kDiagramFirstTactCol + t, 0, std::string(1, tacts.D1[index]));
        grid.SetCell(kDiagramFirstTactCol + t, 1, std::string(1, numbers[index]));
    }
    const auto &lines = tacts.Lines();
    for (int j = 0; j < layout.lineCount; ++j) {
        const TLine &line = lines[static_cast<std::size_t>(j)];
        const int row = kDiagramFirstLineRow + j;
        if (line.Contact >= 0 && line.Contact < kMaxContacts)
            grid.SetCell(0, row, cnt.Names[static_cast<std::size_t>(line.Contact)]);
        grid.SetCell(1, row, line.Label);
        const int levels = std::min(static_cast<int>(line.Levels.size()), layout.tactCount);
        for (int t = 0; t < levels; ++t)
            grid.SetCell(kDiagramFirstTactCol + t, row,
                         std::string(1, line.Levels[static_cast<std::size_t>(t)]));
    }
    for (int p = 0; p < layout.probeCount; ++p) {
        const auto &entries = test->Probes[static_cast<std::size_t>(test->ActiveCycle)];
        grid.SetCell(0, layout.firstProbeRow + p, entries[static_cast<std::size_t>(p)].Name);
    }
    grid.SetCell(0, layout.bottomRow,
                 std::string(kStartTactCaption) + std::to_string(test->StartTact));
    return layout;
}

} // namespace qv
