// qortool run: a test (or every test) run on the diagnostics unit exactly as
// the operator's "Пуск" runs it, with the run window's lines on the console,
// a summary of the wrong output words, the end message, and a JSON record
// of the run for a production line. A continuous run may end by itself
// after a number of passes; on a terminal a long run shows a progress line.

#include "args.h"
#include "commands.h"
#include "execution/run/rundriver.h"
#include "execution/run/unattendedrunview.h"
#include "infra/plural.h"
#include "junitreport.h"
#include "model/core/records.h"
#include "model/test/stest.h"
#include "results/recordbuilder.h"
#include "resultsoptions.h"
#include "runprobe.h"
#include "runprogress.h"
#include "runreport.h"
#include "session.h"
#include "unitcommand.h"
#include "unitrunner.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <iostream>
#include <mutex>
#include <optional>
#include <string_view>
#include <thread>
#include <unistd.h>

namespace qortool {

namespace {

// Exit statuses of run.
enum RunExit : int { RunPassed = 0, RunFailedTests = 1, RunNotMade = 2 };

// Bounds of the numbers a run accepts.
constexpr int kMaxPasses = 1'000'000;
constexpr int kMaxTimeoutMs = 3'600'000;

std::atomic<bool> g_interrupted{false};

extern "C" void OnInterrupt(int)
{
    g_interrupted = true;
}

struct RunRequest
{
    std::optional<int> test; // 1-based; nullopt = all tests
    bool continuous = false;
    int passes = 0;
    bool debug = false;
    int cycle = 1, first = 1, last = 0; // last 0: the test's last tact
    std::string address{"sim"};
    std::optional<int> timeoutMs;
    int answer = 1;
    bool keepGoing = false;
    bool quiet = false;
    std::optional<std::string> report;
    std::optional<std::string> junit;
    std::optional<std::string> probe;                 // "sim", "ftdi", "d2xx"
    std::optional<qv::results::DatabaseUrl> database; // record the run there
    std::string serial;
    std::string operatorName;
};

// Presses Esc in the run window once Ctrl+C came: the run stops and the unit
// gets its cancel wait (2 s) to answer. A run that has not ended within
// kInterruptGrace after Ctrl+C (stuck anywhere else) or a second Ctrl+C ends
// the program at once with kExitInterrupted: Ctrl+C always gives the
// terminal back.
class InterruptWatch
{
public:
    explicit InterruptWatch(qv::UnattendedRunView &view)
        : m_thread([this, &view] { Watch(view); })
    {
        m_previous = std::signal(SIGINT, OnInterrupt);
    }
    ~InterruptWatch()
    {
        std::signal(SIGINT, m_previous);
        {
            const std::lock_guard lock(m_mutex);
            m_done = true;
        }
        m_wake.notify_one(); // the end of a run does not wait for a poll
        m_thread.join();
    }
    InterruptWatch(const InterruptWatch &) = delete;
    InterruptWatch &operator=(const InterruptWatch &) = delete;

private:
    static constexpr auto kInterruptGrace = std::chrono::milliseconds(2500);
    static constexpr int kExitInterrupted = 130; // the shell's 128 + SIGINT

    void Watch(qv::UnattendedRunView &view)
    {
        std::optional<std::chrono::steady_clock::time_point> pressed;
        std::unique_lock lock(m_mutex);
        while (!m_done) {
            if (g_interrupted.exchange(false)) {
                if (pressed)
                    Quit();
                pressed = std::chrono::steady_clock::now();
                lock.unlock(); // the view is the run's: never wait on it holding m_mutex
                view.PressEscape();
                lock.lock();
            }
            if (pressed && std::chrono::steady_clock::now() - *pressed > kInterruptGrace)
                Quit();
            // A signal handler may not wake a waiter: Ctrl+C is polled.
            m_wake.wait_for(lock, std::chrono::milliseconds(50), [this] { return m_done; });
        }
    }

    [[noreturn]] static void Quit()
    {
        static constexpr std::string_view kText = "qortool run: прервано (Ctrl+C)\n";
        (void)!::write(STDERR_FILENO, kText.data(), kText.size());
        std::_Exit(kExitInterrupted);
    }

    std::mutex m_mutex;
    std::condition_variable m_wake;
    bool m_done = false; // guarded by m_mutex
    std::thread m_thread;
    void (*m_previous)(int) = SIG_DFL;
};

// Reads an integer option from low (up to high, when given) into *value,
// which keeps its default when the option is absent; false after the usage
// error.
bool ReadNumber(const Command &command, const ParsedArgs &parsed, const std::string &option,
                int low, std::optional<int> high, std::string_view what, int *value)
{
    const auto text = parsed.Value(option);
    if (!text)
        return true;
    const auto number = ParseInt(*text);
    if (!number || *number < low || (high && *number > *high)) {
        std::string range = " от " + std::to_string(low);
        if (high)
            range += " до " + std::to_string(*high);
        UsageError(command, option + ": " + std::string(what) + range + ", а не \"" + *text + "\"");
        return false;
    }
    *value = *number;
    return true;
}

// --debug and its cycle and tacts; false after the usage error.
bool ReadDebugRange(const Command &command, const ParsedArgs &parsed, RunRequest &request)
{
    request.debug = parsed.Has("--debug");
    if (request.debug && !request.test) {
        UsageError(command, "отладка возможна только для одного теста");
        return false;
    }
    for (const char *option : {"--cycle", "--first", "--last"}) {
        if (parsed.Value(option) && !request.debug) {
            UsageError(command, std::string(option) + " только вместе с --debug");
            return false;
        }
    }
    return ReadNumber(command, parsed, "--cycle", 1, std::nullopt, "номер цикла", &request.cycle) &&
           ReadNumber(command, parsed, "--first", 1, std::nullopt, "номер такта", &request.first) &&
           ReadNumber(command, parsed, "--last", 1, std::nullopt, "номер такта", &request.last);
}

// --db and what goes with it into the record; false after the usage error.
bool ReadRecording(const Command &command, const ParsedArgs &parsed, RunRequest &request)
{
    if (!parsed.Value("--db")) {
        for (const char *option : {"--serial", "--operator", "--spool"}) {
            if (parsed.Value(option)) {
                UsageError(command, std::string(option) + " только вместе с --db");
                return false;
            }
        }
        return true;
    }
    request.database = DatabaseOption(command, parsed);
    if (!request.database)
        return false;
    request.serial = parsed.Value("--serial").value_or("");
    request.operatorName = parsed.Value("--operator").value_or(qv::results::SystemUser());
    return true;
}

std::optional<RunRequest> ParseRequest(const Command &command, const ParsedArgs &parsed)
{
    RunRequest request;
    if (parsed.Value("--test") && parsed.Has("--all")) {
        UsageError(command, "нужен либо --test N, либо --all");
        return std::nullopt;
    }
    if (!parsed.Has("--all")) {
        int test = 1;
        if (!ReadNumber(command, parsed, "--test", 1, qv::kMaxTests, "номер теста", &test))
            return std::nullopt;
        request.test = test;
    }
    request.continuous = parsed.Has("--continuous");
    if (!ReadNumber(command, parsed, "--passes", 1, kMaxPasses, "число прогонов", &request.passes))
        return std::nullopt;
    if (parsed.Value("--passes") && !request.continuous) {
        UsageError(command, "--passes только вместе с --continuous");
        return std::nullopt;
    }
    if (!ReadDebugRange(command, parsed, request))
        return std::nullopt;
    int timeout = 0;
    if (!ReadNumber(command, parsed, "--timeout", 1, kMaxTimeoutMs, "время ожидания в мс",
                    &timeout))
        return std::nullopt;
    if (timeout > 0)
        request.timeoutMs = timeout;
    if (const auto unit = parsed.Value("--unit"))
        request.address = *unit;
    if (const auto board = parsed.Value("--board")) {
        if (request.address != "sim") {
            UsageError(command, "--board задаёт плату симулятора и годится только с --unit sim");
            return std::nullopt;
        }
        request.address = "sim:" + *board;
    }
    const std::string answer = parsed.Value("--answer").value_or("yes");
    if (answer != "yes" && answer != "no") {
        UsageError(command, "--answer: yes или no");
        return std::nullopt;
    }
    request.answer = answer == "yes" ? 1 : 0;
    request.keepGoing = parsed.Has("--keep-going");
    request.quiet = parsed.Has("--quiet");
    request.report = parsed.Value("--report");
    request.junit = parsed.Value("--junit");
    if (const auto probe = parsed.Value("--probe")) {
        if (*probe != "sim" && *probe != "ftdi" && *probe != "d2xx") {
            UsageError(command, "--probe: sim, ftdi или d2xx");
            return std::nullopt;
        }
        if (!request.test) {
            UsageError(command, "--probe годится только для одного теста");
            return std::nullopt;
        }
        request.probe = probe;
    }
    return ReadRecording(command, parsed, request) ? std::optional(request) : std::nullopt;
}

// Sets the document up for the request; false after printing why not.
bool PrepareDocument(const Command &command, qv::TQuorvik &doc, const RunRequest &request)
{
    if (request.test && *request.test > doc.Doc().NTest) {
        Refused(command.name, "в файле " + qv::Counted(doc.Doc().NTest, qv::kTestNoun) +
                                  ", --test вне этого диапазона");
        return false;
    }
    doc.SelectTest(request.test ? *request.test - 1 : -1);
    doc.SetSolidTest(request.continuous);
    if (!request.debug)
        return true;
    qv::STest &test = *doc.Test(doc.CurrentTest());
    const int last = request.last > 0 ? request.last : test.Tacts.TactCount();
    if (request.cycle > test.Cycles || request.first > last || last > test.Tacts.TactCount()) {
        Refused(command.name, "цикл или такты отладки вне диаграммы теста");
        return false;
    }
    doc.StoreModeFlag(qv::DocumentMode::Debug, true);
    test.ActiveCycle = request.cycle - 1;
    test.DebugFirst = request.first - 1;
    test.DebugLast = last - 1;
    return true;
}

int ExitFor(const qv::RunVerdict &verdict)
{
    switch (verdict.kind) {
    case qv::RunVerdict::Passed:
        return RunPassed;
    case qv::RunVerdict::Errors:
    case qv::RunVerdict::Interrupted:
        return RunFailedTests;
    default:
        return RunNotMade;
    }
}

} // namespace

int RunRun(std::span<const std::string> args)
{
    const Command &command = CommandNamed("run");
    std::set<std::string> values = kSessionValueOptions;
    values.insert({"--test", "--passes", "--cycle", "--first", "--last", "--unit", "--board",
                   "--answer", "--report", "--junit", "--timeout", "--probe", "--db", "--serial",
                   "--operator", "--spool"});
    std::set<std::string> flags = kSessionFlagOptions;
    flags.insert({"--all", "--continuous", "--debug", "--keep-going", "--quiet"});
    const auto parsed = ParseCommandArgs(command, args, values, flags, 1, "нужен один файл тестов");
    if (!parsed)
        return ExitUsage;
    const auto request = ParseRequest(command, *parsed);
    if (!request)
        return ExitUsage;

    const auto app = EnsureCoreApplication();

    Session session(*parsed);
    qv::TQuorvik &doc = session.Document();
    const std::string &path = parsed->positional.front();
    if (!session.Load(path)) {
        Refused(command.name, "файл не загружен");
        return RunNotMade;
    }
    if (!PrepareDocument(command, doc, *request))
        return RunNotMade;

    // The probe records the test's active V-function (or its first) along
    // with the run.
    std::unique_ptr<ConsoleProbe> probe;
    std::optional<int> vChoice;
    if (request->probe) {
        probe = std::make_unique<ConsoleProbe>(doc, *request->probe,
                                               [&request](const std::string &line) {
                                                   if (!request->quiet)
                                                       std::cout << line << std::endl;
                                               });
        vChoice = probe->Choice();
        if (!vChoice) {
            Refused(command.name, "в тесте нет V-функций для записи осциллограммы");
            return RunNotMade;
        }
        if (!probe->Bind())
            return RunNotMade;
    }

    // The recorder writes on a thread of its own and outlives the run: what
    // is still queued at the end is written (or spooled) before the exit.
    std::unique_ptr<qv::results::ResultsRecorder> recorder;
    std::unique_ptr<qv::results::RunRecording> recording;
    UnitRunSetup setup;
    setup.address = request->address;
    setup.probe = probe ? &probe->Probe() : nullptr;
    setup.timeoutMs = request->timeoutMs;
    setup.keepGoing = request->keepGoing;
    setup.passLimit = request->passes;
    std::optional<UnitRunner> runnerSlot;
    if (request->database) {
        recorder = MakeRecorder(command, *request->database, *parsed);
        qv::results::RunContext context;
        context.host = qv::results::HostName();
        context.operatorName = request->operatorName;
        context.serial = request->serial;
        context.filePath = std::filesystem::absolute(std::filesystem::u8path(path)).string();
        context.fileSha256 = qv::results::FileSha256(path);
        context.unitAddress = request->address;
        recording = std::make_unique<qv::results::RunRecording>(
            *recorder, doc, context,
            [&runnerSlot] { return runnerSlot ? runnerSlot->BuildInfo() : std::string(); },
            [&runnerSlot] { return !runnerSlot || runnerSlot->DosUnit(); });
        setup.passDecoded = [&recording](const qv::DecodedPass &pass) {
            recording->PassDecoded(pass);
        };
    }
    UnitRunner &runner = runnerSlot.emplace(setup);
    if (!runner.Ready())
        return RunNotMade;

    const bool longRun = request->continuous || !request->test;
    std::optional<int> total;
    if (!request->continuous)
        total = 1;
    else if (request->passes > 0)
        total = request->passes;
    ProgressLine progress(longRun && !request->quiet && ProgressLine::StderrIsTerminal(), total);
    qv::UnattendedRunView::Options viewOptions;
    viewOptions.answer = request->answer;
    viewOptions.vChoice = vChoice.value_or(0);
    qv::UnattendedRunView::LineSink sink;
    if (!request->quiet)
        sink = [&progress](const std::string &line) { progress.PrintLine(line); };
    qv::UnattendedRunView view(doc, viewOptions, sink);
    progress.Start([&view] {
        const auto tally = view.ResultsSoFar();
        return RunProgress{tally.results, tally.errors};
    });
    // The line reads the view: it ends before the view goes, however the run ends.
    struct FinishProgress
    {
        ProgressLine &line;
        ~FinishProgress() { line.Finish(); }
    } finishProgress{progress};

    const auto started = std::chrono::system_clock::now();
    qv::RunVerdict verdict;
    {
        InterruptWatch watch(view);
        verdict = runner.Run(doc, view);
    }
    const auto finished = std::chrono::system_clock::now();
    progress.Finish();
    if (recording)
        recording->Finish(verdict);

    if (!request->quiet)
        PrintRunSummary(std::cout, doc, verdict);
    if (!verdict.text.empty())
        std::cout << verdict.text << std::endl;
    else
        std::cout << "Запуск не выполнен" << std::endl;
    if (probe)
        if (const auto line = probe->CapturesLine())
            std::cout << *line << std::endl;

    RunReportInfo info;
    info.file = path;
    info.address = request->address;
    info.buildInfo = runner.BuildInfo();
    info.started = started;
    info.finished = finished;
    if (request->report &&
        WriteResult(command.name, *request->report, RunReportJson(doc, verdict, info)) != ExitOk)
        return RunNotMade;
    if (request->junit &&
        WriteResult(command.name, *request->junit, JUnitReport(doc, verdict, info)) != ExitOk)
        return RunNotMade;
    return ExitFor(verdict);
}

} // namespace qortool
