// The M- and P-function windows, opened from the main window's M and P
// commands on the demo board (test 2: M1 "Тест ОЗУ 4К" over i1 (L) / i2
// (H) with ALG 5; P1 "Прошивка ППЗУ" with algorithm "PROM 0").

#include "infra/messages.h"
#include "model/document/quorvik.h"
#include "model/functions/funcm.h"
#include "model/functions/prog.h"
#include "model/test/stest.h"
#include "model/words/words.h"
#include "ui/deskfixture.h"
#include "ui/functions/addressfields.h"
#include "ui/functions/datafilebox.h"
#include "ui/functions/funcmwindow.h"
#include "ui/functions/funcpwindow.h"
#include "ui/functions/runprompt.h"
#include "ui/modalwatch.h"
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
        form.selectTest(index);
        return *form.document().Test(index);
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
        QListWidget *list = w.algorithmList();
        ASSERT_EQ(list->count(), 6);
        EXPECT_EQ(list->item(0)->text(), QStringLiteral("Тест буферов"));
        for (int bit = 0; bit < 6; ++bit)
            EXPECT_EQ(list->item(bit)->checkState() == Qt::Checked, bit == 0 || bit == 2) << bit;
        list->item(0)->setCheckState(Qt::Unchecked);
        list->item(5)->setCheckState(Qt::Checked);
        EXPECT_EQ(test.MFuncs.ByNumber(1)->Alg, 4 | 32);

        Type(w.addresses().endEdit(), QStringLiteral("0"));
        EXPECT_EQ(Messages().back(), Msg(MsgEndNotAboveStart));
        Type(w.addresses().endEdit(), QStringLiteral("1000"));
        EXPECT_EQ(Messages().back(), Msg(MsgAddressTooWide) + " слова задания адреса");
        EXPECT_EQ(w.addresses().endEdit()->text(), QStringLiteral("FFF"));
        Type(w.addresses().endEdit(), QStringLiteral("800"));
        Type(w.addresses().startEdit(), QStringLiteral("10"));
        const SFuncM &m = *test.MFuncs.ByNumber(1);
        EXPECT_EQ(m.AdrEnd, 0x800);
        EXPECT_EQ(m.AdrStart, 0x10);
        EXPECT_EQ(m.WritePos, 0x10);
        EXPECT_EQ(m.ReadPos, 0x10);

        // "Результаты" lists all six algorithms with the last statuses.
        QTest::mouseClick(w.resultsButton(), Qt::LeftButton);
        ASSERT_NE(w.resultsWindow(), nullptr);
        EXPECT_TRUE(w.resultsWindow()->isVisible());
        ASSERT_EQ(w.resultsWindow()->rowCount(), 6);
        EXPECT_EQ(w.resultsWindow()->rowText(5), QStringLiteral("Бегущая единица"));
        EXPECT_EQ(w.resultsWindow()->rowPicture(0), 1);
        EXPECT_EQ(w.resultsWindow()->rowPicture(2), 5);

        const functions::RunPromptScope prompt;
        list->item(1)->setCheckState(Qt::Checked);
        EXPECT_EQ(Messages().back(), "Выполнение теста не завершено");
        EXPECT_EQ(list->item(1)->checkState(), Qt::Unchecked);
        EXPECT_EQ(test.MFuncs.ByNumber(1)->Alg, 4 | 32);
        w.reject();
    });
    form.actions().funcM->trigger();
    ASSERT_TRUE(watch.seen());
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
        EXPECT_EQ(w.algorithmLabel()->text(), QStringLiteral("PROM 0"));
        EXPECT_TRUE(w.parametersShown());
        w.pages()->setCurrentIndex(1);
        EXPECT_TRUE(w.pulsesBox()->isVisibleTo(&w));
        EXPECT_EQ(w.cyclesBox()->minimum(), 3);
        EXPECT_EQ(w.cyclesBox()->maximum(), 20);
        EXPECT_EQ(w.cyclesBox()->value(), 5);
        EXPECT_EQ(w.pulsesBox()->value(), 10);
        EXPECT_FALSE(w.delayButton()->isVisibleTo(&w));
        w.cyclesBox()->setValue(25);
        w.pulsesBox()->setValue(12);
        EXPECT_EQ(test.PFuncs.ByNumber(1)->Cycles, 20);
        EXPECT_EQ(test.PFuncs.ByNumber(1)->Param, 12);
        QTest::mouseClick(w.nextButton(), Qt::LeftButton);
        EXPECT_EQ(w.shownNumber(), 2);
        EXPECT_FALSE(w.parametersShown());
        w.accept();
    });
    form.actions().funcP->trigger();
    ASSERT_TRUE(watch.seen());
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
        ASSERT_TRUE(w.editorButton()->isEnabled());
        QTest::mouseClick(w.editorButton(), Qt::LeftButton);
        EXPECT_TRUE(DataEditorRanOn(dir.File("demo/prom.dat")));
        EXPECT_TRUE(Messages().empty());

        w.fileBox()->setCurrentIndex(0);
        emit w.fileBox()->activated(0);
        ASSERT_TRUE(test.PFuncs.ByNumber(1)->FileName.empty());
        QTest::mouseClick(w.editorButton(), Qt::LeftButton);
        EXPECT_EQ(Messages(), std::vector<std::string>{Msg(9)});

        // A name from a hostile file that leads out of the test's folder
        // is refused even when a file of that name exists there.
        WriteBytes(dir.File("outside.dat"), "x");
        test.PFuncs.ByNumber(1)->FileName = "../outside.dat";
        mesbo->Clear();
        QTest::mouseClick(w.editorButton(), Qt::LeftButton);
        EXPECT_EQ(Messages(), std::vector<std::string>{"Файл данных \"../outside.dat\" не найден"});
        w.reject();
    });
    form.actions().funcP->trigger();
    ASSERT_TRUE(watch.seen());
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
    form.selectTest(0);
    ModalWatch<TfmFuncP> watch([&](TfmFuncP &w) {
        w.pages()->setCurrentIndex(1);
        EXPECT_EQ(w.cyclesBox()->value(), 5) << "what the function holds, not 10";
        EXPECT_FALSE(w.cyclesBox()->toolTip().isEmpty());
        w.accept();
    });
    form.actions().funcP->trigger();
    ASSERT_TRUE(watch.seen());
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
    form.selectTest(0);
    ModalWatch<TfmFuncP> watch([&](TfmFuncP &w) {
        w.pages()->setCurrentIndex(1);
        EXPECT_FALSE(w.pulsesBox()->isVisibleTo(&w));
        EXPECT_EQ(w.cyclesBox()->minimum(), 10);
        EXPECT_EQ(w.cyclesBox()->maximum(), 50);
        ASSERT_TRUE(w.delayButton()->isVisibleTo(&w));
        EXPECT_EQ(w.delayButton()->text(), QStringLiteral("g3"));
        ModalWatch<TfmDelayEdit> delay([&](TfmDelayEdit &d) {
            EXPECT_EQ(d.valueEdit()->text(), QStringLiteral("10"));
            for (const char *wrong : {"0", "65536", "пять"}) {
                d.valueEdit()->setText(QString::fromUtf8(wrong));
                d.okButton()->click();
                EXPECT_EQ(Messages().back(), Msg(MsgDelayRange)) << wrong;
            }
            d.valueEdit()->setText(QStringLiteral("65535"));
            d.okButton()->click();
        });
        QTest::mouseClick(w.delayButton(), Qt::LeftButton);
        EXPECT_TRUE(delay.seen());
        w.accept();
    });
    form.actions().funcP->trigger();
    ASSERT_TRUE(watch.seen());
    EXPECT_EQ(test.GWords.ValueAt(3, 0, ValueSet::Reference), 65535);
    EXPECT_EQ(test.GWords.ValueAt(3, 1, ValueSet::Reference), 20);
}

} // namespace
} // namespace qv::testing
