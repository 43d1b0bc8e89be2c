// The records of a continuous run's passes, as the results database keeps
// them: made once for each distinct way a pass went wrong and shared by the
// passes that went wrong the same way, they must hold exactly what a record
// made afresh from that pass's own results holds.

#include "execution/port/testerport.h"
#include "execution/run/decodedpass.h"
#include "execution/run/rundriver.h"
#include "execution/run/unattendedrunview.h"
#include "infra/notice.h"
#include "model/settings/settings.h"
#include "results/recordbuilder.h"
#include "results/recorder.h"
#include "results/resultsdb.h"
#include "results/spool.h"
#include "support/execution/demoonsim.h"
#include "support/execution/unitfixture.h"
#include "support/model/docbuilder.h"

#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <thread>
#include <tuple>

namespace qv::testing {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

// The failures the database keeps, each once (read past the program's
// own reading, as a person with the SQLite shell would).
int FailuresIn(const fs::path &file)
{
    int count = -1;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", "failures-count");
        db.setDatabaseName(QString::fromStdString(file.string()));
        QSqlQuery query(db);
        if (db.open() && query.exec("SELECT COUNT(*) FROM failures") && query.next())
            count = query.value(0).toInt();
    }
    QSqlDatabase::removeDatabase("failures-count");
    return count;
}

// The database gives a test's wrong words and contacts back in the order
// of their numbers.
std::vector<results::TestResult> InStoredOrder(std::vector<results::TestResult> tests)
{
    for (results::TestResult &test : tests) {
        std::sort(test.wrongWords.begin(), test.wrongWords.end(),
                  [](const results::WrongWord &a, const results::WrongWord &b) {
                      return std::tie(a.word, a.cycle) < std::tie(b.word, b.cycle);
                  });
        std::sort(test.contacts.begin(), test.contacts.end(),
                  [](const results::FailingContact &a, const results::FailingContact &b) {
                      return std::tie(a.contact, a.word, a.bit) <
                             std::tie(b.contact, b.word, b.bit);
                  });
    }
    return tests;
}

// The demo board's first test run continuously on a simulated unit made
// from `board`, every pass recorded into SQLite; beside each record, the
// one made the long way from the same pass.
class ContinuousRecording
{
public:
    explicit ContinuousRecording(const std::string &board)
    {
        const fs::path root = dir.path().toStdString();
        CopyDemoBoard(root);
        EXPECT_TRUE(d.doc.LoadFile((root / "DEMO.QOR").string()));
        tester.SetNotices(MessageBoxNotices());
        unit = AttachSimulatedUnit(tester, board);
        settings.SetOption(TSettings::OptCurrentControl, 0);
        settings.SetOption(TSettings::OptSendResultInLoop, 1);
        settings.SetOption(TSettings::OptStopOnTestError, 0);
        d.doc.SelectTest(0);
        d.doc.SetSolidTest(true);
        url.file = root / "results.sqlite";
    }

    // Runs `passes` passes; the records as stored, oldest first, or as
    // spooled when the database is out.
    std::vector<results::RunRecord> Run(int passes, bool databaseOut = false)
    {
        results::ResultsRecorder::Options options;
        options.url = url;
        options.spoolFolder = spoolFolder;
        // Only the end of the run has the last passes written.
        options.gather = std::chrono::hours(1);
        results::ResultsRecorder recorder(options);
        results::RunContext context;
        context.host = "bench-7";
        context.operatorName = "Петров";
        context.serial = "SN-1";
        context.filePath = "/boards/DEMO.QOR";
        context.unitAddress = "sim";
        results::RunRecording recording(recorder, d.doc, context);

        UnattendedRunView view(d.doc, {});
        RunDriver::Environment env;
        env.tester = &tester;
        env.settings = &settings;
        env.view = &view;
        env.showVerdict = false;
        env.passLimit = passes;
        env.passDecoded = [this, &recording, &context](const DecodedPass &pass) {
            recording.PassDecoded(pass);
            // The long way: the pass's own verdict, diagnosed, then recorded.
            RunVerdict verdict = pass.Verdict();
            if (verdict.failingPasses > 0) {
                verdict.diagnosis = DiagnoseVerdict(d.doc, verdict);
                for (diagnosis::Hypothesis &h : verdict.diagnosis.hypotheses)
                    h.passes = {pass.Number()};
            }
            expected.push_back(results::RecordOf(d.doc, verdict, context));
        };
        RunDriver driver(d.doc, env);
        EXPECT_TRUE(driver.StartRun());
        recording.Finish(driver.Verdict());
        const auto deadline = std::chrono::steady_clock::now() + 30s;
        while (recorder.Written() + recorder.Spooled() < static_cast<std::size_t>(passes) &&
               std::chrono::steady_clock::now() < deadline)
            std::this_thread::sleep_for(10ms);
        if (databaseOut) {
            EXPECT_EQ(recorder.Spooled(), static_cast<std::size_t>(passes));
            std::vector<results::RunRecord> spooled;
            const results::Spool spool(spoolFolder);
            for (const fs::path &file : spool.Waiting())
                if (auto record = spool.Read(file))
                    spooled.push_back(std::move(*record));
            return spooled;
        }
        EXPECT_EQ(recorder.Written(), static_cast<std::size_t>(passes));
        EXPECT_EQ(recorder.Spooled(), 0u);

        std::string problem;
        auto db = results::ResultsDatabase::Open(url, &problem);
        EXPECT_TRUE(db) << problem;
        if (!db)
            return {};
        std::vector<results::RunRecord> stored = db->Runs({}, 1000, 0, true);
        std::reverse(stored.begin(), stored.end());
        return stored;
    }

    QTemporaryDir dir;
    RecordedMessages messages;
    DocBuilder d;
    std::shared_ptr<sim::SimulatedUnit> unit;
    TCP tester;
    TSettings settings;
    results::DatabaseUrl url;
    fs::path spoolFolder = fs::path(dir.path().toStdString()) / "spool";
    std::vector<results::RunRecord> expected; // made the long way, pass by pass
};

TEST(PassRecords, PassesThatFailDifferentlyAndAlikeAreEachStoredAsTheirOwnResultsRead)
{
    // The stuck contact acts in every third pass, the short in every pass:
    // two ways of failing that come back again and again.
    ContinuousRecording run("[Board]\nTactTime=0\nStuckHigh=1\nStuckEvery=3\nBridgedAnd=3-4\n");
    constexpr int kPasses = 9;
    const std::vector<results::RunRecord> stored = run.Run(kPasses);
    ASSERT_EQ(stored.size(), static_cast<std::size_t>(kPasses));
    ASSERT_EQ(run.expected.size(), stored.size());

    std::vector<std::vector<results::TestResult>> ways;
    std::set<std::string> uids;
    for (std::size_t i = 0; i < stored.size(); ++i) {
        const results::RunRecord &record = stored[i];
        const results::RunRecord &made = run.expected[i];
        SCOPED_TRACE("pass " + std::to_string(i + 1));
        EXPECT_EQ(record.pass, static_cast<int>(i + 1));
        EXPECT_EQ(record.passes, record.pass);
        EXPECT_EQ(record.session, stored.front().session);
        EXPECT_EQ(record.verdict, made.verdict);
        EXPECT_EQ(record.host, "bench-7");
        EXPECT_EQ(record.operatorName, "Петров");
        EXPECT_EQ(record.serial, "SN-1");
        EXPECT_EQ(record.unitType, "dos"); // the unit's type unknown: MS-DOS
        EXPECT_TRUE(record.continuous);
        EXPECT_LE(record.started, record.ended);
        if (i > 0) {
            EXPECT_EQ(record.started, stored[i - 1].ended);
        }
        EXPECT_EQ(InStoredOrder(record.tests), InStoredOrder(made.tests));
        uids.insert(record.uid);
        std::vector<results::TestResult> way = record.tests;
        for (results::TestResult &test : way)
            test.diagnosis.clear(); // it names the pass
        if (std::find(ways.begin(), ways.end(), way) == ways.end())
            ways.push_back(way);
    }
    EXPECT_EQ(uids.size(), stored.size());
    // Both ways of failing were met, and each more than once.
    EXPECT_EQ(ways.size(), 2u);
    EXPECT_EQ(stored[2].verdict, "errors");
    EXPECT_NE(stored[2].tests, stored[3].tests);
    EXPECT_NE(stored[2].tests.front().diagnosis.find("\"passes\": [3]"), std::string::npos);
    EXPECT_NE(stored[5].tests.front().diagnosis.find("\"passes\": [6]"), std::string::npos);

    // The passes stored each way of failing once; the same passes made the
    // long way and written as records of their own find those failures
    // and add none.
    std::string problem;
    auto db = results::ResultsDatabase::Open(run.url, &problem);
    ASSERT_TRUE(db) << problem;
    EXPECT_EQ(FailuresIn(run.url.file), 2);
    for (std::size_t i = 0; i < run.expected.size(); ++i) {
        run.expected[i].uid = results::NewUid();
        run.expected[i].pass = static_cast<int>(i + 1);
    }
    ASSERT_TRUE(db->WriteBatch(run.expected, &problem)) << problem;
    EXPECT_EQ(db->Count({}), 2 * kPasses);
    EXPECT_EQ(FailuresIn(run.url.file), 2);
}

TEST(PassRecords, PassesThatWaitInTheSpoolAreStoredAsTheyWouldHaveBeenWithoutTheOutage)
{
    ContinuousRecording run("[Board]\nTactTime=0\nStuckHigh=1\nStuckEvery=3\nBridgedAnd=3-4\n");
    // The database's folder is a file: nothing can be opened there.
    const fs::path folder = fs::path(run.dir.path().toStdString()) / "db";
    std::ofstream(folder) << "not a folder";
    run.url.file = folder / "results.sqlite";
    constexpr int kPasses = 6;
    const std::vector<results::RunRecord> spooled = run.Run(kPasses, true);
    ASSERT_EQ(spooled.size(), static_cast<std::size_t>(kPasses));
    for (std::size_t i = 0; i < spooled.size(); ++i) {
        SCOPED_TRACE("pass " + std::to_string(i + 1));
        EXPECT_EQ(spooled[i].pass, static_cast<int>(i + 1));
        EXPECT_EQ(spooled[i].tests, run.expected[i].tests);
    }

    // The database back: the spool is written, and the passes find the
    // same two ways of failing as passes written at once would.
    fs::remove(folder);
    fs::create_directories(folder);
    results::ResultsRecorder::Options options;
    options.url = run.url;
    options.spoolFolder = run.spoolFolder;
    {
        results::ResultsRecorder recorder(options);
        ASSERT_TRUE(recorder.WaitIdle(30s));
        EXPECT_EQ(recorder.Written(), static_cast<std::size_t>(kPasses));
    }
    std::string problem;
    auto db = results::ResultsDatabase::Open(run.url, &problem);
    ASSERT_TRUE(db) << problem;
    std::vector<results::RunRecord> stored = db->Runs({}, 100, 0, true);
    std::reverse(stored.begin(), stored.end());
    ASSERT_EQ(stored.size(), static_cast<std::size_t>(kPasses));
    for (std::size_t i = 0; i < stored.size(); ++i)
        EXPECT_EQ(InStoredOrder(stored[i].tests), InStoredOrder(run.expected[i].tests));
    EXPECT_EQ(FailuresIn(run.url.file), 2);
}

TEST(PassRecords, AGoldenBoardsPassesAreStoredAsPassedWithNothingWrong)
{
    ContinuousRecording run("[Board]\nTactTime=0\n");
    const std::vector<results::RunRecord> stored = run.Run(4);
    ASSERT_EQ(stored.size(), 4u);
    for (std::size_t i = 0; i < stored.size(); ++i) {
        EXPECT_EQ(stored[i].verdict, "passed");
        EXPECT_EQ(stored[i].pass, static_cast<int>(i + 1));
        EXPECT_EQ(InStoredOrder(stored[i].tests), InStoredOrder(run.expected[i].tests));
        EXPECT_EQ(stored[i].WrongWordCount(), 0);
    }
}

} // namespace
} // namespace qv::testing
