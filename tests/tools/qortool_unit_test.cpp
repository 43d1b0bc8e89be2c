// qortool unit: the build information and the link check, against the
// simulated unit in-process and over TCP.

#include "support/qt/toolrun.h"
#include "support/qt/unitsimprocess.h"

#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>
#include <arpa/inet.h>
#include <fstream>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

using qv::testing::ToolRun;

ToolRun Qortool(const QStringList &arguments)
{
    return qv::testing::RunTool(QStringLiteral(QV_QORTOOL_PATH), arguments, 20000);
}

const char *const kArmBoard = "[Unit]\nType=arm\nBuildDate=2024-06-03\nBuildTime=09:15:00\n"
                              "[Versions]\nQORV=2.4\nBODR=-\nDROS=-\nVINT=-\n";
const char *const kArmInfo =
    "Тип устройства: ARM\nДата сборки: 03.06.2024\nВремя сборки: 09:15:00\n"
    "Версия сборки \"Диагностический тест QUORVIK\": 2.4\n";

TEST(QortoolUnit, InfoPrintsTheBuildInformationOfTheUnitInsideTheTool)
{
    QTemporaryDir dir;
    const std::string board = dir.path().toStdString() + "/arm.ini";
    std::ofstream(board) << kArmBoard;
    const ToolRun run = Qortool({"unit", "info", "--board", QString::fromStdString(board)});
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(run.out, kArmInfo);

    const ToolRun plain = Qortool({"unit", "info"});
    EXPECT_EQ(plain.exitCode, 0) << plain.err;
    EXPECT_TRUE(plain.out.starts_with("Тип устройства: MSDOS\nДата сборки: 05.11.2024\n"));
}

TEST(QortoolUnit, InfoAndCheckReachAUnitSimulatorOverTcp)
{
    qv::testing::UnitSimProcess unitsim(kArmBoard);
    ASSERT_FALSE(unitsim.Address().empty());
    const QString address = QString::fromStdString(unitsim.Address());
    const ToolRun info = Qortool({"unit", "info", "--unit", address});
    EXPECT_EQ(info.exitCode, 0) << info.err;
    EXPECT_EQ(info.out, kArmInfo);

    const ToolRun check = Qortool({"unit", "check", "--unit", address, "--io-check"});
    EXPECT_EQ(check.exitCode, 0) << check.err;
    EXPECT_TRUE(check.out.starts_with("Адрес блока диагностики: " + unitsim.Address() +
                                      "\nСвязь (INIT): в порядке\n"
                                      "Сброс (QORV_RESET, контроль входов/выходов): в порядке\n"
                                      "Тип устройства: ARM\n"))
        << check.out;
}

TEST(QortoolUnit, CheckReportsAnIoFaultAndAnAbsentUnit)
{
    QTemporaryDir dir;
    const std::string board = dir.path().toStdString() + "/faulty.ini";
    std::ofstream(board) << "[IoCheck]\nFaults=280\n";
    const ToolRun faulty =
        Qortool({"unit", "check", "--board", QString::fromStdString(board), "--io-check"});
    EXPECT_EQ(faulty.exitCode, 0) << "a warning is still a success";
    EXPECT_NE(faulty.out.find("Сброс (QORV_RESET, контроль входов/выходов): предупреждение: "
                              "Контроль входов/выходов: в блоке диагностики обнаружена "
                              "неисправность каналов.\nЗапуск теста невозможен.\n"),
              std::string::npos)
        << faulty.out;

    const ToolRun absent =
        Qortool({"unit", "check", "--unit", "tcp://127.0.0.1:1", "--timeout", "200"});
    EXPECT_EQ(absent.exitCode, 1);
    EXPECT_NE(absent.out.find("Связь (INIT): ошибка 1: Блок диагностики не найден: "
                              "tcp://127.0.0.1:1 не отвечает"),
              std::string::npos)
        << absent.out;
}

TEST(QortoolUnit, ABadCommandLineIsAUsageError)
{
    for (const QStringList &args :
         {QStringList{"unit"}, QStringList{"unit", "erase"}, QStringList{"unit", "info", "--x"},
          QStringList{"unit", "info", "--unit", "tcp://h:1", "--board", "b.ini"},
          QStringList{"unit", "info", "--timeout", "soon"}}) {
        const ToolRun run = Qortool(args);
        EXPECT_EQ(run.exitCode, 2) << args.join(' ').toStdString();
        EXPECT_NE(run.err.find("Использование: qortool unit"), std::string::npos);
    }
    const ToolRun bad = Qortool({"unit", "info", "--unit", "com1"});
    EXPECT_EQ(bad.exitCode, 1);
    EXPECT_NE(bad.err.find("Адрес блока диагностики \"com1\""), std::string::npos);
}

// A connection that never speaks: "tcp://127.0.0.1:PORT" connected, nothing sent.
class SilentHost
{
public:
    explicit SilentHost(const std::string &address)
    {
        const auto colon = address.rfind(':');
        sockaddr_in to{};
        to.sin_family = AF_INET;
        to.sin_port = htons(static_cast<std::uint16_t>(std::stoi(address.substr(colon + 1))));
        ::inet_pton(AF_INET, "127.0.0.1", &to.sin_addr);
        m_fd = ::socket(AF_INET, SOCK_STREAM, 0);
        m_connected = ::connect(m_fd, reinterpret_cast<sockaddr *>(&to), sizeof(to)) == 0;
    }
    ~SilentHost() { ::close(m_fd); }
    SilentHost(const SilentHost &) = delete;
    SilentHost &operator=(const SilentHost &) = delete;
    bool Connected() const { return m_connected; }

private:
    int m_fd = -1;
    bool m_connected = false;
};

TEST(QortoolUnit, AConnectionThatNeverSpeaksDoesNotLockTheUnitOut)
{
    qv::testing::UnitSimProcess unitsim(kArmBoard);
    ASSERT_FALSE(unitsim.Address().empty());
    SilentHost idle(unitsim.Address());
    ASSERT_TRUE(idle.Connected());
    QElapsedTimer waited;
    waited.start();
    ToolRun info;
    do {
        info = Qortool({"unit", "info", "--unit", QString::fromStdString(unitsim.Address())});
    } while (info.exitCode != 0 && waited.elapsed() < 30000);
    EXPECT_EQ(info.exitCode, 0) << info.out << info.err;
    EXPECT_EQ(info.out, kArmInfo);
}

} // namespace
