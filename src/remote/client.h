#pragma once

// The client role of the remote link: the bench with the diagnostics unit.
// It connects to a server, logs in with the installation's identification,
// and opens the files the server sends.

#include "remote/clientservercommon.h"

#include <QTcpSocket>

namespace qv {

class TClient : public TClientServerCommon
{
    Q_OBJECT
public:
    TClient(QString receiveDir, RemoteLogin identity, QObject *parent = nullptr);

    void Connect(const QString &host, quint16 port);
    void Disconnect();

signals:
    // The server asked to open a received file (full path in the receive folder).
    void OpenRequested(const QString &path);
    // Connecting failed; the role is idle again.
    void ConnectFailed();
    // The connection to the server broke or was closed.
    void ConnectionLost();
    // The server asked to repeat a click (a "CLICK " of kind 0).
    void ClickRequested(const qv::RemoteClick &click);

protected:
    void HandleMessage(RemoteCommand command, const QByteArray &payload, QTcpSocket *from) override;
    void OnSocketError(QTcpSocket *socket, QAbstractSocket::SocketError error) override;

private:
    void OnConnected();
    void OnDisconnected();
    void Open(const QByteArray &wireName);

    RemoteLogin m_identity;
    QString m_host;
    quint16 m_port = 0;
    QTcpSocket m_socket;
};

} // namespace qv
