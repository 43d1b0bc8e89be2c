// The results database in the window program: "Пуск" records the run with
// the operator and the serial number typed (or scanned) into its prompt; an
// outage is told once while the runs go on; "Журнал прогонов" lists, filters,
// details, charts and exports the runs; the settings page "Результаты".

#include "results/recordbuilder.h"
#include "results/recorder.h"
#include "results/resultsdb.h"
#include "results/spool.h"
#include "results/uid.h"
#include "support/ui/qtwait.h"
#include "support/ui/simulateddesk.h"
#include "ui/results/journalmodel.h"
#include "ui/results/journalwindow.h"
#include "ui/results/resultscommands.h"
#include "ui/results/serialprompt.h"
#include "ui/run/runcommand.h"
#include "ui/run/runwindow.h"
#include "ui/settings/paramswindow.h"

#include <QAction>
#include <QApplication>
#include <QBarSeries>
#include <QBarSet>
#include <QChart>
#include <QChartView>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QTabWidget>
#include <QTableView>
#include <QTest>
#include <QTimer>
#include <chrono>
#include <fstream>
#include <gtest/gtest.h>

namespace qv::testing {
namespace {

using namespace std::chrono_literals;

class ResultsDesk : public SimulatedDeskTest
{
protected:
    ~ResultsDesk() override
    {
        results.reset();
        command.reset();
        window.reset();
        desk.reset();
    }

    std::string DbPath() const { return (dir.Path() / "results.sqlite").string(); }

    void Start(const std::string &board, const std::string &database, bool askSerial)
    {
        StartDesk(board, "[Общие]\r\nВыдавать сообщение об окончании выполнения теста=1\r\n"
                         "[Блок диагностики]\r\n"
                         "Выполнять периодический опрос готовности блока диагностики=0\r\n"
                         "[Результаты]\r\nОператор=Петров\r\nБаза результатов=" +
                             database + "\r\nСпрашивать заводской номер платы=" +
                             (askSerial ? "1" : "0") + "\r\n");
        ASSERT_TRUE(window);
        ASSERT_TRUE(window->OpenFile(Demo()));
        command = std::make_unique<run::RunCommand>(*window, *desk, dir.Path() / "quorvik.clb");
        command->SetWindowMade([this](run::TfmPusk &made) { runWindow = &made; });
        results = std::make_unique<results_ui::ResultsCommands>(*window, desk->Store(),
                                                                dir.Path() / "data");
        command->SetResults(results.get());
        mesbo->Clear();
    }

    // "Пуск", typing `serial` into the prompt (nullopt: Esc there) and
    // pressing "OK" in the run window.
    void RunTyping(std::optional<QString> serial)
    {
        okPressed = false;
        QTimer sampler;
        sampler.setInterval(5);
        QObject::connect(&sampler, &QTimer::timeout, [&] {
            auto *prompt =
                qobject_cast<results_ui::SerialPrompt *>(QApplication::activeModalWidget());
            if (prompt != nullptr && prompt->isVisible() && prompt->Field()->text().isEmpty()) {
                if (serial) {
                    // A scanner types the characters and ends with Enter.
                    QTest::keyClicks(prompt->Field(), *serial);
                    QTest::keyClick(prompt->Field(), Qt::Key_Return);
                } else {
                    QTest::keyClick(prompt->Field(), Qt::Key_Escape);
                }
            }
            if (runWindow && runWindow->isVisible() && !runWindow->OnWorkPage() && !okPressed) {
                okPressed = true;
                QTest::mouseClick(runWindow->OkButton(), Qt::LeftButton);
            }
        });
        sampler.start();
        window->StartRun();
        sampler.stop();
    }

    std::vector<results::RunRecord> Stored()
    {
        EXPECT_TRUE(results->Recorder()->WaitIdle(10s));
        results::DatabaseUrl url;
        url.file = DbPath();
        std::string problem;
        auto db = results::ResultsDatabase::Open(url, &problem);
        EXPECT_TRUE(db) << problem;
        std::vector<results::RunRecord> runs =
            db ? db->Runs({}, 100, 0, true) : std::vector<results::RunRecord>{};
        return runs;
    }

    std::unique_ptr<run::RunCommand> command;
    std::unique_ptr<results_ui::ResultsCommands> results;
    QPointer<run::TfmPusk> runWindow;
    bool okPressed = false;
};

TEST_F(ResultsDesk, ARunIsRecordedWithTheScannedSerialAndTheOperatorOfTheSettings)
{
    Start("[Board]\nTactTime=0\nStuckHigh=1\n", DbPath(), true);
    RunTyping(QStringLiteral("SN-4711"));
    EXPECT_TRUE(okPressed);
    EXPECT_EQ(command->LastVerdict().kind, RunVerdict::Errors);
    const auto runs = Stored();
    ASSERT_EQ(runs.size(), 1u);
    EXPECT_EQ(runs[0].serial, "SN-4711");
    EXPECT_EQ(runs[0].operatorName, "Петров");
    EXPECT_EQ(runs[0].verdict, "errors");
    EXPECT_EQ(runs[0].verdictText, "Тест завершен с ошибками");
    EXPECT_EQ(runs[0].FileName(), "DEMO.QOR");
    EXPECT_EQ(runs[0].fileSha256.size(), 64u);
    ASSERT_FALSE(runs[0].tests.empty());
    EXPECT_EQ(runs[0].tests[0].wrongWords.size(), 2u);

    // Esc in the prompt runs nothing and records nothing.
    RunTyping(std::nullopt);
    EXPECT_FALSE(okPressed);
    EXPECT_EQ(Stored().size(), 1u);
}

TEST_F(ResultsDesk, AnOutageIsToldOnceWhileTheRunsGoOnAndTheirRecordsWait)
{
    const auto blocked = dir.Path() / "blocked";
    std::ofstream(blocked) << "not a folder";
    Start("[Board]\nTactTime=0\n", (blocked / "results.sqlite").string(), false);
    RunTyping(std::nullopt);
    RunTyping(std::nullopt);
    EXPECT_EQ(command->LastVerdict().kind, RunVerdict::Passed);
    EXPECT_EQ(mesbo->ShownMessages().size(), 2u); // both end messages, nothing else modal
    ASSERT_TRUE(results->Recorder()->WaitIdle(10s));
    QCoreApplication::processEvents();
    const auto notices = window->findChildren<QMessageBox *>(QStringLiteral("mbResultsOutage"));
    ASSERT_EQ(notices.size(), 1);
    EXPECT_TRUE(notices[0]->text().startsWith("База результатов недоступна"));
    EXPECT_FALSE(notices[0]->isModal());
    EXPECT_EQ(results->Recorder()->Spooled(), 2u);
}

class Journal : public ResultsDesk
{
protected:
    void Fill()
    {
        results::DatabaseUrl url;
        url.file = DbPath();
        std::string problem;
        auto db = results::ResultsDatabase::Open(url, &problem);
        ASSERT_TRUE(db) << problem;
        const auto record = [](const std::string &serial, const std::string &verdict,
                               const std::string &day) {
            results::RunRecord run;
            run.uid = results::NewUid();
            run.session = run.uid;
            run.started = day + "T08:00:00.000Z";
            run.ended = day + "T08:00:01.000Z";
            run.host = "bench-1";
            run.operatorName = "Петров";
            run.serial = serial;
            run.filePath = "/boards/DEMO.QOR";
            run.verdict = verdict;
            results::TestResult test;
            test.number = 1;
            test.name = "Шина данных";
            test.verdict = verdict == "passed" ? "passed" : "errors";
            if (verdict != "passed") {
                test.errors = 1;
                test.wrongWords.push_back({1, "Чтение данных", 2, 170, 171});
                test.contacts.push_back({17, "D0", 1, 0});
            }
            run.tests.push_back(test);
            return run;
        };
        for (int i = 0; i < 450; ++i)
            ASSERT_TRUE(db->Write(record(std::string("P").append(std::to_string(i)),
                                         i % 3 ? "passed" : "errors",
                                         i < 300 ? "2026-12-01" : "2026-12-02"),
                                  &problem))
                << problem;
        ASSERT_TRUE(db->Write(record("4711", "errors", "2026-12-03"), &problem));
        ASSERT_TRUE(db->Write(record("4711", "passed", "2026-12-04"), &problem));
    }
};

TEST_F(Journal, TheJournalListsFiltersDetailsChartsAndExportsTheRuns)
{
    Start("[Board]\nTactTime=0\n", DbPath(), false);
    Fill();
    QAction *action = window->findChild<QAction *>(QStringLiteral("acJournal"));
    ASSERT_TRUE(action);
    EXPECT_EQ(action->text(), "Журнал прогонов…");
    auto *file = window->findChild<QMenu *>(QStringLiteral("mnFile"));
    ASSERT_TRUE(file);
    EXPECT_TRUE(file->actions().contains(action));
    action->trigger();
    auto *journal = window->findChild<results_ui::JournalWindow *>();
    ASSERT_TRUE(journal);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(journal));
    EXPECT_EQ(journal->windowTitle(), "Журнал прогонов");
    EXPECT_TRUE(journal->Connected());
    EXPECT_EQ(journal->CountLabel()->text(), "Прогонов: 452");
    // One page, not the whole history.
    EXPECT_EQ(journal->Model()->rowCount(), results_ui::JournalModel::kPageSize);
    journal->Table()->scrollToBottom();
    QV_EXPECT_SOON(journal->Model()->rowCount() > results_ui::JournalModel::kPageSize);

    // The serial number filter, typed and confirmed with Enter.
    auto *serial = journal->findChild<QLineEdit *>(QStringLiteral("edSerialFilter"));
    QTest::keyClicks(serial, "4711");
    QTest::keyClick(serial, Qt::Key_Return);
    EXPECT_EQ(journal->CountLabel()->text(), "Прогонов: 2");
    ASSERT_EQ(journal->Model()->rowCount(), 2);
    journal->Table()->selectRow(1); // the older run, with errors
    const QString details = journal->Details()->toPlainText();
    EXPECT_TRUE(details.contains("o1 (Чтение данных), цикл 2: эталон 170, прочитано 171"))
        << details.toStdString();
    EXPECT_TRUE(details.contains("контакт 17 (D0)")) << details.toStdString();

    // The board's runs over time.
    journal->Pages()->setCurrentIndex(3);
    ASSERT_TRUE(journal->SerialView()->chart());
    EXPECT_TRUE(journal->SerialView()->chart()->title().contains("4711"));
    EXPECT_EQ(journal->SerialView()->chart()->series().size(), 3);

    // Yield per day over every run.
    serial->clear();
    QTest::keyClick(serial, Qt::Key_Return);
    journal->Pages()->setCurrentIndex(1);
    auto bars = journal->YieldView()->chart()->series();
    ASSERT_EQ(bars.size(), 1);
    auto *barSeries = qobject_cast<QBarSeries *>(bars[0]);
    ASSERT_TRUE(barSeries);
    QBarSet *set = barSeries->barSets().at(0);
    // The fourth day holds only board 4711's retest: no first run, no bar.
    ASSERT_EQ(set->count(), 3);
    EXPECT_NEAR(set->at(0), 200.0 / 3, 0.01);
    EXPECT_NEAR(set->at(1), 100.0 / 1.5, 0.01);
    EXPECT_DOUBLE_EQ(set->at(2), 0.0); // board 4711 failed its first run
    // The README's picture of the chart, when asked for.
    if (const QString shots = qEnvironmentVariable("QV_SCREENSHOT_DIR"); !shots.isEmpty()) {
        journal->resize(1000, 620);
        QCoreApplication::processEvents();
        EXPECT_TRUE(journal->grab().save(shots + "/journal-yield.png"));
    }
    // The most frequent failing word leads the Pareto chart.
    journal->Pages()->setCurrentIndex(2);
    auto pareto = journal->ParetoView()->chart()->series();
    ASSERT_EQ(pareto.size(), 2);
    auto *paretoBars = qobject_cast<QBarSeries *>(pareto[0]);
    ASSERT_TRUE(paretoBars);
    EXPECT_DOUBLE_EQ(paretoBars->barSets().at(0)->at(0), 151.0);

    // CSV of every chosen run, not only the loaded page.
    const QString csv = QString::fromStdString((dir.Path() / "journal.csv").string());
    journal->SetPathChooser([csv] { return csv; });
    journal->findChild<QPushButton *>(QStringLiteral("btExport"))->click();
    std::ifstream in(csv.toStdString());
    int lines = 0;
    for (std::string line; std::getline(in, line);)
        ++lines;
    EXPECT_EQ(lines, 453);

    // Esc closes the journal.
    QTest::keyClick(journal, Qt::Key_Escape);
    EXPECT_FALSE(journal->isVisible());
}

TEST_F(Journal, TheDetailsOfARunOnAFaultyBoardTellItsDiagnosis)
{
    Start("[Board]\nTactTime=0\nStuckHigh=1\n", DbPath(), false);
    RunTyping(std::nullopt);
    EXPECT_EQ(command->LastVerdict().kind, RunVerdict::Errors);
    const auto runs = Stored();
    ASSERT_EQ(runs.size(), 1u);
    ASSERT_FALSE(runs[0].tests.empty());
    EXPECT_EQ(runs[0].tests[0].unexplained, 0);

    window->findChild<QAction *>(QStringLiteral("acJournal"))->trigger();
    auto *journal = window->findChild<results_ui::JournalWindow *>();
    ASSERT_TRUE(journal);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(journal));
    ASSERT_EQ(journal->Model()->rowCount(), 1);
    journal->Table()->selectRow(0);
    const QString details = journal->Details()->toPlainText();
    EXPECT_TRUE(details.contains("  Диагноз: контакт 1 «D0» — постоянно 1, объясняет 2 ошибки\n"
                                 "    неотличимо от: контакты 1 «D0» и "))
        << details.toStdString();
    EXPECT_FALSE(details.contains("\"kind\"")) << details.toStdString();
    QTest::keyClick(journal, Qt::Key_Escape);
}

TEST_F(Journal, TheResultsPageRefusesAPasswordAndKeepsWhatIsTyped)
{
    Start("[Board]\nTactTime=0\n", DbPath(), false);
    settings::TfmParams params(TSettings(), TesterSettings(), false, false,
                               settings::TfmParams::PageResults);
    params.show();
    EXPECT_EQ(params.Pages()->tabText(settings::TfmParams::PageResults), "Результаты");
    params.ResultsDatabaseField()->setText("postgresql://bench:secret@db/results");
    params.findChild<QPushButton *>(QStringLiteral("btOk"))->click();
    EXPECT_TRUE(params.isVisible());
    ASSERT_EQ(mesbo->ShownMessages().size(), 1u);
    EXPECT_NE(mesbo->ShownMessages()[0].text.find("пароль"), std::string::npos);

    params.ResultsDatabaseField()->setText("postgresql://bench@db.plant:5432/results");
    params.OperatorField()->setText("  Сидоров ");
    params.AskSerialBox()->setChecked(true);
    params.findChild<QPushButton *>(QStringLiteral("btOk"))->click();
    EXPECT_FALSE(params.isVisible());
    EXPECT_EQ(params.Settings().ResultsDatabase, "postgresql://bench@db.plant:5432/results");
    EXPECT_EQ(params.Settings().Operator, "Сидоров");
    EXPECT_TRUE(params.Settings().AskSerial);
}

} // namespace
} // namespace qv::testing
