// The settings window "Параметры": its pages, the threshold checks, and OK
// and Cancel as the main window takes them.

#include "execution/desk/desksession.h"
#include "execution/desk/settingsstore.h"
#include "execution/port/testerport.h"
#include "infra/encoding.h"
#include "infra/messages.h"
#include "infra/notice.h"
#include "model/document/quorvik.h"
#include "support/ui/deskfixture.h"
#include "support/ui/modalanswer.h"
#include "support/ui/simulateddesk.h"
#include "ui/services/helperprograms.h"
#include "ui/settings/colourpreview.h"
#include "ui/settings/paramswindow.h"
#include "ui/views/diagramview.h"

#include <QAction>
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
        EXPECT_EQ(window->ProbeModeList()->currentIndex(), c.mode) << c.pattern;
        EXPECT_EQ(window->LowerList()->currentIndex(), c.lower) << c.pattern;
        EXPECT_EQ(window->UpperList()->currentIndex(), c.upper) << c.pattern;
        EXPECT_EQ(window->LowerList()->isEnabled(), c.mode == 2);
        Press(*window, "btOk");
        EXPECT_EQ(window->result(), QDialog::Accepted);
        EXPECT_EQ(window->Tester().probeMode, c.pattern);
    }
}

TEST_F(SettingsWindow, ManualThresholdsMustBeChosenAndInOrder)
{
    auto window = Params(3);
    window->ProbeModeList()->setCurrentIndex(2);
    window->LowerList()->setCurrentIndex(0);
    window->UpperList()->setCurrentIndex(-1);
    Press(*window, "btOk");
    EXPECT_TRUE(window->isVisible());
    ASSERT_EQ(Messages().size(), 1u);
    EXPECT_EQ(Messages().back(), "Не задан нижний/верхний порог");
    EXPECT_EQ(window->Pages()->currentIndex(), TfmParams::PageSystem);

    window->LowerList()->setCurrentIndex(2); // 5.0В
    window->UpperList()->setCurrentIndex(1); // 2.0В
    Press(*window, "btOk");
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(Messages().back(), "Неправильно задан нижний/верхний порог");
    EXPECT_EQ(mesbo->ShownMessages().back().flags, MbError);

    window->LowerList()->setCurrentIndex(0); // 0.8В
    window->UpperList()->setCurrentIndex(3); // 10.0В
    Press(*window, "btOk");
    EXPECT_FALSE(window->isVisible());
    EXPECT_EQ(window->Tester().probeMode, 9);
}

TEST_F(SettingsWindow, ADosUnitHidesTheProbeAndKeepsItsPattern)
{
    auto window = Params(5, true);
    EXPECT_TRUE(window->ProbeGroup()->isHidden());
    Press(*window, "btOk");
    EXPECT_EQ(window->result(), QDialog::Accepted) << "no threshold check";
    EXPECT_EQ(window->Tester().probeMode, 5);
}

TEST_F(SettingsWindow, ThePeriodFieldFollowsPollingAndTheFieldsKeepTheirRanges)
{
    auto window = Params(3);
    ASSERT_TRUE(window->PollingBox()->isChecked());
    EXPECT_TRUE(window->PeriodField()->isEnabled());
    window->PollingBox()->click();
    EXPECT_FALSE(window->PeriodField()->isEnabled());
    window->PollingBox()->click();
    EXPECT_TRUE(window->PeriodField()->isEnabled());
    window->PeriodField()->setValue(61);
    EXPECT_EQ(window->PeriodField()->value(), 60);
    // The field offers what the port takes: nothing below 1000 ms.
    window->TimeoutField()->setValue(500);
    EXPECT_EQ(window->TimeoutField()->value(), 1000);
    window->TimeoutField()->setValue(2500);
    EXPECT_EQ(window->TimeoutField()->value(), 2000);
    window->TimeoutField()->setValue(1000);
    window->TimeoutField()->stepBy(2);
    window->PollingBox()->click();
    window->IoCheckBox()->click();
    Press(*window, "btOk");
    EXPECT_EQ(window->Tester().timeout, 1200);
    EXPECT_EQ(window->Tester().polling, 0);
    EXPECT_EQ(window->Tester().pollPeriod, 60);
    EXPECT_EQ(window->Tester().ioCheck, 1);
    EXPECT_FALSE(window->PollingBox()->toolTip().isEmpty());
}

TEST_F(SettingsWindow, OnAW5SystemTickingCurrentControlAsksAndNoUnticksIt)
{
    auto window = Params(3, false, true);
    QCheckBox *box = window->OptionBox(TSettings::OptCurrentControl);
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
    DiagramView &view = *form.DiagramView();
    ASSERT_EQ(view.Cell(20, 0), QStringLiteral("E"));
    const auto endLetterRed = [&view] {
        return HasRedText(view.viewport()->grab().toImage(), view.CellRect(20, 0));
    };
    ASSERT_FALSE(endLetterRed());
    const ViewColours before = store.Settings().Colours;

    const auto chooseRed = [&](TfmParams &window) {
        window.Pages()->setCurrentIndex(TfmParams::PageColours);
        window.ElementList(TfmParams::SheetDiagram)->setCurrentRow(ClrWordGE);
        QComboBox *colours = window.ColourList(TfmParams::SheetDiagram);
        const int red = colours->findData(0x0000FF);
        ASSERT_GE(red, 0);
        colours->setCurrentIndex(red);
        emit colours->activated(red);
    };
    bool redWhileOpen = false;
    ModalAnswers cancel;
    bool sampleRepainted = false;
    cancel.Then<TfmParams>([&](TfmParams &window) {
        QWidget *sample = window.Preview(TfmParams::SheetDiagram);
        const QImage before = sample->grab().toImage();
        chooseRed(window);
        sampleRepainted = sample->grab().toImage() != before;
        redWhileOpen = endLetterRed();
        Press(window, "btCancel");
    });
    cancel.Start();
    form.Actions().params->trigger();
    EXPECT_TRUE(redWhileOpen) << "a chosen colour shows at once";
    EXPECT_TRUE(sampleRepainted) << "and in the sample";
    EXPECT_FALSE(endLetterRed());
    EXPECT_EQ(store.Settings().Colours, before);

    int reopenedOn = -1;
    ModalAnswers ok;
    ok.Then<TfmParams>([&](TfmParams &window) {
        reopenedOn = window.Page();
        chooseRed(window);
        window.OptionBox(TSettings::OptRunEndMessage)->setChecked(false);
        Press(window, "btOk");
    });
    ok.Start();
    form.Actions().params->trigger();
    EXPECT_EQ(reopenedOn, TfmParams::PageColours) << "the page last used";
    EXPECT_TRUE(endLetterRed());
    EXPECT_EQ(store.Settings().Colours.Get(ClrWordGE), 0x0000FFu);
    EXPECT_EQ(store.Settings().Option(TSettings::OptRunEndMessage), 0);
    EXPECT_EQ(form.Document().Display().Switches[TSettings::OptRunEndMessage], 0);
}

TEST_F(SettingsWindow, TheGeneralPageShowsTheElevenOptionsAndThePassesChoice)
{
    TSettings values;
    values.SetOption(TSettings::OptAllowCommentEdit, 1);
    values.SetOption(TSettings::OptWaitsAsTimes, 0);
    TfmParams window(values, TesterSettings(), false, false, 0);
    EXPECT_EQ(window.windowTitle(), QStringLiteral("Параметры"));
    EXPECT_TRUE(window.OptionBox(TSettings::OptAllowCommentEdit)->isChecked());
    EXPECT_EQ(window.OptionBox(0)->text(),
              QStringLiteral("Отправлять результат при завершении отработки диаграммы в "
                             "циклическом режиме"));
    EXPECT_EQ(window.OptionBox(4)->y() - window.OptionBox(3)->y(), 44);
    EXPECT_EQ(window.PassesList()->currentText(), QStringLiteral("циклы"));
    window.PassesList()->setCurrentIndex(1);
    window.accept();
    EXPECT_EQ(window.Settings().Option(TSettings::OptWaitsAsTimes), 1);
    EXPECT_EQ(window.Settings().Option(TSettings::OptAllowCommentEdit), 1);
}

// The window over a simulated unit that answers a reset after 1500 ms.
class SettingsOverUnit : public SimulatedDeskTest
{
};

TEST_F(SettingsOverUnit, ANewAnswerTimeOutReachesEveryExchangeAtOnce)
{
    StartDesk("[Board]\nTactTime=0\n[Faults]\nDelay=QORV_RESET:1500\n",
              "[Блок диагностики]\r\n"
              "Выполнять периодический опрос готовности блока диагностики=0\r\n"
              "Время ожидания ответа от блока диагностики=2000\r\n");
    ASSERT_EQ(desk->Tester().Settings().timeout, 2000);
    ModalAnswers answers;
    answers.Then<TfmParams>([](TfmParams &w) {
        w.TimeoutField()->setValue(1000);
        w.findChild<QPushButton *>(QStringLiteral("btOk"))->click();
    });
    answers.Then<TfmParams>([](TfmParams &w) {
        w.CheckLinkButton()->click();
        w.findChild<QPushButton *>(QStringLiteral("btCancel"))->click();
    });
    answers.Start();
    mesbo->Clear();
    window->Actions().params->trigger();
    EXPECT_EQ(desk->Tester().Settings().timeout, 1000);
    window->Actions().params->trigger();
    EXPECT_TRUE(answers.Done());
    // The reset answers after 1500 ms: with 1000 ms the check gives up.
    for (const auto &shown : mesbo->ShownMessages())
        EXPECT_NE(shown.text, Msg(26)) << "the link check waited the old 2000 ms";

    // Back to 2000 ms, the same check gets its answer.
    ModalAnswers again;
    again.Then<TfmParams>([](TfmParams &w) {
        w.TimeoutField()->setValue(2000);
        w.findChild<QPushButton *>(QStringLiteral("btOk"))->click();
    });
    again.Then<TfmParams>([](TfmParams &w) {
        w.CheckLinkButton()->click();
        w.findChild<QPushButton *>(QStringLiteral("btCancel"))->click();
    });
    again.Start();
    mesbo->Clear();
    window->Actions().params->trigger();
    window->Actions().params->trigger();
    EXPECT_TRUE(again.Done());
    ASSERT_FALSE(mesbo->ShownMessages().empty());
    EXPECT_EQ(mesbo->ShownMessages().back().text, Msg(26));
}

// The desk over the ports its addresses name (no test port maker), with
// the programs' folder of the build, where the board files are.
class UnitAddressPage : public ::testing::Test
{
protected:
    UnitAddressPage()
    {
        services::SetHelperProgramDirectory(qEnvironmentVariable("QORVIK_BINARY_DIR") +
                                            QStringLiteral("/bin"));
        WriteBytes(dir.File("quorvik.cfg"),
                   Utf8ToCp1251("[Блок диагностики]\r\n"
                                "Выполнять периодический опрос готовности блока диагностики=0\r\n"
                                "Адрес блока диагностики=sim\r\n"));
        DeskSession::Options options;
        options.notices = MessageBoxNotices();
        options.lockDirectory = dir.Path().string();
        desk = std::make_unique<DeskSession>(
            SettingsStore(dir.File("quorvik.cfg"), dir.File("quorvik.ini")), std::move(options));
        EXPECT_TRUE(desk->Start("Quorvik"));
        window = std::make_unique<TBaseForm>(&desk->Store(), desk.get());
        window->show();
        mesbo->Clear();
    }
    ~UnitAddressPage() override
    {
        window.reset();
        desk.reset();
        services::SetHelperProgramDirectory({});
    }

    // Opens "Параметры" on the unit page and lets `act` work on it.
    void OnUnitPage(std::function<void(TfmParams &)> act)
    {
        ModalAnswers answers;
        answers.Then<TfmParams>([act](TfmParams &w) {
            w.Pages()->setCurrentIndex(TfmParams::PageUnit);
            act(w);
        });
        answers.Start();
        window->Actions().params->trigger();
        EXPECT_TRUE(answers.Done());
    }

    std::vector<std::string> Messages() const
    {
        std::vector<std::string> texts;
        for (const auto &shown : const_cast<ScopedMesbo &>(mesbo)->ShownMessages())
            texts.push_back(shown.text);
        return texts;
    }

    TempDir dir;
    ScopedMesbo mesbo;
    std::unique_ptr<DeskSession> desk;
    std::unique_ptr<TBaseForm> window;
};

TEST_F(UnitAddressPage, OffersTheUnitsFoundChecksAnAddressAndTakesItOnOk)
{
    QString board;
    OnUnitPage([&](TfmParams &w) {
        EXPECT_EQ(w.Pages()->tabText(TfmParams::PageUnit), "Блок диагностики");
        QComboBox &list = *w.AddressList();
        EXPECT_EQ(list.currentText(), "sim");
        EXPECT_GE(list.findText(QStringLiteral("sim")), 0);
        for (int i = 0; i < list.count(); ++i)
            if (list.itemText(i).endsWith(QStringLiteral("/boards/stuck-contact.ini")))
                board = list.itemText(i);
        ASSERT_FALSE(board.isEmpty()) << "the simulator's boards are offered";

        // Nothing listens there: the check fails within the time-out.
        list.setCurrentText(QStringLiteral("tcp://127.0.0.1:9"));
        w.CheckAddressButton()->click();
        ASSERT_EQ(Messages().size(), 1u);
        EXPECT_EQ(Messages()[0].rfind("Нет связи с блоком диагностики по адресу "
                                      "\"tcp://127.0.0.1:9\"",
                                      0),
                  0u)
            << Messages()[0];
        // An address that names no transport is refused, on OK too.
        list.setCurrentText(QStringLiteral("usb:1"));
        w.findChild<QPushButton *>(QStringLiteral("btOk"))->click();
        ASSERT_EQ(Messages().size(), 2u);
        EXPECT_NE(Messages()[1].find("usb:1"), std::string::npos) << Messages()[1];
        EXPECT_TRUE(w.isVisible());

        list.setCurrentText(board);
        w.CheckAddressButton()->click();
        ASSERT_EQ(Messages().size(), 3u);
        EXPECT_EQ(Messages()[2], Msg(26));
        w.findChild<QPushButton *>(QStringLiteral("btOk"))->click();
    });
    EXPECT_EQ(QString::fromStdString(desk->Tester().Settings().address), board);
    ASSERT_TRUE(desk->Tester().HasPort());
    // The desk reaches the unit at the new address: its own link check passes.
    mesbo->Clear();
    ModalAnswers check;
    check.Then<TfmParams>([](TfmParams &w) {
        w.CheckLinkButton()->click();
        w.findChild<QPushButton *>(QStringLiteral("btCancel"))->click();
    });
    check.Start();
    window->Actions().params->trigger();
    EXPECT_EQ(Messages(), std::vector<std::string>{Msg(26)});
    // And the settings file keeps it.
    ASSERT_TRUE(desk->Store().Save(&desk->Tester()));
    EXPECT_NE(Cp1251ToUtf8(ReadBytes(dir.File("quorvik.cfg")))
                  .find("Адрес блока диагностики=" + board.toStdString()),
              std::string::npos);
}

} // namespace
} // namespace qv::testing
