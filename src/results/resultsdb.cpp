#include "results/resultsdb.h"

#include "results/failureset.h"
#include "results/sqlvalues.h"

#include <QDate>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QUuid>
#include <QVariant>
#include <filesystem>
#include <map>

namespace qv::results {

namespace {

// The columns of a run as the readers take them, in this order.
constexpr const char *kRunColumns =
    "r.id, r.uid, r.session, r.pass, r.started, r.ended, r.host, r.operator, r.serial, "
    "r.file_path, r.file_sha256, r.unit_address, r.unit_type, r.unit_build, r.all_tests, "
    "r.continuous, r.debug, r.passes, r.verdict, r.verdict_text";

// Both servers accept the same text for these; the lock number is ours.
constexpr const char *kMigrationLock = "SELECT pg_advisory_xact_lock(20261233)";
constexpr const char *kFirstAttempt =
    "r.verdict IN ('passed', 'errors') AND r.pass <= 1 AND (r.serial = '' OR NOT EXISTS ("
    "SELECT 1 FROM runs e WHERE e.serial = r.serial AND e.file_name = r.file_name"
    " AND e.verdict IN ('passed', 'errors') AND e.pass <= 1"
    " AND (e.started < r.started OR (e.started = r.started AND e.id < r.id))))";

std::string S(const QVariant &value)
{
    return value.toString().toStdString();
}

QVariant Nullable(const std::optional<std::int32_t> &value)
{
    return value ? QVariant(*value) : QVariant(QMetaType(QMetaType::Int));
}

std::optional<std::int32_t> OptionalInt(const QVariant &value)
{
    if (value.isNull())
        return std::nullopt;
    return value.toInt();
}

// The WHERE text of a filter over runs "r" and its values, in order.
struct Where
{
    std::string sql;
    QVariantList values;

    void Add(const std::string &condition, std::initializer_list<QVariant> add)
    {
        sql += sql.empty() ? " WHERE " : " AND ";
        sql += condition;
        for (const QVariant &value : add)
            values.append(value);
    }
};

std::string NextDay(const std::string &day)
{
    const QDate date = QDate::fromString(Q(day), Qt::ISODate);
    return date.isValid() ? date.addDays(1).toString(Qt::ISODate).toStdString() : day;
}

Where WhereOf(const RunFilter &filter)
{
    Where where;
    if (!filter.since.empty())
        where.Add("r.started >= ?", {Q(filter.since)});
    if (!filter.until.empty())
        where.Add("r.started < ?", {Q(NextDay(filter.until))});
    if (!filter.serial.empty())
        where.Add("r.serial = ?", {Q(filter.serial)});
    if (!filter.file.empty())
        where.Add("(r.file_name = ? OR r.file_path = ?)", {Q(filter.file), Q(filter.file)});
    if (!filter.verdict.empty())
        where.Add("r.verdict = ?", {Q(filter.verdict)});
    if (!filter.operatorName.empty())
        where.Add("r.operator = ?", {Q(filter.operatorName)});
    if (!filter.host.empty())
        where.Add("r.host = ?", {Q(filter.host)});
    return where;
}

void Bind(QSqlQuery &query, const QVariantList &values)
{
    for (const QVariant &value : values)
        query.addBindValue(value);
}

RunRecord RunFromRow(const QSqlQuery &query)
{
    RunRecord record;
    int column = 0;
    const auto next = [&query, &column] { return query.value(column++); };
    record.id = next().toLongLong();
    record.uid = S(next());
    record.session = S(next());
    record.pass = next().toInt();
    record.started = S(next());
    record.ended = S(next());
    record.host = S(next());
    record.operatorName = S(next());
    record.serial = S(next());
    record.filePath = S(next());
    record.fileSha256 = S(next());
    record.unitAddress = S(next());
    record.unitType = S(next());
    record.unitBuild = S(next());
    record.allTests = next().toInt() != 0;
    record.continuous = next().toInt() != 0;
    record.debug = next().toInt() != 0;
    record.passes = next().toInt();
    record.verdict = S(next());
    record.verdictText = S(next());
    return record;
}

} // namespace

ResultsDatabase::ResultsDatabase(QString connection, Dialect dialect)
    : m_connection(std::move(connection))
    , m_dialect(dialect)
    , m_statements(m_connection)
{}

ResultsDatabase::~ResultsDatabase()
{
    m_statements.Forget(); // before their connection
    {
        QSqlDatabase db = QSqlDatabase::database(m_connection, false);
        if (db.isOpen())
            db.close();
    }
    QSqlDatabase::removeDatabase(m_connection);
}

QSqlDatabase ResultsDatabase::Db() const
{
    return QSqlDatabase::database(m_connection, false);
}

std::unique_ptr<ResultsDatabase> ResultsDatabase::Open(const DatabaseUrl &url, std::string *problem)
{
    const bool sqlite = url.kind == DatabaseUrl::Kind::Sqlite;
    const QString driver = sqlite ? QStringLiteral("QSQLITE") : QStringLiteral("QPSQL");
    if (!QSqlDatabase::isDriverAvailable(driver)) {
        *problem = sqlite ? "нет драйвера SQLite для Qt (пакет libqt6sql6-sqlite)"
                          : "нет драйвера PostgreSQL для Qt (пакет libqt6sql6-psql)";
        return nullptr;
    }
    const QString name =
        QStringLiteral("results-") + QUuid::createUuid().toString(QUuid::WithoutBraces);
    QSqlDatabase::addDatabase(driver, name);
    std::unique_ptr<ResultsDatabase> database(
        new ResultsDatabase(name, sqlite ? Dialect::Sqlite : Dialect::Postgres));
    if (!database->Prepare(url, problem) || !database->Migrate(problem))
        return nullptr;
    return database;
}

bool ResultsDatabase::Prepare(const DatabaseUrl &url, std::string *problem)
{
    QSqlDatabase db = Db();
    if (m_dialect == Dialect::Sqlite) {
        std::error_code ec;
        if (url.file.has_parent_path())
            std::filesystem::create_directories(url.file.parent_path(), ec);
        db.setDatabaseName(QString::fromStdString(url.file.string()));
        // Another bench process may be writing: wait for it rather than fail.
        db.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=10000"));
    } else {
        db.setDatabaseName(Q(url.database));
        if (!url.user.empty())
            db.setUserName(Q(url.user));
        if (!url.host.empty())
            db.setHostName(Q(url.host));
        if (url.port > 0)
            db.setPort(url.port);
        // A server that does not answer must not hold the writer for long.
        db.setConnectOptions(QStringLiteral("connect_timeout=5;application_name=quorvik"));
    }
    if (!db.open()) {
        *problem = ErrorText(db.lastError());
        return false;
    }
    if (m_dialect == Dialect::Postgres) {
        // The server's notices ("already exists, skipping", the warning of a
        // shutdown) are no news to a bench: libpq would print them on stderr.
        QSqlQuery query(db);
        if (!query.exec(QStringLiteral("SET client_min_messages TO ERROR"))) {
            *problem = ErrorText(query.lastError());
            return false;
        }
    }
    if (m_dialect == Dialect::Sqlite) {
        // WAL: readers (the journal window) never wait for the writer, and a
        // process killed mid-write leaves the database whole.
        QSqlQuery query(db);
        if (!query.exec(QStringLiteral("PRAGMA journal_mode=WAL")) ||
            !query.exec(QStringLiteral("PRAGMA synchronous=NORMAL")) ||
            !query.exec(QStringLiteral("PRAGMA foreign_keys=ON"))) {
            *problem = ErrorText(query.lastError());
            return false;
        }
    }
    return true;
}

bool ResultsDatabase::Exec(const std::string &sql, std::string *problem)
{
    QSqlQuery query(Db());
    if (query.exec(Q(sql)))
        return true;
    *problem = ErrorText(query.lastError());
    return false;
}

bool ResultsDatabase::Begin(std::string *problem)
{
    // SQLite takes the write lock at once, so that two writers queue on the
    // busy time-out instead of failing when one of them upgrades its lock.
    return Exec(m_dialect == Dialect::Sqlite ? "BEGIN IMMEDIATE" : "BEGIN", problem);
}

bool ResultsDatabase::Migrate(std::string *problem)
{
    if (!Begin(problem))
        return false;
    std::string ignored;
    const auto fail = [this, &ignored] {
        Exec("ROLLBACK", &ignored);
        return false;
    };
    if (m_dialect == Dialect::Postgres && !Exec(kMigrationLock, problem))
        return fail();
    if (!Exec("CREATE TABLE IF NOT EXISTS schema_version (version INTEGER PRIMARY KEY, "
              "applied TEXT NOT NULL)",
              problem))
        return fail();
    QSqlQuery query(Db());
    if (!query.exec(QStringLiteral("SELECT MAX(version) FROM schema_version"))) {
        *problem = ErrorText(query.lastError());
        return fail();
    }
    m_versionFound = query.next() ? query.value(0).toInt() : 0;
    query.finish();
    if (m_versionFound > kSchemaVersion) {
        *problem = "база результатов новее этой программы (версия " +
                   std::to_string(m_versionFound) + ", программа знает версию " +
                   std::to_string(kSchemaVersion) + ")";
        return fail();
    }
    for (int version = m_versionFound + 1; version <= kSchemaVersion; ++version) {
        for (const std::string &statement : SchemaStep(version, m_dialect))
            if (!Exec(statement, problem))
                return fail();
        QSqlQuery step(Db());
        step.prepare(QStringLiteral("INSERT INTO schema_version (version, applied) VALUES (?, ?)"));
        step.addBindValue(version);
        step.addBindValue(Q(IsoUtcNow()));
        if (!step.exec()) {
            *problem = ErrorText(step.lastError());
            return fail();
        }
    }
    return Exec("COMMIT", problem) || fail();
}

bool ResultsDatabase::Alive()
{
    QSqlQuery query(Db());
    return query.exec(QStringLiteral("SELECT 1")) && query.next();
}

bool ResultsDatabase::Write(const RunRecord &record, std::string *problem)
{
    return WriteBatch(std::span(&record, 1), problem);
}

bool ResultsDatabase::WriteBatch(std::span<const RunRecord> records, std::string *problem)
{
    if (!Db().isOpen()) {
        *problem = "соединение с базой результатов потеряно";
        return false;
    }
    if (records.empty())
        return true;
    m_sharedFailures.Trim(); // nothing of an earlier batch is in use
    std::deque<Failure> owned;
    std::vector<const Failure *> failures;
    std::map<std::string, const Failure *> wanted;
    if (!FailuresOf(records, owned, failures, wanted, problem))
        return false;
    const auto fail = [this] {
        // A failure this connection knew may be gone (a person tidied the
        // database): look them up afresh.
        m_failureIds.clear();
        m_statements.Forget();
        return false;
    };
    // The common case on a server - every failure known already (a board
    // failing the same way, a golden board) - goes in one round trip.
    if (wanted.empty() && m_dialect == Dialect::Postgres)
        return m_statements.InsertOnServer(records, FailureIds(failures, {}), problem) || fail();

    if (!Begin(problem))
        return false;
    std::string ignored;
    const auto rollBack = [&] {
        Exec("ROLLBACK", &ignored);
        return fail();
    };
    std::map<std::string, qint64> fresh;
    if (!StoreFailures(wanted, fresh, problem))
        return rollBack();
    const std::vector<QVariant> failureIds = FailureIds(failures, fresh);
    if (m_dialect == Dialect::Postgres) {
        if (!m_statements.InsertOnServer(records, failureIds, problem))
            return rollBack();
    } else {
        std::vector<qint64> ids;
        if (!m_statements.InsertRuns(records, ids, problem) ||
            !m_statements.InsertTests(records, ids, failureIds, problem))
            return rollBack();
    }
    if (!Exec("COMMIT", problem))
        return rollBack();
    // Only what a committed transaction stored may be referred to later.
    if (m_failureIds.size() + fresh.size() > kKnownFailures)
        m_failureIds.clear();
    m_failureIds.insert(fresh.begin(), fresh.end());
    return true;
}

QString ResultsDatabase::ValuesText(const QVariantList &row) const
{
    const QSqlDatabase db = Db();
    QString text = QStringLiteral("(");
    for (qsizetype c = 0; c < row.size(); ++c)
        text += (c > 0 ? QStringLiteral(", ") : QString()) + SqlLiteral(db, row[c]);
    return text + QLatin1Char(')');
}

bool ResultsDatabase::FailuresOf(std::span<const RunRecord> records, std::deque<Failure> &owned,
                                 std::vector<const Failure *> &failures,
                                 std::map<std::string, const Failure *> &wanted,
                                 std::string *problem)
{
    for (const RunRecord &record : records) {
        const std::vector<std::optional<Failure>> *shared =
            record.sharedTests ? &m_sharedFailures.Of(record.sharedTests) : nullptr;
        const std::vector<TestResult> &tests = record.TestRows();
        for (std::size_t t = 0; t < tests.size(); ++t) {
            const Failure *failure = nullptr;
            if (shared != nullptr) {
                failure = (*shared)[t] ? &*(*shared)[t] : nullptr;
            } else if (auto made = m_failureMemo.FailureOf(tests[t], record.pass)) {
                failure = &owned.emplace_back(std::move(*made));
            }
            failures.push_back(failure);
            if (failure == nullptr)
                continue;
            if (failure->digest.empty()) {
                *problem = "не вычислена сводка ошибок теста";
                return false;
            }
            if (!m_failureIds.contains(failure->digest))
                wanted.emplace(failure->digest, failure);
        }
    }
    return true;
}

std::vector<QVariant> ResultsDatabase::FailureIds(const std::vector<const Failure *> &failures,
                                                  const std::map<std::string, qint64> &fresh) const
{
    std::vector<QVariant> ids;
    ids.reserve(failures.size());
    for (const Failure *failure : failures) {
        if (failure == nullptr) {
            ids.emplace_back(QMetaType(QMetaType::LongLong));
            continue;
        }
        const auto known = m_failureIds.find(failure->digest);
        ids.emplace_back(known != m_failureIds.end() ? known->second : fresh.at(failure->digest));
    }
    return ids;
}

bool ResultsDatabase::FindFailures(const std::vector<std::string> &digests,
                                   std::map<std::string, qint64> &ids, std::string *problem)
{
    constexpr std::size_t kPerStatement = 200;
    for (std::size_t first = 0; first < digests.size(); first += kPerStatement) {
        const std::size_t last = std::min(digests.size(), first + kPerStatement);
        QString sql = QStringLiteral("SELECT id, digest FROM failures WHERE digest IN (?");
        for (std::size_t i = first + 1; i < last; ++i)
            sql += QStringLiteral(", ?");
        QSqlQuery query(Db());
        query.setForwardOnly(true);
        query.prepare(sql + QLatin1Char(')'));
        for (std::size_t i = first; i < last; ++i)
            query.addBindValue(Q(digests[i]));
        if (!query.exec()) {
            *problem = ErrorText(query.lastError());
            return false;
        }
        while (query.next())
            ids[S(query.value(1))] = query.value(0).toLongLong();
    }
    return true;
}

bool ResultsDatabase::StoreFailures(const std::map<std::string, const Failure *> &wanted,
                                    std::map<std::string, qint64> &ids, std::string *problem)
{
    if (wanted.empty())
        return true;
    std::vector<std::string> digests;
    for (const auto &entry : wanted)
        digests.push_back(entry.first);
    // Stored before, by this bench or another one.
    if (!FindFailures(digests, ids, problem))
        return false;
    std::vector<QVariantList> words;
    std::vector<QVariantList> contacts;
    std::vector<std::string> raced;
    QSqlQuery insert(Db());
    insert.prepare(QStringLiteral("INSERT INTO failures (digest, diagnosis, unexplained, "
                                  "pass_template) VALUES (?, ?, ?, ?) "
                                  "ON CONFLICT (digest) DO NOTHING RETURNING id"));
    for (const auto &[digest, failure] : wanted) {
        if (ids.contains(digest))
            continue;
        const TestResult &test = *failure->test;
        insert.addBindValue(Q(digest));
        insert.addBindValue(failure->diagnosis.empty() ? QVariant(QMetaType(QMetaType::QString))
                                                       : QVariant(Q(failure->diagnosis)));
        insert.addBindValue(test.unexplained ? QVariant(*test.unexplained)
                                             : QVariant(QMetaType(QMetaType::Int)));
        insert.addBindValue(failure->passTemplate ? 1 : 0);
        if (!insert.exec()) {
            *problem = ErrorText(insert.lastError());
            return false;
        }
        if (!insert.next()) {
            // Another bench stored the same content a moment ago.
            raced.push_back(digest);
            insert.finish();
            continue;
        }
        const qint64 id = insert.value(0).toLongLong();
        insert.finish();
        ids[digest] = id;
        for (const WrongWord &wrong : test.wrongWords)
            words.push_back({id, wrong.word, Q(wrong.name), wrong.cycle, Nullable(wrong.reference),
                             Nullable(wrong.read)});
        for (const FailingContact &failing : test.contacts)
            contacts.push_back({id, failing.contact, Q(failing.name), failing.word, failing.bit});
    }
    if (!InsertRows("INSERT INTO failure_words (failure_id, word, name, cycle, reference_value, "
                    "read_value) VALUES ",
                    words, problem) ||
        !InsertRows("INSERT INTO failure_contacts (failure_id, contact, name, word, bit) VALUES ",
                    contacts, problem))
        return false;
    if (raced.empty())
        return true;
    if (!FindFailures(raced, ids, problem))
        return false;
    for (const std::string &digest : raced)
        if (!ids.contains(digest)) {
            *problem = "сводка ошибок теста не найдена в базе";
            return false;
        }
    return true;
}

bool ResultsDatabase::InsertRows(const char *head, const std::vector<QVariantList> &rows,
                                 std::string *problem)
{
    if (rows.empty())
        return true;
    if (m_dialect == Dialect::Sqlite) {
        // In-process: one prepared statement run row by row costs least.
        QSqlQuery query(Db());
        QString sql = QString::fromLatin1(head) + QLatin1Char('(');
        for (qsizetype c = 0; c < rows.front().size(); ++c)
            sql += c == 0 ? QStringLiteral("?") : QStringLiteral(", ?");
        query.prepare(sql + QLatin1Char(')'));
        for (const QVariantList &row : rows) {
            Bind(query, row);
            if (!query.exec()) {
                *problem = ErrorText(query.lastError());
                return false;
            }
        }
        return true;
    }
    // On a server: many rows a statement, their values in the text (escaped
    // by the driver), one round trip for them all. New failures are rare:
    // not worth a statement prepared for them.
    constexpr std::size_t kRowsPerStatement = 400;
    for (std::size_t first = 0; first < rows.size(); first += kRowsPerStatement) {
        const std::size_t last = std::min(rows.size(), first + kRowsPerStatement);
        QString sql = QString::fromLatin1(head);
        for (std::size_t i = first; i < last; ++i)
            sql += (i > first ? QStringLiteral(", ") : QString()) + ValuesText(rows[i]);
        QSqlQuery query(Db());
        if (!query.exec(sql)) {
            *problem = ErrorText(query.lastError());
            return false;
        }
    }
    return true;
}

std::vector<RunRecord> ResultsDatabase::Runs(const RunFilter &filter, int limit,
                                             std::int64_t beforeId, bool withTests)
{
    m_lastError.clear();
    Where where = WhereOf(filter);
    if (beforeId > 0)
        where.Add("r.id < ?", {QVariant::fromValue<qint64>(beforeId)});
    QSqlQuery query(Db());
    query.setForwardOnly(true);
    query.prepare(QString::fromStdString(std::string("SELECT ") + kRunColumns + " FROM runs r" +
                                         where.sql + " ORDER BY r.id DESC LIMIT ?"));
    Bind(query, where.values);
    query.addBindValue(limit);
    std::vector<RunRecord> runs;
    if (!query.exec()) {
        m_lastError = ErrorText(query.lastError());
        return runs;
    }
    while (query.next())
        runs.push_back(RunFromRow(query));
    if (withTests)
        for (RunRecord &record : runs)
            LoadTests(record);
    return runs;
}

std::int64_t ResultsDatabase::Count(const RunFilter &filter)
{
    m_lastError.clear();
    const Where where = WhereOf(filter);
    QSqlQuery query(Db());
    query.prepare(Q("SELECT COUNT(*) FROM runs r" + where.sql));
    Bind(query, where.values);
    if (!query.exec() || !query.next()) {
        m_lastError = ErrorText(query.lastError());
        return 0;
    }
    return query.value(0).toLongLong();
}

void ResultsDatabase::LoadTests(RunRecord &record)
{
    QSqlDatabase db = Db();
    QSqlQuery tests(db);
    tests.setForwardOnly(true);
    tests.prepare(QStringLiteral("SELECT number, name, verdict, errors, diagnosis, unexplained "
                                 "FROM run_tests WHERE run_id = ? ORDER BY number"));
    tests.addBindValue(QVariant::fromValue<qint64>(record.id));
    if (!tests.exec()) {
        m_lastError = ErrorText(tests.lastError());
        return;
    }
    while (tests.next()) {
        TestResult test;
        test.number = tests.value(0).toInt();
        test.name = S(tests.value(1));
        test.verdict = S(tests.value(2));
        test.errors = tests.value(3).toInt();
        test.diagnosis = tests.value(4).isNull() ? std::string() : S(tests.value(4));
        test.unexplained = OptionalInt(tests.value(5));
        record.tests.push_back(std::move(test));
    }
    const auto testOf = [&record](int number) -> TestResult * {
        for (TestResult &test : record.tests)
            if (test.number == number)
                return &test;
        return nullptr;
    };
    QSqlQuery words(db);
    words.setForwardOnly(true);
    words.prepare(QStringLiteral("SELECT test, word, name, cycle, reference_value, read_value "
                                 "FROM wrong_words WHERE run_id = ? ORDER BY test, word, cycle"));
    words.addBindValue(QVariant::fromValue<qint64>(record.id));
    if (words.exec())
        while (words.next())
            if (TestResult *test = testOf(words.value(0).toInt()))
                test->wrongWords.push_back(
                    WrongWord{words.value(1).toInt(), S(words.value(2)), words.value(3).toInt(),
                              OptionalInt(words.value(4)), OptionalInt(words.value(5))});
    QSqlQuery contacts(db);
    contacts.setForwardOnly(true);
    contacts.prepare(QStringLiteral("SELECT test, contact, name, word, bit FROM failing_contacts "
                                    "WHERE run_id = ? ORDER BY test, contact"));
    contacts.addBindValue(QVariant::fromValue<qint64>(record.id));
    if (contacts.exec())
        while (contacts.next())
            if (TestResult *test = testOf(contacts.value(0).toInt()))
                test->contacts.push_back(
                    FailingContact{contacts.value(1).toInt(), S(contacts.value(2)),
                                   contacts.value(3).toInt(), contacts.value(4).toInt()});
}

std::optional<RunRecord> ResultsDatabase::Run(std::int64_t id)
{
    QSqlQuery query(Db());
    query.prepare(Q(std::string("SELECT ") + kRunColumns + " FROM runs r WHERE r.id = ?"));
    query.addBindValue(QVariant::fromValue<qint64>(id));
    if (!query.exec() || !query.next())
        return std::nullopt;
    RunRecord record = RunFromRow(query);
    query.finish();
    LoadTests(record);
    return record;
}

std::vector<YieldRow> ResultsDatabase::Yield(const RunFilter &filter, YieldBy by)
{
    m_lastError.clear();
    Where where = WhereOf(filter);
    where.Add(kFirstAttempt, {});
    std::string sql;
    switch (by) {
    case YieldBy::Day:
        sql = "SELECT substr(r.started, 1, 10) AS k, '', COUNT(*), "
              "SUM(CASE WHEN r.verdict = 'passed' THEN 1 ELSE 0 END) FROM runs r" +
              where.sql + " GROUP BY substr(r.started, 1, 10) ORDER BY 1";
        break;
    case YieldBy::File:
        sql = "SELECT r.file_name, '', COUNT(*), "
              "SUM(CASE WHEN r.verdict = 'passed' THEN 1 ELSE 0 END) FROM runs r" +
              where.sql + " GROUP BY r.file_name ORDER BY 1";
        break;
    case YieldBy::Test:
        sql = "SELECT r.file_name, t.number, MAX(t.name), COUNT(*), "
              "SUM(CASE WHEN t.verdict = 'passed' THEN 1 ELSE 0 END) FROM runs r "
              "JOIN run_tests t ON t.run_id = r.id" +
              where.sql + " GROUP BY r.file_name, t.number ORDER BY 1, 2";
        break;
    }
    QSqlQuery query(Db());
    query.setForwardOnly(true);
    query.prepare(Q(sql));
    Bind(query, where.values);
    std::vector<YieldRow> rows;
    if (!query.exec()) {
        m_lastError = ErrorText(query.lastError());
        return rows;
    }
    while (query.next()) {
        YieldRow row;
        int column = 0;
        row.key = S(query.value(column++));
        if (by == YieldBy::Test)
            row.key += ": тест " + S(query.value(column++));
        row.name = S(query.value(column++));
        row.runs = query.value(column++).toLongLong();
        row.passed = query.value(column++).toLongLong();
        rows.push_back(std::move(row));
    }
    return rows;
}

namespace {

std::vector<FailureCount> Counted(QSqlQuery &query, std::string &error)
{
    std::vector<FailureCount> rows;
    if (!query.exec()) {
        error = ErrorText(query.lastError());
        return rows;
    }
    while (query.next())
        rows.push_back(FailureCount{S(query.value(0)), query.value(1).toInt(),
                                    query.value(2).toInt(), S(query.value(3)),
                                    query.value(4).toLongLong()});
    return rows;
}

} // namespace

std::vector<FailureCount> ResultsDatabase::FailingWords(const RunFilter &filter, int limit)
{
    m_lastError.clear();
    const Where where = WhereOf(filter);
    QSqlQuery query(Db());
    query.prepare(Q("SELECT r.file_name, w.test, w.word, MAX(w.name), COUNT(DISTINCT w.run_id) AS n"
                    " FROM wrong_words w JOIN runs r ON r.id = w.run_id" +
                    where.sql +
                    " GROUP BY r.file_name, w.test, w.word ORDER BY n DESC, 1, 2, 3"
                    " LIMIT ?"));
    Bind(query, where.values);
    query.addBindValue(limit);
    return Counted(query, m_lastError);
}

std::vector<FailureCount> ResultsDatabase::FailingContacts(const RunFilter &filter, int limit)
{
    m_lastError.clear();
    const Where where = WhereOf(filter);
    QSqlQuery query(Db());
    query.prepare(Q("SELECT r.file_name, 0, c.contact, MAX(c.name), COUNT(DISTINCT c.run_id) AS n"
                    " FROM failing_contacts c JOIN runs r ON r.id = c.run_id" +
                    where.sql + " GROUP BY r.file_name, c.contact ORDER BY n DESC, 1, 3 LIMIT ?"));
    Bind(query, where.values);
    query.addBindValue(limit);
    return Counted(query, m_lastError);
}

std::vector<RunRecord> ResultsDatabase::RunsOfSerial(const std::string &serial, int limit)
{
    m_lastError.clear();
    QSqlQuery query(Db());
    query.setForwardOnly(true);
    query.prepare(Q(std::string("SELECT ") + kRunColumns +
                    " FROM runs r WHERE r.serial = ? ORDER BY r.started, r.id LIMIT ?"));
    query.addBindValue(Q(serial));
    query.addBindValue(limit);
    std::vector<RunRecord> runs;
    if (!query.exec()) {
        m_lastError = ErrorText(query.lastError());
        return runs;
    }
    while (query.next())
        runs.push_back(RunFromRow(query));
    return runs;
}

} // namespace qv::results
