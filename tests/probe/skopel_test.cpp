// The probe driver against a scripted link (replies, time-outs, a device
// that goes away) and against the simulated probe (capture order, no
// trigger), and the two real links on a machine without the device.

#include "probe/d2xxlink.h"
#include "probefixture.h"
#include "sim/scope.h"
#include "support/common/waituntil.h"

namespace qv::testing {
namespace {

using Bytes = std::vector<std::uint8_t>;
const Bytes kAck{0x9C};

struct Driver
{
    explicit Driver(TSkopel::LinkFactory factory, bool fakeClock = false)
        : skopel(doc.d.doc, std::move(factory), fakeClock ? &clock : nullptr)
    {
        skopel.SetView(&view);
    }
    ProbeDoc doc;
    FakeClock clock;
    RecordingSkopelView view;
    TSkopel skopel;
};

TSkopel::LinkFactory Scripted(std::deque<Bytes> script, ScriptedLink **out = nullptr)
{
    return [script, out](std::string *) {
        auto link = std::make_unique<ScriptedLink>(script);
        if (out)
            *out = link.get();
        return link;
    };
}

TEST(Skopel, RepliesToTheCaptureCommandAreClassifiedByWhatWaits)
{
    struct Case
    {
        Bytes reply;
        bool starts;
        std::string message;
    };
    const std::vector<Case> cases{
        {{0x9C}, true, ""},
        {{0x9C, 0x9C, 0x9C}, true, ""},
        {{0x9B}, false, "Внутренний сбой \"СКОПЕЛ\""},
        {{0x9C, 0x00}, false, "\"СКОПЕЛ\" вернул ошибочный статус"},
        {{0x42}, false, "\"СКОПЕЛ\" вернул ошибочный статус"},
    };
    for (const Case &c : cases) {
        ScriptedLink *link = nullptr;
        Driver d(Scripted({kAck, kAck, c.reply, kAck}, &link), true);
        ASSERT_TRUE(d.skopel.Open());
        EXPECT_EQ(d.skopel.Start(0, 3), c.starts) << int(c.reply[0]);
        EXPECT_EQ(d.skopel.Message(), c.message);
        // Scale 2 and sweep 4 of the current cycle go into the command.
        ASSERT_GE(link->commands.size(), 3u);
        EXPECT_EQ(link->commands[2], (Bytes{0x9D, 0x03, 0x06, 0x05, 0x02, 0x02, 0x77}));
        d.skopel.Close();
    }
    EXPECT_EQ(ClassifyReply(Bytes(1024, 0x9C)), SkopelReply::Block);
    EXPECT_EQ(ClassifyReply(Bytes(1023, 0x9C)), SkopelReply::Ack);
}

TEST(Skopel, OpeningSendsIdleTwiceAndFailsOnAnInternalFailure)
{
    ScriptedLink *link = nullptr;
    Driver d(Scripted({kAck, {0x9B}}, &link), true);
    EXPECT_FALSE(d.skopel.Open());
    EXPECT_FALSE(d.skopel.Opened());
    const Bytes idle{0x9D, 0x02, 0x06, 0x04, 0x01, 0x01, 0xFF};
    EXPECT_EQ(link->commands, (std::vector<Bytes>{idle, idle}));
    // Shown once by Open itself, and cleared.
    EXPECT_EQ(d.view.errors, std::vector<std::string>{"Внутренний сбой \"СКОПЕЛ\""});
    EXPECT_EQ(d.skopel.Message(), "");
}

TEST(Skopel, TheReplyTimeOutFollowsTheSweepOfTheCurrentCycle)
{
    Driver d(Scripted({kAck, kAck, {}}), true);
    d.doc.Function().Sweep[1] = 10; // "2 c"
    d.doc.d.doc.SetActiveCycle(1);
    ASSERT_TRUE(d.skopel.Open());
    const auto before = d.clock.now;
    EXPECT_FALSE(d.skopel.Start(1, 2));
    EXPECT_EQ(d.skopel.Timeout(), 6000);
    const auto waited = (d.clock.now - before).count();
    EXPECT_GT(waited, 6000);
    EXPECT_LE(waited, 6020);
    EXPECT_EQ(d.skopel.Message(), "Истекло время ожидания ответа от \"СКОПЕЛ\"");

    EXPECT_EQ(SkopelTimeout(8), 1000);
    EXPECT_EQ(SkopelTimeout(9), 2000);
    EXPECT_EQ(SkopelTimeout(11), 10000);
    EXPECT_GT(SkopelTimeout(12), 10000) << "longer than the 10-second sweep";
}

TEST(Skopel, AnInfoTextIsShownBeforeCapturingAndCancelStopsTheStart)
{
    Driver d(Scripted({kAck, kAck, kAck, kAck}), true);
    d.doc.Function().Info = "Щуп на контакт 17";
    d.view.confirm = false;
    ASSERT_TRUE(d.skopel.Open());
    EXPECT_FALSE(d.skopel.Start(0, 3));
    EXPECT_EQ(d.view.preparations, std::vector<std::string>{"Щуп на контакт 17"});
    EXPECT_TRUE(d.view.opened.empty()) << "no live window";
}

// The simulated probe, triggered by hand through the process-wide bus.
struct SimDriver : Driver
{
    SimDriver()
        : Driver([](std::string *message) {
            return probe::MakeProbeLink(probe::LinkKind::Sim, message);
        })
    {}

    // One trigger per block, each once the previous block is in.
    void Trigger(int times)
    {
        for (int i = 0; i < times; ++i) {
            const int before = skopel.Captures();
            sim::ScopeTrigger trigger;
            trigger.levels = {1, 0};
            sim::ScopeBus::Instance().Publish(trigger);
            ASSERT_TRUE(WaitUntil([&] { return skopel.Captures() > before; }));
        }
    }
};

TEST(Skopel, ATestOfThreeCyclesIsCapturedRoundAndRound)
{
    SimDriver d;
    ASSERT_TRUE(d.skopel.Open()) << d.view.errors.front();
    ASSERT_TRUE(d.skopel.Start(0, 3));
    ASSERT_EQ(d.view.opened.size(), 1u);
    EXPECT_EQ(d.view.opened[0].cycle, 0);
    EXPECT_EQ(d.view.opened[0].name, "Строб");
    d.Trigger(5);
    EXPECT_EQ(d.skopel.CapturedCycles(), (std::vector<int>{0, 1, 2, 0, 1}));
    EXPECT_EQ(d.view.Blocks(), (std::vector<int>{0, 1, 2, 0, 1}));
    EXPECT_FALSE(d.doc.Function().Captured[0]) << "stored only when the run ends";
    d.skopel.Close();
    EXPECT_EQ(d.view.captures, 5);
    EXPECT_FALSE(d.view.closedLive);
    for (std::size_t c = 0; c < 3; ++c)
        EXPECT_TRUE(d.doc.Function().Captured[c]) << c;
    EXPECT_FALSE(d.doc.Function().Captured[3]);
    EXPECT_EQ(d.skopel.Message(), "");
}

TEST(Skopel, DebugModeCapturesOnlyTheCurrentCycle)
{
    SimDriver d;
    d.doc.d.doc.SetActiveCycle(2);
    ASSERT_TRUE(d.skopel.Open());
    ASSERT_TRUE(d.skopel.Start(2, 3));
    d.Trigger(3);
    EXPECT_EQ(d.skopel.CapturedCycles(), (std::vector<int>{2, 2, 2}));
    d.skopel.Close();
    EXPECT_FALSE(d.doc.Function().Captured[0]);
    EXPECT_TRUE(d.doc.Function().Captured[2]);
}

TEST(Skopel, NoTriggerDuringTheRunReportsTheMissingSynchronisation)
{
    SimDriver d;
    ASSERT_TRUE(d.skopel.Open());
    ASSERT_TRUE(d.skopel.Start(0, 3));
    d.skopel.Close();
    EXPECT_TRUE(d.view.closedLive);
    EXPECT_EQ(d.view.captures, -1);
    d.skopel.ReportMessage();
    EXPECT_EQ(d.view.errors, std::vector<std::string>{"Отсутствует внешняя синхронизация"});
    d.skopel.ReportMessage();
    EXPECT_EQ(d.view.errors.size(), 1u) << "shown once";
}

TEST(Skopel, ADeviceThatGoesAwayEndsTheCaptureWithItsMessage)
{
    ScriptedLink *link = nullptr;
    Driver d(Scripted({kAck, kAck, kAck}, &link));
    ASSERT_TRUE(d.skopel.Open());
    ASSERT_TRUE(d.skopel.Start(0, 3));
    link->failQueueStatus = true; // unplugged while the thread polls
    ASSERT_TRUE(WaitUntil([&] { return !d.skopel.Message().empty(); }));
    d.skopel.Close(); // joins the thread; the idle command fails as well
    EXPECT_FALSE(d.skopel.IsOpen());
    d.skopel.ReportMessage();
    EXPECT_EQ(d.view.errors, std::vector<std::string>{"Ошибка команды драйвера FTDI USB"});
    EXPECT_TRUE(d.view.closedLive);
}

TEST(Skopel, ReadsThatKeepFailingTimeOutAndDoNotHoldTheThread)
{
    ScriptedLink *link = nullptr;
    Driver d(Scripted({kAck, kAck, {0x9C}, kAck}, &link), true);
    ASSERT_TRUE(d.skopel.Open());
    link->failRead = true;
    EXPECT_FALSE(d.skopel.Start(0, 3)) << "the acknowledge cannot be read";
    EXPECT_EQ(d.skopel.Message(), "Истекло время ожидания ответа от \"СКОПЕЛ\"");
    link->failRead = false;
    ASSERT_TRUE(d.skopel.Start(0, 3));
    link->failRead = true;
    d.skopel.Close(); // returns: the thread's polls fail and go on
    EXPECT_FALSE(d.skopel.IsOpen());
}

TEST(ProbeLinks, TheRealDeviceAbsentGivesTheNotFoundMessage)
{
    Driver d(
        [](std::string *message) { return probe::MakeProbeLink(probe::LinkKind::Ftdi, message); });
    EXPECT_FALSE(d.skopel.Open());
    EXPECT_EQ(d.view.errors, std::vector<std::string>{"Устройство не обнаружено или неисправно"});
}

TEST(ProbeLinks, TheVendorLibraryIsBoundByNameWithItsTwoMessages)
{
    Driver d(
        [](std::string *message) { return probe::MakeProbeLink(probe::LinkKind::D2xx, message); });
    EXPECT_FALSE(d.skopel.Open());
    EXPECT_EQ(d.view.errors,
              std::vector<std::string>{
                  "Необходимый файл динамической библиотеки libftd2xx.so не найден"});

    // A library that loads but lacks the entry points: the first is named.
    std::string message;
    EXPECT_FALSE(probe::D2xxLibrary::Load(&message, "libc.so.6"));
    EXPECT_EQ(message, "Загрузка библиотеки libc.so.6: не удалось экспортировать функцию "
                       "\"FT_Close\"");
    EXPECT_EQ(probe::kD2xxFunctions.size(), 45u);
    EXPECT_STREQ(probe::kD2xxFunctions[18], "FT_OpenEx");
    EXPECT_STREQ(probe::kD2xxFunctions.back(), "FT_WriteEE");
}

TEST(ProbeLinks, TheSettingNamesTheLink)
{
    EXPECT_EQ(probe::ParseLinkKind("SIM"), probe::LinkKind::Sim);
    EXPECT_EQ(probe::ParseLinkKind("ftdi"), probe::LinkKind::Ftdi);
    EXPECT_EQ(probe::ParseLinkKind("d2xx"), probe::LinkKind::D2xx);
    EXPECT_FALSE(probe::ParseLinkKind("usb"));
    std::string message;
    EXPECT_FALSE(probe::MakeProbeLink("usb", &message));
    EXPECT_EQ(message, "Устройство зонда \"usb\" неизвестно: укажите sim, ftdi или d2xx");
}

TEST(ProbeLinks, StartUpBindsTheVendorLibraryOnlyWhenTheSettingNamesIt)
{
    std::unique_ptr<probe::D2xxLibrary> library;
    std::string message;
    EXPECT_TRUE(probe::BindProbeLibrary("sim", &library, &message));
    EXPECT_TRUE(probe::BindProbeLibrary("ftdi", &library, &message));
    EXPECT_EQ(message, "");
    EXPECT_FALSE(probe::BindProbeLibrary("D2XX", &library, &message));
    EXPECT_FALSE(library);
    EXPECT_EQ(message, "Необходимый файл динамической библиотеки libftd2xx.so не найден");
}

} // namespace
} // namespace qv::testing
