#include "execution/port/testerport.h"
#include "infra/notice.h"
#include "infra/unitcodes.h"
#include "model/ini/inistore.h"
#include "support/execution/unitfixture.h"

namespace qv {
namespace {

using testing::RecordedMessages;
using testing::Transport;
using testing::UnitUnderTest;

// Records what the tester port tells the main window.
struct ObserverLog : TesterPortObserver
{
    void CalibrationCaptionChanged(const std::string &caption) override
    {
        captions.push_back(caption);
    }
    void UnitStatusChanged(UnitStatus code) override { statuses.push_back(code); }

    std::vector<std::string> captions;
    std::vector<UnitStatus> statuses;
};

// A TCP wrapper over an in-process unit made from a board text.
struct Bench
{
    explicit Bench(const std::string &board = {})
        : u(Transport::InProcess, board)
    {
        tester.SetObserver(&observer);
        tester.SetNotices(MessageBoxNotices());
        created = tester.Create("Quorvik", [this](const std::string &) { return u.port; });
        u.port->SetVoice(PortVoice::Quiet);
    }

    UnitUnderTest u;
    ObserverLog observer;
    TCP tester;
    bool created = false;
};

class TesterPort : public ::testing::Test
{
protected:
};

TEST_F(TesterPort, SettingsKeepDefaultsForMissingKeysAndApplyTheirRules)
{
    TCP tester;
    tester.SetNotices(MessageBoxNotices());
    IniStore store;
    tester.LoadSettings(store);
    TesterSettings s = tester.Settings();
    EXPECT_EQ(s.showConnectError, 1);
    EXPECT_EQ(s.ioCheck, 0);
    EXPECT_EQ(s.timeout, 1000);
    EXPECT_EQ(s.polling, 1);
    EXPECT_EQ(s.pollPeriod, 5);
    EXPECT_EQ(s.probeMode, 3);
    EXPECT_EQ(s.address, "sim");

    store.WriteInteger(TCP::kSection, TCP::kKeyTimeout, 300);
    store.WriteInteger(TCP::kSection, TCP::kKeyPollPeriod, -1); // read as missing
    store.WriteInteger(TCP::kSection, TCP::kKeyIoCheck, 1);
    store.WriteString(TCP::kSection, TCP::kKeyAddress, "tcp://bench:4000");
    store.WriteInteger(TCP::kSection, TCP::kKeyProbeMode, 0x13); // low bits 0011: kept
    tester.LoadSettings(store);
    s = tester.Settings();
    EXPECT_EQ(s.timeout, 1000) << "raised to 1000";
    EXPECT_EQ(s.pollPeriod, 5);
    EXPECT_EQ(s.ioCheck, 1);
    EXPECT_EQ(s.address, "tcp://bench:4000");
    EXPECT_EQ(s.probeMode, 0x13);

    for (const int bad : {7, 1, 0, 15, 0x10}) {
        store.WriteInteger(TCP::kSection, TCP::kKeyProbeMode, bad);
        tester.LoadSettings(store);
        EXPECT_EQ(tester.Settings().probeMode, 3) << bad;
    }
    store.WriteInteger(TCP::kSection, TCP::kKeyProbeMode, 12);
    store.WriteInteger(TCP::kSection, TCP::kKeyTimeout, 1500);
    tester.LoadSettings(store);
    EXPECT_EQ(tester.Settings().probeMode, 12);
    EXPECT_EQ(tester.Settings().timeout, 1500);
}

TEST_F(TesterPort, SettingsAreSavedInTheirOrder)
{
    TCP tester;
    tester.SetNotices(MessageBoxNotices());
    IniStore store;
    tester.SaveSettings(store);
    EXPECT_EQ(store.ReadSection(TCP::kSection),
              (std::vector<std::string>{
                  std::string(TCP::kKeyShowConnectError), std::string(TCP::kKeyIoCheck),
                  std::string(TCP::kKeyTimeout), std::string(TCP::kKeyPolling),
                  std::string(TCP::kKeyPollPeriod), std::string(TCP::kKeyProbeMode),
                  std::string(TCP::kKeyAddress), std::string(TCP::kKeyProbeDevice)}));
    EXPECT_EQ(store.ReadString(TCP::kSection, TCP::kKeyAddress, ""), "sim");
    EXPECT_EQ(store.ReadString(TCP::kSection, TCP::kKeyProbeDevice, ""), "sim");
}

TEST_F(TesterPort, CreateRefusesAnUnusableAddressNamingIt)
{
    RecordedMessages messages;
    TCP tester;
    tester.SetNotices(MessageBoxNotices());
    TesterSettings s;
    s.address = "tcp://bench";
    tester.SetSettings(s);
    EXPECT_FALSE(tester.Create("Quorvik"));
    EXPECT_FALSE(tester.HasPort());
    EXPECT_THROW(tester.Port(), std::logic_error);
    const auto shown = messages.Shown();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].flags, MbError);
    EXPECT_EQ(shown[0].text,
              "Адрес блока диагностики \"tcp://bench\" не может быть использован: не "
              "указан порт (нужно tcp://УЗЕЛ:ПОРТ).\r\nИзмените его в разделе "
              "\"Блок диагностики\" настроек.");
}

TEST_F(TesterPort, CreateReportsAFailingPortFactory)
{
    RecordedMessages messages;
    TCP tester;
    tester.SetNotices(MessageBoxNotices());
    EXPECT_FALSE(tester.Create("Quorvik", [](const std::string &) -> SComPort {
        throw std::runtime_error("нет памяти");
    }));
    ASSERT_EQ(messages.Shown().size(), 1u);
    EXPECT_EQ(messages.Shown()[0].text, "Не удалось создать класс TCP :нет памяти");
}

TEST_F(TesterPort, CreateOpensTheDefaultSimulatedUnit)
{
    TCP tester;
    tester.SetNotices(MessageBoxNotices());
    ASSERT_TRUE(tester.Create("Quorvik"));
    tester.Port()->SetVoice(PortVoice::Quiet);
    EXPECT_TRUE(tester.Connect(false, false));
    EXPECT_NE(tester.BuildInfo().find("Тип устройства: MSDOS"), std::string::npos);
}

TEST_F(TesterPort, BuildInformationOfAnMsDosUnitIsItsExactText)
{
    Bench bench("[Unit]\nType=msdos\nBuildDate=2023-01-31\nBuildTime=08:05:09\n"
                "[Versions]\nQORV=4.1\nBODR=-\nKELM=2.7\n");
    ASSERT_TRUE(bench.created);
    ASSERT_EQ(bench.u.port->Handshake(), PortOk);
    bench.tester.Unit().SetType(UnitTypeArm);
    bench.tester.ReadBuildInfo();
    EXPECT_EQ(bench.tester.BuildInfo(), "Тип устройства: MSDOS\r\n"
                                        "Дата сборки: 31.01.2023\r\n"
                                        "Время сборки: 08:05:09\r\n"
                                        "Версия сборки \"Диагностический тест QUORVIK\": 4.1\r\n"
                                        "Версия сборки \"Тест контактов DROSSA\": 1.0\r\n"
                                        "Версия сборки \"Тест памяти RAM/ROM\": 1.1\r\n"
                                        "Версия сборки \"Программа управления KELM\": 2.7");
    EXPECT_TRUE(bench.tester.DosUnit());
    EXPECT_EQ(bench.observer.captions, (std::vector<std::string>{"&Настройка ЧВП"}));
}

TEST_F(TesterPort, TheFirstReadOfAnArmUnitShowsItsOwnMonth)
{
    Bench bench("[Unit]\nType=arm\nBuildDate=2024-12-01\nBuildTime=23:59:00\n"
                "[Versions]\nCount=0\n");
    ASSERT_EQ(bench.u.port->Handshake(), PortOk);
    ASSERT_TRUE(bench.tester.DosUnit()) << "the flag starts set";
    bench.tester.ReadBuildInfo();
    EXPECT_EQ(bench.tester.BuildInfo(),
              "Тип устройства: ARM\r\nДата сборки: 01.12.2024\r\nВремя сборки: 23:59:00");
    EXPECT_FALSE(bench.tester.DosUnit());
    EXPECT_EQ(bench.observer.captions, (std::vector<std::string>{"&Просмотр ЧВП"}));
    EXPECT_EQ(bench.u.port->Voice(), PortVoice::Quiet) << "the flag is restored";
}

// The unit type belongs to the port that read it: two desks (or a desk and
// a tool) talking to units of both types keep theirs apart.
TEST_F(TesterPort, EachTesterPortKnowsTheTypeOfItsOwnUnit)
{
    Bench arm("[Unit]\nType=arm\n");
    Bench dos("[Unit]\nType=msdos\n");
    ASSERT_EQ(arm.u.port->Handshake(), PortOk);
    ASSERT_EQ(dos.u.port->Handshake(), PortOk);
    arm.tester.ReadBuildInfo();
    EXPECT_FALSE(arm.tester.DosUnit());
    EXPECT_TRUE(dos.tester.DosUnit()) << "another port's answer changes nothing here";
    dos.tester.ReadBuildInfo();
    EXPECT_TRUE(dos.tester.DosUnit());
    EXPECT_FALSE(arm.tester.DosUnit());
    EXPECT_EQ(arm.observer.captions, (std::vector<std::string>{"&Просмотр ЧВП"}));
    EXPECT_EQ(dos.observer.captions, (std::vector<std::string>{"&Настройка ЧВП"}));
}

TEST_F(TesterPort, ResetSendsTheCheckByteOnlyWhenAskedAndReportsTheStatus)
{
    Bench bench;
    ASSERT_EQ(bench.u.port->Handshake(), PortOk);
    const auto checked = [&] {
        bool value = false;
        bench.u.unit->Inspect(
            [&](sim::SimulatedUnit &unit) { value = unit.State().lastResetChecked; });
        return value;
    };
    EXPECT_EQ(bench.tester.Reset(true, 0), PortOk);
    EXPECT_FALSE(checked()) << "the I/O check setting is off";
    EXPECT_EQ(bench.tester.Reset(false, 1), PortOk);
    EXPECT_TRUE(checked()) << "mode 1 always checks";
    TesterSettings s = bench.tester.Settings();
    s.ioCheck = 1;
    bench.tester.SetSettings(s);
    EXPECT_EQ(bench.tester.Reset(false, 0), PortOk);
    EXPECT_FALSE(checked());
    EXPECT_EQ(bench.tester.Reset(true, 0), PortOk);
    EXPECT_TRUE(checked());
    int resets = 0;
    bench.u.unit->Inspect([&](sim::SimulatedUnit &unit) { resets = unit.State().resets; });
    EXPECT_EQ(bench.tester.Reset(true, 2), PortOk);
    bench.u.unit->Inspect([&](sim::SimulatedUnit &unit) {
        EXPECT_EQ(unit.State().resets, resets) << "mode 2 sends nothing";
    });
    EXPECT_EQ(bench.observer.statuses, std::vector<UnitStatus>(5, UnitStatus::Connected));
    EXPECT_FALSE(bench.tester.BuildInfo().empty());

    bench.u.port->Close();
    EXPECT_EQ(bench.tester.Reset(false, 0), PortNoLink);
    EXPECT_EQ(bench.observer.statuses.back(), UnitStatus::NoConnection);
}

TEST_F(TesterPort, ConnectChecksTheUnitAndRestoresTheVoice)
{
    Bench bench;
    bench.u.port->SetVoice(PortVoice::Loud);
    EXPECT_TRUE(bench.tester.Connect(false, false));
    EXPECT_EQ(bench.u.port->Voice(), PortVoice::Loud);
    EXPECT_FALSE(bench.tester.BuildInfo().empty());
    int code = -1;
    EXPECT_TRUE(bench.tester.Connect(true, false, &code));
    EXPECT_EQ(code, PortOk);
}

TEST_F(TesterPort, AQuietConnectionWithoutTheStartUpReportShowsNothing)
{
    RecordedMessages messages;
    TCP tester;
    tester.SetNotices(MessageBoxNotices());
    TesterSettings s;
    s.address = "tcp://127.0.0.1:1";
    s.showConnectError = 0;
    tester.SetSettings(s);
    ASSERT_TRUE(tester.Create("Quorvik"));
    EXPECT_FALSE(tester.Connect(true, false));
    EXPECT_TRUE(messages.Shown().empty());
    EXPECT_EQ(tester.Port()->Voice(), PortVoice::Loud) << "restored after the early failure";

    s.showConnectError = 1;
    tester.SetSettings(s);
    EXPECT_FALSE(tester.Connect(true, false));
    ASSERT_EQ(messages.Shown().size(), 1u);
    EXPECT_NE(messages.Shown()[0].text.find("tcp://127.0.0.1:1"), std::string::npos);
}

TEST_F(TesterPort, ConnectRebootsOnlyAnArmUnit)
{
    const auto restartsAfterConnect = [](const std::string &board, bool dosBefore) {
        Bench bench(board);
        bench.tester.Unit().SetType(dosBefore ? UnitTypeMsDos : UnitTypeArm);
        EXPECT_TRUE(bench.tester.Connect(true, true));
        int restarts = -1;
        bench.u.unit->Inspect([&](sim::SimulatedUnit &unit) { restarts = unit.State().restarts; });
        return restarts;
    };
    EXPECT_EQ(restartsAfterConnect("[Unit]\nType=arm\n", false), 1);
    EXPECT_EQ(restartsAfterConnect("[Unit]\nType=msdos\n", true), 0);
}

TEST_F(TesterPort, SetTimeoutStoresAndForwardsAndTheNextReadRaisesIt)
{
    Bench bench("[Faults]\nSilent=QORV_RESET\n");
    ASSERT_EQ(bench.u.port->Handshake(), PortOk);
    bench.tester.SetTimeout(100);
    EXPECT_EQ(bench.tester.Settings().timeout, 100);
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(bench.tester.Reset(false, 0), PortTimeout);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(900));
    IniStore store;
    bench.tester.SaveSettings(store);
    bench.tester.LoadSettings(store);
    EXPECT_EQ(bench.tester.Settings().timeout, 1000);
}

} // namespace
} // namespace qv
