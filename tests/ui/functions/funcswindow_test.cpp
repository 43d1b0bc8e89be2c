// The S-function window, opened from the main window's S command on the
// demo board (test 2: S1 "Обмен по RS232" writes uart.dat to the device).

#include "infra/messages.h"
#include "model/document/quorvik.h"
#include "model/functions/funcs.h"
#include "model/test/stest.h"
#include "support/ui/deskfixture.h"
#include "support/ui/modalwatch.h"
#include "ui/functions/datafilebox.h"
#include "ui/functions/funcswindow.h"
#include "ui/functions/runprompt.h"

#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QTest>

namespace qv::testing {
namespace {

using functions::TfmFuncS;

class FuncSWindow : public DeskFixture
{
protected:
    STest &MemoryTest(TBaseForm &form)
    {
        form.SelectTest(1);
        return *form.Document().Test(1);
    }

    static bool OnWindow(TBaseForm &form, const std::function<void(TfmFuncS &)> &action)
    {
        ModalWatch<TfmFuncS> watch(action);
        form.Actions().funcS->trigger();
        return watch.Seen();
    }

    static void Type(QLineEdit *edit, const QString &text)
    {
        edit->setText(text);
        emit edit->editingFinished();
    }

    static void Choose(QComboBox *box, int index)
    {
        box->setCurrentIndex(index);
        emit box->activated(index);
    }
};

TEST_F(FuncSWindow, ShowsTheFunctionAndRefusesAByteCountOutsideItsRange)
{
    TBaseForm &form = WindowWithDemo();
    STest &test = MemoryTest(form);
    const auto uartSize = QFileInfo(QFileInfo(Demo()).dir().filePath("uart.dat")).size();
    ASSERT_TRUE(OnWindow(form, [&](TfmFuncS &w) {
        EXPECT_EQ(w.windowTitle(), QStringLiteral("S-функции"));
        EXPECT_EQ(w.InterfaceLabel()->text(), QStringLiteral("RS232"));
        EXPECT_EQ(w.ModeLabel()->text(), QStringLiteral("запись в устройство"));
        EXPECT_EQ(w.FileBox()->currentText(), QStringLiteral("uart.dat"));
        EXPECT_TRUE(w.AllButton()->isChecked());
        EXPECT_EQ(w.AllSizeLabel()->text(), QStringLiteral("%1 (весь файл)").arg(uartSize));
        EXPECT_EQ(w.SpeedBox()->currentText(), QStringLiteral("9600"));
        EXPECT_EQ(w.FlowBox()->count(), 3);

        w.FixedButton()->click();
        EXPECT_EQ(Messages().back(), Msg(MsgByteCountRange));
        EXPECT_TRUE(w.AllButton()->isChecked());
        w.FixedButton()->setChecked(true);
        Type(w.FixedEdit(), QStringLiteral("65536"));
        EXPECT_EQ(Messages().back(), Msg(MsgByteCountRange));
        EXPECT_EQ(test.SFuncs.ByNumber(1)->NumBytes, 0);
        EXPECT_TRUE(w.AllButton()->isChecked());
        w.FixedEdit()->setText(QStringLiteral("65535"));
        w.FixedButton()->click();
        EXPECT_EQ(test.SFuncs.ByNumber(1)->NumBytes, 65535);
        Choose(w.SpeedBox(), 7);
        Choose(w.ParityBox(), 4);
        EXPECT_EQ(test.SFuncs.ByNumber(1)->Speed, 115200);
        EXPECT_EQ(test.SFuncs.ByNumber(1)->Parity, 4);
        w.reject();
    }));
    const SFuncS &after = *test.SFuncs.ByNumber(1);
    EXPECT_EQ(after.NumBytes, 0);
    EXPECT_EQ(after.Speed, 9600);
}

TEST_F(FuncSWindow, TypedFileNamesAreCheckedAndFlowControlStartsAtTheInterface)
{
    TBaseForm &form = WindowWithDemo();
    STest &test = MemoryTest(form);
    SFuncS &s = *test.SFuncs.ByNumber(1);
    s.Interface = IfaceIrps;
    s.Handling = 1;
    ASSERT_TRUE(OnWindow(form, [&](TfmFuncS &w) {
        ASSERT_EQ(w.FlowBox()->count(), 2);
        EXPECT_EQ(w.FlowBox()->currentText(), QStringLiteral("CTS/RTS"));
        Choose(w.FlowBox(), 1);
        EXPECT_EQ(test.SFuncs.ByNumber(1)->Handling, 2);

        Type(w.FileBox()->lineEdit(), QStringLiteral("../вне.dat"));
        EXPECT_EQ(Messages().back(), "Задано недопустимое имя файла");
        EXPECT_EQ(w.FileBox()->currentText(), QStringLiteral("uart.dat"));
        Type(w.FileBox()->lineEdit(), QStringLiteral("обмен"));
        EXPECT_EQ(test.SFuncs.ByNumber(1)->FileName, "обмен.dat");
        Choose(w.FileBox(), 0);
        EXPECT_EQ(test.SFuncs.ByNumber(1)->FileName, "");

        // A run waiting in its question keeps the values.
        const functions::RunPromptScope prompt;
        Choose(w.DataBitsBox(), 0);
        EXPECT_EQ(Messages().back(), "Выполнение теста не завершено");
        EXPECT_EQ(test.SFuncs.ByNumber(1)->DataBits, 8);
        EXPECT_EQ(w.DataBitsBox()->currentText(), QStringLiteral("8"));
        w.accept();
    }));
    EXPECT_EQ(s.FileName, "");
    EXPECT_EQ(s.Handling, 2);
    EXPECT_EQ(s.SavedFileName, "uart.dat");
}

} // namespace
} // namespace qv::testing
