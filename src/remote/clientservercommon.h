#pragma once

// What the server and the client of the remote link share: sending and
// receiving messages, block-wise transfer of files and data buffers, waiting
// for a particular answer, chat, the three logs and the traffic counts.
//
// Everything runs on the thread that owns the object (the main thread):
// socket events arrive through its event loop, and `WaitFor` runs a nested
// event loop so that the reader keeps running while a sender waits. A wait
// always ends: on the answer, on its time-out, or when the peer goes away.
// The object may be destroyed by an event handled during a wait; the wait
// then returns false and the waiting call touches nothing of it.
//
// Another thread (the run thread) may send data, hand over results and
// exchange a message with its answer: the sending is handed to the owner's
// thread, and the answer wakes the waiter through the auto-reset event
// "Event_Quorvik_Remote" (the wait by event). The object must outlive such
// a call; the run window that makes it is modal, so nothing that destroys
// the role can be chosen meanwhile.
//
// The sockets belong to the role (`TServer`, `TClient`); this class only
// keeps a pointer to the peer socket messages go to by default.

#include "execution/run/autoresetevent.h"
#include "remote/remotelog.h"
#include "remote/remotewire.h"
#include "remote/transferreceiver.h"

#include <QByteArray>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QTcpSocket>
#include <atomic>
#include <functional>
#include <mutex>
#include <optional>

class QEventLoop;

namespace qv {

// The folder received files go to: "remote" in the program's own folder.
QString DefaultReceiveDir();

class TClientServerCommon : public QObject
{
    Q_OBJECT
public:
    enum class State {
        Idle = 0,       // not connected, not listening
        Connecting = 1, // connecting or listening, not logged in
        LoggedIn = 2,
        Waiting = 3, // only inside WaitFor
    };

    // Also receives every handled message after the role.
    using Consumer = std::function<void(RemoteCommand, const QByteArray &payload)>;

    explicit TClientServerCommon(QString receiveDir, QObject *parent = nullptr);
    ~TClientServerCommon() override;

    // False when there is no socket to send to or the message would not fit
    // the 51200-byte send buffer.
    bool SendCommand(RemoteCommand command, const QByteArray &payload,
                     QTcpSocket *socket = nullptr);
    // "ERROR " and "ERRORI " texts also go to the own connection or
    // information log.
    bool SendText(RemoteCommand command, const QString &text, QTcpSocket *socket = nullptr);
    // A non-empty name sends a file of that name, an empty one a buffer.
    // Also from another thread.
    bool SendData(const QByteArray &bytes, const QString &name);
    bool SendFile(const QString &path);
    // True when a message with that command arrived within the time; its
    // payload is then LastPayload().
    bool WaitFor(RemoteCommand command, int milliseconds);
    // True when the peer answered "BUFAPPLY " "OK" in time. Also from
    // another thread.
    bool ApplyBuffer(const QString &text);
    bool ApplyBuffer(const QByteArray &wireText);
    // Sends a message and waits for the answer with `answer`'s command
    // word: its payload, or nullopt when none came within the time (or the
    // peer went away). From the owner's thread the wait pumps its events;
    // from another thread it is a wait by event.
    std::optional<QByteArray> Exchange(RemoteCommand command, const QByteArray &payload,
                                       RemoteCommand answer, int milliseconds);
    void Chat(const QString &text);
    void ResetTransfer();

    State GetState() const { return m_state; }
    // Logged in, also while waiting; safe from any thread.
    bool LoggedIn() const { return m_loggedIn; }
    const QByteArray &LastPayload() const { return m_lastPayload; }
    const QByteArray &ReceivedBuffer() const { return m_receiver.Buffer(); }
    QByteArray TakeReceivedBuffer() { return m_receiver.TakeBuffer(); }
    const QString &ReceiveDir() const { return m_receiver.ReceiveDir(); }
    void SetReceiveLimits(qint64 maxBytes, int maxFiles)
    {
        m_receiver.SetFolderLimits(maxBytes, maxFiles);
    }
    void SetConsumer(Consumer consumer) { m_consumer = std::move(consumer); }

    RemoteLog &ConnectionLog() { return m_connectionLog; }
    RemoteLog &InfoLog() { return m_infoLog; }
    RemoteLog &ChatLog() { return m_chatLog; }
    qint64 BytesSent() const { return m_bytesSent; }
    qint64 BytesReceived() const { return m_bytesReceived; }
    // "Отдача: … Кб | Прием: … Кб".
    QString TrafficLine() const;
    void ClearStatistics();
    // Adds a line to a log, from any thread (the logs belong to the owner's).
    void Log(RemoteLog &log, const QString &text, RemoteLogColour colour = RemoteLogColour::Default,
             bool bold = false);

signals:
    void TrafficChanged(const QString &line);
    void ChatReceived(const QString &text);
    void StateChanged(qv::TClientServerCommon::State state);

protected:
    // The role's handler of every recognised message.
    virtual void HandleMessage(RemoteCommand command, const QByteArray &payload,
                               QTcpSocket *from) = 0;
    // Whether a message from this socket is handled at all.
    virtual bool Admits(RemoteCommand, QTcpSocket *) const { return true; }

    void SetState(State state);
    void SetPeer(QTcpSocket *socket)
    {
        m_peer = socket;
        m_peerKey = socket;
    }
    QTcpSocket *Peer() const { return m_peer; }
    // Whether the socket at this address (taken while it was whole) is the
    // peer; safe while the socket is being destroyed.
    bool IsPeer(const void *key) const { return key == m_peerKey && !m_peer.isNull(); }
    // Reads, logs the errors of and notices the loss of this socket.
    void Watch(QTcpSocket *socket);
    // Called when a watched socket reports an error, after it is logged.
    virtual void OnSocketError(QTcpSocket *, QAbstractSocket::SocketError) {}

private:
    struct Wait;

    void ReadFrom(QTcpSocket *socket);
    // Hands on every message the socket's bytes make whole and sets the
    // clocks of the one still being assembled.
    void DispatchWhole(QTcpSocket *socket);
    // The stream went quiet: the message without a length of its own ends.
    void TakeOpen(QTcpSocket *socket);
    // A message whose length is known did not complete in time: a block is
    // refused (the transfer fails on both sides), anything else dropped.
    void Overdue(QTcpSocket *socket);
    void Dispatch(const QByteArray &bytes, QTcpSocket *from);
    void ReceiveBlock(const QByteArray &payload, bool isFile, QTcpSocket *from);
    void RefuseBlock(bool isFile, QTcpSocket *from);
    void LogSocketError(QTcpSocket *socket, QAbstractSocket::SocketError error);
    // `key` is the socket's address, taken while it was whole: a socket also
    // says it disconnected from its base destructor, when it is no longer a
    // QTcpSocket and must not be used as one.
    void Lost(const void *key);
    static void KeepApart(QTcpSocket *socket);
    bool OffThread() const;
    // The reader's side of a wait by event: true when the message was the
    // awaited answer (then it is handed to the waiter and goes no further).
    bool OfferToEventWait(RemoteCommand command, const QByteArray &payload);
    void AbortEventWait();
    // Ends a wait for a block's acknowledgement (the peer refused it).
    void EndBlockWaits();

    TransferReceiver m_receiver;
    RemoteLog m_connectionLog;
    RemoteLog m_infoLog;
    RemoteLog m_chatLog;
    qint64 m_bytesSent = 0;
    qint64 m_bytesReceived = 0;
    State m_state = State::Idle;
    QPointer<QTcpSocket> m_peer;
    const void *m_peerKey = nullptr; // m_peer's address, to compare without using it
    QByteArray m_lastPayload;
    Consumer m_consumer;
    Wait *m_wait = nullptr; // set only while WaitFor runs
    std::atomic<bool> m_loggedIn{false};

    // The wait by event of another thread; one at a time.
    std::mutex m_exchangeMutex;                  // held by the waiting thread for its exchange
    std::mutex m_eventMutex;                     // the three below
    std::optional<RemoteCommand> m_eventAwaited; // nullopt: nobody waits by event
    std::optional<QByteArray> m_eventAnswer;
    AutoResetEvent m_event{"Event_Quorvik_Remote"};
};

} // namespace qv
