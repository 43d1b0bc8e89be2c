#pragma once

// CalibrationSession: what every calibration window holds while it is open.
// It takes the unit lock (up to 3000 ms) and resets the unit without a
// check; at the end it resets the unit again with the port's own messages
// off and gives the lock back.

#include "execution/port/comport.h"

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace qv {
class TCP;
class TthHardStatus;
} // namespace qv

namespace qv::calibration {

class CalibrationSession
{
public:
    // monitor may be null (nothing else uses the unit then).
    CalibrationSession(TCP &tester, TthHardStatus *monitor);
    ~CalibrationSession();
    CalibrationSession(const CalibrationSession &) = delete;
    CalibrationSession &operator=(const CalibrationSession &) = delete;

    // Whether the opening reset succeeded; the window is not shown otherwise.
    bool Ready() const { return m_ready; }
    IComPort &Port() { return *m_port; }

    // Sends `request` with command `code` and waits for its data answer;
    // nullopt when the exchange failed (the port has shown why).
    std::optional<std::vector<std::uint8_t>> Ask(int code, std::span<const std::uint8_t> request,
                                                 int timeoutMs = kPortDefaultTimeout);
    // Sends and waits for the acknowledgement; false when it failed.
    bool Tell(int code, std::span<const std::uint8_t> request, int timeoutMs);
    // Sends without waiting; false when the sending failed (the port has
    // shown why). The answer is taken with Poll.
    bool Post(int code, std::span<const std::uint8_t> request);
    // Looks once, without waiting, for the acknowledgement of `code`:
    // nullopt while none has come, else whether it was a success. A
    // failure other than no answer yet is shown by the port.
    std::optional<bool> Poll(int code);
    // Tells the operator `text` in the port's name, in place of the same
    // pending error.
    void TellPortText(const std::string &text);
    // Records the wrong-answer error on the port (shown while its messages are on).
    void WrongAnswer();

private:
    TCP &m_tester;
    TthHardStatus *m_monitor;
    SComPort m_port;
    bool m_locked = false;
    bool m_ready = false;
};

} // namespace qv::calibration
