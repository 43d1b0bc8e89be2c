#include "execution/port/portavo.h"

#include "execution/link/unitaddress.h"
#include "execution/link/unitlink.h"
#include "execution/port/noanswer.h"
#include "infra/encoding.h"
#include "infra/mesbo.h"
#include "infra/plural.h"
#include "infra/unitcodes.h"

#include <algorithm>
#include <chrono>
#include <random>
#include <unordered_map>
#include <utility>

namespace qv {

namespace {

constexpr std::size_t kQueueFrames = 256;
constexpr std::size_t kQueueBytes = 8u * 1024 * 1024;
constexpr std::size_t kReadChunk = 64 * 1024;

std::atomic<std::uint64_t> g_nextPortId{1};

// The voices this thread set, per port; a port not listed speaks with the
// thread's default.
thread_local std::unordered_map<std::uint64_t, PortVoice> t_voices;

std::string Name(int code)
{
    return std::string(UnitCommandName(code));
}

// "name" in quotes (built by appending: GCC 12 warns falsely on "x" + string).
std::string Quoted(std::string_view name)
{
    std::string text;
    text.reserve(name.size() + 2);
    text += '"';
    text += name;
    text += '"';
    return text;
}

std::string TextOf(std::span<const std::uint8_t> bytes)
{
    return Cp1251ToUtf8(
        std::string_view(reinterpret_cast<const char *>(bytes.data()), bytes.size()));
}

std::uint32_t BlockCount(std::uint64_t total, std::uint32_t block)
{
    return static_cast<std::uint32_t>(std::max<std::uint64_t>(1, (total + block - 1) / block));
}

} // namespace

bool IsFatalWarning(std::string_view text)
{
    return Utf8Length(text) == kFatalWarningLength;
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

// ---- link and reader thread ----------------------------------------------

int Portavo::Open(const SCP_Info &info)
{
    m_productName = info.productName;
    if (m_link)
        return 1;
    std::string why;
    const auto address = ParseUnitAddress(m_address, &why);
    if (!address) {
        Report({PortNoLink, BadUnitAddressMessage(m_address, why)}, Completes::Send);
        return 0;
    }
    m_link = MakeUnitLink(*address);
    return 1;
}

Portavo::Outcome Portavo::NotConnected() const
{
    if (m_state == LinkState::Broken)
        return {PortLinkLost, "Связь с блоком диагностики (" + m_address + ") потеряна"};
    return {PortNoLink, "Нет связи с блоком диагностики (" + m_address + ")"};
}

Portavo::Outcome Portavo::EnsureOpen()
{
    {
        std::lock_guard lock(m_mutex);
        if (m_state == LinkState::Open)
            return {};
    }
    return OpenLink();
}

Portavo::Outcome Portavo::OpenLink()
{
    if (!m_link)
        return {PortNoLink, "Порт блока диагностики не открыт (" + m_address + ")"};
    if (std::this_thread::get_id() == m_readerId.load())
        return {PortWrongThread, "Переподключение к блоку диагностики из обработчика уведомлений "
                                 "невозможно"};
    std::lock_guard linkLock(m_linkMutex);
    {
        std::lock_guard lock(m_mutex);
        if (m_state == LinkState::Open)
            return {}; // another thread opened it meanwhile
    }
    StopReader();
    {
        std::lock_guard lock(m_mutex);
        m_state = LinkState::Closed;
        m_answers.clear();
        m_queuedBytes = 0;
    }
    m_decoder.Reset();
    std::string error;
    if (!m_link->Open(TimeoutFor(kPortDefaultTimeout), &error))
        return {PortNoLink, "Нет связи с блоком диагностики (" + m_address + "): " + error};
    {
        std::lock_guard lock(m_mutex);
        m_state = LinkState::Open;
    }
    m_reader = std::thread([this] { ReaderLoop(); });
    return {};
}

void Portavo::StopReader()
{
    if (!m_reader.joinable())
        return;
    m_link->Close();
    m_reader.join();
}

void Portavo::CloseLink()
{
    std::lock_guard linkLock(m_linkMutex);
    {
        std::lock_guard lock(m_mutex);
        m_state = LinkState::Closed;
    }
    m_answerReady.notify_all();
    if (!m_link)
        return;
    m_link->Close();
    // From inside the notification callback the reader cannot wait for
    // itself; it ends on its own and the next open or the destructor joins it.
    if (m_reader.joinable() && std::this_thread::get_id() != m_reader.get_id())
        m_reader.join();
}

void Portavo::ReaderLoop()
{
    m_readerId = std::this_thread::get_id();
    std::vector<std::uint8_t> buffer(kReadChunk);
    const auto sink = [this](wire::Frame &&frame) {
        {
            std::lock_guard lock(m_mutex);
            ++m_stats.frames;
            m_stats.bytesDropped = m_decoder.BytesDropped();
        }
        OnFrame(std::move(frame));
    };
    for (;;) {
        const std::size_t got = m_link->Read(buffer);
        if (got == 0)
            break;
        m_decoder.Feed(std::span(buffer.data(), got), sink);
        std::lock_guard lock(m_mutex);
        m_stats.bytesDropped = m_decoder.BytesDropped();
    }
    {
        std::lock_guard lock(m_mutex);
        if (m_state == LinkState::Open)
            m_state = LinkState::Broken;
    }
    m_answerReady.notify_all();
    m_readerId = std::thread::id{};
}

void Portavo::CallNotify(const NotifyCallback &callback, int code, std::uint32_t value,
                         std::span<const std::uint8_t> data)
{
    struct Done
    {
        Portavo &port;
        ~Done()
        {
            {
                std::lock_guard lock(port.m_mutex);
                --port.m_callbacksRunning;
            }
            port.m_callbackDone.notify_all();
        }
    } done{*this};
    callback(code, value, data);
}

bool Portavo::IsStale(const wire::Frame &frame) const
{
    // An ERROR with sequence number 0 refuses the whole connection (a unit
    // busy with another host) and concerns whoever waits.
    if (frame.kind == wire::Kind::Notify || (frame.kind == wire::Kind::Error && frame.seq == 0))
        return false;
    return frame.seq != m_lastSeq[static_cast<std::size_t>(frame.code)];
}

void Portavo::OnFrame(wire::Frame &&frame)
{
    if (frame.kind == wire::Kind::Command)
        return; // a unit never sends commands; nothing to do with one
    if (frame.kind == wire::Kind::Error && (frame.code == QORV_DATA || frame.code == QORV_RETRY)) {
        // A run the unit refused: while a run listens to its callback, the
        // refusal reaches it as the unit's failure (INTERNAL) and its text
        // becomes the pending error; otherwise it is an ordinary answer.
        NotifyCallback callback;
        const std::string text = FromAnswer(frame).text;
        {
            std::lock_guard lock(m_mutex);
            callback = m_notify;
            if (callback) {
                ++m_callbacksRunning;
                // The run's failure, not an exchange's: it stays until shown.
                m_error = text;
                m_errorIsWarning = false;
                m_errorShown = false;
                m_errorKept = true;
                m_lastCode = INTERNAL;
                m_lastData = frame.payload;
            }
        }
        if (callback) {
            CallNotify(callback, INTERNAL, frame.value, frame.payload);
            return;
        }
    }
    if (frame.kind == wire::Kind::Notify) {
        NotifyCallback callback;
        {
            std::lock_guard lock(m_mutex);
            callback = m_notify;
            if (callback) {
                ++m_callbacksRunning;
                m_lastCode = frame.code;
                m_lastData = frame.payload;
            }
        }
        if (callback) {
            CallNotify(callback, frame.code, frame.value, frame.payload);
            return;
        }
    }
    {
        std::lock_guard lock(m_mutex);
        if (IsStale(frame)) {
            ++m_stats.staleAnswers;
            return;
        }
        m_queuedBytes += frame.payload.size();
        m_answers.push_back(std::move(frame));
        // Frames nobody takes (unit frames without a callback) must not pile up.
        while (m_answers.size() > kQueueFrames || m_queuedBytes > kQueueBytes) {
            m_queuedBytes -= m_answers.front().payload.size();
            m_answers.pop_front();
            ++m_stats.staleAnswers;
        }
    }
    m_answerReady.notify_all();
}

// ---- sending and waiting ----------------------------------------------------

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
        m_errorIsWarning = outcome.code == PortWarning;
        m_errorShown = show;
        m_errorKept = false;
    }
    if (show)
        Mesbo().Show(outcome.text, outcome.code == PortWarning ? MbWarning : MbError,
                     std::string(kPortCaption));
    return outcome.code;
}

// ---- IComPort operations ----------------------------------------------------

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
        m_errorIsWarning = false;
        show = Voice() == PortVoice::Loud && !m_error.empty();
        m_errorShown = show;
        m_errorKept = !m_error.empty();
    }
    if (show)
        Mesbo().Show(std::string(*text), MbError, std::string(kPortCaption));
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
    const std::uint8_t operation = mode == 0 ? 1 : 2;
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

void Portavo::ShowError(std::optional<std::string_view> text)
{
    std::string pending;
    bool warning = false;
    {
        std::lock_guard lock(m_mutex);
        if (!text || m_error == *text) {
            if (!m_errorShown)
                pending = m_error;
            warning = m_errorIsWarning;
            m_error.clear();
        }
    }
    if (text) {
        Mesbo().Show(std::string(*text), MbError, std::string(kPortCaption));
        return;
    }
    if (!pending.empty())
        Mesbo().Show(pending, warning ? MbWarning : MbError, std::string(kPortCaption));
}

std::string Portavo::GetError() const
{
    std::lock_guard lock(m_mutex);
    return m_error;
}

void Portavo::SetShowErrors(int flag)
{
    SetVoice(flag != 0 ? PortVoice::Loud : PortVoice::Quiet);
}

int Portavo::GetShowErrors() const
{
    return Voice() == PortVoice::Loud ? 1 : 0;
}

PortVoice Portavo::Voice() const
{
    if (const auto set = t_voices.find(m_id); set != t_voices.end())
        return set->second;
    // Callbacks must not raise message boxes on the reader thread: what
    // they record is shown by the run that listens.
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

// ---- file transfers ---------------------------------------------------------

void Portavo::CancelOnUnit()
{
    // Not waited for: a caller whose transfer failed gets its answer within
    // its time-out; the acknowledgement is dropped as stale later.
    Transmit(DATA_CANCEL, 0, {});
}

std::optional<Portavo::Outcome> Portavo::BeforeBlock(std::uint32_t count, std::uint32_t index,
                                                     const ProgressCallback &progress,
                                                     std::string cancelledText)
{
    if (m_cancel.exchange(false)) {
        CancelOnUnit();
        return Outcome{PortCancelled, std::move(cancelledText)};
    }
    if (progress)
        progress(static_cast<int>(count), static_cast<int>(index));
    return std::nullopt;
}

int Portavo::SendFile(std::span<const std::uint8_t> data, std::string_view name,
                      const ProgressCallback &progress)
{
    return Report(SendBlocks(data, name, progress), Completes::Exchange);
}

int Portavo::ReceiveFile(std::vector<std::uint8_t> &data, std::string_view name,
                         const ProgressCallback &progress)
{
    data.clear();
    return Report(ReceiveBlocks(data, name, progress), Completes::Exchange);
}

namespace {

// The request's name part: length byte and Windows-1251 bytes.
bool AppendName(std::vector<std::uint8_t> &out, std::string_view name)
{
    const auto bytes = TryUtf8ToCp1251(name);
    if (!bytes || bytes->empty() || bytes->size() > 255)
        return false;
    out.push_back(static_cast<std::uint8_t>(bytes->size()));
    out.insert(out.end(), bytes->begin(), bytes->end());
    return true;
}

} // namespace

Portavo::Outcome Portavo::SendBlocks(std::span<const std::uint8_t> data, std::string_view name,
                                     const ProgressCallback &progress)
{
    m_cancel = false;
    const std::string quoted = Quoted(name);
    std::vector<std::uint8_t> start;
    const std::uint32_t wanted =
        std::min({m_blockSize.load(), m_unitMaxBlock.load(), m_unitMaxPayload.load()});
    wire::PutU32(start, static_cast<std::uint32_t>(data.size()));
    wire::PutU32(start, wanted);
    if (data.size() > 0xFFFFFFFFu || !AppendName(start, name))
        return {PortRefused, "Файл " + quoted +
                                 " не может быть передан в блок диагностики: "
                                 "недопустимое имя или размер"};
    wire::Frame answer;
    Outcome outcome = Exchange(DATA_START, 0, start, &answer);
    if (!outcome.ok())
        return outcome;
    const std::uint32_t block = answer.payload.size() == 4 ? wire::GetU32(answer.payload, 0) : 0;
    if (block == 0 || block > wanted)
        return {PortBadAnswer, "Неправильный ответ от блока диагностики на команду DATA_START"};
    const std::uint32_t count = BlockCount(data.size(), block);
    for (std::uint32_t i = 0; i < count; ++i) {
        if (auto cancelled =
                BeforeBlock(count, i, progress, "Передача файла " + quoted + " отменена"))
            return *cancelled;
        const std::size_t offset = static_cast<std::size_t>(i) * block;
        const auto chunk = data.subspan(offset, std::min<std::size_t>(block, data.size() - offset));
        outcome = Exchange(DATA_BLOCK, i, chunk, &answer);
        if (outcome.ok() && (answer.kind != wire::Kind::Ack || answer.value != i))
            outcome = {PortBadAnswer, "Неправильный ответ от блока диагностики на блок " +
                                          std::to_string(i) + " файла " + quoted};
        if (!outcome.ok()) {
            CancelOnUnit();
            return outcome;
        }
    }
    return {};
}

Portavo::Outcome Portavo::ReceiveBlocks(std::vector<std::uint8_t> &data, std::string_view name,
                                        const ProgressCallback &progress)
{
    m_cancel = false;
    const std::string quoted = Quoted(name);
    const std::uint32_t wanted =
        std::min({m_blockSize.load(), m_unitMaxBlock.load(), m_unitMaxPayload.load()});
    std::vector<std::uint8_t> open{1};
    wire::PutU32(open, wanted);
    if (!AppendName(open, name))
        return {PortRefused, "Недопустимое имя файла " + quoted};
    wire::Frame answer;
    Outcome outcome = Exchange(CP_DATA_REQ, 0, open, &answer);
    if (!outcome.ok())
        return outcome;
    const auto &a = answer.payload;
    const std::uint32_t total = a.size() == 8 ? wire::GetU32(a, 0) : 0;
    const std::uint32_t block = a.size() == 8 ? wire::GetU32(a, 4) : 0;
    if (block == 0 || block > wanted)
        return {PortBadAnswer, "Неправильный ответ от блока диагностики на команду CP_DATA_REQ"};
    if (total > kMaxReceivedFile)
        return {PortBadAnswer, "Файл " + quoted + " в блоке диагностики слишком велик (" +
                                   Counted(total, kByteNoun) + ")"};
    std::vector<std::uint8_t> received;
    received.reserve(total);
    const std::uint32_t count = BlockCount(total, block);
    for (std::uint32_t i = 0; i < count; ++i) {
        if (auto cancelled =
                BeforeBlock(count, i, progress, "Получение файла " + quoted + " отменено"))
            return *cancelled;
        std::vector<std::uint8_t> request{2};
        wire::PutU32(request, i);
        outcome = Exchange(CP_DATA_REQ, 0, request, &answer);
        const std::size_t expected = std::min<std::size_t>(block, total - received.size());
        if (outcome.ok() && (answer.kind != wire::Kind::Data || answer.value != i ||
                             answer.payload.size() != expected))
            outcome = {PortBadAnswer, "Неправильный ответ от блока диагностики на запрос блока " +
                                          std::to_string(i) + " файла " + quoted};
        if (!outcome.ok()) {
            CancelOnUnit();
            return outcome;
        }
        received.insert(received.end(), answer.payload.begin(), answer.payload.end());
    }
    data = std::move(received);
    return {};
}

} // namespace qv
