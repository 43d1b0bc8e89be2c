// The writer of the results on SQLite: off the caller's thread, a spool
// while the database is out, told once per outage, written in order when
// it answers again, and a spool left by an earlier program run.

#include "recordsamples.h"
#include "results/recorder.h"
#include "results/resultsdb.h"
#include "results/spool.h"

#include <QFile>
#include <QTemporaryDir>
#include <algorithm>
#include <atomic>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <map>
#include <memory>
#include <mutex>
#include <sstream>
#include <sys/resource.h>
#include <thread>
#include <unistd.h>

namespace {

using namespace qv::results;
using namespace std::chrono_literals;

class Recording : public ::testing::Test
{
protected:
    ResultsRecorder::Options Options()
    {
        ResultsRecorder::Options options;
        options.url.file = dbPath;
        options.spoolFolder = spoolPath;
        options.retry = 100ms;
        options.outage = [this](const std::string &problem) {
            std::lock_guard lock(mutex);
            outages.push_back(problem);
        };
        options.restored = [this](std::size_t written) {
            restoredWith += written;
            ++restores;
        };
        return options;
    }
    std::vector<RunRecord> Stored()
    {
        std::string problem;
        DatabaseUrl url;
        url.file = dbPath;
        auto db = ResultsDatabase::Open(url, &problem);
        EXPECT_TRUE(db) << problem;
        return db ? db->Runs({}, 1000) : std::vector<RunRecord>{};
    }
    template <class Condition>
    static bool Soon(Condition condition)
    {
        for (int i = 0; i < 200 && !condition(); ++i)
            std::this_thread::sleep_for(25ms);
        return condition();
    }

    QTemporaryDir dir;
    std::filesystem::path root = dir.path().toStdString();
    std::filesystem::path dbPath = root / "results.sqlite";
    std::filesystem::path spoolPath = root / "spool";
    std::mutex mutex;
    std::vector<std::string> outages;
    std::atomic<std::size_t> restoredWith{0};
    std::atomic<int> restores{0};
};

TEST_F(Recording, SubmittedRunsAreWrittenInTheOrderTheyCame)
{
    std::vector<std::string> uids;
    {
        ResultsRecorder recorder(Options());
        for (int i = 0; i < 20; ++i) {
            RunRecord record = qv::testing::SampleRun(std::string("S").append(std::to_string(i)));
            uids.push_back(record.uid);
            recorder.Submit(std::move(record));
        }
        ASSERT_TRUE(recorder.WaitIdle(10s));
        EXPECT_EQ(recorder.Written(), 20u);
        EXPECT_EQ(recorder.Spooled(), 0u);
    }
    const auto stored = Stored();
    ASSERT_EQ(stored.size(), 20u);
    for (std::size_t i = 0; i < stored.size(); ++i)
        EXPECT_EQ(stored[stored.size() - 1 - i].uid, uids[i]); // newest first
    EXPECT_TRUE(outages.empty());
}

TEST_F(Recording, AnOutageSpoolsEveryRunSaysSoOnceAndIsWrittenInOrderWhenItEnds)
{
    // The database's folder is a file: nothing can be opened there.
    const std::filesystem::path blocked = root / "blocked";
    std::ofstream(blocked) << "not a folder";
    dbPath = blocked / "results.sqlite";

    ResultsRecorder recorder(Options());
    std::vector<std::string> uids;
    for (int i = 0; i < 5; ++i) {
        RunRecord record = qv::testing::SampleRun("S" + std::to_string(i));
        uids.push_back(record.uid);
        const auto start = std::chrono::steady_clock::now();
        recorder.Submit(std::move(record));
        EXPECT_LT(std::chrono::steady_clock::now() - start, 50ms); // never waits for the database
        std::this_thread::sleep_for(150ms);                        // a few retries pass meanwhile
    }
    ASSERT_TRUE(recorder.WaitIdle(10s));
    EXPECT_EQ(recorder.Spooled(), 5u);
    EXPECT_EQ(Spool(spoolPath).Count(), 5u);
    EXPECT_TRUE(recorder.InOutage());
    {
        std::lock_guard lock(mutex);
        ASSERT_EQ(outages.size(), 1u);
        EXPECT_FALSE(outages[0].empty());
    }

    std::filesystem::remove(blocked);
    std::filesystem::create_directories(blocked);
    ASSERT_TRUE(Soon([&] { return restores.load() == 1; }));
    EXPECT_EQ(restoredWith.load(), 5u);
    EXPECT_EQ(Spool(spoolPath).Count(), 0u);
    EXPECT_FALSE(recorder.InOutage());
    const auto stored = Stored();
    ASSERT_EQ(stored.size(), 5u);
    for (std::size_t i = 0; i < stored.size(); ++i)
        EXPECT_EQ(stored[stored.size() - 1 - i].uid, uids[i]);
}

TEST_F(Recording, ASpoolLeftByAnEarlierRunIsWrittenAsSoonAsTheRecorderStarts)
{
    {
        Spool spool(spoolPath);
        std::string problem;
        for (int i = 0; i < 3; ++i)
            ASSERT_TRUE(spool.Put(qv::testing::SampleRun(), &problem)) << problem;
        // A file that is no record must not hold the others back.
        std::ofstream(spoolPath / "00000000000000000-0-broken.json") << "{\"uid\": ";
        // A half-written file of a writer that was killed is not a record.
        std::ofstream(spoolPath / "x.json.AbCdEf") << "{";
    }
    ResultsRecorder recorder(Options());
    ASSERT_TRUE(recorder.WaitIdle(10s));
    EXPECT_EQ(recorder.Written(), 3u);
    EXPECT_EQ(Stored().size(), 3u);
    EXPECT_TRUE(std::filesystem::exists(spoolPath / "00000000000000000-0-broken.bad"));
    EXPECT_EQ(Spool(spoolPath).Count(), 0u);
}

TEST_F(Recording, ABacklogBeyondTheQueueLimitWaitsOnDiskAndIsWrittenWholeAndCompletedInOrder)
{
    std::vector<std::string> uids;
    {
        ResultsRecorder::Options options = Options();
        options.queueLimit = 8;
        ResultsRecorder recorder(std::move(options));
        // Far faster than any database takes them. Every other record has
        // its tests filled in by the writer, whichever way it goes.
        const auto shared = std::make_shared<const RunRecord>(qv::testing::SampleRun());
        for (int i = 0; i < 300; ++i) {
            RunRecord record = qv::testing::SampleRun();
            uids.push_back(record.uid);
            if (i % 2 == 0) {
                recorder.Submit(std::move(record));
                continue;
            }
            record.tests.clear();
            recorder.Submit(std::move(record),
                            [shared](RunRecord &made) { made.tests = shared->tests; });
        }
        ASSERT_TRUE(recorder.WaitIdle(60s));
        EXPECT_EQ(recorder.Written(), 300u);
        EXPECT_GT(recorder.Spooled(), 0u); // the backlog went to disk
        EXPECT_EQ(Spool(spoolPath).Count(), 0u);
    }
    EXPECT_TRUE(outages.empty());
    EXPECT_EQ(restores, 0);
    std::string problem;
    DatabaseUrl url;
    url.file = dbPath;
    auto db = ResultsDatabase::Open(url, &problem);
    ASSERT_TRUE(db) << problem;
    const auto stored = db->Runs({}, 1000, 0, true);
    ASSERT_EQ(stored.size(), 300u);
    const RunRecord sample = qv::testing::SampleRun();
    for (std::size_t i = 0; i < stored.size(); ++i) {
        EXPECT_EQ(stored[stored.size() - 1 - i].uid, uids[i]); // newest first
        EXPECT_EQ(stored[i].tests, sample.tests);
    }
}

TEST_F(Recording, PassesThatWaitForMoreAreWrittenInTimeWhenTheRunNeverSaysItEnded)
{
    ResultsRecorder::Options options = Options();
    options.gather = 100ms;
    ResultsRecorder recorder(options);
    for (int i = 0; i < 3; ++i)
        recorder.Submit(qv::testing::SampleRun(), {}, ResultsRecorder::Urgency::MoreFollow);
    // No Flush, no WaitIdle: the writer's own time-out writes them.
    ASSERT_TRUE(Soon([&] { return recorder.Written() == 3u; }));
    EXPECT_EQ(Stored().size(), 3u);
}

TEST_F(Recording, PassesWaitForMoreUntilARecordThatWillNotWaitOrAFlush)
{
    ResultsRecorder::Options options = Options();
    options.gather = std::chrono::hours(1);
    ResultsRecorder recorder(options);
    for (int i = 0; i < 3; ++i)
        recorder.Submit(qv::testing::SampleRun(), {}, ResultsRecorder::Urgency::MoreFollow);
    std::this_thread::sleep_for(200ms);
    EXPECT_EQ(recorder.Written(), 0u);

    recorder.Submit(qv::testing::SampleRun()); // takes those waiting along
    ASSERT_TRUE(Soon([&] { return recorder.Written() == 4u; }));

    recorder.Submit(qv::testing::SampleRun(), {}, ResultsRecorder::Urgency::MoreFollow);
    std::this_thread::sleep_for(100ms);
    EXPECT_EQ(recorder.Written(), 4u);
    recorder.Flush(); // the run ended
    ASSERT_TRUE(Soon([&] { return recorder.Written() == 5u; }));

    // A full batch does not wait for the rest.
    for (std::size_t i = 0; i < ResultsRecorder::kBatch; ++i)
        recorder.Submit(qv::testing::SampleRun(), {}, ResultsRecorder::Urgency::MoreFollow);
    ASSERT_TRUE(Soon([&] { return recorder.Written() == 5u + ResultsRecorder::kBatch; }));
    EXPECT_EQ(Stored().size(), 5u + ResultsRecorder::kBatch);
}

// The nice value of each thread of this process, by thread id.
std::map<std::string, int> NiceOfThreads()
{
    std::map<std::string, int> nice;
    for (const auto &task : std::filesystem::directory_iterator("/proc/self/task")) {
        std::ifstream stat(task.path() / "stat");
        std::string line;
        std::getline(stat, line);
        // After the name in parentheses: state, then fields 4..19; the
        // nice value is the 19th field of the line.
        std::istringstream rest(line.substr(line.rfind(')') + 2));
        std::string field;
        for (int i = 3; i <= 19 && rest >> field; ++i)
            if (i == 19)
                nice[task.path().filename().string()] = std::stoi(field);
    }
    return nice;
}

TEST_F(Recording, TheWriterGivesWayToTheRunAndTheCallerKeepsItsPriority)
{
    const int before = getpriority(PRIO_PROCESS, static_cast<id_t>(gettid()));
    ResultsRecorder recorder(Options());
    recorder.Submit(qv::testing::SampleRun());
    ASSERT_TRUE(recorder.WaitIdle(10s));
    EXPECT_EQ(getpriority(PRIO_PROCESS, static_cast<id_t>(gettid())), before);
    const auto nice = NiceOfThreads();
    EXPECT_TRUE(std::any_of(nice.begin(), nice.end(), [](const auto &thread) {
        return thread.first != std::to_string(gettid()) && thread.second == 19;
    }));
}

TEST_F(Recording, RecordsQueuedAtTheEndAreWrittenBeforeTheRecorderGoes)
{
    {
        ResultsRecorder recorder(Options());
        for (int i = 0; i < 50; ++i)
            recorder.Submit(qv::testing::SampleRun(), {},
                            i % 2 ? ResultsRecorder::Urgency::MoreFollow
                                  : ResultsRecorder::Urgency::Now);
    }
    EXPECT_EQ(Stored().size(), 50u);
}

} // namespace
