#include "execution/desk/desksession.h"
#include "infra/encoding.h"
#include "infra/notice.h"
#include "model/io/filestore.h"
#include "sim/unitstate.h"
#include "support/common/tempdir.h"
#include "support/execution/unitfixture.h"

#include <QProcess>
#include <QTemporaryDir>
#include <chrono>
#include <fstream>
#include <iterator>
#include <thread>

namespace qv {
namespace {

using testing::RecordedMessages;
using testing::Transport;
using testing::UnitUnderTest;

using testing::ReadBytes;

void WriteText(const std::string &path, std::string_view utf8)
{
    testing::WriteBytes(path, Utf8ToCp1251(utf8));
}

struct Files
{
    std::string Path(const char *name) const { return dir.filePath(name).toStdString(); }
    std::string Cfg() const { return Path("quorvik.cfg"); }
    std::string Ini() const { return Path("quorvik.ini"); }
    QTemporaryDir dir;
};

class FullDisk : public FileStore
{
protected:
    bool WriteAll(int, std::string_view) override { return false; }
};

TEST(SettingsStore, ThePortReadsAndWritesItsOwnSectionBesideTheOthers)
{
    RecordedMessages messages;
    Files f;
    WriteText(f.Cfg(), "[Общие]\r\nМаксимум чего-то своего=3\r\n"
                       "[Блок диагностики]\r\nВремя опроса (сек)=17\r\n"
                       "Время ожидания ответа от блока диагностики=-1\r\n"
                       "[Цвета]\r\nСлово GE=255\r\n");
    SettingsStore store(f.Cfg(), f.Ini());
    store.SetNotices(MessageBoxNotices());
    TCP tester;
    tester.SetNotices(MessageBoxNotices());
    EXPECT_TRUE(store.Load(&tester, false));
    EXPECT_EQ(tester.Settings().pollPeriod, 17);
    EXPECT_EQ(tester.Settings().timeout, TesterSettings().timeout);
    EXPECT_EQ(store.Settings().Colours.Get(ClrWordGE), 255u);

    store.Settings().AddRecentFile("/t/плата.QOR");
    ASSERT_TRUE(store.Save(&tester));
    IniStore back;
    back.FromText(Cp1251ToUtf8(ReadBytes(f.Cfg())));
    EXPECT_EQ(back.ReadSections(),
              (std::vector<std::string>{"Общие", "Блок диагностики", "Цвета", "Осциллограммы",
                                        "Ограничения", "Результаты", "Список последних файлов",
                                        "Удаленное управление"}));
    EXPECT_EQ(back.ReadString("Общие", "Максимум чего-то своего", ""), "3");
    EXPECT_EQ(back.ReadInteger("Блок диагностики", "Время опроса (сек)", 0), 17);
    EXPECT_EQ(back.ReadString("Блок диагностики", "Адрес блока диагностики", ""), "sim");
    EXPECT_EQ(back.ReadString("Список последних файлов", "MRU1", ""), "/t/плата.QOR");
    EXPECT_TRUE(messages.Shown().empty());
}

TEST(SettingsStore, OutOfRangeValuesTakeTheirDefaultsAndAreNotWrittenBack)
{
    RecordedMessages messages;
    Files f;
    WriteText(f.Cfg(), "[Общие]\r\nВремя выполнения элементарной операции IO=-3,5\r\n"
                       "Время выполнения вычисления для ожидания О-слова=1e300\r\n"
                       "[Блок диагностики]\r\nВремя опроса (сек)=-2147483648\r\n"
                       "Время ожидания ответа от блока диагностики=2147483647\r\n");
    SettingsStore store(f.Cfg(), f.Ini());
    store.SetNotices(MessageBoxNotices());
    TCP tester;
    tester.SetNotices(MessageBoxNotices());
    EXPECT_TRUE(store.Load(&tester, false));
    EXPECT_EQ(tester.Settings().pollPeriod, TesterSettings().pollPeriod);
    EXPECT_EQ(tester.Settings().timeout, TesterSettings().timeout);
    EXPECT_DOUBLE_EQ(store.Settings().IoTime, TSettings().IoTime);
    EXPECT_DOUBLE_EQ(store.Settings().WaitTime, TSettings().WaitTime);

    ASSERT_TRUE(store.Save(&tester));
    IniStore back;
    back.FromText(Cp1251ToUtf8(ReadBytes(f.Cfg())));
    EXPECT_EQ(back.ReadInteger("Блок диагностики", "Время опроса (сек)", 0), 5);
    EXPECT_EQ(back.ReadInteger("Блок диагностики", "Время ожидания ответа от блока диагностики", 0),
              1000);
    EXPECT_EQ(back.ReadString("Общие", "Время выполнения элементарной операции IO", "").find('-'),
              std::string::npos);

    // In range they are taken.
    WriteText(f.Cfg(), "[Блок диагностики]\r\nВремя опроса (сек)=60\r\n"
                       "Время ожидания ответа от блока диагностики=30000\r\n");
    SettingsStore again(f.Cfg(), f.Ini());
    again.SetNotices(MessageBoxNotices());
    TCP other;
    other.SetNotices(MessageBoxNotices());
    EXPECT_TRUE(again.Load(&other, false));
    EXPECT_EQ(other.Settings().pollPeriod, 60);
    EXPECT_EQ(other.Settings().timeout, 30000);
}

TEST(SettingsStore, MissingFilesKeepTheDefaultsAndAreCreatedAtSave)
{
    RecordedMessages messages;
    Files f;
    SettingsStore store(f.Cfg(), f.Ini());
    store.SetNotices(MessageBoxNotices());
    EXPECT_TRUE(store.Load(nullptr, false));
    EXPECT_EQ(store.Settings(), TSettings());
    store.Placements().SetGeometry("BaseForm", "abc");
    ASSERT_TRUE(store.Save(nullptr));

    SettingsStore again(f.Cfg(), f.Ini());
    again.SetNotices(MessageBoxNotices());
    again.Load(nullptr, false);
    EXPECT_EQ(again.Settings(), TSettings());
    EXPECT_EQ(again.Placements().Geometry("BaseForm"), "abc");
}

TEST(SettingsStore, AnUnreadableFileIsReportedKeepsTheDefaultsAndIsNotOverwritten)
{
    RecordedMessages messages;
    Files f;
    std::filesystem::create_directories(f.Cfg());
    SettingsStore store(f.Cfg(), f.Ini());
    store.SetNotices(MessageBoxNotices());
    EXPECT_FALSE(store.Load(nullptr, false));
    EXPECT_EQ(store.Settings(), TSettings());
    ASSERT_EQ(messages.Shown().size(), 1u);
    EXPECT_EQ(messages.Shown()[0].flags, MbWarning);

    store.Placements().SetGeometry("BaseForm", "abc");
    EXPECT_FALSE(store.Save(nullptr));
    EXPECT_TRUE(std::filesystem::is_directory(f.Cfg()));
    EXPECT_TRUE(std::filesystem::exists(f.Ini())) << "the readable file is still written";
    EXPECT_EQ(messages.Shown().size(), 1u);
}

TEST(SettingsStore, AFailedSaveIsReportedAndKeepsTheOldFiles)
{
    RecordedMessages messages;
    Files f;
    WriteText(f.Cfg(), "[Общие]\r\nПоказывать прогоны для О-слов=0\r\n");
    const std::string before = ReadBytes(f.Cfg());
    FullDisk disk;
    SettingsStore store(f.Cfg(), f.Ini(), &disk);
    store.SetNotices(MessageBoxNotices());
    store.Load(nullptr, false);
    store.Settings().SetOption(TSettings::OptWaitsAsTimes, 1);
    EXPECT_FALSE(store.Save(nullptr));
    EXPECT_EQ(ReadBytes(f.Cfg()), before);
    EXPECT_FALSE(std::filesystem::exists(f.Ini()));
    ASSERT_EQ(messages.Shown().size(), 2u);
    EXPECT_NE(messages.Shown()[0].text.find(f.Cfg()), std::string::npos);
}

HardStatusTiming FastTiming()
{
    HardStatusTiming timing;
    timing.step = std::chrono::milliseconds(5);
    timing.firstCounter = std::chrono::milliseconds(100);
    timing.checkPause = std::chrono::milliseconds(5);
    timing.pollLockWait = std::chrono::milliseconds(50);
    timing.periodUnit = std::chrono::milliseconds(20);
    return timing;
}

struct Desk
{
    DeskSession::Options Options()
    {
        DeskSession::Options o;
        o.notices = MessageBoxNotices();
        o.portFactory = [this](const std::string &) { return u.port; };
        o.lockDirectory = lockDir.path().toStdString();
        o.timing = FastTiming();
        return o;
    }

    QTemporaryDir lockDir;
    UnitUnderTest u{Transport::InProcess};
    Files f;
};

int Resets(UnitUnderTest &u)
{
    int resets = 0;
    u.unit->Inspect([&](sim::SimulatedUnit &unit) { resets = unit.State().resets; });
    return resets;
}

TEST(DeskSession, StartConnectsQuietlyAndStopSavesThenReleasesTheUnit)
{
    RecordedMessages messages;
    Desk d;
    // Polling stays off here: on a loaded machine a poll could fall between
    // the checks and add an exchange of its own to the count.
    WriteText(d.f.Cfg(), "[Блок диагностики]\r\nВремя опроса (сек)=2\r\n"
                         "Выполнять периодический опрос готовности блока диагностики=0\r\n");
    DeskSession desk(SettingsStore(d.f.Cfg(), d.f.Ini()), d.Options());
    ASSERT_TRUE(desk.Start("Quorvik"));
    EXPECT_TRUE(desk.Started());
    EXPECT_EQ(desk.Tester().Settings().pollPeriod, 2);
    EXPECT_EQ(Resets(d.u), 1) << "the quiet connection resets the unit once";
    ASSERT_NE(desk.Monitor(), nullptr);

    desk.Store().Settings().AddRecentFile("/t/a.QOR");
    EXPECT_TRUE(desk.Stop());
    EXPECT_FALSE(desk.Started());
    EXPECT_EQ(desk.Monitor(), nullptr);
    EXPECT_EQ(Resets(d.u), 1) << "closing resets without a command";
    IniStore back;
    back.FromText(Cp1251ToUtf8(ReadBytes(d.f.Cfg())));
    EXPECT_EQ(back.ReadString("Список последних файлов", "MRU1", ""), "/t/a.QOR");
    EXPECT_EQ(back.ReadInteger("Блок диагностики", "Время опроса (сек)", 0), 2);
    EXPECT_FALSE(desk.Stop()) << "a second stop does nothing";
}

// The program opens the desk before its window shows and connects once the
// window is painted: until then the unit hears nothing.
TEST(DeskSession, OpenLeavesTheUnitAloneUntilTheQuietConnectionWhichComesOnce)
{
    RecordedMessages messages;
    Desk d;
    WriteText(d.f.Cfg(), "[Блок диагностики]\r\nВремя опроса (сек)=2\r\n"
                         "Выполнять периодический опрос готовности блока диагностики=0\r\n");
    DeskSession desk(SettingsStore(d.f.Cfg(), d.f.Ini()), d.Options());
    const auto framesBefore = d.u.port->LinkStatistics().frames;
    ASSERT_TRUE(desk.Open("Quorvik"));
    EXPECT_TRUE(desk.Started());
    EXPECT_EQ(desk.Tester().Settings().pollPeriod, 2);
    EXPECT_EQ(desk.Monitor(), nullptr);
    EXPECT_EQ(d.u.port->LinkStatistics().frames, framesBefore) << "no word to the unit yet";
    EXPECT_EQ(Resets(d.u), 0);

    desk.ConnectQuietly();
    EXPECT_EQ(Resets(d.u), 1) << "the quiet connection resets the unit once";
    ASSERT_NE(desk.Monitor(), nullptr);
    TthHardStatus *monitor = desk.Monitor();
    desk.ConnectQuietly();
    EXPECT_EQ(desk.Monitor(), monitor) << "a second call changes nothing";
    EXPECT_EQ(Resets(d.u), 1);
    EXPECT_TRUE(desk.Stop());
    desk.ConnectQuietly();
    EXPECT_EQ(desk.Monitor(), nullptr) << "nothing after the desk stopped";
    EXPECT_TRUE(messages.Shown().empty());
}

TEST(DeskSession, AnUnusableAddressFailsStartAndWritesNothing)
{
    RecordedMessages messages;
    Files f;
    WriteText(f.Cfg(), "[Блок диагностики]\r\nАдрес блока диагностики=ftp://нет\r\n");
    const std::string before = ReadBytes(f.Cfg());
    {
        DeskSession::Options options;
        options.notices = MessageBoxNotices();
        DeskSession desk(SettingsStore(f.Cfg(), f.Ini()), options);
        EXPECT_FALSE(desk.Start("Quorvik"));
        EXPECT_EQ(desk.Monitor(), nullptr);
    }
    EXPECT_EQ(ReadBytes(f.Cfg()), before);
    ASSERT_EQ(messages.Shown().size(), 1u);
    EXPECT_EQ(messages.Shown()[0].flags, MbError);
}

TEST(DeskSession, TheDestructorSavesWhenNobodyStopped)
{
    RecordedMessages messages;
    Desk d;
    {
        DeskSession desk(SettingsStore(d.f.Cfg(), d.f.Ini()), d.Options());
        ASSERT_TRUE(desk.Start("Quorvik"));
    }
    EXPECT_TRUE(std::filesystem::exists(d.f.Cfg()));
}

// A bench that moves to another unit waits for the programs on that unit,
// and no longer for anyone once it is back on its own simulated unit.
TEST(DeskSession, TheUnitLockFollowsTheAddressTheDeskMovesTo)
{
    RecordedMessages messages;
    Desk d;
    WriteText(d.f.Cfg(), "[Блок диагностики]\r\n"
                         "Выполнять периодический опрос готовности блока диагностики=0\r\n");
    QProcess other;
    other.start(QStringLiteral(QV_LOCK_HOLDER_PATH),
                {d.lockDir.path(), QStringLiteral("tcp://127.0.0.1:9")});
    ASSERT_TRUE(other.waitForStarted(5000) && other.waitForReadyRead(5000) &&
                other.readAllStandardOutput().trimmed() == "held");
    DeskSession desk(SettingsStore(d.f.Cfg(), d.f.Ini()), d.Options());
    ASSERT_TRUE(desk.Start("Quorvik"));
    ASSERT_EQ(desk.Tester().Settings().address, "sim");
    EXPECT_TRUE(desk.Monitor()->Lock(0));
    desk.Monitor()->Unlock();

    // The test's port maker still gives the in-process unit; the lock goes
    // by the address alone.
    ASSERT_TRUE(desk.ChangeAddress("tcp://127.0.0.1:9"));
    EXPECT_FALSE(desk.Monitor()->Lock(200));
    ASSERT_TRUE(desk.ChangeAddress("sim"));
    EXPECT_TRUE(desk.Monitor()->Lock(0));
    desk.Monitor()->Unlock();
}

} // namespace
} // namespace qv
