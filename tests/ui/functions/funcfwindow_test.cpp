// The F-function window, opened from the main window's F command on the
// demo board.

#include "infra/messages.h"
#include "model/document/quorvik.h"
#include "model/functions/funcf.h"
#include "model/test/stest.h"
#include "model/words/words.h"
#include "ui/deskfixture.h"
#include "ui/functions/addressfields.h"
#include "ui/functions/datafilebox.h"
#include "ui/functions/datawindow.h"
#include "ui/functions/funcfwindow.h"
#include "ui/modalwatch.h"

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
        for (int i = 0; i < form.document().Doc().NTest; ++i) {
            if (STest *test = form.document().Test(i); test && test->FFuncs.Count() > 0) {
                form.selectTest(i);
                return *test;
            }
        }
        ADD_FAILURE() << "the demo has no F-functions";
        return *form.document().Test(0);
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
            QTest::mouseClick(w.nextButton(), Qt::LeftButton);
            QTest::mouseClick(w.nextButton(), Qt::LeftButton);
            ASSERT_EQ(w.shownNumber(), 3);
            QTest::mouseClick(w.dataButton(), Qt::LeftButton);
            EXPECT_TRUE(data.seen());
            keep ? w.accept() : w.reject();
        });
        form.actions().funcF->trigger();
        ASSERT_TRUE(watch.seen());
    }
};

TEST_F(FuncFWindow, EditsAreRefusedOrKeptAndCancelPutsTheListBack)
{
    TBaseForm &form = WindowWithDemo();
    STest &test = TestWithF(form);
    const SFuncF before = *test.FFuncs.At(0);
    ModalWatch<TfmFuncF> watch([&](TfmFuncF &w) {
        EXPECT_EQ(w.shownNumber(), before.Number);
        // An end equal to the start is refused and the field shows the end.
        Type(w.addresses().endEdit(), QString::number(before.AdrStart, 16));
        EXPECT_EQ(Messages().back(), Msg(MsgEndNotAboveStart));
        EXPECT_EQ(w.addresses().endEdit()->text(), QString::number(before.AdrEnd, 16).toUpper());
        Type(w.addresses().startEdit(), QStringLiteral("xyz"));
        EXPECT_EQ(Messages().back(), Msg(MsgNotANumberInBase));
        // Accepted edits change the working values only while the window
        // is open.
        Type(w.addresses().endEdit(), QStringLiteral("E"));
        w.fileBox()->setCurrentIndex(0);
        emit w.fileBox()->activated(0);
        EXPECT_EQ(test.FFuncs.ByNumber(before.Number)->AdrEnd, 14);
        EXPECT_TRUE(test.FFuncs.ByNumber(before.Number)->FileName.empty());
        // ">" then "<" wraps back to the same function.
        const int count = static_cast<int>(test.FFuncs.Count());
        for (int i = 0; i < count; ++i)
            QTest::mouseClick(w.nextButton(), Qt::LeftButton);
        EXPECT_EQ(w.shownNumber(), before.Number);
        QTest::mouseClick(w.previousButton(), Qt::LeftButton);
        EXPECT_NE(w.shownNumber(), count > 1 ? before.Number : -1);
        w.reject();
    });
    form.actions().funcF->trigger();
    ASSERT_TRUE(watch.seen());
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
        Type(w.addresses().startEdit(), QStringLiteral("2"));
        w.fileBox()->setCurrentIndex(0);
        emit w.fileBox()->activated(0);
        w.accept();
    });
    form.actions().funcF->trigger();
    ASSERT_TRUE(watch.seen());
    EXPECT_EQ(test.FFuncs.ByNumber(number)->AdrStart, 2);
    EXPECT_TRUE(test.FFuncs.ByNumber(number)->FileName.empty());
    EXPECT_EQ(test.FFuncs.ByNumber(number)->SavedStart, 0);
}

TEST_F(FuncFWindow, InDebugModeTheDataWindowOpensAtTheAddressWordAndLeavesItsRowInTheWords)
{
    TBaseForm &form = WindowWithDemo();
    STest &test = TestWithF(form);
    form.toggleDebug();
    ASSERT_TRUE(form.document().DebugMode());
    // F3 compares addresses 0..31 of i1 with rom.dat (o1 reads the data).
    const SFuncF &compare = *test.FFuncs.ByNumber(3);
    ASSERT_EQ(compare.Type, 2);
    test.IWords.SetValueAt(1, test.ActiveCycle, 7, ValueSet::Run);
    OnDataWindowOfF3(form, true, [](functions::TfmData &d) {
        EXPECT_EQ(d.model().selected(), 7u);
        const QRect cell = d.table()->visualRect(d.model().index(5, 1));
        QTest::mouseClick(d.table()->viewport(), Qt::LeftButton, {}, cell.center());
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
        ASSERT_TRUE(d.editorButton()->isEnabled());
        QTest::mouseClick(d.editorButton(), Qt::LeftButton);
        EXPECT_TRUE(DataEditorRanOn(dir.File("demo/rom.dat")));
    });
    EXPECT_TRUE(Messages().empty());
}

} // namespace
} // namespace qv::testing
