// Logging in to the server, the one-client rule, and the exchanges of a
// logged-in pair: opening a received file, handing over results, chat.

#include "support/remote/remotepeers.h"

#include <QDir>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTimer>
#include <gtest/gtest.h>

namespace qv {
namespace {

using testing::kProductNumber;
using testing::LinkedPeers;
using testing::PumpUntil;
using testing::RawPeer;
using State = TClientServerCommon::State;

TEST(RemoteLogin, AClientWithAUserNameAnd36CharacterNumberLogsIn)
{
    LinkedPeers peers;
    auto client = peers.LoggedIn();
    EXPECT_EQ(client->GetState(), State::LoggedIn);
    EXPECT_EQ(peers.server.GetState(), State::LoggedIn);
    EXPECT_TRUE(peers.server.InfoLog().Contains(QStringLiteral("Имя пользователя: Оператор")));
    EXPECT_TRUE(
        peers.server.InfoLog().Contains(QStringLiteral("Номер продукта:") + kProductNumber));
    EXPECT_TRUE(client->ConnectionLog().Contains(QStringLiteral("Авторизация прошла успешно")));
    // Every line carries the time it was logged.
    const QRegularExpression shown(QStringLiteral(R"(^\d\d:\d\d:\d\d\.\d{3}: )"));
    for (const RemoteLogLine &line : peers.server.ConnectionLog().Lines())
        EXPECT_TRUE(shown.match(line.Shown()).hasMatch()) << line.Shown().toStdString();
}

TEST(RemoteLogin, AnEmptyNameOrAWrongLengthNumberIsRefusedAndClosed)
{
    LinkedPeers peers;
    const QByteArray refusal =
        ToWire(QStringLiteral("ERROR Ошибка авторизации: неверный логин и/или пароль"));
    for (const QByteArray &login :
         {"LOGIN \x07" + kProductNumber.toLatin1(),
          "LOGIN user\x07" + kProductNumber.toLatin1().left(35),
          "LOGIN user\x07" + kProductNumber.toLatin1() + "x", QByteArray("LOGIN no separator")}) {
        RawPeer raw(peers.server.ListeningPort());
        ASSERT_TRUE(raw.Connected());
        raw.Send(login);
        EXPECT_TRUE(raw.Closed()) << login.toStdString();
        EXPECT_EQ(raw.received, refusal);
        EXPECT_EQ(peers.server.GetState(), State::Connecting);
    }
}

TEST(RemoteLogin, NothingButTheLoginIsHeardBeforeIt)
{
    LinkedPeers peers;
    RawPeer raw(peers.server.ListeningPort());
    ASSERT_TRUE(raw.Connected());
    const QByteArray early = testing::RawFileBlock("early.txt", 0, 1, "x");
    raw.Send(early);
    // The next message goes out once this one is in, after the gap every
    // sender keeps (a block that ends where its sender stopped is taken
    // once the line is quiet).
    ASSERT_TRUE(PumpUntil([&] { return peers.server.BytesReceived() == early.size(); }));
    PumpUntil([] { return false; }, kRemoteMessageGapMs);
    // The login that follows is answered; the block before it was not.
    EXPECT_EQ(raw.Exchange("LOGIN u\x07" + kProductNumber.toLatin1()), QByteArray("LOGIN OK"));
    EXPECT_FALSE(QDir(peers.server.ReceiveDir()).exists(QStringLiteral("early.txt")));
}

TEST(RemoteLogin, ASecondClientThatLogsInIsRefusedAndBothConnectionsClosed)
{
    LinkedPeers peers;
    auto first = peers.LoggedIn();
    RawPeer second(peers.server.ListeningPort());
    ASSERT_TRUE(second.Connected());
    // Told at once; the session of the first ends only with its login.
    EXPECT_TRUE(PumpUntil([&] { return !second.received.isEmpty(); }));
    EXPECT_EQ(FromWire(second.received), QStringLiteral("ERROR К серверу уже подключен клиент"));
    EXPECT_EQ(first->GetState(), State::LoggedIn);
    second.received.clear();
    second.Send("LOGIN second\x07" + kProductNumber.toLatin1());
    EXPECT_TRUE(second.Closed());
    EXPECT_EQ(FromWire(second.received), QStringLiteral("ERROR К серверу уже подключен клиент"));
    EXPECT_TRUE(PumpUntil([&] {
        return first->ConnectionLog().Contains(QStringLiteral("Соединение с сервером разорвано"));
    }));
    EXPECT_EQ(peers.server.GetState(), State::Connecting);
}

// A connection that says nothing, or logs in wrongly, while a client is
// logged in leaves that client's session alone and is dropped.
TEST(RemoteLogin, AStrangerThatSaysNothingIsDroppedAndTheClientStays)
{
    LinkedPeers peers;
    peers.server.SetStrangerLimits(300, 16);
    auto first = peers.LoggedIn();
    RawPeer silent(peers.server.ListeningPort());
    ASSERT_TRUE(silent.Connected());
    EXPECT_TRUE(silent.Closed()); // after the login wait
    RawPeer wrong(peers.server.ListeningPort());
    ASSERT_TRUE(wrong.Connected());
    wrong.Send("LOGIN \x07short");
    EXPECT_TRUE(wrong.Closed());
    EXPECT_TRUE(
        FromWire(wrong.received)
            .endsWith(QStringLiteral("ERROR Ошибка авторизации: неверный логин и/или пароль")));
    EXPECT_EQ(first->GetState(), State::LoggedIn);
    EXPECT_EQ(peers.server.GetState(), State::LoggedIn);
    // The link still carries the session.
    first->Chat(QStringLiteral("на месте"));
    EXPECT_TRUE(
        PumpUntil([&] { return peers.server.ChatLog().Contains(QStringLiteral(">> на месте")); }));
}

TEST(RemoteLogin, AServerThatIsNotThereLeavesTheClientIdle)
{
    LinkedPeers peers;
    const quint16 port = peers.server.ListeningPort();
    peers.server.StopListening();
    auto client = std::make_unique<TClient>(QString::fromStdString(peers.clientDir.File("r")),
                                            RemoteLogin{QStringLiteral("u"), kProductNumber});
    QSignalSpy failed(client.get(), &TClient::ConnectFailed);
    client->Connect(QStringLiteral("127.0.0.1"), port);
    EXPECT_TRUE(PumpUntil([&] { return failed.count() == 1; }));
    EXPECT_EQ(client->GetState(), State::Idle);
    const auto &lines = client->ConnectionLog().Lines();
    ASSERT_FALSE(lines.empty());
    EXPECT_TRUE(lines.back().text.startsWith(QStringLiteral("[подключение] ")))
        << lines.back().text.toStdString();
    EXPECT_EQ(lines.back().colour, RemoteLogColour::Red);
}

TEST(RemoteLogin, AServerDestroyedWithAClientLoggedInClosesItWithoutHearingIt)
{
    testing::TempDir dir;
    auto server = std::make_unique<TServer>(QString::fromStdString(dir.File("remote")));
    ASSERT_TRUE(server->Listen(QHostAddress::LocalHost, 0));
    RawPeer raw(server->ListeningPort());
    ASSERT_TRUE(raw.Connected());
    ASSERT_EQ(raw.Exchange("LOGIN u\x07" + kProductNumber.toLatin1()), QByteArray("LOGIN OK"));
    ASSERT_EQ(server->GetState(), State::LoggedIn);

    // The window's side: whatever the server says while it is destroyed.
    QObject window;
    int heard = 0;
    QObject::connect(server.get(), &TServer::StateChanged, &window, [&] { ++heard; });
    server.reset();
    EXPECT_EQ(heard, 0);
    EXPECT_TRUE(raw.Closed());
}

TEST(RemoteSession, OpenOpensOnlyAFileThatWasReceived)
{
    LinkedPeers peers;
    auto client = peers.LoggedIn();
    QSignalSpy opened(client.get(), &TClient::OpenRequested);

    ASSERT_TRUE(peers.server.SendText(RemoteCommand::Open, QStringLiteral("никогда.qor")));
    EXPECT_TRUE(PumpUntil([&] {
        return peers.server.ConnectionLog().Contains(
            QStringLiteral("Ошибка открытия файла \"никогда.qor\" у клиента"));
    }));
    EXPECT_TRUE(
        client->InfoLog().Contains(QStringLiteral("Ошибка открытия файла \"никогда.qor\"")));
    EXPECT_EQ(opened.count(), 0);

    ASSERT_TRUE(peers.server.SendData("board", QStringLiteral("board.qor")));
    ASSERT_TRUE(peers.server.SendText(RemoteCommand::Open, QStringLiteral("board.qor")));
    ASSERT_TRUE(PumpUntil([&] { return opened.count() == 1; }));
    EXPECT_EQ(opened.at(0).at(0).toString(),
              QDir(client->ReceiveDir()).filePath(QStringLiteral("board.qor")));
}

TEST(RemoteSession, ApplyBufferSucceedsOnlyOnATimelyOk)
{
    LinkedPeers peers;
    auto client = peers.LoggedIn();
    const QString text = QStringLiteral("тест буфер ") + QChar(32 + 5);
    enum class Answer { Ok, Other, None } answer = Answer::Ok;
    peers.server.SetConsumer([&](RemoteCommand command, const QByteArray &) {
        if (command != RemoteCommand::BufApply)
            return;
        if (answer == Answer::Ok)
            peers.server.ResultsDone();
        else if (answer == Answer::Other)
            peers.server.SendText(RemoteCommand::BufApply, QStringLiteral("NO"));
    });

    ASSERT_TRUE(client->SendData("answer", {}));
    EXPECT_TRUE(client->ApplyBuffer(text));
    EXPECT_EQ(peers.server.ResultCode(), 5);
    EXPECT_TRUE(peers.server.InfoLog().Contains(QStringLiteral("Результаты теста обработаны")));

    answer = Answer::Other;
    EXPECT_FALSE(client->ApplyBuffer(text));
    answer = Answer::None; // the wait ends on its time-out
    EXPECT_FALSE(client->ApplyBuffer(text));
    EXPECT_EQ(client->GetState(), State::LoggedIn);
}

TEST(RemoteSession, AClientDestroyedWhileWaitingEndsTheWaitQuietly)
{
    LinkedPeers peers;
    auto client = peers.LoggedIn();
    // The server never answers; the window closes the role meanwhile.
    QTimer::singleShot(20, &peers.server, [&] { client.reset(); });
    QElapsedTimer elapsed;
    elapsed.start();
    EXPECT_FALSE(client->ApplyBuffer(QStringLiteral("тест буфер !")));
    EXPECT_EQ(client, nullptr);
    EXPECT_LT(elapsed.elapsed(), kRemoteAnswerTimeoutMs);
}

TEST(RemoteSession, AForeignBufferIdIsAnsweredWithAnInformationError)
{
    LinkedPeers peers;
    auto client = peers.LoggedIn();
    EXPECT_FALSE(client->ApplyBuffer(QStringLiteral("чужой буфер")));
    EXPECT_TRUE(client->InfoLog().Contains(
        QStringLiteral("Неизвестный идентификатор буфера приема на сервере")));
}

TEST(RemoteSession, ChatTextsTravelInWindows1251)
{
    LinkedPeers peers;
    auto client = peers.LoggedIn();
    const qint64 before = client->BytesReceived();
    peers.server.Chat(QStringLiteral("Привет"));
    EXPECT_TRUE(PumpUntil([&] { return client->ChatLog().Contains(QStringLiteral(">> Привет")); }));
    EXPECT_EQ(client->BytesReceived() - before, 5 + 6); // "CHAT " and one byte a letter
    EXPECT_TRUE(peers.server.ChatLog().Contains(QStringLiteral("<< Привет")));
    EXPECT_EQ(client->TrafficLine(), QStringLiteral("Отдача: %1 Кб | Прием: %2 Кб")
                                         .arg(client->BytesSent() / 1024.0, 0, 'f', 2)
                                         .arg(client->BytesReceived() / 1024.0, 0, 'f', 2));
}

} // namespace
} // namespace qv
