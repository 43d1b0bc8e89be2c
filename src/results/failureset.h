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

#include <deque>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace qv::results {

inline constexpr std::string_view kPassMark = "\"passes\": [*]";
// How a hypothesis of a diagnosis opens its list of passes.
inline constexpr std::string_view kPassList = "\"passes\": [";
// The list of that one pass, as a pass's diagnosis names it.
std::string PassListOf(int pass);

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
// The same with the diagnosis given in its stored form (test.diagnosis is
// not read).
std::optional<Failure> StoredFailureOf(const TestResult &test, std::string storedDiagnosis,
                                       bool passTemplate);

// Tests that the records of many passes share: a continuous run on a board
// that fails the same way pass after pass. A record that refers to them
// (RunRecord::sharedTests) is made whole only where it must be (the spool);
// the database finds their failures once for all of those records.
// Immutable once shared.
class SharedTests
{
public:
    virtual ~SharedTests() = default;
    // The tests of the record of that pass, whole.
    virtual std::vector<TestResult> For(int pass) const = 0;
    // The same tests with each diagnosis in its stored form: kPassMark
    // wherever the pass goes, whatever the pass. Only tests whose
    // diagnosis names no other pass list may be shared: cut this way they
    // give the failure FailureOf gives the whole test of any pass.
    virtual const std::vector<TestResult> &Stored() const = 0;
};

// The failures of the last shared tests seen, found once each; they refer
// to the tests, which they keep. What Of gives stays valid until Trim. Not
// thread-safe (one writer).
class SharedFailures
{
public:
    const std::vector<std::optional<Failure>> &Of(const std::shared_ptr<const SharedTests> &shared);
    // Forgets the oldest beyond the few kept.
    void Trim();

private:
    struct Entry
    {
        std::shared_ptr<const SharedTests> tests;
        std::vector<std::optional<Failure>> failures;
    };
    // A board that fails a few ways in turn finds each of them again.
    static constexpr std::size_t kEntries = 16;
    std::deque<Entry> m_entries; // oldest first; stays put as it grows
};

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
