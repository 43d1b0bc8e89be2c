// The main window's external tools driven from its commands: the test
// editor round trip through quorvik-edit and the self-diagnostics hand-over
// through quorvik-selftest, against the simulated unit.

#include "execution/desk/desksession.h"
#include "execution/editor/editorlink.h"
#include "execution/port/comport.h"
#include "execution/port/hardstatus.h"
#include "execution/port/testerport.h"
#include "infra/helpers.h"
#include "infra/notice.h"
#include "model/document/quorvik.h"
#include "model/test/stest.h"
#include "support/qt/unitsimprocess.h"
#include "support/ui/deskfixture.h"
#include "support/ui/qtwait.h"
#include "ui/desk/infopanel.h"
#include "ui/help/helpwindow.h"
#include "ui/services/editorlaunch.h"
#include "ui/services/helperprograms.h"
#include "ui/services/selftestlaunch.h"

#include <QAction>
#include <QApplication>
#include <QFileInfo>
#include <QFontMetrics>
#include <QLabel>
#include <QLocalSocket>
#include <QTest>
#include <QTimer>
#include <filesystem>
#include <memory>

namespace qv::testing {
namespace {

QString BinDir()
{
    return qEnvironmentVariable("QORVIK_BINARY_DIR") + QStringLiteral("/bin");
}

// Sets an environment variable for the life of the object.
class ScopedEnv
{
public:
    ScopedEnv(const char *name, const QByteArray &value)
        : m_name(name)
        , m_had(qEnvironmentVariableIsSet(name))
        , m_old(qgetenv(name))
    {
        qputenv(name, value);
    }
    ~ScopedEnv()
    {
        if (m_had)
            qputenv(m_name, m_old);
        else
            qunsetenv(m_name);
    }

private:
    const char *m_name;
    bool m_had;
    QByteArray m_old;
};

class ExternalTools : public DeskFixture
{
protected:
    ExternalTools() { services::SetHelperProgramDirectory(BinDir()); }
    ~ExternalTools() override { services::SetHelperProgramDirectory({}); }

    // An executable shell script in the temporary folder.
    std::string Script(const std::string &name, const std::string &body)
    {
        const std::string path = dir.File(name);
        std::filesystem::create_directories(std::filesystem::path(path).parent_path());
        WriteBytes(path, "#!/bin/sh\n" + body + "\n");
        std::filesystem::permissions(path, std::filesystem::perms::owner_all);
        return path;
    }
};

TEST_F(ExternalTools, TheEditorRoundTripReopensTheFileOnTheEditorsTestWithTheChange)
{
    TBaseForm &form = WindowWithDemo();
    form.SelectTest(1);
    const std::string edited = "Память после правки";
    const ScopedEnv visual(
        "VISUAL", QByteArray::fromStdString(
                      Script("editor", "sed -i 's/^NAME=Память$/NAME=" + edited + "/' \"$1\"")));
    form.Actions().editQor->trigger();

    EXPECT_TRUE(Messages().empty()) << (Messages().empty() ? "" : Messages().front());
    EXPECT_TRUE(form.isVisible()) << "the main window shows again";
    ASSERT_EQ(form.Document().CurrentTest(), 1) << "the test selected in the editor";
    EXPECT_EQ(form.Document().CurrentTestRecord()->Name, edited);
    EXPECT_EQ(form.InfoPanel()->Label("lbTestName")->text().toStdString(), edited);
    EXPECT_EQ(form.InfoPanel()->PressedTab(), 1);
}

TEST_F(ExternalTools, AnEditThatDoesNotLoadKeepsTheOldFileByteForByte)
{
    TBaseForm &form = WindowWithDemo();
    const std::string path = form.Document().Doc().FileName;
    const std::string before = ReadBytes(path);
    const ScopedEnv batch("QUORVIK_EDIT_BATCH", "1");
    const ScopedEnv visual("VISUAL", QByteArray::fromStdString(Script(
                                         "editor", "sed -i 's/^BUS 1 2 3/BUS 1 2 X/' \"$1\"")));
    form.Actions().editQor->trigger();
    EXPECT_EQ(ReadBytes(path), before);
    EXPECT_TRUE(form.isVisible());
    EXPECT_EQ(form.Document().Doc().NTest, 3) << "the file stays open";
}

TEST_F(ExternalTools, AnEditThatLoadsWithWarningsOrLosesTestsReplacesTheFileOnlyWhenAccepted)
{
    TBaseForm &form = WindowWithDemo();
    const std::string path = form.Document().Doc().FileName;
    const std::string before = ReadBytes(path);
    const ScopedEnv batch("QUORVIK_EDIT_BATCH", "1");
    {
        // The count no longer reads: the text would load as no test at all.
        const ScopedEnv visual("VISUAL", QByteArray::fromStdString(Script(
                                             "editor", "sed -i 's/^NTEST=3$/NTEST=zz/' \"$1\"")));
        form.Actions().editQor->trigger();
        EXPECT_EQ(ReadBytes(path), before);
        EXPECT_EQ(form.Document().Doc().NTest, 3);
    }
    const ScopedEnv visual("VISUAL", QByteArray::fromStdString(Script(
                                         "editor", "sed -i '0,/^CYCLE=.*/s//CYCLE=abc/' \"$1\"")));
    form.Actions().editQor->trigger();
    EXPECT_EQ(ReadBytes(path), before) << "a cycle count that does not read is a warning";
    EXPECT_FALSE(std::filesystem::exists(BakFilePath(path)));

    // Accepted, the text replaces the file and the old one is kept (the
    // backup setting is on by default).
    const ScopedEnv accept("QUORVIK_EDIT_ACCEPT_WARNINGS", "1");
    form.Actions().editQor->trigger();
    EXPECT_NE(ReadBytes(path), before);
    EXPECT_EQ(ReadBytes(BakFilePath(path).string()), before);
}

TEST_F(ExternalTools, EscInTheEditorLauncherWaitsForTheEditorAndTheEditComesBack)
{
    TBaseForm &form = WindowWithDemo();
    const std::string go = dir.File("go");
    const ScopedEnv visual(
        "VISUAL", QByteArray::fromStdString(
                      Script("editor", "while [ ! -e '" + go +
                                           "' ]; do sleep 0.05; done\n"
                                           "sed -i 's/^NAME=Память$/NAME=После Esc/' \"$1\"")));
    bool stayed = false;
    QTimer poll;
    poll.setInterval(20);
    QObject::connect(&poll, &QTimer::timeout, [&] {
        auto *launch = qobject_cast<services::TfmEditorLaunch *>(QApplication::activeModalWidget());
        if (launch == nullptr || std::filesystem::exists(go))
            return;
        QTest::keyClick(launch, Qt::Key_Escape);
        stayed = launch->isVisible();
        WriteBytes(go, "");
    });
    poll.start();
    form.Actions().editQor->trigger();
    poll.stop();
    EXPECT_TRUE(stayed) << "Esc does not close the launcher while the editor runs";
    EXPECT_EQ(form.Document().Test(1)->Name, "После Esc");
}

TEST_F(ExternalTools, AnEditorThatCannotStartIsReportedAndTheWindowComesBack)
{
    TBaseForm &form = WindowWithDemo();
    services::SetHelperProgramDirectory(QString::fromStdString(dir.File("nowhere")));
    form.Actions().editQor->trigger();
    EXPECT_EQ(Messages(), std::vector<std::string>{"Не удалось запустить редактор"});
    EXPECT_TRUE(form.isVisible());
    EXPECT_EQ(form.Document().CurrentTest(), 0);
}

// The window's side of the editor's link, with the test as the editor: a
// script keeps a process alive while the test talks on the socket.
TEST_F(ExternalTools, TheEditorWindowAnswersTheGreetingShowsTheReportAndDropsAForeignPeer)
{
    const std::string stop = dir.File("stop");
    const QString program = QString::fromStdString(
        Script("bin/editor", "while [ ! -e '" + stop + "' ]; do sleep 0.05; done"));
    services::TfmEditorLaunch launch(program, QStringLiteral("/data/Тесты/ПЛАТА.QOR"), 2);
    int result = -1;
    QTimer::singleShot(0, &launch, [&] {
        // However the steps end, the editor's process ends after them.
        struct Stop
        {
            std::string path;
            ~Stop() { WriteBytes(path, ""); }
        } stopAtEnd{stop};
        const QString name = EditorServerName(launch.Identifier());
        QLocalSocket foreign;
        const auto connect = [&name](QLocalSocket &socket) {
            socket.abort();
            socket.connectToServer(name);
            return socket.waitForConnected(200);
        };
        ASSERT_TRUE(QTest::qWaitFor([&] { return connect(foreign); }, 10000));
        // A length beyond the limit: the window drops the peer.
        QByteArray bad = EncodeEditorMessage({EditorCode::Report, 0, {}});
        bad[8] = '\x00';
        bad[9] = '\x10';
        foreign.write(bad);
        foreign.flush();
        ASSERT_TRUE(QTest::qWaitFor(
            [&] { return foreign.state() == QLocalSocket::UnconnectedState; }, 10000));

        // The window keeps one editor at a time: a fresh greeting on a
        // new connection is answered with the file and the test.
        QLocalSocket editor;
        ASSERT_TRUE(connect(editor));
        editor.write(EncodeEditorMessage({EditorCode::Hello, 77, {}}));
        QByteArray buffer;
        EditorMessage answer;
        ASSERT_TRUE(QTest::qWaitFor(
            [&] {
                buffer += editor.readAll();
                return TakeEditorMessage(buffer, answer) == EditorFrame::Taken;
            },
            10000));
        EXPECT_EQ(answer.code, EditorCode::Hello);
        EXPECT_EQ(answer.value, 2);
        EXPECT_EQ(QString::fromUtf8(answer.data), QStringLiteral("/data/Тесты/ПЛАТА.QOR"));
        editor.write(EncodeEditorMessage(
            {EditorCode::Report, 1, QStringLiteral("/data/Тесты/ПЛАТА.QOR").toUtf8()}));
        editor.write(EncodeEditorMessage({EditorCode::Done, 0, {}}));
        editor.flush();
        const QLabel *test = launch.findChild<QLabel *>(QStringLiteral("lbTest"));
        ASSERT_TRUE(QTest::qWaitFor(
            [&] { return test->text() == QStringLiteral("Номер теста: 2"); }, 10000));
        EXPECT_EQ(launch.findChild<QLabel *>(QStringLiteral("lbFile"))->text(),
                  QStringLiteral("Имя файла: ПЛАТА.QOR"));
        EXPECT_TRUE(launch.isVisible()) << "open until the editor's process ends";
        editor.disconnectFromServer();
    });
    result = launch.exec();
    EXPECT_EQ(help::HelpPageFor(&launch), QStringLiteral("tools.html"));
    EXPECT_TRUE(QFileInfo::exists(qEnvironmentVariable("QORVIK_BINARY_DIR") +
                                  QStringLiteral("/bin/manual/tools.html")));
    EXPECT_EQ(result, QDialog::Accepted);
    EXPECT_TRUE(launch.Reported());
    EXPECT_EQ(launch.ReportedTest(), 1);
}

// The desk over quorvik-unitsim reached by TCP, so that another program can
// take the unit over.
class SelfDiagnostics : public ExternalTools
{
protected:
    void StartDesk()
    {
        ASSERT_FALSE(unitsim.Address().empty());
        WriteSettings("[Блок диагностики]\r\n"
                      "Адрес блока диагностики=" +
                      unitsim.Address() +
                      "\r\n"
                      "Выполнять периодический опрос готовности блока диагностики=0\r\n");
        DeskSession::Options options;
        options.notices = MessageBoxNotices();
        options.lockDirectory = dir.Path().string();
        desk = std::make_unique<DeskSession>(
            SettingsStore(dir.File("quorvik.cfg"), dir.File("quorvik.ini")), std::move(options));
        ASSERT_TRUE(desk->Start("Quorvik"));
        window = std::make_unique<TBaseForm>(&desk->Store(), desk.get());
        window->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
    }
    ~SelfDiagnostics() override
    {
        window.reset();
        desk.reset();
    }
    // The unit answers the desk again and nobody holds the unit lock.
    void ExpectUnitBack()
    {
        EXPECT_EQ(desk->Tester().Reset(false, 1), PortOk);
        ASSERT_TRUE(desk->Monitor()->Lock(0)) << "the unit lock was released";
        desk->Monitor()->Unlock();
    }

    UnitSimProcess unitsim;
    std::unique_ptr<DeskSession> desk;
};

TEST_F(SelfDiagnostics, TheUnitIsHandedToTheSelfTestAndTakenBackWhenItEnds)
{
    StartDesk();
    const std::string report = dir.File("report.txt");
    Script("bin/quorvik-selftest", "exec '" + BinDir().toStdString() +
                                       "/quorvik-selftest' --batch --report '" + report +
                                       "' \"$@\" > /dev/null");
    services::SetHelperProgramDirectory(QString::fromStdString(dir.File("bin")));
    mesbo->Clear();
    window->Actions().bodrin->trigger();

    const std::string text = ReadBytes(report);
    EXPECT_NE(text.find("Адрес блока: " + unitsim.Address()), std::string::npos) << text;
    EXPECT_NE(text.find("Связь с блоком диагностики: норма"), std::string::npos) << text;
    EXPECT_NE(text.find("Итог: блок исправен"), std::string::npos) << text;
    EXPECT_TRUE(Messages().empty());
    ExpectUnitBack();
}

// Counts the paint events a widget receives.
class WindowPaints : public QObject
{
public:
    explicit WindowPaints(QWidget &widget) { widget.installEventFilter(this); }
    int count = 0;

protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::Paint)
            ++count;
        return false;
    }
};

TEST_F(SelfDiagnostics, TheLauncherStaysUntilTheProgramEndsShowsItsWholeTextAndTheDeskPaints)
{
    StartDesk();
    // A self-test that runs until the test lets it end.
    const std::string release = dir.File("release");
    Script("bin/quorvik-selftest", "while [ ! -e '" + release + "' ]; do sleep 0.05; done");
    services::SetHelperProgramDirectory(QString::fromStdString(dir.File("bin")));
    mesbo->Clear();
    WindowPaints paints(*window);
    bool checked = false;
    QTimer::singleShot(0, window.get(), [&] {
        // However this ends, the self-test is let go.
        const std::shared_ptr<void> letGo(nullptr, [&](void *) { WriteBytes(release, ""); });
        QWidget *modal = nullptr;
        ASSERT_TRUE(QTest::qWaitFor(
            [&] {
                modal = QApplication::activeModalWidget();
                auto *launcher = qobject_cast<services::TfmSelfTestLaunch *>(modal);
                return launcher && !launcher->TextLine()->text().isEmpty();
            },
            10000));
        auto &launcher = *qobject_cast<services::TfmSelfTestLaunch *>(modal);
        EXPECT_EQ(launcher.TextLine()->text(),
                  QStringLiteral("Для продолжения работы с программой \"Quorvik\", завершите "
                                 "программу \"Диагностика системы\"."));
        QTest::qWait(50);
        const QFontMetrics metrics(launcher.TextLine()->font());
        EXPECT_GE(launcher.TextLine()->width(),
                  metrics.horizontalAdvance(launcher.TextLine()->text()))
            << "the text is whole";
        EXPECT_GE(launcher.width(), launcher.TextLine()->width());
        EXPECT_FALSE(launcher.IconLabel()->pixmap().isNull()) << "the program's icon";
        EXPECT_FALSE(launcher.windowIcon().isNull());

        QTest::keyClick(&launcher, Qt::Key_Escape);
        launcher.reject();
        launcher.close();
        QTest::qWait(100);
        EXPECT_TRUE(launcher.isVisible()) << "nothing closes it while the program runs";

        // The main window is not frozen behind it.
        const int before = paints.count;
        window->update();
        QV_EXPECT_SOON(paints.count > before);

        checked = true;
    });
    window->Actions().bodrin->trigger();
    EXPECT_TRUE(checked);
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
    EXPECT_TRUE(Messages().empty());
    ExpectUnitBack();
}

TEST_F(SelfDiagnostics, AProgramThatFailsToStartIsReportedAndTheUnitTakenBack)
{
    StartDesk();
    services::SetHelperProgramDirectory(QString::fromStdString(dir.File("nowhere")));
    mesbo->Clear();
    window->Actions().bodrin->trigger();
    const auto shown = mesbo->ShownMessages();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown.front().caption, "Не удалось запустить \"Диагностика системы\"");
    EXPECT_EQ(shown.front().text, "Параметры запуска:\r\n   " + dir.File("nowhere") +
                                      "/quorvik-selftest\r\n   " + dir.File("nowhere"));
    ExpectUnitBack();
}

TEST_F(SelfDiagnostics, ACrashedSelfTestStillGivesTheUnitBack)
{
    StartDesk();
    Script("bin/quorvik-selftest", "kill -SEGV $$");
    services::SetHelperProgramDirectory(QString::fromStdString(dir.File("bin")));
    mesbo->Clear();
    window->Actions().bodrin->trigger();
    EXPECT_TRUE(Messages().empty());
    ExpectUnitBack();
}

} // namespace
} // namespace qv::testing
