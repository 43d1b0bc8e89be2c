#include "infra/encoding.h"
#include "infra/fatalerror.h"
#include "support/common/tempdir.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <iterator>
#include <unistd.h>

namespace qv {
namespace {

using testing::ReadBytes;

class ExceptionLogTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        log = std::filesystem::temp_directory_path() /
              ("qv_exception_" + std::to_string(::getpid()) + "_" +
               ::testing::UnitTest::GetInstance()->current_test_info()->name() + ".log");
        std::filesystem::remove(log);
    }
    void TearDown() override { std::filesystem::remove(log); }

    std::filesystem::path log;
};

TEST(ExceptionLogBlock, HasTheFiveLinesInTheirFixedForm)
{
    const std::string block =
        ExceptionLogBlock("Деление на ноль", {2026, 3, 7, 9, 5, 4, 0}, "/opt/quorvik/quorvik");
    EXPECT_EQ(block, std::string(63, '~') + "\r\n"
                                            "Generate exception at 07 марта 2026 09:05.04\r\n"
                                            "Module Name: /opt/quorvik/quorvik\r\n"
                                            "Exception message: Деление на ноль\r\n"
                                            "Деление на ноль\r\n");
}

TEST_F(ExceptionLogTest, TwoFailuresAppendTwoBlocksAndKeepEarlierContent)
{
    std::ofstream(log, std::ios::binary) << "earlier\r\n";
    ASSERT_TRUE(AppendExceptionLog(log, "first", {2026, 1, 1, 0, 0, 0, 0}, "m"));
    ASSERT_TRUE(AppendExceptionLog(log, "второй", {2026, 1, 1, 0, 0, 1, 0}, "m"));
    const std::string content = ReadBytes(log);
    EXPECT_EQ(content.rfind("earlier\r\n", 0), 0u);
    EXPECT_EQ(content,
              "earlier\r\n" +
                  Utf8ToCp1251(ExceptionLogBlock("first", {2026, 1, 1, 0, 0, 0, 0}, "m")) +
                  Utf8ToCp1251(ExceptionLogBlock("второй", {2026, 1, 1, 0, 0, 1, 0}, "m")));
}

TEST_F(ExceptionLogTest, CharactersOutsideTheCodePageAreSpelledOutNotDropped)
{
    ASSERT_TRUE(AppendExceptionLog(log, "bad Ω", {2026, 1, 1, 0, 0, 0, 0}, "m"));
    EXPECT_NE(ReadBytes(log).find("bad <U+03A9>"), std::string::npos);
}

TEST_F(ExceptionLogTest, AnUnwritableLogIsReportedAndNotFatal)
{
    EXPECT_FALSE(AppendExceptionLog("/nonexistent-dir/Exception.log", "x", {}, "m"));
}

TEST_F(ExceptionLogTest, HandlerLogsThenCarriesOutTheOperatorsChoice)
{
    int shown = 0;
    FatalChoice answer = FatalChoice::Continue;
    TExcept handler(log, [&](const std::string &message) {
        ++shown;
        EXPECT_EQ(message, "сбой");
        return answer;
    });
    int closed = 0;
    handler.SetCloseCallback([&] { ++closed; });
    EXPECT_EQ(handler.Handle("сбой"), FatalChoice::Continue);
    EXPECT_EQ(closed, 0);
    answer = FatalChoice::Close;
    EXPECT_EQ(handler.Handle("сбой"), FatalChoice::Close);
    EXPECT_EQ(closed, 1);
    EXPECT_EQ(shown, 2);
    const std::string content = ReadBytes(log);
    EXPECT_NE(content.find("Exception message: " + Utf8ToCp1251("сбой")), std::string::npos);
    EXPECT_NE(content.find(std::string(63, '~')), content.rfind(std::string(63, '~')))
        << "two blocks";
}

} // namespace
} // namespace qv
