// Debug mode from the main window: the tact range, the debug cycle and the
// debug value of a word, with the refusals the operator sees.

#include "infra/messages.h"
#include "model/content/tablecontent.h"
#include "model/document/quorvik.h"
#include "model/test/stest.h"
#include "support/ui/deskfixture.h"
#include "support/ui/modalwatch.h"
#include "ui/debug/debugrange.h"
#include "ui/debug/editdebug.h"
#include "ui/debug/maddressdialog.h"
#include "ui/desk/infopanel.h"
#include "ui/views/diagramview.h"
#include "ui/views/tableview.h"

#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QSpinBox>
#include <QTest>
#include <QTimer>

namespace qv::testing {
namespace {

using debug::ApplyDebugValue;
using debug::DebugEditTarget;
using debug::TfmDebugCycle;
using debug::TfmDebugTct;
using debug::TfmEditDebug;
using debug::TfmMAddress;

// The demo in debug mode on its first test (20 tacts, 2 cycles).
class DebugDeskTest : public DeskFixture
{
protected:
    TBaseForm &Desk()
    {
        TBaseForm &form = WindowWithDemo();
        form.ToggleDebug();
        EXPECT_TRUE(form.Document().DebugMode());
        mesbo->Clear();
        return form;
    }
    STest &First() { return *window->Document().Test(0); }
};

TEST_F(DebugDeskTest, TheTactDialogRefusesAnEndBeyondTheTestAndAnEmptyRange)
{
    TBaseForm &form = Desk();
    ASSERT_EQ(First().Tacts.TactCount(), 20);
    ModalWatch<TfmDebugTct> watch([](TfmDebugTct &w) {
        EXPECT_EQ(w.First()->value(), 1);
        EXPECT_EQ(w.Last()->value(), 20);
        w.Last()->setValue(21);
        QTest::mouseClick(w.OkButton(), Qt::LeftButton);
        EXPECT_TRUE(w.isVisible()) << "a refused range keeps the dialog";
        w.First()->setValue(5);
        w.Last()->setValue(5);
        QTest::mouseClick(w.OkButton(), Qt::LeftButton);
        EXPECT_TRUE(w.isVisible());
        w.Last()->setValue(12);
        QTest::mouseClick(w.OkButton(), Qt::LeftButton);
        EXPECT_FALSE(w.isVisible());
    });
    form.Actions().debugTct->trigger();
    EXPECT_TRUE(watch.Seen());
    EXPECT_EQ(Messages(), (std::vector<std::string>{Msg(40) + "20)", Msg(40)}));
    EXPECT_EQ(First().DebugFirst, 4);
    EXPECT_EQ(First().DebugLast, 11);
}

TEST_F(DebugDeskTest, TheDiagramMenuRefusesAStartBeyondTheEnd)
{
    TBaseForm &form = Desk();
    First().DebugFirst = 2;
    First().DebugLast = 8;
    EXPECT_FALSE(debug::SetDebugStart(First(), 9));
    EXPECT_EQ(Messages(), std::vector<std::string>{Msg(40)});
    EXPECT_EQ(First().DebugFirst, 2);
    // Through the menu: the end moves to tact 15.
    QTimer::singleShot(50, [] {
        auto *menu = qobject_cast<QMenu *>(QApplication::activePopupWidget());
        ASSERT_NE(menu, nullptr);
        for (QAction *action : menu->actions()) {
            if (action->text() == "Задать конечный такт отладки")
                menu->setActiveAction(action);
        }
        QTest::keyClick(menu, Qt::Key_Return);
    });
    emit form.DiagramView()->DebugMenuRequested(15, form.mapToGlobal(QPoint(50, 50)));
    EXPECT_EQ(First().DebugFirst, 2);
    EXPECT_EQ(First().DebugLast, 15);
}

TEST_F(DebugDeskTest, TheCycleDialogTellsTheRangeAndTheArrowsWrapAround)
{
    TBaseForm &form = Desk();
    ModalWatch<TfmDebugCycle> watch([](TfmDebugCycle &w) {
        w.Cycle()->setValue(3);
        QTest::mouseClick(w.OkButton(), Qt::LeftButton);
        EXPECT_TRUE(w.isVisible());
        w.Cycle()->setValue(2);
        QTest::mouseClick(w.OkButton(), Qt::LeftButton);
    });
    form.Actions().debugCycle->trigger();
    EXPECT_TRUE(watch.Seen());
    EXPECT_EQ(Messages(), std::vector<std::string>{Msg(8) + " циклов (2)"});
    EXPECT_EQ(First().ActiveCycle, 1);
    emit form.InfoPanel()->NextCycleRequested();
    EXPECT_EQ(First().ActiveCycle, 0) << "\">\" from the last cycle goes to the first";
    emit form.InfoPanel()->PreviousCycleRequested();
    EXPECT_EQ(First().ActiveCycle, 1);
}

TEST_F(DebugDeskTest, AnInputWordOnAFourContactBusTakesFifteenButNotSixteen)
{
    TBaseForm &form = Desk();
    STest &test = First();
    test.IWords.Find(1)->Tyre = 2; // contacts 17..20
    const DebugEditTarget target{'i', 1, 0};
    EXPECT_FALSE(ApplyDebugValue(form.Document(), test, target, "10"));
    EXPECT_FALSE(ApplyDebugValue(form.Document(), test, target, "xyz"));
    EXPECT_TRUE(ApplyDebugValue(form.Document(), test, target, "f"));
    EXPECT_EQ(test.IWords.ValueAt(1, 0, ValueSet::Run), 15);
    EXPECT_FALSE(ApplyDebugValue(form.Document(), test, {'g', 1, 0}, "65536"));
    EXPECT_EQ(Messages(), (std::vector<std::string>{Msg(23), Msg(16), Msg(16)}));
}

TEST_F(DebugDeskTest, AOneHotDataWordTakesOneSetBitOnly)
{
    TBaseForm &form = Desk();
    STest &test = First();
    ASSERT_TRUE(test.IWords.SetFuncLink(1, LinkPData));
    const DebugEditTarget target{'i', 1, 1};
    EXPECT_TRUE(ApplyDebugValue(form.Document(), test, target, "04"));
    EXPECT_FALSE(ApplyDebugValue(form.Document(), test, target, "06"));
    EXPECT_EQ(test.IWords.ValueAt(1, 1, ValueSet::Run), 4);
    ASSERT_TRUE(test.IWords.SetFuncLink(1, LinkPData2));
    EXPECT_TRUE(ApplyDebugValue(form.Document(), test, target, "FB"));
    EXPECT_FALSE(ApplyDebugValue(form.Document(), test, target, "F9"));
    const std::string refusal = Msg(19) + "\r\nДопустимо задание только одного значащего бита";
    EXPECT_EQ(Messages(), (std::vector<std::string>{refusal, refusal}));
}

TEST_F(DebugDeskTest, AnFAddressTakesTheFileElementIntoTheDataWord)
{
    TBaseForm &form = Desk();
    form.SelectTest(1);
    STest &test = *form.Document().Test(1);
    // The memory test's link on i1 came last; make it the ROM check's again.
    ASSERT_TRUE(test.IWords.SetFuncLink(1, MakeFuncLink(3, LinkFAddress)));
    ASSERT_EQ(test.FFuncs.ByNumber(3)->FileName, "rom.dat");
    EXPECT_TRUE(ApplyDebugValue(form.Document(), test, {'i', 1, 0}, "5"));
    EXPECT_EQ(test.IWords.ValueAt(1, 0, ValueSet::Run), 5);
    EXPECT_EQ(test.OWords.ValueAt(1, 0, ValueSet::Reference), 0xC0) << "byte 5 of rom.dat";
}

TEST_F(DebugDeskTest, AClickOnADebugValueOpensTheEditDialogAndRefillsTheTable)
{
    TBaseForm &form = Desk();
    form.ShowTable();
    QString shown;
    ModalWatch<TfmEditDebug> watch([&](TfmEditDebug &w) {
        shown = w.Value()->text();
        EXPECT_EQ(w.Value()->maxLength(), 9);
        w.Value()->setText("3c");
        QTest::mouseClick(w.OkButton(), Qt::LeftButton);
    });
    const TextGrid &grid = form.Document().TableView();
    int row = -1;
    for (int r = 1; r < grid.RowCount() && row < 0; ++r) {
        if (grid.Cell(ColInputName, r).rfind("i1", 0) == 0)
            row = r;
    }
    ASSERT_GT(row, 0);
    emit form.TableView()->DebugValueEditRequested('i', 1, row);
    EXPECT_TRUE(watch.Seen());
    EXPECT_EQ(shown, "55");
    EXPECT_EQ(First().IWords.ValueAt(1, 0, ValueSet::Run), 0x3C);
    EXPECT_EQ(grid.Cell(ColInputDebug, row), "3C") << "the table is filled again";
    EXPECT_TRUE(Messages().empty());
}

TEST_F(DebugDeskTest, AnMAddressRowOpensTheAddressDialogThatSplitsAndStoresTheAddress)
{
    TBaseForm &form = WindowWithDemo();
    form.SelectTest(1);
    // The memory test's first tact drives its address word i1, so the table
    // has a row of i1 to carry the address note.
    STest &memory = *form.Document().Test(1);
    ASSERT_EQ(memory.Tacts.D1.at(0), '-');
    memory.Tacts.D1[0] = 'i';
    memory.Tacts.D2[0] = '1';
    form.ToggleDebug();
    ASSERT_TRUE(form.Document().DebugMode());
    mesbo->Clear();
    form.ShowTable();
    TQuorvik &doc = form.Document();
    STest &test = *doc.Test(1);
    // M1 writes through i1 (low part) and i2 (high part).
    const int lowWidth = test.IWords.BusWidth(1, doc.Doc().Tyres);
    const std::int64_t address = (std::int64_t{1} << lowWidth) + 3;
    const TextGrid &grid = doc.TableView();
    int row = -1;
    for (int r = 1; r < grid.RowCount() && row < 0; ++r) {
        const std::string &name = grid.Cell(ColInputName, r);
        if (name.rfind("i1", 0) == 0 && name.find(kNoteSeparator) != std::string::npos)
            row = r;
    }
    ASSERT_GT(row, 0) << "the table notes M1's address on i1";
    QString maximum, low, high;
    std::size_t refusals = 0;
    bool stayedOpen = false;
    ModalWatch<TfmMAddress> watch([&](TfmMAddress &w) {
        maximum = w.findChildren<QLabel *>().value(0)->text();
        w.Address()->setText("FFFFFFFFFFFF");
        QTest::mouseClick(w.OkButton(), Qt::LeftButton);
        refusals = mesbo->Count();
        stayedOpen = w.isVisible();
        w.Address()->setText(QString::number(address, 16));
        low = w.LowPart()->text();
        high = w.HighPart() ? w.HighPart()->text() : QString();
        QTest::mouseClick(w.OkButton(), Qt::LeftButton);
    });
    emit form.TableView()->DebugValueEditRequested('i', 1, row);
    ASSERT_TRUE(watch.Seen()) << "the address dialog, not the value dialog";
    EXPECT_TRUE(maximum.startsWith("Максимальный адрес: "));
    EXPECT_EQ(refusals, 1u) << "an address above the largest is refused";
    EXPECT_TRUE(stayedOpen);
    EXPECT_EQ(low, "Младший адрес i1: 3");
    EXPECT_EQ(high, "Старший адрес i2: 1");
    EXPECT_EQ(test.MFuncs.ByNumber(1)->WritePos, address);
    const std::string note = grid.Cell(ColInputName, row);
    const QString shown = QStringLiteral("[%1]").arg(QString::number(address, 16).toUpper());
    EXPECT_NE(note.find(shown.toStdString()), std::string::npos)
        << "the table is filled again with the new address: " << note;
}

} // namespace
} // namespace qv::testing
