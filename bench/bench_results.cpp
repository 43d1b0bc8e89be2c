// The cost of recording every pass of a continuous run in the results
// database, and the opening of the journal window on a large history.
//
// Continuous runs of the largest test on the in-process simulated unit, on
// a golden board (failing:0, a few rows a pass) and on a board with
// contacts stuck in every pass (failing:1, so every pass records hundreds
// of wrong words and contacts): passes per second without recording,
// recording into SQLite, and recording into a private PostgreSQL server
// started here. A run counts until its writer has stored every pass. Runs
// of 200 passes (a tenth of a second, so the start of each run and the
// writer's last records weigh in) and of 2000. Goal: recording costs at
// most 5 % of the passes per second. tail_ms: how long, on average, the
// writer still worked after a run had ended.
//
// The journal window opened on 100 000 runs (count, first page, details of
// the newest run). Goal: under 300 ms.

#include "continuousrun.h"
#include "execution/link/simlink.h"
#include "execution/port/portavo.h"
#include "execution/port/testerport.h"
#include "largesttest.h"
#include "results/recordbuilder.h"
#include "results/recorder.h"
#include "results/resultsdb.h"
#include "sim/board.h"
#include "sim/unit.h"
#include "support/qt/pgserver.h"
#include "ui/results/journalmodel.h"
#include "ui/results/journalwindow.h"

#include <QApplication>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <algorithm>
#include <benchmark/benchmark.h>
#include <chrono>
#include <optional>
#include <string_view>

namespace {

using namespace std::chrono_literals;

constexpr int kJournalRuns = 100'000;

std::shared_ptr<qv::sim::SimulatedUnit> Unit(bool failing)
{
    qv::sim::Board board = qv::sim::DefaultBoard();
    board.behaviour.tactMicros = 0;
    for (int contact = 0; failing && contact < 64; contact += 2)
        board.behaviour.stuckHigh.insert(contact);
    return std::make_shared<qv::sim::SimulatedUnit>(board);
}

// One continuous run whose passes are recorded (recorder null: not
// recorded), waiting at the end until the writer has stored them all; the
// time that wait took is added to *tail.
int RecordedRun(qv::TCP &tester, qv::TQuorvik &doc, qv::results::ResultsRecorder *recorder,
                int passLimit, std::chrono::duration<double, std::milli> *tail)
{
    qv::TSettings settings;
    settings.SetOption(qv::TSettings::OptSendResultInLoop, 1);
    settings.SetOption(qv::TSettings::OptStopOnTestError, 0);
    settings.SetOption(qv::TSettings::OptCurrentControl, 0);
    qv::UnattendedRunView view(doc, {});
    qv::RunDriver::Environment env;
    env.tester = &tester;
    env.settings = &settings;
    env.view = &view;
    env.showVerdict = false;
    env.passLimit = passLimit;
    std::optional<qv::results::RunRecording> recording;
    if (recorder != nullptr) {
        qv::results::RunContext context;
        context.host = "bench";
        context.operatorName = "bench";
        context.filePath = "/bench/LARGEST.QOR";
        context.unitAddress = "sim";
        recording.emplace(*recorder, doc, context);
        env.passDecoded = [&recording](const qv::DecodedPass &pass) {
            recording->PassDecoded(pass);
        };
    }
    qv::RunDriver driver(doc, env);
    driver.StartRun();
    if (recording)
        recording->Finish(driver.Verdict()); // as the window does
    const auto ended = std::chrono::steady_clock::now();
    if (recorder != nullptr && !recorder->WaitIdle(120s))
        return 0;
    *tail += std::chrono::steady_clock::now() - ended;
    return driver.Verdict().passes;
}

void Measure(benchmark::State &state, qv::results::ResultsRecorder *recorder)
{
    auto unit = Unit(state.range(0) != 0);
    qv::TCP tester;
    tester.Create("Quorvik", [&unit](const std::string &) {
        return std::make_shared<qv::Portavo>(std::make_unique<qv::SimLink>(unit), "sim");
    });
    qv::bench::LargestTest t;
    t.doc.SelectTest(0);
    t.doc.SetSolidTest(true);
    const int passLimit = static_cast<int>(state.range(1));
    std::int64_t passes = 0;
    std::chrono::duration<double, std::milli> tail{0};
    for (auto _ : state)
        passes += RecordedRun(tester, t.doc, recorder, passLimit, &tail);
    if (passes < state.iterations() * passLimit)
        state.SkipWithError("a run ended before its passes were stored");
    if (recorder != nullptr && recorder->Spooled() > 0)
        state.SkipWithError("the database did not take the records");
    state.counters["passes"] =
        benchmark::Counter(static_cast<double>(passes), benchmark::Counter::kIsRate);
    // What the writer had left when the run ended, ms a run.
    state.counters["tail_ms"] =
        benchmark::Counter(tail.count(), benchmark::Counter::kAvgIterations);
}

void BM_ContinuousRunNotRecorded(benchmark::State &state)
{
    Measure(state, nullptr);
}

std::unique_ptr<qv::results::ResultsRecorder> Recorder(const qv::results::DatabaseUrl &url,
                                                       const QTemporaryDir &dir)
{
    qv::results::ResultsRecorder::Options options;
    options.url = url;
    options.spoolFolder = dir.filePath("spool").toStdString();
    return std::make_unique<qv::results::ResultsRecorder>(std::move(options));
}

void BM_ContinuousRunRecordedSqlite(benchmark::State &state)
{
    QTemporaryDir dir;
    qv::results::DatabaseUrl url;
    url.file = dir.filePath("results.sqlite").toStdString();
    auto recorder = Recorder(url, dir);
    Measure(state, recorder.get());
}

void BM_ContinuousRunRecordedPostgres(benchmark::State &state)
{
    qv::testing::PgServer server;
    if (!server.Ready() || !server.CreateDatabase("bench")) {
        state.SkipWithError(("PostgreSQL: " + server.Problem() + server.Output()).c_str());
        return;
    }
    std::string problem;
    const auto url = qv::results::ParseDatabaseUrl(server.Url("bench"), &problem);
    QTemporaryDir dir;
    auto recorder = Recorder(*url, dir);
    Measure(state, recorder.get());
}

// 100 000 runs of a test each, a quarter with a wrong word, written once
// per process in one transaction.
const qv::results::DatabaseUrl &LargeHistory()
{
    static QTemporaryDir dir;
    static qv::results::DatabaseUrl url;
    if (!url.file.empty())
        return url;
    url.file = dir.filePath("history.sqlite").toStdString();
    std::string problem;
    {
        auto db = qv::results::ResultsDatabase::Open(url, &problem); // the schema
    }
    {
        QSqlDatabase side = QSqlDatabase::addDatabase("QSQLITE", "fill");
        side.setDatabaseName(QString::fromStdString(url.file.string()));
        side.open();
        QSqlQuery query(side);
        query.exec("BEGIN");
        QSqlQuery run(side);
        run.prepare("INSERT INTO runs (uid, session, pass, started, ended, host, operator, serial, "
                    "file_path, file_name, file_sha256, unit_address, unit_type, unit_build, "
                    "all_tests, continuous, debug, passes, verdict, verdict_text, errors, "
                    "test_count, wrong_word_count) VALUES (?, 's', 0, ?, ?, 'bench', 'Петров', ?, "
                    "'/b/DEMO.QOR', 'DEMO.QOR', '', 'sim', 'arm', '', 0, 0, 0, 0, ?, '', ?, 1, ?)");
        // The failing runs read the same wrong word: one failure they share.
        query.exec("INSERT INTO failures (id, digest, pass_template) VALUES (1, 'bench', 0)");
        query.exec("INSERT INTO failure_words VALUES (1, 1, 'Чтение данных', 2, 170, 171)");
        QSqlQuery test(side);
        test.prepare("INSERT INTO run_test_rows (run_id, number, name, verdict, errors, "
                     "failure_id) VALUES (?, 1, 'Шина данных', ?, ?, ?)");
        for (int i = 1; i <= kJournalRuns; ++i) {
            const bool failed = i % 4 == 0;
            const QString when = QStringLiteral("2026-%1-%2T08:00:00.000Z")
                                     .arg(1 + i % 12, 2, 10, QLatin1Char('0'))
                                     .arg(1 + i % 28, 2, 10, QLatin1Char('0'));
            run.addBindValue(QStringLiteral("u%1").arg(i));
            run.addBindValue(when);
            run.addBindValue(when);
            run.addBindValue(QStringLiteral("SN%1").arg(i));
            run.addBindValue(failed ? "errors" : "passed");
            run.addBindValue(failed ? 1 : 0);
            run.addBindValue(failed ? 1 : 0);
            run.exec();
            test.addBindValue(i);
            test.addBindValue(failed ? "errors" : "passed");
            test.addBindValue(failed ? 1 : 0);
            test.addBindValue(failed ? QVariant(1) : QVariant(QMetaType(QMetaType::Int)));
            test.exec();
        }
        query.exec("COMMIT");
    }
    QSqlDatabase::removeDatabase("fill");
    return url;
}

void BM_JournalOpensOnALargeHistory(benchmark::State &state)
{
    const qv::results::DatabaseUrl &url = LargeHistory();
    for (auto _ : state) {
        qv::results_ui::JournalWindow window(url);
        if (!window.Connected() || window.Model()->rowCount() == 0) {
            state.SkipWithError("the journal did not read the history");
            return;
        }
        benchmark::DoNotOptimize(window.Details());
    }
}

} // namespace

int main(int argc, char **argv)
{
    const bool minTimeGiven = std::any_of(argv + 1, argv + argc, [](const char *arg) {
        return std::string_view(arg).starts_with("--benchmark_min_time");
    });
    for (const auto &[name, function] :
         {std::pair{"BM_ContinuousRunNotRecorded", &BM_ContinuousRunNotRecorded},
          std::pair{"BM_ContinuousRunRecordedSqlite", &BM_ContinuousRunRecordedSqlite},
          std::pair{"BM_ContinuousRunRecordedPostgres", &BM_ContinuousRunRecordedPostgres},
          std::pair{"BM_JournalOpensOnALargeHistory", &BM_JournalOpensOnALargeHistory}}) {
        auto *registered = benchmark::RegisterBenchmark(name, function)
                               ->Unit(benchmark::kMillisecond)
                               ->UseRealTime();
        if (std::string_view(name).starts_with("BM_ContinuousRun"))
            registered->ArgNames({"failing", "passes"})->ArgsProduct({{0, 1}, {200, 2000}});
        if (!minTimeGiven)
            registered->MinTime(2.0);
    }
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
