// Files and data buffers sent block by block between two link objects on
// loopback, and the blocks a receiver must refuse.

#include "support/remote/remotepeers.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <gtest/gtest.h>
#include <vector>

namespace qv {
namespace {

using testing::LinkedPeers;
using testing::PumpUntil;
using testing::RawFileBlock;
using testing::Uint16Bytes;

QStringList Entries(const QString &dir)
{
    return QDir(dir).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden);
}

TEST(RemoteTransfer, AFileOf2500BytesGoesOutInThreeAcknowledgedBlocks)
{
    LinkedPeers peers;
    auto client = peers.LoggedIn();
    std::vector<RemoteBlock> blocks;
    client->SetConsumer([&](RemoteCommand command, const QByteArray &payload) {
        if (command == RemoteCommand::File)
            blocks.push_back(ParseFileBlock(payload).value());
    });
    QByteArray content(2500, '\0');
    for (int i = 0; i < content.size(); ++i)
        content[i] = static_cast<char>(i * 7);
    const std::string path = peers.serverDir.File("ПЛАТА.QOR");
    testing::WriteBytes(path, std::string_view(content.data(), content.size()));

    ASSERT_TRUE(peers.server.SendFile(QString::fromStdString(path)));

    ASSERT_EQ(blocks.size(), 3u);
    const std::vector<qsizetype> sizes{1024, 1024, 452};
    for (std::size_t i = 0; i < blocks.size(); ++i) {
        EXPECT_EQ(blocks[i].index, i);
        EXPECT_EQ(blocks[i].count, 3);
        EXPECT_EQ(blocks[i].data.size(), sizes[i]);
        EXPECT_EQ(blocks[i].name, ToWire(QStringLiteral("ПЛАТА.QOR"))); // one byte a letter
    }
    QFile received(QDir(client->ReceiveDir()).filePath(QStringLiteral("ПЛАТА.QOR")));
    ASSERT_TRUE(received.open(QIODevice::ReadOnly));
    EXPECT_EQ(received.readAll(), content);
    EXPECT_TRUE(client->InfoLog().Contains(QStringLiteral("Файл \"ПЛАТА.QOR\" получен (2500)")));
    EXPECT_TRUE(peers.server.InfoLog().Contains(
        QStringLiteral("Отправка файла \"ПЛАТА.QOR\" (2500)... выполнена")));
}

TEST(RemoteTransfer, ABufferArrivesWholeAndAnEmptyOneSendsNothing)
{
    LinkedPeers peers;
    auto client = peers.LoggedIn();
    const QByteArray data(1500, 'z');
    ASSERT_TRUE(client->SendData(data, {}));
    EXPECT_EQ(peers.server.ReceivedBuffer(), data);
    EXPECT_TRUE(peers.server.InfoLog().Contains(QStringLiteral("Буфер данных получен (1500)")));

    const qint64 sent = client->BytesSent();
    EXPECT_TRUE(client->SendData({}, {}));
    EXPECT_EQ(client->BytesSent(), sent);
    EXPECT_TRUE(
        client->InfoLog().Contains(QStringLiteral("Отправка буфера данных (0)... выполнена")));
}

TEST(RemoteTransfer, ABlockOutOfOrderIsRefusedOnBothSides)
{
    LinkedPeers peers;
    auto client = peers.LoggedIn();
    ASSERT_TRUE(peers.server.SendCommand(RemoteCommand::Buf,
                                         Uint16Bytes(1) + Uint16Bytes(2) + QByteArray(10, 'a')));
    EXPECT_TRUE(PumpUntil([&] {
        return peers.server.ConnectionLog().Contains(
            QStringLiteral("Ошибка удаленного компьютера при получении буфера данных"));
    }));
    EXPECT_TRUE(client->InfoLog().Contains(QStringLiteral("Ошибка при получении буфера данных")));
    EXPECT_TRUE(client->ReceivedBuffer().isEmpty());
}

TEST(RemoteTransfer, AnUnknownCommandIsLoggedAndChangesNothing)
{
    LinkedPeers peers;
    auto raw = peers.RawLoggedIn();
    ASSERT_EQ(peers.server.GetState(), TClientServerCommon::State::LoggedIn);
    raw->Send("HELLO FILE x");
    EXPECT_TRUE(PumpUntil([&] {
        return peers.server.ConnectionLog().Contains(
            QStringLiteral("Получена неизвестная команда"));
    }));
    EXPECT_EQ(peers.server.GetState(), TClientServerCommon::State::LoggedIn);
    EXPECT_TRUE(Entries(peers.server.ReceiveDir()).isEmpty());
    // The link still works afterwards.
    EXPECT_TRUE(raw->Exchange(RawFileBlock("a.txt", 0, 1, "abc")).startsWith("FILEOK "));
}

TEST(RemoteTransfer, AReceivedFileReplacesALinkOfItsNameAndNeverWritesThroughIt)
{
    LinkedPeers peers;
    auto raw = peers.RawLoggedIn();
    const QString receiveDir = peers.server.ReceiveDir();
    ASSERT_TRUE(QDir().mkpath(receiveDir));
    const std::string victim = peers.serverDir.File("victim.txt");
    testing::WriteBytes(victim, "keep me");
    ASSERT_TRUE(QFile::link(QString::fromStdString(victim), receiveDir + "/a.txt"));

    EXPECT_TRUE(raw->Exchange(RawFileBlock("a.txt", 0, 1, "new")).startsWith("FILEOK "));
    EXPECT_EQ(testing::ReadBytes(victim), "keep me");
    const QFileInfo received(receiveDir + "/a.txt");
    EXPECT_FALSE(received.isSymLink());
    EXPECT_EQ(testing::ReadBytes(received.filePath().toStdString()), "new");

    // A folder of that name refuses the file and stays.
    ASSERT_TRUE(QDir(receiveDir).mkdir(QStringLiteral("b.txt")));
    EXPECT_TRUE(FromWire(raw->Exchange(RawFileBlock("b.txt", 0, 1, "x")))
                    .startsWith(QStringLiteral("ERROR ")));
    EXPECT_TRUE(QFileInfo(receiveDir + "/b.txt").isDir());
}

TEST(RemoteTransfer, AReceivedNameNeverLeavesTheReceiveFolder)
{
    LinkedPeers peers;
    auto raw = peers.RawLoggedIn();
    const QString receiveDir = peers.server.ReceiveDir();

    // A folder part is stripped: the file lands in the receive folder.
    EXPECT_TRUE(raw->Exchange(RawFileBlock("../../outside.txt", 0, 1, "x")).startsWith("FILEOK "));
    EXPECT_EQ(Entries(receiveDir), QStringList{QStringLiteral("outside.txt")});
    EXPECT_FALSE(QFile::exists(QString::fromStdString(peers.serverDir.File("outside.txt"))));

    // A name beginning with ":" is a file like any other, not one of the
    // program's built-in resources.
    EXPECT_TRUE(raw->Exchange(RawFileBlock(":.", 0, 1, "y")).startsWith("FILEOK "));
    EXPECT_TRUE(QFile::exists(receiveDir + QStringLiteral("/:.")));
    QFile::remove(receiveDir + QStringLiteral("/:."));

    // Names that cannot be stored at all are refused with the transfer texts.
    for (const QByteArray &name :
         {QByteArray(".."), QByteArray("..\\"), QByteArray("a\x01.txt"), QByteArray(200, '\xE0')}) {
        const QByteArray answer = raw->Exchange(RawFileBlock(name, 0, 1, "x"));
        EXPECT_EQ(FromWire(answer),
                  QStringLiteral("ERROR Ошибка удаленного компьютера при получении файла"))
            << name.toStdString();
    }
    EXPECT_EQ(Entries(receiveDir), QStringList{QStringLiteral("outside.txt")});
    EXPECT_TRUE(peers.server.InfoLog().Contains(QStringLiteral("Ошибка при получении файла")));
}

TEST(RemoteTransfer, MalformedAndOversizedBlocksAreRefused)
{
    LinkedPeers peers;
    auto raw = peers.RawLoggedIn();
    const QByteArray refused =
        ToWire(QStringLiteral("ERROR Ошибка удаленного компьютера при получении файла"));
    // A name longer than the bytes that follow it.
    EXPECT_EQ(raw->Exchange("FILE \x05"
                            "ab"),
              refused);
    // More blocks than a sane transfer has.
    EXPECT_EQ(raw->Exchange(RawFileBlock("big.bin", 0, 20000, "x")), refused);
    // A last block with more than 1024 data bytes (one that is not the last
    // ends after its 1024th by definition).
    EXPECT_EQ(raw->Exchange(RawFileBlock("long.bin", 0, 1, QByteArray(1025, 'l'))), refused);
    EXPECT_TRUE(Entries(peers.server.ReceiveDir()).isEmpty());
}

TEST(RemoteTransfer, APeerThatDisconnectsMidTransferLeavesNoFile)
{
    LinkedPeers peers;
    auto raw = peers.RawLoggedIn();
    const QByteArray answer = raw->Exchange(RawFileBlock("half.qor", 0, 3, QByteArray(1024, 'h')));
    ASSERT_TRUE(answer.startsWith("FILEOK "));
    raw->socket.abort();
    EXPECT_TRUE(PumpUntil(
        [&] { return peers.server.GetState() == TClientServerCommon::State::Connecting; }));
    EXPECT_TRUE(Entries(peers.server.ReceiveDir()).isEmpty());
}

TEST(RemoteTransfer, AFileThatCannotBeReadIsNotSent)
{
    LinkedPeers peers;
    auto client = peers.LoggedIn();
    const QString missing = QString::fromStdString(peers.serverDir.File("нет.qor"));
    const qint64 sent = peers.server.BytesSent();
    EXPECT_FALSE(peers.server.SendFile(missing));
    EXPECT_EQ(peers.server.BytesSent(), sent);
    EXPECT_TRUE(peers.server.InfoLog().Contains(QStringLiteral("Ошибка открытия файла + \"") +
                                                missing + u'"'));
}

TEST(RemoteTransfer, AFullReceiveFolderRefusesTheFileOnBothSides)
{
    LinkedPeers peers;
    auto client = peers.LoggedIn();
    // Two blocks' worth of bytes and two files in all.
    client->SetReceiveLimits(2048, 2);
    const auto send = [&](const char *name, qsizetype size) {
        const std::string path = peers.serverDir.File(name);
        testing::WriteBytes(path, std::string(static_cast<std::size_t>(size), 'd'));
        return peers.server.SendFile(QString::fromStdString(path));
    };
    EXPECT_TRUE(send("a.dat", 1000));
    EXPECT_TRUE(send("b.dat", 1000));
    // A third file, and a file too big for the bytes left: refused at once.
    EXPECT_FALSE(send("c.dat", 10));
    EXPECT_TRUE(peers.server.ConnectionLog().Contains(QStringLiteral(
        "Папка приема файлов удаленного компьютера заполнена: файл \"c.dat\" не принят")));
    EXPECT_TRUE(client->InfoLog().Contains(
        QStringLiteral("Файл \"c.dat\" не принят: папка приема файлов заполнена")));
    EXPECT_FALSE(send("a.dat", 1500)); // 1000 of b.dat and 2048 announced
    // A file that replaces one of the same name within the limit is taken.
    EXPECT_TRUE(send("b.dat", 900));
    EXPECT_EQ(Entries(client->ReceiveDir()),
              (QStringList{QStringLiteral("a.dat"), QStringLiteral("b.dat")}));
}

} // namespace
} // namespace qv
