// The main window's test selection, keys, modes, run hook and tab colours.

#include "model/document/quorvik.h"
#include "support/ui/deskfixture.h"
#include "ui/desk/infopanel.h"
#include "ui/desk/physicalkeys.h"
#include "ui/desk/runbar.h"
#include "ui/views/diagramview.h"
#include "ui/views/tableview.h"

#include <QAction>
#include <QLabel>
#include <QMenu>
#include <QTest>
#include <QToolButton>

namespace qv::testing {
namespace {

using DeskModes = DeskFixture;
using Result = desk::InfoPanel::TabResult;

void Type(QWidget &window, char character)
{
    QTest::keyClick(&window, character);
}

// A key released with the key code of a keyboard layout (no scan code).
void Release(QWidget &window, int key)
{
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
    QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier);
    QCoreApplication::sendEvent(&window, &press);
    QCoreApplication::sendEvent(&window, &release);
}

TEST_F(DeskModes, DigitZeroSelectsAllTestsAndADigitBeyondTheTestsDoesNothing)
{
    TBaseForm &form = WindowWithDemo();
    Type(form, '2');
    EXPECT_EQ(form.Document().CurrentTest(), 1);
    EXPECT_EQ(form.InfoPanel()->PressedTab(), 1);
    Type(form, '0');
    EXPECT_EQ(form.Document().CurrentTest(), -1);
    EXPECT_EQ(form.InfoPanel()->PressedTab(), TBaseForm::kAllTests);
    Type(form, '5');
    EXPECT_EQ(form.Document().CurrentTest(), -1);
    EXPECT_EQ(form.InfoPanel()->PressedTab(), TBaseForm::kAllTests);
    Type(form, '3');
    EXPECT_EQ(form.Document().CurrentTest(), 2);
    EXPECT_TRUE(form.DiagramView()->isVisible()) << "the view last used comes back";
    // A tab click selects like a key.
    QTest::mouseClick(form.InfoPanel()->Tab(0), Qt::LeftButton);
    EXPECT_EQ(form.Document().CurrentTest(), 0);
}

// Counts what the document tells about the choice of test, for as long as
// it lives.
class SelectionCounter : public NullDocumentObserver
{
public:
    explicit SelectionCounter(TQuorvik &doc)
        : m_doc(doc)
    {
        m_doc.AddObserver(*this);
    }
    ~SelectionCounter() override { m_doc.RemoveObserver(*this); }
    SelectionCounter(const SelectionCounter &) = delete;
    SelectionCounter &operator=(const SelectionCounter &) = delete;

    void TestSelected(int index) override { selected.push_back(index); }
    void SelectionRefused(int current) override { refused.push_back(current); }

    std::vector<int> selected;
    std::vector<int> refused;

private:
    TQuorvik &m_doc;
};

TEST_F(DeskModes, EachChoiceOfTestIsOneNotificationAndTheWindowFollowsIt)
{
    TBaseForm &form = WindowWithDemo();
    TQuorvik &doc = form.Document();
    desk::InfoPanel &info = *form.InfoPanel();
    SelectionCounter counter(doc);
    const auto testName = [&](int index) { return QString::fromStdString(doc.Test(index)->Name); };

    QTest::mouseClick(info.Tab(1), Qt::LeftButton);
    EXPECT_EQ(counter.selected, std::vector<int>{1});
    EXPECT_TRUE(counter.refused.empty());
    EXPECT_TRUE(form.DiagramView()->isVisible());
    EXPECT_EQ(doc.TactCount(), doc.Test(1)->Tacts.TactCount()) << "the diagram of test 2";
    EXPECT_EQ(info.Label("lbTestName")->text(), testName(1));
    EXPECT_EQ(info.Label("lbErrors")->text(), QStringLiteral("0 (0)"));

    Type(form, '5'); // beyond the demo's tests: the document is not asked
    EXPECT_EQ(counter.selected.size(), 1u);
    EXPECT_TRUE(counter.refused.empty());
    EXPECT_EQ(info.PressedTab(), 1);

    Type(form, '0');
    EXPECT_EQ(counter.selected, (std::vector<int>{1, -1}));
    EXPECT_FALSE(form.DiagramView()->isVisible());
    EXPECT_EQ(info.PressedTab(), TBaseForm::kAllTests);

    // A choice made on the document alone: the window follows the notification.
    ASSERT_TRUE(doc.SelectTest(2));
    EXPECT_EQ(counter.selected, (std::vector<int>{1, -1, 2}));
    EXPECT_EQ(info.PressedTab(), 2);
    EXPECT_TRUE(form.DiagramView()->isVisible()) << "the view last used comes back";
    EXPECT_EQ(doc.TactCount(), doc.Test(2)->Tacts.TactCount());
    EXPECT_EQ(info.Label("lbTestName")->text(), testName(2));

    // "все" in debug mode: refused once, the tab of the test stays pressed.
    QTest::mouseClick(form.RunBar()->Debug(), Qt::LeftButton);
    ASSERT_TRUE(doc.DebugMode());
    mesbo->Clear();
    QTest::mouseClick(info.Tab(TBaseForm::kAllTests), Qt::LeftButton);
    EXPECT_EQ(counter.refused, std::vector<int>{2});
    EXPECT_EQ(counter.selected.size(), 3u);
    EXPECT_EQ(info.PressedTab(), 2);
    EXPECT_EQ(mesbo->Count(), 1u);
}

TEST_F(DeskModes, DebugModeWithAllTestsIsRefusedAndItsButtonReleased)
{
    TBaseForm &form = WindowWithDemo();
    desk::RunBar &bar = *form.RunBar();
    form.SelectTest(TBaseForm::kAllTests);
    mesbo->Clear();
    QTest::mouseClick(bar.Debug(), Qt::LeftButton);
    EXPECT_FALSE(form.Document().DebugMode());
    EXPECT_FALSE(bar.Debug()->isChecked());
    EXPECT_FALSE(form.Actions().debug->isChecked());
    ASSERT_EQ(mesbo->Count(), 1u);
    EXPECT_EQ(Messages().front(), "В режиме отладки можно работать только с одним тестом");

    // One test: debug mode brings probe and G,O-cycles modes and the cycle box.
    form.SelectTest(0);
    QTest::mouseClick(bar.Debug(), Qt::LeftButton);
    EXPECT_TRUE(form.Document().DebugMode());
    EXPECT_TRUE(bar.Debug()->isChecked());
    EXPECT_TRUE(bar.Zond()->isChecked());
    EXPECT_TRUE(bar.Cycles()->isChecked());
    EXPECT_TRUE(bar.Zond()->isEnabled());
    EXPECT_TRUE(form.Actions().debugMenu->isEnabled());
    EXPECT_TRUE(form.InfoPanel()->DebugCycleBox()->isVisible());
    EXPECT_FALSE(form.InfoPanel()->Label("lbZond")->isVisible())
        << "no probe thresholds with an MS-DOS unit";
    EXPECT_EQ(form.InfoPanel()->DebugCycleBox()->text(), QStringLiteral(" 1"));

    // "<" wraps from the first cycle to the last (the first test has 2).
    auto *previous = form.InfoPanel()->findChild<QToolButton *>(QStringLiteral("btCyclePrev"));
    ASSERT_NE(previous, nullptr);
    QTest::mouseClick(previous, Qt::LeftButton);
    EXPECT_EQ(form.Document().GetActiveCycle(), 1);
    EXPECT_EQ(form.InfoPanel()->DebugCycleBox()->text(), QStringLiteral(" 2"));

    // "все" is refused in debug mode; the tab of the test stays pressed.
    mesbo->Clear();
    Type(form, '0');
    EXPECT_EQ(form.Document().CurrentTest(), 0);
    EXPECT_EQ(form.InfoPanel()->PressedTab(), 0);
    EXPECT_EQ(mesbo->Count(), 1u);

    // Leaving debug mode switches probe and G,O-cycles off again.
    QTest::mouseClick(bar.Debug(), Qt::LeftButton);
    EXPECT_FALSE(bar.Zond()->isChecked());
    EXPECT_FALSE(bar.Cycles()->isChecked());
    EXPECT_FALSE(bar.Zond()->isEnabled());
    EXPECT_FALSE(form.InfoPanel()->DebugCycleBox()->isVisible());
}

TEST_F(DeskModes, PlusWithTheTableShownSelectsTheFullFormInsteadOfScaling)
{
    TBaseForm &form = WindowWithDemo();
    const auto &geometry = form.DiagramView()->DiagramGeometry();
    const int width = geometry.tactWidth;
    Type(form, '+');
    EXPECT_EQ(geometry.tactWidth, width + geometry.horizontalStep)
        << "with the diagram shown \"+\" scales up";

    form.ShowTable();
    Type(form, '+');
    EXPECT_TRUE(form.Document().FullTable());
    EXPECT_TRUE(form.Actions().fullTable->isChecked());
    EXPECT_FALSE(form.Actions().paredTable->isChecked());
    Type(form, '-');
    EXPECT_FALSE(form.Document().FullTable());
    EXPECT_TRUE(form.Actions().paredTable->isChecked());
    EXPECT_EQ(geometry.tactWidth, width + geometry.horizontalStep)
        << "the table's keys leave the diagram's scale alone";
}

TEST_F(DeskModes, LetterKeysArePhysicalKeysInEitherLayout)
{
    EXPECT_EQ(desk::PhysicalLetter(0, Qt::Key_T), QLatin1Char('T'));
    EXPECT_EQ(desk::PhysicalLetter(0, 0x0415), QLatin1Char('T')) << "Cyrillic Е";
    EXPECT_EQ(desk::PhysicalLetter(0, 0x0432), QLatin1Char('D')) << "Cyrillic в";
    EXPECT_EQ(desk::PhysicalLetter(0, 0x042F), QLatin1Char('Z')) << "Cyrillic Я";
    EXPECT_EQ(desk::PhysicalLetter(0, Qt::Key_F5), QChar());
    EXPECT_EQ(desk::PhysicalLetter(0, Qt::Key_5), QChar());

    TBaseForm &form = WindowWithDemo();
    Release(form, 0x0415); // "Е", on the T key
    EXPECT_TRUE(form.TableView()->isVisible());
    Release(form, Qt::Key_L);
    EXPECT_TRUE(form.DiagramView()->isVisible());
    Release(form, 0x041E); // "О", on the J key: debug mode
    EXPECT_TRUE(form.Document().DebugMode());
    Release(form, Qt::Key_G);
    EXPECT_FALSE(form.Document().CyclesMode());
    Release(form, Qt::Key_H);
    EXPECT_TRUE(form.Document().SolidTest());
}

TEST_F(DeskModes, LetterKeysPressedWithCtrlAltOrMetaDoNothing)
{
    TBaseForm &form = WindowWithDemo();
    const auto chord = [&form](int key, Qt::KeyboardModifiers held, bool releaseHeldFirst) {
        QKeyEvent press(QEvent::KeyPress, key, held);
        QKeyEvent release(QEvent::KeyRelease, key,
                          releaseHeldFirst ? Qt::NoModifier : Qt::KeyboardModifiers(held));
        QCoreApplication::sendEvent(&form, &press);
        QCoreApplication::sendEvent(&form, &release);
    };
    for (const bool ctrlFirst : {false, true}) {
        chord(Qt::Key_J, Qt::ControlModifier, ctrlFirst);
        chord(Qt::Key_H, Qt::ControlModifier, ctrlFirst);
        chord(Qt::Key_T, Qt::ControlModifier, ctrlFirst);
        chord(Qt::Key_Z, Qt::AltModifier, ctrlFirst);
        chord(Qt::Key_G, Qt::MetaModifier, ctrlFirst);
    }
    EXPECT_FALSE(form.Document().DebugMode());
    EXPECT_FALSE(form.Document().SolidTest());
    EXPECT_TRUE(form.DiagramView()->isVisible()) << "the table was not chosen";

    // A release whose press the window never saw (Ctrl+O opened a dialog
    // that took it) does nothing either.
    form.SelectTest(TBaseForm::kAllTests);
    mesbo->Clear();
    QKeyEvent release(QEvent::KeyRelease, Qt::Key_O, Qt::NoModifier);
    QCoreApplication::sendEvent(&form, &release);
    EXPECT_EQ(mesbo->Count(), 0u) << "no debug mode asked for";

    // The plain keys still act.
    form.SelectTest(0);
    Release(form, Qt::Key_J);
    EXPECT_TRUE(form.Document().DebugMode());
}

TEST_F(DeskModes, RunGoesThroughTheHandlerWithTheButtonPressed)
{
    TBaseForm &form = WindowWithDemo();
    mesbo->Clear();
    form.StartRun();
    ASSERT_EQ(mesbo->Count(), 1u) << "without a run driver the operator is told";
    EXPECT_FALSE(form.RunBar()->Pusk()->isChecked());

    int runs = 0;
    bool pressedDuringRun = false;
    form.SetRunHandler([&] {
        ++runs;
        pressedDuringRun = form.RunBar()->Pusk()->isChecked();
        form.StartRun(); // a second start while running is ignored
    });
    Release(form, Qt::Key_F5);
    EXPECT_EQ(runs, 1);
    EXPECT_TRUE(pressedDuringRun);
    EXPECT_FALSE(form.RunBar()->Pusk()->isChecked());
    QTest::mouseClick(form.RunBar()->Pusk(), Qt::LeftButton);
    EXPECT_EQ(runs, 2);
    form.Actions().pusk->trigger();
    EXPECT_EQ(runs, 3);
}

TEST_F(DeskModes, TabsTurnRedForFailedAndBlueForPassedTests)
{
    TBaseForm &form = WindowWithDemo();
    TQuorvik &doc = form.Document();
    form.SetRunHandler([&] {
        doc.MarkTestRun(0, 1);
        doc.SetTestErrors(0, 3);
        doc.MarkTestRun(1, 1);
        doc.SetTestErrors(1, 0);
        doc.SetTotalErrors(3);
        form.RunFinished();
    });
    form.StartRun();
    const desk::InfoPanel &info = *form.InfoPanel();
    EXPECT_EQ(info.ResultOfTab(0), Result::Failed);
    EXPECT_EQ(info.ResultOfTab(1), Result::Passed);
    EXPECT_EQ(info.ResultOfTab(2), Result::None) << "a test that did not run stays black";
    EXPECT_EQ(info.Tab(0)->palette().color(QPalette::ButtonText), QColor(Qt::red));
    EXPECT_EQ(info.Tab(1)->palette().color(QPalette::ButtonText), QColor(Qt::blue));
    EXPECT_EQ(info.Label("lbErrors")->text(), QStringLiteral("3 (3)"));
    const QLabel &errors = *info.Label("lbErrors");
    EXPECT_EQ(errors.palette().color(errors.foregroundRole()), QColor(Qt::red));

    doc.ResetRunResults();
    EXPECT_EQ(info.ResultOfTab(0), Result::None);
    EXPECT_NE(info.Tab(0)->palette().color(QPalette::ButtonText), QColor(Qt::red));
}

} // namespace
} // namespace qv::testing
