#include "execution/port/noanswer.h"
#include "execution/port/testerport.h"
#include "infra/encoding.h"
#include "infra/notice.h"
#include "infra/unitcodes.h"
#include "support/common/waituntil.h"
#include "support/execution/unitfixture.h"

#include <chrono>
#include <condition_variable>
#include <thread>

namespace qv {
namespace {

using testing::Pattern;
using testing::RecordedMessages;
using testing::Transport;
using testing::UnitUnderTest;
using Clock = std::chrono::steady_clock;

long long MsSince(Clock::time_point start)
{
    return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count();
}

class PortOverLink : public ::testing::TestWithParam<Transport>
{
protected:
    UnitUnderTest Make(const std::string &board = {}, int timeoutMs = 1000)
    {
        return UnitUnderTest(GetParam(), board, timeoutMs);
    }
};

TEST_P(PortOverLink, HandshakeOpensTheLinkAndLearnsTheUnitType)
{
    auto u = Make("[Unit]\nType=arm\n");
    EXPECT_EQ(u.port->NeedsReconnect(1), 0);
    EXPECT_EQ(u.port->Handshake(), PortOk);
    EXPECT_EQ(u.port->HandshakeUnitType(), 0);
    EXPECT_EQ(u.port->Handshake(), PortOk) << "the handshake is repeatable";
    EXPECT_EQ(u.port->GetError(), "");
}

TEST_P(PortOverLink, TheBuildInformationOfBothUnitTypesIsExact)
{
    const std::pair<const char *, const char *> units[] = {
        {"[Unit]\nType=msdos\nBuildDate=2022-07-04\nBuildTime=12:00:01\n"
         "[Versions]\nBODR=-\nDROS=-\nVINT=-\nPELM=0.9\n",
         "Тип устройства: MSDOS\r\nДата сборки: 04.07.2022\r\nВремя сборки: 12:00:01\r\n"
         "Версия сборки \"Диагностический тест QUORVIK\": 3.2\r\n"
         "Версия сборки \"Сигнатурный тест PELMAR\": 0.9"},
        {"[Unit]\nType=arm\nBuildDate=2025-01-20\nBuildTime=00:00:00\n"
         "[Versions]\nQORV=-\nBODR=-\nDROS=-\nVINT=3.3\n",
         "Тип устройства: ARM\r\nДата сборки: 20.01.2025\r\nВремя сборки: 00:00:00\r\n"
         "Версия сборки \"Тест памяти RAM/ROM\": 3.3"},
    };
    for (const auto &[board, text] : units) {
        auto u = Make(board);
        TCP tester;
        tester.SetNotices(MessageBoxNotices());
        ASSERT_TRUE(tester.Create("Quorvik", [&](const std::string &) { return u.port; }));
        ASSERT_EQ(u.port->Handshake(), PortOk);
        tester.ReadBuildInfo();
        EXPECT_EQ(tester.BuildInfo(), text);
    }
}

TEST_P(PortOverLink, ResetIsAcknowledgedAndTheCheckByteReportsIoFaults)
{
    auto u = Make("[IoCheck]\nFaults=272,300\n");
    ASSERT_EQ(u.port->Handshake(), PortOk);
    ASSERT_EQ(u.port->Send(QORV_RESET, {}), PortOk);
    EXPECT_EQ(u.port->WaitAck(QORV_RESET, kPortDefaultTimeout), PortOk);

    const std::uint8_t check = 1;
    ASSERT_EQ(u.port->Send(QORV_RESET, std::span(&check, 1)), PortOk);
    EXPECT_EQ(u.port->WaitAck(QORV_RESET, kPortDefaultTimeout), PortWarning);
    EXPECT_EQ(u.port->GetError(), kIoFaultWarning);
    EXPECT_TRUE(IsFatalWarning(u.port->GetError()));
    EXPECT_EQ(Utf8Length(kIoFaultWarning), 104u);
}

TEST_P(PortOverLink, FilesOfEverySizeTravelBothWaysWithBlockProgress)
{
    auto u = Make();
    ASSERT_EQ(u.port->Handshake(), PortOk);
    constexpr std::size_t kBlock = Portavo::kDefaultBlockSize;
    for (const std::size_t size :
         {std::size_t{0}, std::size_t{1}, kBlock, kBlock + 1, std::size_t{1024 * 1024}}) {
        SCOPED_TRACE(size);
        const auto bytes = Pattern(size);
        const int blocks = static_cast<int>(std::max<std::size_t>(1, (size + kBlock - 1) / kBlock));
        std::vector<std::pair<int, int>> sent;
        ASSERT_EQ(u.port->SendFile(bytes, "данные.bin",
                                   [&](int total, int index) { sent.emplace_back(total, index); }),
                  PortOk)
            << u.port->GetError();
        ASSERT_EQ(sent.size(), static_cast<std::size_t>(blocks));
        for (int i = 0; i < blocks; ++i)
            EXPECT_EQ(sent[static_cast<std::size_t>(i)], std::make_pair(blocks, i));

        std::vector<std::pair<int, int>> received;
        std::vector<std::uint8_t> back{0xEE};
        ASSERT_EQ(
            u.port->ReceiveFile(back, "данные.bin",
                                [&](int total, int index) { received.emplace_back(total, index); }),
            PortOk)
            << u.port->GetError();
        EXPECT_EQ(back, bytes);
        EXPECT_EQ(received, sent);
    }
}

TEST_P(PortOverLink, ReceivingAFileTheUnitDoesNotHaveNamesIt)
{
    auto u = Make();
    ASSERT_EQ(u.port->Handshake(), PortOk);
    std::vector<std::uint8_t> data;
    EXPECT_EQ(u.port->ReceiveFile(data, "FC\\нет.dat", {}), PortUnitError);
    EXPECT_EQ(u.port->GetError(), "Файл \"FC\\нет.dat\" не найден в блоке диагностики");
    EXPECT_TRUE(data.empty());
}

TEST_P(PortOverLink, AnUnansweredCommandFailsWithinItsTimeOutAndTheNextOneWorks)
{
    auto u = Make("[Faults]\nSilent=QORV_RESET\nTimes=1\n", 150);
    ASSERT_EQ(u.port->Handshake(), PortOk);
    ASSERT_EQ(u.port->SendCode(QORV_RESET), PortOk);
    const auto start = Clock::now();
    EXPECT_EQ(u.port->WaitAck(QORV_RESET, kPortDefaultTimeout), PortTimeout);
    EXPECT_GE(MsSince(start), 140);
    EXPECT_LT(MsSince(start), 1000);
    EXPECT_EQ(u.port->GetError(), "Блок диагностики не ответил на команду QORV_RESET за 150 мс");
    ASSERT_EQ(u.port->SendCode(QORV_RESET), PortOk);
    EXPECT_EQ(u.port->WaitAck(QORV_RESET, kPortDefaultTimeout), PortOk);
}

TEST_P(PortOverLink, ACorruptedAnswerIsDroppedAndTheLinkResynchronises)
{
    auto u = Make("[Faults]\nCorrupt=BUILD_INFO\nTimes=1\n", 150);
    ASSERT_EQ(u.port->Handshake(), PortOk);
    ASSERT_EQ(u.port->SendCode(BUILD_INFO), PortOk);
    EXPECT_EQ(u.port->WaitData(BUILD_INFO, kPortDefaultTimeout), PortTimeout);
    EXPECT_GT(u.port->LinkStatistics().bytesDropped, 0u);
    ASSERT_EQ(u.port->SendCode(BUILD_INFO), PortOk);
    EXPECT_EQ(u.port->WaitData(BUILD_INFO, kPortDefaultTimeout), PortOk);
    EXPECT_EQ(u.port->AnswerCode(), BUILD_INFO);
    EXPECT_EQ(u.port->AnswerLength(), 9 + 2 * 6);
}

TEST_P(PortOverLink, GarbageBeforeAnAnswerIsSkipped)
{
    auto u = Make("[Faults]\nGarbage=INIT:300,QORV_RESET:7\n");
    EXPECT_EQ(u.port->Handshake(), PortOk);
    ASSERT_EQ(u.port->SendCode(QORV_RESET), PortOk);
    EXPECT_EQ(u.port->WaitAck(QORV_RESET, kPortDefaultTimeout), PortOk);
    EXPECT_GE(u.port->LinkStatistics().bytesDropped, 307u);
}

TEST_P(PortOverLink, ALateAnswerIsNeverTakenForALaterRequest)
{
    auto u = Make("[Faults]\nDelay=BUILD_INFO:400\nTimes=1\n", 150);
    ASSERT_EQ(u.port->Handshake(), PortOk);
    ASSERT_EQ(u.port->SendCode(BUILD_INFO), PortOk);
    EXPECT_EQ(u.port->WaitData(BUILD_INFO, kPortDefaultTimeout), PortTimeout);
    ASSERT_EQ(u.port->SendCode(BUILD_INFO), PortOk);
    EXPECT_EQ(u.port->WaitData(BUILD_INFO, kPortDefaultTimeout), PortOk);
    // The first answer arrives later; it belongs to a request given up on.
    ASSERT_TRUE(testing::WaitUntil([&] { return u.port->LinkStatistics().staleAnswers >= 1; }));
    EXPECT_EQ(u.port->WaitData(BUILD_INFO, 100), PortTimeout);
}

TEST_P(PortOverLink, ADroppedConnectionAsksForReconnectionAndConnectSucceeds)
{
    auto u = Make("[Faults]\nDropAfterBlocks=2\nTimes=1\n", 300);
    TCP tester;
    tester.SetNotices(MessageBoxNotices());
    TesterSettings settings;
    settings.address = u.address;
    tester.SetSettings(settings);
    ASSERT_TRUE(tester.Create("Quorvik", [&](const std::string &) { return u.port; }));
    u.port->SetTimeout(300);
    ASSERT_EQ(u.port->Handshake(), PortOk);
    const auto bytes = Pattern(4 * Portavo::kDefaultBlockSize);
    const auto start = Clock::now();
    EXPECT_EQ(u.port->SendFile(bytes, "a.bin", {}), PortLinkLost);
    EXPECT_LT(MsSince(start), 300) << "a broken link ends the wait at once";
    EXPECT_EQ(u.port->NeedsReconnect(1), 1);
    EXPECT_EQ(u.port->SendCode(QORV_RESET), PortLinkLost);

    u.port->Close();
    EXPECT_TRUE(tester.Connect(true, false));
    EXPECT_EQ(u.port->NeedsReconnect(1), 0);
    EXPECT_EQ(u.port->SendFile(bytes, "a.bin", {}), PortOk);
}

TEST_P(PortOverLink, TheVoiceDecidesWhetherThePortReportsAFailure)
{
    RecordedMessages messages;
    auto u = Make("[Faults]\nSilent=QORV_CNTID\n", 100);
    ASSERT_EQ(u.port->Handshake(), PortOk);
    u.port->SetVoice(PortVoice::Quiet);
    ASSERT_EQ(u.port->SendCode(QORV_CNTID), PortOk);
    EXPECT_EQ(u.port->WaitData(QORV_CNTID, kPortDefaultTimeout), PortTimeout);
    EXPECT_TRUE(messages.Shown().empty());
    EXPECT_FALSE(u.port->GetError().empty());

    u.port->SetVoice(PortVoice::Loud);
    ASSERT_EQ(u.port->SendCode(QORV_CNTID), PortOk);
    EXPECT_EQ(u.port->WaitData(QORV_CNTID, kPortDefaultTimeout), PortTimeout);
    const auto shown = messages.Shown();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].text, u.port->GetError());
    EXPECT_EQ(shown[0].flags, MbError);

    TellPendingError(*u.port, MessageBoxNotices()); // shown once already: not again, and cleared
    EXPECT_EQ(messages.Shown().size(), 1u);
    EXPECT_TRUE(u.port->GetError().empty());

    u.port->SetVoice(PortVoice::Quiet);
    ASSERT_EQ(u.port->SendCode(QORV_CNTID), PortOk);
    EXPECT_EQ(u.port->WaitData(QORV_CNTID, kPortDefaultTimeout), PortTimeout);
    TellPendingError(*u.port, MessageBoxNotices()); // a quiet failure, on request
    TellPendingError(*u.port, MessageBoxNotices());
    EXPECT_EQ(messages.Shown().size(), 2u);
    EXPECT_TRUE(u.port->GetError().empty());
}

TEST_P(PortOverLink, AFailureReachesTheReportAsATypedOutcomeAndNoDialogIsShown)
{
    RecordedMessages messages;
    auto u = Make("[Faults]\nSilent=QORV_CNTID\nTimes=0\n", 100);
    std::vector<PortOutcome> reported;
    u.port->SetReport([&reported](const PortOutcome &outcome) { reported.push_back(outcome); });
    u.port->SetVoice(PortVoice::Loud);
    ASSERT_EQ(u.port->Handshake(), PortOk);
    EXPECT_TRUE(reported.empty()) << "a success is not reported";

    ASSERT_EQ(u.port->SendCode(QORV_CNTID), PortOk);
    EXPECT_EQ(u.port->WaitData(QORV_CNTID, kPortDefaultTimeout), PortTimeout);
    ASSERT_EQ(reported.size(), 1u);
    EXPECT_EQ(reported[0].code, PortTimeout);
    EXPECT_EQ(reported[0].text, NoAnswerText(QORV_CNTID, 100));
    EXPECT_FALSE(reported[0].Succeeded());
    EXPECT_EQ(u.port->GetError(), reported[0].text);
    EXPECT_FALSE(u.port->TakeError()) << "reported already: not handed out again";
    EXPECT_TRUE(u.port->GetError().empty()) << "but taken all the same";

    // A quiet failure is kept, typed, for the caller to take once.
    {
        const PortVoiceScope quiet(*u.port, PortVoice::Quiet);
        u.port->SendCode(QORV_CNTID);
        EXPECT_EQ(u.port->WaitData(QORV_CNTID, kPortDefaultTimeout), PortTimeout);
    }
    EXPECT_EQ(reported.size(), 1u);
    const auto taken = u.port->TakeError();
    ASSERT_TRUE(taken);
    EXPECT_EQ(taken->code, PortTimeout);
    EXPECT_EQ(taken->text, NoAnswerText(QORV_CNTID, 100));
    EXPECT_FALSE(u.port->TakeError());

    // The caller's own failure is reported as recorded; clearing another
    // text leaves it pending.
    u.port->SetError("Неправильный ответ от блока диагностики");
    ASSERT_EQ(reported.size(), 2u);
    EXPECT_EQ(reported[1].code, PortRecorded);
    u.port->ClearError("Другой текст");
    EXPECT_EQ(u.port->GetError(), "Неправильный ответ от блока диагностики");
    u.port->ClearError("Неправильный ответ от блока диагностики");
    EXPECT_TRUE(u.port->GetError().empty());

    EXPECT_TRUE(messages.Shown().empty()) << "the port shows nothing itself";
}

TEST_P(PortOverLink, ThePendingErrorDescribesTheLastExchangeOnly)
{
    auto u = Make("[Faults]\nSilent=QORV_CNTID\nTimes=0\n", 100);
    ASSERT_EQ(u.port->Handshake(), PortOk);
    const auto fail = [&] {
        u.port->SendCode(QORV_CNTID);
        return u.port->WaitData(QORV_CNTID, kPortDefaultTimeout);
    };
    ASSERT_EQ(fail(), PortTimeout);
    ASSERT_FALSE(u.port->GetError().empty());
    EXPECT_EQ(u.port->Handshake(), PortOk);
    EXPECT_TRUE(u.port->GetError().empty()) << "a successful exchange clears it";

    ASSERT_EQ(fail(), PortTimeout);
    u.port->Purge();
    EXPECT_TRUE(u.port->GetError().empty()) << "a purge clears it";

    // A text the caller records is the caller's failure, not an exchange's.
    u.port->SetError("Данные, полученные от блока диагностики, повреждены");
    EXPECT_EQ(u.port->Handshake(), PortOk);
    u.port->Purge();
    EXPECT_EQ(u.port->GetError(), "Данные, полученные от блока диагностики, повреждены");
    u.port->SetError(std::nullopt);

    // A background exchange neither leaves an error nor clears one.
    {
        const PortVoiceScope background(*u.port, PortVoice::Background);
        EXPECT_EQ(fail(), PortTimeout);
    }
    EXPECT_TRUE(u.port->GetError().empty());
    ASSERT_EQ(fail(), PortTimeout);
    {
        const PortVoiceScope background(*u.port, PortVoice::Background);
        EXPECT_EQ(u.port->Handshake(), PortOk);
    }
    EXPECT_FALSE(u.port->GetError().empty());
}

TEST_P(PortOverLink, EachThreadHasItsOwnVoice)
{
    RecordedMessages messages;
    auto u = Make("[Faults]\nSilent=QORV_CNTID\nTimes=0\n", 100);
    ASSERT_EQ(u.port->Handshake(), PortOk);
    u.port->SetVoice(PortVoice::Loud);
    // Another thread goes quiet and back while this one stays loud: no
    // interleaving of theirs can silence this thread.
    std::thread other([&] {
        EXPECT_EQ(u.port->Voice(), PortVoice::Loud) << "a thread starts loud";
        const PortVoiceScope quiet(*u.port, PortVoice::Quiet);
        EXPECT_EQ(u.port->Voice(), PortVoice::Quiet);
        u.port->SendCode(QORV_CNTID);
        EXPECT_EQ(u.port->WaitData(QORV_CNTID, kPortDefaultTimeout), PortTimeout);
        EXPECT_EQ(u.port->Voice(), PortVoice::Quiet);
    });
    EXPECT_EQ(u.port->Voice(), PortVoice::Loud);
    other.join();
    EXPECT_TRUE(messages.Shown().empty());
    u.port->SendCode(QORV_CNTID);
    EXPECT_EQ(u.port->WaitData(QORV_CNTID, kPortDefaultTimeout), PortTimeout);
    EXPECT_EQ(messages.Shown().size(), 1u);
}

TEST_P(PortOverLink, TheUnitsCurrentAlarmReachesTheNotificationCallback)
{
    auto u = Make("[Currents]\nAlarmAfter=30\n");
    ASSERT_EQ(u.port->Handshake(), PortOk);
    std::mutex mutex;
    std::condition_variable arrived;
    std::vector<std::pair<int, std::uint32_t>> notes;
    u.port->SetNotify([&](int code, std::uint32_t value, std::span<const std::uint8_t>) {
        std::lock_guard lock(mutex);
        notes.emplace_back(code, value);
        arrived.notify_all();
    });
    const std::uint8_t arm = 3;
    ASSERT_EQ(u.port->Send(UKT, std::span(&arm, 1)), PortOk);
    EXPECT_EQ(u.port->WaitAck(UKT, kPortDefaultTimeout), PortOk);
    std::unique_lock lock(mutex);
    ASSERT_TRUE(arrived.wait_for(lock, std::chrono::seconds(2), [&] { return !notes.empty(); }));
    EXPECT_EQ(notes.front(), std::make_pair(static_cast<int>(UKT), std::uint32_t{2}));
}

TEST_P(PortOverLink, CurrentCheckPassesOrNamesEverySupplyOverItsLimit)
{
    auto good = Make();
    ASSERT_EQ(good.port->Handshake(), PortOk);
    EXPECT_EQ(good.port->CheckCurrents(0, 0), 1);

    auto bad = Make("[Currents]\nSupply=+5 В:520:500\nSupply=+12 В:80:200\nSupply=-12 В:90:60\n");
    ASSERT_EQ(bad.port->Handshake(), PortOk);
    EXPECT_EQ(bad.port->CheckCurrents(1, 0), 0);
    EXPECT_EQ(bad.port->GetError(), "Контроль токов: потребление превышает допустимое\r\n"
                                    "цепь 1: 520 мА (предел 500 мА)\r\n"
                                    "цепь 3: 90 мА (предел 60 мА)");
}

TEST_P(PortOverLink, IdentificationContactsAnswerOkOrAStatusPerContact)
{
    auto u = Make("[Identification]\nWrong=273\n");
    ASSERT_EQ(u.port->Handshake(), PortOk);
    const std::vector<std::uint8_t> fine{0x10, 0x01, 0x12, 0x01};  // 272, 274
    const std::vector<std::uint8_t> mixed{0x10, 0x01, 0x11, 0x01}; // 272, 273
    ASSERT_EQ(u.port->Send(QORV_CNTID, fine), PortOk);
    ASSERT_EQ(u.port->WaitData(QORV_CNTID, kPortDefaultTimeout), PortOk);
    EXPECT_EQ(u.port->AnswerData(), (std::vector<std::uint8_t>{'O', 'K'}));
    ASSERT_EQ(u.port->Send(QORV_CNTID, mixed), PortOk);
    ASSERT_EQ(u.port->WaitData(QORV_CNTID, kPortDefaultTimeout), PortOk);
    EXPECT_EQ(u.port->AnswerData(), (std::vector<std::uint8_t>{1, 2}));
}

TEST_P(PortOverLink, RebootRestartsTheUnitAndTheNextHandshakeConnectsAgain)
{
    auto u = Make();
    ASSERT_EQ(u.port->Handshake(), PortOk);
    ASSERT_EQ(u.port->SendFile(Pattern(10), "kept.bin", {}), PortOk);
    EXPECT_EQ(u.port->Reboot(), PortOk);
    EXPECT_EQ(u.port->NeedsReconnect(1), 0) << "a restart is expected, not a fault";
    EXPECT_EQ(u.port->Handshake(), PortOk);
    std::vector<std::uint8_t> data;
    EXPECT_EQ(u.port->ReceiveFile(data, "kept.bin", {}), PortUnitError)
        << "a restart forgets the session's files";
    if (u.unit)
        u.unit->Inspect([](sim::SimulatedUnit &unit) { EXPECT_EQ(unit.State().restarts, 1); });
}

TEST_P(PortOverLink, DetachEndsTheSessionAndAHandshakeStartsANewOne)
{
    auto u = Make();
    ASSERT_EQ(u.port->Handshake(), PortOk);
    ASSERT_EQ(u.port->SendFile(Pattern(10), "x.bin", {}), PortOk);
    u.port->Detach();
    EXPECT_EQ(u.port->SendCode(QORV_RESET), PortNoLink);
    ASSERT_EQ(u.port->Handshake(), PortOk);
    std::vector<std::uint8_t> data;
    EXPECT_EQ(u.port->ReceiveFile(data, "x.bin", {}), PortUnitError);
}

TEST_P(PortOverLink, AMalformedDeviceProgramIsRefusedWithTheUnitsText)
{
    auto u = Make();
    ASSERT_EQ(u.port->Handshake(), PortOk);
    const std::vector<std::uint8_t> program(100, 0);
    ASSERT_EQ(u.port->Send(QORV_DATA, program), PortOk);
    EXPECT_EQ(u.port->WaitData(QORV_DATA, kPortDefaultTimeout), PortUnitError);
    // 100 zero bytes: an empty program followed by bytes that belong to nothing.
    EXPECT_EQ(u.port->GetError().rfind("Программа теста повреждена: лишние байты", 0), 0u)
        << u.port->GetError();
}

TEST_P(PortOverLink, APayloadAboveTheUnitsLimitIsRefusedBeforeSending)
{
    auto u = Make("[Unit]\nMaxPayload=4096\n");
    ASSERT_EQ(u.port->Handshake(), PortOk);
    const std::vector<std::uint8_t> big(4097, 0);
    EXPECT_EQ(u.port->Send(QORV_DATA, big), PortRefused);
    EXPECT_EQ(u.port->Send(99, {}), PortRefused);
    EXPECT_EQ(u.port->NeedsReconnect(1), 0);
    EXPECT_EQ(u.port->SendFile(Pattern(20000), "big.bin", {}), PortOk)
        << "files travel in blocks the unit accepts";
}

INSTANTIATE_TEST_SUITE_P(Transports, PortOverLink,
                         ::testing::Values(Transport::InProcess, Transport::Tcp),
                         testing::TransportName);

// ---- in-process only: the unit's command table is reachable ----------------

TEST(PortInProcess, QuestionsOfTheUnitAreAnsweredFromTheCallback)
{
    UnitUnderTest u(Transport::InProcess);
    // A stand-in device program: asks one question, then sends its result.
    u.unit->Commands().Set(QORV_DATA, [](sim::Session &session, const sim::Request &request) {
        session.Ack(request);
        const std::vector<std::uint8_t> question{1, 1, 3, 0};
        session.AwaitReply(QORV_ASK, [](sim::Session &s, const sim::Request &reply) {
            s.Ack(reply);
            const std::vector<std::uint8_t> result{reply.data.at(1), 0x55};
            s.Notify(QORV_DATA, 0, result);
        });
        session.Notify(QORV_ASK, 0, question);
    });
    ASSERT_EQ(u.port->Handshake(), PortOk);

    std::mutex mutex;
    std::condition_variable done;
    std::vector<std::uint8_t> result;
    std::vector<int> codes;
    Portavo &port = *u.port;
    port.SetNotify([&](int code, std::uint32_t, std::span<const std::uint8_t> data) {
        std::lock_guard lock(mutex);
        codes.push_back(code);
        if (code == QORV_ASK) {
            EXPECT_EQ(port.WaitAck(QORV_ASK, 50), PortWrongThread) << "no waiting in here";
            const std::vector<std::uint8_t> reply{1, 6};
            EXPECT_EQ(port.Send(QORV_ASK, reply), PortOk);
        } else {
            result.assign(data.begin(), data.end());
            EXPECT_EQ(port.AnswerCode(), QORV_DATA);
            done.notify_all();
        }
    });
    ASSERT_EQ(port.Send(QORV_DATA, std::vector<std::uint8_t>(10, 0)), PortOk);
    std::unique_lock lock(mutex);
    ASSERT_TRUE(done.wait_for(lock, std::chrono::seconds(2), [&] { return !result.empty(); }));
    EXPECT_EQ(codes, (std::vector<int>{QORV_ASK, QORV_DATA}));
    EXPECT_EQ(result, (std::vector<std::uint8_t>{6, 0x55}));
}

TEST(PortInProcess, UnitFramesWithoutACallbackWaitForWaitAnswer)
{
    UnitUnderTest u(Transport::InProcess, "[Currents]\nAlarmAfter=20\n", 500);
    ASSERT_EQ(u.port->Handshake(), PortOk);
    const std::uint8_t arm = 3;
    ASSERT_EQ(u.port->Send(UKT, std::span(&arm, 1)), PortOk);
    ASSERT_EQ(u.port->WaitAck(UKT, kPortDefaultTimeout), PortOk);
    EXPECT_EQ(u.port->WaitAnswer(1000), PortOk);
    EXPECT_EQ(u.port->AnswerCode(), UKT);
    EXPECT_EQ(u.port->AnswerLength(), 0);
}

TEST(PortInProcess, CancelTransferStopsASendBetweenBlocks)
{
    UnitUnderTest u(Transport::InProcess);
    ASSERT_EQ(u.port->Handshake(), PortOk);
    Portavo &port = *u.port;
    const auto bytes = Pattern(5 * Portavo::kDefaultBlockSize);
    int calls = 0;
    EXPECT_EQ(port.SendFile(bytes, "stop.bin",
                            [&](int, int index) {
                                ++calls;
                                if (index == 1)
                                    port.CancelTransfer();
                            }),
              PortCancelled);
    EXPECT_EQ(calls, 2);
    EXPECT_EQ(port.GetError(), "Передача файла \"stop.bin\" отменена");
    std::vector<std::uint8_t> data;
    EXPECT_EQ(port.ReceiveFile(data, "stop.bin", {}), PortUnitError) << "no partial file kept";
    EXPECT_EQ(port.SendFile(bytes, "stop.bin", {}), PortOk);
}

TEST(PortInProcess, ASmallerBlockOfTheUnitIsUsed)
{
    UnitUnderTest u(Transport::InProcess, "[Unit]\nMaxBlock=1000\n");
    ASSERT_EQ(u.port->Handshake(), PortOk);
    int total = 0;
    ASSERT_EQ(u.port->SendFile(Pattern(2500), "b.bin", [&](int t, int) { total = t; }), PortOk);
    EXPECT_EQ(total, 3);
}

// ---- TCP only ------------------------------------------------------------------

TEST(PortOverTcp, ASecondHostIsToldTheUnitIsBusy)
{
    UnitUnderTest first(Transport::Tcp);
    ASSERT_EQ(first.port->Handshake(), PortOk);
    Portavo second(first.address);
    SCP_Info info;
    ASSERT_EQ(second.Open(info), 1);
    second.SetVoice(PortVoice::Quiet);
    second.SetTimeout(500);
    EXPECT_EQ(second.Handshake(), PortUnitError);
    EXPECT_EQ(second.GetError(), "Блок диагностики занят другой программой");

    first.port->Detach();
    second.Close();
    EXPECT_EQ(second.Handshake(), PortOk) << "the unit serves the next host";
}

TEST(PortOverTcp, AnAbsentUnitIsNotFoundAndNamed)
{
    Portavo port("tcp://127.0.0.1:1");
    SCP_Info info;
    ASSERT_EQ(port.Open(info), 1);
    port.SetVoice(PortVoice::Quiet);
    std::uint32_t found = 7;
    EXPECT_EQ(port.FindUnit(&found), 0);
    EXPECT_EQ(found, 0u);
    EXPECT_NE(port.GetError().find("tcp://127.0.0.1:1"), std::string::npos);
    EXPECT_EQ(port.Handshake(), PortNoLink);
}

TEST(PortOverTcp, TheSimulatorStopsCleanlyOnTermination)
{
    testing::UnitSimProcess process;
    ASSERT_FALSE(process.Address().empty());
    EXPECT_TRUE(process.ExitedCleanly());
}

} // namespace
} // namespace qv
