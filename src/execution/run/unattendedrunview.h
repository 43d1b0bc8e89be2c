#pragma once

// UnattendedRunView: the run window without a screen, for the command-line
// tool and the tests. It presses "OK" at once, keeps a small event loop on
// the thread that called Exec (tasks posted by the run thread, the close
// timer), presses Esc when asked from any thread (Ctrl+C) or after a
// number of passes, answers the unit's questions with a fixed answer and
// reports every visible effect as a line.

#include "execution/run/headtaillog.h"
#include "execution/run/runsession.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace qv {

class UnattendedRunView final : public RunView
{
public:
    struct Options
    {
        int answer = 1;            // the answer to the unit's questions: 1 go on, 0 stop
        int escapeAfterPasses = 0; // 0: never
        // Esc as soon as the status line reads this (empty: never); for
        // stopping a run part-way in tests.
        std::string escapeOnStatus;
        bool cancelOnStartPage = false; // "Отмена" instead of "OK"
        // The V-function chosen on the start page: its position in the test's
        // list, from 1 (0: none, the probe stays out of the run).
        int vChoice = 0;
    };
    // Each visible effect as a line ("Статус: ...", "Прогон: 3", ...); may
    // be called from any thread, one call at a time.
    using LineSink = std::function<void(const std::string &line)>;

    UnattendedRunView(TQuorvik &doc, Options options, LineSink sink = {});

    // Any thread: presses Esc at the next turn of the loop.
    void PressEscape();

    void Exec(RunSession &session) override;
    void ShowWorkPage(bool continuous) override;
    void ShowStopPanel(bool visible) override;
    void ShowCloseButton(bool visible) override;
    void CloseWindow() override;
    void CloseAfter(int ms) override;
    void Post(std::function<void()> task) override;
    void RunOnWindowThread(const std::function<void()> &task) override;
    void ShowStatus(const std::string &text) override;
    void ShowActivity(ActivityPicture picture) override;
    void ShowPassCounter(int passes) override;
    void ShowProgress(std::optional<int> percent) override;
    void ShowMFunctionProgress(const MFunctionProgress &progress) override;
    int AskQuestion(QuestionKind kind, std::span<const std::uint8_t> record) override;
    void ShowResults(ResultStage stage) override;
    void TestDecoded(int testIndex, bool hasErrors) override;

    // Results decoded in the current run so far and the errors they held,
    // summed over the passes; for a progress line (any thread).
    struct Tally
    {
        int results = 0;
        std::int64_t errors = 0;
    };
    Tally ResultsSoFar() const;

    // What was shown, for the tests. A run of many passes keeps the first
    // and the latest kKeptHead/kKeptTail entries of each (the memory of an
    // hours-long run stays bounded); StatusesDropped() counts the rest.
    static constexpr std::size_t kKeptHead = 256;
    static constexpr std::size_t kKeptTail = 256;
    std::vector<std::string> Statuses() const;
    std::size_t StatusesDropped() const;
    std::vector<std::string> Questions() const;
    std::vector<std::pair<int, bool>> DecodedTests() const;

private:
    void Emit(const std::string &line);

    TQuorvik &m_doc;
    Options m_options;
    LineSink m_sink;

    mutable std::mutex m_mutex;
    std::condition_variable m_wake;
    std::deque<std::function<void()>> m_tasks;
    std::optional<std::chrono::steady_clock::time_point> m_closeAt;
    bool m_closed = false;
    bool m_escapeWanted = false;
    HeadTailLog<std::string> m_statuses{kKeptHead, kKeptTail};
    HeadTailLog<std::string> m_questions{kKeptHead, kKeptTail};
    HeadTailLog<std::pair<int, bool>> m_decoded{kKeptHead, kKeptTail};
    std::mutex m_sinkMutex;
    int m_lastPercent = -1;
    std::atomic<int> m_results{0};
    std::atomic<std::int64_t> m_errors{0};
};

} // namespace qv
