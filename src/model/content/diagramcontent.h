#pragma once

// What the timing diagram shows of a test, cell by cell: 130 columns (the
// contact name, the line label, then one column per tact); rows 0 and 1 the
// kind letter and the number of each tact; one row per level line; in probe
// mode one row per probe entry of the active cycle; and a bottom row whose
// first cell names the start tact (the views draw the tact ruler there).

#include "model/content/textgrid.h"

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace qv {

class TTimeArray;
class TTyreAdr;
struct SCnt;
struct STest;

inline constexpr int kDiagramColumns = 130;
inline constexpr int kDiagramMaxTacts = kDiagramColumns - 2;
inline constexpr int kDiagramFirstTactCol = 2;
inline constexpr int kDiagramFirstLineRow = 2;
inline constexpr std::string_view kStartTactCaption = "Начальный такт ";

// Where a filled diagram keeps what.
struct DiagramLayout
{
    int tactCount = 0;     // tact columns in use (the length of D1, at most 128)
    int lineCount = 0;     // level lines
    int firstProbeRow = 0; // the first row after the level lines, probe rows or not
    int probeCount = 0;    // probe rows shown (0 outside probe mode)
    int bottomRow = 0;     // the start-tact row, always the last one

    bool IsLineRow(int row) const { return row >= kDiagramFirstLineRow && row < firstProbeRow; }
    bool IsProbeRow(int row) const { return row >= firstProbeRow && row < bottomRow; }
    bool IsTactCol(int col) const
    {
        return col >= kDiagramFirstTactCol && col < kDiagramFirstTactCol + tactCount;
    }
};

// The second header row of a tact array: its D2 characters, except that the
// W and R tacts inside an M-function block (from an M tact up to and
// including the next R) show 'M'.
std::string NumberRowText(const TTimeArray &tacts);

// What the letters of a tact's header stand for, as far as their colour
// goes: the kind of the tact and, for the tacts that have one, the result of
// the last run. Both header cells of a tact column carry it as their mark,
// so the painters give each state its colour without asking the document.
enum class TactState : int {
    None = 0,         // no tact here, or a '-' tact
    Input,            // 'i'
    Output,           // 'o'/'O' of a test without run results
    OutputCorrect,    // checked: every value read matched its reference
    OutputWrong,      // checked: a value read differed from its reference
    OutputUnchecked,  // the test has results, but the word took no value
    Generator,        // 'g'
    CycleGE,          // 'E', and a 'G' with an exit condition closed by 'E'
    CycleGN,          // 'N', likewise
    CycleGL,          // 'L', and a counted 'G'
    FunctionFW,       // an F-function of that direction, its 'W'
    FunctionFR,       // ... its 'R'
    FunctionFC,       // ... its 'C'
    FunctionM,        // 'M' and the 'W'/'R' tacts of an M-function
    FunctionP,        // 'P'
    FunctionS,        // 'S'
    FunctionFailed,   // an F, M, P or S tact whose function is in error
    CalledTest,       // 'T' of a test without results
    CalledTestPassed, // 'T' whose test has no errors
    CalledTestFailed, // 'T' whose test has errors
    Unknown,          // a letter of no kind, or naming what the test does not have
};

// What the states of a test's tacts are decided from besides the test.
struct TactResults
{
    bool results = false; // the test has run results (its TestRunFlags entry is not 0)
    std::span<const std::int32_t> errorCounts; // per test of the file, for 'T' tacts
};

// Marks both header cells of every tact column of the grid with the state
// of its tact. test null: a sample diagram with no test behind it (no
// words, functions or results).
void MarkTactStates(const TTimeArray &tacts, const STest *test, const TactResults &results,
                    TextGrid &grid);
// The state a filled grid holds for a column (None outside the tacts).
TactState TactStateAt(const TextGrid &grid, int col);

// What a run read on a level line's contact in an output tact, where it
// differs from what the word read there expects; carried as the mark of the
// line's cell in that tact column. Contacts of a word's bus that have no
// level line are not shown here (the table and the error list show them).
enum class ReadLevel : int {
    AsExpected = 0, // nothing read differs here (or nothing was read)
    ReadHigh,       // expected low, read high
    ReadLow,        // expected high, read low
};

// Marks the level-line cells of every 'o'/'O' tact column whose word read a
// bit different from its reference in `cycle` (0-based) on that line's
// contact. Call it only for a test with run results, after FillDiagram.
void MarkReadLevels(const STest &test, const TTyreAdr &tyres, int cycle, TextGrid &grid);
// The read level a filled grid holds for a cell.
ReadLevel ReadLevelAt(const TextGrid &grid, int col, int row);

// Fills the grid with the diagram of `test` (null: an empty grid of the
// minimal size). Probe rows are those of the test's active cycle and only
// when probeMode is on; their first cell holds the probe's name.
DiagramLayout FillDiagram(const STest *test, const SCnt &cnt, bool probeMode, TextGrid &grid);

// The layout of a grid that FillDiagram filled, from the test it was filled
// with (the painters use it to tell rows apart).
DiagramLayout LayoutOf(const STest *test, bool probeMode);

} // namespace qv
