#include "model/words/waitconversion.h"

#include <gtest/gtest.h>

namespace qv {
namespace {

class FixedCalibration : public WaitCalibration
{
public:
    explicit FixedCalibration(std::optional<WaitTiming> timing)
        : m_timing(timing)
    {}
    std::optional<WaitTiming> TimingFor(int) const override { return m_timing; }

private:
    std::optional<WaitTiming> m_timing;
};

WaitTiming DosTiming()
{
    WaitTiming timing;
    timing.dosUnit = true;
    timing.k = 1.5;
    timing.b = 0.5;
    return timing;
}

WaitTiming TableTiming()
{
    WaitTiming timing;
    timing.t0 = 10;
    timing.dt = 2;
    return timing;
}

TEST(WaitConversion, PassCountsNeedNoCalibration)
{
    EXPECT_EQ(WaitTextToPasses("65535", 8, nullptr), 65535);
    EXPECT_EQ(WaitTextToPasses("0", 8, nullptr), 0);
    EXPECT_EQ(WaitTextToPasses("10 мс", 8, nullptr), std::nullopt);
    EXPECT_EQ(WaitTextToPasses("-3", 8, nullptr), std::nullopt);
    EXPECT_EQ(WaitTextToPasses("", 8, nullptr), std::nullopt);
    EXPECT_EQ(WaitPassesToText(40, 8, nullptr), "40");
    const FixedCalibration unavailable(std::nullopt);
    EXPECT_EQ(WaitPassesToText(40, 8, &unavailable), "40");
}

TEST(WaitConversion, LimitTextsAreAPassCountOrANumberWithAUnit)
{
    for (const char *text : {"0", "65535", "10 мс", "2,5 с", "0.5 мкс"}) {
        EXPECT_TRUE(WellFormedWaitText(text)) << text;
    }
    for (const char *text : {"", "-1", "10мс", "10 ms", "x мс", "10 мс ", " 10"}) {
        EXPECT_FALSE(WellFormedWaitText(text)) << text;
    }
}

TEST(WaitConversion, ADosUnitTakesWidthTimesKPlusBPerPass)
{
    const FixedCalibration calibration(DosTiming()); // 8 bits: 12.5 µs a pass
    EXPECT_EQ(WaitTextToPasses("125 мкс", 8, &calibration), 10);
    EXPECT_EQ(WaitTextToPasses("1 мс", 8, &calibration), 80);
    EXPECT_EQ(WaitTextToPasses("0,5 с", 8, &calibration), 40000);
    EXPECT_EQ(WaitPassesToText(10, 8, &calibration), "125 мкс");
    EXPECT_EQ(WaitPassesToText(80, 8, &calibration), "1 мс");
    EXPECT_EQ(WaitPassesToText(100001, 8, &calibration), "1.25 с");
}

TEST(WaitConversion, OtherUnitsUseTheWaitTable)
{
    const FixedCalibration calibration(TableTiming());
    EXPECT_EQ(WaitTextToPasses("10 мкс", 4, &calibration), 1);
    EXPECT_EQ(WaitTextToPasses("20 мкс", 4, &calibration), 6);
    // A time shorter than one pass still waits one pass, never "until match".
    EXPECT_EQ(WaitTextToPasses("1 мкс", 4, &calibration), 1);
    EXPECT_EQ(WaitPassesToText(6, 4, &calibration), "20 мкс");
    EXPECT_EQ(WaitPassesToText(0, 4, &calibration), "0");
    EXPECT_EQ(WaitTextToPasses("5 минут", 4, &calibration), std::nullopt);
}

TEST(WaitConversion, TimesUseTheFirstUnitBelowAThousandWithThreeDecimalsAtMost)
{
    EXPECT_EQ(FormatWaitTime(999.5), "999.5 мкс");
    EXPECT_EQ(FormatWaitTime(999.9996), "1 мс");
    EXPECT_EQ(FormatWaitTime(1234.5678), "1.235 мс");
    EXPECT_EQ(FormatWaitTime(2500000), "2.5 с");
    EXPECT_EQ(FormatWaitTime(5000000000.0), "5000 с");
    EXPECT_EQ(FormatWaitTime(0), "0 мкс");
}

} // namespace
} // namespace qv
