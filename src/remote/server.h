#pragma once

// The server role of the remote link: the operator's station. It listens
// for clients and lets exactly one of them log in; until then a connected
// socket is heard only for its "LOGIN " message. A connection that has not
// logged in is a stranger: strangers are held only a few at a time and
// only for a few seconds, and none of them disturbs the client logged in
// unless it logs in itself (then both are closed, as for any second client).

#include "remote/clientservercommon.h"

#include <QHostAddress>
#include <QTcpServer>

namespace qv {

inline constexpr quint16 kDefaultRemotePort = 35000;

class TServer : public TClientServerCommon
{
    Q_OBJECT
public:
    explicit TServer(QString receiveDir, QObject *parent = nullptr);
    ~TServer() override;

    // Port 0 picks a free port; ListeningPort() tells which.
    bool Listen(const QHostAddress &address, quint16 port);
    void StopListening();
    quint16 ListeningPort() const { return m_server.serverPort(); }
    // How long a connection may take to log in, and how many connections
    // that have not may be held besides the logged-in one.
    void SetStrangerLimits(int loginWaitMs, int maxStrangers)
    {
        m_loginWaitMs = loginWaitMs;
        m_maxStrangers = maxStrangers;
    }

    // The answer code of the results handed over last: the last byte of the
    // "BUFAPPLY " payload minus 32; nullopt without the "тест буфер" prefix.
    std::optional<int> ResultCode() const;
    // The results are processed: tells the client.
    void ResultsDone();

protected:
    void HandleMessage(RemoteCommand command, const QByteArray &payload, QTcpSocket *from) override;
    bool Admits(RemoteCommand command, QTcpSocket *from) const override;

private:
    void OnNewConnection();
    // `key` is the socket's address and `address` its peer's, both taken
    // while the socket was whole.
    void OnClientGone(const void *key, QObject *socket, const QString &address);
    // Back to waiting for a login: the chat and any transfer are dropped.
    void ForgetPeer();
    void CheckLogin(const QByteArray &payload, QTcpSocket *from);
    // Closes every client connection, the logged-in one too.
    void CloseAll();

    // Connections held that have not logged in.
    int Strangers() const;

    QTcpServer m_server;
    int m_loginWaitMs = 5000;
    int m_maxStrangers = 16;
};

} // namespace qv
