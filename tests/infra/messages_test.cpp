#include "infra/messages.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <iterator>
#include <regex>
#include <set>
#include <string>

namespace qv {
namespace {

// The message numbers the program's sources name: every number inside a
// Msg(...) call, and the named message constants (kMsg..., k...Message,
// Msg... enumerators) with their values.
std::set<int> NumbersTheSourcesShow()
{
    const std::regex call(R"(\bMsg\(([^;{}]*?)\)\s*[,;)+.])");
    const std::regex constant(R"(\b(?:kMsg\w*|k\w*Message|Msg[A-Z]\w*)\s*=\s*(\d+))");
    const std::regex number(R"(\b(\d+)\b)");
    std::set<int> numbers;
    for (const char *folder : {"src", "tools"}) {
        for (const auto &entry : std::filesystem::recursive_directory_iterator(
                 std::filesystem::path(QV_SOURCE_DIR) / folder)) {
            const auto extension = entry.path().extension();
            if (!entry.is_regular_file() || (extension != ".cpp" && extension != ".h"))
                continue;
            std::ifstream in(entry.path());
            const std::string text((std::istreambuf_iterator<char>(in)), {});
            for (std::sregex_iterator m(text.begin(), text.end(), call), end; m != end; ++m) {
                const std::string arguments = (*m)[1];
                for (std::sregex_iterator n(arguments.begin(), arguments.end(), number); n != end;
                     ++n)
                    numbers.insert(std::stoi((*n)[1]));
            }
            for (std::sregex_iterator m(text.begin(), text.end(), constant), end; m != end; ++m)
                numbers.insert(std::stoi((*m)[1]));
        }
    }
    return numbers;
}

TEST(Catalogue, EveryNumberTheSourcesShowHasAText)
{
    const std::set<int> used = NumbersTheSourcesShow();
    // The scan itself must find the calls, or the test proves nothing.
    ASSERT_GT(used.size(), 40U);
    EXPECT_TRUE(used.count(MsgNotANumberInBase) == 1 && used.count(38) == 1);
    for (const int n : used) {
        EXPECT_TRUE(HasCatalogueMessage(n)) << n;
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
