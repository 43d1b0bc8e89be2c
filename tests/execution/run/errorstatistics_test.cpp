#include "execution/run/errorstatistics.h"
#include "support/model/docbuilder.h"

#include <gtest/gtest.h>

namespace qv {
namespace {

using diagnosis::WrongRead;

// Passes that read the same wrong values share one record, whether they
// follow each other or come back after a pass that failed otherwise.
TEST(ErrorStatistics, FailingPassesThatReadTheSameValuesShareOneRecord)
{
    testing::DocBuilder d;
    d.AddBus({1, 2, 3, 4});
    STest &test = d.AddTest("", "", 2);
    d.AddWord(test.OWords, 1, "o1", 0, 1, "5/5");
    const std::vector<CountedWords> failed{{0, std::string(1, '\x01'), {}}};
    ErrorStatistics statistics;
    const auto pass = [&](int number, const char *read) {
        test.OWords.Find(1)->Run = read;
        statistics.CountPass(number, d.doc, failed);
    };
    pass(1, "7/5");
    pass(2, "7/5");
    pass(3, "5/4");
    statistics.CountCleanPass(4);
    pass(5, "7/5");
    pass(6, "5/4");

    const diagnosis::RunPasses passes = statistics.FailingPasses();
    EXPECT_EQ(passes.passes, 6);
    ASSERT_EQ(passes.failing.size(), 2u);
    EXPECT_EQ(passes.failing[0].reads, (std::vector<WrongRead>{{0, 1, 0, 7}}));
    EXPECT_EQ(passes.failing[0].passes, (std::vector<int>{1, 2, 5}));
    EXPECT_EQ(passes.failing[1].reads, (std::vector<WrongRead>{{0, 1, 1, 4}}));
    EXPECT_EQ(passes.failing[1].passes, (std::vector<int>{3, 6}));
    ASSERT_EQ(statistics.Words().size(), 1u);
    EXPECT_EQ(statistics.Words()[0].tally.failingPasses, 5);
}

} // namespace
} // namespace qv
