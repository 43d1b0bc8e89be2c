#pragma once

// What the bench knows of a run besides the document's results, and the
// records made of both. RunRecording follows one run: a continuous run is
// recorded pass by pass as the passes are decoded (so that a bench stopped
// half-way has its passes recorded), any other run once when it ends. A
// run the operator cancelled on the start page is not a run and is not
// recorded.

#include "execution/run/rundriver.h"
#include "results/failureset.h"
#include "results/runrecord.h"

#include <chrono>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace qv {
class DecodedPass;
class TQuorvik;
} // namespace qv

namespace qv::results {

class ResultsRecorder;

struct RunContext
{
    std::string host;
    std::string operatorName;
    std::string serial;
    std::string filePath;
    std::string fileSha256;
    std::string unitAddress;
    std::string unitType;
    std::string unitBuild;
};

// The bench's name, the operator's login name.
std::string HostName();
std::string SystemUser();
// Hex SHA-256 of the file's bytes; empty when it cannot be read.
std::string FileSha256(const std::string &path);
// "dos" for a unit of the MS-DOS type, else "arm".
std::string UnitType(bool dosUnit);

// A record of the document's results after a run (or a pass). Each test
// with errors carries the part of the verdict's diagnosis that concerns it
// (a verdict with failing passes has one).
RunRecord RecordOf(const TQuorvik &doc, const RunVerdict &verdict, const RunContext &context);
// Of a run's diagnosis, what concerns one test (0-based): its hypotheses
// with that test's wrong bits only, and its unexplained bits.
diagnosis::Diagnosis DiagnosisOfTest(const diagnosis::Diagnosis &run, int test);

class RunRecording
{
public:
    // unitBuild and dosUnit: the unit's build information and type as the
    // port holds them now (read when a record is made: the unit may answer
    // only once the run has begun); an empty dosUnit is the MS-DOS type.
    RunRecording(ResultsRecorder &recorder, const TQuorvik &doc, RunContext context,
                 std::function<std::string()> unitBuild = {}, std::function<bool()> dosUnit = {});

    // RunDriver::Environment::passDecoded (window thread, between two passes
    // of the run: what it costs, the run waits).
    void PassDecoded(const DecodedPass &pass);
    // After the run.
    void Finish(const RunVerdict &verdict);
    int RecordedPasses() const { return m_passes; }

private:
    // What the tests of a pass's record follow from, while the document's
    // tests stay as they are (they do during a run): the tests that failed,
    // the wrong values read in the order read, and the error counts.
    struct PassKey
    {
        std::vector<int> failedTests;
        std::vector<diagnosis::WrongRead> reads;
        std::vector<std::int32_t> errorCounts;
        friend bool operator==(const PassKey &, const PassKey &) = default;
        friend auto operator<=>(const PassKey &, const PassKey &) = default;
    };
    // The tests of the record of every pass with that key. The diagnosis
    // of a test names the pass; it is kept cut where it does. Shared with
    // the records on their way to the writer, unless `shareable` is false.
    class PassTests : public SharedTests
    {
    public:
        PassTests(std::vector<TestResult> tests, std::vector<std::vector<std::string>> pieces);
        std::vector<TestResult> For(int pass) const override;
        const std::vector<TestResult> &Stored() const override { return m_stored; }
        // False when a diagnosis names a pass list the cut did not take:
        // each record's tests are then made whole.
        bool Shareable() const { return m_shareable; }

    private:
        std::vector<TestResult> m_tests;                         // diagnosis empty when cut
        std::vector<std::vector<std::string>> m_diagnosisPieces; // per test; empty: not cut
        std::vector<TestResult> m_stored;
        bool m_shareable = true;
    };

    // The tests of the pass's record. A board that fails the same way pass
    // after pass has them made once (and diagnosed once): making them walks
    // every word read, and the run waits for it.
    std::shared_ptr<const PassTests> TestsOf(const DecodedPass &pass);
    std::shared_ptr<const PassTests> MakeTests(const DecodedPass &pass) const;

    ResultsRecorder &m_recorder;
    const TQuorvik &m_doc;
    void RefreshUnit();

    RunContext m_context;
    std::function<std::string()> m_unitBuild;
    std::function<bool()> m_dosUnit;
    std::string m_session;
    // The fields every record of the run shares, with the unit's as last
    // read; made again when those change. Shared with the records on their
    // way to the writer.
    std::shared_ptr<const RunRecord> m_head;
    std::chrono::system_clock::time_point m_started;   // of the run
    std::chrono::system_clock::time_point m_lastEnded; // of the last recorded pass
    int m_passes = 0;
    PassKey m_key; // of the pass just recorded, kept for its capacity
    // Shared with the records on their way to the writer.
    std::map<PassKey, std::shared_ptr<const PassTests>> m_made;
    std::shared_ptr<const PassTests> m_last; // of the pass just recorded
};

} // namespace qv::results
