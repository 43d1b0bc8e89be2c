#pragma once

// Two ends of the remote link on loopback for the tests: a server listening
// on 127.0.0.1 at a free port, a client logged in to it, and a raw socket
// that writes bytes of its own choosing.

#include "remote/client.h"
#include "remote/server.h"
#include "support/common/tempdir.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTcpSocket>
#include <memory>

namespace qv::testing {

// Runs the event loop until the condition holds or ten seconds pass.
template <typename Condition>
bool PumpUntil(Condition condition, int limitMs = 10000)
{
    QElapsedTimer timer;
    timer.start();
    while (!condition()) {
        if (timer.elapsed() > limitMs)
            return condition();
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    }
    return true;
}

inline const QString kProductNumber = QStringLiteral("0123456789abcdef0123456789abcdef0123");

inline QByteArray Uint16Bytes(quint16 value)
{
    QByteArray bytes;
    bytes.append(static_cast<char>(value & 0xFF));
    bytes.append(static_cast<char>(value >> 8));
    return bytes;
}

// "FILE " block bytes, name length taken from the name as given.
inline QByteArray RawFileBlock(const QByteArray &name, quint16 index, quint16 count,
                               const QByteArray &data)
{
    return "FILE " + QByteArray(1, static_cast<char>(name.size())) + name + Uint16Bytes(index) +
           Uint16Bytes(count) + data;
}

// A peer that speaks the wire by hand.
struct RawPeer
{
    QTcpSocket socket;
    QByteArray received;

    explicit RawPeer(quint16 port)
    {
        QObject::connect(&socket, &QTcpSocket::readyRead, &socket,
                         [this] { received += socket.readAll(); });
        socket.connectToHost(QStringLiteral("127.0.0.1"), port);
    }
    bool Connected()
    {
        return PumpUntil([&] { return socket.state() == QAbstractSocket::ConnectedState; });
    }
    void Send(const QByteArray &bytes)
    {
        socket.write(bytes);
        socket.flush();
    }
    // Sends and waits until something comes back.
    QByteArray Exchange(const QByteArray &bytes)
    {
        received.clear();
        Send(bytes);
        PumpUntil([&] { return !received.isEmpty(); });
        return received;
    }
    bool Closed()
    {
        return PumpUntil([&] { return socket.state() == QAbstractSocket::UnconnectedState; });
    }
};

class LinkedPeers
{
public:
    LinkedPeers()
        : server(QString::fromStdString(serverDir.File("remote")))
    {
        server.Listen(QHostAddress::LocalHost, 0);
    }

    // A client with the given identification, connecting to the server.
    std::unique_ptr<TClient> Connect(const RemoteLogin &identity)
    {
        auto client =
            std::make_unique<TClient>(QString::fromStdString(clientDir.File("remote")), identity);
        client->Connect(QStringLiteral("127.0.0.1"), server.ListeningPort());
        return client;
    }

    // A client that has logged in.
    std::unique_ptr<TClient> LoggedIn()
    {
        auto client = Connect({QStringLiteral("Оператор"), kProductNumber});
        PumpUntil([&] {
            return client->GetState() == TClientServerCommon::State::LoggedIn &&
                   server.GetState() == TClientServerCommon::State::LoggedIn;
        });
        return client;
    }

    // A raw peer that has logged in by hand.
    std::unique_ptr<RawPeer> RawLoggedIn()
    {
        auto raw = std::make_unique<RawPeer>(server.ListeningPort());
        raw->Connected();
        raw->Exchange("LOGIN raw\x07" + kProductNumber.toLatin1());
        return raw;
    }

    TempDir serverDir;
    TempDir clientDir;
    TServer server;
};

} // namespace qv::testing
