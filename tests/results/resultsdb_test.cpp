// The results database on SQLite: runs stored whole and read back, an older
// layout brought up to date, filters and pages of the journal, first-pass
// yield and the most frequent failures.

#include "batchcheck.h"
#include "recordsamples.h"
#include "results/resultsdb.h"

#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <algorithm>
#include <gtest/gtest.h>

namespace {

using namespace qv::results;

class SqliteResults : public ::testing::Test
{
protected:
    DatabaseUrl Url() const
    {
        DatabaseUrl url;
        url.file = dir.filePath("results.sqlite").toStdString();
        return url;
    }
    std::unique_ptr<ResultsDatabase> Open()
    {
        std::string problem;
        auto db = ResultsDatabase::Open(Url(), &problem);
        EXPECT_TRUE(db) << problem;
        return db;
    }
    void Store(ResultsDatabase &db, const RunRecord &record)
    {
        std::string problem;
        ASSERT_TRUE(db.Write(record, &problem)) << problem;
    }
    // Runs SQL on a side connection, as another tool would.
    void Side(const std::vector<std::string> &statements)
    {
        {
            QSqlDatabase side = QSqlDatabase::addDatabase("QSQLITE", "side");
            side.setDatabaseName(QString::fromStdString(Url().file.string()));
            ASSERT_TRUE(side.open());
            QSqlQuery query(side);
            for (const std::string &sql : statements)
                ASSERT_TRUE(query.exec(QString::fromStdString(sql))) << sql;
        }
        QSqlDatabase::removeDatabase("side");
    }
    // A number read on a side connection.
    long long SideCount(const std::string &sql)
    {
        long long value = -1;
        {
            QSqlDatabase side = QSqlDatabase::addDatabase("QSQLITE", "count");
            side.setDatabaseName(QString::fromStdString(Url().file.string()));
            EXPECT_TRUE(side.open());
            QSqlQuery query(side);
            if (query.exec(QString::fromStdString(sql)) && query.next())
                value = query.value(0).toLongLong();
            EXPECT_GE(value, 0) << sql;
        }
        QSqlDatabase::removeDatabase("count");
        return value;
    }

    QTemporaryDir dir;
};

TEST_F(SqliteResults, ARunIsStoredWholeOnceAndReadsBackWithItsTests)
{
    auto db = Open();
    ASSERT_TRUE(db);
    EXPECT_EQ(db->SchemaVersionFound(), 0);
    RunRecord record = qv::testing::SampleRun();
    record.tests[0].diagnosis = R"([{"contact":17}])";
    record.tests[0].unexplained = 1;
    Store(*db, record);
    // The same record again (a spool file whose removal was cut short).
    Store(*db, record);
    EXPECT_EQ(db->Count({}), 1);

    const auto runs = db->Runs({}, 10);
    ASSERT_EQ(runs.size(), 1u);
    const auto back = db->Run(runs[0].id);
    ASSERT_TRUE(back);
    record.id = runs[0].id;
    EXPECT_EQ(*back, record);

    // In a batch with a new run: the stored one is left out, the new one
    // goes in whole.
    record.id = 0;
    const RunRecord batch[] = {record, qv::testing::SampleRun("4712")};
    std::string problem;
    ASSERT_TRUE(db->WriteBatch(batch, &problem)) << problem;
    EXPECT_EQ(db->Count({}), 2);
    const auto both = db->Runs({}, 10, 0, true);
    ASSERT_EQ(both.size(), 2u);
    EXPECT_EQ(both[0].serial, "4712");
    EXPECT_EQ(both[0].tests, batch[1].tests);
    EXPECT_EQ(db->Run(runs[0].id)->tests, record.tests);
}

TEST_F(SqliteResults, BatchesOfTwoBenchesInTurnReadBackExactlyWhateverTheirText)
{
    qv::testing::ExpectAwkwardBatchesReadBackExactly(Url());
}

TEST_F(SqliteResults, AnOlderLayoutIsBroughtUpToDateAndItsRunsStayReadable)
{
    // The first layout, as benches of that time created it.
    Side({"CREATE TABLE schema_version (version INTEGER PRIMARY KEY, applied TEXT NOT NULL)",
          "INSERT INTO schema_version VALUES (1, '2026-01-01T00:00:00.000Z')",
          "CREATE TABLE runs (id INTEGER PRIMARY KEY AUTOINCREMENT, uid TEXT NOT NULL UNIQUE, "
          "session TEXT NOT NULL, pass INTEGER NOT NULL, started TEXT NOT NULL, ended TEXT NOT "
          "NULL, host TEXT NOT NULL, operator TEXT NOT NULL, serial TEXT NOT NULL, file_path TEXT "
          "NOT NULL, file_name TEXT NOT NULL, file_sha256 TEXT NOT NULL, unit_address TEXT NOT "
          "NULL, unit_type TEXT NOT NULL, unit_build TEXT NOT NULL, all_tests INTEGER NOT NULL, "
          "continuous INTEGER NOT NULL, debug INTEGER NOT NULL, passes INTEGER NOT NULL, verdict "
          "TEXT NOT NULL, verdict_text TEXT NOT NULL, errors INTEGER NOT NULL, test_count INTEGER "
          "NOT NULL, wrong_word_count INTEGER NOT NULL)",
          "CREATE TABLE run_tests (run_id BIGINT NOT NULL REFERENCES runs (id) ON DELETE CASCADE, "
          "number INTEGER NOT NULL, name TEXT NOT NULL, verdict TEXT NOT NULL, errors INTEGER NOT "
          "NULL, PRIMARY KEY (run_id, number))",
          "CREATE TABLE wrong_words (run_id BIGINT NOT NULL REFERENCES runs (id) ON DELETE "
          "CASCADE, test INTEGER NOT NULL, word INTEGER NOT NULL, name TEXT NOT NULL, cycle "
          "INTEGER NOT NULL, reference_value INTEGER, read_value INTEGER)",
          "INSERT INTO runs VALUES (7, 'old-1', 's', 0, '2026-01-02T10:00:00.000Z', "
          "'2026-01-02T10:00:01.000Z', 'bench-0', 'Петров', '100', '/b/OLD.QOR', 'OLD.QOR', '', "
          "'sim', 'arm', '', 0, 0, 0, 0, 'errors', 'Тест завершен с ошибками', 2, 1, 1)",
          "INSERT INTO run_tests VALUES (7, 1, 'Старый', 'errors', 2)",
          "INSERT INTO wrong_words VALUES (7, 1, 4, 'Слово', 1, 5, 6)"});

    auto db = Open();
    ASSERT_TRUE(db);
    EXPECT_EQ(db->SchemaVersionFound(), 1);
    const auto old = db->Run(7);
    ASSERT_TRUE(old);
    EXPECT_EQ(old->operatorName, "Петров");
    ASSERT_EQ(old->tests.size(), 1u);
    EXPECT_TRUE(old->tests[0].diagnosis.empty());
    EXPECT_FALSE(old->tests[0].unexplained);
    ASSERT_EQ(old->tests[0].wrongWords.size(), 1u);
    EXPECT_EQ(old->tests[0].wrongWords[0].read, 6);

    RunRecord fresh = qv::testing::SampleRun();
    fresh.tests[0].diagnosis = "[]";
    Store(*db, fresh);
    EXPECT_EQ(db->Count({}), 2);
    const auto failing = db->FailingContacts({}, 10);
    ASSERT_EQ(failing.size(), 1u);
    EXPECT_EQ(failing[0].item, 17);
    db.reset();
    // Opening again finds the current layout and applies nothing.
    auto again = Open();
    ASSERT_TRUE(again);
    EXPECT_EQ(again->SchemaVersionFound(), kSchemaVersion);
}

TEST_F(SqliteResults, ADatabaseOfANewerLayoutIsRefusedRatherThanWrittenInto)
{
    Side({"CREATE TABLE schema_version (version INTEGER PRIMARY KEY, applied TEXT NOT NULL)",
          "INSERT INTO schema_version VALUES (99, 'future')"});
    std::string problem;
    EXPECT_FALSE(ResultsDatabase::Open(Url(), &problem));
    EXPECT_NE(problem.find("новее"), std::string::npos) << problem;
}

TEST_F(SqliteResults, FiltersAndPagesSelectEachRunOnce)
{
    auto db = Open();
    ASSERT_TRUE(db);
    for (int i = 0; i < 25; ++i) {
        RunRecord record = qv::testing::SampleRun(
            i % 5 == 0 ? "A-1" : "B-" + std::to_string(i), i % 2 ? "passed" : "errors",
            "2026-12-" + std::string(i < 10 ? "01" : "02") + "T08:00:" + (i < 10 ? "0" : "") +
                std::to_string(i) + ".000Z");
        record.operatorName = i < 20 ? "Иванов" : "Сидоров";
        if (i == 24)
            record.filePath = "/other/PSU.QOR";
        Store(*db, record);
    }
    EXPECT_EQ(db->Count({}), 25);
    RunFilter serial;
    serial.serial = "A-1";
    EXPECT_EQ(db->Count(serial), 5);
    RunFilter passed;
    passed.verdict = "passed";
    EXPECT_EQ(db->Count(passed), 12);
    RunFilter day;
    day.since = "2026-12-02";
    day.until = "2026-12-02";
    EXPECT_EQ(db->Count(day), 15);
    RunFilter firstDay;
    firstDay.until = "2026-12-01";
    EXPECT_EQ(db->Count(firstDay), 10);
    RunFilter byOperator;
    byOperator.operatorName = "Сидоров";
    EXPECT_EQ(db->Count(byOperator), 5);
    RunFilter byFile;
    byFile.file = "PSU.QOR";
    EXPECT_EQ(db->Count(byFile), 1);
    byFile.file = "/other/PSU.QOR";
    EXPECT_EQ(db->Count(byFile), 1);

    // Pages of 10, newest first, meet without a gap or an overlap.
    std::vector<std::int64_t> seen;
    std::int64_t before = 0;
    for (;;) {
        const auto page = db->Runs({}, 10, before);
        if (page.empty())
            break;
        for (const auto &run : page) {
            if (!seen.empty()) {
                EXPECT_LT(run.id, seen.back());
            }
            seen.push_back(run.id);
            EXPECT_TRUE(run.tests.empty()); // a page reads no tests
        }
        before = page.back().id;
    }
    EXPECT_EQ(seen.size(), 25u);
}

TEST_F(SqliteResults, FirstPassYieldCountsOnlyEachBoardsFirstAttempt)
{
    auto db = Open();
    ASSERT_TRUE(db);
    // Board A fails, is repaired and passes: only the failure is its first pass.
    Store(*db, qv::testing::SampleRun("A", "errors", "2026-12-01T08:00:00.000Z"));
    Store(*db, qv::testing::SampleRun("A", "passed", "2026-12-01T09:00:00.000Z"));
    Store(*db, qv::testing::SampleRun("B", "passed", "2026-12-01T10:00:00.000Z"));
    // Runs without a serial number are each a first attempt.
    Store(*db, qv::testing::SampleRun("", "passed", "2026-12-02T08:00:00.000Z"));
    Store(*db, qv::testing::SampleRun("", "errors", "2026-12-02T09:00:00.000Z"));
    // A failed run says nothing of the board; a later pass of a continuous run is no first attempt.
    Store(*db, qv::testing::SampleRun("C", "failed", "2026-12-02T10:00:00.000Z"));
    RunRecord second = qv::testing::SampleRun("", "passed", "2026-12-02T11:00:00.000Z");
    second.pass = 2;
    Store(*db, second);
    RunRecord other = qv::testing::SampleRun("A", "passed", "2026-12-02T12:00:00.000Z");
    other.filePath = "/boards/PSU.QOR"; // board A's first run of another test file
    Store(*db, other);

    const auto days = db->Yield({}, YieldBy::Day);
    ASSERT_EQ(days.size(), 2u);
    EXPECT_EQ(days[0].key, "2026-12-01");
    EXPECT_EQ(days[0].runs, 2);
    EXPECT_EQ(days[0].passed, 1);
    EXPECT_EQ(days[1].key, "2026-12-02");
    EXPECT_EQ(days[1].runs, 3);
    EXPECT_EQ(days[1].passed, 2);

    const auto files = db->Yield({}, YieldBy::File);
    ASSERT_EQ(files.size(), 2u);
    EXPECT_EQ(files[0].key, "DEMO.QOR");
    EXPECT_EQ(files[0].runs, 4);
    EXPECT_EQ(files[0].passed, 2);
    EXPECT_DOUBLE_EQ(files[0].Percent(), 50.0);
    EXPECT_EQ(files[1].key, "PSU.QOR");

    const auto tests = db->Yield({}, YieldBy::Test);
    ASSERT_EQ(tests.size(), 4u); // both files' tests 1 and 3
    EXPECT_EQ(tests[0].key, "DEMO.QOR: тест 1");
    EXPECT_EQ(tests[0].name, "Шина данных");
    EXPECT_EQ(tests[0].runs, 4);
    EXPECT_EQ(tests[0].passed, 2);
    EXPECT_EQ(tests[1].key, "DEMO.QOR: тест 3");
    EXPECT_EQ(tests[1].passed, 4);

    // The retest stays a retest when the filter leaves the first run out.
    RunFilter retestOnly;
    retestOnly.serial = "A";
    retestOnly.file = "DEMO.QOR";
    retestOnly.verdict = "passed";
    EXPECT_TRUE(db->Yield(retestOnly, YieldBy::File).empty());
}

TEST_F(SqliteResults, TheMostFrequentFailuresComeFirstCountedOncePerRun)
{
    auto db = Open();
    ASSERT_TRUE(db);
    for (int i = 0; i < 3; ++i) {
        RunRecord record = qv::testing::SampleRun("S" + std::to_string(i));
        // Two wrong cycles of one word in one run count as one run.
        record.tests[0].wrongWords.push_back({1, "Чтение данных", 3, 170, 171});
        if (i == 0) {
            record.tests[0].wrongWords.push_back({5, "Адрес", 1, 1, 0});
            record.tests[0].contacts.push_back({40, "A0", 5, 0});
        }
        Store(*db, record);
    }
    const auto words = db->FailingWords({}, 10);
    ASSERT_EQ(words.size(), 2u);
    EXPECT_EQ(words[0].item, 1);
    EXPECT_EQ(words[0].runs, 3);
    EXPECT_EQ(words[0].name, "Чтение данных");
    EXPECT_EQ(words[1].item, 5);
    EXPECT_EQ(words[1].runs, 1);
    const auto contacts = db->FailingContacts({}, 1);
    ASSERT_EQ(contacts.size(), 1u);
    EXPECT_EQ(contacts[0].item, 17);
    EXPECT_EQ(contacts[0].name, "D0");
    EXPECT_EQ(contacts[0].runs, 3);

    const auto serial = db->RunsOfSerial("S1", 10);
    ASSERT_EQ(serial.size(), 1u);
    EXPECT_EQ(serial[0].serial, "S1");
}

// A pass of a continuous run on a board whose contact 17 is stuck: two
// wrong words, the contact, and the pass's own diagnosis.
RunRecord StuckPass(const std::string &session, int pass, int read = 171)
{
    RunRecord record = qv::testing::SampleRun();
    record.session = session;
    record.pass = pass;
    record.passes = pass;
    record.continuous = true;
    TestResult &test = record.tests[0];
    test.errors = 2;
    test.wrongWords = {{1, "Чтение данных", 2, 170, read}, {2, "Адрес", 1, std::nullopt, 9}};
    test.diagnosis = "[\n    {\"kind\": \"stuck-high\", \"contacts\": [17], \"names\": "
                     "[\"D0\"], \"explains\": 2, \"passes\": [" +
                     std::to_string(pass) + "], \"equivalents\": []}\n  ]";
    test.unexplained = 0;
    return record;
}

TEST_F(SqliteResults, AFailureRepeatedPassAfterPassIsStoredOnceAndEachPassReadsBackAsRecorded)
{
    const std::string session = qv::results::NewUid();
    std::vector<RunRecord> records;
    for (int pass = 1; pass <= 4; ++pass)
        records.push_back(StuckPass(session, pass));
    // Another read value is another failure; a run of one pass keeps its
    // diagnosis as it is.
    records.push_back(StuckPass(session, 5, 255));
    RunRecord single = StuckPass(qv::results::NewUid(), 0);
    single.continuous = false;
    records.push_back(single);
    {
        auto db = Open();
        ASSERT_TRUE(db);
        Store(*db, records[0]);
        std::string problem;
        ASSERT_TRUE(db->WriteBatch(std::span(records).subspan(1, 2), &problem)) << problem;
    }
    // A connection of its own (another bench) finds the stored failure.
    auto db = Open();
    ASSERT_TRUE(db);
    std::string problem;
    ASSERT_TRUE(db->WriteBatch(std::span(records).subspan(3), &problem)) << problem;

    const auto stored = db->Runs({}, 10, 0, true);
    ASSERT_EQ(stored.size(), records.size());
    for (std::size_t i = 0; i < records.size(); ++i) {
        SCOPED_TRACE(i);
        RunRecord expected = records[i];
        expected.id = stored[records.size() - 1 - i].id;
        EXPECT_EQ(stored[records.size() - 1 - i], expected);
        EXPECT_EQ(db->Run(expected.id)->tests, expected.tests);
    }
    EXPECT_EQ(SideCount("SELECT COUNT(*) FROM failures"), 3);
    EXPECT_EQ(SideCount("SELECT COUNT(*) FROM failure_words"), 3 * 2);
    EXPECT_EQ(SideCount("SELECT COUNT(*) FROM failure_contacts"), 3);
    // The views read as the tables of the earlier layout did.
    EXPECT_EQ(SideCount("SELECT COUNT(*) FROM wrong_words"), 6 * 2);
    EXPECT_EQ(SideCount("SELECT COUNT(*) FROM failing_contacts WHERE contact = 17"), 6);
    EXPECT_EQ(SideCount("SELECT COUNT(*) FROM run_tests WHERE diagnosis LIKE "
                        "'%\"passes\": [3]%'"),
              1);
    EXPECT_EQ(SideCount("SELECT COUNT(*) FROM run_tests WHERE diagnosis LIKE '%*%'"), 0);
    const auto words = db->FailingWords({}, 10);
    ASSERT_EQ(words.size(), 2u);
    EXPECT_EQ(words[0].runs, 6);
}

TEST_F(SqliteResults, ADiagnosisReadsBackExactlyWhateverPassListsItNames)
{
    auto db = Open();
    ASSERT_TRUE(db);
    const std::string session = qv::results::NewUid();
    std::vector<RunRecord> records;
    for (const char *lists :
         {R"("passes": [1], "passes": [12], "passes": [1, 2], "passes": [1])",
          R"("passes": [1], "passes": [*])", R"("passes": [*])", R"("passes": [)", ""}) {
        RunRecord record = StuckPass(session, 1);
        record.tests[0].diagnosis = "[" + std::string(lists) + "]";
        records.push_back(record);
    }
    std::string problem;
    ASSERT_TRUE(db->WriteBatch(records, &problem)) << problem;
    for (const RunRecord &record : records) {
        const auto stored = db->Runs({}, 10, 0, true);
        const auto back = std::find_if(stored.begin(), stored.end(), [&record](const RunRecord &r) {
            return r.uid == record.uid;
        });
        ASSERT_NE(back, stored.end());
        EXPECT_EQ(back->tests, record.tests);
    }
}

TEST_F(SqliteResults, ADatabaseOfTheSecondLayoutKeepsEveryWrongWordContactAndDiagnosis)
{
    std::vector<std::string> layout;
    for (int version = 1; version <= 2; ++version) {
        const auto step = SchemaStep(version, Dialect::Sqlite);
        layout.insert(layout.end(), step.begin(), step.end());
    }
    const std::string run = "INSERT INTO runs VALUES (%1, 'old-%1', 's', 0, "
                            "'2026-01-02T10:00:00.000Z', '2026-01-02T10:00:01.000Z', 'bench-0', "
                            "'Петров', '100', '/b/OLD.QOR', 'OLD.QOR', '', 'sim', 'arm', '', 0, 0, "
                            "0, 0, 'errors', 'Тест завершен с ошибками', 2, 2, 2)";
    layout.insert(
        layout.end(),
        {"CREATE TABLE schema_version (version INTEGER PRIMARY KEY, applied TEXT NOT NULL)",
         "INSERT INTO schema_version VALUES (1, 'then'), (2, 'then')",
         QString::fromStdString(run).arg(7).toStdString(),
         QString::fromStdString(run).arg(8).toStdString(),
         "INSERT INTO run_tests VALUES (7, 1, 'Шина', 'errors', 2, '[{\"kind\": \"open\"}]', 1),"
         " (7, 2, 'Вызываемый', 'passed', 0, NULL, NULL),"
         " (8, 1, 'Шина', 'errors', 2, '[{\"kind\": \"open\"}]', 1),"
         " (8, 2, 'Вызываемый', 'passed', 0, NULL, NULL)",
         "INSERT INTO wrong_words VALUES (7, 1, 4, 'Слово', 1, 5, 6), (7, 1, 4, 'Слово', 2, 5, 7),"
         " (8, 1, 4, 'Слово', 1, 5, NULL), (8, 1, 5, 'Другое', 3, 0, 1)",
         "INSERT INTO failing_contacts VALUES (7, 1, 9, 'A9', 4, 0), (8, 1, 9, 'A9', 4, 0),"
         " (8, 1, 10, 'A10', 5, 0)"});
    Side(layout);

    auto db = Open();
    ASSERT_TRUE(db);
    EXPECT_EQ(db->SchemaVersionFound(), 2);
    const auto seven = db->Run(7);
    const auto eight = db->Run(8);
    ASSERT_TRUE(seven && eight);
    ASSERT_EQ(seven->tests.size(), 2u);
    ASSERT_EQ(eight->tests.size(), 2u);
    const TestResult &bus = seven->tests[0];
    EXPECT_EQ(bus.diagnosis, R"([{"kind": "open"}])");
    EXPECT_EQ(bus.unexplained, 1);
    EXPECT_EQ(bus.wrongWords,
              (std::vector<WrongWord>{{4, "Слово", 1, 5, 6}, {4, "Слово", 2, 5, 7}}));
    EXPECT_EQ(bus.contacts, (std::vector<FailingContact>{{9, "A9", 4, 0}}));
    EXPECT_EQ(eight->tests[0].wrongWords,
              (std::vector<WrongWord>{{4, "Слово", 1, 5, std::nullopt}, {5, "Другое", 3, 0, 1}}));
    EXPECT_EQ(eight->tests[0].contacts.size(), 2u);
    for (const auto &old : {seven, eight}) {
        EXPECT_TRUE(old->tests[1].diagnosis.empty());
        EXPECT_FALSE(old->tests[1].unexplained);
        EXPECT_TRUE(old->tests[1].wrongWords.empty());
    }
    const auto contacts = db->FailingContacts({}, 10);
    ASSERT_EQ(contacts.size(), 2u);
    EXPECT_EQ(contacts[0].item, 9);
    EXPECT_EQ(contacts[0].runs, 2);

    // New runs go into the new layout beside them.
    Store(*db, StuckPass(qv::results::NewUid(), 1));
    EXPECT_EQ(db->Count({}), 3);
    EXPECT_EQ(SideCount("SELECT COUNT(*) FROM wrong_words"), 4 + 2);
}

} // namespace
