// The remote link's message reader: one read of the socket as one message,
// split into its command word and payload and parsed as that command's
// payload; file and buffer blocks then go to a receiver whose folder they
// must never leave.

#include "fuzzsupport.h"
#include "remote/remotewire.h"
#include "remote/transferreceiver.h"

#include <QDir>
#include <QFileInfo>
#include <cstdlib>

namespace {

void Receive(qv::TransferReceiver &receiver, const qv::RemoteMessage &message)
{
    using namespace qv;
    switch (message.command) {
    case RemoteCommand::File:
        if (const auto block = ParseFileBlock(message.payload)) {
            const BlockResult result = receiver.Accept(*block, true);
            if (!result.name.isEmpty() &&
                QFileInfo(ReceivedFilePath(receiver.ReceiveDir(), result.name)).absolutePath() !=
                    QFileInfo(receiver.ReceiveDir()).absoluteFilePath())
                std::abort(); // a stored name outside the receive folder
        }
        break;
    case RemoteCommand::Buf:
        if (const auto block = ParseBufferBlock(message.payload))
            receiver.Accept(*block, false);
        break;
    case RemoteCommand::FileOk:
        ParseFileAck(message.payload);
        break;
    case RemoteCommand::BufOk:
        ParseBufferAck(message.payload);
        break;
    case RemoteCommand::Login:
        if (const auto login = ParseLogin(message.payload))
            LoginAcceptable(*login);
        break;
    case RemoteCommand::Pusk:
        if (const auto report = ParseRunReport(message.payload))
            RunReportPayload(*report);
        break;
    case RemoteCommand::BufApply:
        ResultTagCode(message.payload);
        break;
    case RemoteCommand::Click:
        if (const auto click = ParseClick(message.payload))
            ClickPayload(*click);
        break;
    default:
        FromWire(message.payload);
        break;
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    static const QString folder = [] {
        const auto path = qv::fuzz::ScratchFile("received");
        QDir().mkpath(QString::fromStdString(path.string()));
        return QString::fromStdString(path.string());
    }();
    // Messages of one connection, each as one read: separated by 0xFF bytes
    // in the input.
    qv::TransferReceiver receiver(folder);
    const QByteArray all(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size));
    for (const QByteArray &read : all.split('\xFF')) {
        if (const auto message = qv::SplitMessage(read.left(qv::kRemoteBufferSize)))
            Receive(receiver, *message);
    }
    receiver.Reset();
    return 0;
}
