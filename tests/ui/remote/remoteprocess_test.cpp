// The program on both ends of the link: two quorvik processes on loopback,
// and a remote run end to end, the server here and the bench a quorvik
// process with its simulated unit.

#include "model/diagnosis/diagnosistext.h"
#include "model/document/quorvik.h"
#include "remote/client.h"
#include "remote/remotewire.h"
#include "remote/server.h"
#include "results/recorder.h"
#include "results/resultsdb.h"
#include "support/common/splittingproxy.h"
#include "support/ui/absentunit.h"
#include "support/ui/modalwatch.h"
#include "support/ui/quorvikprocess.h"
#include "support/ui/simulateddesk.h"
#include "ui/desk/infopanel.h"
#include "ui/desk/runbar.h"
#include "ui/diagnosis/diagnosiswindow.h"
#include "ui/remote/remotecontrol.h"
#include "ui/results/resultscommands.h"
#include "ui/run/runcommand.h"
#include "ui/run/runwindow.h"

#include <QElapsedTimer>
#include <QLabel>
#include <QPointer>
#include <QProcess>
#include <QPushButton>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <QTreeWidget>
#include <set>

namespace qv::testing {
namespace {

namespace fs = std::filesystem;
using run::TfmPusk;

// The settings of a bench that works unattended: no status poll, no
// end-of-run message box, and no question before a run overwrites a data
// file (nobody is at the bench to answer it).
const std::string kQuiet = "[Общие]\r\nВыдавать сообщение об окончании выполнения теста=0\r\n"
                           "Спрашивать о перезаписи существующего файла данных F/S-функции=0\r\n"
                           "[Блок диагностики]\r\n"
                           "Выполнять периодический опрос готовности блока диагностики=0\r\n";

quint16 FreePort()
{
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost, 0);
    return probe.serverPort();
}

// What a fresh connection to the server hears within a second (nothing
// while no client is logged in); empty also while nobody listens yet.
QByteArray ThirdConnectionHears(quint16 port)
{
    QTcpSocket socket;
    QByteArray heard;
    QObject::connect(&socket, &QTcpSocket::readyRead, [&] { heard += socket.readAll(); });
    socket.connectToHost(QStringLiteral("127.0.0.1"), port);
    if (!QTest::qWaitFor([&] { return !heard.isEmpty(); }, 1000))
        return {};
    return heard;
}

TEST(RemoteProcesses, TwoProgramsOnLoopbackLogInAndTheServerRefusesAThirdConnection)
{
    const QString address = QStringLiteral("127.0.0.1:%1").arg(FreePort());
    QuorvikProcess server({QStringLiteral("--remote-server"), QStringLiteral("--listen"), address},
                          kQuiet);
    // A client that finds nobody listening gives up: it starts once the
    // server listens (a loaded machine starts the server slowly).
    const quint16 port = static_cast<quint16>(address.section(u':', 1).toUInt());
    ASSERT_TRUE(QTest::qWaitFor(
        [&] {
            QTcpSocket socket;
            socket.connectToHost(QStringLiteral("127.0.0.1"), port);
            return socket.waitForConnected(200);
        },
        30000))
        << "the server did not listen";
    QuorvikProcess client({QStringLiteral("--remote-client"), QStringLiteral("--connect"), address},
                          kQuiet);
    ASSERT_TRUE(server.Running());
    ASSERT_TRUE(client.Running());
    // Only once a client has logged in does the server refuse another one.
    QByteArray heard;
    QElapsedTimer waited;
    waited.start();
    while (heard.isEmpty() && waited.elapsed() < 60000)
        heard = ThirdConnectionHears(port);
    EXPECT_EQ(FromWire(heard), QStringLiteral("ERROR К серверу уже подключен клиент"));
}

// The operator's station: the desk with the server role, and the bench as
// a quorvik process that connects to it.
class RemoteRunTest : public SimulatedDeskTest
{
protected:
    ~RemoteRunTest() override
    {
        bench.reset();
        remote.reset();
        results.reset();
        command.reset();
        window.reset();
        desk.reset();
    }

    // noUnit: a station with no diagnostics unit at all; more: settings
    // besides the quiet ones.
    void StartStation(bool noUnit = false, const std::string &more = {})
    {
        if (noUnit)
            StartDesk("[Board]\nTactTime=0\n", kQuiet + more,
                      [](auto) { return std::make_unique<AbsentUnitLink>(); });
        else
            StartDesk("[Board]\nTactTime=0\n", kQuiet + more);
        ASSERT_TRUE(window);
        command = std::make_unique<run::RunCommand>(*window, *desk, dir.Path() / "quorvik.clb");
        command->SetWindowMade([this](TfmPusk &made) { runWindow = &made; });
        remote = std::make_unique<RemoteControl>(*window, desk->Store(),
                                                 QString::fromStdString(dir.File("remote")));
        remote->ServeRuns(*command);
        remote->Start(RemoteDesk::Role::Server, QStringLiteral("127.0.0.1:0"), true);
        ASSERT_NE(remote->Server(), nullptr);
        ASSERT_NE(remote->Server()->ListeningPort(), 0);
    }

    // The bench's simulated unit has the board `boardText`.
    void StartBench(const std::string &boardText = "[Board]\nTactTime=0\n")
    {
        const std::string board = dir.File("bench-board.ini");
        WriteBytes(board, boardText);
        const QString address =
            QStringLiteral("127.0.0.1:%1").arg(remote->Server()->ListeningPort());
        bench = std::make_unique<QuorvikProcess>(
            QStringList{QStringLiteral("--remote-client"), QStringLiteral("--connect"), address},
            kQuiet + "Адрес блока диагностики=sim:" + board + "\r\n");
    }

    // Presses "Пуск" here and "OK" on the run window; Esc `escapeAfterMs`
    // after "OK" (0: never). Returns the statuses shown.
    std::set<QString> Run(int escapeAfterMs = 0)
    {
        std::set<QString> statuses;
        bool okPressed = false;
        bool escaped = false;
        QElapsedTimer sinceOk;
        QTimer sampler;
        sampler.setInterval(5);
        QObject::connect(&sampler, &QTimer::timeout, [&] {
            if (!runWindow || !runWindow->isVisible())
                return;
            if (!runWindow->OnWorkPage() && !okPressed) {
                okPressed = true;
                QTest::mouseClick(runWindow->OkButton(), Qt::LeftButton);
                sinceOk.start();
            }
            statuses.insert(runWindow->StatusLabel()->text());
            if (escapeAfterMs > 0 && !escaped && sinceOk.isValid() &&
                sinceOk.elapsed() >= escapeAfterMs) {
                escaped = true;
                QTest::keyClick(runWindow.data(), Qt::Key_Escape);
            }
        });
        sampler.start();
        QTimer watchdog;
        watchdog.setSingleShot(true);
        QObject::connect(&watchdog, &QTimer::timeout, [&] {
            ADD_FAILURE() << "the remote run did not end";
            // Esc, as the operator would: the run ends within the stop wait.
            if (runWindow)
                QTest::keyClick(runWindow.data(), Qt::Key_Escape);
        });
        watchdog.start(60000);
        QTest::mouseClick(window->RunBar()->Pusk(), Qt::LeftButton);
        watchdog.stop();
        sampler.stop();
        EXPECT_TRUE(okPressed);
        return statuses;
    }

    std::unique_ptr<run::RunCommand> command;
    std::unique_ptr<results_ui::ResultsCommands> results;
    std::unique_ptr<RemoteControl> remote;
    std::unique_ptr<QuorvikProcess> bench;
    QPointer<TfmPusk> runWindow;
};

TEST_F(RemoteRunTest, TheServersClickOnPuskRunsTheTestOnTheBenchAndShowsItsReportsAndVerdict)
{
    StartStation();
    StartBench();
    TServer &server = *remote->Server();
    ASSERT_TRUE(QTest::qWaitFor([&] { return server.LoggedIn(); }, 30000))
        << "the bench did not log in";

    // The board opened here goes to the bench and is opened there.
    ASSERT_TRUE(window->OpenFile(Demo()));
    EXPECT_TRUE(
        server.InfoLog().Contains(QStringLiteral("Отправка файла \"DEMO.QOR\" (") +
                                  QString::number(fs::file_size(dir.Path() / "demo" / "DEMO.QOR")) +
                                  QStringLiteral(")... выполнена")));
    EXPECT_TRUE(
        server.InfoLog().Contains(QStringLiteral("Отправка файла \"DEMO.CNT\" (") +
                                  QString::number(fs::file_size(dir.Path() / "demo" / "DEMO.CNT")) +
                                  QStringLiteral(")... выполнена")));
    EXPECT_FALSE(server.ConnectionLog().Contains(
        QStringLiteral("Ошибка открытия файла \"DEMO.QOR\" у клиента")));
    mesbo->Clear();

    // The operator presses "Пуск" and, on the run window, "OK"; both
    // presses are repeated on the bench.
    std::set<QString> statuses;
    bool okPressed = false;
    QTimer sampler;
    sampler.setInterval(5);
    QObject::connect(&sampler, &QTimer::timeout, [&] {
        if (!runWindow || !runWindow->isVisible())
            return;
        if (!runWindow->OnWorkPage() && !okPressed) {
            okPressed = true;
            QTest::mouseClick(runWindow->OkButton(), Qt::LeftButton);
        }
        statuses.insert(runWindow->StatusLabel()->text());
    });
    sampler.start();
    QTimer watchdog;
    watchdog.setSingleShot(true);
    QObject::connect(&watchdog, &QTimer::timeout, [&] {
        ADD_FAILURE() << "the remote run did not end";
        if (runWindow)
            runWindow->CloseWindow();
    });
    watchdog.start(60000);
    QTest::mouseClick(window->RunBar()->Pusk(), Qt::LeftButton);
    watchdog.stop();
    sampler.stop();

    EXPECT_TRUE(okPressed);
    EXPECT_TRUE(statuses.contains(QStringLiteral("обработка результатов")));
    EXPECT_TRUE(server.InfoLog().Contains(QStringLiteral("Результаты теста обработаны")));
    EXPECT_EQ(command->LastVerdict().kind, RunVerdict::Passed);
    ASSERT_FALSE(mesbo->ShownMessages().empty());
    EXPECT_EQ(mesbo->ShownMessages().back().text, "Тест завершен успешно");
    EXPECT_EQ(window->InfoPanel()->ResultOfTab(0), desk::InfoPanel::TabResult::Passed);
}

// A file that does not reach the bench whole is not opened there: the bench
// keeps what it had, and the operator here is told.
TEST_F(RemoteRunTest, AFailedTransferOpensNothingOnTheBench)
{
    StartStation();
    TServer &server = *remote->Server();
    // The bench: the link classes of the program, behind a network that
    // delivers the rest of every longer write too late.
    SplittingProxy proxy(server.ListeningPort(), 500, std::chrono::milliseconds(1500));
    const QString benchDir = QString::fromStdString(dir.File("bench-remote"));
    QDir().mkpath(benchDir);
    WriteBytes(dir.File("bench-remote/DEMO.QOR"), "older");
    TClient bench(benchDir, {QStringLiteral("Стенд"),
                             QStringLiteral("0123456789abcdef0123456789abcdef0123")});
    int opened = 0;
    QObject::connect(&bench, &TClient::OpenRequested, [&] { ++opened; });
    bench.Connect(QStringLiteral("127.0.0.1"), proxy.Port());
    ASSERT_TRUE(QTest::qWaitFor([&] { return server.LoggedIn() && bench.LoggedIn(); }, 10000));

    ASSERT_TRUE(window->OpenFile(Demo()));
    QTest::qWait(300); // anything still under way arrives
    EXPECT_EQ(opened, 0);
    EXPECT_FALSE(bench.InfoLog().Contains(QStringLiteral("Открытие файла \"DEMO.QOR\"")));
    QFile kept(QString::fromStdString(dir.File("bench-remote/DEMO.QOR")));
    ASSERT_TRUE(kept.open(QIODevice::ReadOnly));
    EXPECT_EQ(kept.readAll(), QByteArray("older"));
    const auto shown = mesbo->ShownMessages();
    ASSERT_FALSE(shown.empty());
    EXPECT_NE(shown.back().text.find("на стенде не открыт"), std::string::npos)
        << shown.back().text;
}

// The station has no unit: the bench performs every test of the demo board,
// those with data files too (they travel with the test file), and the
// station follows each run to the bench's verdict; a continuous run that
// the station stops stops the bench as well.
TEST_F(RemoteRunTest, AStationWithoutAUnitFollowsEveryTestOfTheDemoBoard)
{
    StartStation(true);
    StartBench();
    TServer &server = *remote->Server();
    ASSERT_TRUE(QTest::qWaitFor([&] { return server.LoggedIn(); }, 30000))
        << "the bench did not log in";
    ASSERT_TRUE(window->OpenFile(Demo()));
    bool dataSent = false;
    for (const RemoteLogLine &line : server.InfoLog().Lines())
        dataSent = dataSent || (line.text.startsWith(QStringLiteral("Отправка файла \"ram_load")) &&
                                line.text.endsWith(QStringLiteral(" выполнена")));
    EXPECT_TRUE(dataSent);
    const TQuorvik &doc = window->Document();
    for (int test = 0; test <= doc.Doc().NTest; ++test) {
        const bool all = test == doc.Doc().NTest;
        SCOPED_TRACE(all ? std::string("все") : "тест " + std::to_string(test + 1));
        mesbo->Clear();
        // Pressed as the operator would: the press is repeated on the bench.
        QTest::mouseClick(window->InfoPanel()->Tab(all ? desk::InfoPanel::kAllTab : test),
                          Qt::LeftButton);
        Run();
        // A station that used its own (absent) unit for anything would fail.
        EXPECT_EQ(command->LastVerdict().kind, RunVerdict::Passed);
        for (const auto &shown : mesbo->ShownMessages())
            EXPECT_EQ(shown.text.find("Нет связи с блоком диагностики"), std::string::npos)
                << shown.text;
    }

    // Continuously, stopped here with Esc: both sides stop.
    QTest::mouseClick(window->InfoPanel()->Tab(0), Qt::LeftButton);
    QTest::mouseClick(window->RunBar()->Solid(), Qt::LeftButton);
    mesbo->Clear();
    // Esc once the bench has had the time to get its run going.
    const auto statuses = Run(3000);
    EXPECT_EQ(command->LastVerdict().kind, RunVerdict::Interrupted);
    EXPECT_TRUE(statuses.contains(QString::fromUtf8(
        kRunStoppedStatus.data(), static_cast<qsizetype>(kRunStoppedStatus.size()))));
}

// The diagnosis lines of the bench's own run of test `test` of the demo
// board: qortool runs it on a simulated unit with the bench's board file,
// as the bench program does.
std::vector<std::string> BenchDiagnosis(const std::string &demoDir, const std::string &board,
                                        int test)
{
    QProcess qortool;
    qortool.setWorkingDirectory(QString::fromStdString(demoDir));
    qortool.start(QStringLiteral(QV_QORTOOL_PATH),
                  {QStringLiteral("run"), QStringLiteral("DEMO.QOR"), QStringLiteral("--test"),
                   QString::number(test), QStringLiteral("--board"),
                   QString::fromStdString(board)});
    EXPECT_TRUE(qortool.waitForFinished(60000));
    std::vector<std::string> lines;
    for (const QByteArray &line : qortool.readAllStandardOutput().split('\n')) {
        if (line.startsWith("Диагноз") || line.startsWith("  неотличимо"))
            lines.push_back(line.toStdString());
    }
    return lines;
}

// The station follows a run on a faulty board: it diagnoses the bench's
// reads as the bench does, and shows that in its "Диагноз" window.
TEST_F(RemoteRunTest, TheStationShowsTheDiagnosisTheBenchMakesOfItsBoard)
{
    StartStation(true);
    StartBench("[Board]\nTactTime=0\nStuckHigh=1\nBridgedOr=5-6\n");
    TServer &server = *remote->Server();
    ASSERT_TRUE(QTest::qWaitFor([&] { return server.LoggedIn(); }, 30000))
        << "the bench did not log in";
    ASSERT_TRUE(window->OpenFile(Demo()));
    QTest::mouseClick(window->InfoPanel()->Tab(0), Qt::LeftButton);
    mesbo->Clear();
    Run();
    ASSERT_EQ(command->LastVerdict().kind, RunVerdict::Errors);

    const std::vector<std::string> bench =
        BenchDiagnosis(dir.File("demo"), dir.File("bench-board.ini"), 1);
    ASSERT_GE(bench.size(), 2u) << "two faults, two hypotheses";
    const TQuorvik &doc = window->Document();
    EXPECT_EQ(diagnosis::DiagnosisLines(command->LastVerdict().diagnosis, doc.Cnt().Names), bench);

    // A click on "Найдено ошибок" shows it, one row per hypothesis with
    // the contacts of its line.
    std::vector<std::string> faults;
    for (const std::string &line : bench) {
        if (line.starts_with("Диагноз: контакт"))
            faults.push_back(line);
    }
    std::vector<std::string> rows;
    ModalWatch<diagnosis::DiagnosisWindow> watch([&](diagnosis::DiagnosisWindow &w) {
        for (int i = 0; i < w.Hypotheses()->topLevelItemCount(); ++i)
            rows.push_back(w.Hypotheses()
                               ->topLevelItem(i)
                               ->text(diagnosis::DiagnosisWindow::ColContacts)
                               .toStdString());
        QTest::keyClick(&w, Qt::Key_Escape);
    });
    QTest::mouseClick(window->InfoPanel()->Label("lbErrors"), Qt::LeftButton);
    ASSERT_TRUE(watch.Seen());
    ASSERT_EQ(rows.size(), faults.size());
    for (std::size_t i = 0; i < rows.size(); ++i) {
        // "5 «D4», 6 «D5»" in the window is "контакты 5 «D4» и 6 «D5»" there.
        for (const QString &contact : QString::fromStdString(rows[i]).split(QStringLiteral(", ")))
            EXPECT_NE(faults[i].find(contact.toStdString() + " "), std::string::npos)
                << rows[i] << " / " << faults[i];
    }
}

// The station records the run it follows, as its own runs: with the
// bench's reads, in the database of the station's settings.
TEST_F(RemoteRunTest, TheStationRecordsTheRunItFollowsWithTheBenchsWrongWords)
{
    const std::string database = dir.File("station.sqlite");
    StartStation(true, "[Результаты]\r\nОператор=Петров\r\nБаза результатов=" + database + "\r\n");
    results = std::make_unique<results_ui::ResultsCommands>(*window, desk->Store(),
                                                            dir.Path() / "station-data");
    command->SetResults(results.get());
    StartBench("[Board]\nTactTime=0\nStuckHigh=1\n");
    TServer &server = *remote->Server();
    ASSERT_TRUE(QTest::qWaitFor([&] { return server.LoggedIn(); }, 30000))
        << "the bench did not log in";
    ASSERT_TRUE(window->OpenFile(Demo()));
    QTest::mouseClick(window->InfoPanel()->Tab(0), Qt::LeftButton);
    Run();
    ASSERT_EQ(command->LastVerdict().kind, RunVerdict::Errors);
    ASSERT_NE(results->Recorder(), nullptr);
    ASSERT_TRUE(results->Recorder()->WaitIdle(std::chrono::seconds(10)));

    results::DatabaseUrl url;
    url.file = database;
    std::string problem;
    auto db = results::ResultsDatabase::Open(url, &problem);
    ASSERT_TRUE(db) << problem;
    const auto runs = db->Runs({}, 10, 0, true);
    ASSERT_EQ(runs.size(), 1u);
    const results::RunRecord &run = runs[0];
    EXPECT_EQ(run.verdict, "errors");
    EXPECT_EQ(run.operatorName, "Петров");
    EXPECT_EQ(run.FileName(), "DEMO.QOR");
    ASSERT_FALSE(run.tests.empty());
    const results::TestResult &test = run.tests[0];
    EXPECT_EQ(test.verdict, "errors");
    EXPECT_EQ(test.errors, window->Document().ErrorCounts()[0]);
    ASSERT_FALSE(test.wrongWords.empty());
    ASSERT_FALSE(test.contacts.empty());
    EXPECT_EQ(test.contacts[0].contact, 1); // the bench's stuck contact
    EXPECT_NE(test.diagnosis.find("stuck-high"), std::string::npos) << test.diagnosis;
}

} // namespace
} // namespace qv::testing
