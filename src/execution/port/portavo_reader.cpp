// The port's link and its reader thread: opening and closing the link,
// finding frames in the incoming bytes and handing each to the notification
// callback or to the answer queue.

#include "execution/link/unitaddress.h"
#include "execution/link/unitlink.h"
#include "execution/port/portavo.h"
#include "infra/unitcodes.h"

#include <algorithm>
#include <utility>

namespace qv {

namespace {

constexpr std::size_t kQueueFrames = 256;
constexpr std::size_t kQueueBytes = 8u * 1024 * 1024;
constexpr std::size_t kReadChunk = 64 * 1024;

} // namespace

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
                // The run's failure, not an exchange's: it stays until taken.
                m_error = text;
                m_errorCode = PortUnitError;
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

} // namespace qv
