#include "remote/client.h"

#include <QDir>
#include <QFileInfo>

namespace qv {

TClient::TClient(QString receiveDir, RemoteLogin identity, QObject *parent)
    : TClientServerCommon(std::move(receiveDir), parent)
    , m_identity(std::move(identity))
{
    Watch(&m_socket);
    connect(&m_socket, &QTcpSocket::connected, this, &TClient::OnConnected);
    connect(&m_socket, &QTcpSocket::disconnected, this, &TClient::OnDisconnected);
}

void TClient::Connect(const QString &host, quint16 port)
{
    ClearStatistics();
    SetState(State::Connecting);
    m_host = host;
    m_port = port;
    ConnectionLog().Add(QStringLiteral("Поиск сервера ") + host + QStringLiteral(" порт ") +
                        QString::number(port));
    SetPeer(&m_socket);
    m_socket.connectToHost(host, port);
}

void TClient::Disconnect()
{
    m_socket.disconnectFromHost();
}

void TClient::OnConnected()
{
    ConnectionLog().Add(QStringLiteral("Соединение с сервером установлено"), RemoteLogColour::Navy);
    ConnectionLog().Add(QStringLiteral("Выполняется авторизация на сервере"));
    SendCommand(RemoteCommand::Login, LoginPayload(m_identity));
}

void TClient::OnDisconnected()
{
    ConnectionLog().Add(QStringLiteral("Соединение с сервером разорвано"), RemoteLogColour::Navy);
    ChatLog().Clear();
    ResetTransfer();
    SetState(State::Connecting);
    emit ConnectionLost();
}

void TClient::OnSocketError(QTcpSocket *, QAbstractSocket::SocketError error)
{
    if (GetState() != State::Connecting || m_socket.state() == QAbstractSocket::ConnectedState)
        return;
    if (error == QAbstractSocket::RemoteHostClosedError)
        return;
    SetState(State::Idle);
    emit ConnectFailed();
}

void TClient::HandleMessage(RemoteCommand command, const QByteArray &payload, QTcpSocket *)
{
    if (command == RemoteCommand::Login && GetState() == State::Connecting && payload == "OK") {
        ConnectionLog().Add(QStringLiteral("Авторизация прошла успешно"));
        InfoLog().Add(QStringLiteral("Адрес сервера: ") + m_host);
        InfoLog().Add(QStringLiteral("Порт сервера: ") + QString::number(m_port));
        SetState(State::LoggedIn);
    } else if (command == RemoteCommand::Open) {
        Open(payload);
    } else if (command == RemoteCommand::Click) {
        const auto click = ParseClick(payload);
        if (!click)
            InfoLog().Add(QStringLiteral("Получено неверное сообщение о нажатии кнопки мыши"),
                          RemoteLogColour::Red);
        else if (click->kind != 0)
            InfoLog().Add(QStringLiteral("TClient::MouseClick - type != 0"), RemoteLogColour::Red);
        else
            emit ClickRequested(*click);
    }
}

void TClient::Open(const QByteArray &wireName)
{
    const QString shown = FromWire(wireName);
    InfoLog().Add(QStringLiteral("Открытие файла \"") + shown + u'"');
    const auto name = ReceivedFileName(wireName);
    const QString path = name ? ReceivedFilePath(ReceiveDir(), *name) : QString();
    if (path.isEmpty() || !QFileInfo(path).isFile()) {
        InfoLog().Add(QStringLiteral("Ошибка открытия файла \"") + shown + u'"',
                      RemoteLogColour::Red);
        SendText(RemoteCommand::Error, QStringLiteral("Ошибка открытия файла \"") + shown +
                                           QStringLiteral("\" у клиента"));
        return;
    }
    emit OpenRequested(path);
}

} // namespace qv
