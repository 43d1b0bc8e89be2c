#include "execution/port/portavo.h"

#include "execution/link/unitaddress.h"
#include "execution/link/unitlink.h"
#include "infra/encoding.h"
#include "infra/unitcodes.h"

#include <random>
#include <unordered_map>
#include <utility>

// The port's own operations; its reader thread is in portavo_reader.cpp, the
// request/answer exchange in portavo_exchange.cpp and the file transfers in
// portavo_transfer.cpp.

namespace qv {

namespace {

std::atomic<std::uint64_t> g_nextPortId{1};

// The voices this thread set, per port; a port not listed speaks with the
// thread's default.
thread_local std::unordered_map<std::uint64_t, PortVoice> t_voices;

} // namespace

bool IsFatalWarning(std::string_view text)
{
    return Utf8Length(text) == kFatalWarningLength;
}

Notice PortNotice(const PortOutcome &outcome)
{
    return {outcome.IsWarning() ? NoticeKind::Warning : NoticeKind::Error, outcome.text,
            std::string(kPortCaption)};
}

Notice PortNotice(std::string text)
{
    return {NoticeKind::Error, std::move(text), std::string(kPortCaption)};
}

void TellPendingError(IComPort &port, const NoticeSink &sink)
{
    if (const auto pending = port.TakeError())
        Tell(sink, PortNotice(*pending));
}

Portavo::Portavo(std::string address)
    : m_address(std::move(address))
    , m_id(g_nextPortId++)
{}

Portavo::Portavo(std::unique_ptr<UnitLink> link, std::string address)
    : m_address(std::move(address))
    , m_id(g_nextPortId++)
    , m_link(std::move(link))
{}

Portavo::~Portavo()
{
    CloseLink();
}

void Portavo::Purge()
{
    std::lock_guard lock(m_mutex);
    m_answers.clear();
    m_queuedBytes = 0;
    // A text a caller recorded describes its whole sequence (a run that
    // fetches data after a damaged question still failed): it stays.
    if (!m_errorKept)
        m_error.clear();
}

void Portavo::Done()
{
    SetNotify(nullptr);
    CloseLink();
}

void Portavo::SetError(std::optional<std::string_view> text)
{
    bool show = false;
    {
        std::lock_guard lock(m_mutex);
        m_error = text ? std::string(*text) : std::string();
        m_errorCode = m_error.empty() ? PortOk : PortRecorded;
        show = Voice() == PortVoice::Loud && !m_error.empty();
        m_errorShown = show;
        m_errorKept = !m_error.empty();
    }
    if (show)
        Tell({PortRecorded, std::string(*text)});
}

void Portavo::Close()
{
    CloseLink();
}

void Portavo::SetTimeout(int ms)
{
    m_timeout = std::max(0, ms);
}

int Portavo::Reboot()
{
    Outcome outcome = EnsureOpen();
    if (outcome.ok())
        outcome = Exchange(HARD_RESET, 0, {}, nullptr);
    // The unit leaves the link to restart; the next Handshake connects again.
    CloseLink();
    return Report(outcome, Completes::Exchange);
}

void Portavo::Detach()
{
    bool open = false;
    {
        std::lock_guard lock(m_mutex);
        open = m_state == LinkState::Open;
    }
    if (open)
        Transmit(EXIT, 0, {}); // the unit ends the session on EXIT or on the closed link alike
    CloseLink();
}

int Portavo::CheckCurrents(int mode, std::uintptr_t)
{
    const auto operation = static_cast<std::uint8_t>(
        mode == 0 ? CurrentControlOp::Measure : CurrentControlOp::MeasureBeforeRun);
    wire::Frame answer;
    Outcome outcome = Exchange(UKT, 0, std::span(&operation, 1), &answer);
    if (!outcome.ok()) {
        Report(outcome, Completes::Exchange);
        return 0;
    }
    const auto &a = answer.payload;
    if (a.size() < 2 || a.size() != 2u + 4u * a[1]) {
        Report({PortBadAnswer, "Неправильный ответ от блока диагностики на команду UKT"},
               Completes::Exchange);
        return 0;
    }
    if (a[0] == 1)
        return Report({}, Completes::Exchange) == PortOk ? 1 : 0;
    std::string text = "Контроль токов: потребление превышает допустимое";
    for (std::size_t i = 0; i < a[1]; ++i) {
        const int current = wire::GetU16(a, 2 + 4 * i);
        const int limit = wire::GetU16(a, 4 + 4 * i);
        if (current > limit)
            text += "\r\nцепь " + std::to_string(i + 1) + ": " + std::to_string(current) +
                    " мА (предел " + std::to_string(limit) + " мА)";
    }
    Report({PortUnitError, text}, Completes::Exchange);
    return 0;
}

int Portavo::Send(int code, std::span<const std::uint8_t> data)
{
    return Report(Transmit(code, 0, data), Completes::Send);
}

int Portavo::SendCode(int code)
{
    return Send(code, {});
}

int Portavo::WaitAnswer(int timeoutMs)
{
    return Report(Await(0, timeoutMs, nullptr), Completes::Exchange);
}

int Portavo::WaitAck(int code, int timeoutMs)
{
    return Report(Await(code, timeoutMs, nullptr), Completes::Exchange);
}

int Portavo::WaitData(int code, int timeoutMs)
{
    return Report(Await(code, timeoutMs, nullptr), Completes::Exchange);
}

std::vector<std::uint8_t> Portavo::AnswerData() const
{
    std::lock_guard lock(m_mutex);
    return m_lastData;
}

int Portavo::AnswerLength() const
{
    std::lock_guard lock(m_mutex);
    return static_cast<int>(m_lastData.size());
}

int Portavo::AnswerCode() const
{
    std::lock_guard lock(m_mutex);
    return m_lastCode;
}

std::optional<PortOutcome> Portavo::TakeError()
{
    std::lock_guard lock(m_mutex);
    std::optional<PortOutcome> pending;
    if (!m_errorShown && !m_error.empty())
        pending = PortOutcome{m_errorCode, m_error};
    m_error.clear();
    return pending;
}

void Portavo::ClearError(std::string_view text)
{
    std::lock_guard lock(m_mutex);
    if (m_error == text)
        m_error.clear();
}

std::string Portavo::GetError() const
{
    std::lock_guard lock(m_mutex);
    return m_error;
}

void Portavo::SetReport(PortReport report)
{
    std::lock_guard lock(m_mutex);
    m_report = std::move(report);
}

void Portavo::Tell(const PortOutcome &outcome) const
{
    PortReport report;
    {
        std::lock_guard lock(m_mutex);
        report = m_report;
    }
    if (report)
        report(outcome);
}

PortVoice Portavo::Voice() const
{
    if (const auto set = t_voices.find(m_id); set != t_voices.end())
        return set->second;
    // Callbacks must not report from the reader thread: what they record
    // is reported by the run that listens.
    return std::this_thread::get_id() == m_readerId.load() ? PortVoice::Quiet : PortVoice::Loud;
}

void Portavo::SetVoice(PortVoice voice)
{
    t_voices[m_id] = voice;
}

void Portavo::SetNotify(NotifyCallback callback)
{
    NotifyCallback old;
    std::unique_lock lock(m_mutex);
    old = std::exchange(m_notify, std::move(callback));
    // A callback in flight may still use what the old one points to; the
    // caller may free that once this returns. A callback replacing itself
    // cannot wait for itself.
    if (std::this_thread::get_id() != m_readerId.load())
        m_callbackDone.wait(lock, [this] { return m_callbacksRunning == 0; });
    lock.unlock();
}

NotifyCallback Portavo::GetNotify() const
{
    std::lock_guard lock(m_mutex);
    return m_notify;
}

int Portavo::Handshake()
{
    Outcome outcome = EnsureOpen();
    if (!outcome.ok())
        return Report(outcome, Completes::Exchange);
    static thread_local std::minstd_rand random(std::random_device{}());
    const std::uint32_t nonce = random() ^ ++m_nonce;
    std::vector<std::uint8_t> request;
    wire::PutU16(request, wire::kProtocolVersion);
    wire::PutU32(request, nonce);
    std::string host = TryUtf8ToCp1251(m_productName).value_or("");
    host.resize(std::min<std::size_t>(host.size(), 255));
    request.push_back(static_cast<std::uint8_t>(host.size()));
    request.insert(request.end(), host.begin(), host.end());
    wire::Frame answer;
    outcome = Exchange(INIT, 0, request, &answer);
    if (!outcome.ok())
        return Report(outcome, Completes::Exchange);
    const auto &a = answer.payload;
    if (a.size() < 15 || wire::GetU32(a, 2) != nonce)
        return Report({PortBadAnswer, "Неправильный ответ от блока диагностики на команду INIT"},
                      Completes::Exchange);
    if (wire::GetU16(a, 0) != wire::kProtocolVersion)
        return Report({PortBadAnswer, "Блок диагностики работает по другой версии протокола (" +
                                          std::to_string(wire::GetU16(a, 0)) + ")"},
                      Completes::Exchange);
    m_unitMaxPayload = std::clamp<std::uint32_t>(wire::GetU32(a, 6), 64, wire::kMaxPayload);
    m_unitMaxBlock = std::max<std::uint32_t>(wire::GetU32(a, 10), 1);
    m_unitType = a[14];
    return Report(outcome, Completes::Exchange);
}

int Portavo::FindUnit(std::uint32_t *found)
{
    std::string why;
    const bool present = m_link && m_link->Present(&why);
    if (found != nullptr)
        *found = present ? 1 : 0;
    if (!present)
        Report({PortNoLink, m_link ? "Блок диагностики не найден: " + why
                                   : "Порт блока диагностики не открыт (" + m_address + ")"},
               Completes::Send);
    return present ? 1 : 0;
}

int Portavo::NeedsReconnect(int)
{
    std::lock_guard lock(m_mutex);
    return m_state == LinkState::Broken ? 1 : 0;
}

void Portavo::CancelTransfer()
{
    m_cancel = true;
}

void Portavo::SetBlockSize(std::uint32_t bytes)
{
    m_blockSize = std::clamp<std::uint32_t>(bytes, 1, wire::kMaxPayload);
}

Portavo::Statistics Portavo::LinkStatistics() const
{
    std::lock_guard lock(m_mutex);
    return m_stats;
}

} // namespace qv
