// The command-line tool as a user runs it: files in, text and exit status out.

#include "builddirs.h"
#include "infra/encoding.h"
#include "support/common/tempdir.h"

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <sstream>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;

struct Result
{
    int status = -1;
    std::string out;
    std::string err;
};

using qv::testing::BinaryDir;

using qv::testing::ReadBytes;
using qv::testing::WriteBytes;

class Qortool : public ::testing::Test
{
protected:
    Qortool()
    {
        static std::atomic<int> counter{0};
        dir = fs::temp_directory_path() /
              ("qv_qortool_" + std::to_string(::getpid()) + "_" + std::to_string(counter++));
        fs::remove_all(dir);
        fs::create_directories(dir);
        WriteBytes(dir / "board.qorcnt", "QORCNT 1\nCREATED 2024-01-02T03:04:05\n1=A\n2=B\n");
        EXPECT_EQ(Run("cnt-pack " + Path("board.qorcnt") + " -o " + Path("BOARD.CNT")).status, 0);
    }
    ~Qortool() override { fs::remove_all(dir); }

    std::string Path(const std::string &name) const { return (dir / name).string(); }

    Result Run(const std::string &arguments) const
    {
        const fs::path err = dir / "stderr.txt";
        const std::string command =
            (BinaryDir() / "bin" / "qortool").string() + " " + arguments + " 2>" + err.string();
        Result result;
        FILE *pipe = ::popen(command.c_str(), "r");
        char buffer[4096];
        std::size_t got = 0;
        while ((got = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) {
            result.out.append(buffer, got);
        }
        const int status = ::pclose(pipe);
        result.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        result.err = ReadBytes(err);
        return result;
    }

    // A dump of a board with `tests` tests named "Тест n".
    static std::string BoardDump(int tests, const std::string &head = "FLAGS 0\n")
    {
        std::string dump = "QORDUMP 1\n" + head +
                           "BUS 1 2\n#GENERAL\n[]\nCNT=BOARD.CNT\nSYS=16\n"
                           "NTEST=" +
                           std::to_string(tests) + "\nFVERSION=1.6\n";
        for (int i = 1; i <= tests; ++i) {
            dump += "#TEST\n[MAIN]\nNAME=Тест " + std::to_string(i) + "\nCYCLE=1\nSTART=1\n";
        }
        return dump;
    }

    Result Pack(const std::string &dump, const std::string &name = "BOARD.QOR")
    {
        WriteBytes(dir / "in.qordump", dump);
        return Run("pack " + Path("in.qordump") + " -o " + Path(name));
    }

    fs::path dir;
};

TEST_F(Qortool, UnpackOfPackGivesTheDumpBackByteForByteEvenForBrokenSections)
{
    const std::string dump = "QORDUMP 1\nFLAGS 0\nBUS 1 2 3\nBUS\nBUS 192\n#GENERAL\n[]\n"
                             "CNT=BOARD.CNT\nNTEST=2\nбез знака равенства\n\\x23TEST\n"
                             "[MAIN\nZ0=a\\ab\\\\c\\x01\n#TEST\n#TEST\n[DIAGRAMM]\n1=5\\a0101\n";
    ASSERT_EQ(Pack(dump).status, 0);
    const Result unpacked = Run("unpack " + Path("BOARD.QOR"));
    EXPECT_EQ(unpacked.status, 0) << unpacked.err;
    EXPECT_EQ(unpacked.out, dump);
    EXPECT_EQ(Run("unpack " + Path("BOARD.QOR") + " -o " + Path("out.qordump")).status, 0);
    EXPECT_EQ(ReadBytes(dir / "out.qordump"), dump);
}

TEST_F(Qortool, PackOfUnpackGivesTheSameContainerContent)
{
    ASSERT_EQ(Pack(BoardDump(3)).status, 0);
    const std::string first = Run("unpack " + Path("BOARD.QOR")).out;
    WriteBytes(dir / "again.qordump", first);
    ASSERT_EQ(Run("pack " + Path("again.qordump") + " -o " + Path("AGAIN.QOR")).status, 0);
    EXPECT_EQ(Run("unpack " + Path("AGAIN.QOR")).out, first);
    EXPECT_EQ(fs::file_size(dir / "AGAIN.QOR"), fs::file_size(dir / "BOARD.QOR"));
}

TEST_F(Qortool, InfoAndVerifyLoadThroughTheDocument)
{
    ASSERT_EQ(Pack(BoardDump(3)).status, 0);
    const Result info = Run("info " + Path("BOARD.QOR"));
    EXPECT_EQ(info.status, 0) << info.err;
    // Each test's line is followed by the lines of its model.
    EXPECT_NE(info.out.find("Тестов: 3\n1: Тест 1\n   циклов:"), std::string::npos) << info.out;
    EXPECT_NE(info.out.find("\n2: Тест 2\n"), std::string::npos);
    EXPECT_NE(info.out.find("\n3: Тест 3\n"), std::string::npos);
    EXPECT_NE(info.out.find("Шин: 1\n"), std::string::npos);
    const Result verify = Run("verify " + Path("BOARD.QOR"));
    EXPECT_EQ(verify.status, 0);
    EXPECT_EQ(verify.out, "OK\n");
}

TEST_F(Qortool, VerifyPrintsTheLoadLogLinesOfARefusedFile)
{
    ASSERT_EQ(Pack(BoardDump(1)).status, 0);
    std::string image = ReadBytes(dir / "BOARD.QOR");
    image[image.size() - 40] ^= 1; // the trailer's T
    WriteBytes(dir / "BOARD.QOR", image);
    const Result result = Run("verify " + Path("BOARD.QOR"));
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.out,
              "Ошибка в структуре файла. Файл поврежден (не совпадает контрольная сумма)\n");

    fs::remove(dir / "BOARD.CNT");
    ASSERT_EQ(Pack(BoardDump(1)).status, 0);
    const Result missing = Run("verify " + Path("BOARD.QOR"));
    EXPECT_EQ(missing.status, 1);
    EXPECT_EQ(missing.out, "Файл контактов \"BOARD.CNT\" отсутствует или к нему нет доступа\n");
}

TEST_F(Qortool, VerifyShowsTheEditorErrorLogOfAFileCarryingOne)
{
    std::string dump = BoardDump(0);
    dump += "FLOGERROR=Ошибка 1\\aОшибка 2\n";
    ASSERT_EQ(Pack(dump).status, 0);
    const Result result = Run("verify " + Path("BOARD.QOR"));
    EXPECT_EQ(result.status, 1);
    EXPECT_NE(result.out.find("Данный файл содержит ошибки.\n"), std::string::npos) << result.out;
    EXPECT_NE(result.out.find("Ошибка 1\nОшибка 2\n"), std::string::npos);
}

TEST_F(Qortool, PasswordsComeFromTheCommandLine)
{
    ASSERT_EQ(Pack(BoardDump(2, "FLAGS 6\nREAD-PASSWORD чтение\nWRITE-PASSWORD запись\n")).status,
              0);
    EXPECT_EQ(Run("verify " + Path("BOARD.QOR")).status, 1) << "no password: as if cancelled";
    const Result wrong = Run("verify " + Path("BOARD.QOR") + " --password другой");
    EXPECT_EQ(wrong.status, 1);
    EXPECT_NE(wrong.err.find("Неверный пароль"), std::string::npos);
    EXPECT_EQ(Run("verify " + Path("BOARD.QOR") + " --password чтение").out, "OK\n");
    EXPECT_EQ(Run("unpack " + Path("BOARD.QOR")).status, 1);
    const Result unpacked = Run("unpack " + Path("BOARD.QOR") + " --password чтение");
    EXPECT_EQ(unpacked.status, 0);
    EXPECT_EQ(unpacked.out.rfind("QORDUMP 1\nFLAGS 6\nBUS 1 2\n#GENERAL\n", 0), 0u);

    const std::string before = ReadBytes(dir / "BOARD.QOR");
    EXPECT_EQ(Run("resave " + Path("BOARD.QOR") + " --password чтение").status, 1);
    EXPECT_EQ(ReadBytes(dir / "BOARD.QOR"), before) << "no write password: nothing written";
    EXPECT_EQ(
        Run("resave " + Path("BOARD.QOR") + " --password чтение --write-password запись").status,
        0);
    EXPECT_NE(ReadBytes(dir / "BOARD.QOR"), before);
    EXPECT_EQ(Run("verify " + Path("BOARD.QOR") + " --password чтение").out, "OK\n");
}

TEST_F(Qortool, ResaveWritesVersion16AndCanWriteElsewhere)
{
    std::string dump = BoardDump(2);
    dump.replace(dump.find("FVERSION=1.6"), 12, "FVERSION=1.2\nFOREIGN=x");
    ASSERT_EQ(Pack(dump).status, 0);
    const Result resaved = Run("resave " + Path("BOARD.QOR") + " -o " + Path("NEW.QOR"));
    EXPECT_EQ(resaved.status, 0) << resaved.err;
    const std::string text = Run("unpack " + Path("NEW.QOR")).out;
    EXPECT_NE(text.find("FVERSION=1.6\n"), std::string::npos);
    EXPECT_EQ(text.find("FOREIGN"), std::string::npos);
    EXPECT_NE(text.find("[DESC]\nMAIN=Основные данные теста\n"), std::string::npos);
    EXPECT_NE(Run("unpack " + Path("BOARD.QOR")).out.find("FVERSION=1.2"), std::string::npos)
        << "the source is left alone";
}

TEST_F(Qortool, ResaveElsewhereTakesTheOscillogramsAlong)
{
    ASSERT_EQ(Pack(BoardDump(1)).status, 0);
    const std::string oscillograms = std::string("\x01\x02 oscillograms\x00", 17);
    WriteBytes(dir / "BOARD.sco", oscillograms);
    WriteBytes(dir / "NEW.sco", "stale");
    ASSERT_EQ(Run("resave " + Path("BOARD.QOR") + " -o " + Path("NEW.QOR")).status, 0);
    EXPECT_EQ(ReadBytes(dir / "NEW.sco"), oscillograms);
    EXPECT_EQ(ReadBytes(dir / "BOARD.sco"), oscillograms);
    // Resaved in place, the file keeps its own.
    ASSERT_EQ(Run("resave " + Path("NEW.QOR") + " -o " + Path("NEW.QOR")).status, 0);
    EXPECT_EQ(ReadBytes(dir / "NEW.sco"), oscillograms);
}

TEST_F(Qortool, AReadOnlyTargetIsKeptUnlessYesIsGiven)
{
    ASSERT_EQ(Pack(BoardDump(1)).status, 0);
    ::chmod(Path("BOARD.QOR").c_str(), 0444);
    const std::string before = ReadBytes(dir / "BOARD.QOR");
    const Result refused = Run("resave " + Path("BOARD.QOR"));
    EXPECT_EQ(refused.status, 1);
    EXPECT_NE(refused.err.find("имеет атрибут \"Только для чтения\""), std::string::npos);
    EXPECT_EQ(ReadBytes(dir / "BOARD.QOR"), before);
    EXPECT_EQ(Run("resave " + Path("BOARD.QOR") + " --yes").status, 0);
    EXPECT_NE(ReadBytes(dir / "BOARD.QOR"), before);
}

TEST_F(Qortool, ContactDumpsRoundTrip)
{
    const Result unpacked = Run("cnt-unpack " + Path("BOARD.CNT"));
    EXPECT_EQ(unpacked.status, 0);
    EXPECT_EQ(unpacked.out, "QORCNT 1\nCREATED 2024-01-02T03:04:05\n"
                            "MODIFIED 2024-01-02T03:04:05\n1=A\n2=B\n");
    std::string cnt = ReadBytes(dir / "BOARD.CNT");
    cnt.back() ^= 1;
    WriteBytes(dir / "BAD.CNT", cnt);
    const Result bad = Run("cnt-unpack " + Path("BAD.CNT"));
    EXPECT_EQ(bad.status, 1);
    EXPECT_NE(bad.err.find("не совпадает контрольная сумма"), std::string::npos);
}

TEST_F(Qortool, WrongUsageExitsWithTwoAndRefusalsWithOne)
{
    EXPECT_EQ(Run("").status, 2);
    EXPECT_EQ(Run("nosuchcommand").status, 2);
    EXPECT_EQ(Run("pack " + Path("in.qordump")).status, 2) << "no -o";
    EXPECT_EQ(Run("unpack").status, 2);
    EXPECT_EQ(Run("info a b").status, 2);
    EXPECT_EQ(Run("verify --bogus x").status, 2);
    EXPECT_EQ(Run("pack " + Path("none.qordump") + " -o " + Path("X.QOR")).status, 1);
    EXPECT_EQ(Pack("QORDUMP 1\nFLAGS 2\n#GENERAL\n").status, 1) << "flag 2 without password";
    const Result broken = Pack("QORDUMP 1\nFLAGS 0\nBUS 999\n#GENERAL\n");
    EXPECT_EQ(broken.status, 1);
    EXPECT_NE(broken.err.find("строка 3"), std::string::npos);
    EXPECT_EQ(Run("verify " + Path("none.QOR")).status, 1);
    EXPECT_EQ(Run("--help").status, 0);
}

TEST_F(Qortool, TheDemoBoardIsPackedAtBuildTime)
{
    const fs::path demo = fs::path(BinaryDir()) / "examples" / "demo";
    const Result info = Run("info " + (demo / "DEMO.QOR").string());
    EXPECT_EQ(info.status, 0) << info.err;
    EXPECT_NE(info.out.find("Тестов: 3\n"), std::string::npos);
    EXPECT_NE(info.out.find("Файл комментариев: " + (demo / "DEMO.TXT").string()),
              std::string::npos);
    const char *source = std::getenv("QORVIK_SOURCE_DIR");
    ASSERT_NE(source, nullptr);
    EXPECT_EQ(Run("unpack " + (demo / "DEMO.QOR").string()).out,
              ReadBytes(fs::path(source) / "examples" / "demo" / "DEMO.qordump"));
}

// Width and height from a PNG's header chunk.
std::pair<unsigned, unsigned> PngSize(const std::string &png)
{
    const auto be32 = [&](std::size_t at) {
        unsigned value = 0;
        for (std::size_t i = 0; i < 4; ++i)
            value = (value << 8) | static_cast<unsigned char>(png.at(at + i));
        return value;
    };
    return {be32(16), be32(20)};
}

TEST_F(Qortool, RenderDrawsEveryTestsDiagramAndTableAsPngOrPdf)
{
    const std::string demo = (fs::path(BinaryDir()) / "examples" / "demo" / "DEMO.QOR").string();
    for (const std::string test : {"1", "2", "3"}) {
        const std::string png = Path("d" + test + ".png");
        const Result diagram = Run("render " + demo + " --test " + test + " -o " + png);
        ASSERT_EQ(diagram.status, 0) << diagram.err;
        const std::string bytes = ReadBytes(png);
        ASSERT_GT(bytes.size(), 24u);
        EXPECT_EQ(bytes.substr(1, 3), "PNG");
        const auto [width, height] = PngSize(bytes);
        EXPECT_EQ(diagram.out,
                  png + ": " + std::to_string(width) + "x" + std::to_string(height) + "\n");
        EXPECT_GT(height, 50u);
    }
    // The full table of test 3 (4 cycles of one input and one output word)
    // has a header row and 8 rows of 16 pixels.
    const Result table =
        Run("render " + demo + " --test 3 --view table --full --width 900 -o " + Path("t.png"));
    ASSERT_EQ(table.status, 0) << table.err;
    EXPECT_EQ(PngSize(ReadBytes(Path("t.png"))).second, 9u * 16u);
    const Result pdf = Run("render " + demo + " --view table -o " + Path("t.pdf"));
    ASSERT_EQ(pdf.status, 0) << pdf.err;
    EXPECT_EQ(ReadBytes(Path("t.pdf")).substr(0, 5), "%PDF-");
}

TEST_F(Qortool, RenderDrawsTheReferenceOscillogramOfAVFunctionFromItsScoFile)
{
    const std::string demo = (fs::path(BinaryDir()) / "examples" / "demo" / "DEMO.QOR").string();
    const std::string png = Path("osc.png");
    const Result drawn = Run("render " + demo + " --test 2 --vfunc 1 --cycle 1 -o " + png);
    ASSERT_EQ(drawn.status, 0) << drawn.err;
    EXPECT_EQ(drawn.out, png + ": 220x220\n1 мс на 1 дел.\n2,5 В на 1 дел.\n");
    const std::string withTrace = ReadBytes(png);
    EXPECT_EQ(PngSize(withTrace), (std::pair<unsigned, unsigned>{220, 220}));
    // Cycle 2 has no reference: the screen differs from cycle 1's.
    const Result empty = Run("render " + demo + " --test 2 --vfunc 1 --cycle 2 -o " + png);
    ASSERT_EQ(empty.status, 0) << empty.err;
    EXPECT_NE(ReadBytes(png), withTrace);

    const Result missing = Run("render " + demo + " --test 2 --vfunc 5 -o " + Path("x.png"));
    EXPECT_EQ(missing.status, 1);
    EXPECT_NE(missing.err.find("в тесте 2 нет V-функции 5"), std::string::npos) << missing.err;
    EXPECT_FALSE(fs::exists(dir / "x.png"));
    EXPECT_EQ(Run("render " + demo + " --vfunc 1 --cycle 17 -o " + Path("x.png")).status, 2);
    EXPECT_EQ(Run("render " + demo + " --cycle 2 -o " + Path("x.png")).status, 2);
    EXPECT_EQ(Run("render " + demo + " --vfunc 1 --view table -o " + Path("x.png")).status, 2);
}

TEST_F(Qortool, RenderRefusesMissingTestsAndBadOptions)
{
    const std::string demo = (fs::path(BinaryDir()) / "examples" / "demo" / "DEMO.QOR").string();
    const Result missing = Run("render " + demo + " --test 4 -o " + Path("x.png"));
    EXPECT_EQ(missing.status, 1);
    EXPECT_NE(missing.err.find("в файле нет теста 4 (тестов: 3)"), std::string::npos)
        << missing.err;
    EXPECT_FALSE(fs::exists(dir / "x.png"));
    EXPECT_EQ(Run("render " + demo + " --view chart -o " + Path("x.png")).status, 2);
    EXPECT_EQ(Run("render " + demo + " --test 0 -o " + Path("x.png")).status, 2);
    EXPECT_EQ(Run("render " + demo + " --width 10 -o " + Path("x.png")).status, 2);
    EXPECT_EQ(Run("render " + demo).status, 2);
    EXPECT_EQ(Run("render " + demo + " -o " + Path("no/such/dir/x.png")).status, 1);
}

} // namespace
