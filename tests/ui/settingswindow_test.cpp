// The settings window "Параметры": its pages, the threshold checks, and OK
// and Cancel as the main window takes them.

#include "execution/desk/settingsstore.h"
#include "infra/messages.h"
#include "model/document/quorvik.h"
#include "ui/deskfixture.h"
#include "ui/modalanswer.h"
#include "ui/settings/colourpreview.h"
#include "ui/settings/paramswindow.h"
#include "ui/views/diagramview.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QTest>

namespace qv::testing {
namespace {

using settings::TfmParams;

class SettingsWindow : public DeskFixture
{
protected:
    std::unique_ptr<TfmParams> Params(int probeMode, bool dosUnit = false, bool modelW5 = false)
    {
        TesterSettings tester;
        tester.probeMode = probeMode;
        auto window = std::make_unique<TfmParams>(TSettings(), tester, dosUnit, modelW5, 0);
        window->show();
        return window;
    }
    static void Press(TfmParams &window, const char *name)
    {
        window.findChild<QPushButton *>(QString::fromLatin1(name))->click();
    }
};

TEST_F(SettingsWindow, ThresholdPatternsShowAsTtlDtlAndManualAndComeBackTheSame)
{
    struct Case
    {
        int pattern;
        int mode;
        int lower;
        int upper;
    };
    for (const Case c :
         {Case{3, 0, -1, -1}, Case{12, 1, -1, -1}, Case{9, 2, 0, 3}, Case{6, 2, 1, 2}}) {
        auto window = Params(c.pattern);
        EXPECT_EQ(window->probeModeList()->currentIndex(), c.mode) << c.pattern;
        EXPECT_EQ(window->lowerList()->currentIndex(), c.lower) << c.pattern;
        EXPECT_EQ(window->upperList()->currentIndex(), c.upper) << c.pattern;
        EXPECT_EQ(window->lowerList()->isEnabled(), c.mode == 2);
        Press(*window, "btOk");
        EXPECT_EQ(window->result(), QDialog::Accepted);
        EXPECT_EQ(window->tester().probeMode, c.pattern);
    }
}

TEST_F(SettingsWindow, ManualThresholdsMustBeChosenAndInOrder)
{
    auto window = Params(3);
    window->probeModeList()->setCurrentIndex(2);
    window->lowerList()->setCurrentIndex(0);
    window->upperList()->setCurrentIndex(-1);
    Press(*window, "btOk");
    EXPECT_TRUE(window->isVisible());
    ASSERT_EQ(Messages().size(), 1u);
    EXPECT_EQ(Messages().back(), "Не задан нижний/верхний порог");
    EXPECT_EQ(window->pages()->currentIndex(), TfmParams::PageSystem);

    window->lowerList()->setCurrentIndex(2); // 5.0В
    window->upperList()->setCurrentIndex(1); // 2.0В
    Press(*window, "btOk");
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(Messages().back(), "Неправильно задан нижний/верхний порог");
    EXPECT_EQ(mesbo->ShownMessages().back().flags, MbError);

    window->lowerList()->setCurrentIndex(0); // 0.8В
    window->upperList()->setCurrentIndex(3); // 10.0В
    Press(*window, "btOk");
    EXPECT_FALSE(window->isVisible());
    EXPECT_EQ(window->tester().probeMode, 9);
}

TEST_F(SettingsWindow, ADosUnitHidesTheProbeAndKeepsItsPattern)
{
    auto window = Params(5, true);
    EXPECT_TRUE(window->probeGroup()->isHidden());
    Press(*window, "btOk");
    EXPECT_EQ(window->result(), QDialog::Accepted) << "no threshold check";
    EXPECT_EQ(window->tester().probeMode, 5);
}

TEST_F(SettingsWindow, ThePeriodFieldFollowsPollingAndTheFieldsKeepTheirRanges)
{
    auto window = Params(3);
    ASSERT_TRUE(window->pollingBox()->isChecked());
    EXPECT_TRUE(window->periodField()->isEnabled());
    window->pollingBox()->click();
    EXPECT_FALSE(window->periodField()->isEnabled());
    window->pollingBox()->click();
    EXPECT_TRUE(window->periodField()->isEnabled());
    window->periodField()->setValue(61);
    EXPECT_EQ(window->periodField()->value(), 60);
    window->timeoutField()->setValue(50);
    EXPECT_EQ(window->timeoutField()->value(), 100);
    window->timeoutField()->stepBy(2);
    window->pollingBox()->click();
    window->ioCheckBox()->click();
    Press(*window, "btOk");
    EXPECT_EQ(window->tester().timeout, 300);
    EXPECT_EQ(window->tester().polling, 0);
    EXPECT_EQ(window->tester().pollPeriod, 60);
    EXPECT_EQ(window->tester().ioCheck, 1);
    EXPECT_FALSE(window->pollingBox()->toolTip().isEmpty());
}

TEST_F(SettingsWindow, OnAW5SystemTickingCurrentControlAsksAndNoUnticksIt)
{
    auto window = Params(3, false, true);
    QCheckBox *box = window->optionBox(TSettings::OptCurrentControl);
    box->setChecked(false);
    mesbo->QueueAnswer(MbNo);
    box->click();
    EXPECT_FALSE(box->isChecked());
    ASSERT_EQ(mesbo->Count(), 1u);
    EXPECT_EQ(mesbo->ShownMessages()[0].text, settings::kW5CurrentControlQuestion);
    EXPECT_EQ(mesbo->ShownMessages()[0].flags, MbQuestion);
    EXPECT_EQ(window->findChild<QLabel *>(QStringLiteral("lbSystemModel"))->text(),
              QStringLiteral("Модель системы диагностики: W5"));
    mesbo->QueueAnswer(MbYes);
    box->click();
    EXPECT_TRUE(box->isChecked());
    box->click(); // unticking asks nothing
    EXPECT_EQ(mesbo->Count(), 2u);
}

TEST_F(SettingsWindow, CancelGivesTheViewsTheirColoursBackAndOkStoresThem)
{
    TBaseForm &form = WindowWithDemo();
    DiagramView &view = *form.diagramView();
    ASSERT_EQ(view.cell(20, 0), QStringLiteral("E"));
    const auto endLetterRed = [&view] {
        return HasRedText(view.viewport()->grab().toImage(), view.cellRect(20, 0));
    };
    ASSERT_FALSE(endLetterRed());
    const ViewColours before = store.Settings().Colours;

    const auto chooseRed = [&](TfmParams &window) {
        window.pages()->setCurrentIndex(TfmParams::PageColours);
        window.elementList(TfmParams::SheetDiagram)->setCurrentRow(ClrWordGE);
        QComboBox *colours = window.colourList(TfmParams::SheetDiagram);
        const int red = colours->findData(0x0000FF);
        ASSERT_GE(red, 0);
        colours->setCurrentIndex(red);
        emit colours->activated(red);
    };
    bool redWhileOpen = false;
    ModalAnswers cancel;
    bool sampleRepainted = false;
    cancel.then<TfmParams>([&](TfmParams &window) {
        QWidget *sample = window.preview(TfmParams::SheetDiagram);
        const QImage before = sample->grab().toImage();
        chooseRed(window);
        sampleRepainted = sample->grab().toImage() != before;
        redWhileOpen = endLetterRed();
        Press(window, "btCancel");
    });
    cancel.start();
    form.actions().params->trigger();
    EXPECT_TRUE(redWhileOpen) << "a chosen colour shows at once";
    EXPECT_TRUE(sampleRepainted) << "and in the sample";
    EXPECT_FALSE(endLetterRed());
    EXPECT_EQ(store.Settings().Colours, before);

    int reopenedOn = -1;
    ModalAnswers ok;
    ok.then<TfmParams>([&](TfmParams &window) {
        reopenedOn = window.page();
        chooseRed(window);
        window.optionBox(TSettings::OptRunEndMessage)->setChecked(false);
        Press(window, "btOk");
    });
    ok.start();
    form.actions().params->trigger();
    EXPECT_EQ(reopenedOn, TfmParams::PageColours) << "the page last used";
    EXPECT_TRUE(endLetterRed());
    EXPECT_EQ(store.Settings().Colours.Get(ClrWordGE), 0x0000FFu);
    EXPECT_EQ(store.Settings().Option(TSettings::OptRunEndMessage), 0);
    EXPECT_EQ(form.document().Display.Switches[TSettings::OptRunEndMessage], 0);
}

TEST_F(SettingsWindow, TheGeneralPageShowsTheElevenOptionsAndThePassesChoice)
{
    TSettings values;
    values.SetOption(TSettings::OptAllowCommentEdit, 1);
    values.SetOption(TSettings::OptWaitsAsTimes, 0);
    TfmParams window(values, TesterSettings(), false, false, 0);
    EXPECT_EQ(window.windowTitle(), QStringLiteral("Параметры"));
    EXPECT_TRUE(window.optionBox(TSettings::OptAllowCommentEdit)->isChecked());
    EXPECT_EQ(window.optionBox(0)->text(),
              QStringLiteral("Отправлять результат при завершении отработки диаграммы в "
                             "циклическом режиме"));
    EXPECT_EQ(window.optionBox(4)->y() - window.optionBox(3)->y(), 44);
    EXPECT_EQ(window.passesList()->currentText(), QStringLiteral("циклы"));
    window.passesList()->setCurrentIndex(1);
    window.accept();
    EXPECT_EQ(window.settings().Option(TSettings::OptWaitsAsTimes), 1);
    EXPECT_EQ(window.settings().Option(TSettings::OptAllowCommentEdit), 1);
}

} // namespace
} // namespace qv::testing
