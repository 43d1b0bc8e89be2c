// The V-function window and its add dialog, opened from the main window's
// V command on the demo board (test 2 has V1 "Строб записи" at tact 12
// with a reference in cycle 1).

#include "infra/messages.h"
#include "model/document/quorvik.h"
#include "model/functions/funcv.h"
#include "model/test/stest.h"
#include "paint/oscillogram/oscillogram.h"
#include "support/ui/deskfixture.h"
#include "support/ui/modalwatch.h"
#include "ui/debug/savechoice.h"
#include "ui/functions/funcvwindow.h"
#include "ui/functions/runprompt.h"
#include "ui/functions/vaddwindow.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTableWidget>
#include <QTest>

namespace qv::testing {
namespace {

using functions::TfmAddFuncV;
using functions::TfmFuncV;

constexpr int kMemoryTest = 1; // the demo's test with every kind of function

class FuncVWindow : public DeskFixture
{
protected:
    STest &MemoryTest(TBaseForm &form)
    {
        form.SelectTest(kMemoryTest);
        return *form.Document().Test(kMemoryTest);
    }

    // Opens the window with the V command and runs `action` on it.
    static bool OnWindow(TBaseForm &form, const std::function<void(TfmFuncV &)> &action)
    {
        ModalWatch<TfmFuncV> watch(action);
        form.Actions().funcV->trigger();
        return watch.Seen();
    }

    // Adds a function through the add dialog of an open window.
    static void Add(TfmFuncV &w, const QString &name, int tact, int number = -1)
    {
        ModalWatch<TfmAddFuncV> add([&](TfmAddFuncV &d) {
            d.NameEdit()->setText(name);
            d.SweepBox()->setCurrentIndex(1);
            d.AmplitudeBox()->setCurrentIndex(0);
            d.TactEdit()->setText(QString::number(tact));
            if (number > 0)
                d.NumberBox()->setValue(number);
            d.InfoEdit()->setPlainText(QStringLiteral("строка 1\nстрока 2\n"));
            d.OkButton()->click();
        });
        QTest::mouseClick(w.AddButton(), Qt::LeftButton);
        EXPECT_TRUE(add.Seen());
    }

    static void Type(QLineEdit *edit, const QString &text)
    {
        edit->setText(text);
        emit edit->editingFinished();
    }

    // Presses on one table row and releases on another (or the same).
    static void Drag(TfmFuncV &w, int from, int to)
    {
        QWidget *viewport = w.Table()->viewport();
        const auto at = [&](int row) {
            return QPoint(20, w.Table()->rowViewportPosition(row) + 3);
        };
        QTest::mousePress(viewport, Qt::LeftButton, {}, at(from));
        QTest::mouseRelease(viewport, Qt::LeftButton, {}, at(to));
    }
};

TEST_F(FuncVWindow, ShowsTheFunctionWithItsReferenceAndRefusesATactOutsideTheTest)
{
    TBaseForm &form = WindowWithDemo();
    STest &test = MemoryTest(form);
    ASSERT_TRUE(OnWindow(form, [&](TfmFuncV &w) {
        EXPECT_EQ(w.windowTitle(), QStringLiteral("V-функции"));
        EXPECT_EQ(w.ShownNumber(), 1);
        EXPECT_EQ(w.NameEdit()->text(), QStringLiteral("Строб записи"));
        EXPECT_EQ(w.TactEdit()->text(), QStringLiteral("12"));
        EXPECT_EQ(w.SweepBox()->currentText(), QStringLiteral("20 мс"));
        EXPECT_EQ(w.AmplitudeBox()->currentText(), QStringLiteral("25 В"));
        EXPECT_EQ(
            w.InfoView()->toPlainText(),
            QStringLiteral("Строб записи ОЗУ на контакте 17\nЭталон снят на исправной плате"));
        EXPECT_EQ(w.SweepDivisionLabel()->text(), QStringLiteral("1 мс на 1 дел."));
        EXPECT_EQ(w.AmplitudeDivisionLabel()->text(), QStringLiteral("2,5 В на 1 дел."));
        // The reference of cycle 1 is drawn in the "File" colour: its low
        // samples (0x20) lie near the bottom of the picture.
        const QPoint low = oscillogram::SamplePoint(100, 0x20);
        EXPECT_EQ(w.Picture().pixel(low), QColor(0, 0xFF, 0).rgb());

        const int tacts = test.Tacts.TactCount();
        Type(w.TactEdit(), QString::number(tacts + 1));
        EXPECT_EQ(Messages().back(), Msg(47) +
                                         "\r\nМинимальное - 1. Максимальное - количество тактов (" +
                                         std::to_string(tacts) + ")");
        EXPECT_EQ(w.TactEdit()->text(), QStringLiteral("12"));
        Type(w.TactEdit(), QStringLiteral("3"));
        EXPECT_EQ(test.VFuncs.ByNumber(1)->Tact, 2);
        w.reject();
    }));
    // Cancel put the snapshot back.
    EXPECT_EQ(test.VFuncs.ByNumber(1)->Tact, 11);
}

TEST_F(FuncVWindow, SweepAndAmplitudeChangeOnlyTheShownCycleAndOkKeepsThem)
{
    TBaseForm &form = WindowWithDemo();
    STest &test = MemoryTest(form);
    test.Cycles = 3;
    ASSERT_TRUE(OnWindow(form, [&](TfmFuncV &w) {
        // The cycle selector wraps over the test's three cycles.
        EXPECT_EQ(w.CycleBox()->value(), 1);
        w.CycleBox()->stepDown();
        EXPECT_EQ(w.ShownCycle(), 2);
        w.SweepBox()->setCurrentIndex(9);
        emit w.SweepBox()->activated(9);
        w.AmplitudeBox()->setCurrentIndex(3);
        emit w.AmplitudeBox()->activated(3);
        EXPECT_EQ(w.SweepDivisionLabel()->text(), QStringLiteral("50 мс на 1 дел."));
        w.CycleBox()->stepUp();
        EXPECT_EQ(w.ShownCycle(), 0);
        EXPECT_EQ(w.SweepBox()->currentText(), QStringLiteral("20 мс"));
        w.accept();
    }));
    const SFuncV &v = *test.VFuncs.ByNumber(1);
    EXPECT_EQ(v.Sweep[2], 9);
    EXPECT_EQ(v.Scale[2], 3);
    EXPECT_EQ(v.Sweep[1], 4);
    EXPECT_EQ(v.SavedSweep[2], 4);
}

TEST_F(FuncVWindow, AddDialogPresetsTheLowestFreeNumberAndChecksItsFields)
{
    TBaseForm &form = WindowWithDemo();
    STest &test = MemoryTest(form);
    ASSERT_TRUE(OnWindow(form, [&](TfmFuncV &w) {
        Add(w, QStringLiteral("Второй"), 2);
        Add(w, QStringLiteral("Третий"), 3);
        EXPECT_EQ(w.ShownNumber(), 3);
        ModalWatch<TfmAddFuncV> add([&](TfmAddFuncV &d) {
            EXPECT_EQ(d.windowTitle(), QStringLiteral("Добавление новой V-функции"));
            EXPECT_EQ(d.NumberBox()->value(), 4);
            EXPECT_EQ(d.FreeNumbersLabel()->text(),
                      QStringLiteral("Допустимые номера: 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, "
                                     "15, 16"));
            EXPECT_EQ(d.AmplitudeBox()->itemText(0), QStringLiteral("2.5 В"));
            QPushButton *ok = d.OkButton();
            ok->click();
            EXPECT_EQ(Messages().back(), Msg(52));
            d.NameEdit()->setText(QStringLiteral("Четвёртый"));
            d.SweepBox()->setCurrentIndex(0);
            d.AmplitudeBox()->setCurrentIndex(0);
            d.TactEdit()->setText(QString::number(test.Tacts.TactCount() + 1));
            ok->click();
            EXPECT_EQ(Messages().back(), Msg(53));
            EXPECT_TRUE(d.isVisible());
            d.reject();
        });
        QTest::mouseClick(w.AddButton(), Qt::LeftButton);
        EXPECT_TRUE(add.Seen());
        // A number in use takes the new settings and loses its waveforms.
        Add(w, QStringLiteral("Замена"), 5, 1);
        w.accept();
    }));
    ASSERT_EQ(test.VFuncs.Count(), 3);
    const SFuncV &replaced = *test.VFuncs.ByNumber(1);
    EXPECT_EQ(replaced.Name, "Замена");
    EXPECT_EQ(replaced.Tact, 4);
    EXPECT_EQ(replaced.Sweep[15], 1);
    EXPECT_EQ(replaced.Info, "строка 1\r\nстрока 2");
    EXPECT_FALSE(replaced.Reference[0]);
}

TEST_F(FuncVWindow, TableClicksChooseTheActiveFunctionAndDragsSwapTwo)
{
    TBaseForm &form = WindowWithDemo();
    STest &test = MemoryTest(form);
    int chosen = -1;
    ASSERT_TRUE(OnWindow(form, [&](TfmFuncV &w) {
        Add(w, QStringLiteral("Второй"), 2);
        w.Pages()->setCurrentIndex(1);
        ASSERT_EQ(w.Table()->rowCount(), 2);
        Drag(w, 1, 1);
        EXPECT_EQ(test.VFuncs.Active(), 2);
        EXPECT_EQ(w.ActiveBox()->currentText(), QStringLiteral("2: Второй"));
        Drag(w, 1, 1);
        EXPECT_EQ(test.VFuncs.Active(), 0);
        EXPECT_EQ(w.ActiveBox()->currentText(), QStringLiteral("отсутствует"));
        Drag(w, 0, 1);
        EXPECT_EQ(test.VFuncs.ByNumber(1)->Name, "Второй");
        EXPECT_EQ(test.VFuncs.ByNumber(2)->Name, "Строб записи");
        EXPECT_EQ(w.Table()->item(1, 1)->text(), QStringLiteral("Строб записи"));
        // The list box chooses too.
        w.ActiveBox()->setCurrentIndex(2);
        emit w.ActiveBox()->activated(2);
        EXPECT_EQ(test.VFuncs.Active(), 2);
        w.accept();
        chosen = w.ChosenTact();
    }));
    EXPECT_EQ(chosen, 12);
}

TEST_F(FuncVWindow, WhileARunPromptIsOpenTheActiveFunctionAndWaveformsStayAsTheyAre)
{
    TBaseForm &form = WindowWithDemo();
    STest &test = MemoryTest(form);
    test.VFuncs.SetActive(1);
    ASSERT_TRUE(OnWindow(form, [&](TfmFuncV &w) {
        const functions::RunPromptScope prompt;
        w.ActiveBox()->setCurrentIndex(0);
        emit w.ActiveBox()->activated(0);
        EXPECT_EQ(Messages().back(), "Выполнение теста не завершено");
        EXPECT_EQ(test.VFuncs.Active(), 1);
        EXPECT_EQ(w.ActiveBox()->currentIndex(), 1);
        const auto before = Messages().size();
        QTest::mouseClick(w.ClearButton(), Qt::LeftButton);
        w.SweepBox()->setCurrentIndex(0);
        emit w.SweepBox()->activated(0);
        EXPECT_EQ(Messages().size(), before + 2);
        EXPECT_EQ(w.SweepBox()->currentText(), QStringLiteral("20 мс"));
        EXPECT_EQ(test.VFuncs.ByNumber(1)->Sweep[0], 4);
        w.accept();
    }));
}

TEST_F(FuncVWindow, KeepClearAndDeleteWorkOnTheShownFunctionAndAnEmptyNameCannotBeLeft)
{
    TBaseForm &form = WindowWithDemo();
    STest &test = MemoryTest(form);
    auto captured = std::make_shared<Waveform>();
    captured->fill(0xFF);
    test.VFuncs.ByNumber(1)->Captured[0] = captured;
    ASSERT_TRUE(OnWindow(form, [&](TfmFuncV &w) {
        // The recorded trace is drawn at the top in the "Current" colour.
        EXPECT_EQ(w.Picture().pixel(oscillogram::SamplePoint(500, 0xFF)),
                  QColor(0xFF, 0xFF, 0).rgb());
        QTest::mouseClick(w.KeepButton(), Qt::LeftButton);
        EXPECT_TRUE(test.VFuncs.ByNumber(1)->KeepCapture[0]);
        EXPECT_TRUE(w.KeepButton()->font().bold());
        QTest::mouseClick(w.ClearButton(), Qt::LeftButton);
        EXPECT_FALSE(test.VFuncs.ByNumber(1)->Captured[0]);
        EXPECT_TRUE(test.VFuncs.ByNumber(1)->Reference[0]);

        // An empty name keeps the window open.
        w.NameEdit()->setText(QString());
        emit w.NameEdit()->textEdited(QString());
        w.accept();
        EXPECT_EQ(Messages().back(), Msg(56));
        EXPECT_TRUE(w.isVisible());
        w.NameEdit()->setText(QStringLiteral("Новое"));
        emit w.NameEdit()->textEdited(QStringLiteral("Новое"));

        mesbo->QueueAnswer(MbNo);
        QTest::mouseClick(w.DeleteButton(), Qt::LeftButton);
        EXPECT_EQ(test.VFuncs.Count(), 1);
        mesbo->QueueAnswer(MbYes);
        QTest::mouseClick(w.DeleteButton(), Qt::LeftButton);
        EXPECT_EQ(Messages().back(), Msg(49));
        EXPECT_EQ(test.VFuncs.Count(), 0);
        EXPECT_EQ(w.ShownNumber(), 0);
        QTest::mouseClick(w.DeleteButton(), Qt::LeftButton);
        EXPECT_EQ(Messages().back(), Msg(48));
        QTest::mouseClick(w.EditorButton(), Qt::LeftButton);
        EXPECT_EQ(Messages().back(), Msg(50));
        w.reject();
    }));
    ASSERT_EQ(test.VFuncs.Count(), 1);
    EXPECT_EQ(test.VFuncs.ByNumber(1)->Name, "Строб записи");
    EXPECT_TRUE(test.VFuncs.ByNumber(1)->Captured[0]);
}

TEST_F(FuncVWindow, AFunctionChosenOnTheViewsIsShownFirstAndAnEmptyTestStillOpensTheWindow)
{
    TBaseForm &form = WindowWithDemo();
    STest &test = MemoryTest(form);
    ASSERT_TRUE(OnWindow(form, [](TfmFuncV &w) {
        Add(w, QStringLiteral("Второй"), 2);
        w.accept();
    }));
    ModalWatch<TfmFuncV> chosen([](TfmFuncV &w) {
        EXPECT_EQ(w.ShownNumber(), 2);
        EXPECT_EQ(w.NameEdit()->text(), QStringLiteral("Второй"));
    });
    form.OpenListAt('V', 2);
    EXPECT_TRUE(chosen.Seen());

    // The first test has no V-functions: the window opens so that one can
    // be added, and commands on the missing function say why they cannot.
    form.SelectTest(0);
    ASSERT_TRUE(form.Document().Test(0)->VFuncs.Empty());
    ASSERT_TRUE(OnWindow(form, [&](TfmFuncV &w) {
        EXPECT_EQ(w.ShownNumber(), 0);
        QTest::mouseClick(w.KeepButton(), Qt::LeftButton);
        EXPECT_EQ(Messages().back(), Msg(50));
        w.accept();
    }));
    EXPECT_EQ(test.VFuncs.Count(), 2);
}

TEST_F(FuncVWindow, AListOfNinetyNineFunctionsRefusesAddingBeforeTheDialogOpens)
{
    TBaseForm &form = WindowWithDemo();
    STest &test = MemoryTest(form);
    for (int n = 2; n <= kMaxVFunctions; ++n) {
        test.VFuncs.Add(n);
        SFuncV named = *test.VFuncs.ByNumber(n);
        named.Name = std::to_string(n);
        test.VFuncs.Replace(named);
    }
    ASSERT_TRUE(OnWindow(form, [&](TfmFuncV &w) {
        // The click returns at once: no add dialog waits for an answer.
        QTest::mouseClick(w.AddButton(), Qt::LeftButton);
        EXPECT_EQ(Messages().back(), "Невозможно добавить V - функцию. " + Msg(51) + " функций");
        EXPECT_EQ(w.ActiveBox()->count(), kMaxVFunctions + 1);
        EXPECT_EQ(test.VFuncs.Count(), kMaxVFunctions);
        w.reject();
    }));
}

// Saved without V-function data ("Сохранить", nothing ticked) and opened
// again, each oscillogram reference stays with its function: the file names
// references by function number, and the numbers changed hands.
class FuncVReferences : public FuncVWindow
{
protected:
    void SaveAndReopen(TBaseForm &form)
    {
        ModalWatch<debug::TfmSaveChoice> choice([](debug::TfmSaveChoice &w) {
            for (int i = 0; i < w.Kinds()->count(); ++i)
                w.Kinds()->item(i)->setCheckState(Qt::Unchecked);
            QTest::mouseClick(w.OkButton(), Qt::LeftButton);
        });
        form.Actions().saveFile->trigger();
        ASSERT_TRUE(choice.Seen());
        ASSERT_TRUE(form.OpenFile(QString::fromStdString(form.Document().Doc().FileName)));
    }

    // The first sample of a function's reference in cycle 1; -1 for none.
    static int ReferenceOf(const STest &test, int number)
    {
        const SFuncV *v = test.VFuncs.ByNumber(number);
        return v && v->Reference[0] ? (*v->Reference[0])[0] : -1;
    }
};

TEST_F(FuncVReferences, TwoFunctionsSwappedByDraggingKeepTheirOwnWaveforms)
{
    TBaseForm &form = WindowWithDemo();
    const int strobe = ReferenceOf(MemoryTest(form), 1);
    ASSERT_NE(strobe, -1);
    ASSERT_TRUE(OnWindow(form, [&](TfmFuncV &w) {
        Add(w, QStringLiteral("Второй"), 2);
        w.Pages()->setCurrentIndex(1);
        Drag(w, 0, 1);
        w.accept();
    }));
    SaveAndReopen(form);
    const STest &test = MemoryTest(form);
    EXPECT_EQ(test.VFuncs.ByNumber(1)->Name, "Второй");
    EXPECT_EQ(ReferenceOf(test, 1), -1);
    EXPECT_EQ(test.VFuncs.ByNumber(2)->Name, "Строб записи");
    EXPECT_EQ(ReferenceOf(test, 2), strobe);
    // The window draws it for function 2 as it did for function 1.
    ModalWatch<TfmFuncV> shown([](TfmFuncV &w) {
        EXPECT_EQ(w.ShownNumber(), 2);
        EXPECT_EQ(w.Picture().pixel(oscillogram::SamplePoint(100, 0x20)), QColor(0, 0xFF, 0).rgb());
        w.reject();
    });
    form.OpenListAt('V', 2);
    EXPECT_TRUE(shown.Seen());
}

TEST_F(FuncVReferences, AFunctionDeletedOrReplacedLeavesNoWaveformToItsNumber)
{
    TBaseForm &form = WindowWithDemo();
    ASSERT_NE(ReferenceOf(MemoryTest(form), 1), -1);
    // Deleted and saved; later a new function takes the free number.
    ASSERT_TRUE(OnWindow(form, [&](TfmFuncV &w) {
        mesbo->QueueAnswer(MbYes);
        QTest::mouseClick(w.DeleteButton(), Qt::LeftButton);
        w.accept();
    }));
    ASSERT_TRUE(MemoryTest(form).VFuncs.Empty());
    SaveAndReopen(form);
    ASSERT_TRUE(MemoryTest(form).VFuncs.Empty());
    ASSERT_TRUE(OnWindow(form, [&](TfmFuncV &w) {
        Add(w, QStringLiteral("Новая"), 2);
        w.accept();
    }));
    SaveAndReopen(form);
    EXPECT_EQ(MemoryTest(form).VFuncs.ByNumber(1)->Name, "Новая");
    EXPECT_EQ(ReferenceOf(MemoryTest(form), 1), -1);

    // Added under the number of a function with a waveform.
    ASSERT_TRUE(form.OpenFile(Demo("replaced")));
    ASSERT_NE(ReferenceOf(MemoryTest(form), 1), -1);
    ASSERT_TRUE(OnWindow(form, [&](TfmFuncV &w) {
        Add(w, QStringLiteral("Замена"), 5, 1);
        w.accept();
    }));
    SaveAndReopen(form);
    EXPECT_EQ(MemoryTest(form).VFuncs.ByNumber(1)->Name, "Замена");
    EXPECT_EQ(ReferenceOf(MemoryTest(form), 1), -1);
}

} // namespace
} // namespace qv::testing
