#pragma once

// RunStatements: the statements that store the rows of runs on one
// connection, prepared once and kept for the batches after it. A
// continuous run stores thousands of passes a second, and each prepare
// costs SQLite a parse, a server a round trip and a plan.
//
// SQLite stores row by row. What the passes of a run share (the session,
// the bench, the file, the unit) is written into the statement, prepared
// again only when it changes; only what differs from pass to pass is
// bound, as Qt's binding of a value costs more than SQLite's storing it.
// PostgreSQL takes a batch's runs and their tests in one statement, each
// column as one array: the server parses and plans it once for the
// connection, not for every batch with all its values.
//
// Belongs to the connection's ResultsDatabase and its thread. After a
// failed write Forget() has each statement prepared again.

#include "results/runrecord.h"

#include <QString>
#include <QVariantList>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

class QSqlDatabase;
class QSqlQuery;

namespace qv::results {

class RunStatements
{
public:
    explicit RunStatements(QString connection);
    ~RunStatements();
    RunStatements(const RunStatements &) = delete;
    RunStatements &operator=(const RunStatements &) = delete;

    // SQLite, in the caller's transaction. ids[i]: the id of records[i];
    // 0 when a run of its uid was stored before (a spooled record whose
    // removal was cut short), which is then left out.
    bool InsertRuns(std::span<const RunRecord> records, std::vector<qint64> &ids,
                    std::string *problem);
    // SQLite, in the caller's transaction: the tests of the runs InsertRuns
    // stored. failureIds: one a test of every record, in order (null: the
    // test read nothing wrong).
    bool InsertTests(std::span<const RunRecord> records, const std::vector<qint64> &ids,
                     const std::vector<QVariant> &failureIds, std::string *problem);
    // PostgreSQL: the runs not stored before and their tests, in one
    // statement (a transaction of its own unless the caller began one).
    bool InsertOnServer(std::span<const RunRecord> records, const std::vector<QVariant> &failureIds,
                        std::string *problem);
    void Forget();

private:
    QSqlDatabase Db() const;
    // SQLite: m_runs prepared for what the record shares with its passes.
    bool PrepareRuns(const RunRecord &record, std::string *problem);

    QString m_connection;
    std::unique_ptr<QSqlQuery> m_runs;   // SQLite; null: not prepared
    std::optional<RunRecord> m_runsFor;  // whose shared values m_runs holds
    std::unique_ptr<QSqlQuery> m_tests;  // SQLite
    std::unique_ptr<QSqlQuery> m_server; // PostgreSQL
};

} // namespace qv::results
