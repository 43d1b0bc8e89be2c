// The F-function window, opened from the main window's F command on the
// demo board.

#include "infra/messages.h"
#include "model/document/quorvik.h"
#include "model/functions/funcf.h"
#include "model/test/stest.h"
#include "model/words/words.h"
#include "support/ui/deskfixture.h"
#include "support/ui/modalwatch.h"
#include "ui/functions/addressfields.h"
#include "ui/functions/datafilebox.h"
#include "ui/functions/datawindow.h"
#include "ui/functions/funcfwindow.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QTest>
#include <functional>

namespace qv::testing {
namespace {

using functions::TfmFuncF;

class FuncFWindow : public DeskFixture
{
protected:
    // The first test of the demo with F-functions, made current.
    STest &TestWithF(TBaseForm &form)
    {
        for (int i = 0; i < form.Document().Doc().NTest; ++i) {
            if (STest *test = form.Document().Test(i); test && test->FFuncs.Count() > 0) {
                form.SelectTest(i);
                return *test;
            }
        }
        ADD_FAILURE() << "the demo has no F-functions";
        return *form.Document().Test(0);
    }

    static void Type(QLineEdit *edit, const QString &text)
    {
        edit->setText(text);
        emit edit->editingFinished();
    }
    // Opens the F window, steps to F3 and opens its data window, on which
    // `action` runs before it is closed; then OK (keep) or Cancel.
    void OnDataWindowOfF3(TBaseForm &form, bool keep,
                          const std::function<void(functions::TfmData &)> &action)
    {
        ModalWatch<TfmFuncF> watch([&](TfmFuncF &w) {
            ModalWatch<functions::TfmData> data(action);
            QTest::mouseClick(w.NextButton(), Qt::LeftButton);
            QTest::mouseClick(w.NextButton(), Qt::LeftButton);
            ASSERT_EQ(w.ShownNumber(), 3);
            QTest::mouseClick(w.DataButton(), Qt::LeftButton);
            EXPECT_TRUE(data.Seen());
            keep ? w.accept() : w.reject();
        });
        form.Actions().funcF->trigger();
        ASSERT_TRUE(watch.Seen());
    }
};

TEST_F(FuncFWindow, EditsAreRefusedOrKeptAndCancelPutsTheListBack)
{
    TBaseForm &form = WindowWithDemo();
    STest &test = TestWithF(form);
    const SFuncF before = *test.FFuncs.At(0);
    ModalWatch<TfmFuncF> watch([&](TfmFuncF &w) {
        EXPECT_EQ(w.ShownNumber(), before.Number);
        // An end equal to the start is refused and the field shows the end.
        Type(w.Addresses().EndEdit(), QString::number(before.AdrStart, 16));
        EXPECT_EQ(Messages().back(), Msg(MsgEndNotAboveStart));
        EXPECT_EQ(w.Addresses().EndEdit()->text(), QString::number(before.AdrEnd, 16).toUpper());
        Type(w.Addresses().StartEdit(), QStringLiteral("xyz"));
        EXPECT_EQ(Messages().back(), Msg(MsgNotANumberInBase));
        // Accepted edits change the working values only while the window
        // is open.
        Type(w.Addresses().EndEdit(), QStringLiteral("E"));
        w.FileBox()->setCurrentIndex(0);
        emit w.FileBox()->activated(0);
        EXPECT_EQ(test.FFuncs.ByNumber(before.Number)->AdrEnd, 14);
        EXPECT_TRUE(test.FFuncs.ByNumber(before.Number)->FileName.empty());
        // ">" then "<" wraps back to the same function.
        const int count = static_cast<int>(test.FFuncs.Count());
        for (int i = 0; i < count; ++i)
            QTest::mouseClick(w.NextButton(), Qt::LeftButton);
        EXPECT_EQ(w.ShownNumber(), before.Number);
        QTest::mouseClick(w.PreviousButton(), Qt::LeftButton);
        EXPECT_NE(w.ShownNumber(), count > 1 ? before.Number : -1);
        w.reject();
    });
    form.Actions().funcF->trigger();
    ASSERT_TRUE(watch.Seen());
    const SFuncF &after = *test.FFuncs.ByNumber(before.Number);
    EXPECT_EQ(after.AdrEnd, before.AdrEnd);
    EXPECT_EQ(after.FileName, before.FileName);
}

TEST_F(FuncFWindow, OkKeepsTheEditedRangeAndFile)
{
    TBaseForm &form = WindowWithDemo();
    STest &test = TestWithF(form);
    const int number = test.FFuncs.At(0)->Number;
    ModalWatch<TfmFuncF> watch([&](TfmFuncF &w) {
        Type(w.Addresses().StartEdit(), QStringLiteral("2"));
        w.FileBox()->setCurrentIndex(0);
        emit w.FileBox()->activated(0);
        w.accept();
    });
    form.Actions().funcF->trigger();
    ASSERT_TRUE(watch.Seen());
    EXPECT_EQ(test.FFuncs.ByNumber(number)->AdrStart, 2);
    EXPECT_TRUE(test.FFuncs.ByNumber(number)->FileName.empty());
    EXPECT_EQ(test.FFuncs.ByNumber(number)->SavedStart, 0);
}

TEST_F(FuncFWindow, InDebugModeTheDataWindowOpensAtTheAddressWordAndLeavesItsRowInTheWords)
{
    TBaseForm &form = WindowWithDemo();
    STest &test = TestWithF(form);
    form.ToggleDebug();
    ASSERT_TRUE(form.Document().DebugMode());
    // F3 compares addresses 0..31 of i1 with rom.dat (o1 reads the data).
    const SFuncF &compare = *test.FFuncs.ByNumber(3);
    ASSERT_EQ(compare.Type, 2);
    test.IWords.SetValueAt(1, test.ActiveCycle, 7, ValueSet::Run);
    OnDataWindowOfF3(form, true, [](functions::TfmData &d) {
        EXPECT_EQ(d.Model().Selected(), 7u);
        const QRect cell = d.Table()->visualRect(d.Model().index(5, 1));
        QTest::mouseClick(d.Table()->viewport(), Qt::LeftButton, {}, cell.center());
    });
    EXPECT_EQ(test.IWords.ValueAt(1, test.ActiveCycle, ValueSet::Run), 5);
    EXPECT_EQ(test.OWords.ValueAt(1, test.ActiveCycle, ValueSet::Reference), 0xC0); // rom.dat[5]
}

TEST_F(FuncFWindow, TheDataWindowsEditorOpensTheFunctionsDataFile)
{
    UseFakeDataEditor();
    TBaseForm &form = WindowWithDemo();
    STest &test = TestWithF(form);
    ASSERT_EQ(test.FFuncs.ByNumber(3)->FileName, "rom.dat");
    OnDataWindowOfF3(form, false, [&](functions::TfmData &d) {
        ASSERT_TRUE(d.EditorButton()->isEnabled());
        QTest::mouseClick(d.EditorButton(), Qt::LeftButton);
        EXPECT_TRUE(DataEditorRanOn(dir.File("demo/rom.dat")));
    });
    EXPECT_TRUE(Messages().empty());
}

} // namespace
} // namespace qv::testing
