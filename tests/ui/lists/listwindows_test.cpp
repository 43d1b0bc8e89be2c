// The list and viewer windows of the main window: words, generator words,
// G-cycles, buses, the test list and the contact file, opened from the
// commands or directly over the demo board.

#include "execution/port/testerport.h"
#include "model/content/tablecontent.h"
#include "model/document/quorvik.h"
#include "model/test/stest.h"
#include "support/ui/deskfixture.h"
#include "support/ui/modalwatch.h"
#include "ui/desk/infopanel.h"
#include "ui/lists/generatorwindows.h"
#include "ui/lists/viewerwindows.h"
#include "ui/lists/wordwindows.h"
#include "ui/views/tableview.h"

#include <QAction>
#include <QHeaderView>
#include <QLabel>
#include <QListWidget>
#include <QScreen>
#include <QSpinBox>
#include <QTableWidget>
#include <QTest>

namespace qv::testing {
namespace {

using ListWindows = DeskFixture;
using lists::TfmCnt;
using lists::TfmFuncG;
using lists::TfmGWord;
using lists::TfmIWord;
using lists::TfmOWord;
using lists::TfmTestInfo;
using lists::TfmTyreData;

QString Cell(const QTableWidget *table, int row, int column)
{
    const QTableWidgetItem *item = table->item(row, column);
    return item ? item->text() : QStringLiteral("<none>");
}

QColor Colour(const QTableWidget *table, int row, int column)
{
    const QTableWidgetItem *item = table->item(row, column);
    return item ? item->foreground().color() : QColor();
}

TEST_F(ListWindows, AWordOpenedFromATableRowShowsThatCycleWithWholeHeadersAndNamedSpins)
{
    TBaseForm &form = WindowWithDemo();
    form.ShowTable();
    TableView &table = *form.TableView();
    const TextGrid &content = form.Document().TableView();
    int row = -1;
    for (int r = 1; r < content.RowCount() && row < 0; ++r)
        if (content.Cell(ColCycle, r) == "2" && content.Cell(ColOutputName, r).rfind("o1 ", 0) == 0)
            row = r;
    ASSERT_GT(row, 0) << "the demo's first output word in cycle 2";
    table.SetTopRow(row);
    const QRect cell = table.CellRect(ColOutputName, row);
    ASSERT_FALSE(cell.isEmpty());

    ModalWatch<TfmOWord> watch([](TfmOWord &w) {
        EXPECT_EQ(w.CurrentCycle(), 2);
        EXPECT_EQ(w.CycleSpin()->value(), 2);
        // Reference 170 in cycle 2 (85 in cycle 1): bit 1 is 0, bit 2 is 1.
        EXPECT_EQ(Cell(w.BitTable(), 0, 1), "0");
        EXPECT_EQ(Cell(w.BitTable(), 1, 1), "1");
        QStringList captions;
        for (const QLabel *label : w.findChildren<QLabel *>())
            if (label->buddy() == w.CycleSpin() || label->buddy() == w.ItemSpin())
                captions << label->text();
        EXPECT_EQ(captions.size(), 2) << captions.join(", ").toStdString();
        EXPECT_TRUE(captions.contains(QStringLiteral("Цикл:")));
        const QHeaderView &header = *w.CycleTable()->horizontalHeader();
        for (int c = 0; c < header.count(); ++c)
            EXPECT_GE(header.sectionSize(c), header.sectionSizeHint(c))
                << w.CycleTable()->horizontalHeaderItem(c)->text().toStdString() << " is cut";
        EXPECT_GE(w.width(), TfmOWord::kWidth);
    });
    QTest::mouseClick(table.viewport(), Qt::LeftButton, {}, cell.center());
    EXPECT_TRUE(watch.Seen());
}

TEST_F(ListWindows, AnInputWordOnAFiveContactBusShowsFiveBitsWithBitOneTheLowest)
{
    TQuorvik &doc = WindowWithDemo().Document();
    ASSERT_TRUE(doc.Doc().Tyres.Add(std::string{21, 22, 23, 24, 25}));
    doc.Cnt().Names[20] = "A21";
    STest &test = *doc.Test(0);
    test.IWords.Find(1)->Tyre = doc.Doc().Tyres.Count() - 1;
    // 85 = 1010101: the five low bits are 10101.
    TfmIWord window(doc, test, 1);
    EXPECT_EQ(window.windowTitle(), "Входное слово (Данные)");
    EXPECT_EQ(window.width(), TfmIWord::kWidth);
    EXPECT_EQ(window.HeaderValue("Шина:"), "4");
    EXPECT_EQ(window.HeaderValue("Код:"), "прямой");
    ASSERT_EQ(window.BitTable()->rowCount(), 5);
    EXPECT_EQ(Cell(window.BitTable(), 0, 0), "A21");
    EXPECT_EQ(Cell(window.BitTable(), 0, 1), "1");
    EXPECT_EQ(Cell(window.BitTable(), 1, 1), "0");
    EXPECT_EQ(Cell(window.CycleTable(), 0, 1), "55") << "values in the file's base";
    EXPECT_EQ(Cell(window.CycleTable(), 0, 2), "10101");
    EXPECT_EQ(Cell(window.CycleTable(), 1, 2), "01010");
    EXPECT_EQ(window.CountLabel()->text(), "Всего входных слов: 2");
}

TEST_F(ListWindows, EveryCodeButOneReadsInverse)
{
    TQuorvik &doc = WindowWithDemo().Document();
    STest &test = *doc.Test(0);
    for (const int code : {0, 2, -1}) {
        test.IWords.Find(1)->Code = code;
        test.OWords.Find(1)->Code = code;
        EXPECT_EQ(TfmIWord(doc, test, 1).HeaderValue("Код:"), "инверсный") << code;
        EXPECT_EQ(TfmOWord(doc, test, 1).HeaderValue("Код:"), "инверсный") << code;
    }
    test.OWords.Find(1)->Code = 1;
    EXPECT_EQ(TfmOWord(doc, test, 1).HeaderValue("Код:"), "прямой");
}

TEST_F(ListWindows, TheSpinsWrapAroundAndAConstantWordRepeatsItsValue)
{
    TQuorvik &doc = WindowWithDemo().Document();
    STest &test = *doc.Test(0);
    TfmIWord window(doc, test, 1);
    ASSERT_EQ(window.CurrentItem(), 1);
    window.ItemSpin()->stepDown();
    EXPECT_EQ(window.CurrentItem(), 2) << "down from the first word shows the last";
    EXPECT_EQ(window.windowTitle(), "Входное слово (КОНСТАНТА)");
    EXPECT_EQ(Cell(window.CycleTable(), 0, 1), "3");
    EXPECT_EQ(Cell(window.CycleTable(), 1, 1), "3");
    window.ItemSpin()->stepUp();
    EXPECT_EQ(window.CurrentItem(), 1);
    ASSERT_EQ(window.CycleTable()->rowCount(), 2) << "one row per cycle of the test";
    window.CycleSpin()->stepUp();
    EXPECT_EQ(window.CurrentCycle(), 2);
    EXPECT_EQ(Cell(window.BitTable(), 0, 1), "0") << "170 ends in 0";
    window.CycleSpin()->stepUp();
    EXPECT_EQ(window.CurrentCycle(), 1) << "up from the last cycle goes to the first";
}

TEST_F(ListWindows, DebugModeWidensTheInputWordWindowAndShowsTheDebugValues)
{
    TBaseForm &form = WindowWithDemo();
    TQuorvik &doc = form.Document();
    form.ToggleDebug();
    ASSERT_TRUE(doc.DebugMode());
    STest &test = *doc.Test(0);
    ASSERT_TRUE(test.IWords.SetValueAt(1, 1, 7, ValueSet::Run));
    TfmIWord window(doc, test, 1);
    EXPECT_EQ(window.width(), TfmIWord::kDebugWidth);
    EXPECT_EQ(window.CycleTable()->horizontalHeaderItem(3)->text(), "Отладка в битах:");
    EXPECT_EQ(Cell(window.CycleTable(), 1, 2), "7");
    EXPECT_EQ(Cell(window.CycleTable(), 1, 3), "00000111");
}

TEST_F(ListWindows, AnOutputWordNotReadInACycleShowsGreyDashesAndAWrongReadIsRed)
{
    TQuorvik &doc = WindowWithDemo().Document();
    STest &test = *doc.Test(0);
    ASSERT_TRUE(test.OWords.SetText(1, "84/" + std::string(1, '\xFF'), ValueSet::Run));
    doc.MarkTestRun(0, 1);
    TfmOWord window(doc, test, 1);
    EXPECT_EQ(window.width(), TfmOWord::kWaitWidth) << "the test has a wait word";
    EXPECT_EQ(window.HeaderValue("Тип:"), "стандартный (o)");
    EXPECT_EQ(Cell(window.CycleTable(), 0, 2), "54");
    EXPECT_EQ(Colour(window.CycleTable(), 0, 2), lists::kRed);
    EXPECT_EQ(Cell(window.CycleTable(), 1, 2), "- - -");
    EXPECT_EQ(Colour(window.CycleTable(), 1, 2), lists::kGrey);
    // 85 read as 84: bit 1 differs, its contact is red.
    EXPECT_EQ(Colour(window.BitTable(), 0, 0), lists::kRed);
    EXPECT_EQ(Colour(window.BitTable(), 1, 0), QColor(Qt::black));

    window.ItemSpin()->stepUp();
    EXPECT_EQ(window.HeaderValue("Тип:"), "циклический (О)");
    EXPECT_EQ(window.HeaderValue("Циклы ожидания:"), "");
    EXPECT_EQ(window.HeaderValue("Время ожидания:"), "1000") << "waits shown as times by default";
}

TEST_F(ListWindows, GeneratorWordsAndGCyclesShowTheirKinds)
{
    TQuorvik &doc = WindowWithDemo().Document();
    STest &test = *doc.Test(0);
    TfmGWord words(doc, test, 3);
    EXPECT_EQ(words.width(), TfmGWord::kWidth);
    EXPECT_EQ(words.windowTitle(), "g-слово (Пауза)");
    EXPECT_EQ(words.HeaderValue("Тип:"), "временная задержка");
    EXPECT_EQ(words.HeaderValue("Единицы измерения:"), "миллисекунда");
    EXPECT_EQ(words.CountLabel()->text(), "Всего g-слов: 4");
    words.ItemSpin()->stepUp();
    EXPECT_EQ(words.HeaderValue("Единицы измерения:"), "микросекунда");
    words.ItemSpin()->stepUp();
    EXPECT_EQ(words.HeaderValue("Тип:"), "генератор импульсов") << "wraps to word 1";

    TfmFuncG cycles(doc, test, 6);
    EXPECT_EQ(cycles.HeaderValue("Тип:"), "выход по условию");
    EXPECT_EQ(Cell(cycles.CycleTable(), 0, 1), "o1");
    EXPECT_EQ(Colour(cycles.CycleTable(), 0, 1), lists::kOlive);
    cycles.ItemSpin()->stepDown();
    EXPECT_EQ(cycles.HeaderValue("Тип:"), "счетный цикл");
    EXPECT_EQ(Cell(cycles.CycleTable(), 1, 1), "3");
}

TEST_F(ListWindows, TheBusWindowListsTheContactNamesOfEachBus)
{
    TQuorvik &doc = WindowWithDemo().Document();
    doc.Cnt().Names[16] = "D17";
    TfmTyreData window(doc, *doc.Test(0), 3);
    EXPECT_EQ(window.windowTitle(), "Шины данных (всего 3)");
    EXPECT_EQ(window.HeaderValue("Разрядность:"), "4");
    ASSERT_EQ(window.BitTable()->rowCount(), 4);
    EXPECT_EQ(Cell(window.BitTable(), 0, 0), "D17");
}

TEST_F(ListWindows, TheListCommandsOpenTheirWindowsInsteadOfTheNotice)
{
    TBaseForm &form = WindowWithDemo();
    QString title;
    {
        ModalWatch<TfmIWord> watch([&](TfmIWord &w) { title = w.windowTitle(); });
        form.Actions().iWord->trigger();
        EXPECT_TRUE(watch.Seen());
    }
    EXPECT_EQ(title, "Входное слово (Данные)");
    {
        ModalWatch<TfmTyreData> watch([&](TfmTyreData &w) { title = w.windowTitle(); });
        form.Actions().tyreData->trigger();
        EXPECT_TRUE(watch.Seen());
    }
    EXPECT_EQ(title, "Шины данных (всего 3)");
    {
        ModalWatch<TfmCnt> watch([&](TfmCnt &w) { title = w.windowTitle(); });
        form.Actions().viewCnt->trigger();
        EXPECT_TRUE(watch.Seen());
    }
    EXPECT_EQ(title, "Файл контактов CNT");
    EXPECT_TRUE(Messages().empty()) << Messages().front();
}

TEST_F(ListWindows, TheTestListSelectsTheChosenTestOnOk)
{
    TBaseForm &form = WindowWithDemo();
    ModalWatch<TfmTestInfo> watch([](TfmTestInfo &w) {
        EXPECT_EQ(w.Tests()->count(), 4);
        EXPECT_EQ(w.Tests()->item(0)->text(), "№1: Шина данных");
        EXPECT_EQ(w.Tests()->item(3)->text(), "все");
        EXPECT_EQ(w.Tests()->currentRow(), 0) << "the current tab is preselected";
        w.Tests()->setCurrentRow(2);
        w.accept();
    });
    emit form.InfoPanel()->TestInfoRequested();
    EXPECT_TRUE(watch.Seen());
    EXPECT_EQ(form.Document().CurrentTest(), 2);
}

TEST_F(ListWindows, TheContactFileShowsThreeRowsOrSixForTheDosUnit)
{
    TQuorvik &doc = WindowWithDemo().Document();
    doc.Cnt().Names[33] = "B2";
    doc.Cnt().Names[100] = "X2-5";
    TfmCnt dos(doc, true);
    ASSERT_EQ(dos.Grid()->rowCount(), 6);
    EXPECT_EQ(dos.Grid()->verticalHeaderItem(3)->text(), "X2c");
    EXPECT_EQ(Cell(dos.Grid(), 1, 1), "B2");
    EXPECT_EQ(Cell(dos.Grid(), 3, 4), "X2-5");
    TfmCnt arm(doc, false);
    ASSERT_EQ(arm.Grid()->rowCount(), 3);
    EXPECT_EQ(arm.Grid()->verticalHeaderItem(0)->text(), "Xc");

    // The rows of 32 contacts are shown as wide as the screen allows, and
    // every row whole.
    dos.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dos));
    const QTableWidget &grid = *dos.Grid();
    const int room = dos.screen()->availableGeometry().width() - 40;
    const int columns = grid.horizontalHeader()->length();
    EXPECT_GE(grid.viewport()->width(), std::min(columns, room - 60));
    EXPECT_GE(grid.viewport()->height(), grid.verticalHeader()->length());
    EXPECT_LE(dos.width(), dos.screen()->availableGeometry().width());
}

} // namespace
} // namespace qv::testing
