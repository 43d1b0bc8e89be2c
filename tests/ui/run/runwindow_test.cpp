// The run from the main window on the simulated unit: "Пуск" through the run
// driver with the run window, the contact identification window and the
// M-function progress window, driven by timers and key clicks as an
// operator would.

#include "execution/desk/desksession.h"
#include "execution/link/simlink.h"
#include "execution/port/portavo.h"
#include "infra/encoding.h"
#include "infra/mesbo.h"
#include "infra/mesboflags.h"
#include "model/document/documentobserver.h"
#include "model/document/quorvik.h"
#include "model/file/savedreferences.h"
#include "model/file/scriptedfileui.h"
#include "model/settings/settings.h"
#include "sim/board.h"
#include "sim/unit.h"
#include "support/common/tempdir.h"
#include "support/model/scopedmesbo.h"
#include "support/ui/modalwatch.h"
#include "support/ui/qtwait.h"
#include "support/ui/simulateddesk.h"
#include "ui/debug/savechoice.h"
#include "ui/desk/closingwindow.h"
#include "ui/desk/infopanel.h"
#include "ui/desk/mainactions.h"
#include "ui/desk/mainwindow.h"
#include "ui/desk/runbar.h"
#include "ui/diagnosis/diagnosiswindow.h"
#include "ui/lists/funcnamewindow.h"
#include "ui/lists/viewerwindows.h"
#include "ui/questions/functionquestion.h"
#include "ui/run/activityanimation.h"
#include "ui/run/errorstatisticspage.h"
#include "ui/run/idcheckwindow.h"
#include "ui/run/mprogresswindow.h"
#include "ui/run/runcommand.h"
#include "ui/run/runwindow.h"
#include "ui/views/diagramview.h"
#include "ui/views/tableview.h"

#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QLabel>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QTableWidget>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <QTreeWidget>
#include <atomic>
#include <chrono>
#include <gtest/gtest.h>
#include <optional>
#include <thread>

namespace qv::testing {
namespace {

namespace fs = std::filesystem;
using run::ActivityAnimation;
using run::TfmCntId;
using run::TfmMProgress;
using run::TfmPusk;

// A simulated unit behind a power switch: while it is off the link finds
// no unit and cannot connect.
class SwitchedLink final : public UnitLink
{
public:
    SwitchedLink(std::shared_ptr<sim::SimulatedUnit> unit, const std::atomic<bool> &powered)
        : m_link(std::move(unit))
        , m_powered(powered)
    {}

    bool Present(std::string *why) override
    {
        if (m_powered)
            return m_link.Present(why);
        if (why != nullptr)
            *why = "питание выключено";
        return false;
    }
    bool Open(std::chrono::milliseconds timeout, std::string *error) override
    {
        if (m_powered)
            return m_link.Open(timeout, error);
        if (error != nullptr)
            *error = "питание выключено";
        return false;
    }
    void Close() override { m_link.Close(); }
    bool Write(std::span<const std::uint8_t> bytes, std::chrono::milliseconds timeout,
               std::string *error) override
    {
        return m_link.Write(bytes, timeout, error);
    }
    std::size_t Read(std::span<std::uint8_t> buffer) override { return m_link.Read(buffer); }

private:
    SimLink m_link;
    const std::atomic<bool> &m_powered;
};

// The desk over a simulated unit made from a board text, with the demo board
// open, the status poll off and the end message on.
class RunDesk : public SimulatedDeskTest
{
protected:
    static constexpr int kRunLimitMs = 30000;

    // The unit's link reads `powered`, a member of this class: the desk
    // goes before it does.
    ~RunDesk() override
    {
        command.reset();
        window.reset();
        desk.reset();
    }

    void Start(const std::string &board)
    {
        StartDesk(board,
                  "[Общие]\r\nВыдавать сообщение об окончании выполнения теста=1\r\n"
                  "[Блок диагностики]\r\n"
                  "Выполнять периодический опрос готовности блока диагностики=0\r\n",
                  [this](std::shared_ptr<sim::SimulatedUnit> made) {
                      return std::make_unique<SwitchedLink>(std::move(made), powered);
                  });
        ASSERT_TRUE(window);
        ASSERT_TRUE(window->OpenFile(Demo()));
        command = std::make_unique<run::RunCommand>(*window, *desk, dir.Path() / "quorvik.clb");
        PuskConfig timing;
        timing.cancelWaitMs = 3000;
        command->SetTiming(timing);
        command->SetWindowMade([this](TfmPusk &made) { runWindow = &made; });
        mesbo->Clear();
    }

    // Runs "Пуск" while `step` looks at the windows every few milliseconds.
    void RunWith(const std::function<void()> &step)
    {
        QTimer sampler;
        sampler.setInterval(5);
        QObject::connect(&sampler, &QTimer::timeout, [&] {
            ++ticks;
            step();
        });
        sampler.start();
        // A run that the steps never bring to an end fails instead of hanging.
        QTimer watchdog;
        watchdog.setSingleShot(true);
        QObject::connect(&watchdog, &QTimer::timeout, [&] {
            ADD_FAILURE() << "the run did not end";
            if (runWindow)
                runWindow->CloseWindow();
        });
        watchdog.start(kRunLimitMs);
        window->StartRun();
        watchdog.stop();
        sampler.stop();
    }

    // Presses "OK" as soon as the run window shows its start page.
    void PressOkWhenShown()
    {
        if (runWindow && runWindow->isVisible() && !runWindow->OnWorkPage() && !okPressed) {
            okPressed = true;
            QTest::mouseClick(runWindow->OkButton(), Qt::LeftButton);
        }
    }

    std::vector<std::string> Messages() const
    {
        std::vector<std::string> texts;
        for (const auto &shown : const_cast<ScopedMesbo &>(mesbo)->ShownMessages())
            texts.push_back(shown.text);
        return texts;
    }

    desk::InfoPanel::TabResult Tab(int index) const
    {
        return window->InfoPanel()->ResultOfTab(index);
    }

    std::atomic<bool> powered{true}; // the unit's power switch
    std::unique_ptr<run::RunCommand> command;
    QPointer<TfmPusk> runWindow;
    bool okPressed = false;
    int ticks = 0;
};

TEST_F(RunDesk, AGoldenBoardRunShowsTheSuccessVerdictAndTurnsTheTabBlue)
{
    Start("[Board]\nTactTime=0\n");
    ASSERT_EQ(window->Document().CurrentTest(), 0);
    bool sawStartPage = false;
    RunWith([&] {
        if (runWindow && runWindow->isVisible() && !runWindow->OnWorkPage()) {
            sawStartPage = true;
            EXPECT_EQ(runWindow->windowTitle(), "Пуск");
            EXPECT_TRUE(runWindow->OkButton()->isVisible());
            EXPECT_TRUE(runWindow->CancelButton()->isVisible());
            EXPECT_FALSE(runWindow->VFunctionPanel()->isVisible());
            EXPECT_TRUE(window->RunBar()->Pusk()->isChecked());
        }
        PressOkWhenShown();
    });
    EXPECT_TRUE(sawStartPage);
    EXPECT_EQ(Messages(), std::vector<std::string>{"Тест завершен успешно"});
    EXPECT_EQ(command->LastVerdict().kind, RunVerdict::Passed);
    EXPECT_EQ(Tab(0), desk::InfoPanel::TabResult::Passed);
    EXPECT_FALSE(window->RunBar()->Pusk()->isChecked());
    EXPECT_TRUE(runWindow.isNull()) << "the run window is freed after the run";
}

TEST_F(RunDesk, AStuckContactShowsTheErrorVerdictAndTurnsTheTabRed)
{
    Start("[Board]\nTactTime=0\nStuckHigh=1\n");
    bool redWhileOpen = false;
    RunWith([&] {
        PressOkWhenShown();
        // The tab turns red as soon as the results are decoded, while the
        // run window is still open.
        redWhileOpen = redWhileOpen || (runWindow && runWindow->isVisible() &&
                                        Tab(0) == desk::InfoPanel::TabResult::Failed);
    });
    EXPECT_TRUE(redWhileOpen);
    EXPECT_EQ(Messages(), std::vector<std::string>{"Тест завершен с ошибками"});
    EXPECT_EQ(command->LastVerdict().kind, RunVerdict::Errors);
    EXPECT_EQ(Tab(0), desk::InfoPanel::TabResult::Failed);
    EXPECT_EQ(Tab(1), desk::InfoPanel::TabResult::None);
    EXPECT_GT(window->Document().ErrorCounts()[0], 0);
    // "Найдено ошибок" shows the test's count in red, on the screen too.
    QLabel *errors = window->InfoPanel()->Label("lbErrors");
    EXPECT_TRUE(errors->text().startsWith(QString::number(window->Document().ErrorCounts()[0])));
    const QImage shot = errors->grab().toImage();
    int red = 0;
    for (int y = 0; y < shot.height(); ++y)
        for (int x = 0; x < shot.width(); ++x)
            red += shot.pixelColor(x, y) == QColor(Qt::red) ? 1 : 0;
    EXPECT_GT(red, 0);
}

// Where a screenshot of a window goes (QV_SCREENSHOT_DIR), when asked for.
void KeepShot(QWidget &w, const QString &name)
{
    const QString folder = qEnvironmentVariable("QV_SCREENSHOT_DIR");
    if (!folder.isEmpty())
        w.grab().save(folder + QLatin1Char('/') + name + QStringLiteral(".png"));
}

struct FaultBoard
{
    const char *board;
    const char *contacts; // the first hypothesis's contacts column
    const char *kind;
};

TEST_F(RunDesk, AFailingRunOpensItsDiagnosisFromTheErrorCountAndMarksTheSuspects)
{
    for (const FaultBoard &fault :
         {FaultBoard{"StuckHigh=1", "1 «D0»", "постоянно 1 (обрыв или замыкание на питание)"},
          FaultBoard{"StuckLow=4", "4 «D3»", "постоянно 0"},
          FaultBoard{"BridgedAnd=1-2", "1 «D0», 2 «D1»", "замыкание (И)"},
          FaultBoard{"BridgedOr=5-6", "5 «D4», 6 «D5»", "замыкание (ИЛИ)"},
          FaultBoard{"Swapped=3-4", "3 «D2», 4 «D3»", "перепутаны местами"}}) {
        SCOPED_TRACE(fault.board);
        command.reset();
        window.reset();
        desk.reset();
        okPressed = false;
        Start(std::string("[Board]\nTactTime=0\n") + fault.board + "\n");
        RunWith([&] { PressOkWhenShown(); });
        ASSERT_EQ(command->LastVerdict().kind, RunVerdict::Errors);
        EXPECT_FALSE(window->DiagramView()->SuspectContacts().empty());
        // A click on "Найдено ошибок" shows the diagnosis; Esc closes it.
        bool shown = false;
        ModalWatch<diagnosis::DiagnosisWindow> watch([&](diagnosis::DiagnosisWindow &w) {
            shown = true;
            EXPECT_EQ(w.windowTitle(), "Диагноз");
            QTreeWidgetItem *first = w.Hypotheses()->topLevelItem(0);
            ASSERT_NE(first, nullptr);
            EXPECT_EQ(first->text(diagnosis::DiagnosisWindow::ColContacts).toStdString(),
                      fault.contacts);
            EXPECT_EQ(first->text(diagnosis::DiagnosisWindow::ColKind).toStdString(), fault.kind);
            // The faults it cannot be told from, then the words and cycles behind it.
            ASSERT_GT(first->childCount(), 0);
            EXPECT_TRUE(first->child(first->childCount() - 1)->text(0).startsWith("Тест №1, o"));
            // Every column shows its text whole.
            const QFontMetrics metrics(w.Hypotheses()->font());
            for (int c = 0; c < diagnosis::DiagnosisWindow::ColCount; ++c)
                EXPECT_LE(metrics.horizontalAdvance(first->text(c)), w.Hypotheses()->columnWidth(c))
                    << c;
            KeepShot(w, QString::fromLatin1(fault.board).section('=', 0, 0));
            QTest::keyClick(&w, Qt::Key_Escape);
            EXPECT_FALSE(w.isVisible());
        });
        QTest::mouseClick(window->InfoPanel()->Label("lbErrors"), Qt::LeftButton);
        EXPECT_TRUE(watch.Seen());
        EXPECT_TRUE(shown);
    }
}

TEST_F(RunDesk, TheDiagnosisMenuTheContactTableAndTheCoverageShowTheSameRun)
{
    Start("[Board]\nTactTime=0\nStuckHigh=1\n");
    RunWith([&] { PressOkWhenShown(); });
    ASSERT_EQ(command->LastVerdict().kind, RunVerdict::Errors);
    EXPECT_EQ(window->DiagramView()->SuspectContacts(), std::vector<int>{1});
    KeepShot(*window, QStringLiteral("desk"));
    std::string summary;
    ModalWatch<diagnosis::DiagnosisWindow> fromMenu([&](diagnosis::DiagnosisWindow &w) {
        summary = w.Summary()->text().toStdString();
        QTest::keyClick(&w, Qt::Key_Return); // "Закрыть" is the default button
        EXPECT_FALSE(w.isVisible());
    });
    window->Actions().diagnosis->trigger();
    EXPECT_TRUE(fromMenu.Seen());
    EXPECT_EQ(summary, "Неисправностей: 1");

    // The contact table marks contact 1 ("D0", row Xc... of the first column).
    bool marked = false, others = false;
    ModalWatch<lists::TfmCnt> table([&](lists::TfmCnt &w) {
        marked = w.Grid()->item(0, 0)->background().color() == QColor(0xFF, 0xFF, 0x00);
        others = w.Grid()->item(0, 1)->background().color() == QColor(0xFF, 0xFF, 0x00);
        KeepShot(w, QStringLiteral("cnt"));
    });
    window->Actions().viewCnt->trigger();
    EXPECT_TRUE(table.Seen());
    EXPECT_TRUE(marked);
    EXPECT_FALSE(others);

    std::string total;
    int rows = 0;
    ModalWatch<diagnosis::CoverageWindow> coverage([&](diagnosis::CoverageWindow &w) {
        EXPECT_EQ(w.windowTitle(), "Покрытие");
        total = w.Total()->text().toStdString();
        rows = w.Table()->rowCount();
        KeepShot(w, QStringLiteral("coverage"));
        QTest::keyClick(&w, Qt::Key_Escape);
    });
    window->Actions().coverage->trigger();
    EXPECT_TRUE(coverage.Seen());
    EXPECT_EQ(total.rfind("Итого: обнаруживается ", 0), 0u) << total;
    EXPECT_EQ(rows, 20); // contacts 1..20 of the demo's first test

    // A file opened afresh forgets the diagnosis and its marks.
    ASSERT_TRUE(window->OpenFile(Demo()));
    EXPECT_TRUE(window->DiagramView()->SuspectContacts().empty());
}

// Pixels of the diagram's name column painted in the suspect's yellow.
int YellowNamePixels(DiagramView &diagram)
{
    const QImage shot = diagram.grab().toImage();
    int yellow = 0;
    for (int y = 0; y < shot.height(); ++y)
        for (int x = 0; x < diagram.DiagramGeometry().nameColWidth && x < shot.width(); ++x)
            yellow += shot.pixelColor(x, y) == QColor(0xFF, 0xFF, 0x00) ? 1 : 0;
    return yellow;
}

TEST_F(RunDesk, ASuspectContactWithALevelLineIsMarkedOnTheDiagram)
{
    // Contact 18 ("WR") carries a level line and bit 1 of o2.
    Start("[Board]\nTactTime=0\nStuckLow=18\n");
    RunWith([&] { PressOkWhenShown(); });
    ASSERT_EQ(command->LastVerdict().kind, RunVerdict::Errors);
    EXPECT_EQ(window->DiagramView()->SuspectContacts(), std::vector<int>{18});
    window->DiagramView()->repaint();
    EXPECT_GT(YellowNamePixels(*window->DiagramView()), 0);
    KeepShot(*window, QStringLiteral("desk-wr"));
    // A clean run takes the marks away.
    command.reset();
    window.reset();
    desk.reset();
    okPressed = false;
    Start("[Board]\nTactTime=0\n");
    RunWith([&] { PressOkWhenShown(); });
    EXPECT_TRUE(window->DiagramView()->SuspectContacts().empty());
    EXPECT_EQ(YellowNamePixels(*window->DiagramView()), 0);
}

TEST_F(RunDesk, AfterARunTheTableShowsEveryValueWhole)
{
    Start("[Board]\nTactTime=0\n");
    window->ShowTable();
    RunWith([&] { PressOkWhenShown(); });
    ASSERT_EQ(Messages(), std::vector<std::string>{"Тест завершен успешно"});
    const TextGrid &content = window->Document().TableView();
    const TableView &table = *window->TableView();
    QFont bold = table.font();
    bold.setBold(true);
    const QFontMetrics plain(table.font());
    const QFontMetrics header(bold);
    bool sawWait = false;
    for (int row = 0; row < content.RowCount(); ++row) {
        for (const int col : {0, 2, 3, 5, 6}) {
            const QString text = QString::fromStdString(content.Cell(col, row));
            const QFontMetrics &metrics = row == 0 || col == 0 ? header : plain;
            EXPECT_LT(metrics.horizontalAdvance(text), table.ColWidth(col))
                << "row " << row << ", column " << col << ": " << text.toStdString();
            sawWait = sawWait || text.startsWith(QLatin1Char('#'));
        }
    }
    EXPECT_TRUE(sawWait) << "the wait word shows its wait";
    // The whole table still fits the view when the room is there.
    int total = 0;
    for (int col = 0; col < 7; ++col)
        total += table.ColWidth(col);
    EXPECT_LE(total, table.viewport()->width());
}

TEST_F(RunDesk, EscDuringASlowRunStopsItAndTellsTheCycleAndTactReached)
{
    Start("[Board]\nTactTime=20000\n");
    bool sawRunning = false;
    bool escPressed = false;
    bool sawCloseAfterEsc = false;
    int ticksWhileRunning = 0;
    int firstPhase = -1;
    bool phaseMoved = false;
    RunWith([&] {
        PressOkWhenShown();
        if (!runWindow || !runWindow->isVisible() || !runWindow->OnWorkPage())
            return;
        TfmPusk &w = *runWindow;
        if (!escPressed && w.StatusLabel()->text() == "выполнение теста" &&
            w.Animation()->CurrentMode() == ActivityAnimation::Running) {
            sawRunning = true;
            EXPECT_EQ(w.RunTypeLabel()->text(), "однократный");
            EXPECT_FALSE(w.PassLabel()->isVisible()) << "no pass counter in a single run";
            EXPECT_FALSE(w.CloseButton()->isVisible());
            EXPECT_TRUE(w.StopPanel()->isVisible());
            EXPECT_EQ(w.StopPanel()->text(),
                      "Нажмите кнопку \"Esc\", чтобы прервать выполнение теста");
            EXPECT_TRUE(w.Animation()->Animating());
            if (firstPhase < 0)
                firstPhase = w.Animation()->Phase();
            phaseMoved = phaseMoved || w.Animation()->Phase() != firstPhase;
            // Let the window live through a while of the run before stopping.
            if (++ticksWhileRunning >= 20) {
                escPressed = true;
                QTest::keyClick(&w, Qt::Key_Escape);
            }
        } else if (escPressed) {
            sawCloseAfterEsc = sawCloseAfterEsc || w.CloseButton()->isVisible();
            EXPECT_FALSE(w.StopPanel()->isVisible());
        }
    });
    ASSERT_TRUE(sawRunning);
    // The window kept its event loop going while the thread worked.
    EXPECT_GE(ticksWhileRunning, 20);
    EXPECT_TRUE(phaseMoved) << "the activity picture moves while the test runs";
    EXPECT_TRUE(sawCloseAfterEsc);
    const STest &test = *window->Document().Test(0);
    const std::string expected = "Выполнение теста прервано [цикл - " +
                                 std::to_string(test.RunCounter1) + "; такт - " +
                                 std::to_string(test.RunCounter2 + 1) + "]";
    EXPECT_EQ(Messages(), std::vector<std::string>{expected});
    EXPECT_EQ(command->LastVerdict().kind, RunVerdict::Interrupted);
}

TEST_F(RunDesk, AContinuousRunCountsItsPassesUntilEsc)
{
    Start("[Board]\nTactTime=0\nStuckHigh=1\n");
    TSettings &settings = desk->Store().Settings();
    settings.SetOption(TSettings::OptSendResultInLoop, 1);
    settings.SetOption(TSettings::OptStopOnTestError, 0);
    window->ToggleSolidTest();
    ASSERT_TRUE(window->Document().SolidTest());
    QStringList counts;
    bool escPressed = false;
    bool statisticsShown = false;
    RunWith([&] {
        PressOkWhenShown();
        if (runWindow && runWindow->isVisible() && runWindow->OnStatisticsPage()) {
            // Every pass failed: the window waits on the statistics.
            statisticsShown = true;
            EXPECT_TRUE(Messages().empty()) << "the end message follows the page";
            QTest::mouseClick(runWindow->StatisticsPage()->CloseButton(), Qt::LeftButton);
            return;
        }
        if (!runWindow || !runWindow->isVisible() || !runWindow->OnWorkPage())
            return;
        EXPECT_EQ(runWindow->RunTypeLabel()->text(), "непрерывный");
        EXPECT_TRUE(runWindow->PassLabel()->isVisible());
        const QString count = runWindow->PassLabel()->text();
        if (counts.isEmpty() || counts.back() != count)
            counts << count;
        if (!escPressed && count.toInt() >= 3) {
            escPressed = true;
            QTest::keyClick(runWindow.data(), Qt::Key_Escape);
        }
    });
    ASSERT_TRUE(escPressed);
    EXPECT_TRUE(statisticsShown);
    ASSERT_GE(counts.size(), 2);
    for (int i = 1; i < counts.size(); ++i)
        EXPECT_GT(counts[i].toInt(), counts[i - 1].toInt()) << "the counter only goes up";
    EXPECT_EQ(command->LastVerdict().kind, RunVerdict::Interrupted);
    EXPECT_GE(command->LastVerdict().passes, 3);
    ASSERT_EQ(Messages().size(), 1u);
    EXPECT_EQ(Messages()[0].rfind("Выполнение теста прервано [цикл - ", 0), 0u) << Messages()[0];
}

// Paint events of a widget and everything inside it.
class PaintCounter : public QObject
{
public:
    explicit PaintCounter(QWidget *root)
        : m_root(root)
    {
        qApp->installEventFilter(this);
    }
    ~PaintCounter() override { qApp->removeEventFilter(this); }
    int Paints() const { return m_paints; }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Paint && watched->isWidgetType() &&
            (watched == m_root || m_root->isAncestorOf(static_cast<QWidget *>(watched))))
            ++m_paints;
        return false;
    }

private:
    QWidget *m_root;
    int m_paints = 0;
};

// A continuous run repaints the views at most at the screen's pace, not
// after every pass, and they end on the last pass's values.
TEST_F(RunDesk, AContinuousRunRepaintsTheViewsAtTheScreensPaceAndEndsOnTheLastPass)
{
    Start("[Board]\nTactTime=0\nStuckHigh=1\n");
    TSettings &settings = desk->Store().Settings();
    settings.SetOption(TSettings::OptSendResultInLoop, 1);
    settings.SetOption(TSettings::OptStopOnTestError, 0);
    window->ToggleSolidTest();
    window->ShowTable();
    PaintCounter paints(window->TableView());
    QElapsedTimer running;
    int paintsAtStart = -1;
    int paintsAtEsc = -1;
    qint64 runningMs = 0;
    RunWith([&] {
        PressOkWhenShown();
        if (!runWindow || !runWindow->isVisible())
            return;
        if (runWindow->OnStatisticsPage()) {
            QTest::mouseClick(runWindow->StatisticsPage()->CloseButton(), Qt::LeftButton);
            return;
        }
        if (!runWindow->OnWorkPage() || paintsAtEsc >= 0)
            return;
        if (paintsAtStart < 0) {
            paintsAtStart = paints.Paints();
            running.start();
        }
        if (runWindow->PassLabel()->text().toInt() >= 150) {
            paintsAtEsc = paints.Paints();
            runningMs = running.elapsed();
            QTest::keyClick(runWindow.data(), Qt::Key_Escape);
        }
    });
    ASSERT_GE(paintsAtEsc, 0);
    const int passes = command->LastVerdict().passes;
    ASSERT_GE(passes, 150);
    const int frames = static_cast<int>(runningMs / run::TfmPusk::kResultsFrameMs) + 1;
    EXPECT_LE(paintsAtEsc - paintsAtStart, frames + 5)
        << passes << " passes in " << runningMs << " ms";
    const STest &test = *window->Document().Test(0);
    for (int position = 0; position < test.OWords.Count(); ++position) {
        const int id = test.OWords.At(position)->Id;
        EXPECT_GE(test.OWords.ValueAt(id, 0, ValueSet::Run).value_or(-1), 0) << "o" << id;
    }
    EXPECT_EQ(Tab(0), desk::InfoPanel::TabResult::Failed);
}

TEST_F(RunDesk, EscInAContinuousRunTellsTheFailingPassesAndKeepsTheLastCompletePass)
{
    // Slow tacts: Esc comes in the middle of a pass.
    Start("[Board]\nTactTime=3000\nStuckHigh=1\n");
    TSettings &settings = desk->Store().Settings();
    settings.SetOption(TSettings::OptSendResultInLoop, 1);
    settings.SetOption(TSettings::OptStopOnTestError, 0);
    window->ToggleSolidTest();
    window->ShowTable();
    bool escPressed = false;
    RunWith([&] {
        PressOkWhenShown();
        if (!runWindow || !runWindow->isVisible())
            return;
        if (runWindow->OnStatisticsPage()) {
            QTest::mouseClick(runWindow->StatisticsPage()->CloseButton(), Qt::LeftButton);
            return;
        }
        if (!escPressed && runWindow->OnWorkPage() && runWindow->PassLabel()->text().toInt() >= 3) {
            escPressed = true;
            QTest::keyClick(runWindow.data(), Qt::Key_Escape);
        }
    });
    ASSERT_TRUE(escPressed);
    const RunVerdict &verdict = command->LastVerdict();
    ASSERT_EQ(verdict.kind, RunVerdict::Interrupted);
    const int passes = verdict.statistics.Passes();
    ASSERT_GE(passes, 2);
    // The board fails in every pass: the pass Esc cut short is none.
    EXPECT_EQ(verdict.failingPasses, passes);
    ASSERT_EQ(Messages().size(), 1u);
    const std::string tail =
        "\r\nПрогонов с ошибками: " + std::to_string(passes) + " из " + std::to_string(passes);
    EXPECT_TRUE(Messages()[0].ends_with(tail)) << Messages()[0];
    // The table shows the values of the last complete pass, not "- - -".
    const STest &test = *window->Document().Test(0);
    for (int position = 0; position < test.OWords.Count(); ++position) {
        const int id = test.OWords.At(position)->Id;
        for (int cycle = 0; cycle < test.Cycles; ++cycle)
            EXPECT_TRUE(test.OWords.ValueAt(id, cycle, ValueSet::Run).value_or(-1) >= 0)
                << "o" << id << ", cycle " << cycle + 1;
    }
    EXPECT_GT(window->Document().ErrorCounts()[0], 0);
    EXPECT_EQ(Tab(0), desk::InfoPanel::TabResult::Failed);
}

TEST_F(RunDesk, AContinuousRunThatFailsNowAndThenShowsSortableStatisticsAfterIt)
{
    Start("[Board]\nTactTime=0\nStuckHigh=1\nStuckEvery=3\n");
    TSettings &settings = desk->Store().Settings();
    settings.SetOption(TSettings::OptSendResultInLoop, 1);
    settings.SetOption(TSettings::OptStopOnTestError, 0);
    window->ToggleSolidTest();
    bool escPressed = false;
    QTableWidget *table = nullptr;
    QString caption;
    std::vector<std::vector<QString>> rows;
    RunWith([&] {
        PressOkWhenShown();
        if (!runWindow || !runWindow->isVisible())
            return;
        if (runWindow->OnStatisticsPage()) {
            table = runWindow->StatisticsPage()->Table();
            caption = runWindow->StatisticsPage()->Caption()->text();
            // The operator sorts by the first failing pass, then by the contact.
            table->sortByColumn(run::ErrorStatisticsPage::ColFirst, Qt::AscendingOrder);
            table->sortByColumn(run::ErrorStatisticsPage::ColContact, Qt::DescendingOrder);
            for (int r = 0; r < table->rowCount(); ++r) {
                rows.emplace_back();
                for (int c = 0; c < table->columnCount(); ++c)
                    rows.back().push_back(table->item(r, c) ? table->item(r, c)->text() : "");
            }
            QTest::keyClick(runWindow.data(), Qt::Key_Escape);
            return;
        }
        if (!escPressed && runWindow->OnWorkPage() && runWindow->PassLabel()->text().toInt() >= 8) {
            escPressed = true;
            QTest::keyClick(runWindow.data(), Qt::Key_Escape);
        }
    });
    ASSERT_TRUE(escPressed);
    ASSERT_NE(table, nullptr) << "no statistics page";
    const RunVerdict &verdict = command->LastVerdict();
    const ErrorStatistics &statistics = verdict.statistics;
    // The counter may run one pass ahead of the results decoded.
    const int passes = statistics.Passes();
    ASSERT_GE(passes, 6);
    EXPECT_EQ(caption, QStringLiteral("Ошибки по прогонам (всего прогонов: %1)").arg(passes));
    // Test 1 reads o1 and o3 over the stuck contact 1: two word rows and two
    // contact rows, each failing in passes 3, 6, 9...
    ASSERT_EQ(rows.size(), 4u);
    // (A pass cut short by Esc may end before it reads a wrong value.)
    for (const auto &row : rows) {
        EXPECT_EQ(row[run::ErrorStatisticsPage::ColTest], "1");
        const int last = row[run::ErrorStatisticsPage::ColLast].toInt();
        EXPECT_EQ(last % 3, 0);
        EXPECT_GE(last, passes - 3);
        EXPECT_EQ(row[run::ErrorStatisticsPage::ColFailing], QString::number(last / 3));
        EXPECT_EQ(row[run::ErrorStatisticsPage::ColFirst], "3");
        EXPECT_EQ(row[run::ErrorStatisticsPage::ColCycle], "2");
    }
    // Sorted by contact, descending: the contact rows first.
    EXPECT_EQ(rows[0][run::ErrorStatisticsPage::ColContact], "1 D0");
    EXPECT_EQ(rows[1][run::ErrorStatisticsPage::ColContact], "1 D0");
    EXPECT_EQ(rows[2][run::ErrorStatisticsPage::ColContact], "");
    EXPECT_EQ(verdict.failingPasses, rows[0][run::ErrorStatisticsPage::ColLast].toInt() / 3);
    ASSERT_EQ(Messages().size(), 1u);
    EXPECT_EQ(Messages()[0].rfind("Выполнение теста прервано [цикл - ", 0), 0u) << Messages()[0];
}

TEST_F(RunDesk, AClosedWindowDuringARunActsAsEscAndStaysOpenUntilTheThreadEnds)
{
    Start("[Board]\nTactTime=20000\n");
    bool closeAsked = false;
    bool stayedOpen = false;
    RunWith([&] {
        PressOkWhenShown();
        if (!runWindow || !runWindow->isVisible() || !runWindow->OnWorkPage())
            return;
        if (!closeAsked && runWindow->StatusLabel()->text() == "выполнение теста") {
            closeAsked = true;
            runWindow->close();
            stayedOpen = runWindow->isVisible() && !runWindow->StopPanel()->isVisible();
        }
    });
    EXPECT_TRUE(closeAsked);
    EXPECT_TRUE(stayedOpen);
    ASSERT_EQ(Messages().size(), 1u);
    EXPECT_EQ(Messages()[0].rfind("Выполнение теста прервано [цикл - ", 0), 0u) << Messages()[0];
}

TEST_F(RunDesk, CancelOrEscOnTheStartPageEndsTheRunWithoutAMessage)
{
    Start("[Board]\nTactTime=0\n");
    RunWith([&] {
        if (runWindow && runWindow->isVisible() && !okPressed) {
            okPressed = true;
            QTest::mouseClick(runWindow->CancelButton(), Qt::LeftButton);
        }
    });
    EXPECT_TRUE(Messages().empty());
    EXPECT_EQ(command->LastVerdict().kind, RunVerdict::Cancelled);
    EXPECT_EQ(Tab(0), desk::InfoPanel::TabResult::None);

    okPressed = false;
    RunWith([&] {
        if (runWindow && runWindow->isVisible() && !okPressed) {
            okPressed = true;
            QTest::keyClick(runWindow.data(), Qt::Key_Escape);
        }
    });
    EXPECT_TRUE(Messages().empty());
    EXPECT_EQ(command->LastVerdict().kind, RunVerdict::Cancelled);
}

// Counts the windows of one form name shown anywhere in the application.
class ShowWatcher : public QObject
{
public:
    explicit ShowWatcher(const char *formName)
        : m_formName(QString::fromUtf8(formName))
    {
        qApp->installEventFilter(this);
    }
    ~ShowWatcher() override { qApp->removeEventFilter(this); }
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Show && watched->objectName() == m_formName)
            ++shown;
        return false;
    }
    int shown = 0;

private:
    QString m_formName;
};

TEST_F(RunDesk, ABrokenLinkIsMadeAgainUnderAWaitingWindowBeforeTheRun)
{
    Start("[Board]\nTactTime=0\n[Faults]\nDropAfterBlocks=2\nTimes=1\n");
    // The unit drops the link once, in the middle of a transfer.
    const SComPort port = desk->Tester().Port();
    port->SetVoice(PortVoice::Quiet);
    const std::vector<std::uint8_t> bytes(4 * Portavo::kDefaultBlockSize, 0x5A);
    ASSERT_EQ(port->SendFile(bytes, "a.bin", {}), PortLinkLost);
    ASSERT_EQ(port->NeedsReconnect(1), 1);
    port->SetError(std::nullopt);
    ShowWatcher notices("fmClosing");
    RunWith([&] { PressOkWhenShown(); });
    EXPECT_EQ(notices.shown, 1);
    EXPECT_TRUE(window->findChildren<desk::ClosingWindow *>().isEmpty());
    EXPECT_EQ(Messages(), std::vector<std::string>{"Тест завершен успешно"});
}

TEST_F(RunDesk, ARunThatCannotMakeTheLinkAgainLeavesNoWaitingWindowBehind)
{
    Start("[Board]\nTactTime=0\n[Faults]\nDropAfterBlocks=2\nTimes=1\n");
    const SComPort port = desk->Tester().Port();
    port->SetVoice(PortVoice::Quiet);
    const std::vector<std::uint8_t> bytes(4 * Portavo::kDefaultBlockSize, 0x5A);
    ASSERT_EQ(port->SendFile(bytes, "a.bin", {}), PortLinkLost);
    ASSERT_EQ(port->NeedsReconnect(1), 1);
    port->SetError(std::nullopt);
    // The unit is gone by the time the run tries to reach it again.
    powered = false;
    ShowWatcher notices("fmClosing");
    RunWith([&] { PressOkWhenShown(); });
    EXPECT_EQ(notices.shown, 1);
    EXPECT_TRUE(window->findChildren<desk::ClosingWindow *>().isEmpty());
    EXPECT_NE(command->LastVerdict().kind, RunVerdict::Passed);
}

TEST_F(RunDesk, AUnitSwitchedOnAfterTheProgramStartedRunsOnTheFirstPusk)
{
    powered = false;
    Start("[Board]\nTactTime=0\n");
    powered = true;
    RunWith([&] { PressOkWhenShown(); });
    EXPECT_EQ(Messages(), std::vector<std::string>{"Тест завершен успешно"});
    EXPECT_EQ(command->LastVerdict().kind, RunVerdict::Passed);
}

// A unit that acknowledges the program and then never speaks again, on a
// board slow enough that a whole run would take hours.
constexpr std::string_view kHungUnit = "[Board]\nTactTime=10000000\n[Faults]\nHang=QORV_DATA\n";

TEST_F(RunDesk, AUnitThatHangsMidRunEndsTheRunByItself)
{
    Start(std::string(kHungUnit));
    PuskConfig timing;
    timing.aliveCheckMs = 300;
    command->SetTiming(timing);
    RunWith([&] { PressOkWhenShown(); });
    EXPECT_EQ(Messages(), std::vector<std::string>{
                              "Блок диагностики перестал отвечать во время выполнения теста"});
    EXPECT_EQ(command->LastVerdict().kind, RunVerdict::Failed);
}

TEST_F(RunDesk, EscOnAHungUnitEndsTheRunAfterTheCancelWait)
{
    Start(std::string(kHungUnit));
    PuskConfig timing;
    timing.aliveCheckMs = 600000; // only Esc can end this run
    timing.cancelWaitMs = 2000;
    command->SetTiming(timing);
    std::optional<std::chrono::steady_clock::time_point> escAt;
    RunWith([&] {
        PressOkWhenShown();
        if (!escAt && runWindow && runWindow->isVisible() && runWindow->OnWorkPage() &&
            runWindow->StatusLabel()->text() == "выполнение теста") {
            escAt = std::chrono::steady_clock::now();
            QTest::keyClick(runWindow.data(), Qt::Key_Escape);
        }
    });
    ASSERT_TRUE(escAt);
    const auto took = std::chrono::steady_clock::now() - *escAt;
    EXPECT_GE(took, std::chrono::seconds(2)) << "the unit had its cancel wait";
    EXPECT_LT(took, std::chrono::seconds(10));
    EXPECT_EQ(Messages(),
              std::vector<std::string>{"Блок диагностики не ответил на команду остановки теста"});
    EXPECT_EQ(command->LastVerdict().kind, RunVerdict::Failed);
}

// Contact 4 of the adapter becomes an identification contact.
constexpr int kIdContact = 3;

TEST_F(RunDesk, TheIdCheckWindowClosesByItselfWhenTheContactsAreRight)
{
    Start("[Board]\nTactTime=0\n");
    window->Document().Cnt().Names[kIdContact] = "#i";
    QStringList labels;
    bool runWindowAfterCheck = false;
    RunWith([&] {
        if (auto *check = window->findChild<TfmCntId *>(); check && check->isVisible()) {
            EXPECT_FALSE(check->CloseButton()->isVisible());
            if (labels.isEmpty() && check->Table()->rowCount() == 1)
                labels << check->Table()->item(0, 0)->text();
        }
        runWindowAfterCheck = runWindowAfterCheck || (runWindow && runWindow->isVisible());
        PressOkWhenShown();
    });
    EXPECT_EQ(labels, QStringList{"X2:c4"});
    EXPECT_TRUE(runWindowAfterCheck);
    EXPECT_EQ(Messages(), std::vector<std::string>{"Тест завершен успешно"});
}

TEST_F(RunDesk, AWrongIdContactKeepsTheCheckWindowWithCloseAndEndsTheRunSilently)
{
    Start("[Board]\nTactTime=0\n[Identification]\nWrong=" +
          std::to_string(UnitChannelCode(kIdContact, true)) + "\n");
    // Many identification contacts: the table stops growing at 65 % of the
    // screen height.
    constexpr int kContacts = 60;
    for (int i = 0; i < kContacts; ++i)
        window->Document().Cnt().Names[static_cast<std::size_t>(i)] = "#i";
    struct Cell
    {
        QString text;
        bool bold = false;
        QColor colour;
    };
    Cell wrong;
    Cell right;
    int rows = 0;
    int tableHeight = 0;
    int screenHeight = 0;
    bool closedByEsc = false;
    RunWith([&] {
        auto *check = window->findChild<TfmCntId *>();
        if (!check || !check->isVisible() || !check->CloseButton()->isVisible() || closedByEsc)
            return;
        const auto cell = [&](int row) {
            const QTableWidgetItem *item = check->Table()->item(row, 1);
            return Cell{item->text(), item->font().bold(), item->foreground().color()};
        };
        wrong = cell(kIdContact);
        right = cell(0);
        rows = check->Table()->rowCount();
        tableHeight = check->Table()->height();
        screenHeight = check->screen()->geometry().height();
        closedByEsc = true;
        QTest::keyClick(check, Qt::Key_Escape);
    });
    ASSERT_TRUE(closedByEsc);
    EXPECT_EQ(wrong.text, "ошибка");
    EXPECT_TRUE(wrong.bold);
    EXPECT_EQ(wrong.colour, QColor(Qt::red));
    EXPECT_EQ(right.text, "OK");
    EXPECT_TRUE(right.bold);
    EXPECT_EQ(right.colour, QColor(0, 128, 0));
    EXPECT_EQ(rows, kContacts);
    EXPECT_LE(tableHeight, static_cast<int>(screenHeight * TfmCntId::kMaxScreenShare));
    EXPECT_GT(tableHeight, static_cast<int>(screenHeight * TfmCntId::kMaxScreenShare) - 5);
    EXPECT_TRUE(runWindow.isNull()) << "no run window after a failed check";
    EXPECT_TRUE(Messages().empty());
    EXPECT_EQ(command->LastVerdict().kind, RunVerdict::NotRun);
}

TEST_F(RunDesk, AClickOnTheStopPanelStopsTheRunLikeEsc)
{
    Start("[Board]\nTactTime=20000\n");
    bool clicked = false;
    RunWith([&] {
        PressOkWhenShown();
        if (!clicked && runWindow && runWindow->isVisible() && runWindow->OnWorkPage() &&
            runWindow->StatusLabel()->text() == "выполнение теста") {
            clicked = true;
            QTest::mouseClick(runWindow->StopPanel(), Qt::LeftButton);
            EXPECT_FALSE(runWindow->StopPanel()->isVisible());
            EXPECT_TRUE(runWindow->CloseButton()->isVisible());
        }
    });
    EXPECT_TRUE(clicked);
    EXPECT_EQ(command->LastVerdict().kind, RunVerdict::Interrupted);
    ASSERT_EQ(Messages().size(), 1u);
    EXPECT_EQ(Messages()[0].rfind("Выполнение теста прервано [цикл - ", 0), 0u) << Messages()[0];
}

// The run window's calls from another thread return after the effect shows.
TEST_F(RunDesk, TheFunctionTestRunsFromTheWindowAndFetchesItsDataFile)
{
    Start("[Board]\nTactTime=0\n");
    window->SelectTest(1);
    ASSERT_EQ(window->Document().CurrentTest(), 1);
    const fs::path dump = dir.Path() / "demo" / "ram_dump.dat";
    fs::remove(dump);
    RunWith([&] { PressOkWhenShown(); });
    EXPECT_EQ(Messages(), std::vector<std::string>{"Тест завершен успешно"});
    EXPECT_TRUE(fs::exists(dump)) << "the block the unit wrote is fetched into its file";
    EXPECT_EQ(Tab(1), desk::InfoPanel::TabResult::Passed);
}

// The demo's memory test runs two algorithms: the unit asks once per
// algorithm that fails, and only goes on to the second after a "Да".
TEST_F(RunDesk, AMemoryFaultShowsTheMFunctionDialogAndItsAnswerReachesTheUnit)
{
    Start("[Board]\nTactTime=0\nMemoryFault=300\n");
    window->SelectTest(1);
    fs::remove(dir.Path() / "demo" / "ram_dump.dat"); // no overwrite question first
    std::vector<QString> algorithms;
    RunWith([&] {
        PressOkWhenShown();
        auto *ask = qobject_cast<questions::TfmFuncAsk *>(QApplication::activeModalWidget());
        if (ask == nullptr || !ask->isVisible())
            return;
        algorithms.push_back(ask->ValueOf("Алгоритм:"));
        if (algorithms.size() == 1) {
            EXPECT_EQ(ask->ValueOf("M-функция:"), "M1 (Тест ОЗУ 4К)");
            EXPECT_EQ(ask->ValueOf("Текущий адрес:"), "12C");
            ASSERT_EQ(ask->List()->rowCount(), 3) << "header, memory cell, one output word";
            EXPECT_EQ(ask->List()->item(1, 0)->text(), "ячейка памяти");
            EXPECT_EQ(ask->List()->item(1, 1)->text(), "55");
            EXPECT_EQ(ask->List()->item(1, 2)->text(), "54");
            QTest::mouseClick(ask->YesButton(), Qt::LeftButton);
        } else {
            ask->close(); // the close button counts as "Нет"
        }
    });
    EXPECT_EQ(algorithms, (std::vector<QString>{"Тест буферов", "Марш-тест"}));
    EXPECT_EQ(Messages(), std::vector<std::string>{"Тест завершен с ошибками"});
    EXPECT_EQ(Tab(1), desk::InfoPanel::TabResult::Failed);
}

// A ROM whose contents differ from its file: the F-function's question
// shows where and what, not an empty table.
TEST_F(RunDesk, AnFFunctionErrorShowsTheValueExpectedAndTheValueRead)
{
    Start("[Board]\nTactTime=0\nDataSeed=1\n");
    window->SelectTest(1);
    fs::remove(dir.Path() / "demo" / "ram_dump.dat");
    bool asked = false;
    RunWith([&] {
        PressOkWhenShown();
        auto *ask = qobject_cast<questions::TfmFuncAsk *>(QApplication::activeModalWidget());
        if (ask == nullptr || !ask->isVisible() || asked)
            return;
        asked = true;
        EXPECT_EQ(ask->objectName(), "fmFuncF_ask");
        ASSERT_GE(ask->List()->rowCount(), 2) << "header and the data line";
        EXPECT_EQ(ask->List()->item(1, 0)->text(), "значение F - функции");
        EXPECT_FALSE(ask->List()->item(1, 1)->text().isEmpty());
        EXPECT_NE(ask->List()->item(1, 1)->text(), ask->List()->item(1, 2)->text());
        QTimer::singleShot(0, ask, [ask] { ask->close(); });
    });
    EXPECT_TRUE(asked);
}

// In an all-tests run no test is the current one: "инфо" and a word of the
// M-function dialog open the lists of the test the question is about.
TEST_F(RunDesk, InAnAllTestsRunTheQuestionOpensTheListsOfItsOwnTest)
{
    Start("[Board]\nTactTime=0\nMemoryFault=300\n");
    window->SelectTest(TBaseForm::kAllTests);
    ASSERT_EQ(window->Document().CurrentTest(), -1);
    fs::remove(dir.Path() / "demo" / "ram_dump.dat");
    int step = 0;
    QStringList opened;
    RunWith([&] {
        PressOkWhenShown();
        QWidget *modal = QApplication::activeModalWidget();
        if (modal == nullptr || !modal->isVisible())
            return;
        auto *ask = qobject_cast<questions::TfmFuncAsk *>(modal);
        if (ask == nullptr) {
            if (modal != runWindow) {
                opened << modal->objectName();
                QTimer::singleShot(0, modal, [modal] { modal->close(); });
            }
            return;
        }
        if (step == 0) {
            step = 1;
            QTimer::singleShot(0, ask,
                               [ask] { QTest::mouseClick(ask->InfoButton(), Qt::LeftButton); });
        } else if (step == 1 && opened.size() == 1) {
            step = 2;
            const QRect cell = ask->List()->visualItemRect(ask->List()->item(2, 0));
            QTimer::singleShot(0, ask, [ask, cell] {
                QTest::mouseClick(ask->List()->viewport(), Qt::LeftButton, {}, cell.center());
            });
        } else if (step == 2 && opened.size() == 2) {
            step = 3;
            QTimer::singleShot(0, ask, [ask] { ask->close(); });
        }
    });
    EXPECT_EQ(opened, (QStringList{QStringLiteral("fmFuncM"), QStringLiteral("fmOWord")}));
}

// A function without a data file name stops the run at the data-file-name
// window outside debug mode; "Отмена" ends the run before the unit runs it.
TEST_F(RunDesk, AnUnnamedDataFileAsksForTheNameBeforeTheRun)
{
    Start("[Board]\nTactTime=0\n");
    window->SelectTest(1);
    window->Document().Test(1)->FFuncs.ByNumber(3)->FileName = "*";
    QString label;
    int rows = 0;
    // Its own timer: the window opens inside the sampler's press of "OK".
    ModalWatch<lists::TfmFuncName> watch([&](lists::TfmFuncName &names) {
        label = names.TopLabel()->text();
        rows = names.Grid()->rowCount() - 1;
        QTest::mouseClick(names.CancelButton(), Qt::LeftButton);
    });
    RunWith([&] { PressOkWhenShown(); });
    EXPECT_TRUE(watch.Seen());
    EXPECT_TRUE(label.startsWith("В тесте №2 определены функции")) << label.toStdString();
    EXPECT_EQ(rows, 1);
    EXPECT_NE(Tab(1), desk::InfoPanel::TabResult::Passed);
}

TEST_F(RunDesk, TheCurrentControlCommandReportsTheSupplyOverItsLimit)
{
    Start("[Currents]\nSupply=+5 В:520:500\n");
    QAction *command = window->Actions().currentControl;
    ASSERT_NE(command, nullptr);
    ASSERT_TRUE(command->isEnabled());
    command->trigger();
    const auto shown = Messages();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_NE(shown[0].find("цепь 1: 520 мА (предел 500 мА)"), std::string::npos) << shown[0];
}

TEST(RunWindow, MFunctionProgressFromAWorkerThreadOpensItsWindowBesideTheRunWindow)
{
    NullDocumentObserver observer;
    ScriptedFileUi ui;
    TQuorvik document(observer, ui);
    TfmPusk w(document, {});
    w.move(40, 40);
    w.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));

    MFunctionProgress list;
    list.test = 1;
    list.mFunction = 2;
    list.algorithms = {"Тест буферов", "Марш-тест"};
    MFunctionProgress row;
    row.test = 1;
    row.mFunction = 2;
    row.row = 1;
    row.picture = 1;
    std::atomic<bool> done{false};
    int rowsSeen = -1;
    std::thread worker([&] {
        w.ShowMFunctionProgress(list);
        rowsSeen = w.MFunctionWindow()->RowCount();
        w.ShowMFunctionProgress(row);
        w.ShowStatus("выполнение теста №2");
        done = true;
    });
    QV_EXPECT_SOON_WITHIN(done.load(), 5000);
    worker.join();
    EXPECT_EQ(rowsSeen, 2);
    TfmMProgress *m = w.MFunctionWindow();
    ASSERT_NE(m, nullptr);
    EXPECT_EQ(m->windowTitle(), "Отработка M-функции:");
    EXPECT_EQ(m->RowText(0), "Тест буферов");
    EXPECT_EQ(m->RowPicture(0), 2);
    EXPECT_EQ(m->RowPicture(1), 1);
    EXPECT_EQ(w.StatusLabel()->text(), "выполнение теста №2");
    EXPECT_TRUE(m->isVisible());
    EXPECT_EQ(m->frameGeometry().left(), w.frameGeometry().right() + 1);
    EXPECT_EQ(m->frameGeometry().top(), w.frameGeometry().top());

    // Moved near the right edge of the screen, the run window has it on its left.
    const QRect area = w.screen()->availableGeometry();
    w.move(area.right() - w.frameGeometry().width() - 10, 60);
    QV_EXPECT_EQ_SOON(m->frameGeometry().right(), w.frameGeometry().left() - 1);
    EXPECT_EQ(m->frameGeometry().top(), w.frameGeometry().top());

    // A row outside the list changes nothing; a new list starts at picture 2.
    row.row = 7;
    w.ShowMFunctionProgress(row);
    list.algorithms = {"Бегущая 1"};
    w.ShowMFunctionProgress(list);
    EXPECT_EQ(m->RowCount(), 1);
    EXPECT_EQ(m->RowPicture(0), 2);
}

TEST(RunWindow, AQuestionOfTheUnitHidesTheWindowAsksAndShowsItAgain)
{
    ScopedMesbo mesbo;
    NullDocumentObserver observer;
    ScriptedFileUi ui;
    TQuorvik document(observer, ui);
    TfmPusk w(document, {});
    w.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));
    const std::vector<std::uint8_t> record = {2, 1, 1, 0};
    // The first question is answered "Нет", the second "Да".
    int asked = 0;
    bool hiddenWhileAsked = true;
    QTimer answerer;
    answerer.setInterval(10);
    QObject::connect(&answerer, &QTimer::timeout, [&] {
        auto *ask = qobject_cast<questions::TfmFuncAsk *>(QApplication::activeModalWidget());
        if (ask == nullptr || !ask->isVisible())
            return;
        hiddenWhileAsked = hiddenWhileAsked && !w.isVisible();
        EXPECT_EQ(ask->ValueOf("M-функция:"), "M1");
        ++asked;
        QTest::mouseClick(asked == 1 ? ask->NoButton() : ask->YesButton(), Qt::LeftButton);
    });
    answerer.start();
    int first = -1;
    int second = -1;
    std::atomic<bool> done{false};
    std::thread worker([&] {
        first = w.AskQuestion(QuestionKind::MFunction, record);
        second = w.AskQuestion(QuestionKind::MFunction, record);
        done = true;
    });
    QV_EXPECT_SOON_WITHIN(done.load(), 10000);
    worker.join();
    EXPECT_EQ(asked, 2);
    EXPECT_EQ(first, 0);
    EXPECT_EQ(second, 1);
    EXPECT_TRUE(hiddenWhileAsked);
    EXPECT_TRUE(mesbo->ShownMessages().empty());
    EXPECT_TRUE(w.isVisible());
}

// Runs the stuck-contact board once, then saves ("Сохранить", Ctrl+S) with
// "OK" in the save choice dialog, answering the reference question with
// `answer`.
class SaveAfterRun : public RunDesk
{
protected:
    void RunAndSave(int answer)
    {
        Start("[Board]\nTactTime=0\nStuckHigh=1\n");
        RunWith([&] { PressOkWhenShown(); });
        ASSERT_EQ(command->LastVerdict().kind, RunVerdict::Errors);
        const STest &test = *window->Document().Test(0);
        before = {test.OWords.Find(1)->Data, test.OWords.Find(3)->Data};
        // What a save of every cycle writes for them: the values read.
        const std::vector<std::string> saved = SavedWordData(test.OWords, &allCycles);
        for (const int id : {1, 3}) {
            for (int position = 0; position < test.OWords.Count(); ++position)
                if (test.OWords.At(position)->Id == id)
                    read.push_back(saved[static_cast<std::size_t>(position)]);
        }
        mesbo->Clear();
        mesbo->QueueAnswer(answer);
        ModalWatch<debug::TfmSaveChoice> choice(
            [](debug::TfmSaveChoice &w) { QTest::mouseClick(w.OkButton(), Qt::LeftButton); });
        ASSERT_EQ(window->Actions().saveFile->shortcut(), QKeySequence::fromString("Ctrl+S"));
        window->Actions().saveFile->trigger();
        ASSERT_TRUE(choice.Seen());
    }

    // The data of o1 and o3 of test 1 as the file on disk holds them.
    std::vector<std::string> OnDisk()
    {
        const std::string path = window->Document().Doc().FileName;
        EXPECT_TRUE(window->OpenFile(QString::fromStdString(path)));
        const STest &test = *window->Document().Test(0);
        return {test.OWords.Find(1)->Data, test.OWords.Find(3)->Data};
    }

    SSaveParam allCycles;
    std::vector<std::string> before;
    std::vector<std::string> read;
};

TEST_F(SaveAfterRun, AnsweredNoTheWordsReadWrongKeepTheirReferences)
{
    RunAndSave(MbNo);
    ASSERT_EQ(mesbo->ShownMessages().size(), 1u);
    const auto question = mesbo->ShownMessages()[0];
    EXPECT_EQ(question.flags, MbQuestionDefaultNo) << "\"Нет\" is the default";
    EXPECT_NE(question.text.find("2 выходных слова"), std::string::npos) << question.text;
    EXPECT_NE(question.text.find("тест 1: o1, o3"), std::string::npos) << question.text;
    ASSERT_NE(read, before) << "the stuck contact reads other values";
    const STest &test = *window->Document().Test(0);
    EXPECT_EQ(test.OWords.Find(1)->Data, before[0]);
    EXPECT_EQ(OnDisk(), before);
}

TEST_F(SaveAfterRun, AnsweredYesTheScreenShowsTheReferencesTheFileNowHolds)
{
    RunAndSave(MbYes);
    ASSERT_EQ(mesbo->ShownMessages().size(), 1u);
    const STest &test = *window->Document().Test(0);
    const std::vector<std::string> shown{test.OWords.Find(1)->Data, test.OWords.Find(3)->Data};
    EXPECT_EQ(shown, read) << "the document holds what was written";
    EXPECT_NE(shown, before);
    EXPECT_EQ(OnDisk(), shown);
    EXPECT_EQ(mesbo->ShownMessages().size(), 1u) << "nothing was left unsaved";
}

TEST_F(RunDesk, ASaveAfterAPassingRunAsksNothing)
{
    Start("[Board]\nTactTime=0\n");
    RunWith([&] { PressOkWhenShown(); });
    mesbo->Clear();
    ModalWatch<debug::TfmSaveChoice> choice(
        [](debug::TfmSaveChoice &w) { QTest::mouseClick(w.OkButton(), Qt::LeftButton); });
    window->Actions().saveFile->trigger();
    ASSERT_TRUE(choice.Seen());
    EXPECT_TRUE(Messages().empty());
}

TEST(RunWindow, TheActivityPictureMovesOnlyWhileSomethingHappens)
{
    ActivityAnimation picture;
    picture.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&picture));
    EXPECT_FALSE(picture.Animating());
    picture.SetMode(ActivityAnimation::Running);
    EXPECT_TRUE(picture.Animating());
    QV_EXPECT_SOON(picture.Phase() != 0);
    picture.SetMode(ActivityAnimation::Receiving);
    EXPECT_EQ(picture.CurrentMode(), ActivityAnimation::Receiving);
    picture.SetMode(7);
    EXPECT_EQ(picture.CurrentMode(), ActivityAnimation::Idle);
    EXPECT_FALSE(picture.Animating());
    // The two moving pictures differ from each other and from the still one.
    picture.resize(picture.sizeHint());
    const auto grab = [&](int mode) {
        picture.SetMode(mode);
        return picture.grab().toImage();
    };
    const QImage idle = grab(0);
    const QImage running = grab(1);
    const QImage receiving = grab(2);
    EXPECT_NE(idle, running);
    EXPECT_NE(running, receiving);
}

} // namespace
} // namespace qv::testing
