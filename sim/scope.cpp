#include "scope.h"

#include "infra/unitcodes.h"

#include <algorithm>
#include <cmath>

namespace qv::sim {

namespace {

constexpr std::uint8_t kAck = kProbeAck;
constexpr std::uint8_t kInternal = kProbeInternalFailure;
constexpr std::uint8_t kCommand = kProbeCommand;
constexpr std::uint8_t kBlockRequest = kProbeBlockRequest;
constexpr std::size_t kCommandLength = kProbeIdleCommand.size();

// The whole screen: sweep in µs, scale in volts.
constexpr std::array<double, 13> kSweepMicros{1.6e3, 2e3, 5e3, 1e4, 2e4, 5e4, 1e5,
                                              2e5,   5e5, 1e6, 2e6, 5e6, 1e7};
constexpr std::array<double, 4> kScreenVolts{5.0, 20.0, 50.0, 100.0};
constexpr double kHighVolts = 4.6;
constexpr double kLowVolts = 0.25;

bool IsIdle(std::span<const std::uint8_t> c)
{
    return std::equal(c.begin(), c.end(), kProbeIdleCommand.begin(), kProbeIdleCommand.end());
}

} // namespace

std::array<std::uint8_t, kScopeSamples> ScopeSamples(const ScopeTrigger &trigger, int sweep,
                                                     int scale)
{
    const double screen = kSweepMicros[static_cast<std::size_t>(std::clamp(sweep, 0, 12))];
    const double volts = kScreenVolts[static_cast<std::size_t>(std::clamp(scale, 0, 3))];
    const double tact = std::max(trigger.tactMicros, 1);
    std::array<std::uint8_t, kScopeSamples> samples{};
    double level = kLowVolts;
    for (std::size_t k = 0; k < kScopeSamples; ++k) {
        const double at = screen * static_cast<double>(k) / kScopeSamples;
        bool high = false;
        if (!trigger.levels.empty()) {
            const auto index = static_cast<std::size_t>(at / tact) % trigger.levels.size();
            high = trigger.levels[index] != 0;
        }
        // A first-order edge over a few samples, and a small ripple.
        const double target = high ? kHighVolts : kLowVolts;
        level += (target - level) * 0.5;
        const double ripple = 0.02 * std::sin(static_cast<double>(k) * 0.7);
        const double value = std::round((level + ripple) / volts * 255.0);
        samples[k] = static_cast<std::uint8_t>(std::clamp(value, 0.0, 255.0));
    }
    return samples;
}

SimulatedScope::SimulatedScope(ScopeBus &bus)
    : m_bus(bus)
    , m_behaviour(bus.Behaviour())
{
    m_token = m_bus.Listen([this](const ScopeTrigger &trigger) { Trigger(trigger); });
}

SimulatedScope::~SimulatedScope()
{
    m_bus.Unlisten(m_token);
}

void SimulatedScope::Write(std::span<const std::uint8_t> bytes)
{
    const std::lock_guard lock(m_mutex);
    for (const std::uint8_t byte : bytes) {
        if (m_partial.empty() && byte == kBlockRequest) {
            if (m_capturing)
                ++m_requests;
            continue;
        }
        if (m_partial.empty() && byte != kCommand) {
            Answer({kAck, 0x00}); // a byte it does not know
            continue;
        }
        m_partial.push_back(byte);
        if (m_partial.size() == kCommandLength) {
            Command(m_partial);
            m_partial.clear();
        }
    }
}

void SimulatedScope::Command(std::span<const std::uint8_t> c)
{
    if (m_behaviour.fault == ScopeFault::Internal) {
        Answer({kInternal});
        return;
    }
    if (IsIdle(c)) {
        m_capturing = false;
        m_requests = 0;
        Answer({kAck});
        return;
    }
    const bool capture = c[1] == kProbeCapture && c[2] >= kProbeScaleBase &&
                         c[2] <= kProbeScaleBase + 3 && c[3] >= kProbeSweepBase &&
                         c[3] <= kProbeSweepBase + 12 &&
                         std::equal(c.begin() + 4, c.end(), kProbeCaptureTail.begin());
    if (!capture || m_behaviour.fault == ScopeFault::Status) {
        Answer({kAck, 0x00});
        return;
    }
    m_scale = c[2] - kProbeScaleBase;
    m_sweep = c[3] - kProbeSweepBase;
    m_capturing = true;
    m_requests = 0;
    Answer({kAck});
}

void SimulatedScope::Answer(std::vector<std::uint8_t> bytes)
{
    const auto delay = m_behaviour.fault == ScopeFault::Slow
                           ? std::chrono::milliseconds(m_behaviour.slowMs)
                           : std::chrono::milliseconds(0);
    m_replies.push_back({Clock::now() + delay, std::move(bytes)});
}

void SimulatedScope::Trigger(const ScopeTrigger &trigger)
{
    const std::lock_guard lock(m_mutex);
    if (!m_capturing || m_requests == 0)
        return;
    --m_requests;
    std::vector<std::uint8_t> block(kScopeBlock, 0);
    const auto samples = ScopeSamples(trigger, m_sweep, m_scale);
    std::copy(samples.begin(), samples.end(), block.begin());
    ++m_blocks;
    m_replies.push_back({Clock::now(), std::move(block)});
}

std::size_t SimulatedScope::Queued()
{
    const std::lock_guard lock(m_mutex);
    const auto now = Clock::now();
    std::size_t ready = 0;
    for (const Reply &reply : m_replies) {
        if (reply.ready > now)
            break; // replies leave in order
        ready += reply.bytes.size();
    }
    return ready;
}

std::size_t SimulatedScope::Read(std::span<std::uint8_t> buffer)
{
    const std::lock_guard lock(m_mutex);
    const auto now = Clock::now();
    std::size_t done = 0;
    while (!m_replies.empty() && done < buffer.size() && m_replies.front().ready <= now) {
        Reply &front = m_replies.front();
        const std::size_t n = std::min(front.bytes.size(), buffer.size() - done);
        std::copy_n(front.bytes.begin(), n, buffer.begin() + static_cast<std::ptrdiff_t>(done));
        done += n;
        front.bytes.erase(front.bytes.begin(),
                          front.bytes.begin() + static_cast<std::ptrdiff_t>(n));
        if (front.bytes.empty())
            m_replies.pop_front();
    }
    return done;
}

void SimulatedScope::Purge(std::uint32_t mask)
{
    const std::lock_guard lock(m_mutex);
    if (mask & 1u)
        m_replies.clear();
    if (mask & 2u)
        m_partial.clear();
}

int SimulatedScope::BlocksSent() const
{
    const std::lock_guard lock(m_mutex);
    return m_blocks;
}

} // namespace qv::sim
