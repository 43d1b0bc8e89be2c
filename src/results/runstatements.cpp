#include "results/runstatements.h"

#include "results/sqlvalues.h"

#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>

namespace qv::results {

namespace {

// PostgreSQL's text form of an array, every element quoted.
class ArrayText
{
public:
    void Add(const QVariant &value)
    {
        m_text += m_text.isEmpty() ? QLatin1Char('{') : QLatin1Char(',');
        if (value.isNull()) {
            m_text += QStringLiteral("NULL");
            return;
        }
        m_text += QLatin1Char('"');
        for (const QChar c : value.toString()) {
            if (c == QLatin1Char('"') || c == QLatin1Char('\\'))
                m_text += QLatin1Char('\\');
            m_text += c;
        }
        m_text += QLatin1Char('"');
    }
    QString Text() const
    {
        return m_text.isEmpty() ? QStringLiteral("{}") : m_text + QLatin1Char('}');
    }

private:
    QString m_text;
};

// The element types of the runs' columns, shared ones first, in the order
// of SharedColumns() and PassColumns().
constexpr const char *kRunArrays[kSharedColumnCount + kPassColumnCount] = {
    "text", "text",    "text",    "text",    "text",    "text",    "text",    "text",
    "text", "text",    "integer", "integer", "integer", "text",    "integer", "text",
    "text", "integer", "text",    "text",    "integer", "integer", "integer"};

QString RunColumnList()
{
    return QLatin1String(SharedColumns()) + QStringLiteral(", ") + QLatin1String(PassColumns());
}

constexpr const char *kTestColumns = "run_id, number, name, verdict, errors, failure_id";

QString ServerStatement()
{
    QString arrays;
    for (const char *type : kRunArrays)
        arrays += (arrays.isEmpty() ? QStringLiteral("?::") : QStringLiteral(", ?::")) +
                  QLatin1String(type) + QStringLiteral("[]");
    return QStringLiteral("WITH new_runs AS (INSERT INTO runs (") + RunColumnList() +
           QStringLiteral(") SELECT * FROM unnest(") + arrays +
           QStringLiteral(") ON CONFLICT (uid) DO NOTHING RETURNING id, uid) "
                          "INSERT INTO run_test_rows (") +
           QLatin1String(kTestColumns) +
           QStringLiteral(") SELECT n.id, t.number, t.name, t.verdict, t.errors, t.failure_id "
                          "FROM new_runs n JOIN unnest(?::text[], ?::integer[], ?::text[], "
                          "?::text[], ?::integer[], ?::bigint[]) AS t (uid, number, name, "
                          "verdict, errors, failure_id) ON t.uid = n.uid");
}

bool Failed(QSqlQuery &query, std::string *problem)
{
    *problem = ErrorText(query.lastError());
    return false;
}

} // namespace

RunStatements::RunStatements(QString connection)
    : m_connection(std::move(connection))
{}

RunStatements::~RunStatements() = default;

QSqlDatabase RunStatements::Db() const
{
    return QSqlDatabase::database(m_connection, false);
}

void RunStatements::Forget()
{
    m_runs.reset();
    m_runsFor.reset();
    m_tests.reset();
    m_server.reset();
}

bool RunStatements::PrepareRuns(const RunRecord &record, std::string *problem)
{
    const QSqlDatabase db = Db();
    QString values;
    for (const QVariant &value : SharedRow(record))
        values += SqlLiteral(db, value) + QStringLiteral(", ");
    for (int c = 0; c < kPassColumnCount; ++c)
        values += c ? QStringLiteral(", ?") : QStringLiteral("?");
    m_runs = std::make_unique<QSqlQuery>(db);
    // Only a run stored before conflicts; any other refusal is an error.
    if (!m_runs->prepare(QStringLiteral("INSERT INTO runs (") + RunColumnList() +
                         QStringLiteral(") VALUES (") + values +
                         QStringLiteral(") ON CONFLICT (uid) DO NOTHING"))) {
        Failed(*m_runs, problem);
        Forget();
        return false;
    }
    // What it was prepared for; the tests are not kept.
    m_runsFor = record;
    m_runsFor->tests.clear();
    m_runsFor->sharedTests.reset();
    return true;
}

bool RunStatements::InsertRuns(std::span<const RunRecord> records, std::vector<qint64> &ids,
                               std::string *problem)
{
    ids.assign(records.size(), 0);
    for (std::size_t i = 0; i < records.size(); ++i) {
        const RunRecord &record = records[i];
        if ((!m_runs || !SameShared(*m_runsFor, record)) && !PrepareRuns(record, problem))
            return false;
        for (const QVariant &value : PassRow(record))
            m_runs->addBindValue(value);
        if (!m_runs->exec())
            return Failed(*m_runs, problem);
        if (m_runs->numRowsAffected() == 1)
            ids[i] = m_runs->lastInsertId().toLongLong();
    }
    return true;
}

bool RunStatements::InsertTests(std::span<const RunRecord> records, const std::vector<qint64> &ids,
                                const std::vector<QVariant> &failureIds, std::string *problem)
{
    if (!m_tests) {
        m_tests = std::make_unique<QSqlQuery>(Db());
        if (!m_tests->prepare(QStringLiteral("INSERT INTO run_test_rows (") +
                              QLatin1String(kTestColumns) +
                              QStringLiteral(") VALUES (?, ?, ?, ?, ?, ?)"))) {
            Failed(*m_tests, problem);
            m_tests.reset();
            return false;
        }
    }
    std::size_t next = 0;
    for (std::size_t r = 0; r < records.size(); ++r) {
        for (const TestResult &result : records[r].TestRows()) {
            const QVariant &failureId = failureIds[next++];
            if (ids[r] == 0)
                continue;
            m_tests->addBindValue(ids[r]);
            m_tests->addBindValue(result.number);
            m_tests->addBindValue(Q(result.name));
            m_tests->addBindValue(Q(result.verdict));
            m_tests->addBindValue(result.errors);
            m_tests->addBindValue(failureId);
            if (!m_tests->exec())
                return Failed(*m_tests, problem);
        }
    }
    return true;
}

bool RunStatements::InsertOnServer(std::span<const RunRecord> records,
                                   const std::vector<QVariant> &failureIds, std::string *problem)
{
    if (!m_server) {
        m_server = std::make_unique<QSqlQuery>(Db());
        if (!m_server->prepare(ServerStatement())) {
            Failed(*m_server, problem);
            m_server.reset();
            return false;
        }
    }
    std::vector<ArrayText> runs(std::size(kRunArrays));
    std::vector<ArrayText> tests(6);
    std::size_t next = 0;
    for (const RunRecord &record : records) {
        std::size_t c = 0;
        for (const QVariant &value : SharedRow(record) + PassRow(record))
            runs[c++].Add(value);
        const QString uid = Q(record.uid);
        for (const TestResult &result : record.TestRows()) {
            tests[0].Add(uid);
            tests[1].Add(result.number);
            tests[2].Add(Q(result.name));
            tests[3].Add(Q(result.verdict));
            tests[4].Add(result.errors);
            tests[5].Add(failureIds[next++]);
        }
    }
    for (const ArrayText &column : runs)
        m_server->addBindValue(column.Text());
    for (const ArrayText &column : tests)
        m_server->addBindValue(column.Text());
    if (!m_server->exec()) {
        Failed(*m_server, problem);
        m_server.reset();
        return false;
    }
    m_server->finish();
    return true;
}

} // namespace qv::results
