#pragma once

// The progress line of a long qortool run: on a terminal, one line on
// standard error redrawn in place (passes done of N, errors so far, time
// elapsed, passes per second) while the run window's lines scroll above
// it on standard output. Without a terminal nothing is drawn and the lines
// go straight through, so that logs hold only them.

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <thread>

namespace qortool {

// What the run has reached, as the line shows it.
struct RunProgress
{
    int passes = 0;          // results decoded so far
    std::int64_t errors = 0; // errors found in them, summed
};

// The line's text ("Прогоны: 3 из 50, ошибки: 6, время 0:01:02, 2.5 прогона/с");
// total: the passes asked for, nullopt when the run goes on until stopped.
std::string ProgressText(const RunProgress &progress, std::optional<int> total,
                         std::chrono::steady_clock::duration elapsed);

class ProgressLine
{
public:
    using Reader = std::function<RunProgress()>;

    // draw: whether the line is shown at all (a terminal, not --quiet).
    ProgressLine(bool draw, std::optional<int> total);
    ~ProgressLine(); // Finish()
    ProgressLine(const ProgressLine &) = delete;
    ProgressLine &operator=(const ProgressLine &) = delete;

    // Draws the line and keeps it up to date until Finish; read is called
    // from the line's own thread too and must be thread-safe. Once only.
    void Start(Reader read);

    // Prints one run window line on standard output, above the progress
    // line (any thread).
    void PrintLine(const std::string &line);
    // Stops redrawing and erases the line; idempotent.
    void Finish();

    // Whether standard error is a terminal.
    static bool StderrIsTerminal();

private:
    void Redraw(); // under m_mutex
    void Erase();  // under m_mutex

    const bool m_draw;
    const std::optional<int> m_total;
    Reader m_read; // empty until Start
    std::chrono::steady_clock::time_point m_started;

    std::mutex m_mutex; // the two streams and the members above and below
    std::condition_variable m_wake;
    bool m_shown = false;
    bool m_done = false;
    std::thread m_ticker; // last: started after everything it reads
};

} // namespace qortool
