#pragma once

// TRemoteRunLink: the run's side of the remote link, for the run thread and
// the run driver. On a client (the bench) it sends the run's reports to the
// watching server and hands over the unit's results; on a server it passes
// the bench's reports and results to the run thread that follows the run,
// and answers them once that thread has dealt with them.
//
// The object lives on the main thread for the whole program and serves the
// role bound to it (none between roles). The run thread's calls are sent
// from the main thread, and their answers wake the run thread through the
// link's event; none waits longer than the answer time-out (2000 ms).
//
// A server keeps the bench's reports that come while no run follows (a run
// started on the bench alone, or one whose thread has not started here
// yet) and answers them at once, so that the bench never waits; the run
// that starts next takes those of its own run. A bench's link check begins
// a run: what came before it belongs to an earlier one and is dropped. So
// a bench that ends at once (a failed check of its contacts, its
// operator's "Отмена") still ends the run that follows here.

#include "execution/run/pusk.h"
#include "remote/remotewire.h"

#include <QElapsedTimer>
#include <QObject>
#include <QPointer>
#include <atomic>
#include <deque>
#include <mutex>

namespace qv {

class TClientServerCommon;
class TServer;

class TRemoteRunLink final : public QObject, public RemoteRunLink
{
    Q_OBJECT
public:
    explicit TRemoteRunLink(QObject *parent = nullptr);
    ~TRemoteRunLink() override;

    // Serves a client role, a server role, or none (main thread).
    void BindClient(TClientServerCommon *client);
    void BindServer(TServer *server);
    void Unbind();

    bool Busy() const { return m_busy; }
    // How long a server waits for the bench's link check, ms.
    void SetCheckWaitMs(int ms) { m_checkWaitMs = ms; }

    // RemoteRunLink
    void SetBusy(bool busy) override { m_busy = busy; }
    void SendStatusText(const std::string &text) override;
    void SendEndReport(const std::string &errorText) override;
    void SendResult(int code, std::span<const std::uint8_t> bytes) override;
    void StopBench() override;
    void SetHandler(std::function<void(const Message &)> handler) override;
    void Acknowledge() override;
    void SendCheckResult(int code, const std::string &text) override;
    int CheckBenchLink(std::string &text) override;
    bool Connected() const override;

private:
    // What the bench waits for after a message handed to the run thread.
    enum class Answer { Report, Results };
    struct Held
    {
        Message message;
        std::optional<Answer> answer; // nullopt: answered already
    };

    // Client: one report, waiting for its acknowledgement.
    void SendReport(const RunReport &report);
    // Server: every message the role handled (main thread).
    void OnServerMessage(RemoteCommand command, const QByteArray &payload);
    void Deliver(Message message, Answer answer);
    // Main thread: tells the bench to go on.
    void SendAnswer(Answer answer);

    // The bound role; its pointer is read by the run thread under m_mutex,
    // and the role outlives any run (see TClientServerCommon).
    TClientServerCommon *m_role = nullptr;
    TServer *m_server = nullptr; // also m_role while a server is bound
    std::atomic<bool> m_busy{false};
    // The bench may first wait up to 3000 ms for its unit lock, then check
    // its link: the server waits for both, with time to spare.
    int m_checkWaitMs = 3000 + 3000 + 1000;

    mutable std::mutex m_mutex; // the role pointers, the handler and the queues
    std::function<void(const Message &)> m_handler;
    // Handed to the run thread, not yet dealt with; nullopt: answered already.
    std::deque<std::optional<Answer>> m_unanswered;
    std::deque<Held> m_held; // came while no run followed

    // The bench's last link check, when it came before the server asked.
    std::optional<RunReport> m_lastCheck;
    QElapsedTimer m_lastCheckAge;
};

} // namespace qv
