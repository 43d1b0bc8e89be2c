#pragma once

// The message-box service. Every operator message of every subsystem goes
// through one TMesbo, so that what a Part shows can be asserted in tests and
// answered from a script on the command line.

#include <chrono>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace qv {

// Flag words: the icon and the buttons of a message.
enum MbFlags : int {
    MbError = 16,            // error icon, OK
    MbErrorRetryCancel = 21, // error icon, Retry and Cancel
    MbQuestion = 36,         // question icon, Yes and No
    MbWarning = 48,          // warning icon, OK
    MbInformation = 64,      // information icon, OK
};

// Pressed buttons.
enum MbResult : int { MbOk = 1, MbCancel = 2, MbRetry = 4, MbYes = 6, MbNo = 7 };

// The button a dialog offers first (what Enter presses) for a flag word.
int DefaultButton(int flags);

class TMesbo
{
public:
    virtual ~TMesbo() = default;
    // Shows a modal message and returns the pressed button (MbResult).
    virtual int Show(const std::string &text, int flags, const std::string &caption) = 0;
};

// A message box that shows nothing: it records every message and answers from
// a queue of prepared buttons, or with the dialog's default button when the
// queue is empty. Used by the tests and the command-line tool. Thread-safe.
class ScriptedMesbo : public TMesbo
{
public:
    struct Shown
    {
        std::string text;
        int flags = 0;
        std::string caption;
    };

    int Show(const std::string &text, int flags, const std::string &caption) override;

    void QueueAnswer(int button);
    // Answer used instead of DefaultButton once the queue is empty; 0 = none.
    void SetFallbackAnswer(int button);
    // Called for every message after it is recorded (a console echo, say).
    void SetEcho(std::function<void(const Shown &)> echo);

    std::vector<Shown> ShownMessages() const;
    std::size_t Count() const;
    void Clear();

private:
    mutable std::mutex m_mutex;
    std::vector<Shown> m_shown;
    std::deque<int> m_answers;
    int m_fallback = 0;
    std::function<void(const Shown &)> m_echo;
};

// The application's message-box service. Start-up installs the window
// implementation; until then (and in the command-line tool) a ScriptedMesbo
// that answers with default buttons serves.
TMesbo &Mesbo();
// Installs a service and returns the previous one (for scoped replacement).
std::unique_ptr<TMesbo> InstallMesbo(std::unique_ptr<TMesbo> service);

// Lets an internal-failure box through at most once per period, so a failure
// repeating in a loop cannot flood the operator. Thread-safe.
class FailureThrottle
{
public:
    using Clock = std::chrono::steady_clock;

    explicit FailureThrottle(std::chrono::milliseconds period = std::chrono::milliseconds(3000),
                             std::function<Clock::time_point()> now = &Clock::now);

    // True when a box may be shown now; the moment is then remembered.
    bool Allow();
    // Forgets the last box: the next one is let through.
    void Reset();

private:
    std::mutex m_mutex;
    std::chrono::milliseconds m_period;
    std::function<Clock::time_point()> m_now;
    bool m_shownBefore = false;
    Clock::time_point m_last{};
};

} // namespace qv
