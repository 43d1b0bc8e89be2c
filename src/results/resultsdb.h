#pragma once

// ResultsDatabase: one connection to the results database (SQLite or
// PostgreSQL through Qt SQL). Opening it brings the schema up to date.
// Writing stores one run in one transaction: a writer killed half-way
// leaves nothing of that run. Reading serves the journal window and
// `qortool history`.
//
// A connection belongs to the thread that opened it: Qt SQL connections
// must not be shared between threads. Each instance has a connection name
// of its own, removed in the destructor.

#include "results/databaseurl.h"
#include "results/failureset.h"
#include "results/runrecord.h"
#include "results/runstatements.h"
#include "results/schema.h"

#include <QString>
#include <QVariantList>
#include <cstdint>
#include <deque>
#include <map>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <unordered_map>
#include <vector>

class QSqlDatabase;
class QSqlQuery;

namespace qv::results {

// Which runs a reading looks at; an empty field does not filter.
struct RunFilter
{
    std::string since; // "YYYY-MM-DD" (UTC day), first day included
    std::string until; // "YYYY-MM-DD", last day included
    std::string serial;
    std::string file; // the file's name, or its whole path
    std::string verdict;
    std::string operatorName;
    std::string host;
};

// First-pass yield of one group: the first attempts of each board (of
// each serial number and test file; every run without a serial is a first
// attempt) that passed or had errors, and of those the passed ones.
struct YieldRow
{
    std::string key;  // the day, the file's name, or "FILE: тест N"
    std::string name; // the test's name (grouping by test)
    std::int64_t runs = 0;
    std::int64_t passed = 0;
    double Percent() const { return runs > 0 ? 100.0 * static_cast<double>(passed) / runs : 0; }
};
enum class YieldBy { Day, File, Test };

// How often something failed: in how many runs.
struct FailureCount
{
    std::string file;
    int test = 0;
    int item = 0; // the word's Id or the contact
    std::string name;
    std::int64_t runs = 0;
};

class ResultsDatabase
{
public:
    // nullopt-like: null with *problem set when the database cannot be
    // reached, refuses, or is of a newer layout than this program knows.
    static std::unique_ptr<ResultsDatabase> Open(const DatabaseUrl &url, std::string *problem);
    ~ResultsDatabase();
    ResultsDatabase(const ResultsDatabase &) = delete;
    ResultsDatabase &operator=(const ResultsDatabase &) = delete;

    Dialect Kind() const { return m_dialect; }
    int SchemaVersionFound() const { return m_versionFound; }

    // Stores the run in one transaction; a record whose uid is stored
    // already is not stored again (true). False with *problem when the
    // database refused; nothing of the run is then stored.
    bool Write(const RunRecord &record, std::string *problem);
    // Stores the runs in one transaction: all of them or none (a run is
    // never split), so a writer that falls behind pays one commit for many.
    bool WriteBatch(std::span<const RunRecord> records, std::string *problem);
    // Whether the server still answers.
    bool Alive();

    // Newest first; beforeId > 0 reads the page after the run of that id.
    // withTests also reads each run's tests.
    std::vector<RunRecord> Runs(const RunFilter &filter, int limit, std::int64_t beforeId = 0,
                                bool withTests = false);
    std::int64_t Count(const RunFilter &filter);
    // One run with its tests, wrong words and contacts.
    std::optional<RunRecord> Run(std::int64_t id);
    std::vector<YieldRow> Yield(const RunFilter &filter, YieldBy by);
    // The most frequent failing output words and contacts, most first.
    std::vector<FailureCount> FailingWords(const RunFilter &filter, int limit);
    std::vector<FailureCount> FailingContacts(const RunFilter &filter, int limit);
    // Every run of one serial number, oldest first (tests not read).
    std::vector<RunRecord> RunsOfSerial(const std::string &serial, int limit);

    // The last error of a reading (empty when it went well).
    const std::string &LastError() const { return m_lastError; }

private:
    ResultsDatabase(QString connection, Dialect dialect);
    bool Prepare(const DatabaseUrl &url, std::string *problem);
    bool Migrate(std::string *problem);
    bool Exec(const std::string &sql, std::string *problem);
    bool Begin(std::string *problem);
    // What each test of the records read wrong (records in order, each
    // test in order; null: nothing), and of those the failures this
    // connection does not know yet, by digest. The failures are those of
    // the shared tests the records refer to, or kept in `owned`.
    bool FailuresOf(std::span<const RunRecord> records, std::deque<Failure> &owned,
                    std::vector<const Failure *> &failures,
                    std::map<std::string, const Failure *> &wanted, std::string *problem);
    // Their ids (null for nothing wrong), from those known and `fresh`.
    std::vector<QVariant> FailureIds(const std::vector<const Failure *> &failures,
                                     const std::map<std::string, qint64> &fresh) const;
    // A row of values as SQL text, "(a, b, ...)".
    QString ValuesText(const QVariantList &row) const;
    // The ids of the failures (by digest), storing those new to the
    // database with their words and contacts; ids gets every one of them.
    bool StoreFailures(const std::map<std::string, const Failure *> &wanted,
                       std::map<std::string, qint64> &ids, std::string *problem);
    bool FindFailures(const std::vector<std::string> &digests, std::map<std::string, qint64> &ids,
                      std::string *problem);
    // Inserts the rows (each a full row of the head's columns).
    bool InsertRows(const char *head, const std::vector<QVariantList> &rows, std::string *problem);
    void LoadTests(RunRecord &record);
    QSqlDatabase Db() const;

    QString m_connection;
    Dialect m_dialect;
    int m_versionFound = 0;
    std::string m_lastError;
    // Failures stored by committed transactions, by digest: a failure seen
    // again costs no look-up. Bounded; cleared when a write fails.
    static constexpr std::size_t kKnownFailures = 4096;
    std::unordered_map<std::string, qint64> m_failureIds;
    // The failure of each test written last, found again without hashing.
    FailureMemo m_failureMemo;
    // The failures of the tests that passes share, found once.
    SharedFailures m_sharedFailures;
    // The statements that store runs, kept for the next batch.
    RunStatements m_statements;
};

} // namespace qv::results
