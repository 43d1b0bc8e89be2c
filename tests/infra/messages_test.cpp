#include "infra/messages.h"

#include <gtest/gtest.h>
#include <string>

namespace qv {
namespace {

TEST(Catalogue, EveryNumberTheProgramShowsHasAText)
{
    const int used[] = {0,  1,  2,  3,   4,   5,   6,   7,   8,   9,   10,  11,  12, 13,
                        14, 15, 16, 17,  18,  19,  20,  21,  23,  24,  25,  26,  28, 29,
                        30, 32, 33, 34,  35,  36,  37,  38,  40,  42,  43,  44,  45, 46,
                        47, 48, 49, 50,  51,  52,  53,  54,  55,  56,  57,  58,  59, 60,
                        61, 62, 67, 114, 115, 116, 117, 118, 119, 120, 121, 127, 128};
    for (const int n : used) {
        EXPECT_TRUE(HasCatalogueMessage(n)) << n;
        EXPECT_FALSE(Msg(n).empty()) << n;
        EXPECT_EQ(Msg(n).find("отсутствует в каталоге"), std::string::npos) << n;
    }
}

TEST(Catalogue, TextsEndTheWayTheirCallersContinueThem)
{
    const auto endsWith = [](const std::string &s, const std::string &tail) {
        return s.size() >= tail.size() && s.compare(s.size() - tail.size(), tail.size(), tail) == 0;
    };
    EXPECT_TRUE(endsWith(Msg(MsgNotANumberInBase), " счисления"));
    EXPECT_TRUE(endsWith(Msg(MsgEndNotAboveStart), " больше начального"));
    EXPECT_TRUE(endsWith(Msg(8), "от 1 до количества")) << "followed by \" циклов (N)\"";
    EXPECT_TRUE(endsWith(Msg(40), "(")) << "followed by the tact count and \")\"";
    EXPECT_TRUE(endsWith(Msg(58), "\"")) << "followed by the name and a closing quote";
    EXPECT_TRUE(endsWith(Msg(13), "№")) << "followed by the function number";
}

TEST(Catalogue, UnknownNumbersGiveAVisiblePlaceholder)
{
    EXPECT_FALSE(HasCatalogueMessage(22));
    EXPECT_FALSE(HasCatalogueMessage(-1));
    EXPECT_FALSE(HasCatalogueMessage(100000));
    EXPECT_NE(Msg(22).find("22"), std::string::npos);
    EXPECT_NE(Msg(-5).find("-5"), std::string::npos);
}

TEST(Catalogue, NumbersAreListedAscendingWithoutDuplicates)
{
    const auto numbers = CatalogueNumbers();
    ASSERT_FALSE(numbers.empty());
    for (std::size_t i = 1; i < numbers.size(); ++i)
        EXPECT_LT(numbers[i - 1], numbers[i]);
    for (const int n : numbers)
        EXPECT_TRUE(HasCatalogueMessage(n));
}

} // namespace
} // namespace qv
