#include "probe/skopel.h"

#include "infra/unitcodes.h"
#include "model/document/quorvik.h"
#include "model/functions/funcv.h"
#include "probe/skopelthread.h"

#include <algorithm>
#include <optional>
#include <thread>

namespace qv {

namespace {

constexpr std::size_t kCycleLog = 256;

class SteadyClock final : public SkopelClock
{
public:
    std::chrono::milliseconds Now() override
    {
        return std::chrono::duration_cast<std::chrono::milliseconds>(
            std::chrono::steady_clock::now().time_since_epoch());
    }
    void Sleep(std::chrono::milliseconds ms) override { std::this_thread::sleep_for(ms); }
};

std::string Named(std::string_view before, std::string_view after)
{
    return std::string(before) + std::string(kSkopelName) + std::string(after);
}

} // namespace

SkopelClock &SystemSkopelClock()
{
    static SteadyClock clock;
    return clock;
}

SkopelReply ClassifyReply(std::span<const std::uint8_t> bytes)
{
    if (bytes.size() >= kSkopelBlock)
        return SkopelReply::Block;
    if (bytes.empty())
        return SkopelReply::Nothing;
    if (bytes.size() == 1 && bytes[0] == kProbeInternalFailure)
        return SkopelReply::Internal;
    const bool acks =
        std::all_of(bytes.begin(), bytes.end(), [](std::uint8_t b) { return b == kProbeAck; });
    return acks ? SkopelReply::Ack : SkopelReply::Status;
}

int SkopelTimeout(std::int32_t sweep)
{
    if (sweep <= 8)
        return 1000;
    switch (sweep) {
    case 9:
        return 2000;
    case 10:
        return 6000;
    case 11:
        return 10000;
    default:
        return 20000;
    }
}

TSkopel::TSkopel(TQuorvik &doc, LinkFactory makeLink, SkopelClock *clock)
    : m_doc(doc)
    , m_makeLink(std::move(makeLink))
    , m_clock(clock ? *clock : SystemSkopelClock())
{}

TSkopel::~TSkopel()
{
    Close();
}

std::string TSkopel::Message() const
{
    const std::lock_guard lock(m_mutex);
    return m_message;
}

void TSkopel::SetMessage(std::string text)
{
    const std::lock_guard lock(m_mutex);
    m_message = std::move(text);
}

int TSkopel::Captures() const
{
    return m_thread ? m_thread->Captures() : 0;
}

std::vector<int> TSkopel::CapturedCycles() const
{
    const std::lock_guard lock(m_mutex);
    return m_capturedCycles;
}

SFuncV *TSkopel::Function()
{
    STest *test = m_doc.Test(m_test);
    return test && m_function != 0 ? test->VFuncs.ByNumber(m_function) : nullptr;
}

bool TSkopel::Send(std::size_t count)
{
    const probe::LinkStatus status =
        m_link->Write(std::span<const std::uint8_t>(m_command.data(), count), m_written);
    if (status != probe::LinkStatus::Ok || m_written < count) {
        SetMessage("Не удалось отправить данные в USB");
        return false;
    }
    return true;
}

void TSkopel::Drain()
{
    m_link->Purge(probe::kPurgeRx);
    m_link->Purge(probe::kPurgeTx);
    if (m_link->GetQueueStatus(m_queued) == probe::LinkStatus::Ok && m_queued > 0) {
        // Everything waiting is dropped, a buffer at a time.
        while (m_queued > 0) {
            const auto n = std::min<std::size_t>(m_queued, m_buffer.size());
            if (m_link->Read(std::span(m_buffer.data(), n), m_received) != probe::LinkStatus::Ok ||
                m_received == 0)
                break;
            m_queued -= std::min(m_queued, m_received);
        }
    }
    std::fill_n(m_buffer.begin(), kSkopelBlock, std::uint8_t{0});
}

bool TSkopel::Connect()
{
    std::string why;
    m_link = m_makeLink ? m_makeLink(&why) : nullptr;
    if (!m_link) {
        SetMessage(why.empty() ? "Устройство не обнаружено или неисправно" : why);
        return false;
    }
    if (m_link->OpenEx(kSkopelDescription, probe::kOpenByDescription) != probe::LinkStatus::Ok) {
        m_link.reset();
        SetMessage("Устройство не обнаружено или неисправно");
        return false;
    }
    Drain();
    return true;
}

bool TSkopel::Configure(Mode mode)
{
    if (mode == Mode::Capture) {
        const SFuncV *v = Function();
        const auto c =
            static_cast<std::size_t>(std::clamp(m_doc.GetActiveCycle(), 0, kVCycles - 1));
        const std::int32_t scale = v ? std::clamp(v->Scale[c], 0, kAmplitudeCount - 1) : 0;
        const std::int32_t sweep = v ? std::clamp(v->Sweep[c], 0, kSweepCount - 1) : 0;
        m_command = {kProbeCommand,
                     kProbeCapture,
                     static_cast<std::uint8_t>(scale + kProbeScaleBase),
                     static_cast<std::uint8_t>(sweep + kProbeSweepBase),
                     kProbeCaptureTail[0],
                     kProbeCaptureTail[1],
                     kProbeCaptureTail[2]};
        m_timeout = SkopelTimeout(sweep);
    } else {
        m_command = kProbeIdleCommand;
        m_timeout = 1000;
    }
    if (!Send(m_command.size()))
        return false;
    if (mode == Mode::IdleNoWait)
        return true;
    const SkopelReply reply = WaitReply(false);
    if (reply == SkopelReply::Block && Message().empty())
        SetMessage(Named("", " вернул ошибочный статус")); // a block where an answer was due
    return reply == SkopelReply::Ack;
}

SkopelReply TSkopel::WaitReply(bool noWait)
{
    const auto began = m_clock.Now();
    // Nothing taken this time: without waiting that is the answer, else it
    // is tried again after a pause until the time-out.
    const auto nothing = [&]() -> std::optional<SkopelReply> {
        if (noWait)
            return SkopelReply::Nothing;
        if (m_clock.Now() - began > std::chrono::milliseconds(m_timeout)) {
            SetMessage(Named("Истекло время ожидания ответа от ", ""));
            return SkopelReply::Nothing;
        }
        m_clock.Sleep(std::chrono::milliseconds(10));
        return std::nullopt;
    };
    for (;;) {
        if (m_link->GetQueueStatus(m_queued) != probe::LinkStatus::Ok) {
            SetMessage("Ошибка команды драйвера FTDI USB");
            return SkopelReply::Fault;
        }
        const auto n = std::min<std::size_t>(m_queued, m_buffer.size());
        // A failed read counts as an empty queue, so that a device whose
        // reads keep failing cannot hold the caller or the thread's stop.
        if (n == 0 ||
            m_link->Read(std::span(m_buffer.data(), n), m_received) != probe::LinkStatus::Ok) {
            if (const auto reply = nothing())
                return *reply;
            continue;
        }
        const SkopelReply reply = ClassifyReply(std::span(m_buffer.data(), m_received));
        if (reply == SkopelReply::Internal)
            SetMessage(Named("Внутренний сбой ", ""));
        else if (reply == SkopelReply::Status)
            SetMessage(Named("", " вернул ошибочный статус"));
        if (reply != SkopelReply::Nothing)
            return reply;
    }
}

bool TSkopel::RequestBlock()
{
    SetMessage({});
    m_command[0] = kProbeBlockRequest;
    return Send(1);
}

bool TSkopel::Open()
{
    Close();
    m_thread.reset();
    m_cycle = m_cycleEnd = m_first = 0;
    SetMessage({});
    {
        const std::lock_guard lock(m_mutex);
        m_captured.clear();
        m_capturedCycles.clear();
    }
    m_test = m_doc.CurrentTest();
    const STest *test = m_doc.Test(m_test);
    m_function = test ? test->VFuncs.Active() : 0;
    bool ok = Function() != nullptr;
    if (ok) {
        ok = Connect() && Configure(Mode::IdleNoWait);
        if (ok) {
            m_clock.Sleep(std::chrono::milliseconds(10));
            Drain();
            ok = Configure(Mode::IdleWait);
        }
    }
    if (ok)
        m_thread = std::make_unique<TthSkopel>(*this);
    m_opened = ok;
    if (!ok)
        ReportMessage();
    return ok;
}

bool TSkopel::Start(int first, int end)
{
    if (!m_opened || !m_thread)
        return false;
    m_first = m_cycle = first;
    m_cycleEnd = end;
    Drain();
    bool ok = Configure(Mode::Capture);
    const SFuncV *v = Function();
    if (ok && v && !v->Info.empty() && m_view)
        ok = m_view->ConfirmPreparation(v->Name, v->Info);
    if (!ok || !v)
        return false;
    if (m_view) {
        LiveStart live;
        live.number = v->Number;
        live.name = v->Name;
        live.info = v->Info;
        live.cycle = first;
        const auto c =
            static_cast<std::size_t>(std::clamp(m_doc.GetActiveCycle(), 0, kVCycles - 1));
        live.sweep = v->Sweep[c];
        live.scale = v->Scale[c];
        if (first >= 0 && first < kVCycles)
            live.reference = v->Reference[static_cast<std::size_t>(first)];
        m_view->OpenLive(live);
    }
    // The first request goes out before the thread polls, so that only one
    // thread at a time talks to the device.
    const bool requested = RequestBlock();
    m_thread->Resume();
    return requested;
}

void TSkopel::TakeBlock()
{
    Waveform samples{};
    std::copy_n(m_buffer.begin(), samples.size(), samples.begin());
    const int cycle = m_cycle;
    {
        const std::lock_guard lock(m_mutex);
        m_captured[cycle] = samples;
        if (m_capturedCycles.size() < kCycleLog)
            m_capturedCycles.push_back(cycle);
    }
    // Round and round over the range until the run ends.
    if (++m_cycle >= m_cycleEnd)
        m_cycle = m_first;
    if (m_view)
        m_view->BlockReceived(cycle, samples);
    RequestBlock();
}

void TSkopel::StoreCaptures()
{
    SFuncV *v = Function();
    const std::lock_guard lock(m_mutex);
    if (v == nullptr)
        return;
    for (const auto &[cycle, samples] : m_captured) {
        if (cycle >= 0 && cycle < kVCycles)
            v->Captured[static_cast<std::size_t>(cycle)] =
                std::make_shared<const Waveform>(samples);
    }
    m_captured.clear();
}

void TSkopel::Close()
{
    if (m_link) {
        if (m_thread)
            m_thread->Stop();
        if (m_opened) {
            // A block that came after the last poll is dropped first, so that
            // the idle command's answer stands alone.
            Drain();
            Configure(Mode::IdleWait);
        }
        m_link->Close();
        m_link.reset();
    }
    StoreCaptures();
    m_opened = false;
    m_test = -1;
    m_function = 0;
}

void TSkopel::ReportMessage()
{
    const std::string text = Message();
    if (text.empty())
        return;
    if (m_view)
        m_view->ShowDeviceError(text);
    SetMessage({});
}

} // namespace qv
