// The request/answer exchange: sending a frame, waiting for its answer and
// turning the answer into an outcome, and reporting the outcome.

#include "execution/link/unitlink.h"
#include "execution/port/noanswer.h"
#include "execution/port/portavo.h"
#include "infra/encoding.h"
#include "infra/unitcodes.h"

#include <chrono>

namespace qv {

namespace {

std::string Name(int code)
{
    return std::string(UnitCommandName(code));
}

std::string TextOf(std::span<const std::uint8_t> bytes)
{
    return Cp1251ToUtf8(
        std::string_view(reinterpret_cast<const char *>(bytes.data()), bytes.size()));
}

} // namespace

std::chrono::milliseconds Portavo::TimeoutFor(int timeoutMs) const
{
    return std::chrono::milliseconds(timeoutMs < 0 ? m_timeout.load() : timeoutMs);
}

Portavo::Outcome Portavo::Transmit(int code, std::uint32_t value,
                                   std::span<const std::uint8_t> data)
{
    if (!IsUnitCommand(code))
        return {PortRefused, "Неверный код команды блока диагностики: " + std::to_string(code)};
    if (data.size() > m_unitMaxPayload)
        return {PortRefused, "Данные команды " + Name(code) +
                                 " слишком велики: " + std::to_string(data.size()) +
                                 " байт (блок диагностики принимает не более " +
                                 std::to_string(m_unitMaxPayload.load()) + ")"};
    std::lock_guard writeLock(m_writeMutex);
    if (++m_seq == 0)
        m_seq = 1;
    {
        std::lock_guard lock(m_mutex);
        if (m_state != LinkState::Open) {
            // A unit that refused the connection said why before it closed.
            const auto refusal =
                std::find_if(m_answers.begin(), m_answers.end(), [](const auto &f) {
                    return f.kind == wire::Kind::Error && f.seq == 0;
                });
            return refusal != m_answers.end() ? FromAnswer(*refusal) : NotConnected();
        }
        m_lastSeq[static_cast<std::size_t>(code)] = m_seq;
    }
    m_sendBuffer.clear();
    wire::AppendFrame(m_sendBuffer, wire::Kind::Command, code, m_seq, value, data);
    std::string error;
    if (m_link->Write(m_sendBuffer, TimeoutFor(kPortDefaultTimeout), &error))
        return {};
    {
        std::lock_guard lock(m_mutex);
        if (m_state == LinkState::Open)
            m_state = LinkState::Broken;
    }
    m_link->Close(); // the reader ends too
    m_answerReady.notify_all();
    return {PortLinkLost, "Связь с блоком диагностики (" + m_address +
                              ") потеряна при передаче команды " + Name(code) + ": " + error};
}

Portavo::Outcome Portavo::FromAnswer(const wire::Frame &frame) const
{
    switch (frame.kind) {
    case wire::Kind::Warning: {
        const bool ioFault = !frame.payload.empty() && frame.payload[0] == 1;
        if (ioFault)
            return {PortWarning, std::string(kIoFaultWarning)};
        std::string text =
            frame.payload.empty() ? std::string() : TextOf(std::span(frame.payload).subspan(1));
        if (text.empty())
            text = "Блок диагностики выполнил команду " + Name(frame.code) + " с предупреждением";
        if (IsFatalWarning(text))
            text += '.'; // only the I/O fault may end a run
        return {PortWarning, text};
    }
    case wire::Kind::Error: {
        std::string text = TextOf(frame.payload);
        if (text.empty())
            text = "Блок диагностики отклонил команду " + Name(frame.code) + " (ошибка " +
                   std::to_string(frame.value) + ")";
        return {PortUnitError, text};
    }
    default:
        return {};
    }
}

Portavo::Outcome Portavo::Await(int code, int timeoutMs, wire::Frame *answer)
{
    if (std::this_thread::get_id() == m_readerId.load())
        return {PortWrongThread,
                "Ожидание ответа блока диагностики в обработчике уведомлений невозможно"};
    const bool unlimited = timeoutMs == kPortNoTimeLimit;
    const auto timeout = TimeoutFor(timeoutMs);
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    std::unique_lock lock(m_mutex);
    for (;;) {
        while (!m_answers.empty()) {
            wire::Frame frame = std::move(m_answers.front());
            m_answers.pop_front();
            m_queuedBytes -= frame.payload.size();
            if (IsStale(frame) || (code != 0 && frame.code != code)) {
                ++m_stats.staleAnswers;
                continue;
            }
            m_lastCode = frame.code;
            m_lastData = frame.payload;
            lock.unlock();
            Outcome outcome = FromAnswer(frame);
            if (answer != nullptr)
                *answer = std::move(frame);
            return outcome;
        }
        if (m_state != LinkState::Open)
            return NotConnected();
        if (unlimited) {
            m_answerReady.wait(lock);
        } else if (m_answerReady.wait_until(lock, deadline) == std::cv_status::timeout &&
                   m_answers.empty() && m_state == LinkState::Open) {
            return {PortTimeout, NoAnswerText(code, timeout.count())};
        }
    }
}

Portavo::Outcome Portavo::Exchange(int code, std::uint32_t value,
                                   std::span<const std::uint8_t> data, wire::Frame *answer)
{
    Outcome outcome = Transmit(code, value, data);
    if (!outcome.ok())
        return outcome;
    return Await(code, kPortDefaultTimeout, answer);
}

int Portavo::Report(const Outcome &outcome, Completes completes)
{
    const PortVoice voice = Voice();
    if (voice == PortVoice::Background)
        return outcome.code;
    const bool show = voice == PortVoice::Loud;
    {
        std::lock_guard lock(m_mutex);
        if (outcome.code == PortOk) {
            // An earlier exchange's failure does not describe this one.
            if (completes == Completes::Exchange && !m_errorKept)
                m_error.clear();
            return PortOk;
        }
        m_error = outcome.text;
        m_errorCode = static_cast<PortResult>(outcome.code);
        m_errorShown = show;
        m_errorKept = false;
    }
    if (show)
        Tell({static_cast<PortResult>(outcome.code), outcome.text});
    return outcome.code;
}

} // namespace qv
