#include "infra/encoding.h"
#include "infra/unitcodes.h"
#include "sim/commands.h"
#include "simhost.h"

#include <cstring>
#include <gtest/gtest.h>

namespace qv::sim {
namespace {

using testing::SimHost;
using testing::Text;
using testing::UnitFrom;

std::vector<std::uint8_t> Floats(std::initializer_list<float> values, std::uint8_t first)
{
    std::vector<std::uint8_t> bytes{first};
    for (const float v : values)
        AppendFloat(bytes, v);
    return bytes;
}

std::vector<std::uint8_t> Named(std::vector<std::uint8_t> head, const std::string &name)
{
    head.push_back(static_cast<std::uint8_t>(name.size()));
    head.insert(head.end(), name.begin(), name.end());
    return head;
}

TEST(Session, AnswersCarryTheRequestsCodeAndSequenceNumber)
{
    SimHost host(UnitFrom(""));
    ASSERT_TRUE(host.Attached());
    const Packet answer = host.Ask(BUILD_INFO);
    EXPECT_EQ(answer.kind, kData);
    EXPECT_EQ(answer.code, BUILD_INFO);
    EXPECT_EQ(answer.seq, host.LastSeq());
}

TEST(Session, TheHandshakeEchoesTheNonceAndGivesTheUnitsLimits)
{
    SimHost host(UnitFrom("[Unit]\nType=arm\nMaxPayload=5000\nMaxBlock=777\n"));
    std::vector<std::uint8_t> init;
    AppendLe16(init, 1);
    AppendLe32(init, 0xCAFEF00D);
    init = Named(init, "Quorvik");
    const Packet answer = host.Ask(INIT, init);
    ASSERT_EQ(answer.kind, kData);
    ASSERT_EQ(answer.body.size(), 15u);
    EXPECT_EQ(Le16(answer.body.data()), 1);
    EXPECT_EQ(Le32(answer.body.data() + 2), 0xCAFEF00Du);
    EXPECT_EQ(Le32(answer.body.data() + 6), 5000u);
    EXPECT_EQ(Le32(answer.body.data() + 10), 777u);
    EXPECT_EQ(answer.body[14], 0);
    EXPECT_EQ(host.Ask(INIT, {1, 0}).kind, kError);
}

TEST(Session, AnUnknownCommandIsRefusedByName)
{
    SimHost host(UnitFrom(""));
    const Packet answer = host.Ask(BODR_START);
    EXPECT_EQ(answer.kind, kError);
    EXPECT_EQ(answer.value, kErrUnknownCommand);
    EXPECT_EQ(Text(answer), "Команда BODR_START не поддерживается блоком диагностики");
}

TEST(Session, APayloadAboveTheAnnouncedLimitIsRefused)
{
    SimHost host(UnitFrom("[Unit]\nMaxPayload=64\n"));
    std::vector<std::uint8_t> start;
    AppendLe32(start, 10);
    AppendLe32(start, 64);
    start = Named(start, std::string(100, 'a')); // well formed, 109 bytes
    const Packet answer = host.Ask(DATA_START, start);
    EXPECT_EQ(answer.kind, kError);
    EXPECT_EQ(answer.value, kErrMalformed);
    EXPECT_NE(Text(answer).find("(109 байт) больше допустимого (64 байт)"), std::string::npos)
        << Text(answer);
    EXPECT_EQ(host.Ask(BUILD_INFO).kind, kData) << "the unit goes on serving";
}

TEST(Session, TheUnitFindsCommandsInNoise)
{
    SimHost host(UnitFrom(""));
    std::vector<std::uint8_t> noise{0xA7, 0x5C, 0x01, 0x26, 0xFF, 0xA7, 0x11};
    auto damaged = EncodePacket(kCommand, QORV_RESET, 1, 0, {});
    damaged[10] ^= 1; // header check fails
    noise.insert(noise.end(), damaged.begin(), damaged.end());
    host.SendRaw(noise);
    const Packet answer = host.Ask(BUILD_INFO);
    EXPECT_EQ(answer.code, BUILD_INFO) << "only the good command was answered";
    EXPECT_FALSE(host.Next(std::chrono::milliseconds(50)));
}

TEST(Session, TransfersOutOfOrderAreRefused)
{
    SimHost host(UnitFrom("[Unit]\nStoreLimit=100\n"));
    std::vector<std::uint8_t> block(10, 7);
    Packet answer = host.Ask(DATA_BLOCK, block, 0);
    EXPECT_EQ(answer.value, kErrTransferOrder);

    std::vector<std::uint8_t> start;
    AppendLe32(start, 20);
    AppendLe32(start, 10);
    ASSERT_EQ(host.Ask(DATA_START, Named(start, "f")).kind, kData);
    EXPECT_EQ(host.Ask(DATA_BLOCK, block, 1).value, kErrTransferOrder);
    EXPECT_EQ(host.Ask(DATA_BLOCK, {1, 2}, 0).value, kErrMalformed) << "a short block";
    EXPECT_EQ(host.Ask(DATA_BLOCK, block, 0).kind, kAck);
    answer = host.Ask(DATA_BLOCK, block, 1);
    EXPECT_EQ(answer.kind, kAck);
    EXPECT_EQ(answer.value, 1u);

    std::vector<std::uint8_t> tooBig;
    AppendLe32(tooBig, 81);
    AppendLe32(tooBig, 10);
    answer = host.Ask(DATA_START, Named(tooBig, "g"));
    EXPECT_EQ(answer.value, kErrNoMemory);
    EXPECT_EQ(Text(answer), "Недостаточно памяти блока диагностики для файла \"g\" (81 байт)");
    std::vector<std::uint8_t> replacing;
    AppendLe32(replacing, 100);
    AppendLe32(replacing, 10);
    EXPECT_EQ(host.Ask(DATA_START, Named(replacing, "f")).kind, kData)
        << "a file of the same name is replaced, so its old size is free";
    EXPECT_EQ(host.Ask(DATA_START, {0, 0}).value, kErrMalformed);
}

TEST(Session, ExitAnswersThenHangsUpAndTheUnitServesTheNextHost)
{
    const auto unit = UnitFrom("");
    SimHost first(unit);
    SimHost second(unit);
    EXPECT_FALSE(second.Attached());
    EXPECT_EQ(second.Why(), "блок диагностики занят другой программой");
    EXPECT_EQ(first.Ask(EXIT).kind, kAck);
    EXPECT_TRUE(first.WaitHungUp());
    first.Send(BUILD_INFO);
    EXPECT_FALSE(first.Next(std::chrono::milliseconds(50))) << "an ended session is deaf";
    SimHost third(unit);
    EXPECT_TRUE(third.Attached());
    EXPECT_EQ(third.Ask(BUILD_INFO).kind, kData);
}

TEST(Session, PeriodsOfAnMsDosUnitAreAppliedUntilRestartOrSaved)
{
    const auto unit = UnitFrom("[Calibration]\nT1=3\nT2=2500\nT3=none\n");
    {
        SimHost host(unit);
        Packet answer = host.Ask(QORV_CALIBR, {1});
        ASSERT_EQ(answer.body.size(), 12u);
        EXPECT_FLOAT_EQ(LeFloat(answer.body.data()), 3.0f);
        EXPECT_EQ(Le32(answer.body.data() + 8), 0xFFFFFFFFu) << "T3 not available";
        EXPECT_EQ(host.Ask(QORV_CALIBR, Floats({4, 2600, 5000}, 2)).kind, kAck);
        answer = host.Ask(QORV_CALIBR, {1});
        EXPECT_FLOAT_EQ(LeFloat(answer.body.data() + 8), 5000.0f);
        EXPECT_EQ(host.Ask(HARD_RESET).kind, kAck);
        EXPECT_TRUE(host.WaitHungUp());
    }
    {
        SimHost host(unit);
        Packet answer = host.Ask(QORV_CALIBR, {1});
        EXPECT_FLOAT_EQ(LeFloat(answer.body.data()), 3.0f) << "applied values do not survive";
        EXPECT_EQ(host.Ask(QORV_CALIBR, Floats({5, 2700, 5100}, 3)).kind, kAck);
        EXPECT_EQ(host.Ask(HARD_RESET).kind, kAck);
    }
    SimHost host(unit);
    const Packet answer = host.Ask(QORV_CALIBR, {1});
    EXPECT_FLOAT_EQ(LeFloat(answer.body.data()), 5.0f) << "saved values do";
    EXPECT_EQ(host.Ask(QORV_CALIBR, {6}).value, kErrNotAvailable);
    EXPECT_EQ(host.Ask(QORV_CALIBR, {2, 1}).value, kErrMalformed);
}

TEST(Session, MeasurementSignalsStartAndStopAndResetStopsThem)
{
    const auto unit = UnitFrom("");
    SimHost host(unit);
    const auto generating = [&] {
        int code = -1;
        unit->Inspect([&](SimulatedUnit &u) { code = u.State().generatingPeriod; });
        return code;
    };
    EXPECT_EQ(host.Ask(QORV_GET_T2, {0}).kind, kAck);
    EXPECT_EQ(generating(), QORV_GET_T2);
    EXPECT_EQ(host.Ask(QORV_GET_T1, {1}).kind, kAck);
    EXPECT_EQ(generating(), QORV_GET_T2) << "stopping another signal changes nothing";
    EXPECT_EQ(host.Ask(QORV_GET_T2, {1}).kind, kAck);
    EXPECT_EQ(generating(), 0);
    EXPECT_EQ(host.Ask(QORV_GET_T3, {0}).kind, kAck);
    EXPECT_EQ(host.Ask(QORV_RESET).kind, kAck);
    EXPECT_EQ(generating(), 0);
    EXPECT_EQ(host.Ask(QORV_GET_T3, {2}).value, kErrMalformed);
}

TEST(Session, AnArmUnitReportsParametersSignalsAndItsWaitTable)
{
    const auto unit =
        UnitFrom("[Unit]\nType=arm\n[Calibration]\nParameter=Такт:0.5\nParameter=Цикл:2\n");
    SimHost host(unit);
    Packet answer = host.Ask(QORV_CALIBR, {1});
    const std::string tact = Utf8ToCp1251("Такт");
    std::vector<std::uint8_t> expected{2, static_cast<std::uint8_t>(tact.size())};
    expected.insert(expected.end(), tact.begin(), tact.end());
    AppendFloat(expected, 0.5f);
    const std::string cycle = Utf8ToCp1251("Цикл");
    expected.push_back(static_cast<std::uint8_t>(cycle.size()));
    expected.insert(expected.end(), cycle.begin(), cycle.end());
    AppendFloat(expected, 2.0f);
    EXPECT_EQ(answer.body, expected);

    EXPECT_EQ(host.Ask(QORV_CALIBR, {2, 1}).body, (std::vector<std::uint8_t>{3}));
    unit->Inspect([](SimulatedUnit &u) { EXPECT_EQ(u.State().generatingParameter, 1); });
    EXPECT_EQ(host.Ask(QORV_CALIBR, {2, 9}).body, (std::vector<std::uint8_t>{0}));
    EXPECT_EQ(host.Ask(QORV_CALIBR, {4}).body, (std::vector<std::uint8_t>{4}));
    EXPECT_EQ(host.Ask(QORV_CALIBR, {5, 1, 16, 10, 0}).body, (std::vector<std::uint8_t>{5}));
    EXPECT_EQ(host.Ask(QORV_CALIBR, {5, 1, 17, 10, 0}).value, kErrMalformed) << "width 17";
    EXPECT_EQ(host.Ask(QORV_CALIBR, {5, 2, 8, 10, 0}).value, kErrMalformed) << "test 2";
    answer = host.Ask(QORV_CALIBR, {6});
    ASSERT_EQ(answer.body.size(), 129u);
    EXPECT_EQ(answer.body[0], 7);
    EXPECT_FLOAT_EQ(LeFloat(answer.body.data() + 1), 1.25f);
    EXPECT_FLOAT_EQ(LeFloat(answer.body.data() + 1 + 64), 0.36f);
    EXPECT_EQ(host.Ask(QORV_CALIBR, {3}).value, kErrNotAvailable);
    EXPECT_EQ(host.Ask(QORV_GET_T1, {0}).value, kErrNotAvailable);
}

TEST(Session, IdentificationAnswersCanBeCutOrAlwaysDetailed)
{
    SimHost cut(UnitFrom("[Identification]\nWrong=2\nAnswerLimit=2\n"));
    EXPECT_EQ(cut.Ask(QORV_CNTID, {1, 0, 3, 0, 2, 0}).body, (std::vector<std::uint8_t>{1, 1}));
    EXPECT_EQ(cut.Ask(QORV_CNTID, {}).body, (std::vector<std::uint8_t>{'O', 'K'}));
    EXPECT_EQ(cut.Ask(QORV_CNTID, {1, 0, 3}).value, kErrMalformed);
    SimHost detailed(UnitFrom("[Identification]\nAlwaysStatuses=1\n"));
    EXPECT_EQ(detailed.Ask(QORV_CNTID, {1, 0, 3, 0}).body, (std::vector<std::uint8_t>{1, 1}));
}

TEST(Session, AFaultFiresAsOftenAsTheBoardSays)
{
    SimHost host(UnitFrom("[Faults]\nSilent=BUILD_INFO\nTimes=2\n"));
    host.Send(BUILD_INFO);
    host.Send(BUILD_INFO);
    EXPECT_FALSE(host.Next(std::chrono::milliseconds(50)));
    EXPECT_EQ(host.Ask(BUILD_INFO).kind, kData);
}

TEST(Session, AHungUnitAnswersTheCommandThenNothingUntilTheNextSession)
{
    const auto unit = UnitFrom("[Faults]\nHang=QORV_CNTID\nTimes=1\n");
    {
        SimHost host(unit);
        EXPECT_EQ(host.Ask(BUILD_INFO).kind, kData);
        EXPECT_EQ(host.Ask(QORV_CNTID, {}).kind, kData) << "the command itself is answered";
        host.Send(BUILD_INFO);
        EXPECT_FALSE(host.Next(std::chrono::milliseconds(200))) << "then the unit is silent";
    }
    SimHost next(unit);
    EXPECT_EQ(next.Ask(BUILD_INFO).kind, kData) << "a new session finds the unit again";
}

TEST(Session, ARepliedFrameGoesToTheWaitingHandlerOnce)
{
    const auto unit = UnitFrom("");
    unit->Commands().Set(TCT_DOSWRK, [](Session &session, const Request &request) {
        session.Ack(request);
        session.AwaitReply(QORV_PROGRE,
                           [](Session &s, const Request &reply) { s.Data(reply, reply.data); });
        session.Notify(QORV_PROGRE, 9, std::vector<std::uint8_t>{2, 0, 0, 1, 0, 4});
    });
    SimHost host(unit);
    EXPECT_EQ(host.Ask(TCT_DOSWRK).kind, kAck);
    const auto note = host.Next();
    ASSERT_TRUE(note);
    EXPECT_EQ(note->kind, kNotify);
    EXPECT_EQ(note->value, 9u);
    EXPECT_EQ(host.Ask(QORV_PROGRE, {'O', 'K'}).body, (std::vector<std::uint8_t>{'O', 'K'}));
    EXPECT_EQ(host.Ask(QORV_PROGRE, {'O', 'K'}).value, kErrUnknownCommand)
        << "an unasked reply is an unknown command";
}

} // namespace
} // namespace qv::sim
