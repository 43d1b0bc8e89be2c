#include "sim/board.h"
#include "sim/unitserver.h"

#include <QTemporaryDir>
#include <fstream>
#include <gtest/gtest.h>

namespace qv::sim {
namespace {

TEST(Board, AFullBoardFileIsRead)
{
    std::string error;
    const auto board =
        ParseBoard("\xEF\xBB\xBF; a bench unit\n"
                   "[Unit]\nType=arm\nBuildDate=2025-02-28\nBuildTime=17:30:05\n"
                   "MaxPayload=65536\nMaxBlock=4096\nStoreLimit=100000\n"
                   "[Versions]\nQORV=5.0\nKELM=-\n8=1.2\n"
                   "[Calibration]\nT1=2.5\nT2=none\nT3=6000\n"
                   "Parameter=Такт:0.2\nParameter=Ожидание:1.5\n"
                   "T0=1,2,3,4,5,6,7,8,9,10,11,12,13,14,15,16\n"
                   "[Identification]\nWrong=272, 300\nAnswerLimit=1\nAlwaysStatuses=1\n"
                   "[Currents]\nSupply=+5 В:100:200\nAlarmAfter=50\n"
                   "[IoCheck]\nFaults=17\n"
                   "[Faults]\nSilent=QORV_RESET,15\nDelay=INIT:20,BUILD_INFO:30\n"
                   "Corrupt=38\nGarbage=INIT:9\nDropAfterBlocks=3\nTimes=2\n",
                   &error);
    ASSERT_TRUE(board) << error;
    EXPECT_EQ(board->type, 0);
    EXPECT_EQ(board->year, 2025);
    EXPECT_EQ(board->month, 2);
    EXPECT_EQ(board->day, 28);
    EXPECT_EQ(board->second, 5);
    EXPECT_EQ(board->maxBlock, 4096u);
    EXPECT_EQ(board->storeLimit, 100000u);
    ASSERT_EQ(board->versions.size(), 8u);
    EXPECT_EQ(board->versions[0], (std::array<std::uint8_t, 2>{'5', '0'}));
    EXPECT_EQ(board->versions[1], (std::array<std::uint8_t, 2>{'1', '7'})) << "default kept";
    EXPECT_EQ(board->versions[5], (std::array<std::uint8_t, 2>{0, 0}));
    EXPECT_EQ(board->versions[6], (std::array<std::uint8_t, 2>{0, 0}));
    EXPECT_EQ(board->versions[7], (std::array<std::uint8_t, 2>{'1', '2'}));
    EXPECT_FALSE(board->periods[1]);
    EXPECT_FLOAT_EQ(*board->periods[2], 6000.0f);
    ASSERT_EQ(board->parameters.size(), 2u);
    EXPECT_EQ(board->parameters[1].name, "Ожидание");
    EXPECT_FLOAT_EQ(board->waitT0[15], 16.0f);
    EXPECT_EQ(board->wrongContacts, (std::set<std::uint16_t>{272, 300}));
    EXPECT_EQ(board->identificationAnswerLimit, 1);
    EXPECT_TRUE(board->identificationAlwaysStatuses);
    ASSERT_EQ(board->supplies.size(), 1u);
    EXPECT_EQ(board->supplies[0].name, "+5 В");
    EXPECT_EQ(board->alarmAfterMs, 50);
    EXPECT_EQ(board->ioFaults, (std::vector<std::uint16_t>{17}));
    EXPECT_EQ(board->faults.silent, (std::set<int>{15}));
    EXPECT_EQ(board->faults.delayMs, (std::map<int, int>{{1, 20}, {38, 30}}));
    EXPECT_EQ(board->faults.corrupt, (std::set<int>{38}));
    EXPECT_EQ(board->faults.garbage, (std::map<int, int>{{1, 9}}));
    EXPECT_EQ(board->faults.dropAfterBlocks, 3);
    EXPECT_EQ(board->faults.times, 2);
}

TEST(Board, MistakesNameTheLineAndTheKey)
{
    const std::pair<const char *, const char *> cases[] = {
        {"[Unit]\nType=z80\n", "строка 2 (Type): тип блока - arm или msdos"},
        {"[Unit]\nColour=red\n", "строка 2 (Colour): неизвестный ключ раздела [Unit]"},
        {"[Versions]\nQORV=10.1\n",
         "строка 2 (QORV): версия пишется как X.Y (по одному символу) или \"-\""},
        {"[Calibration]\nT0=1,2\n", "строка 2 (T0): нужно 16 чисел через запятую"},
        {"[Faults]\nSilent=NOPE\n", "строка 2 (Silent): \"NOPE\" - не число в допустимых пределах"},
        {"[Unit]\nBuildDate=2025-13-01\n",
         "строка 2 (BuildDate): \"13\" - не число в допустимых пределах"},
        {"[Wiring]\nA=1\n", "неизвестный раздел [Wiring]"},
        {"[Unit\n", "строка 1: ожидается [Раздел]"},
        {"Type\n", "строка 1: ожидается Ключ=Значение"},
    };
    for (const auto &[text, expected] : cases) {
        std::string error;
        EXPECT_FALSE(ParseBoard(text, &error)) << text;
        EXPECT_EQ(error, expected) << text;
    }
}

TEST(Board, AMissingFileIsNamed)
{
    std::string error;
    EXPECT_FALSE(LoadBoard("/no/such/board.ini", &error));
    EXPECT_EQ(error, "файл описания платы \"/no/such/board.ini\" не открывается");

    QTemporaryDir dir;
    const std::string path = dir.path().toStdString() + "/b.ini";
    std::ofstream(path) << "[Unit]\nType=msdos\n[Faults]\nTimes=x\n";
    EXPECT_FALSE(LoadBoard(path, &error));
    EXPECT_EQ(error, "файл описания платы \"" + path +
                         "\": строка 4 (Times): \"x\" - не число в допустимых пределах");
}

TEST(Board, TheDefaultBoardIsAHealthyMsDosUnit)
{
    const Board board = DefaultBoard();
    EXPECT_EQ(board.type, 1);
    EXPECT_EQ(board.versions.size(), 6u);
    EXPECT_TRUE(board.faults.silent.empty());
    EXPECT_EQ(board.faults.dropAfterBlocks, 0);
    // The measured periods give the system's default I/O times.
    EXPECT_FLOAT_EQ(*board.periods[0] * 0.5f, 1.5f);
    EXPECT_NEAR((*board.periods[2] - *board.periods[0]) * 0.00009765625 * 0.5, 0.2723, 1e-4);
}

TEST(Board, TheShippedBoardsLoad)
{
    for (const char *name :
         {"arm-unit.ini", "noisy-link.ini", "stuck-contact.ini", "stuck-low.ini", "bridged-and.ini",
          "bridged-or.ini", "swapped.ini", "intermittent.ini"}) {
        std::string error;
        const auto board = LoadBoard(std::string(QV_SOURCE_DIR) + "/sim/boards/" + name, &error);
        EXPECT_TRUE(board) << name << ": " << error;
    }
}

TEST(Board, ListenAddressesAreHostAndPort)
{
    std::string host;
    int port = -1;
    EXPECT_TRUE(SplitHostPort("127.0.0.1:0", &host, &port));
    EXPECT_EQ(host, "127.0.0.1");
    EXPECT_EQ(port, 0);
    EXPECT_TRUE(SplitHostPort("[::1]:4100", &host, &port));
    EXPECT_EQ(host, "::1");
    EXPECT_EQ(port, 4100);
    for (const char *bad : {"", "host", ":80", "h:", "h:70000", "[::1]4100"})
        EXPECT_FALSE(SplitHostPort(bad, &host, &port)) << bad;
}

} // namespace
} // namespace qv::sim
