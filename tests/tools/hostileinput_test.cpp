// Hostile and damaged test files met the way the operator meets them: the
// demo board with one change made through its dump, then verified, compiled
// and run with qortool on the simulated unit.

#include "qortoolprocess.h"
#include "support/qt/toolrun.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <sstream>
#include <sys/stat.h>

namespace {

namespace fs = std::filesystem;
using qv::testing::Has;
using qv::testing::Qortool;
using qv::testing::ReadText;
using qv::testing::ToolRun;

// A copy of the demo board in board/ of a temporary folder, its dump at hand.
class HostileInput : public ::testing::Test
{
protected:
    void SetUp() override
    {
        root = fs::path(tmp.path().toStdString());
        board = root / "board";
        fs::remove_all(board); // the case loops start over from the demo board
        fs::create_directories(board);
        for (const auto &entry : fs::directory_iterator(QV_DEMO_DIR))
            fs::copy_file(entry.path(), board / entry.path().filename());
        const ToolRun unpacked = Qortool({"unpack", Demo()});
        ASSERT_EQ(unpacked.exitCode, 0) << unpacked.err;
        dump = unpacked.out;
    }

    QString Demo() const { return QString::fromStdString((board / "DEMO.QOR").string()); }

    ToolRun Compile(int test) const
    {
        return Qortool({"compile", Demo(), "--test", QString::number(test), "--yes", "-o",
                        QString::fromStdString((root / "t.img").string())});
    }

    // Replaces the first `from` after the text `after` in the dump, then
    // packs the dump over the demo board.
    void Change(const std::string &after, const std::string &from, const std::string &to)
    {
        const std::size_t start = dump.find(after);
        ASSERT_NE(start, std::string::npos) << after;
        const std::size_t at = dump.find(from, start);
        ASSERT_NE(at, std::string::npos) << from;
        dump.replace(at, from.size(), to);
        Pack();
    }

    void Pack()
    {
        const fs::path text = root / "board.qordump";
        std::ofstream(text, std::ios::binary) << dump;
        const ToolRun packed =
            Qortool({"pack", QString::fromStdString(text.string()), "-o", Demo()});
        ASSERT_EQ(packed.exitCode, 0) << packed.out << packed.err;
    }

    QTemporaryDir tmp;
    fs::path root;
    fs::path board;
    std::string dump;
};

TEST_F(HostileInput, ADataFileNameOutOfTheFolderIsRefusedAndTheOutsideFileIsUntouched)
{
    fs::create_directories(root / "outside");
    std::ofstream(root / "outside" / "victim.txt") << "keep me";
    Change("[FFUNCS2]", "FILE=ram_dump.dat", "FILE=../outside/victim.txt");

    const ToolRun run = Qortool({"run", Demo(), "--test", "2"});
    EXPECT_EQ(run.exitCode, 2) << run.out << run.err;
    EXPECT_TRUE(Has(run.err, "Тест №2 не может быть выполнен: раздел [FFUNCS2], ключ FILE: "
                             "значение \"../outside/victim.txt\" не является именем файла в "
                             "папке файла тестов"))
        << run.out << run.err;
    EXPECT_EQ(ReadText(root / "outside" / "victim.txt"), "keep me");
    EXPECT_FALSE(fs::exists(root / "outside" / "victim.txt.bak"));
}

TEST_F(HostileInput, AbsoluteParentAndControlCharacterNamesAreNotSentToTheUnit)
{
    std::ofstream(root / "secret.dat") << std::string(16, 'S');
    // In dump escapes: a doubled backslash is one backslash, \\x01 the byte 1.
    const std::string names[] = {(root / "secret.dat").string(), "..\\\\secret.dat",
                                 "C:\\\\secret.dat", "ram\\x01.dat", ".."};
    for (const std::string &name : names) {
        SCOPED_TRACE(name);
        SetUp();
        fs::remove(root / "t.img");
        Change("[FFUNCS1]", "FILE=ram_load.dat", "FILE=" + name);
        const ToolRun compiled = Compile(2);
        EXPECT_EQ(compiled.exitCode, 1) << compiled.out << compiled.err;
        EXPECT_TRUE(Has(compiled.err, "раздел [FFUNCS1], ключ FILE")) << compiled.err;
        EXPECT_FALSE(fs::exists(root / "t.img"));
    }
}

TEST_F(HostileInput, FolderPartsOfADataFileNameAreDroppedAsForTheContactFile)
{
    Change("[FFUNCS1]", "FILE=ram_load.dat", "FILE=sub/ram_load.dat");
    const ToolRun compiled = Compile(2);
    EXPECT_EQ(compiled.exitCode, 0) << compiled.out << compiled.err;
    EXPECT_TRUE(Has(compiled.out, "Файл данных: ram_load.dat\n")) << compiled.out;
}

TEST_F(HostileInput, AnFRangeTheUnitCannotReportIsRefusedAndTheOldDataFileStays)
{
    std::ofstream(board / "ram_dump.dat") << "stale";
    Change("[FFUNCS2]", "ADREND=15", "ADREND=16777216");
    const ToolRun run = Qortool({"run", Demo(), "--test", "2"});
    EXPECT_EQ(run.exitCode, 2) << run.out << run.err;
    EXPECT_TRUE(Has(run.err, "раздел [FFUNCS2], ключ ADREND: значение \"16777216\"")) << run.err;
    EXPECT_FALSE(Has(run.out, "Тест завершен успешно")) << run.out;
    EXPECT_EQ(ReadText(board / "ram_dump.dat"), "stale");
}

TEST_F(HostileInput, ADataFileTheRunCannotWriteFailsTheRun)
{
    fs::remove(board / "ram_dump.dat");
    fs::create_directories(board / "ram_dump.dat");
    const ToolRun run = Qortool({"run", Demo(), "--test", "2"});
    EXPECT_NE(run.exitCode, 0) << run.out << run.err;
    EXPECT_TRUE(Has(run.err, "Ошибка записи данных в файл \"ram_dump.dat\"")) << run.err;
    EXPECT_FALSE(Has(run.out, "Тест завершен успешно")) << run.out;
}

TEST_F(HostileInput, ARunReplacesItsDataFileByRenameNeverInPlace)
{
    std::ofstream(board / "ram_dump.dat") << std::string(16, 'x');
    struct stat old
    {
    };
    ASSERT_EQ(::stat((board / "ram_dump.dat").c_str(), &old), 0);
    const ToolRun run = Qortool({"run", Demo(), "--test", "2"});
    EXPECT_EQ(run.exitCode, 0) << run.out << run.err;
    struct stat now
    {
    };
    ASSERT_EQ(::stat((board / "ram_dump.dat").c_str(), &now), 0);
    EXPECT_NE(now.st_ino, old.st_ino) << "written in place";
    EXPECT_NE(ReadText(board / "ram_dump.dat"), std::string(16, 'x'));
    EXPECT_EQ(ReadText(board / "ram_dump.dat.bak"), std::string(16, 'x'));
    for (const auto &entry : fs::directory_iterator(board))
        EXPECT_FALSE(Has(entry.path().filename().string(), ".tmp")) << entry.path();
}

TEST_F(HostileInput, ResaveKeepsABackupAndClearsTempFilesAKilledSaveLeft)
{
    const std::string old = ReadText(board / "DEMO.QOR");
    std::ofstream(board / "DEMO.QOR.tmpAb12Cd") << "half a file";
    std::ofstream(board / "DEMO.QOR.tmpnotours") << "someone else's";
    const ToolRun resaved = Qortool({"resave", Demo()});
    EXPECT_EQ(resaved.exitCode, 0) << resaved.out << resaved.err;
    EXPECT_EQ(ReadText(board / "DEMO.QOR.bak"), old);
    EXPECT_FALSE(fs::exists(board / "DEMO.QOR.tmpAb12Cd"));
    EXPECT_TRUE(fs::exists(board / "DEMO.QOR.tmpnotours"));
    EXPECT_EQ(Qortool({"verify", Demo()}).out, "OK\n");
}

TEST_F(HostileInput, ContactFileFailuresNameTheContactFile)
{
    const fs::path cnt = board / "DEMO.CNT";
    const std::string good = ReadText(cnt);
    const auto verifyWith = [&](const std::string &bytes) {
        std::ofstream(cnt, std::ios::binary | std::ios::trunc) << bytes;
        return Qortool({"verify", Demo()});
    };
    std::string damaged = good;
    damaged.back() = static_cast<char>(damaged.back() ^ 1);
    EXPECT_TRUE(Has(verifyWith(damaged).out,
                    "Файл контактов \"DEMO.CNT\" поврежден (не совпадает контрольная сумма)"));
    std::string foreign = good;
    foreign[1] = 'X';
    EXPECT_TRUE(Has(verifyWith(foreign).out, "Файл \"DEMO.CNT\" не является файлом контактов"));
    fs::remove(cnt);
    const ToolRun missing = Qortool({"verify", Demo()});
    EXPECT_EQ(missing.exitCode, 1);
    EXPECT_TRUE(Has(missing.out, "Файл контактов \"DEMO.CNT\" отсутствует")) << missing.out;
}

TEST_F(HostileInput, AProtectedFileWithoutItsPasswordSaysAPasswordIsNeeded)
{
    Change("FLAGS 0", "FLAGS 0", "FLAGS 2\nREAD-PASSWORD тайна");
    const ToolRun verified = Qortool({"verify", Demo()});
    EXPECT_EQ(verified.exitCode, 1);
    EXPECT_TRUE(Has(verified.err, "паролем на чтение: укажите его через --password"))
        << verified.err;
    EXPECT_EQ(Qortool({"verify", Demo(), "--password", "тайна"}).out, "OK\n");
}

// The routine texts of the compiler are for states no file can reach.
void ExpectNoInternalText(const ToolRun &run)
{
    for (const char *text :
         {"DosGword", "DosCtrl", "DosFfunc", "DosGfunc", "TQuorvik::", "ищем начало", "GetValue"})
        EXPECT_FALSE(Has(run.out + run.err, text)) << text << "\n" << run.out << run.err;
}

TEST_F(HostileInput, MalformedValuesLoadWithTheirDefaultsAndOnlyTheirTestIsRefused)
{
    Change("[IWORDS1]", "DATA=85/170", "DATA=85/abc");
    Change("[OWORDS2]", "OWAIT=1000", "OWAIT=");
    Change("[GWORDS1]", "TYRE=1", "TYRE=x");
    Change("[DIAGRAMM]", "2=17\\a", "2=17");

    const ToolRun verified = Qortool({"verify", Demo()});
    EXPECT_EQ(verified.exitCode, 1) << verified.out << verified.err;
    EXPECT_FALSE(Has(verified.err, "не загружен")) << verified.err;
    for (const char *line :
         {"Тест 1. раздел [IWORDS1], ключ DATA: значение \"85/abc\" не является списком чисел",
          "Тест 1. раздел [GWORDS1], ключ TYRE: значение \"x\" не является целым числом",
          "Тест 1. раздел [DIAGRAMM], ключ 2: значение \"17-"})
        EXPECT_TRUE(Has(verified.out, line)) << line << "\n" << verified.out;
    EXPECT_EQ(Qortool({"info", Demo()}).exitCode, 0);

    const ToolRun refused = Qortool({"run", Demo(), "--test", "1"});
    EXPECT_EQ(refused.exitCode, 2) << refused.out << refused.err;
    EXPECT_TRUE(Has(refused.err, "Тест №1 не может быть выполнен: раздел [DIAGRAMM], ключ 2"))
        << refused.out << refused.err;
    const ToolRun other = Qortool({"run", Demo(), "--test", "2"});
    EXPECT_EQ(other.exitCode, 0) << other.out << other.err;
}

TEST_F(HostileInput, AWordWithFewerValuesThanCyclesIsNotRunWithMadeUpValues)
{
    Change("[IWORDS1]", "DATA=85/170", "DATA=85");
    const ToolRun run = Qortool({"run", Demo(), "--test", "1"});
    EXPECT_EQ(run.exitCode, 2) << run.out << run.err;
    EXPECT_TRUE(Has(run.out + run.err,
                    "раздел [IWORDS1], ключ DATA: значение \"85\" задаёт значений меньше, чем "
                    "циклов в тесте (1 из 2)"))
        << run.out << run.err;
    EXPECT_FALSE(Has(run.out, "Тест завершен")) << run.out;
}

TEST_F(HostileInput, CycleCountsTheImageCannotCarryAreRefusedAtLoad)
{
    for (const std::string cycles : {"100000000", "256", "-1", "2147483647"}) {
        SCOPED_TRACE(cycles);
        SetUp();
        Change("NAME=Шина данных", "CYCLE=2", "CYCLE=" + cycles);
        const ToolRun verified = Qortool({"verify", Demo()});
        EXPECT_EQ(verified.exitCode, 1) << verified.out << verified.err;
        EXPECT_TRUE(Has(verified.out, "Тест 1. раздел [MAIN], ключ CYCLE: значение \"" + cycles +
                                          "\" вне допустимых пределов (0..255)"))
            << verified.out;
        const ToolRun compiled = Compile(1);
        EXPECT_EQ(compiled.exitCode, 1);
        EXPECT_TRUE(Has(compiled.err, "Тест №1 не может быть выполнен: раздел [MAIN], ключ CYCLE"))
            << compiled.err;
    }
}

// The cases of the reproducer notes: files that pass verify and then stopped
// compilation with a routine's text.
TEST_F(HostileInput, FilesTheCompilerCannotTranslateNameTestSectionAndKey)
{
    struct Case
    {
        const char *after, *from, *to;
        int test;
        const char *named;
    };
    const Case cases[] = {
        {"[GWORDS4]", "CODE=-2", "COD", 1, "раздел [GWORDS4], ключ CODE"},
        {"[GWORDS4]",
         "[GWORDS5]\nNAME=Повтор\nTYRE=0\nCODE=-10\nDATA=3/3\n[GWORDS6]\nNAME=До совпадения\n"
         "TYRE=0\nCODE=-20\nDATA=1/1\n",
         "", 1, "раздел [DIAGRAMM], ключ D2"},
        {"NAME=Шина данных", "D1=i-ggggi-oOo-GiL-GoE-", "D1=i-ggggi-oOo-GiL-GoEZ", 1,
         "раздел [DIAGRAMM], ключ D1"},
        {"NAME=Шина данных", "D1=i-ggggi-oOo-GiL-GoE-", "D1=i-C", 1, "раздел [DIAGRAMM], ключ D1"},
        {"[FFUNCS1]", "TYPE=1", "TYPE=65535", 2, "раздел [FFUNCS1], ключ TYPE"},
        {"[PFUNCS1]", "ADRW=i1", "ADRW=-1", 2, "раздел [PFUNCS1], ключ ADRW"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.to);
        SetUp();
        Change(c.after, c.from, c.to);
        const ToolRun verified = Qortool({"verify", Demo()});
        EXPECT_TRUE(Has(verified.out, "Тест " + std::to_string(c.test) + ". " + c.named))
            << verified.out << verified.err;
        const ToolRun compiled = Compile(c.test);
        EXPECT_EQ(compiled.exitCode, 1);
        EXPECT_TRUE(Has(compiled.err,
                        "Тест №" + std::to_string(c.test) + " не может быть выполнен: " + c.named))
            << compiled.err;
        ExpectNoInternalText(compiled);
    }
}

} // namespace
