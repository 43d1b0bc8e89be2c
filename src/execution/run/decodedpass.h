#pragma once

// DecodedPass: one pass of a continuous run, handed to the run's listener
// on the thread that wrote the document, while the document holds that
// pass's results. It refers to the document and the run's compiler as they
// are during that call and is valid only then.
//
// The pass as a verdict of its own (its tests and the statistics of that
// pass alone) costs a walk over every word read; it is made only when a
// listener asks for it, so that a listener which has seen the same wrong
// values before pays for a comparison instead.

#include "execution/run/rundriver.h"

#include <optional>
#include <vector>

namespace qv {

class Dosdata;
class TQuorvik;

class DecodedPass
{
public:
    DecodedPass(const TQuorvik &doc, const Dosdata &compiler, int number,
                const std::vector<int> &failedTests,
                const std::vector<diagnosis::WrongRead> &wrongReads);
    DecodedPass(const DecodedPass &) = delete;
    DecodedPass &operator=(const DecodedPass &) = delete;

    int Number() const { return m_number; }                               // 1-based pass of the run
    const std::vector<int> &FailedTests() const { return m_failedTests; } // 0-based
    // The wrong values the pass read, in the order read; empty: it read
    // every counted word right.
    const std::vector<diagnosis::WrongRead> &WrongReads() const { return m_wrongReads; }

    // The pass alone: kind Passed or Errors, passes = its number, the tests
    // it read and its statistics (counted as pass 1). Made on first call.
    const RunVerdict &Verdict() const;

private:
    const TQuorvik &m_doc;
    const Dosdata &m_compiler;
    int m_number;
    const std::vector<int> &m_failedTests;
    const std::vector<diagnosis::WrongRead> &m_wrongReads;
    mutable std::optional<RunVerdict> m_verdict;
};

} // namespace qv
