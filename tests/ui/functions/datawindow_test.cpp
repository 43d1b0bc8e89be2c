// The data window of F- and S-functions, driven offscreen as the operator
// uses it: opened on a function, clicked, switched and filtered.

#include "infra/messages.h"
#include "model/functions/datafileview.h"
#include "model/functions/funcf.h"
#include "model/functions/funcs.h"
#include "model/test/stest.h"
#include "model/words/tyreadr.h"
#include "support/common/tempdir.h"
#include "support/model/scopedmesbo.h"
#include "ui/functions/datalegend.h"
#include "ui/functions/datawindow.h"

#include <QCheckBox>
#include <QPushButton>
#include <QRadioButton>
#include <QTableView>
#include <QTest>
#include <filesystem>
#include <gtest/gtest.h>

namespace qv::functions {
namespace {

using testing::TempDir;
using testing::WriteBytes;

class DataWindow : public ::testing::Test
{
protected:
    std::filesystem::path TestFile() const { return dir.Path() / "BOARD.QOR"; }

    std::unique_ptr<TfmData> OpenF(const SFuncF &function)
    {
        return OpenFData(test, tyres, function, TestFile(), 16, {});
    }
    // FC over addresses 0..9 with a run block of 10 one-byte elements.
    SFuncF Compare(std::vector<std::uint8_t> run) const
    {
        SFuncF function;
        function.Number = 3;
        function.Type = 2;
        function.AdrStart = 0;
        function.AdrEnd = 9;
        function.AdrInc = 1;
        function.FileName = "cmp.dat";
        function.Data = std::move(run);
        return function;
    }
    std::vector<std::string> Shown()
    {
        std::vector<std::string> texts;
        for (const auto &shown : mesbo->ShownMessages())
            texts.push_back(shown.text);
        return texts;
    }
    QString Cell(TfmData &window, int row, int column, int role = Qt::DisplayRole) const
    {
        const QVariant value = window.Model().index(row, column).data(role);
        return role == Qt::ForegroundRole ? value.value<QColor>().name() : value.toString();
    }

    ScopedMesbo mesbo;
    TempDir dir;
    STest test;
    TTyreAdr tyres;
};

TEST_F(DataWindow, AComparisonOfTenElementsWithAFourByteFileListsTenRowsAndMarksDifferences)
{
    WriteBytes(dir.Path() / "cmp.dat", std::string("\x01\x02\x07\x04", 4));
    const auto window = OpenF(Compare({1, 2, 3, 4, 5, 6, 7, 8, 9, 10}));
    ASSERT_TRUE(window);
    EXPECT_TRUE(Shown().empty());
    DataTableModel &model = window->Model();
    ASSERT_EQ(model.rowCount(), 10);
    EXPECT_EQ(model.headerData(1, Qt::Horizontal, Qt::DisplayRole).toString(), "данные (HEX)");
    EXPECT_EQ(model.headerData(2, Qt::Horizontal, Qt::DisplayRole).toString(), "эталон (HEX)");
    EXPECT_EQ(Cell(*window, 9, 0), "9");
    EXPECT_EQ(Cell(*window, 9, 1), "A");
    EXPECT_EQ(Cell(*window, 2, 1, Qt::ForegroundRole), "#ff0000");
    EXPECT_EQ(Cell(*window, 1, 1, Qt::ForegroundRole), "#0000ff");
    for (int row = 4; row < 10; ++row) {
        EXPECT_TRUE(Cell(*window, row, 2).isEmpty()) << row;
        EXPECT_EQ(Cell(*window, row, 1, Qt::ForegroundRole), "#0000ff") << row;
    }

    // BIN: eight digits; the digits of bits 0 and 2 of 07 against 03 differ.
    QTest::mouseClick(window->BinaryButton(), Qt::LeftButton);
    EXPECT_EQ(model.headerData(2, Qt::Horizontal, Qt::DisplayRole).toString(), "эталон (BIN)");
    EXPECT_EQ(Cell(*window, 2, 2), "00000111");
    EXPECT_EQ(model.index(2, 2).data(DataTableModel::DifferingBitsRole).toUInt(), 0b100u);

    // Only the differing row; a click selects its own element.
    window->OnlyErrorsBox()->setChecked(true);
    ASSERT_EQ(model.rowCount(), 1);
    EXPECT_EQ(Cell(*window, 0, 0), "2");
    window->show();
    const QRect cell = window->Table()->visualRect(model.index(0, 1));
    QTest::mouseClick(window->Table()->viewport(), Qt::LeftButton, {}, cell.center());
    EXPECT_EQ(model.Selected(), 2u);
    window->OnlyErrorsBox()->setChecked(false);
    EXPECT_EQ(model.rowCount(), 10);
    EXPECT_EQ(model.index(2, 0).data(Qt::BackgroundRole).value<QColor>(), QColor(0xE8E8E8));
}

TEST_F(DataWindow, OnlyErrorsOnIdenticalDataSaysSoAndClearsTheBox)
{
    WriteBytes(dir.Path() / "cmp.dat", std::string("\x01\x02\x03", 3));
    const auto window = OpenF(Compare({1, 2, 3}));
    ASSERT_TRUE(window);
    window->OnlyErrorsBox()->setChecked(true);
    EXPECT_EQ(Shown(), std::vector<std::string>{Msg(2)});
    EXPECT_EQ(mesbo->ShownMessages().front().flags, MbInformation);
    EXPECT_FALSE(window->OnlyErrorsBox()->isChecked());
    EXPECT_EQ(window->Model().rowCount(), 3);
}

TEST_F(DataWindow, InfoShowsTheLegendOfTheColumnsBesideTheWindow)
{
    WriteBytes(dir.Path() / "cmp.dat", std::string("\x01\x02", 2));
    const auto window = OpenF(Compare({1, 2}));
    ASSERT_TRUE(window);
    window->move(0, 0);
    window->show();
    window->InfoButton()->click();
    ASSERT_NE(window->Legend(), nullptr);
    EXPECT_TRUE(window->Legend()->isVisible());
    EXPECT_EQ(window->Legend()->Text(),
              "1. Адрес в заданной системе счисления\n"
              "2. Данные отработки теста в заданной системе счисления\n"
              "3. Данные файла \"cmp.dat\" в выбранной системе счисления");
    EXPECT_EQ(window->Legend()->x(), window->frameGeometry().right() + 1);
    window->InfoButton()->click();
    EXPECT_FALSE(window->Legend()->isVisible());
    EXPECT_TRUE(window->EditorButton()->isEnabled());

    // With the file only, the data columns both describe the file.
    const auto fileOnly = OpenF(Compare({}));
    ASSERT_TRUE(fileOnly);
    fileOnly->InfoButton()->click();
    EXPECT_TRUE(fileOnly->Legend()->Text().endsWith(
        "2. Данные файла \"cmp.dat\" в заданной системе счисления\n"
        "3. Данные файла \"cmp.dat\" в двоичной форме"));

    // With the run's block only, no file is named.
    std::filesystem::remove(dir.Path() / "cmp.dat");
    const auto runOnly = OpenF(Compare({1, 2}));
    ASSERT_TRUE(runOnly);
    runOnly->InfoButton()->click();
    EXPECT_EQ(runOnly->Legend()->Text(), "1. Адрес в заданной системе счисления\n"
                                         "2. Данные отработки теста в заданной системе счисления\n"
                                         "3. Данные отработки теста в двоичной форме");
}

TEST_F(DataWindow, MoreThan65536DifferencesAreAllListedWithTheirOwnIndices)
{
    constexpr std::size_t kBytes = 70000;
    WriteBytes(dir.Path() / "uart.dat", std::string(kBytes, '\x55'));
    SFuncS function;
    function.Number = 1;
    function.FileName = "uart.dat";
    function.Data.assign(kBytes, 0xAA);
    const auto window = OpenSData(function, TestFile(), 16, {});
    ASSERT_TRUE(window);
    window->OnlyErrorsBox()->setChecked(true);
    ASSERT_EQ(window->Model().rowCount(), int(kBytes));
    EXPECT_EQ(Cell(*window, int(kBytes) - 1, 0), "1116F"); // 69999, not 69999 - 65536
}

TEST_F(DataWindow, AFileOnlyIsShownAsTheRunDataInBinaryWithoutTheComparisonControls)
{
    WriteBytes(dir.Path() / "cmp.dat", std::string("\x05\x80", 2));
    const auto window = OpenF(Compare({}));
    ASSERT_TRUE(window);
    DataTableModel &model = window->Model();
    EXPECT_EQ(model.rowCount(), 2);
    EXPECT_EQ(model.headerData(2, Qt::Horizontal, Qt::DisplayRole).toString(), "данные (BIN)");
    EXPECT_EQ(Cell(*window, 1, 1), "80");
    EXPECT_EQ(Cell(*window, 1, 2), "10000000");
    EXPECT_FALSE(window->OnlyErrorsBox()->isVisibleTo(window.get()));
    EXPECT_FALSE(window->BinaryButton()->isVisibleTo(window.get()));
}

TEST_F(DataWindow, BadDataFilesAreReportedAndLeftOut)
{
    const SFuncF withRun = Compare({1, 2});
    // Missing: reported, and the run block alone is shown.
    auto window = OpenF(withRun);
    ASSERT_TRUE(window);
    EXPECT_EQ(Shown(), std::vector<std::string>{Msg(12) + " \"cmp.dat\""});
    EXPECT_FALSE(window->Model().Rows().TwoSources());
    EXPECT_FALSE(window->EditorButton()->isEnabled());
    EXPECT_EQ(window->EditorButton()->toolTip(),
              "Файл данных \"cmp.dat\" не найден: редактору нечего открыть");
    // Empty and too big: the size check's texts.
    WriteBytes(dir.Path() / "cmp.dat", "");
    EXPECT_TRUE(OpenF(withRun));
    WriteBytes(dir.Path() / "cmp.dat", std::string(kMaxDataFileSize + 1, '\0'));
    EXPECT_TRUE(OpenF(withRun));
    const auto shown = Shown();
    ASSERT_EQ(shown.size(), 3u);
    EXPECT_EQ(shown[1], "Файл \"cmp.dat\" " + Msg(67));
    EXPECT_EQ(shown[2], "Файл \"cmp.dat\" " + Msg(10));
    // Exactly 1 MiB passes.
    WriteBytes(dir.Path() / "cmp.dat", std::string(kMaxDataFileSize, '\0'));
    EXPECT_TRUE(OpenF(withRun)->Model().Rows().TwoSources());
    EXPECT_EQ(Shown().size(), 3u);

    // Neither source, or no file name: no window.
    std::filesystem::remove(dir.Path() / "cmp.dat");
    EXPECT_FALSE(OpenF(Compare({})));
    EXPECT_EQ(Shown().back(), Msg(13) + "3");
    SFuncF unnamed = withRun;
    unnamed.FileName.clear();
    EXPECT_FALSE(OpenF(unnamed));
    EXPECT_EQ(Shown().back(), Msg(14));
}

} // namespace
} // namespace qv::functions
