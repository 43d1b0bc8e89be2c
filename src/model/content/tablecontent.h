#pragma once

// What the table view shows of a test: one row per use of a word in a
// cycle, the input side (i-, g- and G-tacts) in columns 1..3, the output
// side (o- and O-tacts) in columns 4..6, the cycle number in column 0, under
// one header row. In the paired form both sides fill their columns
// downwards independently, so a row may hold one use of each side, and
// constant words are left out; in the full form every use has a row of its
// own.

#include "model/content/textgrid.h"

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace qv {

struct SQor;
struct STest;

inline constexpr int kTableColumns = 7;
inline constexpr std::array<std::string_view, kTableColumns> kTableHeader{
    "цикл", "слова i, g / G-циклы", "данные", "отладка", "выходные слова", "эталон", "данные"};
inline constexpr std::string_view kConstantName = "КОНСТАНТА";
// A value that was not read (or not taken): the half row is inactive.
inline constexpr std::string_view kNoData = "- - -";
// Separates a word's name from the note shown at the right of its cell.
inline constexpr char kNoteSeparator = '\x07';

// Columns of the two halves.
enum TableColumn : int {
    ColCycle = 0,
    ColInputName = 1,
    ColInputValue = 2,
    ColInputDebug = 3,
    ColOutputName = 4,
    ColOutputReference = 5,
    ColOutputData = 6,
};

// Address stepping marks of the debug column (the pictures plus, minus,
// none); a filled table gives every marked cell MarkNone.
enum AddressMark : int { MarkUp = 1, MarkDown = 2, MarkNone = 3 };

// A value in the file's number base: base 8 octal, base 16 hexadecimal;
// any other base gives "".
std::string NumberInBase(std::int64_t value, int base);

// The tacts (0-based, first and last inclusive) that cycle `cycle` runs:
// the first cycle the whole diagram, every later one from the start tact
// on; in debug mode every cycle the whole diagram. first > last when there
// are none.
std::pair<int, int> CycleTacts(const STest &test, int cycle, bool debugMode);

// Whether the run values of a cycle may be shown. With outputWord -1: the
// test has results of a run of exactly that cycle and it is the active
// cycle. Otherwise (the values of an output word): always outside debug
// mode; in debug mode when the run was of that cycle. runFlag is the test's
// entry of TestRunFlags.
bool RunDataVisible(const STest &test, std::int32_t runFlag, bool debugMode, int cycle,
                    int outputWord);

// What the table is filled from.
struct TableSource
{
    const SQor *doc = nullptr;
    const STest *test = nullptr;
    bool debugMode = false;
    bool fullTable = false;
    std::int32_t runFlag = 0; // the test's TestRunFlags entry: 0 = no results
    bool waitsAsTimes = true; // wait results as times, else as pass counts
};

// Fills the grid (seven columns, the header row, the rows of every cycle)
// and returns the first row of each cycle.
std::vector<std::int32_t> FillTable(const TableSource &source, TextGrid &grid);

} // namespace qv
