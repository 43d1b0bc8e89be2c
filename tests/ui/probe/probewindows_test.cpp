// Probe mode's threshold window and the live oscillogram window, driven from
// the main window: the threshold window from the probe label, and a
// recording run of the demo board's V-function test on the simulated unit
// and probe.

#include "execution/desk/desksession.h"
#include "execution/port/testerport.h"
#include "model/document/quorvik.h"
#include "model/functions/funcv.h"
#include "model/test/stest.h"
#include "support/common/tempdir.h"
#include "support/ui/modalwatch.h"
#include "support/ui/qtwait.h"
#include "support/ui/simulateddesk.h"
#include "ui/debug/savechoice.h"
#include "ui/desk/infopanel.h"
#include "ui/desk/mainactions.h"
#include "ui/desk/mainwindow.h"
#include "ui/functions/runprompt.h"
#include "ui/probe/probewindows.h"
#include "ui/probe/scowindow.h"
#include "ui/probe/vinfowindow.h"
#include "ui/probe/zondmodewindow.h"
#include "ui/run/runcommand.h"
#include "ui/run/runwindow.h"
#include "ui/views/diagramview.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTimer>
#include <filesystem>
#include <gtest/gtest.h>

namespace qv::testing {
namespace {

using probe::TfmSco;
using probe::TfmVInfo;
using probe::TfmZondMode;

std::vector<std::string> Texts(ScopedMesbo &mesbo)
{
    std::vector<std::string> texts;
    for (const auto &shown : mesbo->ShownMessages())
        texts.push_back(shown.text);
    return texts;
}

// Acts on the next modal window of type W, once it is up.
template <typename W>
void WhenModal(std::function<void(W &)> act)
{
    auto *timer = new QTimer;
    timer->setInterval(10);
    QObject::connect(timer, &QTimer::timeout, timer, [timer, act] {
        if (auto *w = qobject_cast<W *>(QApplication::activeModalWidget())) {
            timer->stop();
            timer->deleteLater();
            act(*w);
        }
    });
    timer->start();
}

TEST(ZondModeWindow, ManualThresholdsMakeTheMaskAndTheLabel)
{
    ScopedMesbo mesbo;
    TfmZondMode window(6);
    EXPECT_TRUE(window.Manual()->isChecked());
    EXPECT_EQ(window.LowerList()->currentIndex(), 1);
    EXPECT_EQ(window.UpperList()->currentIndex(), 2);
    EXPECT_EQ(probe::ThresholdLabel(6), "2.0В / 5.0В");

    // "0.8В" and "2.0В" by hand is TTL.
    window.LowerList()->setCurrentIndex(0);
    window.UpperList()->setCurrentIndex(1);
    QTest::mouseClick(window.findChild<QPushButton *>(QStringLiteral("btOk")), Qt::LeftButton);
    EXPECT_EQ(window.result(), QDialog::Accepted);
    EXPECT_EQ(window.Mask(), 3);
    EXPECT_EQ(probe::ThresholdLabel(3), "TTL");
    EXPECT_EQ(probe::ThresholdLabel(12), "DTL");
    EXPECT_TRUE(Texts(mesbo).empty());
}

TEST(ZondModeWindow, WrongManualThresholdsAreRefusedAndTheWindowStays)
{
    ScopedMesbo mesbo;
    TfmZondMode window(3);
    window.show();
    EXPECT_TRUE(window.Ttl()->isChecked());
    EXPECT_FALSE(window.LowerList()->isVisible()) << "lists only for ручной";
    window.Manual()->setChecked(true);
    EXPECT_TRUE(window.LowerList()->isVisible());
    QPushButton *ok = window.findChild<QPushButton *>(QStringLiteral("btOk"));
    QTest::mouseClick(ok, Qt::LeftButton);
    window.LowerList()->setCurrentIndex(2);
    window.UpperList()->setCurrentIndex(2);
    QTest::mouseClick(ok, Qt::LeftButton);
    window.UpperList()->setCurrentIndex(1);
    QTest::mouseClick(ok, Qt::LeftButton);
    EXPECT_EQ(Texts(mesbo), (std::vector<std::string>{"Не задан нижний/верхний порог",
                                                      "Неправильно задан нижний/верхний порог",
                                                      "Неправильно задан нижний/верхний порог"}));
    EXPECT_TRUE(window.isVisible());
    // DTL clears the lists.
    window.Dtl()->setChecked(true);
    EXPECT_EQ(window.LowerList()->currentIndex(), -1);
    QTest::mouseClick(ok, Qt::LeftButton);
    EXPECT_EQ(window.Mask(), 12);
}

// The desk with the demo board open.
class ProbeDesk : public SimulatedDeskTest
{
protected:
    ~ProbeDesk() override
    {
        command.reset();
        window.reset();
        desk.reset();
    }

    void Start(const std::string &board)
    {
        StartDesk(board, "[Общие]\r\nВыдавать сообщение об окончании выполнения теста=1\r\n"
                         "[Блок диагностики]\r\n"
                         "Выполнять периодический опрос готовности блока диагностики=0\r\n");
        ASSERT_TRUE(window);
        ASSERT_TRUE(window->OpenFile(Demo()));
        command = std::make_unique<run::RunCommand>(*window, *desk, dir.Path() / "quorvik.clb");
        command->SetWindowMade([this](run::TfmPusk &made) { runWindow = &made; });
        QObject::connect(&command->ProbeWindows(), &probe::ProbeWindows::LiveOpened,
                         [this](TfmSco *opened) { live = opened; });
        mesbo->Clear();
    }

    // Debug mode on the demo's V-function test, over all its tacts.
    STest &DebugVTest()
    {
        TQuorvik &doc = window->Document();
        doc.SelectTest(1);
        doc.SetDebugMode(true);
        STest &test = *doc.Test(1);
        test.DebugFirst = 0;
        test.DebugLast = test.Tacts.TactCount() - 1;
        return test;
    }

    // Runs "Пуск": picks V-function 1 on the start page and answers the info
    // windows; `watch` looks at the windows every few milliseconds.
    void Run(const std::function<void()> &watch = {})
    {
        QTimer sampler;
        sampler.setInterval(5);
        bool okPressed = false;
        QObject::connect(&sampler, &QTimer::timeout, [&] {
            if (auto *info = qobject_cast<TfmVInfo *>(QApplication::activeModalWidget())) {
                infoTexts.push_back(info->Heading()->text().toStdString() + ": " +
                                    info->Text()->toPlainText().toStdString());
                promptMarked = promptMarked && functions::RunPromptOpen();
                info->accept();
            }
            if (runWindow && runWindow->isVisible() && !runWindow->OnWorkPage() && !okPressed) {
                okPressed = true;
                vPanelShown = runWindow->VFunctionPanel()->isVisible();
                runWindow->VFunctionList()->setCurrentIndex(1);
                // Outside this slot: the click opens modal windows that the
                // sampler answers, and a timer does not fire inside its slot.
                QTimer::singleShot(0, runWindow, [this] {
                    QTest::mouseClick(runWindow->OkButton(), Qt::LeftButton);
                });
            }
            if (watch)
                watch();
        });
        sampler.start();
        window->StartRun();
        sampler.stop();
    }

    std::unique_ptr<run::RunCommand> command;
    QPointer<run::TfmPusk> runWindow;
    QPointer<TfmSco> live;
    std::vector<std::string> infoTexts;
    bool vPanelShown = false;
    bool promptMarked = true; // every info window marked the run as waiting
};

TEST_F(ProbeDesk, ADebugRunWithTheVFunctionShowsTheLiveWindowAndStoresTheWaveform)
{
    Start("[Board]\nTactTime=2000\n");
    STest &test = DebugVTest();
    bool sawNoData = false;
    bool sawCapture = false;
    std::uint32_t firstColour = 0;
    Run([&] {
        if (!live)
            return;
        const QString status = live->StatusLabel()->text();
        sawNoData = sawNoData || status == "данных нет";
        if (status == "съём" && !sawCapture) {
            sawCapture = true;
            firstColour = live->StatusColour();
        }
    });
    EXPECT_TRUE(vPanelShown);
    ASSERT_FALSE(infoTexts.empty());
    EXPECT_EQ(infoTexts.front().rfind("Подготовка перед запуском теста: Строб записи ОЗУ", 0), 0u)
        << infoTexts.front();
    EXPECT_EQ(infoTexts.size(), 1u) << infoTexts.back();
    EXPECT_TRUE(promptMarked) << "the V-function window refuses changes meanwhile";
    EXPECT_FALSE(functions::RunPromptOpen());
    ASSERT_TRUE(live);
    EXPECT_EQ(live->windowTitle(), "Осциллограмма");
    EXPECT_EQ(live->FunctionLabel()->text(), "Функция: V1: \"Строб записи\"");
    EXPECT_EQ(live->CycleLabel()->text(), "Цикл: 1");
    EXPECT_EQ(live->SweepLabel()->text(), "20 мс");
    EXPECT_EQ(live->AmplitudeLabel()->text(), "25В");
    EXPECT_TRUE(sawNoData);
    EXPECT_TRUE(sawCapture);
    EXPECT_EQ(firstColour, TfmSco::kStatusColours[0]);
    QV_EXPECT_EQ_SOON(live->StatusLabel()->text(), QStringLiteral("Съёмов: 1"));
    EXPECT_EQ(live->StatusColour(), 0u) << "black";
    EXPECT_TRUE(test.VFuncs.ByNumber(1)->Captured[0]);
    EXPECT_EQ(test.VFuncs.Active(), 1);
    EXPECT_EQ(Texts(mesbo), std::vector<std::string>{"Тест завершен успешно"});

    // ">" shows the info text, "<" hides it.
    EXPECT_TRUE(live->InfoText()->isHidden());
    QTest::mouseClick(live->InfoButton(), Qt::LeftButton);
    EXPECT_FALSE(live->InfoText()->isHidden());
    EXPECT_EQ(live->InfoButton()->text(), "<");
}

TEST_F(ProbeDesk, NoTriggerClosesTheLiveWindowAndReportsTheMissingSynchronisation)
{
    Start("[Board]\nTactTime=2000\n[Scope]\nFault=notrigger\n");
    STest &test = DebugVTest();
    bool liveShown = false;
    Run([&] { liveShown = liveShown || (live && live->isVisible()); });
    EXPECT_TRUE(liveShown);
    QV_EXPECT_SOON(live.isNull());
    ASSERT_EQ(infoTexts.size(), 2u);
    EXPECT_EQ(infoTexts[1], "В ходе работы с устройством произошла следующая ошибка: "
                            "Отсутствует внешняя синхронизация");
    EXPECT_FALSE(test.VFuncs.ByNumber(1)->Captured[0]);
    EXPECT_EQ(Texts(mesbo), std::vector<std::string>{"Тест завершен успешно"});
}

TEST_F(ProbeDesk, TheProbeLabelOpensTheThresholdWindowWhichChangesTheSetting)
{
    Start("[Unit]\nType=arm\n[Board]\nTactTime=0\n");
    ASSERT_FALSE(desk->Tester().DosUnit());
    WhenModal<TfmZondMode>([](TfmZondMode &w) {
        w.Manual()->setChecked(true);
        w.LowerList()->setCurrentIndex(1);
        w.UpperList()->setCurrentIndex(2);
        QTest::mouseClick(w.findChild<QPushButton *>(QStringLiteral("btOk")), Qt::LeftButton);
    });
    emit window->InfoPanel()->ProbeModeDialogRequested();
    EXPECT_EQ(desk->Tester().Settings().probeMode, 6);
    EXPECT_EQ(window->InfoPanel()->findChild<QLabel *>(QStringLiteral("lbZond"))->text(),
              "2.0В / 5.0В");
}

// Debug and probe mode on the demo's third test, a probe added with "Добавить
// зонд", one run on a unit whose probe sees -_+ in turn; the entry's icon
// is then clicked and the file saved with "данные зондов".
class ProbeMeasurement : public ProbeDesk
{
protected:
    // Returns the added entry's index in the active cycle.
    int MeasureNewProbe(int thresholds)
    {
        Start("[Unit]\nType=arm\n[Board]\nTactTime=0\nProbeLevels=-_+\n");
        SetThresholds(thresholds);
        window->SelectTest(2);
        window->ToggleDebug();
        TQuorvik &doc = window->Document();
        EXPECT_TRUE(doc.DebugMode() && doc.ProbeMode());
        window->Actions().zondAdd->trigger();
        const STest &test = *doc.Test(2);
        const int added = test.ProbeCount(test.ActiveCycle) - 1;
        EXPECT_EQ(Entry(added).Mark, -1);
        Run();
        return added;
    }

    // "Режим зонда" as the settings window sets it.
    void SetThresholds(int mask)
    {
        TesterSettings settings = desk->Tester().Settings();
        settings.probeMode = mask;
        desk->Tester().SetSettings(settings);
    }

    const SZond &Entry(int index)
    {
        const STest &test = *window->Document().Test(2);
        return test
            .Probes[static_cast<std::size_t>(test.ActiveCycle)][static_cast<std::size_t>(index)];
    }

    // The entry of that name in the first cycle of the third test, as the
    // file now open holds it; null when there is none.
    const SZond *Stored(const std::string &name)
    {
        const STest &test = *window->Document().Test(2);
        if (test.Probes.empty())
            return nullptr;
        for (const SZond &entry : test.Probes[0])
            if (entry.Name == name)
                return &entry;
        return nullptr;
    }

    // A click on the switch icon of probe row `index`.
    void ClickSwitch(int index)
    {
        DiagramView &view = *window->DiagramView();
        const int row = window->Document().DiagramShape().firstProbeRow + index;
        QTest::mousePress(view.viewport(), Qt::LeftButton, {},
                          view.CellRect(0, row).topLeft() + QPoint(8, 5));
    }

    void SaveWithProbeData()
    {
        ModalWatch<debug::TfmSaveChoice> choice([](debug::TfmSaveChoice &w) {
            w.Kinds()->item(3)->setCheckState(Qt::Checked); // "данные зондов"
            QTest::mouseClick(w.OkButton(), Qt::LeftButton);
        });
        window->Actions().saveFile->trigger();
        EXPECT_TRUE(choice.Seen());
    }
};

TEST_F(ProbeMeasurement, ATtlMeasurementOfAnAddedProbeCanBeSwitchedOnAndBecomesItsReference)
{
    const int added = MeasureNewProbe(3);
    const SZond &entry = Entry(added);
    const std::string measured = entry.Measured;
    ASSERT_NE(measured.find_first_not_of('x'), std::string::npos) << "the probe measured";
    EXPECT_EQ(entry.Mark, 3) << "the thresholds in force";
    ClickSwitch(added);
    EXPECT_TRUE(Entry(added).On) << "a TTL measurement can be switched on";
    SaveWithProbeData();
    EXPECT_EQ(Entry(added).Reference, measured) << "the screen shows what was written";

    const std::string name = Entry(added).Name;
    ASSERT_TRUE(window->OpenFile(QString::fromStdString(window->Document().Doc().FileName)));
    const SZond *stored = Stored(name);
    ASSERT_NE(stored, nullptr) << "the added entry was written";
    EXPECT_EQ(stored->Reference, measured);
    EXPECT_EQ(stored->Mark, 3);
}

TEST_F(ProbeMeasurement, AMeasurementUnderManualThresholdsNeverReplacesTheStoredReference)
{
    const int added = MeasureNewProbe(3);
    ClickSwitch(added);
    SaveWithProbeData();
    const std::string stored = Entry(added).Reference;
    ASSERT_NE(stored.find('+'), std::string::npos);

    // Under 2.0 V / 5.0 V the same probe reads otherwise.
    SetThresholds(6);
    Run();
    EXPECT_EQ(Entry(added).Mark, 6);
    EXPECT_NE(Entry(added).Measured, stored);
    ClickSwitch(added);
    EXPECT_TRUE(Entry(added).On) << "a manual measurement cannot be switched";
    ClickSwitch(added);
    EXPECT_TRUE(Entry(added).On);
    SaveWithProbeData();
    const std::string name = Entry(added).Name;
    ASSERT_TRUE(window->OpenFile(QString::fromStdString(window->Document().Doc().FileName)));
    const SZond *reloaded = Stored(name);
    ASSERT_NE(reloaded, nullptr);
    EXPECT_EQ(reloaded->Reference, stored);
}

} // namespace
} // namespace qv::testing
