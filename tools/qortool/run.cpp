// qortool run: a test (or every test) run on the diagnostics unit exactly as
// the operator's "Пуск" runs it, with the run window's lines on the console,
// a summary of the wrong output words, the end message, and a JSON record
// of the run for a production line.

#include "args.h"
#include "commands.h"
#include "execution/rundriver.h"
#include "execution/unattendedrunview.h"
#include "model/stest.h"
#include "runreport.h"
#include "session.h"
#include "unitcommand.h"
#include "unitrunner.h"

#include <atomic>
#include <chrono>
#include <csignal>
#include <iostream>
#include <thread>

namespace qortool {

namespace {

// Exit statuses of run.
enum RunExit : int { RunPassed = 0, RunFailedTests = 1, RunNotMade = 2 };

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
    int cycle = 1, first = 1, last = 0;
    std::string address{"sim"};
    int answer = 1;
    bool keepGoing = false;
    std::optional<std::string> report;
};

// Presses Esc in the run window once Ctrl+C came.
class InterruptWatch
{
public:
    explicit InterruptWatch(qv::UnattendedRunView &view)
        : m_thread([this, &view] {
            while (!m_done) {
                if (g_interrupted.exchange(false))
                    view.PressEscape();
                std::this_thread::sleep_for(std::chrono::milliseconds(50));
            }
        })
    {
        m_previous = std::signal(SIGINT, OnInterrupt);
    }
    ~InterruptWatch()
    {
        std::signal(SIGINT, m_previous);
        m_done = true;
        m_thread.join();
    }
    InterruptWatch(const InterruptWatch &) = delete;
    InterruptWatch &operator=(const InterruptWatch &) = delete;

private:
    std::atomic<bool> m_done{false};
    std::thread m_thread;
    void (*m_previous)(int) = SIG_DFL;
};

std::optional<RunRequest> ParseRequest(const Command &command, const ParsedArgs &parsed)
{
    RunRequest request;
    if (parsed.Value("--test") && parsed.Has("--all")) {
        UsageError(command, "нужен либо --test N, либо --all");
        return std::nullopt;
    }
    if (!parsed.Has("--all"))
        request.test = IntOption(parsed, "--test", 1).value_or(1);
    if (request.test && *request.test < 1) {
        UsageError(command, "--test: номер теста от 1");
        return std::nullopt;
    }
    request.continuous = parsed.Has("--continuous");
    request.passes = IntOption(parsed, "--passes", 1).value_or(0);
    if (parsed.Value("--passes") && (request.passes < 1 || !request.continuous)) {
        UsageError(command, "--passes N (от 1) только вместе с --continuous");
        return std::nullopt;
    }
    request.debug = parsed.Has("--debug");
    if (request.debug && !request.test) {
        UsageError(command, "отладка возможна только для одного теста");
        return std::nullopt;
    }
    request.cycle = IntOption(parsed, "--cycle", 1).value_or(1);
    request.first = IntOption(parsed, "--first", 1).value_or(1);
    request.last = IntOption(parsed, "--last", 1).value_or(0);
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
    request.report = parsed.Value("--report");
    return request;
}

// Sets the document up for the request; false after printing why not.
bool PrepareDocument(const Command &command, qv::TQuorvik &doc, const RunRequest &request)
{
    if (request.test && *request.test > doc.Doc.NTest) {
        Refused(command.name,
                "в файле " + std::to_string(doc.Doc.NTest) + " тестов, --test вне этого диапазона");
        return false;
    }
    doc.CurrentTest = request.test ? *request.test - 1 : -1;
    doc.SolidTest = request.continuous;
    if (!request.debug)
        return true;
    qv::STest &test = *doc.Test(doc.CurrentTest);
    const int last = request.last > 0 ? request.last : test.Tacts.TactCount();
    if (request.cycle > test.Cycles || request.first > last || last > test.Tacts.TactCount()) {
        Refused(command.name, "цикл или такты отладки вне диаграммы теста");
        return false;
    }
    doc.DebugMode = true;
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
                   "--answer", "--report", "--timeout"});
    std::set<std::string> flags = kSessionFlagOptions;
    flags.insert({"--all", "--continuous", "--debug", "--keep-going"});
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

    UnitRunSetup setup;
    setup.address = request->address;
    setup.timeoutMs = IntOption(*parsed, "--timeout", 1);
    setup.keepGoing = request->keepGoing;
    UnitRunner runner(setup);
    if (!runner.Ready())
        return RunNotMade;

    qv::UnattendedRunView::Options viewOptions;
    viewOptions.answer = request->answer;
    viewOptions.escapeAfterPasses = request->passes;
    qv::UnattendedRunView view(doc, viewOptions,
                               [](const std::string &line) { std::cout << line << std::endl; });

    const auto started = std::chrono::system_clock::now();
    qv::RunVerdict verdict;
    {
        InterruptWatch watch(view);
        verdict = runner.Run(doc, view);
    }
    const auto finished = std::chrono::system_clock::now();

    PrintRunSummary(std::cout, doc, verdict);
    if (!verdict.text.empty())
        std::cout << verdict.text << std::endl;
    else
        std::cout << "Запуск не выполнен" << std::endl;

    if (request->report) {
        RunReportInfo info;
        info.file = path;
        info.address = request->address;
        info.buildInfo = runner.BuildInfo();
        info.started = started;
        info.finished = finished;
        const int written =
            WriteResult(command.name, *request->report, RunReportJson(doc, verdict, info));
        if (written != ExitOk)
            return RunNotMade;
    }
    return ExitFor(verdict);
}

} // namespace qortool
