#include "ui/calibration/calibrationsession.h"

#include "execution/port/hardstatus.h"
#include "execution/port/testerport.h"

namespace qv::calibration {
namespace {

constexpr int kLockWaitMs = 3000;

} // namespace

CalibrationSession::CalibrationSession(TCP &tester, TthHardStatus *monitor)
    : m_tester(tester)
    , m_monitor(monitor)
{
    if (!tester.HasPort())
        return;
    m_port = tester.Port();
    m_locked = m_monitor != nullptr && m_monitor->Lock(kLockWaitMs);
    m_ready = tester.Reset(false, 0) == PortOk;
}

CalibrationSession::~CalibrationSession()
{
    if (m_port) {
        const PortVoiceScope quiet(*m_port, PortVoice::Quiet);
        m_tester.Reset(false, 0);
    }
    if (m_locked)
        m_monitor->Unlock();
}

std::optional<std::vector<std::uint8_t>>
CalibrationSession::Ask(int code, std::span<const std::uint8_t> request, int timeoutMs)
{
    if (!m_port || m_port->Send(code, request) != PortOk ||
        !PortSucceeded(m_port->WaitData(code, timeoutMs)))
        return std::nullopt;
    return m_port->AnswerData();
}

bool CalibrationSession::Tell(int code, std::span<const std::uint8_t> request, int timeoutMs)
{
    return m_port && m_port->Send(code, request) == PortOk &&
           PortSucceeded(m_port->WaitAck(code, timeoutMs));
}

bool CalibrationSession::Post(int code, std::span<const std::uint8_t> request)
{
    return m_port && m_port->Send(code, request) == PortOk;
}

std::optional<bool> CalibrationSession::Poll(int code)
{
    if (!m_port)
        return false;
    int result = PortOk;
    {
        // A look that finds nothing yet is no failure to tell anyone about.
        PortVoiceScope quiet(*m_port, PortVoice::Quiet);
        result = m_port->WaitAck(code, 0);
    }
    if (result == PortTimeout) {
        m_port->SetError(std::nullopt); // "no answer in 0 ms" means nothing
        return std::nullopt;
    }
    if (PortSucceeded(result))
        return true;
    TellPendingError(*m_port, m_tester.Notices());
    return false;
}

void CalibrationSession::TellPortText(const std::string &text)
{
    if (!m_port)
        return;
    m_port->ClearError(text);
    qv::Tell(m_tester.Notices(), PortNotice(text));
}

void CalibrationSession::WrongAnswer()
{
    if (m_port)
        m_port->SetError("Неправильный ответ от блока диагностики");
}

} // namespace qv::calibration
