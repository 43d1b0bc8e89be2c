#pragma once

// Failure: what one test of a record read wrong - its wrong output words,
// the contacts that carry the wrong bits and the diagnosis - as the results
// database keeps it: once per distinct content. A board that fails the same
// way pass after pass (a continuous run on a faulty board) then costs one
// reference a pass instead of hundreds of rows and a diagnosis text.
//
// The diagnosis of a pass of a continuous run names that pass in each
// hypothesis ("passes": [N]); the stored form replaces those with
// kPassMark, so that every pass shares it, and the reader puts the
// record's pass back. The mark is no JSON, so no diagnosis we make holds it.

#include "results/runrecord.h"

#include <map>
#include <optional>
#include <string>
#include <string_view>

namespace qv::results {

inline constexpr std::string_view kPassMark = "\"passes\": [*]";

struct Failure
{
    std::string digest;               // hex SHA-256 of the content: the same over every bench
    std::string diagnosis;            // as stored; empty: none
    bool passTemplate = false;        // diagnosis holds kPassMark for the record's pass
    const TestResult *test = nullptr; // the words, contacts and unexplained count
};

// The failure of a test of the record of `pass` (0: a run of one pass);
// nullopt when the test read nothing wrong and has no diagnosis.
std::optional<Failure> FailureOf(const TestResult &test, int pass);

// FailureOf with the last failure of each test number remembered: a board
// that fails the same way pass after pass has the same failure in every
// record, and comparing it costs a fraction of hashing it again. The
// failures it gives refer to the tests passed in, as FailureOf's do.
class FailureMemo
{
public:
    std::optional<Failure> FailureOf(const TestResult &test, int pass);

private:
    struct Known
    {
        TestResult content; // without its name, verdict and diagnosis
        Failure failure;    // failure.test unset
    };
    std::map<int, Known> m_last; // by test number
};

} // namespace qv::results
