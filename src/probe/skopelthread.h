#pragma once

// TthSkopel: the acquisition thread of the oscilloscope probe. It polls the
// receive queue every millisecond without blocking; each block received
// goes to the driver, which asks for the next one at once, so that the
// trigger of every test cycle is caught. Made when capturing starts and
// joined (never killed) when the driver closes.

#include <atomic>
#include <thread>

namespace qv {

class TSkopel;

class TthSkopel
{
public:
    explicit TthSkopel(TSkopel &owner);
    // Stops and joins.
    ~TthSkopel();

    TthSkopel(const TthSkopel &) = delete;
    TthSkopel &operator=(const TthSkopel &) = delete;

    // Starts the loop (the thread is made here).
    void Resume();
    // Asks the loop to end and waits for it; the end-of-capture report is
    // made before this returns.
    void Stop();
    bool Started() const { return m_started; }
    int Captures() const { return m_captures; }

private:
    void Run();
    void Finish();

    TSkopel &m_owner;
    std::thread m_thread;
    std::atomic<bool> m_stop{false};
    std::atomic<bool> m_started{false};
    std::atomic<int> m_captures{0};
};

} // namespace qv
