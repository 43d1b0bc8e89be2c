// Files and result buffers through a network that cuts messages in two:
// a proxy of the test's own between bench and server splits every longer
// write at a chosen point and delivers the rest a little later.

#include "support/common/splittingproxy.h"
#include "support/remote/remotepeers.h"

#include <QDir>
#include <QFile>
#include <gtest/gtest.h>

namespace qv {
namespace {

using namespace std::chrono_literals;
using testing::LinkedPeers;
using testing::PumpUntil;
using testing::SplittingProxy;

QByteArray Pattern(qsizetype size, int seed)
{
    QByteArray bytes(size, '\0');
    for (qsizetype i = 0; i < size; ++i)
        bytes[i] = static_cast<char>((i * 31 + seed) % 251);
    return bytes;
}

// A client logged in to the server through the proxy.
std::unique_ptr<TClient> LoggedInThrough(LinkedPeers &peers, const SplittingProxy &proxy)
{
    auto client =
        std::make_unique<TClient>(QString::fromStdString(peers.clientDir.File("remote")),
                                  RemoteLogin{QStringLiteral("Оператор"), testing::kProductNumber});
    client->Connect(QStringLiteral("127.0.0.1"), proxy.Port());
    PumpUntil([&] {
        return client->GetState() == TClientServerCommon::State::LoggedIn &&
               peers.server.GetState() == TClientServerCommon::State::LoggedIn;
    });
    return client;
}

QByteArray Received(const TClient &client, const QString &name)
{
    QFile file(QDir(client.ReceiveDir()).filePath(name));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

struct Cut
{
    std::size_t at;
    std::chrono::microseconds delay;
};

// Inside the command word, the name, the block numbers and the data, and
// just short of a block's end; with the delay of a busy network, and with
// a longer one that stays below the link's time to finish a message.
const Cut kCuts[] = {
    {1, 800us},   {3, 3ms},    {5, 800us},    {6, 8ms},    {7, 800us},    {10, 3ms},    {13, 800us},
    {14, 8ms},    {17, 800us}, {18, 3ms},     {40, 800us}, {200, 8ms},    {500, 800us}, {511, 3ms},
    {600, 800us}, {900, 8ms},  {1000, 800us}, {1023, 3ms}, {1031, 800us}, {1041, 8ms},
};

TEST(RemoteSplitLink, FilesAndBuffersArriveByteIdenticalAtEveryCut)
{
    // The test file of the report: 3 606 bytes; one whose last block is
    // long enough to be cut too; and a result buffer back to the server.
    const QByteArray demo = Pattern(3606, 1);
    const QByteArray longTail = Pattern(3 * 1024 + 900, 2);
    const QByteArray results = Pattern(2 * 1024 + 850, 3);
    for (const Cut &cut : kCuts) {
        SCOPED_TRACE(::testing::Message()
                     << "cut at " << cut.at << " after " << cut.delay.count() << " us");
        LinkedPeers peers;
        SplittingProxy proxy(peers.server.ListeningPort(), cut.at, cut.delay);
        auto client = LoggedInThrough(peers, proxy);
        ASSERT_EQ(client->GetState(), TClientServerCommon::State::LoggedIn);
        const std::string demoPath = peers.serverDir.File("DEMO.QOR");
        const std::string tailPath = peers.serverDir.File("TAIL.DAT");
        testing::WriteBytes(demoPath, std::string_view(demo.data(), demo.size()));
        testing::WriteBytes(tailPath, std::string_view(longTail.data(), longTail.size()));

        EXPECT_TRUE(peers.server.SendFile(QString::fromStdString(demoPath)));
        EXPECT_TRUE(peers.server.SendFile(QString::fromStdString(tailPath)));
        EXPECT_TRUE(client->SendData(results, {}));

        EXPECT_EQ(Received(*client, QStringLiteral("DEMO.QOR")), demo);
        EXPECT_EQ(Received(*client, QStringLiteral("TAIL.DAT")), longTail);
        EXPECT_EQ(peers.server.ReceivedBuffer(), results);
        EXPECT_TRUE(client->InfoLog().Contains(QStringLiteral("Файл \"DEMO.QOR\" получен (3606)")));
        for (TClientServerCommon *side : {static_cast<TClientServerCommon *>(client.get()),
                                          static_cast<TClientServerCommon *>(&peers.server)})
            EXPECT_FALSE(
                side->ConnectionLog().Contains(QStringLiteral("Получена неизвестная команда")));
        EXPECT_GT(proxy.Splits(), 0);
    }
}

TEST(RemoteSplitLink, ABlockWhoseRestComesTooLateFailsTheTransferOnBothSides)
{
    LinkedPeers peers;
    SplittingProxy proxy(peers.server.ListeningPort(), 500, 1500ms);
    auto client = LoggedInThrough(peers, proxy);
    ASSERT_EQ(client->GetState(), TClientServerCommon::State::LoggedIn);
    const QByteArray content = Pattern(3000, 4);
    const std::string path = peers.serverDir.File("DEMO.QOR");
    testing::WriteBytes(path, std::string_view(content.data(), content.size()));

    EXPECT_FALSE(peers.server.SendFile(QString::fromStdString(path)));

    EXPECT_TRUE(PumpUntil([&] {
        return peers.server.ConnectionLog().Contains(
            QStringLiteral("Ошибка удаленного компьютера при получении файла"));
    }));
    EXPECT_TRUE(client->InfoLog().Contains(QStringLiteral("Ошибка при получении файла")));
    // Nothing short was stored, and no block of it was acknowledged.
    EXPECT_FALSE(QFile::exists(QDir(client->ReceiveDir()).filePath(QStringLiteral("DEMO.QOR"))));
    EXPECT_FALSE(client->InfoLog().Contains(QStringLiteral("Файл \"DEMO.QOR\" получен (3000)")));
}

} // namespace
} // namespace qv
