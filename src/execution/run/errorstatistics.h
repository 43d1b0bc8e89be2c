#pragma once

// ErrorStatistics: where the passes of a run went wrong. Per output word of
// every test, and per contact (bit) of the word's bus, it counts the passes
// in which the word (the bit) read wrong, the first and the last of them,
// and the cycle and tact of its first wrong value. Over a continuous run a
// board that fails now and then stands out from one that always fails: its
// failing passes are fewer than the passes.
//
// Counting reads the document right after a pass was decoded into it, on
// the thread that writes the document. Only passes with errors are looked
// at, so a clean pass costs nothing. The wrong values of each failing pass
// are kept too (passes that read the same wrong values share one record),
// for the diagnosis made when the run ends.

#include "model/diagnosis/diagnosis.h"

#include <algorithm>
#include <cstdint>
#include <map>
#include <string>
#include <unordered_map>
#include <vector>

namespace qv {

class TQuorvik;

// Sentinels: 0 in firstPass, lastPass, cycle and tact = never failed.
struct ErrorTally
{
    int failingPasses = 0;
    int firstPass = 0; // 1-based pass of the run
    int lastPass = 0;
    int cycle = 0; // 1-based cycle of the first wrong value
    int tact = 0;  // 1-based tact that reads the word there; 0 when none does
};

struct WordErrors
{
    int test = 0; // 0-based
    int word = 0; // output word Id
    std::string name;
    ErrorTally tally;
};

struct ContactErrors
{
    int test = 0;    // 0-based
    int contact = 0; // adapter contact, 1-based
    std::string name;
    int word = 0; // output word Id whose bit it is
    int bit = 0;  // bit of the word, 0 = lowest
    ErrorTally tally;
};

// The output words of one test that a run reads and counts.
struct CountedWords
{
    int test = 0;        // 0-based
    std::string words;   // one byte Id per word read
    std::string ignored; // of those, the ones not counted as errors
};

struct TestRunLists;
// The words a run of that test reads, from the compiler's lists.
CountedWords CountedWordsOf(const TestRunLists &lists);

class ErrorStatistics
{
public:
    // Counts pass `pass` (1-based) of the tests that had errors in it.
    void CountPass(int pass, const TQuorvik &doc, const std::vector<CountedWords> &failedTests);
    // A pass without errors: only the number of passes grows.
    void CountCleanPass(int pass)
    {
        m_passes = std::max(m_passes, pass);
        m_wrong.clear();
    }
    // The wrong values of the pass counted last, in the order read; empty
    // after a clean pass.
    const std::vector<diagnosis::WrongRead> &PassReads() const { return m_wrong; }
    // The failing passes with their wrong values, and the passes counted.
    diagnosis::RunPasses FailingPasses() const;

    int Passes() const { return m_passes; }
    bool Empty() const { return m_words.empty(); }
    // In the order first seen (test, then word or bit order).
    const std::vector<WordErrors> &Words() const { return m_words; }
    const std::vector<ContactErrors> &Contacts() const { return m_contacts; }

private:
    void CountWord(int pass, const TQuorvik &doc, int test, int id,
                   std::vector<diagnosis::WrongRead> &wrong);
    // Keeps the wrong values of pass (m_wrong, in the order read).
    void KeepPattern(int pass);

    int m_passes = 0;
    std::vector<WordErrors> m_words;
    std::vector<ContactErrors> m_contacts;
    // Position in m_words (key of test and word) or m_contacts (key + 1 + bit).
    std::unordered_map<int, std::size_t> m_index;
    std::vector<diagnosis::PassPattern> m_patterns;
    std::map<std::vector<diagnosis::WrongRead>, std::size_t> m_patternIndex;
    // The wrong values of the pass being counted, in the order read (kept
    // between passes for its capacity).
    std::vector<diagnosis::WrongRead> m_wrong;
    // The last failing pass's wrong values in the order read, and its
    // pattern; m_lastPattern past the end = none yet.
    std::vector<diagnosis::WrongRead> m_lastWrong;
    std::size_t m_lastPattern = static_cast<std::size_t>(-1);
};

} // namespace qv
