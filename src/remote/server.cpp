#include "remote/server.h"

#include <QTimer>

namespace qv {

namespace {

QString AddressOf(const QTcpSocket *socket)
{
    return socket->peerAddress().toString();
}

} // namespace

int TServer::Strangers() const
{
    int count = 0;
    for (const QTcpSocket *socket : m_server.findChildren<QTcpSocket *>())
        if (socket != Peer() && socket->state() == QAbstractSocket::ConnectedState)
            ++count;
    return count;
}

TServer::TServer(QString receiveDir, QObject *parent)
    : TClientServerCommon(std::move(receiveDir), parent)
{
    connect(&m_server, &QTcpServer::newConnection, this, &TServer::OnNewConnection);
}

TServer::~TServer()
{
    // The client sockets die with m_server and say they disconnected while
    // it is being destroyed: this server must not hear them then.
    for (QTcpSocket *socket : m_server.findChildren<QTcpSocket *>())
        socket->disconnect(this);
}

bool TServer::Listen(const QHostAddress &address, quint16 port)
{
    ClearStatistics();
    SetState(State::Connecting);
    if (!m_server.listen(address, port)) {
        ConnectionLog().Add(m_server.errorString(), RemoteLogColour::Red, true);
        SetState(State::Idle);
        return false;
    }
    ConnectionLog().Add(QStringLiteral("Начало прослушивания сервером порта ") +
                            QString::number(m_server.serverPort()) + QStringLiteral("..."),
                        RemoteLogColour::Navy);
    return true;
}

void TServer::StopListening()
{
    CloseAll();
    m_server.close();
    ConnectionLog().Add(QStringLiteral("Сервер отключил функцию послушивания порта"),
                        RemoteLogColour::Navy);
    ChatLog().Clear();
    ResetTransfer();
    SetState(State::Idle);
}

std::optional<int> TServer::ResultCode() const
{
    return ResultTagCode(LastPayload());
}

void TServer::ResultsDone()
{
    ResetTransfer();
    InfoLog().Add(QStringLiteral("Результаты теста обработаны"));
    SendText(RemoteCommand::BufApply, QStringLiteral("OK"));
}

void TServer::HandleMessage(RemoteCommand command, const QByteArray &payload, QTcpSocket *from)
{
    if (command == RemoteCommand::Login) {
        CheckLogin(payload, from);
    } else if (command == RemoteCommand::BufApply && !ResultTagCode(payload)) {
        ResetTransfer();
        SendText(RemoteCommand::ErrorInfo,
                 QStringLiteral("Неизвестный идентификатор буфера приема на сервере"));
    }
}

bool TServer::Admits(RemoteCommand command, QTcpSocket *from) const
{
    // Before the login nothing but the login is heard.
    if (command == RemoteCommand::Login)
        return from != Peer();
    return from == Peer();
}

void TServer::OnNewConnection()
{
    while (QTcpSocket *socket = m_server.nextPendingConnection()) {
        // Strangers are held only so many at a time, and unlogged: a flood
        // of connections must not cost memory or the log.
        if (Strangers() > m_maxStrangers) {
            socket->abort();
            socket->deleteLater();
            continue;
        }
        ConnectionLog().Add(QStringLiteral("Подключение клиента ") + AddressOf(socket),
                            RemoteLogColour::Navy);
        Watch(socket);
        // The socket may say it disconnected from its base destructor, when
        // it is no longer a QTcpSocket: the slot keeps what it needs.
        const void *key = socket;
        QObject *object = socket;
        connect(socket, &QTcpSocket::disconnected, this,
                [this, key, object, address = AddressOf(socket)] {
                    OnClientGone(key, object, address);
                });
        // A connection that does not log in within its time is dropped.
        QTimer::singleShot(m_loginWaitMs, socket, [this, socket] {
            if (socket != Peer())
                socket->abort();
        });
        // The bench logged in stays: a newcomer is told at once, and only
        // its own login ends the session (below).
        if (Peer())
            SendText(RemoteCommand::Error, QStringLiteral("К серверу уже подключен клиент"),
                     socket);
    }
}

void TServer::OnClientGone(const void *key, QObject *socket, const QString &address)
{
    ConnectionLog().Add(QStringLiteral("Клиент ") + address + QStringLiteral(" отключился"),
                        RemoteLogColour::Navy);
    if (IsPeer(key))
        ForgetPeer();
    socket->deleteLater();
}

void TServer::CheckLogin(const QByteArray &payload, QTcpSocket *from)
{
    const auto login = ParseLogin(payload);
    if (!login || !LoginAcceptable(*login)) {
        SendText(RemoteCommand::Error,
                 QStringLiteral("Ошибка авторизации: неверный логин и/или пароль"), from);
        // A refused stranger does not end the session of the bench.
        if (Peer())
            from->disconnectFromHost();
        else
            CloseAll();
        return;
    }
    if (Peer()) {
        // A second client that logged in: the session ends for both, and
        // either may connect again.
        SendText(RemoteCommand::Error, QStringLiteral("К серверу уже подключен клиент"), from);
        CloseAll();
        return;
    }
    InfoLog().Add(QStringLiteral("Локальный адрес клиента: ") + from->localAddress().toString() +
                  QStringLiteral(" порт: ") + QString::number(from->localPort()));
    InfoLog().Add(QStringLiteral("Удаленный адрес клиента: ") + from->peerAddress().toString() +
                  QStringLiteral(" порт: ") + QString::number(from->peerPort()));
    InfoLog().Add(QStringLiteral("Имя пользователя: ") + login->user);
    InfoLog().Add(QStringLiteral("Номер продукта:") + login->product);
    ConnectionLog().Add(QStringLiteral("Соединение с клиентом установлено"), RemoteLogColour::Navy);
    SetPeer(from);
    SetState(State::LoggedIn);
    SendText(RemoteCommand::Login, QStringLiteral("OK"));
}

void TServer::ForgetPeer()
{
    SetPeer(nullptr);
    ChatLog().Clear();
    ResetTransfer();
    if (m_server.isListening())
        SetState(State::Connecting);
}

void TServer::CloseAll()
{
    if (Peer())
        ForgetPeer();
    for (QTcpSocket *socket : m_server.findChildren<QTcpSocket *>())
        socket->disconnectFromHost(); // what is still queued goes out first
}

} // namespace qv
