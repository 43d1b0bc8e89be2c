#include "infra/plural.h"

#include <gtest/gtest.h>
#include <limits>

namespace qv {
namespace {

TEST(Plural, TheLastDigitsChooseTheFormAndTheTeensTakeTheManyForm)
{
    const struct
    {
        std::int64_t count;
        std::string_view form;
    } cases[] = {
        {0, "тестов"},  {1, "тест"},     {2, "теста"},   {4, "теста"},    {5, "тестов"},
        {11, "тестов"}, {12, "тестов"},  {14, "тестов"}, {20, "тестов"},  {21, "тест"},
        {22, "теста"},  {25, "тестов"},  {101, "тест"},  {111, "тестов"}, {112, "тестов"},
        {1001, "тест"}, {1004, "теста"}, {-1, "тест"},   {-13, "тестов"}, {-22, "теста"},
    };
    for (const auto &c : cases)
        EXPECT_EQ(PluralForm(c.count, kTestNoun), c.form) << c.count;
}

TEST(Plural, CountedTextsReadAsRussian)
{
    EXPECT_EQ(Counted(3, kTestNoun), "3 теста");
    EXPECT_EQ(Counted(5, kTestNoun), "5 тестов");
    EXPECT_EQ(Counted(1, kErrorNoun), "1 ошибка");
    EXPECT_EQ(Counted(2, kErrorNoun), "2 ошибки");
    EXPECT_EQ(Counted(11, kErrorNoun), "11 ошибок");
    EXPECT_EQ(Counted(21, kPassNoun), "21 прогон");
    EXPECT_EQ(Counted(3, kByteNoun), "3 байта");
    EXPECT_EQ(Counted(10240, kByteNoun), "10240 байт");
}

TEST(Plural, TheExtremeCountsDoNotOverflow)
{
    EXPECT_EQ(PluralForm(std::numeric_limits<std::int64_t>::min(), kTestNoun), "тестов");
    EXPECT_EQ(PluralForm(std::numeric_limits<std::int64_t>::max(), kTestNoun), "тестов");
}

} // namespace
} // namespace qv
