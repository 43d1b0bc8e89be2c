// The data-file-name window: the functions of a test without data file
// names, and OK only once every one has a name.

#include "infra/messages.h"
#include "model/document/quorvik.h"
#include "model/test/stest.h"
#include "support/ui/deskfixture.h"
#include "support/ui/modalwatch.h"
#include "ui/functions/datafilebox.h"
#include "ui/functions/funcfwindow.h"
#include "ui/functions/funcpwindow.h"
#include "ui/lists/funcnamewindow.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTableWidget>
#include <QTest>

namespace qv::testing {
namespace {

using FuncNameWindow = DeskFixture;
using lists::TfmFuncName;

TEST_F(FuncNameWindow, OkWaitsUntilEveryListedFunctionHasAName)
{
    STest &test = *WindowWithDemo().Document().Test(1);
    test.FFuncs.ByNumber(1)->FileName.clear();
    test.SFuncs.ByNumber(1)->FileName.clear();
    // F1 on two tacts is listed twice; S1 is coded 101.
    TfmFuncName window(test, 1, std::string{1, 1, 101});
    window.show();
    EXPECT_TRUE(window.TopLabel()->text().startsWith("В тесте №2 определены функции"));
    ASSERT_EQ(window.Grid()->rowCount(), 4);
    EXPECT_EQ(window.Grid()->height(), 4 * TfmFuncName::kRowHeight);
    EXPECT_EQ(window.CellText(0, 0), "F1");
    EXPECT_EQ(window.CellText(0, 1), "Загрузка ОЗУ");
    EXPECT_EQ(window.CellText(0, 2), "<не задано>");
    EXPECT_EQ(window.Grid()->item(1, 2)->foreground().color(), QColor(0xFF, 0, 0));
    EXPECT_EQ(window.CellText(2, 0), "S1 (w)");

    QTest::mouseClick(window.OkButton(), Qt::LeftButton);
    EXPECT_TRUE(window.isVisible()) << "names are still missing";
    EXPECT_EQ(Messages(), std::vector<std::string>{Msg(1)});

    QSignalSpy chosen(&window, &TfmFuncName::FunctionChosen);
    const QRect row = window.Grid()->visualItemRect(window.Grid()->item(3, 0));
    QTest::mouseClick(window.Grid()->viewport(), Qt::LeftButton, {}, row.center());
    ASSERT_EQ(chosen.count(), 1);
    EXPECT_EQ(chosen.front().at(0).value<char>(), 'S');

    // The function windows set the names and say the records changed.
    window.Notify(1);
    test.FFuncs.ByNumber(1)->FileName = "ram_load.dat";
    test.SFuncs.ByNumber(1)->FileName = "uart.dat";
    window.Notify(2);
    EXPECT_EQ(window.CellText(1, 2), "ram_load.dat");
    QTest::mouseClick(window.OkButton(), Qt::LeftButton);
    EXPECT_FALSE(window.isVisible());
    EXPECT_EQ(window.result(), QDialog::Accepted);
}

TEST_F(FuncNameWindow, ARowOpensTheFunctionWindowWhoseFileNameLetsTheRunGoOn)
{
    TBaseForm &form = WindowWithDemo();
    STest &test = *form.Document().Test(1);
    test.FFuncs.ByNumber(1)->FileName.clear();
    lists::FuncNameAsker asker(&form, &form.Document());
    ModalWatch<functions::TfmFuncF> editor([](functions::TfmFuncF &w) {
        EXPECT_EQ(w.ShownNumber(), 1);
        const int index = w.FileBox()->findText(QStringLiteral("ram_load.dat"));
        ASSERT_GT(index, 0);
        w.FileBox()->setCurrentIndex(index);
        emit w.FileBox()->activated(index);
        w.accept();
    });
    ModalWatch<TfmFuncName> names([](TfmFuncName &w) {
        const QRect row = w.Grid()->visualItemRect(w.Grid()->item(1, 0));
        QTest::mouseClick(w.Grid()->viewport(), Qt::LeftButton, {}, row.center());
        EXPECT_EQ(w.CellText(0, 2), "ram_load.dat");
        QTest::mouseClick(w.OkButton(), Qt::LeftButton);
    });
    EXPECT_TRUE(asker.AskFileNames(test, 1, std::string{1}));
    EXPECT_TRUE(editor.Seen());
    EXPECT_EQ(test.FFuncs.ByNumber(1)->FileName, "ram_load.dat");
}

TEST_F(FuncNameWindow, APFunctionRowOpensThePWindowWhereATypedNameGetsTheDataExtension)
{
    TBaseForm &form = WindowWithDemo();
    STest &test = *form.Document().Test(1);
    test.PFuncs.ByNumber(1)->FileName.clear();
    lists::FuncNameAsker asker(&form, &form.Document());
    ModalWatch<functions::TfmFuncP> editor([](functions::TfmFuncP &w) {
        EXPECT_EQ(w.ShownNumber(), 1);
        w.FileBox()->lineEdit()->setText(QStringLiteral("прошивка"));
        emit w.FileBox()->lineEdit()->editingFinished();
        w.accept();
    });
    ModalWatch<TfmFuncName> names([](TfmFuncName &w) {
        const QRect row = w.Grid()->visualItemRect(w.Grid()->item(1, 0));
        QTest::mouseClick(w.Grid()->viewport(), Qt::LeftButton, {}, row.center());
        EXPECT_EQ(w.CellText(0, 2), "прошивка.dat");
        QTest::mouseClick(w.OkButton(), Qt::LeftButton);
    });
    EXPECT_TRUE(asker.AskFileNames(test, 1, std::string{51}));
    EXPECT_TRUE(editor.Seen());
    EXPECT_EQ(test.PFuncs.ByNumber(1)->FileName, "прошивка.dat");
}

} // namespace
} // namespace qv::testing
