// qortool run: the demo board run from the command line on the simulated
// unit, in-process and over TCP, with its exit statuses and its report.

#include "../support/silentlistener.h"
#include "../support/toolrun.h"
#include "../support/unitsimprocess.h"

#include <QFileInfo>
#include <QImage>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <optional>
#include <vector>

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

// The colours of the header letters of a rendered diagram, left to right:
// one name ("#rrggbb") per run of columns holding one of `colours` in the
// header rows.
std::vector<std::string> HeaderLetterColours(const QImage &image,
                                             const std::vector<QColor> &colours)
{
    // The header ends at the grey line under its second row; the last tact
    // column of the demo's first test is a '-' tact with nothing written.
    const QColor grey(0x80, 0x80, 0x80);
    const int probeX = image.width() - 3;
    int bottom = 2;
    while (bottom < image.height() && image.pixelColor(probeX, bottom) != grey)
        ++bottom;
    std::vector<std::string> found;
    bool inLetter = false;
    for (int x = 0; x < image.width(); ++x) {
        std::optional<QColor> here;
        for (int y = 1; y < bottom && !here; ++y)
            for (const QColor &colour : colours)
                if (image.pixelColor(x, y) == colour)
                    here = colour;
        if (here && (!inLetter || found.back() != here->name().toStdString()))
            found.push_back(here->name().toStdString());
        inLetter = here.has_value();
    }
    return found;
}

TEST_F(QortoolRun, RenderAfterARunPaintsTheWrongOutputWordsInTheWrongColour)
{
    const QString picture = dir.filePath("stuck.png");
    const ToolRun run =
        Qortool({"render", kDemo, "--test", "1", "--run", "--board",
                 QStringLiteral(QV_SOURCE_DIR "/sim/boards/stuck-contact.ini"), "-o", picture});
    ASSERT_EQ(run.exitCode, 0) << run.out << run.err;
    const QImage image(picture);
    ASSERT_FALSE(image.isNull());
    // Tacts 9, 10, 11 and 18 read o1, O2, o3 and o1: the stuck contact is on
    // the bus of o1 and o3 only.
    const QColor wrong(0xFF, 0x00, 0x00);
    const QColor correct(0x00, 0x00, 0x80);
    EXPECT_EQ(HeaderLetterColours(image, {wrong, correct}),
              (std::vector<std::string>{"#ff0000", "#000080", "#ff0000", "#ff0000"}));
}

TEST_F(QortoolRun, ARenderedTableGrowsToShowItsValuesWhole)
{
    const QString picture = dir.filePath("narrow.png");
    const ToolRun run = Qortool({"render", kDemo, "--test", "1", "--view", "table", "--width",
                                 "200", "--run", "-o", picture});
    ASSERT_EQ(run.exitCode, 0) << run.out << run.err;
    const QImage image(picture);
    ASSERT_FALSE(image.isNull());
    // A table 200 pixels wide would cut every name and wait: it grows.
    EXPECT_GT(image.width(), 300);
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
