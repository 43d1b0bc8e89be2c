// The cost of recording every pass of a continuous run in the results
// database, and the opening of the journal window on a large history.
//
// Continuous runs of the largest test on the in-process simulated unit,
// with no time for its tacts unless said otherwise (thousands of passes a
// second, far more than a unit on a cable gives), on a golden board
// (failing:0) and on a board with contacts stuck in every pass (failing:1,
// so every pass records hundreds of wrong words and contacts). A run counts
// until its writer has stored every pass. Runs of 200 passes (so the start
// of each run and the writer's last records weigh in) and of 2000 (mostly
// the steady flow of passes). Goal: recording costs at most 5 % of the passes
// per second.
//
// BM_ContinuousRun*: passes per second without recording, recording into
// SQLite and into a private PostgreSQL server started here; tail_ms: how
// long, on average, the writer still worked after a run had ended. Two
// rates taken a second apart differ by up to 10 % on a virtual machine of
// two CPUs, so the goal is judged by BM_RecordingCost* (see MeasureCost):
// runs recorded and not recorded in pairs.
//
// BM_RecordingCost* runs the unit at two paces. tact_us:0 is the stress
// above: about 9 000 passes a second, every pass a row, so what the
// database does for a row (and, for PostgreSQL, the server itself, which
// shares the bench's CPUs here) is weighed against almost nothing.
// tact_us:1 gives each tact a microsecond, about 2.7 ms a pass of the
// largest test (unit_passes_per_s): faster than any real unit goes. By the
// unit's own timing defaults ("Время выполнения элементарной операции IO",
// 1.5 us a contact) one output word of 16 contacts takes 24 us to read, so
// a tact that reads a single word already takes 24 times the microsecond
// given here; the answer then comes over USB. Every continuous run an
// operator makes is slower than that, so the goal is read at tact_us:1;
// tact_us:0 tells how far the passes can speed up before recording a row
// each costs more.
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
#include <ctime>
#include <filesystem>
#include <fstream>
#include <functional>
#include <optional>
#include <sstream>
#include <string_view>
#include <unistd.h>
#include <vector>

namespace {

using namespace std::chrono_literals;

constexpr int kJournalRuns = 100'000;

std::shared_ptr<qv::sim::SimulatedUnit> Unit(bool failing, int tactMicros)
{
    qv::sim::Board board = qv::sim::DefaultBoard();
    board.behaviour.tactMicros = tactMicros;
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

// The largest test, as one test, on a tester of its own with the unit.
struct LargestOnTheUnit
{
    explicit LargestOnTheUnit(bool failing, int tactMicros = 0)
        : unit(Unit(failing, tactMicros))
    {
        tester.Create("Quorvik", [this](const std::string &) {
            return std::make_shared<qv::Portavo>(std::make_unique<qv::SimLink>(unit), "sim");
        });
        test.doc.SelectTest(0);
        test.doc.SetSolidTest(true);
    }
    std::shared_ptr<qv::sim::SimulatedUnit> unit;
    qv::TCP tester;
    qv::bench::LargestTest test;
};

void Measure(benchmark::State &state, qv::results::ResultsRecorder *recorder)
{
    LargestOnTheUnit bench(state.range(0) != 0);
    const int passLimit = static_cast<int>(state.range(1));
    std::int64_t passes = 0;
    std::chrono::duration<double, std::milli> tail{0};
    for (auto _ : state)
        passes += RecordedRun(bench.tester, bench.test.doc, recorder, passLimit, &tail);
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

double CpuSeconds()
{
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

// CPU time spent by every process named `name` on this machine (the
// private server's processes; only this benchmark starts one).
double ProcessesCpuSeconds(const std::string &name)
{
    double ticks = 0;
    std::error_code ec;
    for (const auto &entry : std::filesystem::directory_iterator("/proc", ec)) {
        std::ifstream stat(entry.path() / "stat");
        std::string line;
        if (!std::getline(stat, line))
            continue;
        const auto open = line.find('(');
        const auto close = line.rfind(')');
        if (open == std::string::npos || close == std::string::npos ||
            line.compare(open + 1, close - open - 1, name) != 0)
            continue;
        std::istringstream fields(line.substr(close + 2));
        std::string field;
        double utime = 0;
        double stime = 0;
        // After the name: state is field 3, utime 14 and stime 15.
        for (int i = 3; i <= 13 && fields >> field; ++i) {
        }
        if (fields >> utime >> stime)
            ticks += utime + stime;
    }
    return ticks / static_cast<double>(sysconf(_SC_CLK_TCK));
}

// CPU time of this process's threads named `name` (the results writer).
double ThreadsCpuSeconds(const std::string &name)
{
    double nanoseconds = 0;
    std::error_code ec;
    for (const auto &entry : std::filesystem::directory_iterator("/proc/self/task", ec)) {
        std::ifstream comm(entry.path() / "comm");
        std::string line;
        if (!std::getline(comm, line) || line != name)
            continue;
        std::ifstream schedstat(entry.path() / "schedstat");
        double onCpu = 0;
        if (schedstat >> onCpu)
            nanoseconds += onCpu;
    }
    return nanoseconds * 1e-9;
}

// Recording's cost in pairs of runs: one not recorded and one recorded, one
// right after the other, the order turning every pair. What drifts on the
// machine over seconds (other guests of the host, the clock rate) weighs
// on both runs of a pair alike, so the pairs' median ratio is much steadier
// than two rates measured a second apart. cost_pct: how much longer the
// recorded run took (the median pair); cpu_us_per_pass: the CPU time this
// process spent more a pass when recording (the writer and what the run
// does for it), writer_us_per_pass the writer thread's share of it;
// server_us_per_pass: the CPU time of the database server's
// processes a recorded pass, when it is one.
void MeasureCost(benchmark::State &state, qv::results::ResultsRecorder &recorder,
                 const std::string &server = {})
{
    LargestOnTheUnit bench(state.range(0) != 0, static_cast<int>(state.range(2)));
    const int passLimit = static_cast<int>(state.range(1));
    std::vector<double> ratios;
    double extraCpu = 0;
    double serverCpu = 0;
    double writerCpu = 0;
    double unrecordedSeconds = 0;
    std::int64_t passes = 0;
    std::chrono::duration<double, std::milli> tail{0};
    for (auto _ : state) {
        double seconds[2] = {};
        double cpu[2] = {};
        const bool recordedFirst = ratios.size() % 2 == 1;
        for (const bool recorded : {recordedFirst, !recordedFirst}) {
            const double cpuBefore = CpuSeconds();
            const double writerBefore =
                recorded ? ThreadsCpuSeconds(qv::results::ResultsRecorder::kThreadName) : 0;
            const double serverBefore =
                recorded && !server.empty() ? ProcessesCpuSeconds(server) : 0;
            const auto before = std::chrono::steady_clock::now();
            const int done = RecordedRun(bench.tester, bench.test.doc,
                                         recorded ? &recorder : nullptr, passLimit, &tail);
            seconds[recorded] =
                std::chrono::duration<double>(std::chrono::steady_clock::now() - before).count();
            cpu[recorded] = CpuSeconds() - cpuBefore;
            if (recorded)
                writerCpu +=
                    ThreadsCpuSeconds(qv::results::ResultsRecorder::kThreadName) - writerBefore;
            if (recorded && !server.empty())
                serverCpu += ProcessesCpuSeconds(server) - serverBefore;
            if (done < passLimit) {
                state.SkipWithError("a run ended before its passes were stored");
                return;
            }
            passes += recorded ? done : 0;
        }
        unrecordedSeconds += seconds[0];
        ratios.push_back(seconds[1] / seconds[0]);
        extraCpu += cpu[1] - cpu[0];
    }
    if (recorder.Spooled() > 0)
        state.SkipWithError("the database did not take the records");
    std::sort(ratios.begin(), ratios.end());
    state.counters["cost_pct"] = 100.0 * (ratios[ratios.size() / 2] - 1.0);
    // The pace of the unit: passes a second of the runs not recorded.
    state.counters["unit_passes_per_s"] = static_cast<double>(passes) / unrecordedSeconds;
    state.counters["cpu_us_per_pass"] = 1e6 * extraCpu / static_cast<double>(passes);
    state.counters["writer_us_per_pass"] = 1e6 * writerCpu / static_cast<double>(passes);
    if (!server.empty())
        state.counters["server_us_per_pass"] = 1e6 * serverCpu / static_cast<double>(passes);
    state.counters["tail_ms"] =
        benchmark::Counter(tail.count() * 2, benchmark::Counter::kAvgIterations);
}

std::unique_ptr<qv::results::ResultsRecorder> Recorder(const qv::results::DatabaseUrl &url,
                                                       const QTemporaryDir &dir)
{
    qv::results::ResultsRecorder::Options options;
    options.url = url;
    options.spoolFolder = dir.filePath("spool").toStdString();
    return std::make_unique<qv::results::ResultsRecorder>(std::move(options));
}

// A recorder into a fresh SQLite file, for the measurement.
void OnSqlite(const std::function<void(qv::results::ResultsRecorder &)> &measure)
{
    QTemporaryDir dir;
    qv::results::DatabaseUrl url;
    url.file = dir.filePath("results.sqlite").toStdString();
    auto recorder = Recorder(url, dir);
    measure(*recorder);
}

// A recorder into a private PostgreSQL server started here.
void OnPostgres(benchmark::State &state,
                const std::function<void(qv::results::ResultsRecorder &)> &measure)
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
    measure(*recorder);
}

void BM_ContinuousRunRecordedSqlite(benchmark::State &state)
{
    OnSqlite([&state](auto &recorder) { Measure(state, &recorder); });
}

void BM_RecordingCostSqlite(benchmark::State &state)
{
    OnSqlite([&state](auto &recorder) { MeasureCost(state, recorder); });
}

void BM_ContinuousRunRecordedPostgres(benchmark::State &state)
{
    OnPostgres(state, [&state](auto &recorder) { Measure(state, &recorder); });
}

void BM_RecordingCostPostgres(benchmark::State &state)
{
    OnPostgres(state, [&state](auto &recorder) { MeasureCost(state, recorder, "postgres"); });
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
          std::pair{"BM_RecordingCostSqlite", &BM_RecordingCostSqlite},
          std::pair{"BM_RecordingCostPostgres", &BM_RecordingCostPostgres},
          std::pair{"BM_JournalOpensOnALargeHistory", &BM_JournalOpensOnALargeHistory}}) {
        auto *registered = benchmark::RegisterBenchmark(name, function)
                               ->Unit(benchmark::kMillisecond)
                               ->UseRealTime();
        if (std::string_view(name).starts_with("BM_ContinuousRun"))
            registered->ArgNames({"failing", "passes"})->ArgsProduct({{0, 1}, {200, 2000}});
        // tact_us 1: the unit at a pace a real one cannot beat (see above).
        if (std::string_view(name).starts_with("BM_RecordingCost"))
            registered->ArgNames({"failing", "passes", "tact_us"})
                ->ArgsProduct({{0, 1}, {200, 2000}, {0}})
                ->ArgsProduct({{0, 1}, {200}, {1}});
        if (!minTimeGiven)
            registered->MinTime(2.0);
    }
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
