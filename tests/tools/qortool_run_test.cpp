// qortool run: the demo board run from the command line on the simulated
// unit, in-process and over TCP, with its exit statuses and its report.

#include "../support/silentlistener.h"
#include "../support/toolrun.h"
#include "../support/unitsimprocess.h"

#include <QElapsedTimer>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>

namespace {

using qv::testing::ToolRun;

ToolRun Qortool(const QStringList &arguments)
{
    return qv::testing::RunTool(QStringLiteral(QV_QORTOOL_PATH), arguments, 30000);
}

// Every test runs a copy of the demo board: a run writes the data files
// the unit sends back beside the test file.
class QortoolRun : public ::testing::Test
{
protected:
    void SetUp() override
    {
        for (const auto &entry : std::filesystem::directory_iterator(QV_DEMO_DIR))
            std::filesystem::copy_file(
                entry.path(), dir.filePath(QString::fromStdString(entry.path().filename().string()))
                                  .toStdString());
        kDemo = dir.filePath("DEMO.QOR");
    }
    QString Board(const std::string &text)
    {
        const QString path = dir.filePath(QStringLiteral("board%1.ini").arg(++boards));
        std::ofstream(path.toStdString()) << text;
        return path;
    }
    QTemporaryDir dir;
    QString kDemo;
    int boards = 0;
};

TEST_F(QortoolRun, TheGoldenBoardPassesAndAStuckContactListsItsWords)
{
    const ToolRun good = Qortool({"run", kDemo, "--test", "1"});
    EXPECT_EQ(good.exitCode, 0) << good.out << good.err;
    EXPECT_TRUE(good.out.ends_with("Тест завершен успешно\n")) << good.out;
    EXPECT_NE(good.out.find("Статус: выполнение теста\n"), std::string::npos);

    const QString report = dir.filePath("run.json");
    const ToolRun bad = Qortool({"run", kDemo, "--test", "1", "--board",
                                 Board("[Board]\nTactTime=0\nStuckHigh=1\n"), "--report", report});
    EXPECT_EQ(bad.exitCode, 1) << bad.out << bad.err;
    EXPECT_TRUE(bad.out.ends_with("Тест завершен с ошибками\n")) << bad.out;
    EXPECT_NE(bad.out.find("Тест №1 \"Шина данных\": ошибок 2\n"
                           "  o1 (Чтение данных), цикл 2: эталон 170, прочитано 171\n"
                           "  o3 (Инверсные данные), цикл 2: эталон 85, прочитано 84\n"),
              std::string::npos)
        << bad.out;

    QFile file(report);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    QJsonParseError error;
    const QJsonObject json = QJsonDocument::fromJson(file.readAll(), &error).object();
    ASSERT_EQ(error.error, QJsonParseError::NoError) << error.errorString().toStdString();
    EXPECT_EQ(json["verdict"].toObject()["text"].toString(),
              QStringLiteral("Тест завершен с ошибками"));
    const QJsonObject test = json["tests"].toArray().at(0).toObject();
    EXPECT_EQ(test["errors"].toInt(), 2);
    int wrong = 0;
    for (const auto &word : test["outputWords"].toArray()) {
        for (const auto &cycle : word.toObject()["cycles"].toArray())
            wrong += cycle.toObject()["result"].toString() == "wrong";
    }
    EXPECT_EQ(wrong, 2);
    EXPECT_TRUE(json["unit"].toObject()["build"].toString().startsWith("Тип устройства: MSDOS"));
}

TEST_F(QortoolRun, AllTestsOverTcpNameTheFailedTest)
{
    qv::testing::UnitSimProcess unitsim("[Board]\nTactTime=0\nStuckHigh=1\n");
    ASSERT_FALSE(unitsim.Address().empty());
    const ToolRun run =
        Qortool({"run", kDemo, "--all", "--unit", QString::fromStdString(unitsim.Address())});
    EXPECT_EQ(run.exitCode, 1) << run.out << run.err;
    EXPECT_TRUE(run.out.ends_with("Тест №1 завершен с ошибкой\n")) << run.out;
}

TEST_F(QortoolRun, AContinuousRunStopsAfterTheAskedPasses)
{
    const ToolRun run =
        Qortool({"run", kDemo, "--test", "1", "--continuous", "--passes", "3", "--keep-going"});
    EXPECT_EQ(run.exitCode, 1) << run.out << run.err;
    EXPECT_NE(run.out.find("Прогон: 3\n"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("Выполнение теста прервано [цикл - "), std::string::npos) << run.out;
}

TEST_F(QortoolRun, CtrlCIsTheOperatorsEsc)
{
    QProcess process;
    process.start(QStringLiteral(QV_QORTOOL_PATH),
                  {"run", kDemo, "--test", "1", "--board", Board("[Board]\nTactTime=200000\n")});
    ASSERT_TRUE(process.waitForStarted());
    std::string out;
    while (out.find("Статус: выполнение теста") == std::string::npos &&
           process.waitForReadyRead(10000))
        out += process.readAllStandardOutput().toStdString();
    ASSERT_NE(out.find("Статус: выполнение теста"), std::string::npos) << out;
    ::kill(static_cast<pid_t>(process.processId()), SIGINT);
    ASSERT_TRUE(process.waitForFinished(10000));
    out += process.readAllStandardOutput().toStdString();
    EXPECT_EQ(process.exitCode(), 1);
    EXPECT_NE(out.find("Выполнение теста прервано [цикл - "), std::string::npos) << out;
}

TEST_F(QortoolRun, AUnitThatNeverAnswersEndsWithThePortsErrorAndStatusTwo)
{
    qv::testing::SilentListener silent;
    ASSERT_FALSE(silent.Address().empty());
    const ToolRun run = Qortool({"run", kDemo, "--test", "1", "--unit",
                                 QString::fromStdString(silent.Address()), "--timeout", "1000"});
    EXPECT_EQ(run.exitCode, 2) << run.out << run.err;
    EXPECT_FALSE(run.err.empty());
    EXPECT_TRUE(run.out.ends_with("Запуск не выполнен\n")) << run.out;
}

// A unit that acknowledges the program and then never speaks again, on a
// board slow enough that a whole run would take hours.
constexpr const char *kHungUnit = "[Board]\nTactTime=10000000\n[Faults]\nHang=QORV_DATA\n";

TEST_F(QortoolRun, AUnitThatHangsMidRunEndsTheRunWithinTheAnswerTimeOut)
{
    qv::testing::UnitSimProcess unitsim(kHungUnit);
    ASSERT_FALSE(unitsim.Address().empty());
    QElapsedTimer timer;
    timer.start();
    const ToolRun run = Qortool({"run", kDemo, "--test", "1", "--unit",
                                 QString::fromStdString(unitsim.Address()), "--timeout", "3000"});
    EXPECT_EQ(run.exitCode, 2) << run.out << run.err;
    EXPECT_NE(run.err.find("Блок диагностики перестал отвечать во время выполнения теста"),
              std::string::npos)
        << run.err;
    // A second of silence, then the unit's three seconds to answer.
    EXPECT_LT(timer.elapsed(), 15000);
}

TEST_F(QortoolRun, CtrlCEndsARunOnAHungUnitAfterTheCancelWait)
{
    QProcess process;
    // The unit would have 30 s to answer whether it is there: only Ctrl+C
    // ends this run early.
    process.start(QStringLiteral(QV_QORTOOL_PATH),
                  {"run", kDemo, "--test", "1", "--board", Board(kHungUnit), "--timeout", "30000"});
    ASSERT_TRUE(process.waitForStarted());
    std::string out;
    while (out.find("Статус: выполнение теста") == std::string::npos &&
           process.waitForReadyRead(10000))
        out += process.readAllStandardOutput().toStdString();
    ASSERT_NE(out.find("Статус: выполнение теста"), std::string::npos) << out;
    QElapsedTimer timer;
    timer.start();
    ::kill(static_cast<pid_t>(process.processId()), SIGINT);
    ASSERT_TRUE(process.waitForFinished(20000));
    EXPECT_GE(timer.elapsed(), 2000) << "the unit had its cancel wait";
    EXPECT_LT(timer.elapsed(), 10000);
    EXPECT_EQ(process.exitCode(), 2);
    const std::string err = process.readAllStandardError().toStdString();
    EXPECT_NE(err.find("Блок диагностики не ответил на команду остановки теста"), std::string::npos)
        << err;
}

TEST_F(QortoolRun, RenderAfterARunPicturesWhatTheUnitRead)
{
    const QString picture = dir.filePath("t1.png");
    const ToolRun run =
        Qortool({"render", kDemo, "--test", "1", "--view", "table", "--run", "--board",
                 Board("[Board]\nTactTime=0\nStuckHigh=1\n"), "-o", picture});
    EXPECT_EQ(run.exitCode, 0) << run.out << run.err;
    EXPECT_TRUE(run.out.starts_with("Тест завершен с ошибками\n")) << run.out;
    EXPECT_TRUE(QFileInfo(picture).size() > 0);
    EXPECT_EQ(Qortool({"render", kDemo, "--unit", "sim", "-o", picture}).exitCode, 2);
}

TEST_F(QortoolRun, BadArgumentsAreRefused)
{
    EXPECT_EQ(Qortool({"run", kDemo, "--test", "1", "--all"}).exitCode, 2);
    EXPECT_EQ(Qortool({"run", kDemo, "--passes", "3"}).exitCode, 2);
    EXPECT_EQ(Qortool({"run", kDemo, "--answer", "maybe"}).exitCode, 2);
    const ToolRun outOfRange = Qortool({"run", kDemo, "--test", "9"});
    EXPECT_EQ(outOfRange.exitCode, 2);
    EXPECT_NE(outOfRange.err.find("вне этого диапазона"), std::string::npos);
}

} // namespace
