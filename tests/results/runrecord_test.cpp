// The record's JSON form (spool files, qortool history), its times and
// ids, and the database addresses an operator types.

#include "recordsamples.h"
#include "results/databaseurl.h"
#include "results/runrecord.h"
#include "results/uid.h"

#include <QDateTime>
#include <QJsonArray>
#include <QJsonDocument>
#include <QRegularExpression>
#include <algorithm>
#include <chrono>
#include <gtest/gtest.h>
#include <set>
#include <thread>

namespace {

using namespace qv::results;

TEST(RunRecordJson, ARecordReadsBackFromItsJsonUnchanged)
{
    RunRecord record = qv::testing::SampleRun();
    record.id = 42;
    record.pass = 3;
    record.passes = 3;
    record.continuous = true;
    record.tests[0].diagnosis = R"([{"cause":"замыкание","contact":17}])";
    record.tests[0].unexplained = 0;
    record.tests[0].wrongWords.push_back({3, "Инверсные", 1, std::nullopt, 84});
    const QByteArray bytes = QJsonDocument(ToJson(record)).toJson();
    const auto back = RunRecordFromBytes(bytes);
    ASSERT_TRUE(back);
    EXPECT_EQ(*back, record);

    const QJsonObject json = ToJson(record);
    for (const char *key : {"id", "started", "ended", "host", "operator", "serial", "file",
                            "sha256", "verdict", "tests"})
        EXPECT_TRUE(json.contains(QLatin1String(key))) << key;
    EXPECT_EQ(json["verdict"].toObject()["kind"].toString(), "errors");
    EXPECT_TRUE(json["tests"].toArray()[0].toObject()["diagnosis"].isArray());
    EXPECT_TRUE(json["tests"].toArray()[1].toObject()["diagnosis"].isNull());
}

TEST(RunRecordJson, DamagedOrHostileJsonIsRefusedNotGuessed)
{
    const QJsonObject good = ToJson(qv::testing::SampleRun());
    const auto without = [&good](const char *key) {
        QJsonObject json = good;
        json.remove(QLatin1String(key));
        return json;
    };
    EXPECT_TRUE(RunRecordFromJson(good));
    EXPECT_FALSE(RunRecordFromJson(without("uid")));
    EXPECT_FALSE(RunRecordFromJson(without("tests")));
    EXPECT_FALSE(RunRecordFromJson(without("started")));

    QJsonObject wrongKind = good;
    wrongKind["pass"] = "три";
    EXPECT_FALSE(RunRecordFromJson(wrongKind));
    QJsonObject badVerdict = good;
    badVerdict["verdict"] = QJsonObject{{"kind", "отлично"}, {"text", ""}};
    EXPECT_FALSE(RunRecordFromJson(badVerdict));
    QJsonObject badWord = good;
    QJsonArray tests = good["tests"].toArray();
    QJsonObject test = tests[0].toObject();
    test["wrongWords"] = QJsonArray{QJsonObject{{"word", 900}, {"cycle", 1}}};
    tests[0] = test;
    badWord["tests"] = tests;
    EXPECT_FALSE(RunRecordFromJson(badWord));
    EXPECT_FALSE(RunRecordFromBytes("{\"uid\": "));
    EXPECT_FALSE(RunRecordFromBytes("[1, 2]"));
}

TEST(DatabaseAddress, SqliteFilesAndPostgresUrlsAreTakenAndPasswordsRefused)
{
    std::string problem;
    const auto file = ParseDatabaseUrl("/var/lib/bench/results.sqlite", &problem);
    ASSERT_TRUE(file);
    EXPECT_EQ(file->kind, DatabaseUrl::Kind::Sqlite);
    EXPECT_EQ(file->file, "/var/lib/bench/results.sqlite");
    const auto prefixed = ParseDatabaseUrl("sqlite:/tmp/r.db", &problem);
    ASSERT_TRUE(prefixed);
    EXPECT_EQ(prefixed->file, "/tmp/r.db");

    const auto fleet = ParseDatabaseUrl("postgresql://bench@db.plant:5433/results", &problem);
    ASSERT_TRUE(fleet) << problem;
    EXPECT_EQ(fleet->kind, DatabaseUrl::Kind::Postgres);
    EXPECT_EQ(fleet->user, "bench");
    EXPECT_EQ(fleet->host, "db.plant");
    EXPECT_EQ(fleet->port, 5433);
    EXPECT_EQ(fleet->database, "results");
    EXPECT_EQ(fleet->Text(), "postgresql://bench@db.plant:5433/results");

    const auto socket = ParseDatabaseUrl("postgresql:///results?host=/run/postgresql", &problem);
    ASSERT_TRUE(socket) << problem;
    EXPECT_EQ(socket->host, "/run/postgresql");
    EXPECT_EQ(socket->port, 0);

    EXPECT_FALSE(ParseDatabaseUrl("postgresql://bench:secret@db/results", &problem));
    EXPECT_NE(problem.find("пароль"), std::string::npos) << problem;
    EXPECT_FALSE(ParseDatabaseUrl("postgresql://bench@db/", &problem));
    EXPECT_FALSE(ParseDatabaseUrl("mysql://bench@db/results", &problem));
    EXPECT_FALSE(ParseDatabaseUrl("", &problem));
}

TEST(RecordTimes, AreUtcToTheMillisecondAsTheCalendarHasThem)
{
    using namespace std::chrono;
    const auto at = [](std::int64_t ms) { return system_clock::time_point(milliseconds(ms)); };
    EXPECT_EQ(IsoUtc(at(0)), "1970-01-01T00:00:00.000Z");
    EXPECT_EQ(IsoUtc(at(-1)), "1969-12-31T23:59:59.999Z");
    EXPECT_EQ(IsoUtc(sys_days{2024y / February / 29} + 23h + 59min + 59s + 999ms),
              "2024-02-29T23:59:59.999Z");
    // Across the years a bench may see, as the calendar reads them.
    for (std::int64_t ms = -86'400'000LL * 366 * 30; ms < 86'400'000LL * 366 * 130;
         ms += 86'400'000LL * 37 + 3'723'456) {
        const std::string expected = QDateTime::fromMSecsSinceEpoch(ms, Qt::UTC)
                                         .toString(QStringLiteral("yyyy-MM-ddTHH:mm:ss.zzzZ"))
                                         .toStdString();
        ASSERT_EQ(IsoUtc(at(ms)), expected) << ms;
    }
}

TEST(RecordIds, AreUuidsOfVersion7ThatSortByTheirTime)
{
    const QRegularExpression form(
        QStringLiteral("^[0-9a-f]{8}-[0-9a-f]{4}-7[0-9a-f]{3}-[89ab][0-9a-f]{3}-[0-9a-f]{12}$"));
    // 2026-12-11T00:00:00Z, the random bits all set or all clear.
    EXPECT_EQ(TimeOrderedUid(1'796'947'200'000ULL, {~0ULL, ~0ULL}),
              "01a26266-4800-7fff-bfff-ffffffffffff");
    EXPECT_EQ(TimeOrderedUid(1'796'947'200'000ULL, {0, 0}), "01a26266-4800-7000-8000-000000000000");
    std::set<std::string> seen;
    std::string previous;
    for (int i = 0; i < 2000; ++i) {
        const std::string uid = NewUid();
        ASSERT_TRUE(form.match(QString::fromStdString(uid)).hasMatch()) << uid;
        EXPECT_TRUE(seen.insert(uid).second) << uid;
        // Ids made a millisecond or more apart come in order.
        if (i % 100 == 0) {
            if (!previous.empty()) {
                EXPECT_LT(previous, uid);
            }
            previous = uid;
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        }
    }
}

} // namespace
