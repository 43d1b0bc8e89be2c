// Cutting a connection's byte stream into messages however the reads cut it.

#include "remote/messageframer.h"

#include <gtest/gtest.h>
#include <vector>

namespace qv {
namespace {

QByteArray Word(RemoteCommand command)
{
    return CommandWord(command);
}

// One of each message whose own bytes say where it ends, as the link sends
// them.
std::vector<QByteArray> SelfDelimitedMessages()
{
    const RemoteBlock fileBlock{"DEMO.QOR", 0, 4, QByteArray(1024, '\xE7')};
    const RemoteBlock bufBlock{{}, 1, 3, QByteArray(1024, 'O')};
    RemoteClick click;
    click.formName = QStringLiteral("fmPusk");
    click.controlName = QStringLiteral("btOk");
    return {
        Word(RemoteCommand::File) + FileBlockPayload(fileBlock),
        Word(RemoteCommand::Buf) + BufferBlockPayload(bufBlock),
        Word(RemoteCommand::FileOk) + FileAckPayload({"DEMO.QOR", 3}),
        Word(RemoteCommand::BufOk) + BufferAckPayload({{}, 7}),
        Word(RemoteCommand::Pusk) +
            RunReportPayload({RunReport::Kind::Status, 0, QStringLiteral("выполнение теста")}),
        Word(RemoteCommand::Pusk) +
            RunReportPayload({RunReport::Kind::Check, 4, QStringLiteral("Нет связи")}),
        Word(RemoteCommand::Pusk) + kRunReportAck,
        Word(RemoteCommand::BufApply) + ResultTag(12),
        Word(RemoteCommand::BufApply) + "OK",
        Word(RemoteCommand::Click) + ClickPayload(click).value(),
    };
}

TEST(MessageFramer, MessagesThatTellTheirLengthComeOutWholeHoweverTheReadsCutThem)
{
    const std::vector<QByteArray> messages = SelfDelimitedMessages();
    QByteArray stream;
    for (const QByteArray &message : messages)
        stream += message;
    for (const qsizetype step : {qsizetype{1}, qsizetype{3}, qsizetype{500}, stream.size()}) {
        MessageFramer framer;
        std::vector<QByteArray> out;
        for (qsizetype pos = 0; pos < stream.size(); pos += step) {
            framer.Append(stream.mid(pos, step));
            while (const auto message = framer.Next())
                out.push_back(*message);
            if (pos + step < stream.size()) {
                EXPECT_NE(framer.State(), MessageFramer::Pending::Open) << "at " << pos;
            }
        }
        EXPECT_EQ(out, messages) << "reads of " << step;
        EXPECT_EQ(framer.State(), MessageFramer::Pending::Nothing);
    }
}

TEST(MessageFramer, ABlockThatIsNotTheLastWaitsForAllItsBytes)
{
    const QByteArray block =
        Word(RemoteCommand::File) + FileBlockPayload({"a.bin", 0, 2, QByteArray(1024, 'a')});
    MessageFramer framer;
    framer.Append(block.left(block.size() - 1));
    EXPECT_FALSE(framer.Next());
    EXPECT_EQ(framer.State(), MessageFramer::Pending::Incomplete);
    framer.Append(block.right(1));
    EXPECT_EQ(framer.Next(), block);
}

TEST(MessageFramer, TextsAndTheLastBlockEndWhereTheSenderStopped)
{
    for (const QByteArray &message :
         {Word(RemoteCommand::Chat) + ToWire(QStringLiteral("привет")),
          Word(RemoteCommand::Pusk) + RunReportPayload({RunReport::Kind::End, 0, {}}),
          Word(RemoteCommand::Login) + LoginPayload({QStringLiteral("u"), QStringLiteral("p")}),
          Word(RemoteCommand::Buf) + BufferBlockPayload({{}, 1, 2, QByteArray(300, 'b')})}) {
        MessageFramer framer;
        framer.Append(message);
        EXPECT_FALSE(framer.Next()) << message.left(8).toStdString();
        EXPECT_EQ(framer.State(), MessageFramer::Pending::Open);
        EXPECT_EQ(framer.TakeAll(), message);
    }
}

TEST(MessageFramer, BytesWithNoCommandWordGoOutAsTheyCame)
{
    MessageFramer framer;
    framer.Append("FIL");
    EXPECT_FALSE(framer.Next()); // may still become "FILE "
    EXPECT_EQ(framer.State(), MessageFramer::Pending::Incomplete);
    framer.Append("X junk");
    EXPECT_EQ(framer.Next(), QByteArray("FILX junk"));
    EXPECT_EQ(framer.State(), MessageFramer::Pending::Nothing);
}

TEST(MessageFramer, ALastBlockLongerThanABlockIsTakenWholeToBeRefused)
{
    const QByteArray message =
        Word(RemoteCommand::File) + FileBlockPayload({"x", 0, 1, QByteArray(1025, 'x')});
    MessageFramer framer;
    framer.Append(message);
    EXPECT_EQ(framer.Next(), message);
    EXPECT_FALSE(ParseFileBlock(message.mid(Word(RemoteCommand::File).size())));
}

} // namespace
} // namespace qv
