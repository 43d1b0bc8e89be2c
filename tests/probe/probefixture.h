#pragma once

// Test support for the probe: a document with one test of three cycles and
// an active V-function, a view that records what the driver shows, a clock
// that moves only when the driver sleeps, and a link that answers each
// command from a script.

#include "model/functions/funcv.h"
#include "probe/probelink.h"
#include "probe/skopel.h"
#include "probe/skopelview.h"
#include "support/model/docbuilder.h"

#include <atomic>
#include <deque>
#include <gtest/gtest.h>
#include <mutex>

namespace qv::testing {

class RecordingSkopelView final : public SkopelView
{
public:
    bool ConfirmPreparation(const std::string &, const std::string &info) override
    {
        const std::lock_guard lock(m_mutex);
        preparations.push_back(info);
        return confirm;
    }
    void OpenLive(const LiveStart &start) override
    {
        const std::lock_guard lock(m_mutex);
        opened.push_back(start);
    }
    void BlockReceived(int cycle, const Waveform &) override
    {
        const std::lock_guard lock(m_mutex);
        blocks.push_back(cycle);
    }
    void CapturesDone(int n) override
    {
        const std::lock_guard lock(m_mutex);
        captures = n;
    }
    void CloseLive() override
    {
        const std::lock_guard lock(m_mutex);
        closedLive = true;
    }
    void ShowDeviceError(const std::string &text) override
    {
        const std::lock_guard lock(m_mutex);
        errors.push_back(text);
    }

    std::vector<int> Blocks() const
    {
        const std::lock_guard lock(m_mutex);
        return blocks;
    }

    bool confirm = true;
    std::vector<std::string> preparations;
    std::vector<LiveStart> opened;
    std::vector<int> blocks;
    int captures = -1;
    bool closedLive = false;
    std::vector<std::string> errors;

private:
    mutable std::mutex m_mutex;
};

class FakeClock final : public SkopelClock
{
public:
    std::chrono::milliseconds Now() override { return now; }
    void Sleep(std::chrono::milliseconds ms) override { now += ms; }
    std::chrono::milliseconds now{0};
};

// Answers the n-th 7-byte command with the n-th reply of the script (an
// empty reply: silence). Block requests are not answered.
class ScriptedLink final : public probe::ProbeLink
{
public:
    explicit ScriptedLink(std::deque<std::vector<std::uint8_t>> script)
        : m_script(std::move(script))
    {}

    probe::LinkStatus OpenEx(std::string_view, std::uint32_t) override
    {
        return probe::LinkStatus::Ok;
    }
    probe::LinkStatus Purge(std::uint32_t mask) override
    {
        if (mask & probe::kPurgeRx)
            m_queue.clear();
        return probe::LinkStatus::Ok;
    }
    probe::LinkStatus GetQueueStatus(std::uint32_t &queued) override
    {
        if (failQueueStatus)
            return probe::LinkStatus::IoError;
        queued = static_cast<std::uint32_t>(m_queue.size());
        return probe::LinkStatus::Ok;
    }
    probe::LinkStatus Read(std::span<std::uint8_t> buffer, std::uint32_t &received) override
    {
        if (failRead)
            return probe::LinkStatus::IoError;
        received = static_cast<std::uint32_t>(std::min(buffer.size(), m_queue.size()));
        std::copy_n(m_queue.begin(), received, buffer.begin());
        m_queue.erase(m_queue.begin(), m_queue.begin() + received);
        return probe::LinkStatus::Ok;
    }
    probe::LinkStatus Write(std::span<const std::uint8_t> bytes, std::uint32_t &written) override
    {
        written = static_cast<std::uint32_t>(bytes.size());
        commands.emplace_back(bytes.begin(), bytes.end());
        if (bytes.size() == 7 && !m_script.empty()) {
            m_queue.insert(m_queue.end(), m_script.front().begin(), m_script.front().end());
            m_script.pop_front();
        }
        return probe::LinkStatus::Ok;
    }
    probe::LinkStatus Close() override { return probe::LinkStatus::Ok; }

    std::vector<std::vector<std::uint8_t>> commands;
    std::atomic<bool> failQueueStatus{false};
    std::atomic<bool> failRead{false};

private:
    std::deque<std::vector<std::uint8_t>> m_script;
    std::deque<std::uint8_t> m_queue;
};

// One test of three cycles with V-function 1 ("Строб", tact 2) active.
struct ProbeDoc
{
    ProbeDoc()
    {
        STest &test = d.AddTest("....", "....", 3);
        AddFunction(test, 1, 3);
        test.VFuncs.SetActive(1);
        d.doc.SelectTest(0);
    }
    // V-function `number` named "Строб" at the 1-based tact, sweep "20 мс",
    // amplitude "25".
    static void AddFunction(STest &test, int number, int tact)
    {
        SVFuncInput input;
        input.Name = "Строб";
        input.Sweep = 4;
        input.Amplitude = 2;
        input.Tact = tact;
        input.Number = number;
        std::string refusal;
        EXPECT_TRUE(test.VFuncs.AddFunction(input, std::max(tact, 4), &refusal)) << refusal;
    }
    SFuncV &Function() { return *d.doc.Test(0)->VFuncs.ByNumber(1); }

    DocBuilder d;
};

} // namespace qv::testing
