// qortool over real files. A test file survives a load and a save: `qortool
// unpack` of a file and of the same file after `qortool resave` differ only
// in the save date (and in the creation date where the file had none).

#include "builddirs.h"
#include "infra/encoding.h"
#include "maximalfile.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <sstream>
#include <string>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;

namespace {

using qv::testing::BinaryDir;

std::string Quote(const fs::path &path)
{
    std::string quoted(1, '\'');
    quoted += path.string();
    quoted += '\'';
    return quoted;
}

// Runs qortool with the arguments; stdout and stderr go to files in dir.
int Qortool(const fs::path &dir, const std::string &arguments)
{
    const std::string command = Quote(BinaryDir() / "bin" / "qortool") + " " + arguments + " >" +
                                Quote(dir / "stdout.txt") + " 2>" + Quote(dir / "stderr.txt");
    const int status = std::system(command.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

std::string ReadText(const fs::path &path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

void WriteBytes(const fs::path &path, const std::string &bytes)
{
    std::ofstream out(path, std::ios::binary);
    out << bytes;
}

std::vector<std::string> Lines(const std::string &text)
{
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        lines.push_back(line);
    }
    return lines;
}

class QortoolFiles : public ::testing::Test
{
protected:
    void SetUp() override
    {
        dir = fs::temp_directory_path() /
              ("qv-roundtrip-" + std::to_string(getpid()) + "-" +
               ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(dir);
        fs::create_directories(dir);
    }
    void TearDown() override { fs::remove_all(dir); }

    std::string Unpack(const fs::path &file, const std::string &dumpName)
    {
        EXPECT_EQ(Qortool(dir, "unpack " + Quote(file) + " -o " + Quote(dir / dumpName)), 0)
            << ReadText(dir / "stderr.txt");
        return ReadText(dir / dumpName);
    }

    // Unpacks, resaves in place, unpacks again and compares.
    void ExpectSurvivesResave(const fs::path &file)
    {
        const auto before = Lines(Unpack(file, "before.qordump"));
        ASSERT_EQ(Qortool(dir, "resave " + Quote(file)), 0) << ReadText(dir / "stderr.txt");
        const auto after = Lines(Unpack(file, "after.qordump"));
        ASSERT_EQ(before.size(), after.size());
        int changedDates = 0;
        for (std::size_t i = 0; i < before.size(); ++i) {
            const bool saveDate = before[i].starts_with("FMODIFIED=");
            const bool unknownCreation = before[i] == "FCREATE=";
            if (saveDate || unknownCreation) {
                EXPECT_EQ(after[i].substr(0, after[i].find('=')),
                          before[i].substr(0, before[i].find('=')));
                changedDates += before[i] != after[i] ? 1 : 0;
                continue;
            }
            EXPECT_EQ(before[i], after[i]) << "line " << i + 1;
        }
        EXPECT_EQ(changedDates, 1); // the save date, written now
    }

    fs::path dir;
};

TEST_F(QortoolFiles, TheDemoBoardSurvivesAResave)
{
    const fs::path demo = BinaryDir() / "examples" / "demo";
    ASSERT_TRUE(fs::exists(demo / "DEMO.QOR")) << demo;
    for (const auto &entry : fs::directory_iterator(demo)) {
        fs::copy(entry.path(), dir / entry.path().filename());
    }
    ExpectSurvivesResave(dir / "DEMO.QOR");
}

TEST_F(QortoolFiles, AFileAtEveryLimitOfTheModelSurvivesAResave)
{
    const auto file = qortool::MaximalTestFile("MAX.CNT");
    WriteBytes(dir / "MAX.QOR", file.qor);
    WriteBytes(dir / "MAX.CNT", file.cnt);
    ExpectSurvivesResave(dir / "MAX.QOR");

    // The file holds what it should: every section kind of every test.
    const std::string dump = ReadText(dir / "after.qordump");
    for (const char *section :
         {"[DIAGRAMM]", "[IWORDS16]", "[OWORDS16]", "[GWORDS16]", "[FFUNCS16]", "[MFUNCS16]",
          "[PFUNCS16]", "[VFUNCS16]", "[SFUNCS16]"}) {
        std::size_t count = 0;
        for (std::size_t at = dump.find(section); at != std::string::npos;
             at = dump.find(section, at + 1)) {
            ++count;
        }
        EXPECT_EQ(count, static_cast<std::size_t>(qortool::kMaximalTests)) << section;
    }
    EXPECT_NE(dump.find("Z15="), std::string::npos);
    EXPECT_NE(dump.find("192=191\\a"), std::string::npos);
}

TEST_F(QortoolFiles, AMalformedWordSectionStopsTheLoadWithAClearMessage)
{
    const auto file = qortool::MaximalTestFile("MAX.CNT");
    WriteBytes(dir / "MAX.QOR", file.qor);
    WriteBytes(dir / "MAX.CNT", file.cnt);
    std::string dump = Unpack(dir / "MAX.QOR", "max.qordump");
    const std::size_t at = dump.find("[OWORDS3]\nNAME=Выход 3\nTYRE=");
    ASSERT_NE(at, std::string::npos);
    const std::size_t value = dump.find("TYRE=", at) + 5;
    dump.replace(value, dump.find('\n', value) - value, "шесть");
    WriteBytes(dir / "bad.qordump", dump);
    ASSERT_EQ(Qortool(dir, "pack " + Quote(dir / "bad.qordump") + " -o " + Quote(dir / "BAD.QOR")),
              0)
        << ReadText(dir / "stderr.txt");
    fs::copy(dir / "MAX.CNT", dir / "BAD.CNT");

    EXPECT_NE(Qortool(dir, "verify " + Quote(dir / "BAD.QOR")), 0);
    const std::string shown = ReadText(dir / "stderr.txt") + ReadText(dir / "stdout.txt");
    EXPECT_NE(shown.find("Тест 1"), std::string::npos) << shown;
    EXPECT_NE(shown.find("OWORDS3"), std::string::npos) << shown;
    EXPECT_NE(shown.find("TYRE"), std::string::npos) << shown;
    EXPECT_NE(shown.find("шесть"), std::string::npos) << shown;
}

TEST_F(QortoolFiles, InfoShowsTheModelOfEveryTestAndItsDiagramNotes)
{
    const auto file = qortool::MaximalTestFile("MAX.CNT");
    WriteBytes(dir / "MAX.QOR", file.qor);
    WriteBytes(dir / "MAX.CNT", file.cnt);
    ASSERT_EQ(Qortool(dir, "info " + Quote(dir / "MAX.QOR")), 0) << ReadText(dir / "stderr.txt");
    const std::string shown = ReadText(dir / "stdout.txt");
    const auto count = [&](const std::string &text) {
        std::size_t n = 0;
        for (auto at = shown.find(text); at != std::string::npos; at = shown.find(text, at + 1)) {
            ++n;
        }
        return n;
    };
    EXPECT_EQ(count("циклов: 16, начальный такт: 3, тактов: 128, линий: 192"), 20u) << shown;
    EXPECT_EQ(count("слова: i 16, o 16, g 16"), 20u);
    EXPECT_EQ(count("функции: F 16, M 16, P 16, V 16, S 16"), 20u);
    EXPECT_EQ(count("записей зонда: 32"), 20u);
    EXPECT_EQ(count("замечания к диаграмме:"), 20u);
    EXPECT_NE(shown.find("     Такт №"), std::string::npos);
}

} // namespace
