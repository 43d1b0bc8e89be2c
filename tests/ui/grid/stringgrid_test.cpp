#include "ui/grid/stringgrid.h"

#include <QImage>
#include <QPainter>
#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>
#include <set>
#include <utility>

namespace qv {
namespace {

TEST(StringGrid, KeepsCellTextsWhenResizedAndIgnoresOutOfRangeAccess)
{
    StringGrid g;
    g.SetColCount(3);
    g.SetRowCount(3);
    g.SetCell(2, 2, "x");
    g.SetCell(1, 0, "Такт");
    g.SetCell(5, 5, "lost");
    EXPECT_EQ(g.Cell(5, 5), QString());
    g.SetColCount(10);
    g.SetRowCount(4);
    EXPECT_EQ(g.Cell(2, 2), "x");
    EXPECT_EQ(g.Cell(1, 0), "Такт");
    g.SetColCount(2);
    EXPECT_EQ(g.Cell(1, 0), "Такт");
    EXPECT_EQ(g.Cell(2, 2), QString());
    EXPECT_EQ(g.Cell(-1, 0), QString());
}

TEST(StringGrid, PaintsOnlyTheVisibleCellsThroughThePainter)
{
    StringGrid g;
    g.SetColCount(130);
    g.SetRowCount(200);
    g.SetDefaultColWidth(10);
    g.SetDefaultRowHeight(10);
    g.resize(200, 150);
    std::set<std::pair<int, int>> painted;
    unsigned fixedState = 0;
    g.SetCellPainter([&](QPainter &, const StringGrid::CellPaint &c) {
        painted.insert({c.col, c.row});
        if (c.col == 0 && c.row == 0)
            fixedState = c.state;
    });
    QImage image(200, 150, QImage::Format_ARGB32);
    QPainter p(&image);
    g.PaintCells(p, QRect(0, 0, 100, 50));
    EXPECT_EQ(painted.size(), 10u * 5u);
    EXPECT_TRUE(painted.count({9, 4}));
    EXPECT_FALSE(painted.count({10, 0}));
    EXPECT_TRUE(fixedState & StringGrid::StateFixed);
}

TEST(StringGrid, FocusedCellIsMarkedAndClicksReportTheirCell)
{
    StringGrid g;
    g.SetColCount(10);
    g.SetRowCount(10);
    g.SetDefaultColWidth(20);
    g.SetDefaultRowHeight(20);
    g.resize(300, 300);
    g.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&g));
    QSignalSpy clicks(&g, &StringGrid::CellClicked);
    QSignalSpy focus(&g, &StringGrid::FocusCellChanged);
    QTest::mouseClick(g.viewport(), Qt::LeftButton, {}, QPoint(65, 45)); // col 3, row 2
    ASSERT_EQ(clicks.count(), 1);
    EXPECT_EQ(clicks.at(0).at(0).toInt(), 3);
    EXPECT_EQ(clicks.at(0).at(1).toInt(), 2);
    EXPECT_EQ(g.FocusCell(), (grid::Cell{3, 2}));
    EXPECT_EQ(focus.count(), 1);

    unsigned state = 0;
    g.SetCellPainter([&](QPainter &, const StringGrid::CellPaint &c) {
        if (c.col == 3 && c.row == 2)
            state = c.state;
    });
    QImage image(300, 300, QImage::Format_ARGB32);
    QPainter p(&image);
    g.PaintCells(p, QRect(0, 0, 300, 300));
    EXPECT_TRUE(state & StringGrid::StateFocused);

    QTest::mouseClick(g.viewport(), Qt::LeftButton, {}, QPoint(5, 5)); // fixed corner
    EXPECT_EQ(clicks.count(), 2);
    EXPECT_EQ(g.FocusCell(), (grid::Cell{3, 2})) << "a fixed cell never takes the focus";
}

TEST(StringGrid, ArrowKeysMoveTheFocusAndScrollItIntoView)
{
    StringGrid g;
    g.SetColCount(50);
    g.SetRowCount(5);
    g.SetDefaultColWidth(30);
    g.resize(200, 200);
    g.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&g));
    g.SetFocusCell(1, 1);
    for (int i = 0; i < 20; ++i)
        QTest::keyClick(&g, Qt::Key_Right);
    EXPECT_EQ(g.FocusCell(), (grid::Cell{21, 1}));
    EXPECT_FALSE(g.CellRect(21, 1).isEmpty()) << "the focused cell is visible";
    EXPECT_GT(g.LeftCol(), 1);
    QTest::keyClick(&g, Qt::Key_Home);
    EXPECT_EQ(g.FocusCell(), (grid::Cell{1, 1}));
    EXPECT_EQ(g.LeftCol(), 1);
}

} // namespace
} // namespace qv
