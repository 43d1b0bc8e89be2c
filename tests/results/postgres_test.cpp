// The results database on a real PostgreSQL server that the tests start
// themselves: two benches writing at once, the server going away in the
// middle of a continuous run, a writer killed mid-transaction, an older
// layout, and a server that refuses. A missing PostgreSQL fails here.

#include "batchcheck.h"
#include "qortoolruns.h"
#include "results/schema.h"
#include "support/qt/pgserver.h"

#include <QJsonObject>
#include <QThread>
#include <csignal>
#include <cstdlib>
#include <gtest/gtest.h>
#include <memory>

namespace {

using qv::testing::History;
using qv::testing::Occurrences;
using qv::testing::Qortool;
using qv::testing::ToolRun;

class Postgres : public qv::testing::DemoBoardCopy
{
protected:
    static void SetUpTestSuite() { server = std::make_unique<qv::testing::PgServer>(); }
    static void TearDownTestSuite() { server.reset(); }
    void SetUp() override
    {
        DemoBoardCopy::SetUp();
        ASSERT_TRUE(server && server->Ready()) << server->Problem();
        static int databases = 0;
        database = "results" + std::to_string(++databases);
        ASSERT_TRUE(server->CreateDatabase(database)) << server->Output();
        url = QString::fromStdString(server->Url(database));
    }
    // A bench's run recording into the test's database.
    QStringList RunArguments(const QStringList &more) const
    {
        return QStringList{"run", demo, "--quiet", "--spool", dir.filePath("spool"), "--db", url} +
               more;
    }
    long long Count(const std::string &sql) const
    {
        // 0 while there is no number to read (no table yet, no server).
        const std::string value = server->Value(database, sql);
        return std::strtoll(value.c_str(), nullptr, 10);
    }
    // A second bench has a copy of the board of its own in `folder`: a run
    // writes the unit's data files beside the test file.
    QString CopyOfBoard(const QTemporaryDir &folder) const
    {
        for (const auto &entry : std::filesystem::directory_iterator(dir.path().toStdString()))
            if (entry.is_regular_file())
                std::filesystem::copy_file(
                    entry.path(),
                    folder.filePath(QString::fromStdString(entry.path().filename().string()))
                        .toStdString());
        return folder.filePath("DEMO.QOR");
    }
    // Waits up to 30 s for the query's number to reach `at least`.
    bool CountReaches(const std::string &sql, long long atLeast) const
    {
        for (int i = 0; i < 300; ++i) {
            if (Count(sql) >= atLeast)
                return true;
            QThread::msleep(250);
        }
        return false;
    }

    static std::unique_ptr<qv::testing::PgServer> server;
    std::string database;
    QString url;
};

std::unique_ptr<qv::testing::PgServer> Postgres::server;

TEST_F(Postgres, BatchesOfTwoBenchesInTurnReadBackExactlyWhateverTheirText)
{
    std::string problem;
    const auto parsed = qv::results::ParseDatabaseUrl(url.toStdString(), &problem);
    ASSERT_TRUE(parsed) << problem;
    qv::testing::ExpectAwkwardBatchesReadBackExactly(*parsed);
}

TEST_F(Postgres, TwoBenchesWritingAtOnceLoseNothing)
{
    const QString board = Board(qv::testing::kFastBoard);
    QProcess first;
    QProcess second;
    const QStringList arguments =
        RunArguments({"--continuous", "--passes", "300", "--board", board});
    QTemporaryDir other;
    QStringList secondArguments = arguments;
    secondArguments[1] = CopyOfBoard(other);
    first.start(QStringLiteral(QV_QORTOOL_PATH), arguments + QStringList{"--serial", "first"});
    second.start(QStringLiteral(QV_QORTOOL_PATH),
                 secondArguments + QStringList{"--serial", "second"});
    ASSERT_TRUE(first.waitForFinished(180000));
    ASSERT_TRUE(second.waitForFinished(180000));
    EXPECT_EQ(first.exitCode(), 0) << first.readAllStandardError().toStdString();
    EXPECT_EQ(second.exitCode(), 0) << second.readAllStandardError().toStdString();
    EXPECT_TRUE(first.readAllStandardError().isEmpty());
    EXPECT_TRUE(second.readAllStandardError().isEmpty());

    EXPECT_EQ(Count("SELECT COUNT(*) FROM runs"), 600);
    EXPECT_EQ(Count("SELECT COUNT(DISTINCT uid) FROM runs"), 600);
    EXPECT_EQ(Count("SELECT COUNT(DISTINCT pass) FROM runs WHERE serial = 'first'"), 300);
    EXPECT_EQ(Count("SELECT COUNT(DISTINCT pass) FROM runs WHERE serial = 'second'"), 300);
    EXPECT_EQ(Count("SELECT COUNT(*) FROM schema_version"), qv::results::kSchemaVersion);
}

TEST_F(Postgres, TwoBenchesFailingTheSameWayShareTheirFailuresAndLoseNothing)
{
    const QStringList arguments =
        RunArguments({"--all", "--continuous", "--passes", "60", "--keep-going", "--board",
                      Board(qv::testing::kStuckBoard)});
    const ToolRun alone = Qortool(arguments);
    EXPECT_EQ(alone.exitCode, 1) << alone.err;
    const long long failures = Count("SELECT COUNT(*) FROM failures");
    EXPECT_GT(failures, 0);
    // Two more benches at once, the same board: they find (or race to
    // store) the same failures, and every pass reads back whole.
    QProcess first;
    QProcess second;
    QTemporaryDir other;
    QStringList secondArguments = arguments;
    secondArguments[1] = CopyOfBoard(other);
    first.start(QStringLiteral(QV_QORTOOL_PATH), arguments);
    second.start(QStringLiteral(QV_QORTOOL_PATH), secondArguments);
    ASSERT_TRUE(first.waitForFinished(180000));
    ASSERT_TRUE(second.waitForFinished(180000));
    EXPECT_EQ(first.exitCode(), 1) << first.readAllStandardError().toStdString();
    EXPECT_EQ(second.exitCode(), 1) << second.readAllStandardError().toStdString();

    EXPECT_EQ(Count("SELECT COUNT(*) FROM runs"), 3 * 60);
    EXPECT_EQ(Count("SELECT COUNT(*) FROM failures"), failures);
    EXPECT_EQ(Count("SELECT COUNT(*) FROM runs r WHERE r.wrong_word_count <> "
                    "(SELECT COUNT(*) FROM wrong_words w WHERE w.run_id = r.id)"),
              0);
    EXPECT_GT(Count("SELECT COUNT(*) FROM wrong_words"), 3 * 60);
    const QJsonArray runs = History(url);
    ASSERT_EQ(runs.size(), 3 * 60);
    const QJsonArray tests = runs[0].toObject()["tests"].toArray();
    for (const QJsonValue &run : runs) {
        const QJsonArray other = run.toObject()["tests"].toArray();
        ASSERT_EQ(other.size(), tests.size());
        for (qsizetype t = 0; t < tests.size(); ++t)
            EXPECT_EQ(other[t].toObject()["wrongWords"], tests[t].toObject()["wrongWords"]);
    }
}

TEST_F(Postgres, AServerThatStopsMidRunGetsEveryPassAfterItComesBack)
{
    QProcess bench;
    const QString report = dir.filePath("run.json");
    bench.start(QStringLiteral(QV_QORTOOL_PATH),
                RunArguments({"--continuous", "--passes", "1000000", "--board",
                              Board(qv::testing::kPacedBoard), "--report", report}));
    ASSERT_TRUE(bench.waitForStarted());
    ASSERT_TRUE(CountReaches("SELECT COUNT(*) FROM runs", 20));
    ASSERT_TRUE(server->Stop()) << server->Output();
    QThread::msleep(1500); // the bench goes on, its passes into the spool
    ASSERT_TRUE(server->Start()) << server->Output();
    const long long before = Count("SELECT COUNT(*) FROM runs");
    // The spool is written within the retry period; then more passes come.
    const bool more = CountReaches("SELECT COUNT(*) FROM runs", before + 50);
    EXPECT_TRUE(more) << before << " " << server->Value(database, "SELECT COUNT(*) FROM runs");
    ::kill(static_cast<pid_t>(bench.processId()), SIGINT); // Ctrl+C, as at a console
    ASSERT_TRUE(bench.waitForFinished(60000));
    const std::string err = bench.readAllStandardError().toStdString();
    EXPECT_EQ(Occurrences(err, qv::testing::kOutageText), 1u) << err;
    EXPECT_EQ(Occurrences(err, "снова доступна"), 1u) << err;

    const long long decoded = Report(report)["statistics"].toObject()["passes"].toInteger();
    EXPECT_GT(decoded, 70);
    EXPECT_EQ(Count("SELECT COUNT(*) FROM runs"), decoded);
    EXPECT_EQ(Count("SELECT COUNT(DISTINCT pass) FROM runs"), decoded);
    EXPECT_EQ(Count("SELECT MAX(pass) FROM runs"), decoded);
}

TEST_F(Postgres, AWriterKilledMidTransactionLeavesNoPartialRun)
{
    // Every test of the stuck board: many rows to each run's transaction.
    const QString board = Board(qv::testing::kStuckBoard);
    for (int kill = 0; kill < 3; ++kill) {
        QProcess bench;
        bench.start(QStringLiteral(QV_QORTOOL_PATH),
                    RunArguments({"--all", "--continuous", "--keep-going", "--passes", "1000000",
                                  "--board", board}));
        ASSERT_TRUE(bench.waitForStarted());
        ASSERT_TRUE(CountReaches("SELECT COUNT(*) FROM runs", 10 * (kill + 1)));
        QThread::msleep(37 * kill);
        ::kill(static_cast<pid_t>(bench.processId()), SIGKILL);
        bench.waitForFinished();
    }
    EXPECT_GT(Count("SELECT COUNT(*) FROM runs"), 0);
    EXPECT_GT(Count("SELECT COUNT(*) FROM wrong_words"), 0);
    EXPECT_EQ(Count("SELECT COUNT(*) FROM runs r WHERE r.test_count <> "
                    "(SELECT COUNT(*) FROM run_tests t WHERE t.run_id = r.id)"),
              0);
    EXPECT_EQ(Count("SELECT COUNT(*) FROM runs r WHERE r.wrong_word_count <> "
                    "(SELECT COUNT(*) FROM wrong_words w WHERE w.run_id = r.id)"),
              0);
    EXPECT_EQ(Count("SELECT COUNT(*) FROM runs WHERE test_count = 0"), 0);
}

TEST_F(Postgres, AnOlderLayoutOnTheServerIsBroughtUpToDate)
{
    ASSERT_TRUE(server->Sql(
        database,
        "CREATE TABLE schema_version (version INTEGER PRIMARY KEY, applied TEXT NOT NULL);"
        "INSERT INTO schema_version VALUES (1, '2026-01-01T00:00:00.000Z');"
        "CREATE TABLE runs (id BIGSERIAL PRIMARY KEY, uid TEXT NOT NULL UNIQUE, session TEXT NOT "
        "NULL, pass INTEGER NOT NULL, started TEXT NOT NULL, ended TEXT NOT NULL, host TEXT NOT "
        "NULL, operator TEXT NOT NULL, serial TEXT NOT NULL, file_path TEXT NOT NULL, file_name "
        "TEXT NOT NULL, file_sha256 TEXT NOT NULL, unit_address TEXT NOT NULL, unit_type TEXT NOT "
        "NULL, unit_build TEXT NOT NULL, all_tests INTEGER NOT NULL, continuous INTEGER NOT NULL, "
        "debug INTEGER NOT NULL, passes INTEGER NOT NULL, verdict TEXT NOT NULL, verdict_text "
        "TEXT NOT NULL, errors INTEGER NOT NULL, test_count INTEGER NOT NULL, wrong_word_count "
        "INTEGER NOT NULL);"
        "CREATE TABLE run_tests (run_id BIGINT NOT NULL REFERENCES runs (id) ON DELETE CASCADE, "
        "number INTEGER NOT NULL, name TEXT NOT NULL, verdict TEXT NOT NULL, errors INTEGER NOT "
        "NULL, PRIMARY KEY (run_id, number));"
        "CREATE TABLE wrong_words (run_id BIGINT NOT NULL REFERENCES runs (id) ON DELETE "
        "CASCADE, test INTEGER NOT NULL, word INTEGER NOT NULL, name TEXT NOT NULL, cycle "
        "INTEGER NOT NULL, reference_value INTEGER, read_value INTEGER);"
        "INSERT INTO runs (uid, session, pass, started, ended, host, operator, serial, file_path, "
        "file_name, file_sha256, unit_address, unit_type, unit_build, all_tests, continuous, "
        "debug, passes, verdict, verdict_text, errors, test_count, wrong_word_count) VALUES "
        "('old', 's', 0, '2026-01-02T10:00:00.000Z', '2026-01-02T10:00:01.000Z', 'bench-0', "
        "'Петров', '100', '/b/DEMO.QOR', 'DEMO.QOR', '', 'sim', 'arm', '', 0, 0, 0, 0, 'passed', "
        "'', 0, 1, 0);"
        "INSERT INTO run_tests SELECT id, 1, 'Шина данных', 'passed', 0 FROM runs;"))
        << server->Output();

    const ToolRun run = Qortool(RunArguments({"--board", Board(qv::testing::kStuckBoard)}));
    EXPECT_EQ(run.exitCode, 1) << run.err;
    EXPECT_EQ(run.err, "");
    EXPECT_EQ(Count("SELECT MAX(version) FROM schema_version"), qv::results::kSchemaVersion);
    EXPECT_EQ(Count("SELECT COUNT(*) FROM failing_contacts"), 2);
    const QJsonArray runs = History(url);
    ASSERT_EQ(runs.size(), 2);
    EXPECT_EQ(runs[1].toObject()["operator"].toString(), "Петров");
    EXPECT_TRUE(runs[1].toObject()["tests"].toArray()[0].toObject()["diagnosis"].isNull());
    EXPECT_EQ(runs[0].toObject()["verdict"].toObject()["kind"].toString(), "errors");
}

TEST_F(Postgres, AWrongPasswordOrAReadOnlyDatabaseLetsTheRunGoOnAndSaysSoOnce)
{
    ASSERT_TRUE(server->Sql(database, "CREATE ROLE guarded LOGIN PASSWORD 'right'; "
                                      "GRANT ALL ON SCHEMA public TO guarded"))
        << server->Output();
    ASSERT_TRUE(server->AddHbaLine("host all guarded 127.0.0.1/32 scram-sha-256"))
        << server->Output();
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("PGPASSWORD", "wrong");
    environment.insert("PGPASSFILE", dir.filePath("no-pgpass"));
    const QString guarded = QString::fromStdString(server->Url(database, "guarded"));
    const QString board = Board(qv::testing::kFastBoard);
    const QStringList continuous{"--continuous", "--passes", "3", "--board", board};
    const QStringList asGuarded{"run",  demo,   "--quiet", "--spool", dir.filePath("spool"),
                                "--db", guarded};
    const ToolRun refused = Qortool(asGuarded + continuous, environment);
    EXPECT_EQ(refused.exitCode, 0) << refused.err;
    EXPECT_EQ(Occurrences(refused.err, qv::testing::kOutageText), 1u) << refused.err;
    EXPECT_NE(refused.err.find("password"), std::string::npos) << refused.err;

    // The right password: the waiting passes go in with the new run.
    environment.insert("PGPASSWORD", "right");
    const ToolRun right = Qortool(asGuarded + QStringList{"--board", board}, environment);
    EXPECT_EQ(right.exitCode, 0) << right.err;
    EXPECT_EQ(right.err, "");
    EXPECT_EQ(Count("SELECT COUNT(*) FROM runs"), 4);

    // A database that takes no writes.
    ASSERT_TRUE(server->Sql("postgres", "ALTER DATABASE " + database +
                                            " SET default_transaction_read_only = on"));
    const ToolRun readOnly = Qortool(RunArguments(continuous));
    EXPECT_EQ(readOnly.exitCode, 0) << readOnly.err;
    EXPECT_EQ(Occurrences(readOnly.err, qv::testing::kOutageText), 1u) << readOnly.err;
    EXPECT_NE(readOnly.err.find("read-only"), std::string::npos) << readOnly.err;
    EXPECT_EQ(Count("SELECT COUNT(*) FROM runs"), 4);
    ASSERT_TRUE(server->Sql("postgres", "ALTER DATABASE " + database +
                                            " SET default_transaction_read_only = off"));
    const ToolRun writable = Qortool(RunArguments({"--board", board}));
    EXPECT_EQ(writable.err, "");
    EXPECT_EQ(Count("SELECT COUNT(*) FROM runs"), 8);
}

} // namespace
