// qortool compile and disasm over the demo board.

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <sstream>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;

struct Outcome
{
    int status = -1;
    std::string out;
};

class QortoolCompile : public ::testing::Test
{
protected:
    void SetUp() override
    {
        const char *binary = std::getenv("QORVIK_BINARY_DIR");
        bin = binary ? binary : ".";
        dir = fs::temp_directory_path() / ("qv_compile_" + std::to_string(::getpid()));
        fs::remove_all(dir);
        fs::create_directories(dir);
        for (const auto &entry : fs::directory_iterator(fs::path(bin) / "examples" / "demo"))
            fs::copy_file(entry.path(), dir / entry.path().filename());
    }
    void TearDown() override { fs::remove_all(dir); }

    Outcome Run(const std::string &arguments) const
    {
        const std::string command = bin + "/bin/qortool " + arguments + " 2>/dev/null";
        Outcome result;
        FILE *pipe = ::popen(command.c_str(), "r");
        char buffer[4096];
        std::size_t got = 0;
        while ((got = std::fread(buffer, 1, sizeof buffer, pipe)) > 0)
            result.out.append(buffer, got);
        const int status = ::pclose(pipe);
        result.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        return result;
    }
    std::string Demo() const { return (dir / "DEMO.QOR").string(); }
    std::string Image() const { return (dir / "demo.img").string(); }

    std::string bin;
    fs::path dir;
};

TEST_F(QortoolCompile, CompilesTheDemoTestWithItsCalledTestAndListsIt)
{
    const Outcome compiled = Run("compile " + Demo() + " --test 3 -o " + Image());
    ASSERT_EQ(compiled.status, 0) << compiled.out;
    EXPECT_NE(compiled.out.find("тестов: 2"), std::string::npos);
    const Outcome listing = Run("disasm " + Image());
    ASSERT_EQ(listing.status, 0);
    EXPECT_NE(listing.out.find("Флаги: 0x00 (нет)"), std::string::npos);
    EXPECT_NE(listing.out.find("Тест №3:"), std::string::npos);
    EXPECT_NE(listing.out.find("Тест №1:"), std::string::npos);
    EXPECT_LT(listing.out.find("Тест №3:"), listing.out.find("Тест №1:"));
    EXPECT_NE(listing.out.find("шина 0 (8 бит): 272 273"), std::string::npos);
}

TEST_F(QortoolCompile, WritesTheDebugHeaderForTheChosenCycleAndTacts)
{
    ASSERT_EQ(Run("compile " + Demo() +
                  " --test 1 --debug --cycle 2 --first 3 --last 9 --unit-type arm -o " + Image())
                  .status,
              0);
    const Outcome listing = Run("disasm " + Image());
    EXPECT_NE(listing.out.find("Флаги: 0x01 (отладка)"), std::string::npos);
    EXPECT_NE(listing.out.find("Отладка: цикл 2, такты 3..9"), std::string::npos);
    EXPECT_NE(listing.out.find("шина 0 (8 бит): 0 1 2"), std::string::npos);
}

TEST_F(QortoolCompile, RefusesBadRequestsAndDamagedImages)
{
    EXPECT_EQ(Run("compile " + Demo() + " -o " + Image()).status, 2);
    EXPECT_EQ(Run("compile " + Demo() + " --test 9 -o " + Image()).status, 1);
    // The function test's written data file exists: without --yes the
    // overwrite question is answered No.
    EXPECT_EQ(Run("compile " + Demo() + " --test 2 -o " + Image()).status, 1);
    EXPECT_EQ(Run("compile " + Demo() + " --test 2 --yes -o " + Image()).status, 0);
    std::ofstream(dir / "bad.img", std::ios::binary) << std::string("\x00\x01\x08", 3);
    EXPECT_EQ(Run("disasm " + (dir / "bad.img").string()).status, 1);
}

} // namespace
