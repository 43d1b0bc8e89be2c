// The calibration windows from the main window against the simulated unit
// of both types.

#include "execution/desk/desksession.h"
#include "execution/link/simlink.h"
#include "execution/port/portavo.h"
#include "execution/run/runcalibration.h"
#include "infra/encoding.h"
#include "infra/messages.h"
#include "model/document/quorvik.h"
#include "model/settings/settings.h"
#include "sim/board.h"
#include "sim/unit.h"
#include "support/common/tempdir.h"
#include "support/model/scopedmesbo.h"
#include "support/ui/modalanswer.h"
#include "support/ui/qtwait.h"
#include "support/ui/simulateddesk.h"
#include "ui/calibration/calibratewindow.h"
#include "ui/calibration/parameterswindow.h"
#include "ui/calibration/waitwindow.h"
#include "ui/desk/mainwindow.h"
#include "ui/settings/paramswindow.h"

#include <QComboBox>
#include <QElapsedTimer>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QTest>
#include <filesystem>
#include <gtest/gtest.h>

namespace qv::testing {
namespace {

using calibration::TfmCalibrate;
using calibration::TfmCalibrateMk;
using calibration::TfmConfigOWait;

class Calibration : public SimulatedDeskTest
{
protected:
    void Start(const std::string &board)
    {
        StartDesk(board, "[Блок диагностики]\r\n"
                         "Выполнять периодический опрос готовности блока диагностики=0\r\n");
        ASSERT_TRUE(window);
        window->SetCalibrationFile(dir.Path() / "quorvik.clb");
        mesbo->Clear();
    }

    std::vector<std::string> Messages() const
    {
        std::vector<std::string> texts;
        for (const auto &shown : const_cast<ScopedMesbo &>(mesbo)->ShownMessages())
            texts.push_back(shown.text);
        return texts;
    }
};

TEST_F(Calibration, TypeOneShowsThePeriodsAndASavedT1ChangesKAndB)
{
    Start("[Unit]\nType=msdos\n[Calibration]\nT1=3.0\nT2=2500\nT3=5579.67\n");
    ASSERT_TRUE(desk->Tester().DosUnit());
    ModalAnswers answers;
    answers.Then<TfmCalibrate>([this](TfmCalibrate &w) {
        EXPECT_EQ(w.windowTitle(), QStringLiteral("Настройка частотно-временных параметров"));
        EXPECT_EQ(w.Field(0)->text(), QStringLiteral("3"));
        EXPECT_EQ(w.Field(1)->text(), QStringLiteral("2.5"));
        EXPECT_NEAR(w.Field(2)->text().toDouble(), 5.57967, 1e-6);
        w.StopButton(1)->click();
        EXPECT_EQ(Messages().back(), Msg(28)) << "Stop without a running measurement";
        w.StartButton(0)->click();
        QV_EXPECT_SOON(w.StartButton(0)->isChecked()); // held while the unit generates
        w.SaveButton()->click();
        EXPECT_EQ(Messages().back(), Msg(29));
        w.StopButton(0)->click();
        EXPECT_FALSE(w.StartButton(0)->isChecked());
        w.Field(0)->setText(QStringLiteral("4"));
        w.Field(1)->setText(QStringLiteral("0.001"));
        w.ApplyButton()->click();
        EXPECT_EQ(Messages().back(), Msg(33)) << "T2 × 1000 below T1";
        EXPECT_FALSE(w.Confirmed());
        w.Field(1)->setText(QStringLiteral("2.5"));
        w.SaveButton()->click();
        EXPECT_EQ(Messages().back(), Msg(34));
        EXPECT_TRUE(w.Confirmed());
        w.reject();
    });
    answers.Start();
    window->Actions().calibrate->trigger();
    EXPECT_TRUE(answers.Done());
    const TSettings &values = desk->Store().Settings();
    EXPECT_DOUBLE_EQ(values.IoTime, 2.0);
    EXPECT_NEAR(values.WaitTime, (5579.67 - 4.0) * 0.00009765625 * 0.5, 1e-6);
    // Answered on its own: the first window waited for the unit meanwhile.
    ModalAnswers again;
    again.Then<TfmCalibrate>([](TfmCalibrate &w) {
        EXPECT_EQ(w.Field(0)->text(), QStringLiteral("4")) << "the unit kept the saved T1";
        w.reject();
    });
    again.Start();
    window->Actions().calibrate->trigger();
    EXPECT_TRUE(again.Done());
}

TEST_F(Calibration, AValueBelowTheLimitIsReportedAloneBeforeT1AndT2AreCompared)
{
    Start("[Unit]\nType=msdos\n[Calibration]\nT1=3.0\nT2=2500\nT3=5579.67\n");
    ModalAnswers answers;
    answers.Then<TfmCalibrate>([this](TfmCalibrate &w) {
        // T2 × 1000 is below T1 too, but T2 is no usable value yet.
        w.Field(1)->setText(QStringLiteral("0.0001"));
        w.ApplyButton()->click();
        ASSERT_FALSE(Messages().empty());
        EXPECT_EQ(Messages().back(), Msg(32));
        EXPECT_EQ(Messages().back().find(Msg(33)), std::string::npos);
        w.reject();
    });
    answers.Start();
    window->Actions().calibrate->trigger();
    EXPECT_TRUE(answers.Done());
}

TEST_F(Calibration, StartWaitsWithoutHoldingTheWindowAndGivesUpWithThePortsMessage)
{
    // The unit never answers the first measurement's signal.
    Start("[Unit]\nType=msdos\n[Calibration]\nT1=3.0\nT2=2500\nT3=5579.67\n"
          "[Faults]\nSilent=QORV_GET_T1\n");
    ModalAnswers answers;
    answers.Then<TfmCalibrate>([this](TfmCalibrate &w) {
        QElapsedTimer clock;
        clock.start();
        w.StartButton(0)->click();
        EXPECT_LT(clock.elapsed(), 500) << "the click returns at once";
        EXPECT_EQ(w.WaitingMeasurement(), 0);
        EXPECT_TRUE(w.WaitLine()->isVisible()) << "the window says that it waits";
        EXPECT_FALSE(w.StartButton(0)->isChecked());
        // The window goes on painting and answering meanwhile.
        w.Field(0)->setText(QStringLiteral("3.5"));
        QTest::qWait(100);
        EXPECT_EQ(w.WaitingMeasurement(), 0);
        QV_EXPECT_SOON_WITHIN(w.WaitingMeasurement() == -1, 5000);
        EXPECT_GE(clock.elapsed(), 900) << "the port's time-out of 1000 ms";
        ASSERT_EQ(Messages().size(), 1u);
        EXPECT_EQ(Messages().back(),
                  "Блок диагностики не ответил на команду QORV_GET_T1 за 1000 мс");
        EXPECT_FALSE(w.StartButton(0)->isChecked());
        EXPECT_TRUE(w.StartButton(0)->isEnabled());
        EXPECT_FALSE(w.WaitLine()->isVisible());

        // Esc ends a wait without closing the window or telling anything.
        mesbo->Clear();
        w.StartButton(0)->click();
        ASSERT_EQ(w.WaitingMeasurement(), 0);
        QTest::keyClick(&w, Qt::Key_Escape);
        EXPECT_EQ(w.WaitingMeasurement(), -1);
        EXPECT_TRUE(w.isVisible());
        EXPECT_FALSE(w.WaitLine()->isVisible());
        QTest::qWait(1300);
        EXPECT_TRUE(Messages().empty()) << ::testing::PrintToString(Messages());

        // Another measurement still starts and is held.
        w.StartButton(2)->click();
        QV_EXPECT_SOON(w.StartButton(2)->isChecked());
        w.StopButton(2)->click();
        EXPECT_FALSE(w.StartButton(2)->isChecked());
        QTest::keyClick(&w, Qt::Key_Escape);
    });
    answers.Start();
    window->Actions().calibrate->trigger();
    EXPECT_TRUE(answers.Done());
}

TEST_F(Calibration, TheSettingsRebootButtonSaysWhenTheUnitHasRestarted)
{
    Start("[Unit]\nType=arm\n");
    ModalAnswers answers;
    answers.Then<settings::TfmParams>([this](settings::TfmParams &w) {
        QPushButton *reboot = nullptr;
        for (QPushButton *button : w.findChildren<QPushButton *>())
            if (button->text() == QStringLiteral("Перезагрузка"))
                reboot = button;
        ASSERT_NE(reboot, nullptr);
        reboot->click();
        EXPECT_EQ(Messages(), std::vector<std::string>{"Блок диагностики перезагружен"});
        w.reject();
    });
    answers.Start();
    window->Actions().params->trigger();
    EXPECT_TRUE(answers.Done());
}

TEST_F(Calibration, TypeOneWithAMissingMeasurementDisablesItsGroup)
{
    Start("[Unit]\nType=msdos\n[Calibration]\nT1=3.0\nT2=none\nT3=5579.67\n");
    ModalAnswers answers;
    answers.Then<TfmCalibrate>([](TfmCalibrate &w) {
        EXPECT_FALSE(w.Group(1)->isEnabled());
        EXPECT_TRUE(w.Field(1)->text().isEmpty());
        EXPECT_TRUE(w.Group(2)->isEnabled());
        w.reject();
    });
    answers.Start();
    window->Actions().calibrate->trigger();
    EXPECT_TRUE(answers.Done());
}

TEST_F(Calibration, ASavedCalibrationKeepsAMeasurementTheUnitDoesNotHaveMissing)
{
    Start("[Unit]\nType=msdos\n[Calibration]\nT1=3.0\nT2=2500\nT3=none\n");
    const TSettings &values = desk->Store().Settings();
    const double k = values.IoTime;
    const double b = values.WaitTime;
    ModalAnswers answers;
    answers.Then<TfmCalibrate>([this](TfmCalibrate &w) {
        EXPECT_FALSE(w.Group(2)->isEnabled());
        w.SaveButton()->click();
        EXPECT_EQ(Messages(), std::vector<std::string>{Msg(34)});
        w.reject();
    });
    answers.Then<TfmCalibrate>([this](TfmCalibrate &w) {
        EXPECT_FALSE(w.Group(2)->isEnabled()) << "still not available, not a measured 0";
        EXPECT_TRUE(w.Field(2)->text().isEmpty());
        w.ApplyButton()->click();
        EXPECT_EQ(Messages().back(), Msg(35)) << "nothing to refuse";
        w.reject();
    });
    answers.Start();
    window->Actions().calibrate->trigger();
    window->Actions().calibrate->trigger();
    EXPECT_TRUE(answers.Done());
    EXPECT_DOUBLE_EQ(values.IoTime, k) << "no constant from a missing T3";
    EXPECT_DOUBLE_EQ(values.WaitTime, b);
}

TEST_F(Calibration, TypeZeroListsTheParametersBlinksAGeneratingRowAndWritesTheWaitTable)
{
    Start("[Unit]\nType=arm\n[Calibration]\nParameter=Такт:0.125\n"
          "Parameter=Операция ввода-вывода:0.75\nParameter=Цикл ожидания:0.35\n"
          "T0=1.25,1.30,1.35,1.40,1.45,1.50,1.55,1.60,1.65,1.70,1.75,1.80,1.85,1.90,1.95,2.00\n"
          "Tinc=0.36,0.37,0.38,0.39,0.40,0.41,0.42,0.43,0.44,0.45,0.46,0.47,0.48,0.49,0.50,"
          "0.51\n");
    ASSERT_FALSE(desk->Tester().DosUnit());
    ModalAnswers answers;
    answers.Then<TfmCalibrateMk>([](TfmCalibrateMk &w) {
        EXPECT_EQ(w.windowTitle(), QStringLiteral("Просмотр ЧВП"));
        QTableWidget &table = *w.Table();
        ASSERT_EQ(table.rowCount(), 3);
        EXPECT_EQ(table.item(1, 0)->text(), QStringLiteral("Операция ввода-вывода"));
        EXPECT_EQ(table.item(1, 1)->text(), QStringLiteral("0.75"));
        // From the third row: value × 2 + the first value.
        EXPECT_EQ(table.item(2, 1)->text(), QStringLiteral("0.82"));
        EXPECT_EQ(table.item(2, 2)->text(), QStringLiteral("0.35"));
        emit table.cellClicked(1, 0);
        EXPECT_EQ(w.GeneratingRow(), 1);
        const bool first = w.BlinkOn();
        QV_EXPECT_SOON_WITHIN(w.BlinkOn() != first, 5000);
        emit table.cellClicked(1, 0);
        EXPECT_EQ(w.GeneratingRow(), -1) << "clicking the generating row stops it";
        emit table.cellClicked(2, 0);
        EXPECT_EQ(w.GeneratingRow(), 2);
        w.WaitButton()->click();
        EXPECT_EQ(w.GeneratingRow(), -1) << "the wait window stops the signal first";
        w.reject();
    });
    answers.Then<TfmConfigOWait>([this](TfmConfigOWait &w) {
        w.TestList()->setCurrentIndex(1);
        EXPECT_TRUE(w.WidthField()->isEnabled());
        w.WidthField()->setText(QStringLiteral("17"));
        w.RunButton()->click();
        EXPECT_EQ(Messages().back(),
                  "Разрядность О-слова должна быть в числовом диапазоне: от 1 до 16");
        EXPECT_TRUE(w.RunButton()->isEnabled());
        w.WidthField()->setText(QStringLiteral("8"));
        w.PassesField()->setText(QStringLiteral("1000"));
        EXPECT_EQ(w.PassesField()->text(), QStringLiteral("100")) << "three digits at most";
        w.PassesField()->setText(QStringLiteral("0"));
        w.RunButton()->click();
        EXPECT_TRUE(w.RunButton()->isEnabled());
        EXPECT_NE(Messages().back().find("от 1 до 999"), std::string::npos);
        w.PassesField()->setText(QStringLiteral("300"));
        w.RunButton()->click();
        EXPECT_FALSE(w.RunButton()->isEnabled());
        EXPECT_TRUE(w.StopButton()->isEnabled());
        w.StopButton()->click();
        EXPECT_TRUE(w.RunButton()->isEnabled());
        w.DataButton()->click();
        EXPECT_GE(w.width(), TfmConfigOWait::kLarge.width());
        EXPECT_GE(w.height(), TfmConfigOWait::kLarge.height());
        // Every value shows whole, both rows too.
        const QFontMetrics metrics(w.Grid()->font());
        for (int n = 0; n < 16; ++n)
            EXPECT_GE(w.Grid()->columnWidth(n),
                      metrics.horizontalAdvance(w.Grid()->item(0, n)->text()))
                << n;
        EXPECT_GE(w.Grid()->viewport()->height(), 2 * w.Grid()->rowHeight(0));
        EXPECT_EQ(w.Grid()->item(0, 0)->text(), QStringLiteral("1.250"));
        EXPECT_EQ(w.Grid()->item(1, 15)->text(), QStringLiteral("0.510"));
        w.DataButton()->click();
        EXPECT_LT(w.height(), TfmConfigOWait::kLarge.height()) << "shrinks without the table";
        w.reject();
    });
    answers.Start();
    window->Actions().calibrate->trigger();
    EXPECT_TRUE(answers.Done());
    const auto table = LoadWaitTable(dir.Path() / "quorvik.clb");
    ASSERT_TRUE(table.has_value());
    EXPECT_FLOAT_EQ(table->t0[0], 1.25f);
    EXPECT_FLOAT_EQ(table->tinc[15], 0.51f);
    EXPECT_EQ(std::filesystem::file_size(dir.Path() / "quorvik.clb"), kWaitTableFileSize);
}

TEST_F(Calibration, ParameterAnswersOutsideTheirLimitsAreRefused)
{
    std::string problem;
    EXPECT_FALSE(calibration::ParseParameters(std::vector<std::uint8_t>{0}, &problem));
    EXPECT_EQ(problem, "Calibr::paramCount");
    EXPECT_FALSE(calibration::ParseParameters(std::vector<std::uint8_t>{51}, &problem));
    EXPECT_EQ(problem, "Calibr::paramCount");
    EXPECT_FALSE(
        calibration::ParseParameters(std::vector<std::uint8_t>{1, 0, 0, 0, 0, 0}, &problem));
    EXPECT_EQ(problem, "Calibr::strLen");
    EXPECT_FALSE(calibration::ParseParameters(std::vector<std::uint8_t>{1, 5, 'a', 0, 0}, &problem))
        << "a name running past the answer";
    const auto one = calibration::ParseParameters(
        std::vector<std::uint8_t>{1, 1, 'A', 0x00, 0x00, 0x80, 0x3F}, &problem);
    ASSERT_TRUE(one);
    EXPECT_EQ(one->front().name, "A");
    EXPECT_FLOAT_EQ(one->front().value, 1.0f);
}

} // namespace
} // namespace qv::testing
