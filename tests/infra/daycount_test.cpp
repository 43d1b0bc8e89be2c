#include "infra/daycount.h"

#include <gtest/gtest.h>

namespace qv {
namespace {

TEST(DayCount, KnownMomentsHaveTheirDayCounts)
{
    EXPECT_DOUBLE_EQ(ToDayCount({1899, 12, 30, 0, 0, 0, 0}), 0.0);
    EXPECT_DOUBLE_EQ(ToDayCount({1900, 1, 1, 0, 0, 0, 0}), 2.0);
    EXPECT_DOUBLE_EQ(ToDayCount({2000, 1, 1, 0, 0, 0, 0}), 36526.0);
    EXPECT_DOUBLE_EQ(ToDayCount({2000, 1, 1, 12, 0, 0, 0}), 36526.5);
    EXPECT_DOUBLE_EQ(ToDayCount({1899, 12, 29, 6, 0, 0, 0}), -1.25);
}

TEST(DayCount, PartsSurviveARoundTripToTheMillisecond)
{
    const DateTimeParts samples[] = {
        {2026, 12, 9, 4, 56, 15, 123}, {1999, 2, 28, 23, 59, 59, 999}, {2000, 2, 29, 0, 0, 0, 1},
        {1899, 12, 30, 0, 0, 0, 0},    {1850, 6, 15, 18, 30, 0, 0},
    };
    for (const auto &p : samples)
        EXPECT_EQ(FromDayCount(ToDayCount(p)), p) << p.year << "-" << p.month << "-" << p.day;
}

TEST(DayCount, NonsenseCountsGiveTheEpochInsteadOfGarbage)
{
    EXPECT_EQ(FromDayCount(1e300), DateTimeParts{});
    EXPECT_EQ(FromDayCount(std::numeric_limits<double>::quiet_NaN()), DateTimeParts{});
}

TEST(DayCount, ValidityChecksEveryField)
{
    EXPECT_TRUE(IsValidDateTime({2024, 2, 29, 0, 0, 0, 0}));
    EXPECT_FALSE(IsValidDateTime({2023, 2, 29, 0, 0, 0, 0}));
    EXPECT_FALSE(IsValidDateTime({2023, 13, 1, 0, 0, 0, 0}));
    EXPECT_FALSE(IsValidDateTime({2023, 1, 1, 24, 0, 0, 0}));
    EXPECT_FALSE(IsValidDateTime({2023, 1, 1, 0, 60, 0, 0}));
}

TEST(DayCount, MonthNamesAreRussian)
{
    EXPECT_STREQ(MonthName(1), "Январь");
    EXPECT_STREQ(MonthNameGenitive(12), "декабря");
    EXPECT_STREQ(MonthName(13), "");
}

} // namespace
} // namespace qv
