// Folder entries that are not what their name promises, met the way the
// operator meets them through qortool and the helper programs: a data file
// named like the test file, a garbage test count, links, named pipes and
// device nodes in place of files, backups a kill or a folder would spoil.

#include "qortoolprocess.h"
#include "support/qt/toolrun.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <array>
#include <chrono>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <functional>
#include <gtest/gtest.h>
#include <sstream>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <thread>
#include <unistd.h>
#include <utility>
#include <vector>

namespace {

namespace fs = std::filesystem;
using qv::testing::Has;
using qv::testing::Qortool;
using qv::testing::ReadText;
using qv::testing::ToolRun;

// Long enough for a loaded machine, short enough that a hang fails the test
// instead of the whole suite.
constexpr int kToolTimeoutMs = 20000;

QString Q(const fs::path &path)
{
    return QString::fromStdString(path.string());
}

bool IsFifo(const fs::path &path)
{
    return fs::is_fifo(fs::symlink_status(path));
}

// A copy of the demo board in board/ of a temporary folder, its dump at hand,
// and a folder outside it that no run may touch.
class HostileFiles : public ::testing::Test
{
protected:
    void SetUp() override
    {
        root = fs::path(tmp.path().toStdString());
        board = root / "board";
        outside = root / "outside";
        fs::remove_all(board);
        fs::create_directories(board);
        fs::create_directories(outside);
        for (const auto &entry : fs::directory_iterator(QV_DEMO_DIR))
            fs::copy_file(entry.path(), board / entry.path().filename());
        const ToolRun unpacked = Qortool({"unpack", Demo()});
        ASSERT_EQ(unpacked.exitCode, 0) << unpacked.err;
        dump = unpacked.out;
    }

    QString Demo() const { return Q(board / "DEMO.QOR"); }

    // Replaces the first `from` after `after` in the dump and packs it over
    // the demo board.
    void Change(const std::string &after, const std::string &from, const std::string &to)
    {
        const std::size_t start = dump.find(after);
        ASSERT_NE(start, std::string::npos) << after;
        const std::size_t at = dump.find(from, start);
        ASSERT_NE(at, std::string::npos) << from;
        dump.replace(at, from.size(), to);
        const fs::path text = root / "board.qordump";
        std::ofstream(text, std::ios::binary) << dump;
        const ToolRun packed = Qortool({"pack", Q(text), "-o", Demo()});
        ASSERT_EQ(packed.exitCode, 0) << packed.out << packed.err;
    }

    // Puts a named pipe where `path` was.
    static void MakeFifo(const fs::path &path)
    {
        fs::remove(path);
        ASSERT_EQ(::mkfifo(path.c_str(), 0644), 0) << path;
    }

    QTemporaryDir tmp;
    fs::path root, board, outside;
    std::string dump;
};

TEST_F(HostileFiles, ADataFileNamedLikeTheTestFileOrACompanionIsRefusedAndNothingIsOverwritten)
{
    for (const std::string name : {"demo.qor", "DEMO.CNT", "Demo.txt", "DEMO.sco"}) {
        SCOPED_TRACE(name);
        SetUp();
        Change("[FFUNCS2]", "FILE=ram_dump.dat", "FILE=" + name);
        const std::string before = ReadText(board / "DEMO.QOR");
        const std::string cnt = ReadText(board / "DEMO.CNT");

        const ToolRun verified = Qortool({"verify", Demo()});
        EXPECT_EQ(verified.exitCode, 1) << verified.out << verified.err;
        EXPECT_TRUE(Has(verified.out, "Тест 2. раздел [FFUNCS2], ключ FILE: значение \"" + name +
                                          "\" совпадает с именем файла тестов или его "
                                          "сопутствующего файла"))
            << verified.out;

        const ToolRun run = Qortool({"run", Demo(), "--test", "2"});
        EXPECT_EQ(run.exitCode, 2) << run.out << run.err;
        EXPECT_TRUE(Has(run.err, "Тест №2 не может быть выполнен: раздел [FFUNCS2], ключ FILE"))
            << run.err;
        EXPECT_FALSE(Has(run.out, "Тест завершен успешно")) << run.out;
        EXPECT_EQ(ReadText(board / "DEMO.QOR"), before);
        EXPECT_EQ(ReadText(board / "DEMO.CNT"), cnt);
        // The other tests still run.
        EXPECT_EQ(Qortool({"run", Demo(), "--test", "1"}).exitCode, 0);
    }
}

TEST_F(HostileFiles, AGarbageTestCountLoadsEveryTestBlockWithAWarningAndResaveKeepsThemAll)
{
    for (const std::string count : {"i0", "", "0", "7", "-1"}) {
        SCOPED_TRACE(count);
        SetUp();
        Change("[]", "NTEST=3", "NTEST=" + count);

        const ToolRun verified = Qortool({"verify", Demo()});
        EXPECT_TRUE(Has(verified.out, "раздел [], ключ NTEST: значение \"" + count + "\""))
            << verified.out << verified.err;
        EXPECT_TRUE(Has(verified.out, "загружены все тесты файла")) << verified.out;
        EXPECT_FALSE(Has(verified.out, "\nOK")) << verified.out;

        const ToolRun resaved = Qortool({"resave", Demo()});
        EXPECT_EQ(resaved.exitCode, 0) << resaved.out << resaved.err;
        const ToolRun unpacked = Qortool({"unpack", Demo()});
        ASSERT_EQ(unpacked.exitCode, 0) << unpacked.err;
        EXPECT_TRUE(Has(unpacked.out, "\nNTEST=3\n")) << unpacked.out.substr(0, 400);
        EXPECT_TRUE(Has(unpacked.out, "NAME=Память")) << "test 2 lost";
        EXPECT_EQ(Qortool({"verify", Demo()}).out, "OK\n");
        // The one made before the save still has every test block.
        EXPECT_TRUE(fs::exists(board / "DEMO.QOR.bak"));
    }
}

TEST_F(HostileFiles, OutputsNamingADeviceOrAPipeAreWrittenDirectlyAndDashIsStandardOutput)
{
    if (::geteuid() != 0)
        GTEST_SKIP() << "a device node needs root to make";
    // A node with the numbers of /dev/null, made here so that a fault
    // replaces only this copy.
    const fs::path node = root / "null";
    ASSERT_EQ(::mknod(node.c_str(), S_IFCHR | 0666, makedev(1, 3)), 0);

    const ToolRun unpacked = Qortool({"unpack", Demo(), "-o", Q(node)});
    EXPECT_EQ(unpacked.exitCode, 0) << unpacked.err;
    EXPECT_TRUE(fs::is_character_file(fs::symlink_status(node))) << "the node was replaced";
    const ToolRun exported =
        Qortool({"export", Demo(), "--test", "1", "--format", "csv", "-o", Q(node)});
    EXPECT_EQ(exported.exitCode, 0) << exported.err;
    EXPECT_TRUE(fs::is_character_file(fs::symlink_status(node)));
    for (const auto &entry : fs::directory_iterator(root))
        EXPECT_FALSE(Has(entry.path().filename().string(), ".tmp")) << entry.path();

    const ToolRun toStdout = Qortool({"unpack", Demo(), "-o", "-"});
    EXPECT_EQ(toStdout.exitCode, 0) << toStdout.err;
    EXPECT_EQ(toStdout.out, dump);
    EXPECT_FALSE(fs::exists(fs::current_path() / "-"));
}

TEST_F(HostileFiles, AnOutputIntoAPipeNobodyReadsFailsAtOnceInsteadOfWaiting)
{
    const fs::path pipe = root / "pipe";
    MakeFifo(pipe);
    const auto started = std::chrono::steady_clock::now();
    const ToolRun unpacked = Qortool({"unpack", Demo(), "-o", Q(pipe)});
    EXPECT_EQ(unpacked.exitCode, 1) << unpacked.out << unpacked.err;
    EXPECT_TRUE(Has(unpacked.err, "канал никто не читает")) << unpacked.err;
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(10));
    EXPECT_TRUE(IsFifo(pipe));
}

TEST_F(HostileFiles, ARunNeverWritesThroughALinkNamedLikeItsDataFileItsBackupOrDebugTxt)
{
    for (const std::string link : {"ram_dump.dat", "ram_dump.dat.bak", "debug.txt"}) {
        SCOPED_TRACE(link);
        SetUp();
        const fs::path victim = outside / "victim.txt";
        std::ofstream(victim) << "keep me";
        std::ofstream(board / "ram_dump.dat") << std::string(16, 'x');
        fs::remove(board / link);
        fs::create_symlink(victim, board / link);

        // The working folder is the board's, where debug.txt goes.
        const ToolRun run = Qortool({"run", Demo(), "--test", "2"}, Q(board));
        EXPECT_EQ(run.exitCode, 0) << run.out << run.err;
        EXPECT_EQ(ReadText(victim), "keep me");
        EXPECT_TRUE(fs::is_regular_file(fs::symlink_status(board / link)))
            << "the link should have been replaced by the file";
    }
}

TEST_F(HostileFiles, ABackupIsReplacedInOneStepAndNeverThroughALink)
{
    const std::string old = ReadText(board / "DEMO.QOR");
    std::ofstream(board / "DEMO.QOR.bak") << "older backup";
    struct stat before
    {
    };
    ASSERT_EQ(::stat((board / "DEMO.QOR.bak").c_str(), &before), 0);
    ToolRun resaved = Qortool({"resave", Demo()});
    ASSERT_EQ(resaved.exitCode, 0) << resaved.err;
    struct stat after
    {
    };
    ASSERT_EQ(::stat((board / "DEMO.QOR.bak").c_str(), &after), 0);
    EXPECT_NE(after.st_ino, before.st_ino) << "the backup was rewritten in place";
    EXPECT_EQ(ReadText(board / "DEMO.QOR.bak"), old);

    const fs::path victim = outside / "victim.txt";
    std::ofstream(victim) << "keep me";
    fs::remove(board / "DEMO.QOR.bak");
    fs::create_symlink(victim, board / "DEMO.QOR.bak");
    const std::string current = ReadText(board / "DEMO.QOR");
    resaved = Qortool({"resave", Demo()});
    ASSERT_EQ(resaved.exitCode, 0) << resaved.err;
    EXPECT_EQ(ReadText(victim), "keep me");
    EXPECT_TRUE(fs::is_regular_file(fs::symlink_status(board / "DEMO.QOR.bak")));
    EXPECT_EQ(ReadText(board / "DEMO.QOR.bak"), current);
}

TEST_F(HostileFiles, ABackupThatCannotBeMadeStopsTheResaveWithItsReason)
{
    const std::string before = ReadText(board / "DEMO.QOR");
    fs::create_directories(board / "DEMO.QOR.bak");
    const ToolRun resaved = Qortool({"resave", Demo()});
    EXPECT_NE(resaved.exitCode, 0) << resaved.out << resaved.err;
    EXPECT_TRUE(
        Has(resaved.out + resaved.err, "Не удалось создать резервную копию файла \"DEMO.QOR\""))
        << resaved.out << resaved.err;
    EXPECT_TRUE(Has(resaved.out + resaved.err, "это папка")) << resaved.out << resaved.err;
    EXPECT_EQ(ReadText(board / "DEMO.QOR"), before);
}

TEST_F(HostileFiles, AResaveRefusedOnAReadOnlyFileMakesNoBackup)
{
    fs::permissions(board / "DEMO.QOR", fs::perms::owner_read | fs::perms::group_read);
    const ToolRun resaved = Qortool({"resave", Demo()});
    EXPECT_NE(resaved.exitCode, 0) << resaved.out << resaved.err;
    EXPECT_FALSE(fs::exists(fs::symlink_status(board / "DEMO.QOR.bak")));
}

TEST_F(HostileFiles, APipeInPlaceOfAnyInputFileIsRefusedWithoutWaiting)
{
    struct Case
    {
        const char *pipe;
        QStringList arguments;
        const char *said; // in the output or the error output
        bool fails;       // the companion files only cost their content
    };
    const fs::path boardFile = root / "sim.ini";
    const Case cases[] = {
        {"DEMO.QOR", {"verify", Demo()}, "это именованный канал", true},
        {"DEMO.CNT", {"verify", Demo()}, "это именованный канал", true},
        {"DEMO.TXT", {"verify", Demo()}, "DEMO.TXT", false},
        {"DEMO.sco", {"verify", Demo()}, "Не удалось загрузить файл \"DEMO.sco\"", false},
        {"ram_load.dat", {"run", Demo(), "--test", "2"}, "это именованный канал", true},
        {"DEMO.QOR", {"unpack", Demo()}, "это именованный канал", true},
        {"sim.ini",
         {"run", Demo(), "--test", "1", "--board", Q(boardFile)},
         "это именованный канал",
         true},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(std::string(c.pipe) + " " + c.arguments.front().toStdString());
        SetUp();
        const fs::path pipe = std::string(c.pipe) == "sim.ini" ? boardFile : board / c.pipe;
        MakeFifo(pipe);
        const ToolRun run = Qortool(c.arguments);
        ASSERT_NE(run.exitCode, -1) << "it waited on the pipe";
        EXPECT_EQ(run.exitCode != 0, c.fails) << run.out << run.err;
        EXPECT_TRUE(Has(run.out + run.err, c.said)) << run.out << run.err;
        EXPECT_TRUE(IsFifo(pipe));
        fs::remove(pipe);
    }
}

TEST_F(HostileFiles, CtrlCEndsARunThatWaitsForTheUnitWithinTwoSeconds)
{
    QProcess process;
    process.start(QStringLiteral(QV_QORTOOL_PATH),
                  {"run", Demo(), "--test", "1", "--continuous", "--passes", "1000000", "--quiet"});
    ASSERT_TRUE(process.waitForStarted());
    std::this_thread::sleep_for(std::chrono::milliseconds(1500));
    ASSERT_EQ(process.state(), QProcess::Running) << process.readAllStandardError().toStdString();
    const auto sent = std::chrono::steady_clock::now();
    ::kill(static_cast<pid_t>(process.processId()), SIGINT);
    const bool ended = process.waitForFinished(5000);
    const auto took = std::chrono::steady_clock::now() - sent;
    if (!ended) {
        process.kill();
        process.waitForFinished();
    }
    EXPECT_TRUE(ended);
    EXPECT_LT(took, std::chrono::milliseconds(2000));
}

TEST_F(HostileFiles, ABoardFileThatIsADeviceAFolderOrTooLargeIsRefusedAtOnce)
{
    const fs::path big = root / "big.ini";
    {
        std::ofstream out(big, std::ios::binary);
        const std::string line = "; " + std::string(1000, 'x') + "\n";
        for (int i = 0; i < 1100; ++i)
            out << line;
    }
    fs::create_directories(root / "folder.ini");
    for (const fs::path &path : {fs::path("/dev/urandom"), root / "folder.ini", big}) {
        SCOPED_TRACE(path.string());
        const auto started = std::chrono::steady_clock::now();
        const ToolRun run = Qortool({"unit", "check", "--board", Q(path)});
        EXPECT_NE(run.exitCode, 0) << run.out << run.err;
        EXPECT_TRUE(Has(run.out + run.err, "файл описания платы")) << run.out << run.err;
        EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(10));
    }
}

TEST_F(HostileFiles, NonsenseValuesAreLoadWarningsAndTheirTestIsNotRun)
{
    struct Case
    {
        const char *after, *from, *to;
        int test; // 0: a file-level warning, no test refused
        const char *named;
    };
    const Case cases[] = {
        {"[GWORDS1]", "CODE=17", "CODE=2147483647", 1, "раздел [GWORDS1], ключ CODE"},
        {"FLAGS 0", "BUS 17 18 19 20", "BUS 17 18 19 200", 3, "раздел [IWORDS1], ключ TYRE"},
        {"FLAGS 0", "BUS 17 18 19 20", "BUS 17 17 17 17", 3, "раздел [IWORDS1], ключ TYRE"},
        {"[]", "SYS=16", "SYS=abc", 0, "раздел [], ключ SYS: значение \"abc\""},
        {"[VFUNCS1]", "TACT=11", "TACT=9999", 2, "раздел [VFUNCS1], ключ TACT"},
        {"NAME=Шина данных", "CYCLE=2", "CYCLE=", 1, "раздел [MAIN], ключ CYCLE"},
        {"NAME=Шина данных", "START=1", "START=99", 1, "раздел [MAIN], ключ START"},
        {"[FFUNCS1]", "DATW=3", "DATW=--5", 2,
         "раздел [FFUNCS1], ключ DATW: значение \"--5\" не является целым числом"},
        {"[IWORDS1]", "DATA=85/170", "DATA=99999/170", 1, "раздел [IWORDS1], ключ DATA"},
        {"NAME=Шина данных", "2=17\\a-----", "2=17\\a---Q-", 1, "раздел [DIAGRAMM], ключ 2"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.to);
        SetUp();
        Change(c.after, c.from, c.to);
        const ToolRun verified = Qortool({"verify", Demo()});
        EXPECT_EQ(verified.exitCode, 1) << verified.out << verified.err;
        const std::string prefix = c.test > 0 ? "Тест " + std::to_string(c.test) + ". " : "";
        EXPECT_TRUE(Has(verified.out, prefix + c.named)) << verified.out << verified.err;
        if (c.test == 0)
            continue;
        const ToolRun run = Qortool({"run", Demo(), "--test", QString::number(c.test)});
        EXPECT_EQ(run.exitCode, 2) << run.out << run.err;
        EXPECT_TRUE(
            Has(run.err, "Тест №" + std::to_string(c.test) + " не может быть выполнен: " + c.named))
            << run.out << run.err;
        EXPECT_FALSE(Has(run.out + run.err, "TWord::")) << run.out << run.err;
    }
}

// The values of output word o1 in each cycle of a run's JSON record.
std::vector<std::pair<QJsonValue, QJsonValue>> O1Cycles(const fs::path &report)
{
    QFile file(Q(report));
    EXPECT_TRUE(file.open(QIODevice::ReadOnly));
    const QJsonObject test = QJsonDocument::fromJson(file.readAll())
                                 .object()[QStringLiteral("tests")]
                                 .toArray()
                                 .first()
                                 .toObject();
    std::vector<std::pair<QJsonValue, QJsonValue>> cycles;
    for (const QJsonValue &cycle : test[QStringLiteral("outputWords")]
                                       .toArray()
                                       .first()
                                       .toObject()[QStringLiteral("cycles")]
                                       .toArray())
        cycles.emplace_back(cycle.toObject()[QStringLiteral("reference")],
                            cycle.toObject()[QStringLiteral("read")]);
    return cycles;
}

TEST_F(HostileFiles, FunctionResultsOverManyCyclesKeepEveryCycleAndTheCountAgreesWithTheLines)
{
    // Test 2 over 16 cycles with its data word o1 read in a column of its
    // own after the F-, M- and P-functions that use it.
    Change("NAME=Память", "CYCLE=1", "CYCLE=16");
    Change("NAME=Память", "D1=-FR-FW-FC-MWR-PW-S-", "D1=-FR-FW-FC-MWR-PW-S-o");
    Change("NAME=Память", "D2=0100200300100010010", "D2=01002003001000100101");
    for (const char *line : {"1=16\\a-------------------", "2=17\\a-------------------"})
        Change("NAME=Память", line, std::string(line) + "-");
    Change("NAME=Память", "3=18\\a___________________", "3=18\\a____________________");
    std::string zeros = "0";
    for (int i = 1; i < 16; ++i)
        zeros += "/0";
    Change("NAME=Данные чтения", "DATA=0", "DATA=" + zeros);

    // A sound board: every cycle keeps a reference and its read value.
    const fs::path report = root / "r.json";
    ToolRun run = Qortool({"run", Demo(), "--test", "2", "--report", Q(report)});
    EXPECT_EQ(run.exitCode, 0) << run.out << run.err;
    auto cycles = O1Cycles(report);
    ASSERT_EQ(cycles.size(), 16u);
    for (const auto &[reference, read] : cycles) {
        EXPECT_TRUE(reference.isDouble());
        EXPECT_EQ(reference, read);
    }

    // Only the FC function uses o1 now; a contact of its bus stuck high makes
    // every cycle wrong, and the count, the lines and the record agree.
    Change("NAME=Чтение ОЗУ", "DATW=1001", "DATW=3");
    Change("NAME=Тест ОЗУ 4К", "DATR=1", "DATR=0");
    Change("NAME=Прошивка ППЗУ", "DATR=1", "DATR=0");
    const fs::path stuck = root / "stuck.ini";
    std::ofstream(stuck) << "[Board]\nStuckHigh=1\n";
    run = Qortool({"run", Demo(), "--test", "2", "--board", Q(stuck), "--report", Q(report)});
    EXPECT_EQ(run.exitCode, 1) << run.out << run.err;
    EXPECT_TRUE(Has(run.out, "Тест №2 \"Память\": 16 ошибок")) << run.out;
    std::size_t lines = 0;
    for (std::size_t at = run.out.find("o1 (Данные чтения), цикл "); at != std::string::npos;
         at = run.out.find("o1 (Данные чтения), цикл ", at + 1))
        ++lines;
    EXPECT_EQ(lines, 16u) << run.out;
    EXPECT_FALSE(Has(run.out, "null")) << run.out;
    cycles = O1Cycles(report);
    ASSERT_EQ(cycles.size(), 16u);
    for (const auto &[reference, read] : cycles) {
        EXPECT_EQ(reference.toInt(-1), 0);
        EXPECT_EQ(read.toInt(-1), 1);
    }
}

TEST_F(HostileFiles, AFileAnSFunctionSendsMustBeThereOrTheRunDoesNotStart)
{
    const auto broken = std::array<std::function<void(const fs::path &)>, 3>{
        [](const fs::path &path) { fs::remove(path); },
        [](const fs::path &path) {
            fs::remove(path);
            fs::create_directories(path);
        },
        [](const fs::path &path) { MakeFifo(path); },
    };
    for (std::size_t i = 0; i < broken.size(); ++i) {
        SCOPED_TRACE(i);
        SetUp();
        broken[i](board / "uart.dat");
        const ToolRun run = Qortool({"run", Demo(), "--test", "2"});
        EXPECT_NE(run.exitCode, 0) << run.out << run.err;
        EXPECT_NE(run.exitCode, -1) << "it waited";
        EXPECT_TRUE(Has(run.out + run.err, "uart.dat")) << run.out << run.err;
        EXPECT_FALSE(Has(run.out, "Тест завершен успешно")) << run.out;
    }
}

TEST_F(HostileFiles, AFolderNamedLikeTheOscillogramFileLoadsTheTestFileWithoutReferences)
{
    fs::remove(board / "DEMO.sco");
    fs::create_directories(board / "DEMO.sco");
    const ToolRun info = Qortool({"info", Demo()});
    EXPECT_EQ(info.exitCode, 0) << info.out << info.err;
    EXPECT_FALSE(Has(info.out + info.err, "basic_filebuf")) << info.out << info.err;
    const ToolRun verified = Qortool({"verify", Demo()});
    EXPECT_TRUE(Has(verified.out + verified.err, "DEMO.sco")) << verified.out << verified.err;
    EXPECT_FALSE(Has(verified.out + verified.err, "не загружен")) << verified.out << verified.err;
}

TEST_F(HostileFiles, AnOversizedCommentFileIsNeitherReadNorReplaced)
{
    {
        std::ofstream out(board / "DEMO.TXT", std::ios::binary | std::ios::app);
        const std::string line(1000, 'x');
        for (int i = 0; i < 1100; ++i)
            out << line << "\r\n";
    }
    const auto size = fs::file_size(board / "DEMO.TXT");
    const ToolRun verified = Qortool({"verify", Demo()});
    EXPECT_EQ(verified.exitCode, 0) << verified.out << verified.err;
    EXPECT_TRUE(Has(verified.out + verified.err, "больше 1 МиБ: комментарии не загружены"))
        << verified.out << verified.err;
    EXPECT_EQ(Qortool({"resave", Demo()}).exitCode, 0);
    EXPECT_EQ(fs::file_size(board / "DEMO.TXT"), size);
}

TEST_F(HostileFiles, UnitAddressesThatFailAreReportedInRussianWithTheSystemsText)
{
    const ToolRun refused = Qortool({"unit", "check", "--unit", "tcp://127.0.0.1:9"});
    EXPECT_NE(refused.exitCode, 0);
    EXPECT_TRUE(Has(refused.out + refused.err,
                    "по этому адресу соединения не принимаются (Connection refused)"))
        << refused.out << refused.err;
    const ToolRun serial = Qortool({"unit", "check", "--unit", "serial:/dev/null"});
    EXPECT_NE(serial.exitCode, 0);
    EXPECT_TRUE(Has(serial.out + serial.err, "не удалось открыть последовательный порт ("))
        << serial.out << serial.err;
}

TEST_F(HostileFiles, AFailedWriteOnStandardOutputFailsTheCommand)
{
    for (const char *command : {"unpack", "info"}) {
        SCOPED_TRACE(command);
        QProcess process;
        process.setStandardOutputFile(QStringLiteral("/dev/full"));
        process.start(QStringLiteral(QV_QORTOOL_PATH), {QString::fromLatin1(command), Demo()});
        ASSERT_TRUE(process.waitForFinished(kToolTimeoutMs));
        EXPECT_NE(process.exitCode(), 0);
        EXPECT_TRUE(Has(process.readAllStandardError().toStdString(),
                        "не удалось записать в стандартный вывод"));
    }
}

} // namespace
