#include "paint/views/diagramgeometry.h"

#include <gtest/gtest.h>

namespace qv::views {
namespace {

// A font of 10 px digits: "12345678" is 13 px high, "1234567890?" 80 px
// wide, "1" 7 px wide.
DiagramGeometry Sample()
{
    return InitialGeometry({13, 80, 7});
}

TEST(DiagramGeometry, InitialSizesComeFromTheFontMeasures)
{
    const auto g = Sample();
    EXPECT_EQ(g.baseRowHeight, 18); // trunc(13 * 1.4)
    EXPECT_EQ(g.nameColWidth, 77);
    EXPECT_EQ(g.minTactWidth, 13);
    EXPECT_EQ(g.tactWidth, 13);
    EXPECT_EQ(g.rowHeight, 18);
    EXPECT_EQ(g.horizontalStep, 3);
    EXPECT_EQ(g.verticalStep, 0);
}

TEST(DiagramGeometry, ScaleDownStopsAtTheMinimumAndTheBaseHeight)
{
    auto g = Sample();
    ScaleDown(g);
    EXPECT_EQ(g.tactWidth, g.minTactWidth) << "no change at the minimum width";
    ScaleUp(g);
    ScaleUp(g);
    EXPECT_EQ(g.tactWidth, 19);
    EXPECT_EQ(g.rowHeight, 18) << "a vertical step of 0 never changes the rows";
    ScaleDown(g);
    EXPECT_EQ(g.tactWidth, 16);
    g.verticalStep = 5;
    ScaleUp(g);
    EXPECT_EQ(g.rowHeight, 23);
    ScaleDown(g);
    EXPECT_EQ(g.rowHeight, 23) << "23 - 5 would not stay above the base height";
    ScaleUp(g);
    ScaleUp(g);
    ScaleDown(g);
    EXPECT_EQ(g.rowHeight, 28);
}

TEST(DiagramGeometry, AutomaticFitKeepsTactsBetweenTheMinimumAndForty)
{
    auto g = Sample();
    g.rowHeight = 40;
    AutoFit(g, 600, 128, true);
    EXPECT_EQ(g.tactWidth, g.minTactWidth) << "128 tacts in a narrow window";
    EXPECT_EQ(g.rowHeight, g.baseRowHeight);
    AutoFit(g, 2000, 4, true);
    EXPECT_EQ(g.tactWidth, 40) << "4 tacts in a wide window";
    AutoFit(g, 354, 10, true); // (354 - 154) / 10
    EXPECT_EQ(g.tactWidth, 20);
    AutoFit(g, 2000, 4, false);
    EXPECT_EQ(g.tactWidth, g.minTactWidth) << "no signal lines";
    AutoFit(g, 2000, 0, true);
    EXPECT_EQ(g.tactWidth, g.minTactWidth);
}

TEST(DiagramGeometry, LevelOffsetsAreQuartersOfTheRow)
{
    const auto o = LevelOffsetsFor(18);
    EXPECT_EQ(o.high, 4);
    EXPECT_EQ(o.middle, 8);
    EXPECT_EQ(o.low, 12);
    EXPECT_EQ(LevelOffsetsFor(3).high, 0);
}

TEST(DiagramGeometry, RulerLabelsTactOneThenEveryFifth)
{
    EXPECT_EQ(RulerTact(2), 1); // first tact column
    EXPECT_EQ(RulerTact(5), 1);
    EXPECT_EQ(RulerTact(6), 5);
    EXPECT_EQ(RulerTact(8), 5); // tact 7
    EXPECT_EQ(RulerTact(11), 10);
    EXPECT_EQ(RulerTact(129), 125);
}

TEST(DiagramGeometry, DiagramHeightIsCappedByTheRoomAvailable)
{
    EXPECT_EQ(DiagramHeight(10, 18, 1000), 205);
    EXPECT_EQ(DiagramHeight(195, 18, 600), 600);
}

TEST(TableGeometry, ColumnsShareTheWidthByTheirRule)
{
    const auto w = TableColumnWidths(1020); // w = 1000
    EXPECT_EQ(w[0], 40);
    EXPECT_EQ(w[1], 288); // (1000 - 40) / 2 = 480; * 0.6
    EXPECT_EQ(w[4], 288);
    EXPECT_EQ(w[2], 96); // 480 * 0.4 * 0.5
    EXPECT_EQ(w[3], 96);
    EXPECT_EQ(w[5], 96);
    EXPECT_EQ(w[6], 96);
}

int Sum(const std::array<int, 7> &widths)
{
    int sum = 0;
    for (const int w : widths)
        sum += w;
    return sum;
}

TEST(TableGeometry, ColumnsShortOfRoomTakeItFromTheOthersOrTheTableGrows)
{
    const auto plain = TableColumnWidths(1020);
    EXPECT_EQ(FittedTableColumnWidths(1020, {}), plain) << "nothing needed: as before";

    // Columns 0 and 6 need more; the others can spare it, the total stays.
    const std::array<int, 7> needs{60, 100, 50, 50, 100, 50, 130};
    const auto fitted = FittedTableColumnWidths(1020, needs);
    for (std::size_t c = 0; c < needs.size(); ++c)
        EXPECT_GE(fitted[c], needs[c]) << c;
    EXPECT_EQ(Sum(fitted), Sum(plain));
    EXPECT_LT(fitted[1], plain[1]) << "the wide name column gave room";

    // Too little room in a narrow table: every column gets what it needs.
    const auto narrow = FittedTableColumnWidths(300, needs);
    EXPECT_EQ(narrow, needs);
}

} // namespace
} // namespace qv::views
