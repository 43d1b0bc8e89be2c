#include "paint/grid/gridgeometry.h"

#include <gtest/gtest.h>

namespace qv::grid {
namespace {

// 1 fixed column of 50 px, then 10 columns of 20 px; 2 fixed rows of 10 px,
// then 6 rows of 15 px.
Geometry Sample()
{
    Geometry g;
    g.colWidths = {50, 20, 20, 20, 20, 20, 20, 20, 20, 20, 20};
    g.rowHeights = {10, 10, 15, 15, 15, 15, 15, 15};
    g.fixedCols = 1;
    g.fixedRows = 2;
    g.leftCol = 1;
    g.topRow = 2;
    return g;
}

TEST(GridGeometry, VisibleLinesAreTheFixedOnesThenTheScrolledOnesUpToTheViewport)
{
    auto g = Sample();
    EXPECT_EQ(VisibleCols(g, 100), (std::vector<int>{0, 1, 2, 3}));
    EXPECT_EQ(VisibleCols(g, 91), (std::vector<int>{0, 1, 2, 3}));
    EXPECT_EQ(VisibleCols(g, 90), (std::vector<int>{0, 1, 2}));
    g.leftCol = 5;
    EXPECT_EQ(VisibleCols(g, 100), (std::vector<int>{0, 5, 6, 7}));
    EXPECT_EQ(VisibleRows(g, 21), (std::vector<int>{0, 1, 2}));
    EXPECT_EQ(VisibleCols(g, 10), (std::vector<int>{0}));
    EXPECT_TRUE(VisibleCols(g, 0).empty());
}

TEST(GridGeometry, HiddenLinesTakeNoSpaceAndAreNotPainted)
{
    auto g = Sample();
    g.colWidths[2] = 0;
    EXPECT_EQ(VisibleCols(g, 100), (std::vector<int>{0, 1, 3, 4}));
    EXPECT_EQ(ColX(g, 3), 70);
    EXPECT_EQ(HitTest(g, 75, 0), (Cell{3, 0}));
}

TEST(GridGeometry, CellRectsAndHitTestsAgreeForEveryVisibleCell)
{
    auto g = Sample();
    g.leftCol = 4;
    g.topRow = 3;
    for (const int c : VisibleCols(g, 200)) {
        for (const int r : VisibleRows(g, 200)) {
            const auto rect = CellRect(g, {c, r});
            ASSERT_TRUE(rect.has_value());
            EXPECT_EQ(HitTest(g, rect->x, rect->y), (Cell{c, r}));
            EXPECT_EQ(HitTest(g, rect->x + rect->width - 1, rect->y + rect->height - 1),
                      (Cell{c, r}));
        }
    }
    EXPECT_EQ(CellRect(g, {4, 3}), (Rect{50, 20, 20, 15}));
    EXPECT_FALSE(CellRect(g, {2, 3}).has_value()) << "scrolled out to the left";
    EXPECT_FALSE(CellRect(g, {4, 2}).has_value()) << "scrolled out above";
    EXPECT_FALSE(CellRect(g, {11, 2}).has_value()) << "no such column";
    EXPECT_FALSE(HitTest(g, -1, 5).has_value());
    EXPECT_FALSE(HitTest(g, 1000, 5).has_value()) << "beyond the last column";
}

TEST(GridGeometry, ScrollingStopsWhereTheLastLineReachesTheFarEdge)
{
    auto g = Sample();
    // 10 scrolling columns of 20 px; a 110 px viewport leaves 60 px: 3 columns.
    EXPECT_EQ(MaxLeftCol(g, 110), 8);
    EXPECT_EQ(MaxLeftCol(g, 1000), 1) << "everything fits: no scrolling";
    EXPECT_EQ(MaxLeftCol(g, 55), 10) << "always at least one scrolling column";
    g.leftCol = 50;
    g.topRow = -3;
    ClampScroll(g, 110, 50);
    EXPECT_EQ(g.leftCol, 8);
    EXPECT_EQ(g.topRow, 2);
}

TEST(GridGeometry, ScrollIntoViewMovesTheLeastNeeded)
{
    auto g = Sample();
    ScrollIntoView(g, {6, 2}, 110, 100); // 60 px of room: columns 4..6
    EXPECT_EQ(g.leftCol, 4);
    ScrollIntoView(g, {5, 2}, 110, 100); // already visible
    EXPECT_EQ(g.leftCol, 4);
    ScrollIntoView(g, {2, 2}, 110, 100);
    EXPECT_EQ(g.leftCol, 2);
    ScrollIntoView(g, {0, 7}, 110, 50); // a fixed column never scrolls
    EXPECT_EQ(g.leftCol, 2);
    EXPECT_EQ(g.topRow, 6); // 30 px of room: rows 6..7
}

} // namespace
} // namespace qv::grid
