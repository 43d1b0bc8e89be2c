// qortool run --continuous --keep-going: where the passes went wrong, per
// output word and contact, on the console and in the JSON report, for a
// board that fails on every third pass and one that fails on every pass.

#include "support/qt/demoboardcopy.h"
#include "support/qt/toolrun.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>

namespace {

using qv::testing::ToolRun;

class QortoolStatistics : public qv::testing::DemoBoardCopy
{
protected:
    ToolRun Run(const QString &board, const QString &passes, const QString &report)
    {
        return qv::testing::RunTool(QStringLiteral(QV_QORTOOL_PATH),
                                    {"run", demo, "--test", "1", "--continuous", "--passes", passes,
                                     "--keep-going", "--board", board, "--report", report},
                                    60000);
    }
};

TEST_F(QortoolStatistics, ABoardFailingEveryThirdPassCountsItsPassesExactly)
{
    const QString report = dir.filePath("every3.json");
    const ToolRun run =
        Run(Board("[Board]\nTactTime=0\nStuckHigh=1\nStuckEvery=3\n"), "10", report);
    EXPECT_EQ(run.exitCode, 1) << run.out << run.err;
    EXPECT_NE(run.out.find("10 прогонов, из них с ошибками: 3\n"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("Статистика ошибок по прогонам (ошибочных из 10):\n"
                           "  Тест №1, o1 (Чтение данных): 3 из 10 (первый 3, последний 9), "
                           "цикл 2, такт 9 - не в каждом прогоне\n"
                           "    контакт 1 (D0), бит 0: 3 из 10 (первый 3, последний 9), цикл 2, "
                           "такт 9 - не в каждом прогоне\n"
                           "  Тест №1, o3 (Инверсные данные): 3 из 10 (первый 3, последний 9), "
                           "цикл 2, такт 11 - не в каждом прогоне\n"),
              std::string::npos)
        << run.out;

    const QJsonObject json = Report(report);
    EXPECT_EQ(json["version"].toInt(), 3);
    const QJsonObject statistics = json["statistics"].toObject();
    EXPECT_EQ(statistics["passes"].toInt(), 10);
    const QJsonArray words = statistics["words"].toArray();
    ASSERT_EQ(words.size(), 2);
    const QJsonObject o1 = words[0].toObject();
    EXPECT_EQ(o1["test"].toInt(), 1);
    EXPECT_EQ(o1["id"].toInt(), 1);
    EXPECT_EQ(o1["failingPasses"].toInt(), 3);
    EXPECT_EQ(o1["firstPass"].toInt(), 3);
    EXPECT_EQ(o1["lastPass"].toInt(), 9);
    EXPECT_EQ(o1["cycle"].toInt(), 2);
    EXPECT_EQ(o1["tact"].toInt(), 9);
    EXPECT_FALSE(o1["everyPass"].toBool());
    const QJsonArray contacts = statistics["contacts"].toArray();
    ASSERT_EQ(contacts.size(), 2); // bit 0 of o1 and of o3, both on contact 1
    for (const auto &entry : contacts) {
        const QJsonObject contact = entry.toObject();
        EXPECT_EQ(contact["contact"].toInt(), 1);
        EXPECT_EQ(contact["name"].toString(), "D0");
        EXPECT_EQ(contact["bit"].toInt(), 0);
        EXPECT_EQ(contact["failingPasses"].toInt(), 3);
    }
}

TEST_F(QortoolStatistics, ABoardFailingEveryPassStandsApartAndACleanRunHasNone)
{
    const QString always = dir.filePath("always.json");
    EXPECT_EQ(Run(Board("[Board]\nTactTime=0\nStuckHigh=1\n"), "4", always).exitCode, 1);
    const QJsonObject o1 = Report(always)["statistics"].toObject()["words"].toArray()[0].toObject();
    EXPECT_EQ(o1["failingPasses"].toInt(), 4);
    EXPECT_EQ(o1["firstPass"].toInt(), 1);
    EXPECT_EQ(o1["lastPass"].toInt(), 4);
    EXPECT_TRUE(o1["everyPass"].toBool());

    const QString clean = dir.filePath("clean.json");
    const ToolRun run = Run(Board("[Board]\nTactTime=0\n"), "3", clean);
    EXPECT_EQ(run.exitCode, 0) << run.out;
    EXPECT_EQ(run.out.find("Статистика ошибок"), std::string::npos) << run.out;
    const QJsonObject statistics = Report(clean)["statistics"].toObject();
    EXPECT_EQ(statistics["passes"].toInt(), 3);
    EXPECT_TRUE(statistics["words"].toArray().isEmpty());
    EXPECT_TRUE(statistics["contacts"].toArray().isEmpty());
}

} // namespace
