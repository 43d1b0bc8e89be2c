#pragma once

// The lists a run keeps per test, built from the test's tact columns: item
// numbers sorted ascending without duplicates, one byte each. They drive
// both the image sections and the answer decoding, so the two always agree
// on which items travel and in which order.

#include <string>
#include <vector>

namespace qv {

struct SQor;
struct STest;

struct TestRunLists
{
    int test = -1;       // 0-based index of the test
    std::string iWords;  // input words of `i` columns
    std::string oWords;  // output words of `o` and `O` columns
    std::string gCycles; // G-cycle words of `G` columns
    std::string fFuncs;  // F-functions (empty in debug mode)
    std::string mFuncs;  // M-functions (empty in debug mode)
    std::string pFuncs;  // P-functions (empty in debug mode)
    std::string sFuncs;  // S-functions
    std::string nList;   // output words checked with exit on condition, kind N

    static bool Has(const std::string &list, int id);
};

// Item number of column `column`: a hexadecimal digit, a decimal digit for
// `T`; -1 when the character is neither.
int ColumnItem(const STest &test, int column);

// Builds the lists of one test. In debug mode the F-, M- and P-functions
// are not run, so they stay empty.
TestRunLists BuildTestRunLists(const STest &test, int testIndex, bool debug);

// The run list: `current` and then every test its `T` columns call (1-based
// test numbers, each once, in column order, only existing tests other than
// `current`); all tests in file order when current is -1. `called` receives
// the called tests.
std::vector<int> BuildRunList(const SQor &doc, int current, std::vector<int> *called);

// The check marks of the output words: for each conditional G-cycle word of
// a `G` column, the word its value names gets 1 when the first `E` or `N`
// column after it is `E`, 2 when it is `N`. Index = output word number.
std::vector<int> CheckMarks(const STest &test);

} // namespace qv
