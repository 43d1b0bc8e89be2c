// qortool run: the demo board run from the command line on the simulated
// unit, in-process and over TCP, with its exit statuses and its report.

#include "qortoolprocess.h"
#include "support/common/silentlistener.h"
#include "support/common/terminalrun.h"
#include "support/qt/demoboardcopy.h"
#include "support/qt/toolrun.h"
#include "support/qt/unitsimprocess.h"

#include <QElapsedTimer>
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

using qv::testing::Qortool;
using qv::testing::ToolRun;

// Starts qortool with the arguments and reads its output until the run is
// under way; the output read.
std::string StartUntilRunning(QProcess &process, const QStringList &arguments)
{
    process.start(QStringLiteral(QV_QORTOOL_PATH), arguments);
    std::string out;
    if (!process.waitForStarted())
        return out;
    while (out.find("Статус: выполнение теста") == std::string::npos &&
           process.waitForReadyRead(10000))
        out += process.readAllStandardOutput().toStdString();
    return out;
}

// Every test runs a copy of the demo board.
class QortoolRun : public qv::testing::DemoBoardCopy
{
protected:
    static QString Kind(const QJsonObject &json)
    {
        return json["verdict"].toObject()["kind"].toString();
    }
};

TEST_F(QortoolRun, TheGoldenBoardPassesAndAStuckContactListsItsWords)
{
    const ToolRun good = Qortool({"run", demo, "--test", "1"});
    EXPECT_EQ(good.exitCode, 0) << good.out << good.err;
    EXPECT_TRUE(good.out.ends_with("Тест завершен успешно\n")) << good.out;
    EXPECT_NE(good.out.find("Статус: выполнение теста\n"), std::string::npos);

    const QString report = dir.filePath("run.json");
    const ToolRun bad = Qortool({"run", demo, "--test", "1", "--board",
                                 Board("[Board]\nTactTime=0\nStuckHigh=1\n"), "--report", report});
    EXPECT_EQ(bad.exitCode, 1) << bad.out << bad.err;
    EXPECT_TRUE(bad.out.ends_with("Тест завершен с ошибками\n")) << bad.out;
    EXPECT_NE(bad.out.find("Тест №1 \"Шина данных\": 2 ошибки\n"
                           "  o1 (Чтение данных), цикл 2: эталон 170, прочитано 171\n"
                           "  o3 (Инверсные данные), цикл 2: эталон 85, прочитано 84\n"),
              std::string::npos)
        << bad.out;

    const QJsonObject json = Report(report);
    EXPECT_EQ(Kind(json), "errors");
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
        Qortool({"run", demo, "--all", "--unit", QString::fromStdString(unitsim.Address())});
    EXPECT_EQ(run.exitCode, 1) << run.out << run.err;
    EXPECT_TRUE(run.out.ends_with("Тест №1 завершен с ошибкой\n")) << run.out;
}

TEST_F(QortoolRun, AContinuousRunThatReachesItsPassesEndsByItselfWithTheVerdictOfItsPasses)
{
    const QString report = dir.filePath("good.json");
    const ToolRun good =
        Qortool({"run", demo, "--test", "1", "--continuous", "--passes", "5", "--report", report});
    EXPECT_EQ(good.exitCode, 0) << good.out << good.err;
    EXPECT_NE(good.out.find("Прогон: 5\n"), std::string::npos) << good.out;
    EXPECT_EQ(good.out.find("Прогон: 6\n"), std::string::npos) << good.out;
    EXPECT_TRUE(good.out.ends_with("5 прогонов, из них с ошибками: 0\n"
                                   "Тест №1 \"Шина данных\": 0 ошибок\n"
                                   "Тест завершен успешно\n"))
        << good.out;
    QJsonObject json = Report(report);
    EXPECT_EQ(Kind(json), "passed");
    EXPECT_EQ(json["passes"].toInt(), 5);
    EXPECT_EQ(json["failingPasses"].toInt(), 0);

    const ToolRun all = Qortool({"run", demo, "--all", "--continuous", "--passes", "2"});
    EXPECT_EQ(all.exitCode, 0) << all.out << all.err;
    EXPECT_TRUE(all.out.ends_with("Все тесты завершены успешно\n")) << all.out;

    const ToolRun bad =
        Qortool({"run", demo, "--test", "1", "--continuous", "--passes", "5", "--keep-going",
                 "--board", Board("[Board]\nTactTime=0\nStuckHigh=1\n"), "--report", report});
    EXPECT_EQ(bad.exitCode, 1) << bad.out << bad.err;
    EXPECT_NE(bad.out.find("5 прогонов, из них с ошибками: 5\n"), std::string::npos) << bad.out;
    EXPECT_TRUE(bad.out.ends_with("Тест завершен с ошибками (прогон №5)\n")) << bad.out;
    json = Report(report);
    EXPECT_EQ(Kind(json), "errors");
    EXPECT_EQ(json["passes"].toInt(), 5);
    EXPECT_EQ(json["failingPasses"].toInt(), 5);

    // Without --keep-going the first failing pass ends the run.
    const ToolRun stopped = Qortool({"run", demo, "--test", "1", "--continuous", "--passes", "5",
                                     "--board", Board("[Board]\nTactTime=0\nStuckHigh=1\n")});
    EXPECT_EQ(stopped.exitCode, 1) << stopped.out << stopped.err;
    EXPECT_NE(stopped.out.find("1 прогон, из них с ошибками: 1\n"), std::string::npos)
        << stopped.out;
}

TEST_F(QortoolRun, CtrlCIsTheOperatorsEsc)
{
    // A continuous run far from its passes: Ctrl+C, not the count, ends it.
    const QString report = dir.filePath("run.json");
    QProcess process;
    std::string out = StartUntilRunning(
        process, {"run", demo, "--test", "1", "--continuous", "--passes", "100000", "--board",
                  Board("[Board]\nTactTime=200000\n"), "--report", report});
    ASSERT_NE(out.find("Статус: выполнение теста"), std::string::npos) << out;
    ::kill(static_cast<pid_t>(process.processId()), SIGINT);
    ASSERT_TRUE(process.waitForFinished(10000));
    out += process.readAllStandardOutput().toStdString();
    EXPECT_EQ(process.exitCode(), 1);
    EXPECT_NE(out.find("Выполнение теста прервано [цикл - "), std::string::npos) << out;
    EXPECT_EQ(Kind(Report(report)), "interrupted");
}

TEST_F(QortoolRun, EveryKindOfVerdictHasItsExitStatus)
{
    const QString report = dir.filePath("kind.json");
    const auto run = [&](QStringList arguments) {
        arguments << "--report" << report;
        QFile::remove(report);
        const ToolRun result = Qortool(arguments);
        return std::pair{result.exitCode, Kind(Report(report))};
    };
    EXPECT_EQ(run({"run", demo, "--test", "1"}), std::pair(0, QStringLiteral("passed")));
    EXPECT_EQ(
        run({"run", demo, "--test", "1", "--board", Board("[Board]\nTactTime=0\nStuckHigh=1\n")}),
        std::pair(1, QStringLiteral("errors")));
    // The run window opened, but the program could not be made: a data
    // file of the memory test is missing.
    ASSERT_TRUE(QFile::remove(dir.filePath("rom.dat")));
    EXPECT_EQ(run({"run", demo, "--test", "2"}), std::pair(2, QStringLiteral("failed")));
    qv::testing::SilentListener silent;
    ASSERT_FALSE(silent.Address().empty());
    EXPECT_EQ(run({"run", demo, "--test", "1", "--unit", QString::fromStdString(silent.Address()),
                   "--timeout", "1000"}),
              std::pair(2, QStringLiteral("not-run")));
    // "interrupted": CtrlCIsTheOperatorsEsc. The tool presses "OK" at once,
    // so its runs never end "cancelled" on the start page.
}

TEST_F(QortoolRun, QuietPrintsOnlyTheEndMessage)
{
    const ToolRun run =
        Qortool({"run", demo, "--test", "1", "--continuous", "--passes", "2", "--quiet", "--board",
                 Board("[Board]\nTactTime=0\nStuckHigh=1\n")});
    EXPECT_EQ(run.exitCode, 1) << run.err;
    EXPECT_EQ(run.out, "Тест завершен с ошибками (прогон №1)\n");
    EXPECT_EQ(run.err, "");
}

TEST_F(QortoolRun, AProgressLineIsShownOnATerminalAndNeverInAPipe)
{
    const std::vector<std::string> arguments{"run",          demo.toStdString(), "--test", "1",
                                             "--continuous", "--passes",         "5"};
    const qv::testing::TerminalRun terminal =
        qv::testing::RunOnTerminal(QV_QORTOOL_PATH, arguments);
    EXPECT_EQ(terminal.exitCode, 0) << terminal.output;
    EXPECT_NE(terminal.output.find("\r\x1b[KПрогоны: 0 из 5, ошибки: 0, время 0:00:0"),
              std::string::npos)
        << terminal.output;
    // The line is erased before the summary: the console keeps the summary.
    EXPECT_NE(terminal.output.find("\r\x1b[K5 прогонов, из них с ошибками: 0"), std::string::npos)
        << terminal.output;

    const ToolRun pipe = Qortool({"run", demo, "--test", "1", "--continuous", "--passes", "5"});
    EXPECT_EQ(pipe.exitCode, 0);
    EXPECT_EQ(pipe.err, "");
    EXPECT_EQ(pipe.out.find("Прогоны:"), std::string::npos);
    EXPECT_EQ(pipe.out.find('\r'), std::string::npos);

    // A single run of one test is short: no line even on a terminal.
    const qv::testing::TerminalRun single =
        qv::testing::RunOnTerminal(QV_QORTOOL_PATH, {"run", demo.toStdString(), "--test", "1"});
    EXPECT_EQ(single.exitCode, 0) << single.output;
    EXPECT_EQ(single.output.find("Прогоны:"), std::string::npos) << single.output;
}

TEST_F(QortoolRun, AUnitThatNeverAnswersEndsWithThePortsErrorAndStatusTwo)
{
    qv::testing::SilentListener silent;
    ASSERT_FALSE(silent.Address().empty());
    const ToolRun run = Qortool({"run", demo, "--test", "1", "--unit",
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
    const ToolRun run = Qortool({"run", demo, "--test", "1", "--unit",
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
    std::string out = StartUntilRunning(
        process, {"run", demo, "--test", "1", "--board", Board(kHungUnit), "--timeout", "30000"});
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
        Qortool({"render", demo, "--test", "1", "--view", "table", "--run", "--board",
                 Board("[Board]\nTactTime=0\nStuckHigh=1\n"), "-o", picture});
    EXPECT_EQ(run.exitCode, 0) << run.out << run.err;
    EXPECT_TRUE(run.out.starts_with("Тест завершен с ошибками\n")) << run.out;
    EXPECT_TRUE(QFileInfo(picture).size() > 0);
    EXPECT_EQ(Qortool({"render", demo, "--unit", "sim", "-o", picture}).exitCode, 2);
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
        Qortool({"render", demo, "--test", "1", "--run", "--board",
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

// Where a rendered diagram has what: the grey lines of the label column
// (header bottom, then the bottom of each level line) and the left edge of
// the tact cells (the label columns have the grey outer background).
struct DiagramFrame
{
    std::vector<int> rowBottoms;
    int tactLeft = 0;
};

DiagramFrame FrameOf(const QImage &image)
{
    const QColor grey(0x80, 0x80, 0x80);
    DiagramFrame frame;
    for (int y = 1; y < image.height(); ++y)
        if (image.pixelColor(2, y) == grey && image.pixelColor(2, y - 1) != grey)
            frame.rowBottoms.push_back(y);
    // Skip the top line, the box of the corner.
    if (!frame.rowBottoms.empty())
        frame.rowBottoms.erase(frame.rowBottoms.begin());
    // Right of the last pixel of the label columns' background.
    if (!frame.rowBottoms.empty()) {
        const int y = frame.rowBottoms.front() + 2;
        for (int x = 0; x < image.width(); ++x)
            if (image.pixelColor(x, y) == QColor(0xC0, 0xC0, 0xC0))
                frame.tactLeft = x + 1;
    }
    return frame;
}

// The box of the pixels of one colour in a part of an image (empty: none).
QRect PixelsOf(const QImage &image, const QColor &colour, const QRect &part)
{
    QRect box;
    for (int y = part.top(); y <= part.bottom(); ++y)
        for (int x = part.left(); x <= part.right(); ++x)
            if (image.pixelColor(x, y) == colour)
                box = box.united(QRect(x, y, 1, 1));
    return box;
}

TEST_F(QortoolRun, RenderAfterARunDrawsTheLevelReadWhereALineWentWrong)
{
    // Test 3 reads its word o1 (tact 4) over the bus of contacts 17..20;
    // its lines "Чтение" and "Запись" are contacts 17 and 18. In cycle 1 the
    // word expects 1: contact 18 low; stuck high it reads 3.
    const QColor wrong(0xFF, 0x00, 0x00);
    const auto render = [&](const QString &name, const std::string &board) {
        const QString picture = dir.filePath(name);
        const ToolRun run = Qortool(
            {"render", demo, "--test", "3", "--run", "--board", Board(board), "-o", picture});
        EXPECT_EQ(run.exitCode, 0) << run.out << run.err;
        return QImage(picture);
    };
    const QImage stuck = render("stuck18.png", "[Board]\nTactTime=0\nStuckHigh=18\n");
    ASSERT_FALSE(stuck.isNull());
    const DiagramFrame frame = FrameOf(stuck);
    ASSERT_GE(frame.rowBottoms.size(), 3U) << "header and two lines";
    const int headerBottom = frame.rowBottoms[0];
    const QRect lines(frame.tactLeft, headerBottom + 1, stuck.width() - frame.tactLeft,
                      frame.rowBottoms[2] - headerBottom);
    const QRect overlay = PixelsOf(stuck, wrong, lines);
    ASSERT_FALSE(overlay.isEmpty()) << "the level read is drawn";
    EXPECT_GT(overlay.top(), frame.rowBottoms[1]) << "on the line of contact 18, not 17";
    // Within the column of tact 4, whose header letters are the red ones.
    const QRect letter = PixelsOf(stuck, wrong, QRect(0, 0, stuck.width(), headerBottom));
    ASSERT_FALSE(letter.isEmpty());
    EXPECT_LT(overlay.left(), letter.left());
    EXPECT_GT(overlay.right(), letter.right());
    const int tactWidth = (stuck.width() - frame.tactLeft) / 7; // test 3 has 7 tacts
    EXPECT_LE(overlay.width(), tactWidth) << "one tact wide";

    // The golden board: nothing read differs, the lines look as before a run.
    const QImage golden = render("golden.png", "[Board]\nTactTime=0\n");
    ASSERT_FALSE(golden.isNull());
    EXPECT_TRUE(PixelsOf(golden, wrong, lines).isEmpty());
    // A contact of the bus without a level line: the word is wrong, no line is.
    const QImage unseen = render("stuck20.png", "[Board]\nTactTime=0\nStuckHigh=20\n");
    EXPECT_TRUE(PixelsOf(unseen, wrong, lines).isEmpty());
    EXPECT_FALSE(PixelsOf(unseen, wrong, QRect(0, 0, stuck.width(), headerBottom)).isEmpty())
        << "o1 is wrong in the header";
}

TEST_F(QortoolRun, ARenderedTableGrowsToShowItsValuesWhole)
{
    const QString picture = dir.filePath("narrow.png");
    const ToolRun run = Qortool({"render", demo, "--test", "1", "--view", "table", "--width", "200",
                                 "--run", "-o", picture});
    ASSERT_EQ(run.exitCode, 0) << run.out << run.err;
    const QImage image(picture);
    ASSERT_FALSE(image.isNull());
    // A table 200 pixels wide would cut every name and wait: it grows.
    EXPECT_GT(image.width(), 300);
}

TEST_F(QortoolRun, MalformedArgumentsAreRefusedWithALineSayingWhatIsWrong)
{
    const struct
    {
        QStringList arguments;
        std::string line;
    } cases[] = {
        {{"--timeout", "abc"},
         "qortool run: --timeout: время ожидания в мс от 1 до 3600000, а не \"abc\""},
        {{"--timeout", "-5"}, "а не \"-5\""},
        {{"--timeout", "0"}, "а не \"0\""},
        {{"--timeout", "99999999999"}, "а не \"99999999999\""},
        {{"--continuous", "--passes", "1000001"},
         "qortool run: --passes: число прогонов от 1 до 1000000, а не \"1000001\""},
        {{"--passes", "3"}, "qortool run: --passes только вместе с --continuous"},
        {{"--bogus"}, "qortool run: неизвестный параметр --bogus"},
        {{"SECOND.QOR"}, "qortool run: нужен один файл тестов, лишний аргумент \"SECOND.QOR\""},
        {{"--test", "abc"}, "qortool run: --test: номер теста от 1 до 20, а не \"abc\""},
        {{"--test", "1", "--all"}, "qortool run: нужен либо --test N, либо --all"},
        {{"--answer", "maybe"}, "qortool run: --answer: yes или no"},
        {{"--cycle", "2"}, "qortool run: --cycle только вместе с --debug"},
        {{"--debug", "--cycle", "x"}, "qortool run: --cycle: номер цикла от 1, а не \"x\""},
    };
    for (const auto &c : cases) {
        const ToolRun run = Qortool(QStringList{"run", demo} + c.arguments);
        EXPECT_EQ(run.exitCode, 2) << c.line;
        const std::string first = run.err.substr(0, run.err.find('\n'));
        EXPECT_NE(first.find(c.line), std::string::npos) << run.err;
        EXPECT_EQ(run.out, "") << c.line;
    }
    const ToolRun outOfRange = Qortool({"run", demo, "--test", "9"});
    EXPECT_EQ(outOfRange.exitCode, 2);
    EXPECT_NE(outOfRange.err.find("в файле 3 теста, --test вне этого диапазона"), std::string::npos)
        << outOfRange.err;
}

TEST_F(QortoolRun, TheHelpOfRunStatesTheExitStatuses)
{
    const ToolRun help = Qortool({"run", "--help"});
    EXPECT_EQ(help.exitCode, 0);
    EXPECT_NE(help.out.find("Код завершения:\n"
                            "  0  тест выполнен успешно (все прогоны без ошибок)\n"
                            "  1  найдены ошибки или выполнение прервано (Ctrl+C)\n"
                            "  2  запуск не выполнен"),
              std::string::npos)
        << help.out;
}

} // namespace

namespace {

TEST_F(QortoolRun, TheProbeRecordsTheDemoVFunctionAndPrintsItsCaptures)
{
    const ToolRun sim = Qortool({"run", demo, "--test", "2", "--probe", "sim"});
    EXPECT_EQ(sim.exitCode, 0) << sim.out << sim.err;
    EXPECT_NE(sim.out.find("Осциллограмма: V1: \"Строб записи\", цикл 1\n"), std::string::npos)
        << sim.out;
    EXPECT_TRUE(sim.out.ends_with("Тест завершен успешно\nСъёмов: 1\n")) << sim.out;

    // A board whose unit never triggers the probe: the run itself passes.
    const ToolRun silent = Qortool({"run", demo, "--test", "2", "--probe", "sim", "--board",
                                    Board("[Scope]\nFault=notrigger\n")});
    EXPECT_EQ(silent.exitCode, 0) << silent.out << silent.err;
    EXPECT_NE(silent.err.find("Отсутствует внешняя синхронизация"), std::string::npos)
        << silent.err;
    EXPECT_EQ(silent.out.find("Съёмов:"), std::string::npos) << silent.out;
}

TEST_F(QortoolRun, TheRealProbeLinksReportTheirAbsenceAndNoRunIsMade)
{
    const ToolRun ftdi = Qortool({"run", demo, "--test", "2", "--probe", "ftdi", "--quiet"});
    EXPECT_EQ(ftdi.exitCode, 2) << ftdi.out << ftdi.err;
    EXPECT_NE(ftdi.err.find("Устройство не обнаружено или неисправно"), std::string::npos)
        << ftdi.err;
    EXPECT_EQ(ftdi.out, "Запуск не выполнен\n");

    const ToolRun d2xx = Qortool({"run", demo, "--test", "2", "--probe", "d2xx"});
    EXPECT_EQ(d2xx.exitCode, 2);
    EXPECT_NE(d2xx.err.find("Необходимый файл динамической библиотеки libftd2xx.so не найден"),
              std::string::npos)
        << d2xx.err;

    const ToolRun noV = Qortool({"run", demo, "--test", "1", "--probe", "sim"});
    EXPECT_EQ(noV.exitCode, 2);
    const ToolRun bad = Qortool({"run", demo, "--test", "2", "--probe", "usb"});
    EXPECT_NE(bad.exitCode, 0);
    EXPECT_NE(bad.err.find("--probe"), std::string::npos) << bad.err;
}

} // namespace
