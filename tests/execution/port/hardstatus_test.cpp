#include "execution/port/hardstatus.h"
#include "execution/port/testerport.h"
#include "infra/notice.h"
#include "infra/unitcodes.h"
#include "support/common/waituntil.h"
#include "support/execution/unitfixture.h"

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <chrono>
#include <filesystem>

namespace qv {
namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;
using testing::RecordedMessages;
using testing::Transport;
using testing::UnitUnderTest;

// Collects the status codes the monitor shows.
class StatusLog : public HardStatusObserver
{
public:
    void ShowStatusPicture(const StatusPicture &picture) override
    {
        std::lock_guard lock(m_mutex);
        m_codes.push_back(picture.code);
        m_last = picture;
        m_changed.notify_all();
    }

    // Waits until `code` has been shown `times` times.
    bool WaitFor(UnitStatus code, int times = 1, milliseconds limit = milliseconds(3000))
    {
        std::unique_lock lock(m_mutex);
        return m_changed.wait_for(
            lock, limit, [&] { return std::count(m_codes.begin(), m_codes.end(), code) >= times; });
    }
    std::vector<UnitStatus> Codes()
    {
        std::lock_guard lock(m_mutex);
        return m_codes;
    }
    StatusPicture Last()
    {
        std::lock_guard lock(m_mutex);
        return m_last;
    }

private:
    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::vector<UnitStatus> m_codes;
    StatusPicture m_last;
};

HardStatusTiming FastTiming()
{
    HardStatusTiming timing;
    timing.step = milliseconds(5);
    timing.firstCounter = milliseconds(100);
    timing.checkPause = milliseconds(5);
    timing.pollLockWait = milliseconds(50);
    timing.periodUnit = milliseconds(20);
    return timing;
}

// A tester port (in-process or unreachable) and a status monitor over it.
struct Monitor
{
    explicit Monitor(const std::string &address = {}, int polling = 1)
    {
        tester.SetNotices(MessageBoxNotices());
        TesterSettings settings;
        settings.polling = polling;
        settings.pollPeriod = 2; // 40 ms with the fast timing
        if (!address.empty())
            settings.address = address;
        tester.SetSettings(settings);
        if (address.empty())
            EXPECT_TRUE(tester.Create("Quorvik", [this](const std::string &) { return u.port; }));
        else
            EXPECT_TRUE(tester.Create("Quorvik"));
        tester.Port()->SetVoice(PortVoice::Quiet);
    }

    QTemporaryDir lockDir;
    UnitUnderTest u{Transport::InProcess};
    TCP tester;
    StatusLog log;
};

TEST(HardStatus, APollShowsCheckingThenConnected)
{
    Monitor m;
    TthHardStatus status(m.tester, &m.log, m.lockDir.path().toStdString(), FastTiming());
    EXPECT_EQ(status.Status(), UnitStatus::NotShown);
    status.Start();
    ASSERT_TRUE(m.log.WaitFor(UnitStatus::Connected, 2))
        << "two polls: the first at once, then one per period";
    status.Terminate();
    const auto codes = m.log.Codes();
    ASSERT_GE(codes.size(), 2u);
    EXPECT_EQ(codes[0], UnitStatus::Checking);
    EXPECT_EQ(status.Status(), codes.back());
    EXPECT_NE(m.log.Last().hint.find("Тип устройства: MSDOS"), std::string::npos)
        << "the hint of Connected carries the build information";
    EXPECT_EQ(m.tester.Port()->Voice(), PortVoice::Quiet) << "the poll restores the flag";
}

TEST(HardStatus, AnUnreachableUnitShowsNoConnection)
{
    Monitor m("tcp://127.0.0.1:1");
    TthHardStatus status(m.tester, &m.log, m.lockDir.path().toStdString(), FastTiming());
    status.Start();
    EXPECT_TRUE(m.log.WaitFor(UnitStatus::NoConnection));
}

TEST(HardStatus, ALockHeldElsewhereShowsBusyAndRemoteControlShowsRemote)
{
    Monitor m;
    TthHardStatus status(m.tester, &m.log, m.lockDir.path().toStdString(), FastTiming());
    ASSERT_TRUE(status.Lock(100));
    status.Start();
    EXPECT_TRUE(m.log.WaitFor(UnitStatus::Busy));
    EXPECT_FALSE(status.LastLockResult());
    status.SetRemoteServerQuery([] { return true; });
    EXPECT_TRUE(m.log.WaitFor(UnitStatus::Remote));
    status.Terminate();
    status.Unlock();
    EXPECT_TRUE(status.Lock(0)) << "released by Unlock";
    status.Unlock();
}

TEST(HardStatus, WithPollingOffNothingIsShownUntilItIsSwitchedOn)
{
    Monitor m({}, 0);
    const auto framesBefore = m.u.port->LinkStatistics().frames;
    TthHardStatus status(m.tester, &m.log, m.lockDir.path().toStdString(), FastTiming());
    status.Start();
    // A monitor polling beside it with the same timing is the clock: once
    // that one has polled three times, the one switched off has passed its
    // own poll times too (the first of them comes at once).
    Monitor witness;
    TthHardStatus clock(witness.tester, &witness.log, witness.lockDir.path().toStdString(),
                        FastTiming());
    clock.Start();
    ASSERT_TRUE(witness.log.WaitFor(UnitStatus::Connected, 3));
    clock.Terminate();
    EXPECT_TRUE(m.log.Codes().empty());
    EXPECT_EQ(status.Status(), UnitStatus::NotShown);
    EXPECT_EQ(m.u.port->LinkStatistics().frames, framesBefore) << "nothing was asked of the unit";
    TesterSettings s = m.tester.Settings();
    s.polling = 1;
    m.tester.SetSettings(s);
    EXPECT_TRUE(m.log.WaitFor(UnitStatus::Connected));
}

TEST(HardStatus, LockPurgesAnswersNobodyTook)
{
    Monitor m;
    TthHardStatus status(m.tester, &m.log, m.lockDir.path().toStdString(), FastTiming());
    const SComPort port = m.tester.Port();
    ASSERT_EQ(port->Handshake(), PortOk);
    const auto framesBefore = m.u.port->LinkStatistics().frames;
    ASSERT_EQ(port->SendCode(BUILD_INFO), PortOk);
    ASSERT_TRUE(testing::WaitUntil([&] {
        return m.u.port->LinkStatistics().frames > framesBefore;
    })) << "the answer is queued";
    ASSERT_TRUE(status.Lock(100));
    EXPECT_EQ(port->WaitData(BUILD_INFO, 50), PortTimeout);
    status.Unlock();
}

// Another process that takes the lock of the unit at `address` (empty: of
// unknown address) in `dir` and keeps it.
bool StartHolder(QProcess &holder, const QTemporaryDir &dir, const QString &address = {})
{
    QStringList arguments{dir.path()};
    if (!address.isEmpty())
        arguments << address;
    holder.start(QStringLiteral(QV_LOCK_HOLDER_PATH), arguments);
    return holder.waitForStarted(5000) && holder.waitForReadyRead(5000) &&
           holder.readAllStandardOutput().trimmed() == "held";
}

TEST(UnitLockTest, ALockHeldByAnotherProcessMakesTheWaitFailAfterItsTime)
{
    QTemporaryDir dir;
    QProcess holder;
    ASSERT_TRUE(StartHolder(holder, dir));

    UnitLock lock(dir.path().toStdString());
    ASSERT_TRUE(lock.Valid());
    const auto start = Clock::now();
    EXPECT_FALSE(lock.Lock(milliseconds(1000)));
    const auto waited = Clock::now() - start;
    EXPECT_GE(waited, milliseconds(950));
    EXPECT_LT(waited, milliseconds(1600));

    holder.closeWriteChannel(); // the holder releases and ends
    ASSERT_TRUE(holder.waitForFinished(5000));
    EXPECT_TRUE(lock.Lock(milliseconds(1000)));
    lock.Unlock();
}

TEST(UnitLockTest, ALockLeftByADeadProcessIsTakenOver)
{
    QTemporaryDir dir;
    QProcess holder;
    ASSERT_TRUE(StartHolder(holder, dir));
    holder.kill();
    ASSERT_TRUE(holder.waitForFinished(5000));
    UnitLock lock(dir.path().toStdString());
    EXPECT_TRUE(lock.Lock(milliseconds(500)));
    lock.Unlock();
}

TEST(UnitLockTest, ThreadsOfOneProcessExcludeEachOther)
{
    QTemporaryDir dir;
    UnitLock lock(dir.path().toStdString());
    ASSERT_TRUE(lock.Lock(milliseconds(0)));
    bool second = true;
    std::thread other([&] { second = lock.Lock(milliseconds(50)); });
    other.join();
    EXPECT_FALSE(second);
    std::thread releaser([&] { lock.Unlock(); }); // any thread may release
    releaser.join();
    std::thread third([&] { second = lock.Lock(milliseconds(50)); });
    third.join();
    EXPECT_TRUE(second);
    lock.Unlock();
}

TEST(UnitLockTest, AnUnusableLockFolderIsReportedAndEveryWaitFails)
{
    RecordedMessages messages;
    TCP tester;
    tester.SetNotices(MessageBoxNotices());
    TesterSettings settings = tester.Settings();
    settings.address = "tcp://127.0.0.1:7000";
    tester.SetSettings(settings);
    StatusLog log;
    TthHardStatus status(tester, &log, "/proc/quorvik-no-such-dir", FastTiming());
    const auto shown = messages.Shown();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].flags, MbError);
    EXPECT_TRUE(
        shown[0].text.starts_with("Ошибка при выполнении команды CreateMutex\r\nКод ошибки: "));
    EXPECT_FALSE(status.Lock(10));
}

TEST(UnitLockTest, EachUnitHasALockOfItsOwnAndAUnitInsideTheProgramNoneOutsideIt)
{
    EXPECT_EQ(UnitLockFileName("sim"), std::nullopt);
    EXPECT_EQ(UnitLockFileName("sim:/boards/stuck.ini"), std::nullopt);
    EXPECT_EQ(UnitLockFileName("tcp://Bench-2:5000"), "Quorvik.Hard.Status.tcp-bench-2-5000.lock");
    EXPECT_EQ(UnitLockFileName("tcp://[::1]:7"), "Quorvik.Hard.Status.tcp-%3A%3A1-7.lock");
    EXPECT_EQ(UnitLockFileName(""), "Quorvik.Hard.Status.lock");
    EXPECT_EQ(UnitLockFileName("nonsense://"), "Quorvik.Hard.Status.lock");
    // Two names of one device share its lock.
    QTemporaryDir devices;
    const QString device = devices.filePath(QStringLiteral("ttyUSB0"));
    QFile file(device);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.close();
    ASSERT_TRUE(QFile::link(device, devices.filePath(QStringLiteral("by-id"))));
    EXPECT_EQ(UnitLockFileName("serial:" + devices.filePath(QStringLiteral("by-id")).toStdString()),
              UnitLockFileName("serial:" + device.toStdString() + "?baud=9600"));

    QTemporaryDir dir;
    QProcess holder;
    ASSERT_TRUE(StartHolder(holder, dir, QStringLiteral("tcp://127.0.0.1:7000")));
    UnitLock same(dir.path().toStdString(), "tcp://127.0.0.1:7000");
    EXPECT_FALSE(same.Lock(milliseconds(200)));
    UnitLock other(dir.path().toStdString(), "tcp://127.0.0.1:7001");
    EXPECT_TRUE(other.Lock(milliseconds(0)));
    other.Unlock();
    UnitLock simulated(dir.path().toStdString(), "sim");
    EXPECT_TRUE(simulated.Lock(milliseconds(0)));
    EXPECT_EQ(simulated.FilePath(), "");
    simulated.Unlock();

    // A program on its own simulated unit leaves nothing for others to wait on.
    QProcess simHolder;
    ASSERT_TRUE(StartHolder(simHolder, dir, QStringLiteral("sim")));
    UnitLock unknown(dir.path().toStdString());
    EXPECT_TRUE(unknown.Lock(milliseconds(0)));
    unknown.Unlock();
}

TEST(UnitLockTest, AnotherAddressTakesEffectOnceTheHolderReleases)
{
    QTemporaryDir dir;
    QProcess holder;
    ASSERT_TRUE(StartHolder(holder, dir, QStringLiteral("tcp://127.0.0.1:7000")));
    UnitLock lock(dir.path().toStdString(), "sim");
    ASSERT_TRUE(lock.Lock(milliseconds(0)));
    lock.Guard("tcp://127.0.0.1:7000");
    EXPECT_EQ(lock.FilePath(), "") << "what was taken is released first";
    lock.Unlock();
    EXPECT_EQ(lock.FilePath(),
              dir.path().toStdString() + "/Quorvik.Hard.Status.tcp-127.0.0.1-7000.lock");
    EXPECT_FALSE(lock.Lock(milliseconds(100)));
    lock.Guard("sim");
    EXPECT_TRUE(lock.Lock(milliseconds(0)));
    lock.Unlock();
}

// The way the bench meets it: a program holds its own simulated unit, and a
// qortool run of the demo board on its own simulated unit goes ahead
// without the 3 s lock wait.
TEST(UnitLockTest, AQortoolRunOnItsOwnSimulatedUnitWaitsForNoOtherProgram)
{
    QTemporaryDir dir;
    QTemporaryDir runtime;
    for (const auto &entry : std::filesystem::directory_iterator(QV_DEMO_DIR))
        std::filesystem::copy_file(entry.path(), std::filesystem::path(dir.path().toStdString()) /
                                                     entry.path().filename());
    QProcess holder;
    ASSERT_TRUE(StartHolder(holder, runtime, QStringLiteral("sim")));
    QProcess qortool;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime.path());
    qortool.setProcessEnvironment(environment);
    qortool.setWorkingDirectory(dir.path());
    const auto start = Clock::now();
    qortool.start(QStringLiteral(QV_QORTOOL_PATH),
                  {QStringLiteral("run"), QStringLiteral("DEMO.QOR"), QStringLiteral("--test"),
                   QStringLiteral("1"), QStringLiteral("--quiet")});
    ASSERT_TRUE(qortool.waitForFinished(30000));
    const auto took = Clock::now() - start;
    EXPECT_EQ(qortool.exitCode(), 0) << qortool.readAllStandardError().toStdString();
    // The lock wait alone would take 3 s.
    EXPECT_LT(took, milliseconds(3000));
}

} // namespace
} // namespace qv
