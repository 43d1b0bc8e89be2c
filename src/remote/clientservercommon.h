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
// The sockets belong to the role (`TServer`, `TClient`); this class only
// keeps a pointer to the peer socket messages go to by default.

#include "remote/remotelog.h"
#include "remote/remotewire.h"
#include "remote/transferreceiver.h"

#include <QByteArray>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QTcpSocket>
#include <functional>
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
    bool SendData(const QByteArray &bytes, const QString &name);
    bool SendFile(const QString &path);
    // True when a message with that command arrived within the time; its
    // payload is then LastPayload().
    bool WaitFor(RemoteCommand command, int milliseconds);
    // True when the peer answered "BUFAPPLY " "OK" in time.
    bool ApplyBuffer(const QString &text);
    void Chat(const QString &text);
    void ResetTransfer();

    State GetState() const { return m_state; }
    const QByteArray &LastPayload() const { return m_lastPayload; }
    const QByteArray &ReceivedBuffer() const { return m_receiver.Buffer(); }
    const QString &ReceiveDir() const { return m_receiver.ReceiveDir(); }
    void SetConsumer(Consumer consumer) { m_consumer = std::move(consumer); }

    RemoteLog &ConnectionLog() { return m_connectionLog; }
    RemoteLog &InfoLog() { return m_infoLog; }
    RemoteLog &ChatLog() { return m_chatLog; }
    qint64 BytesSent() const { return m_bytesSent; }
    qint64 BytesReceived() const { return m_bytesReceived; }
    // "Отдача: … Кб | Прием: … Кб".
    QString TrafficLine() const;
    void ClearStatistics();

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
    void SetPeer(QTcpSocket *socket) { m_peer = socket; }
    QTcpSocket *Peer() const { return m_peer; }
    // Reads, logs the errors of and notices the loss of this socket.
    void Watch(QTcpSocket *socket);
    // Called when a watched socket reports an error, after it is logged.
    virtual void OnSocketError(QTcpSocket *, QAbstractSocket::SocketError) {}

private:
    struct Wait;

    void ReadFrom(QTcpSocket *socket);
    void Dispatch(const QByteArray &bytes, QTcpSocket *from);
    void ReceiveBlock(const QByteArray &payload, bool isFile, QTcpSocket *from);
    void RefuseBlock(bool isFile, QTcpSocket *from);
    void LogSocketError(QTcpSocket *socket, QAbstractSocket::SocketError error);
    void Lost(QTcpSocket *socket);

    TransferReceiver m_receiver;
    RemoteLog m_connectionLog;
    RemoteLog m_infoLog;
    RemoteLog m_chatLog;
    qint64 m_bytesSent = 0;
    qint64 m_bytesReceived = 0;
    State m_state = State::Idle;
    QPointer<QTcpSocket> m_peer;
    QByteArray m_lastPayload;
    Consumer m_consumer;
    Wait *m_wait = nullptr; // set only while WaitFor runs
};

} // namespace qv
