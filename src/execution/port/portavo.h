#pragma once

// Portavo: the tester port, the implementation of IComPort.
//
// It owns the link to the unit (in-process simulated unit, TCP or serial, see
// UnitAddress) and a reader thread - the port's callback thread - that finds
// frames in the incoming bytes (docs/unit-protocol.md). Frames the unit
// starts go to the notification callback when one is installed (so does the
// unit's refusal of a run, QORV_DATA or QORV_RETRY, as an INTERNAL frame whose
// text becomes the pending error); answers, and
// unit frames while no callback is installed, are queued for WaitAck,
// WaitData and WaitAnswer. Every wait is bounded by its time-out and ends at
// once when the connection breaks.
//
// Thread use: any thread may call any operation; exchanges that must not
// interleave are kept apart by the unit lock (TthHardStatus), not here. Each
// thread's voice (PortVoice) is its own. The
// notification callback runs on the reader thread and may Send but not wait;
// SetNotify returns only after a callback already running has ended (unless
// it is called from that callback), so that the old callback's target may go.

#include "execution/link/unitframe.h"
#include "execution/port/comport.h"

#include <array>
#include <atomic>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>

namespace qv {

class UnitLink;

class Portavo final : public IComPort
{
public:
    static constexpr std::uint32_t kDefaultBlockSize = 16 * 1024;
    static constexpr std::uint32_t kMaxReceivedFile = 256u * 1024 * 1024;

    // The port of the unit at `address` (the setting "Адрес блока
    // диагностики"); Open makes the link.
    explicit Portavo(std::string address);
    // A port over a link made by the caller; `address` names it in messages.
    Portavo(std::unique_ptr<UnitLink> link, std::string address);
    ~Portavo() override;

    Portavo(const Portavo &) = delete;
    Portavo &operator=(const Portavo &) = delete;

    int Open(const SCP_Info &info) override;
    void Purge() override;
    void Done() override;
    void SetError(std::optional<std::string_view> text) override;
    void Close() override;
    void SetTimeout(int ms) override;
    int Reboot() override;
    void Detach() override;
    // The owner window is not used: the result and, on failure, the pending
    // error text (which names every supply over its limit) are the report.
    int CheckCurrents(int mode, std::uintptr_t owner) override;
    int Send(int code, std::span<const std::uint8_t> data) override;
    int SendCode(int code) override;
    int SendFile(std::span<const std::uint8_t> data, std::string_view name,
                 const ProgressCallback &progress) override;
    int WaitAnswer(int timeoutMs) override;
    int WaitAck(int code, int timeoutMs) override;
    int WaitData(int code, int timeoutMs) override;
    int ReceiveFile(std::vector<std::uint8_t> &data, std::string_view name,
                    const ProgressCallback &progress) override;
    std::vector<std::uint8_t> AnswerData() const override;
    int AnswerLength() const override;
    int AnswerCode() const override;
    std::optional<PortOutcome> TakeError() override;
    void ClearError(std::string_view text) override;
    std::string GetError() const override;
    void SetReport(PortReport report) override;
    void SetNotify(NotifyCallback callback) override;
    NotifyCallback GetNotify() const override;
    int Handshake() override;
    int FindUnit(std::uint32_t *found) override;
    int NeedsReconnect(int check) override;
    PortVoice Voice() const override;
    void SetVoice(PortVoice voice) override;

    // Ends a SendFile or ReceiveFile in progress before its next block
    // (result 7). Any thread.
    void CancelTransfer();
    // The largest file block the port asks for; the unit may accept less.
    void SetBlockSize(std::uint32_t bytes);

    struct Statistics
    {
        std::uint64_t frames = 0;       // frames found in the incoming bytes
        std::uint64_t bytesDropped = 0; // garbage and damaged frames
        std::uint64_t staleAnswers = 0; // answers nobody waited for any more
    };
    Statistics LinkStatistics() const;
    std::uint64_t DiscardedBytes() const override { return LinkStatistics().bytesDropped; }
    const std::string &Address() const { return m_address; }
    // The device type the unit reported in its last handshake, or -1.
    int HandshakeUnitType() const { return m_unitType; }

private:
    struct Outcome
    {
        int code = PortOk;
        std::string text;
        bool ok() const { return code == PortOk || code == PortWarning; }
    };
    // Hands a Loud thread's failure to the report (outside m_mutex).
    void Tell(const PortOutcome &outcome) const;
    enum class LinkState { Closed, Open, Broken };

    Outcome EnsureOpen();
    Outcome OpenLink();
    void CloseLink();
    void StopReader();
    void ReaderLoop();
    void OnFrame(wire::Frame &&frame);
    // Calls a callback taken under m_mutex (which counted it as running).
    void CallNotify(const NotifyCallback &callback, int code, std::uint32_t value,
                    std::span<const std::uint8_t> data);
    bool IsStale(const wire::Frame &frame) const; // under m_mutex

    Outcome Transmit(int code, std::uint32_t value, std::span<const std::uint8_t> data);
    // Waits for the answer of `code` (0: any frame); *answer gets it.
    Outcome Await(int code, int timeoutMs, wire::Frame *answer);
    Outcome Exchange(int code, std::uint32_t value, std::span<const std::uint8_t> data,
                     wire::Frame *answer);
    Outcome FromAnswer(const wire::Frame &frame) const;
    Outcome NotConnected() const; // under m_mutex
    // Which results touch the pending error: a failure always (unless the
    // caller is Background), a success only when it completes an exchange.
    enum class Completes { Send, Exchange };
    int Report(const Outcome &outcome, Completes completes);

    Outcome SendBlocks(std::span<const std::uint8_t> data, std::string_view name,
                       const ProgressCallback &progress);
    Outcome ReceiveBlocks(std::vector<std::uint8_t> &data, std::string_view name,
                          const ProgressCallback &progress);
    // Before block `index`: a cancellation asked for ends the transfer,
    // otherwise the progress callback hears of the block.
    std::optional<Outcome> BeforeBlock(std::uint32_t count, std::uint32_t index,
                                       const ProgressCallback &progress, std::string cancelledText);
    void CancelOnUnit();
    std::chrono::milliseconds TimeoutFor(int timeoutMs) const;

    const std::string m_address;
    const std::uint64_t m_id; // keys this port's voices in each thread
    std::unique_ptr<UnitLink> m_link;
    std::string m_productName;

    std::mutex m_linkMutex; // opening and closing the link, the reader thread
    std::thread m_reader;
    std::atomic<std::thread::id> m_readerId{};
    wire::Decoder m_decoder; // reader thread only (or while it is stopped)

    std::mutex m_writeMutex; // one frame on the wire at a time
    std::vector<std::uint8_t> m_sendBuffer;
    std::uint16_t m_seq = 0;

    mutable std::mutex m_mutex; // everything below
    std::condition_variable m_answerReady;
    std::condition_variable m_callbackDone;
    int m_callbacksRunning = 0; // notification callbacks being called now
    LinkState m_state = LinkState::Closed;
    std::deque<wire::Frame> m_answers;
    std::size_t m_queuedBytes = 0;
    std::array<std::uint16_t, 39> m_lastSeq{};
    int m_lastCode = 0;
    std::vector<std::uint8_t> m_lastData;
    std::string m_error; // the pending error; empty: none
    PortResult m_errorCode = PortOk;
    bool m_errorShown = false; // reported at once: TakeError does not repeat it
    bool m_errorKept = false;  // recorded by a caller: no successful exchange clears it
    NotifyCallback m_notify;
    PortReport m_report;
    Statistics m_stats;

    std::atomic<int> m_timeout{1000};
    std::atomic<std::uint32_t> m_blockSize{kDefaultBlockSize};
    std::atomic<std::uint32_t> m_unitMaxPayload{wire::kMaxPayload};
    std::atomic<std::uint32_t> m_unitMaxBlock{wire::kMaxPayload};
    std::atomic<int> m_unitType{-1};
    std::atomic<bool> m_cancel{false};
    std::atomic<std::uint32_t> m_nonce{0};
};

} // namespace qv
