// The M- and P-function windows, opened from the main window's M and P
// commands on the demo board (test 2: M1 "Тест ОЗУ 4К" over i1 (L) / i2
// (H) with ALG 5; P1 "Прошивка ППЗУ" with algorithm "PROM 0").

#include "infra/messages.h"
#include "model/document/quorvik.h"
#include "model/functions/funcm.h"
#include "model/functions/prog.h"
#include "model/test/stest.h"
#include "model/words/words.h"
#include "support/ui/deskfixture.h"
#include "support/ui/modalwatch.h"
#include "ui/functions/addressfields.h"
#include "ui/functions/datafilebox.h"
#include "ui/functions/funcmwindow.h"
#include "ui/functions/funcpwindow.h"
#include "ui/functions/runprompt.h"
#include "ui/run/mprogresswindow.h"

#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QTest>

namespace qv::testing {
namespace {

using functions::TfmDelayEdit;
using functions::TfmFuncM;
using functions::TfmFuncP;

class FuncMPWindows : public DeskFixture
{
protected:
    STest &TestNumber(TBaseForm &form, int index)
    {
        form.SelectTest(index);
        return *form.Document().Test(index);
    }

    static void Type(QLineEdit *edit, const QString &text)
    {
        edit->setText(text);
        emit edit->editingFinished();
    }
};

TEST_F(FuncMPWindows, MWindowTicksTheAlgorithmsOfTheMaskAndChecksTheEndAgainstBothAddressWords)
{
    TBaseForm &form = WindowWithDemo();
    STest &test = TestNumber(form, 1);
    test.MFuncs.ByNumber(1)->Status = {1, 2, 5, 2, 2, 2};
    ModalWatch<TfmFuncM> watch([&](TfmFuncM &w) {
        EXPECT_EQ(w.windowTitle(), QStringLiteral("M-функции"));
        QListWidget *list = w.AlgorithmList();
        ASSERT_EQ(list->count(), 6);
        EXPECT_EQ(list->item(0)->text(), QStringLiteral("Тест буферов"));
        for (int bit = 0; bit < 6; ++bit)
            EXPECT_EQ(list->item(bit)->checkState() == Qt::Checked, bit == 0 || bit == 2) << bit;
        list->item(0)->setCheckState(Qt::Unchecked);
        list->item(5)->setCheckState(Qt::Checked);
        EXPECT_EQ(test.MFuncs.ByNumber(1)->Alg, 4 | 32);

        Type(w.Addresses().EndEdit(), QStringLiteral("0"));
        EXPECT_EQ(Messages().back(), Msg(MsgEndNotAboveStart));
        Type(w.Addresses().EndEdit(), QStringLiteral("1000"));
        EXPECT_EQ(Messages().back(), Msg(MsgAddressTooWide) + " слова задания адреса");
        EXPECT_EQ(w.Addresses().EndEdit()->text(), QStringLiteral("FFF"));
        Type(w.Addresses().EndEdit(), QStringLiteral("800"));
        Type(w.Addresses().StartEdit(), QStringLiteral("10"));
        const SFuncM &m = *test.MFuncs.ByNumber(1);
        EXPECT_EQ(m.AdrEnd, 0x800);
        EXPECT_EQ(m.AdrStart, 0x10);
        EXPECT_EQ(m.WritePos, 0x10);
        EXPECT_EQ(m.ReadPos, 0x10);

        // "Результаты" lists all six algorithms with the last statuses.
        QTest::mouseClick(w.ResultsButton(), Qt::LeftButton);
        ASSERT_NE(w.ResultsWindow(), nullptr);
        EXPECT_TRUE(w.ResultsWindow()->isVisible());
        ASSERT_EQ(w.ResultsWindow()->RowCount(), 6);
        EXPECT_EQ(w.ResultsWindow()->RowText(5), QStringLiteral("Бегущая единица"));
        EXPECT_EQ(w.ResultsWindow()->RowPicture(0), 1);
        EXPECT_EQ(w.ResultsWindow()->RowPicture(2), 5);

        const functions::RunPromptScope prompt;
        list->item(1)->setCheckState(Qt::Checked);
        EXPECT_EQ(Messages().back(), "Выполнение теста не завершено");
        EXPECT_EQ(list->item(1)->checkState(), Qt::Unchecked);
        EXPECT_EQ(test.MFuncs.ByNumber(1)->Alg, 4 | 32);
        w.reject();
    });
    form.Actions().funcM->trigger();
    ASSERT_TRUE(watch.Seen());
    EXPECT_EQ(test.MFuncs.ByNumber(1)->Alg, 5);
    EXPECT_EQ(test.MFuncs.ByNumber(1)->AdrEnd, 4095);
}

TEST_F(FuncMPWindows, PWindowLimitsTheCyclesToTheAlgorithmAndHidesParametersOfTheStandardOne)
{
    TBaseForm &form = WindowWithDemo();
    STest &test = TestNumber(form, 1);
    test.PFuncs.Add(2);
    SProg standard = *test.PFuncs.ByNumber(1);
    standard.Number = 2;
    standard.Alg = ProgStandard;
    test.PFuncs.Replace(standard);
    ModalWatch<TfmFuncP> watch([&](TfmFuncP &w) {
        EXPECT_EQ(w.windowTitle(), QStringLiteral("P-функции"));
        EXPECT_EQ(w.AlgorithmLabel()->text(), QStringLiteral("PROM 0"));
        EXPECT_TRUE(w.ParametersShown());
        w.Pages()->setCurrentIndex(1);
        EXPECT_TRUE(w.PulsesBox()->isVisibleTo(&w));
        EXPECT_EQ(w.CyclesBox()->minimum(), 3);
        EXPECT_EQ(w.CyclesBox()->maximum(), 20);
        EXPECT_EQ(w.CyclesBox()->value(), 5);
        EXPECT_EQ(w.PulsesBox()->value(), 10);
        EXPECT_FALSE(w.DelayButton()->isVisibleTo(&w));
        w.CyclesBox()->setValue(25);
        w.PulsesBox()->setValue(12);
        EXPECT_EQ(test.PFuncs.ByNumber(1)->Cycles, 20);
        EXPECT_EQ(test.PFuncs.ByNumber(1)->Param, 12);
        QTest::mouseClick(w.NextButton(), Qt::LeftButton);
        EXPECT_EQ(w.ShownNumber(), 2);
        EXPECT_FALSE(w.ParametersShown());
        w.accept();
    });
    form.Actions().funcP->trigger();
    ASSERT_TRUE(watch.Seen());
    EXPECT_EQ(test.PFuncs.ByNumber(1)->Cycles, 20);
    EXPECT_EQ(test.PFuncs.ByNumber(1)->SavedCycles, 5);
}

TEST_F(FuncMPWindows, PWindowEditorOpensTheDataFileBesideTheTestFileAndRefusesAnUnsetOne)
{
    UseFakeDataEditor();
    TBaseForm &form = WindowWithDemo();
    STest &test = TestNumber(form, 1);
    ASSERT_EQ(test.PFuncs.ByNumber(1)->FileName, "prom.dat");
    ModalWatch<TfmFuncP> watch([&](TfmFuncP &w) {
        ASSERT_TRUE(w.EditorButton()->isEnabled());
        QTest::mouseClick(w.EditorButton(), Qt::LeftButton);
        EXPECT_TRUE(DataEditorRanOn(dir.File("demo/prom.dat")));
        EXPECT_TRUE(Messages().empty());

        w.FileBox()->setCurrentIndex(0);
        emit w.FileBox()->activated(0);
        ASSERT_TRUE(test.PFuncs.ByNumber(1)->FileName.empty());
        QTest::mouseClick(w.EditorButton(), Qt::LeftButton);
        EXPECT_EQ(Messages(), std::vector<std::string>{Msg(9)});

        // A name from a hostile file that leads out of the test's folder
        // is refused even when a file of that name exists there.
        WriteBytes(dir.File("outside.dat"), "x");
        test.PFuncs.ByNumber(1)->FileName = "../outside.dat";
        mesbo->Clear();
        QTest::mouseClick(w.EditorButton(), Qt::LeftButton);
        EXPECT_EQ(Messages(), std::vector<std::string>{"Файл данных \"../outside.dat\" не найден"});
        w.reject();
    });
    form.Actions().funcP->trigger();
    ASSERT_TRUE(watch.Seen());
}

TEST_F(FuncMPWindows, PWindowShowsTheCyclesAFunctionHoldsOutsideItsAlgorithmsRange)
{
    TBaseForm &form = WindowWithDemo();
    STest &test = TestNumber(form, 0);
    test.PFuncs.Add(1);
    SProg eprom = *test.PFuncs.ByNumber(1);
    eprom.Alg = ProgEprom;
    eprom.Param = 3;
    eprom.Cycles = 5; // the EPROM algorithm takes 10 to 50
    test.PFuncs.Replace(eprom);
    form.SelectTest(0);
    ModalWatch<TfmFuncP> watch([&](TfmFuncP &w) {
        w.Pages()->setCurrentIndex(1);
        EXPECT_EQ(w.CyclesBox()->value(), 5) << "what the function holds, not 10";
        EXPECT_FALSE(w.CyclesBox()->toolTip().isEmpty());
        w.accept();
    });
    form.Actions().funcP->trigger();
    ASSERT_TRUE(watch.Seen());
    EXPECT_EQ(test.PFuncs.ByNumber(1)->Cycles, 5);
}

TEST_F(FuncMPWindows, PWindowDelayEditorSetsTheDelayWordWithinOneTo65535)
{
    TBaseForm &form = WindowWithDemo();
    STest &test = TestNumber(form, 0);
    test.PFuncs.Add(1);
    SProg eprom = *test.PFuncs.ByNumber(1);
    eprom.Alg = ProgEprom;
    eprom.Param = 3; // g3 "Пауза", 10 in cycle 1
    eprom.Cycles = 12;
    test.PFuncs.Replace(eprom);
    form.SelectTest(0);
    ModalWatch<TfmFuncP> watch([&](TfmFuncP &w) {
        w.Pages()->setCurrentIndex(1);
        EXPECT_FALSE(w.PulsesBox()->isVisibleTo(&w));
        EXPECT_EQ(w.CyclesBox()->minimum(), 10);
        EXPECT_EQ(w.CyclesBox()->maximum(), 50);
        ASSERT_TRUE(w.DelayButton()->isVisibleTo(&w));
        EXPECT_EQ(w.DelayButton()->text(), QStringLiteral("g3"));
        ModalWatch<TfmDelayEdit> delay([&](TfmDelayEdit &d) {
            EXPECT_EQ(d.ValueEdit()->text(), QStringLiteral("10"));
            for (const char *wrong : {"0", "65536", "пять"}) {
                d.ValueEdit()->setText(QString::fromUtf8(wrong));
                d.OkButton()->click();
                EXPECT_EQ(Messages().back(), Msg(MsgDelayRange)) << wrong;
            }
            d.ValueEdit()->setText(QStringLiteral("65535"));
            d.OkButton()->click();
        });
        QTest::mouseClick(w.DelayButton(), Qt::LeftButton);
        EXPECT_TRUE(delay.Seen());
        w.accept();
    });
    form.Actions().funcP->trigger();
    ASSERT_TRUE(watch.Seen());
    EXPECT_EQ(test.GWords.ValueAt(3, 0, ValueSet::Reference), 65535);
    EXPECT_EQ(test.GWords.ValueAt(3, 1, ValueSet::Reference), 20);
}

} // namespace
} // namespace qv::testing
