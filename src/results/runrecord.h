#pragma once

// RunRecord: what the results database keeps of one run - a run of one
// pass, or one pass of a continuous run (the passes of one continuous run
// share its session). The JSON form follows the run report of qortool run:
// it is the layout of the spool files and of `qortool history --format json`.
//
// Sentinels: id 0 = not stored yet; pass 0 = a run of one pass; empty
// serial = no serial number given; empty diagnosis = none; unexplained
// nullopt = no diagnosis was made.

#include <QByteArray>
#include <QJsonObject>
#include <chrono>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace qv::results {

struct WrongWord
{
    int word = 0; // output word Id
    std::string name;
    int cycle = 0; // 1-based
    std::optional<std::int32_t> reference;
    std::optional<std::int32_t> read;
    friend bool operator==(const WrongWord &, const WrongWord &) = default;
};

// One bit of a wrong output word, on the adapter contact that carries it.
struct FailingContact
{
    int contact = 0; // 1-based
    std::string name;
    int word = 0;
    int bit = 0; // 0 = lowest
    friend bool operator==(const FailingContact &, const FailingContact &) = default;
};

class SharedTests; // results/failureset.h

struct TestResult
{
    int number = 0; // 1-based
    std::string name;
    std::string verdict; // "passed" or "errors"
    int errors = 0;
    std::vector<WrongWord> wrongWords;
    std::vector<FailingContact> contacts;
    std::string diagnosis; // JSON text of the diagnosis list; empty: none
    std::optional<int> unexplained;
    friend bool operator==(const TestResult &, const TestResult &) = default;
};

struct RunRecord
{
    std::int64_t id = 0;
    std::string uid;     // unique over every bench: a record spooled twice is stored once
    std::string session; // shared by the passes of one continuous run
    int pass = 0;        // 1-based pass of a continuous run; 0: a run of one pass
    std::string started; // UTC, "YYYY-MM-DDTHH:MM:SS.mmmZ"
    std::string ended;
    std::string host;
    std::string operatorName;
    std::string serial;
    std::string filePath;
    std::string fileSha256; // hex of the test file's bytes; empty when unreadable
    std::string unitAddress;
    std::string unitType; // "arm" or "dos"
    std::string unitBuild;
    bool allTests = false;
    bool continuous = false;
    bool debug = false;
    int passes = 0;      // passes of the continuous run up to this record
    std::string verdict; // passed, errors, interrupted, failed, not-run
    std::string verdictText;
    std::vector<TestResult> tests;
    // Instead of `tests`, on the way to the writer only (never stored or
    // read back): the tests of a pass shared with the passes that read the
    // same; `tests` is then empty. Whole() makes them the record's own.
    std::shared_ptr<const SharedTests> sharedTests;

    // `tests`, or the shared ones in their stored form: what the counts
    // and the rows of the tests are made of.
    const std::vector<TestResult> &TestRows() const;
    // The record with tests of its own: the shared ones made whole for
    // its pass (ToJson writes a record so).
    RunRecord Whole() const;
    // The file's name without its folder: benches keep a file in different
    // folders, the name stays.
    std::string FileName() const;
    int Errors() const;
    int WrongWordCount() const;
    friend bool operator==(const RunRecord &, const RunRecord &) = default;
};

// A time as the records keep it.
std::string IsoUtc(std::chrono::system_clock::time_point time);
std::string IsoUtcNow();

QJsonObject ToJson(const RunRecord &record);
// nullopt when the object lacks what a record needs or holds values of
// the wrong kind.
std::optional<RunRecord> RunRecordFromJson(const QJsonObject &json);
std::optional<RunRecord> RunRecordFromBytes(const QByteArray &bytes);

// The verdicts a run can end with.
bool IsVerdictName(const std::string &name);

} // namespace qv::results
