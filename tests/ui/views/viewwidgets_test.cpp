// The diagram and table widgets: clicks turned into commands, the corner,
// scaling, and the probe rules behind the clicks.

#include "model/content/tablecontent.h"
#include "support/paint/viewfixture.h"
#include "ui/views/diagramview.h"
#include "ui/views/scaledialog.h"
#include "ui/views/tableview.h"

#include <QSignalSpy>
#include <QSpinBox>
#include <QTest>

namespace qv {
namespace {

class ViewWidgets : public testing::ViewFixture
{
protected:
    ViewWidgets()
    {
        Test().Tacts.D1 = "iigFL";
        Test().Tacts.D2 = "12310";
        AddWord(Test().IWords, 1, "Данные", "1");
        AddWord(Test().IWords, 2, "Адрес", "2");
        AddLine(0, "", "-----");
        AddLine(1, "", "_____");
        document.FillDiagramView();
    }

    void Show(StringGrid &grid)
    {
        grid.resize(800, 300);
        grid.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&grid));
    }

    static void Press(StringGrid &grid, int col, int row, Qt::MouseButton button = Qt::LeftButton,
                      QPoint offset = {5, 5})
    {
        QTest::mousePress(grid.viewport(), button, {}, grid.CellRect(col, row).topLeft() + offset);
    }
    static void Click(StringGrid &grid, int col, int row, Qt::MouseButton button = Qt::LeftButton,
                      QPoint offset = {5, 5})
    {
        QTest::mouseClick(grid.viewport(), button, {}, grid.CellRect(col, row).topLeft() + offset);
    }
};

TEST_F(ViewWidgets, HeaderPressesOpenListsExceptOnTheFirstTact)
{
    DiagramView view(painter);
    view.SetDocument(&document);
    Show(view);
    QSignalSpy lists(&view, &DiagramView::ListRequested);
    Press(view, 2, 0);
    EXPECT_EQ(lists.count(), 0) << "first tact column";
    Press(view, 3, 1);
    Press(view, 4, 0);
    Press(view, 5, 0, Qt::RightButton);
    Press(view, 6, 0); // L opens nothing
    ASSERT_EQ(lists.count(), 3);
    EXPECT_EQ(lists[0][0].value<char>(), 'i');
    EXPECT_EQ(lists[0][1].toInt(), 2);
    EXPECT_EQ(lists[1][0].value<char>(), 'g');
    EXPECT_EQ(lists[1][1].toInt(), 3);
    EXPECT_EQ(lists[2][0].value<char>(), 'F');
    view.SetDocument(nullptr);
}

TEST_F(ViewWidgets, TheCornerNamesTheFocusedLineAndTactAndTheBottomRowTakesNoFocus)
{
    DiagramView view(painter);
    view.SetDocument(&document);
    Show(view);
    Press(view, 4, 3);
    EXPECT_EQ(view.FocusCell(), (grid::Cell{4, 3}));
    EXPECT_EQ(document.DiagramView().Cell(0, 0), "2:3");
    document.FillDiagramView();
    view.Refresh();
    EXPECT_EQ(document.DiagramView().Cell(0, 0), "2:3") << "kept over a refill";
    Press(view, 5, 4); // the start-tact row
    EXPECT_EQ(view.FocusCell(), (grid::Cell{4, 3}));
    QTest::keyClick(&view, Qt::Key_Down);
    EXPECT_EQ(view.FocusCell(), (grid::Cell{4, 3}));
    view.SetDocument(nullptr);
}

TEST_F(ViewWidgets, ProbeRowsSwitchSelectAndOpenTheirMenu)
{
    Test().Probes = {{DefaultProbe(5), SZond{"U5", "xxxxx", "-----", false, 3},
                      SZond{"U6", "xxxxx", "xxxxx", false, 7}}};
    Test().ProbeFlags = {0};
    document.StoreModeFlag(DocumentMode::Probe, true);
    document.FillDiagramView();
    DiagramView view(painter);
    view.SetDocument(&document);
    Show(view);
    QSignalSpy switched(&view, &DiagramView::ProbeSwitchRequested);
    QSignalSpy selected(&view, &DiagramView::ProbeSelected);
    QSignalSpy menus(&view, &DiagramView::ProbeMenuRequested);
    const int first = document.DiagramShape().firstProbeRow;
    Press(view, 0, first, Qt::LeftButton, {8, 5});
    EXPECT_EQ(switched.count(), 0) << "the first probe cannot be switched";
    Press(view, 0, first + 1, Qt::LeftButton, {8, 5});
    ASSERT_EQ(switched.count(), 1);
    EXPECT_EQ(switched[0][0].toInt(), 1);
    Press(view, 0, first + 2, Qt::LeftButton, {8, 5});
    EXPECT_EQ(switched.count(), 1) << "a manual threshold cannot be switched";
    Press(view, 0, first + 1, Qt::LeftButton, {40, 5});
    Press(view, 7, first + 2);
    // The first probe's icon zone is just part of its label: it selects it.
    ASSERT_EQ(selected.count(), 3);
    EXPECT_EQ(selected[0][0].toInt(), 0);
    EXPECT_EQ(selected[1][0].toInt(), 1);
    EXPECT_EQ(selected[2][0].toInt(), 2);
    Click(view, 1, first + 1, Qt::RightButton);
    ASSERT_EQ(menus.count(), 1);
    EXPECT_EQ(menus[0][0].toInt(), 1);
    view.SetDocument(nullptr);
}

TEST_F(ViewWidgets, DebugMenuOpensOnTactColumnsOfTheDiagramOnly)
{
    document.StoreModeFlag(DocumentMode::Debug, true);
    DiagramView view(painter);
    view.SetDocument(&document);
    Show(view);
    QSignalSpy menus(&view, &DiagramView::DebugMenuRequested);
    Click(view, 4, 2, Qt::RightButton);
    Click(view, 8, 2, Qt::RightButton); // beyond the diagram
    Click(view, 4, 4, Qt::RightButton); // the start-tact row
    Click(view, 4, 3, Qt::LeftButton);
    ASSERT_EQ(menus.count(), 1);
    EXPECT_EQ(menus[0][0].toInt(), 2);
    view.SetDocument(nullptr);
}

TEST_F(ViewWidgets, ScalingKeepsTheMinimumAndFitsTheDiagram)
{
    DiagramView view(painter);
    view.SetDocument(&document);
    Show(view);
    const views::DiagramGeometry initial = view.DiagramGeometry();
    view.ScaleDown();
    EXPECT_EQ(view.ColWidth(2), initial.minTactWidth);
    view.ScaleUp();
    EXPECT_EQ(view.ColWidth(2), initial.minTactWidth + 3);
    EXPECT_EQ(view.RowHeight(2), initial.baseRowHeight) << "vertical step 0";
    view.SetScaleSteps(0, 4);
    view.ScaleUp();
    EXPECT_EQ(view.RowHeight(2), initial.baseRowHeight + 4);
    EXPECT_EQ(view.RowHeight(0), initial.baseRowHeight) << "header rows keep their size";
    view.AutoFit();
    EXPECT_EQ(view.ColWidth(2), 40) << "five tacts in a wide view";
    EXPECT_EQ(view.RowHeight(2), initial.baseRowHeight);
    EXPECT_EQ(painter.Offsets().low, 3 * (initial.baseRowHeight / 4));
    view.SetDocument(nullptr);
}

TEST_F(ViewWidgets, TableClicksSetTheCycleOpenWordsAndStepAddressMarks)
{
    Test().Cycles = 2;
    Test().Tacts.D1 = "ii";
    Test().Tacts.D2 = "12";
    Test().IWords.Find(1)->FuncLink = MakeFuncLink(1, LinkFAddress);
    Test().IWords.Find(1)->Run = "1/1";
    Test().IWords.Find(2)->Run = "2/2";
    document.StoreModeFlag(DocumentMode::Debug, true);
    document.FillTableView();
    TableView view(painter);
    view.SetDocument(&document);
    Show(view);
    QSignalSpy cycles(&view, &TableView::ActiveCycleRequested);
    QSignalSpy lists(&view, &TableView::ListRequested);
    QSignalSpy edits(&view, &TableView::DebugValueEditRequested);
    QSignalSpy marks(&view, &TableView::AddressMarkAdvanced);

    Click(view, 0, 1);
    EXPECT_EQ(cycles.count(), 0) << "already the active cycle";
    Click(view, 0, 3);
    ASSERT_EQ(cycles.count(), 1);
    EXPECT_EQ(cycles[0][0].toInt(), 1);
    Click(view, 1, 2);
    ASSERT_EQ(lists.count(), 1);
    EXPECT_EQ(lists[0][0].value<char>(), 'i');
    EXPECT_EQ(lists[0][1].toInt(), 2);

    const QRect debug = view.CellRect(ColInputDebug, 1);
    Click(view, ColInputDebug, 1, Qt::LeftButton, {debug.width() - 5, 5});
    ASSERT_EQ(marks.count(), 1);
    EXPECT_EQ(document.TableView().Mark(ColInputDebug, 1), MarkUp) << "3 steps on to 1";
    EXPECT_EQ(edits.count(), 0);
    Click(view, ColInputDebug, 1);
    ASSERT_EQ(edits.count(), 1);
    EXPECT_EQ(edits[0][0].value<char>(), 'i');
    EXPECT_EQ(edits[0][1].toInt(), 1);
    EXPECT_EQ(edits[0][2].toInt(), 1);
    view.SetDocument(nullptr);
}

TEST_F(ViewWidgets, ProbesMaySwitchByTheirMark)
{
    EXPECT_TRUE(painter.ProbeSwitchable(SZond{"", "", "xx", false, 3}));
    EXPECT_TRUE(painter.ProbeSwitchable(SZond{"", "", "xx", false, 12}));
    EXPECT_TRUE(painter.ProbeSwitchable(SZond{"", "", "-x", false, -1}));
    EXPECT_FALSE(painter.ProbeSwitchable(SZond{"", "", "x-", false, -1}));
    EXPECT_FALSE(painter.ProbeSwitchable(SZond{"", "", "--", false, 9}));
    painter.SetDosUnit(true);
    EXPECT_TRUE(painter.ProbeSwitchable(SZond{"", "", "--", false, 9}));
}

TEST(ScaleDialog, OpensWithTheStepsAndEnterInTheHorizontalFieldApplies)
{
    ScaleDialog dialog(3, 0, true);
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Задание параметров масштаба"));
    EXPECT_EQ(dialog.HorizontalStep(), 3);
    EXPECT_EQ(dialog.VerticalStep(), 0);
    EXPECT_TRUE(dialog.AutoFit());
    auto *horizontal = dialog.findChild<QSpinBox *>(QStringLiteral("seHorizontal"));
    ASSERT_NE(horizontal, nullptr);
    EXPECT_EQ(horizontal->maximum(), 20);
    dialog.show();
    QTest::keyClick(horizontal, Qt::Key_Return);
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    ScaleDialog other(1, 1, false);
    other.show();
    QTest::keyClick(other.findChild<QSpinBox *>(QStringLiteral("seHorizontal")), Qt::Key_Escape);
    EXPECT_EQ(other.result(), QDialog::Rejected);
}

} // namespace
} // namespace qv
