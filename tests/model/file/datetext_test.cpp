#include "infra/daycount.h"
#include "model/file/datetext.h"

#include <gtest/gtest.h>

namespace qv {
namespace {

double Moment(int y, int mo, int d, int h = 0, int mi = 0, int s = 0)
{
    DateTimeParts parts;
    parts.year = y;
    parts.month = mo;
    parts.day = d;
    parts.hour = h;
    parts.minute = mi;
    parts.second = s;
    return ToDayCount(parts);
}

TEST(DateText, WritesDayMonthYearAnd24HourTime)
{
    EXPECT_EQ(DateTimeText(Moment(2024, 3, 5, 7, 8, 9)), "05.03.2024 07:08:09");
    EXPECT_EQ(DateTimeText(Moment(1999, 12, 31, 23, 59, 59)), "31.12.1999 23:59:59");
    EXPECT_EQ(IsoDateTimeText(Moment(2024, 3, 5, 7, 8, 9)), "2024-03-05T07:08:09");
}

TEST(DateText, ReadsWhatItWritesAndTheOtherCommonForms)
{
    const double m = Moment(2024, 3, 5, 7, 8, 9);
    EXPECT_EQ(ParseDateTimeText(DateTimeText(m)), m);
    EXPECT_EQ(ParseDateTimeText(IsoDateTimeText(m)), m);
    EXPECT_EQ(ParseDateTimeText("5.3.2024 7:08:09"), m);
    EXPECT_EQ(ParseDateTimeText("05/03/2024 07:08:09"), m);
    EXPECT_EQ(ParseDateTimeText("05.03.24 07:08:09"), m);
    EXPECT_EQ(ParseDateTimeText("5 марта 2024 г. 7:08:09"), m);
    EXPECT_EQ(ParseDateTimeText("  05.03.2024  "), Moment(2024, 3, 5));
    EXPECT_EQ(ParseDateTimeText("05.03.2024 7:08"), Moment(2024, 3, 5, 7, 8));
    EXPECT_EQ(ParseDateTimeText("05.03.99"), Moment(1999, 3, 5));
    EXPECT_EQ(ParseDateTimeText("2024-03-05"), Moment(2024, 3, 5));
}

TEST(DateText, UnreadableTextReadsAsZero)
{
    for (const char *text : {"", "вчера", "32.01.2024", "29.02.2023", "05.13.2024",
                             "05.03.2024 25:00", "05.03.2024 7", "05.03.2024 07:08:09 лишнее",
                             "05.03.2024 7:8", "5 мартобря 2024", "05.03.2024T07:08:09"}) {
        EXPECT_EQ(DateTimeValue(text), 0) << text;
        EXPECT_FALSE(ParseDateTimeText(text).has_value()) << text;
    }
}

} // namespace
} // namespace qv
