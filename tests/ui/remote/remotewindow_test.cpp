// The remote window and the main window's remote commands: pages that
// follow the login, marked tabs, chat, remembered lists, "closeform", the
// menu items and the command-line switches.

#include "infra/notice.h"
#include "model/document/quorvik.h"
#include "remote/client.h"
#include "remote/server.h"
#include "support/ui/deskfixture.h"
#include "ui/desk/mainactions.h"
#include "ui/remote/remotecontrol.h"
#include "ui/remote/remotewindow.h"

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>
#include <QTextEdit>

namespace qv::testing {
namespace {

const QString kProduct = QStringLiteral("0123456789abcdef0123456789abcdef0123");

// A server with its window and a client logged in to it.
struct ServerWindow
{
    ServerWindow()
    {
        form.UseAddress(QStringLiteral("127.0.0.1"), QStringLiteral("0"));
        form.show();
        form.ToggleConnection(); // port 0: a free one
    }
    bool Listening() { return server.ListeningPort() != 0; }
    bool LogIn()
    {
        client.Connect(QStringLiteral("127.0.0.1"), server.ListeningPort());
        return QTest::qWaitFor([&] { return server.LoggedIn() && client.LoggedIn(); }, 10000);
    }

    TempDir dir;
    RemoteSettings settings;
    TServer server{QString::fromStdString(dir.File("server"))};
    TClient client{QString::fromStdString(dir.File("client")),
                   {QStringLiteral("Оператор"), kProduct}};
    TfmRemote form{nullptr, &server, settings};
};

class RemoteWindowTest : public DeskFixture
{
};

TEST_F(RemoteWindowTest, InfoAndChatShowOnlyWhileLoggedInAndAHiddenPageIsMarked)
{
    ServerWindow side;
    TfmRemote &form = side.form;
    ASSERT_TRUE(side.Listening());
    EXPECT_EQ(form.windowTitle(), QStringLiteral("Удаленное управление - сервер"));
    EXPECT_EQ(form.objectName(), QStringLiteral("fmRemote"));
    EXPECT_FALSE(form.PageShown(TfmRemote::InfoPage));
    EXPECT_FALSE(form.PageShown(TfmRemote::ChatPage));
    EXPECT_FALSE(form.PageShown(TfmRemote::ClientSettingsPage));
    EXPECT_TRUE(form.PageShown(TfmRemote::ServerSettingsPage));
    form.Pages()->setCurrentIndex(TfmRemote::ConnectionPage);

    ASSERT_TRUE(side.LogIn());
    EXPECT_TRUE(form.PageShown(TfmRemote::InfoPage));
    EXPECT_TRUE(form.PageShown(TfmRemote::ChatPage));
    // The login's lines came while "Соединение" was shown.
    EXPECT_TRUE(form.PageMarked(TfmRemote::InfoPage));
    EXPECT_FALSE(form.PageMarked(TfmRemote::ConnectionPage));
    EXPECT_TRUE(form.LogView(TfmRemote::InfoPage)
                    ->toPlainText()
                    .contains(QStringLiteral("Имя пользователя: Оператор")));
    form.Pages()->setCurrentIndex(TfmRemote::InfoPage);
    EXPECT_FALSE(form.PageMarked(TfmRemote::InfoPage));
    EXPECT_TRUE(form.TrafficLabel()->text().startsWith(QStringLiteral("Отдача: ")));

    side.client.Disconnect();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !form.PageShown(TfmRemote::ChatPage); }, 10000));
    EXPECT_FALSE(form.PageShown(TfmRemote::InfoPage));
}

TEST_F(RemoteWindowTest, LogLinesShowTheirQuotesAndANormalDisconnectIsNoError)
{
    ServerWindow side;
    ASSERT_TRUE(side.LogIn());
    TfmRemote &form = side.form;
    const std::string path = side.dir.File("ПЛАТА.CNT");
    WriteBytes(path, "abc");
    ASSERT_TRUE(form.Command(QStringLiteral("sendfile"), {}, QString::fromStdString(path)));
    const QString shown = form.LogView(TfmRemote::InfoPage)->toPlainText();
    EXPECT_TRUE(shown.contains(QStringLiteral("Отправка файла \"ПЛАТА.CNT\" (3)... выполнена")))
        << shown.toStdString();
    EXPECT_FALSE(shown.contains(QStringLiteral("&quot;")));

    side.client.Disconnect();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !side.server.LoggedIn(); }, 10000));
    for (const RemoteLogLine &line : side.server.ConnectionLog().Lines())
        EXPECT_FALSE(line.colour == RemoteLogColour::Red && line.bold) << line.text.toStdString();
    EXPECT_TRUE(form.LogView(TfmRemote::ConnectionPage)
                    ->toPlainText()
                    .contains(QStringLiteral(" отключился")));
}

TEST_F(RemoteWindowTest, ChatSendsTrimmedTextOnCtrlEnterAndNothingForSpaces)
{
    ServerWindow side;
    ASSERT_TRUE(side.LogIn());
    TfmRemote &form = side.form;
    form.Pages()->setCurrentIndex(TfmRemote::ChatPage);
    form.ChatInput()->setPlainText(QStringLiteral("   "));
    QTest::mouseClick(form.ChatSendButton(), Qt::LeftButton);
    EXPECT_TRUE(form.ChatInput()->toPlainText().isEmpty());
    EXPECT_TRUE(side.server.ChatLog().Lines().empty());

    form.ChatInput()->setPlainText(QStringLiteral("  проверка связи "));
    QTest::keyClick(form.ChatInput(), Qt::Key_Return, Qt::ControlModifier);
    EXPECT_TRUE(form.ChatInput()->toPlainText().isEmpty());
    EXPECT_TRUE(QTest::qWaitFor(
        [&] { return side.client.ChatLog().Contains(QStringLiteral(">> проверка связи")); },
        10000));
    const QString shown = form.LogView(TfmRemote::ChatPage)->toHtml();
    EXPECT_TRUE(shown.contains(QStringLiteral("проверка связи")));
    EXPECT_TRUE(shown.contains(QStringLiteral("#008000"))) << "the sent prefix is green";
}

TEST_F(RemoteWindowTest, CloseformKeepsAConnectedWindowAndCommandsNeedTheLink)
{
    ServerWindow side;
    TfmRemote &form = side.form;
    // Without a client nothing goes out, and "bufapply" does not fail.
    EXPECT_TRUE(form.Command(QStringLiteral("bufapply"), {}, QStringLiteral("тест буфер ,")));
    ASSERT_TRUE(side.LogIn());
    form.Command(QStringLiteral("closeform"));
    EXPECT_TRUE(form.isVisible());
    EXPECT_EQ(mesbo->Count(), 0u);
    // A client that does not process results fails the hand-over.
    EXPECT_FALSE(form.Command(QStringLiteral("bufapply"), {}, QStringLiteral("тест буфер ,")));
}

TEST_F(RemoteWindowTest, ClosingRemembersANewAddressOnceAndAskedNoKeepsTheWindow)
{
    RemoteSettings settings;
    TServer server(QString::fromStdString(dir.File("server")));
    server.Listen(QHostAddress::LocalHost, 0);
    const QString port = QString::number(server.ListeningPort());
    for (int round = 0; round < 2; ++round) {
        TClient client(QString::fromStdString(dir.File("client")), {QStringLiteral("u"), kProduct});
        TfmRemote form(&client, nullptr, settings);
        form.show();
        EXPECT_FALSE(form.PageShown(TfmRemote::ServerSettingsPage));
        EXPECT_EQ(form.PortBox()->currentText(), round == 0 ? QStringLiteral("35000") : port);
        form.AddressBox()->setCurrentText(QStringLiteral(" 127.0.0.1 "));
        form.PortBox()->setCurrentText(port);
        QTest::mouseClick(form.ConnectButton(), Qt::LeftButton);
        EXPECT_EQ(form.ConnectButton()->text(), QStringLiteral("Отключиться"));
        ASSERT_TRUE(QTest::qWaitFor([&] { return client.LoggedIn(); }, 10000))
            << round << form.LogView(TfmRemote::ConnectionPage)->toPlainText().toStdString();
        QTest::mouseClick(form.ConnectButton(), Qt::LeftButton);
        EXPECT_EQ(form.ConnectButton()->text(), QStringLiteral("Соединение"));
        // The next client may connect once the server has seen this one go.
        ASSERT_TRUE(QTest::qWaitFor([&] { return !server.LoggedIn(); }, 10000));

        mesbo->QueueAnswer(MbNo);
        form.close();
        EXPECT_TRUE(form.isVisible());
        mesbo->QueueAnswer(MbYes);
        form.close();
        EXPECT_FALSE(form.isVisible());
        EXPECT_EQ(mesbo->ShownMessages().back().text, "Завершить удаленное управление?");
    }
    EXPECT_EQ(settings.serverAddresses, std::vector<std::string>{"127.0.0.1"});
    EXPECT_EQ(settings.serverAddress, "127.0.0.1");
    EXPECT_EQ(settings.clientPorts, std::vector<std::string>{port.toStdString()});
}

TEST_F(RemoteWindowTest, TheMenuStartsOneRoleRefusesTheOtherAndClosesItsOwn)
{
    TBaseForm &main = Window();
    RemoteControl remote(main, store, QString::fromStdString(dir.File("remote")));
    main.Actions().remoteServer->trigger();
    ASSERT_EQ(remote.ActiveRole(), RemoteDesk::Role::Server);
    ASSERT_NE(remote.Window(), nullptr);
    EXPECT_TRUE(remote.Window()->isVisible());
    EXPECT_TRUE(main.Actions().remoteServer->isChecked());

    main.Actions().remoteClient->trigger();
    EXPECT_EQ(remote.ActiveRole(), RemoteDesk::Role::Server);
    ASSERT_FALSE(Messages().empty());
    EXPECT_EQ(Messages().back(), "Удаленное управление уже активно. Отключите данный режим и "
                                 "повторите операцию снова");

    mesbo->QueueAnswer(MbYes);
    main.Actions().remoteServer->trigger(); // "closeform": not connected, so it closes
    EXPECT_TRUE(QTest::qWaitFor([&] { return remote.ActiveRole() == RemoteDesk::Role::None; }));
    EXPECT_FALSE(main.Actions().remoteServer->isChecked());
    EXPECT_TRUE(store.Placements().Geometry("fmRemote").has_value());
}

// Whether some top-level window other than `except` is still shown: the
// program runs on while one is.
bool AnotherWindowShown(const QWidget *except)
{
    for (QWidget *top : QApplication::topLevelWidgets())
        if (top != except && top->isVisible() && !top->inherits("QMenu"))
            return true;
    return false;
}

TEST_F(RemoteWindowTest, AltXInARoleEndsTheRoleAndAsksFirstWhileAPeerIsLoggedIn)
{
    TBaseForm &main = Window();
    RemoteControl remote(main, store, QString::fromStdString(dir.File("remote")));
    main.Actions().remoteServer->trigger();
    ASSERT_NE(remote.Window(), nullptr);
    remote.Window()->UseAddress(QStringLiteral("127.0.0.1"), QStringLiteral("0"));
    remote.Window()->ToggleConnection();
    ASSERT_NE(remote.Server()->ListeningPort(), 0);
    TClient client(QString::fromStdString(dir.File("client")), {QStringLiteral("u"), kProduct});
    client.Connect(QStringLiteral("127.0.0.1"), remote.Server()->ListeningPort());
    ASSERT_TRUE(QTest::qWaitFor([&] { return client.LoggedIn() && remote.LinkUp(); }, 10000));

    main.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&main));
    mesbo->Clear();
    mesbo->QueueAnswer(MbNo);
    QTest::keyClick(&main, Qt::Key_X, Qt::AltModifier);
    ASSERT_EQ(Messages(), std::vector<std::string>{"Завершить удаленное управление?"});
    EXPECT_TRUE(main.isVisible()) << "answered No: nothing closes";
    EXPECT_EQ(remote.ActiveRole(), RemoteDesk::Role::Server);

    mesbo->QueueAnswer(MbYes);
    QTest::keyClick(&main, Qt::Key_X, Qt::AltModifier);
    EXPECT_FALSE(main.isVisible());
    EXPECT_EQ(remote.ActiveRole(), RemoteDesk::Role::None);
    EXPECT_EQ(remote.Window(), nullptr);
    EXPECT_FALSE(AnotherWindowShown(nullptr)) << "no window keeps the program running";
    EXPECT_EQ(Messages().size(), 2u) << "the remote window did not ask again";
}

TEST_F(RemoteWindowTest, ClosingTheProgramWithAnIdleRoleEndsItWithoutAQuestion)
{
    TBaseForm &main = Window();
    RemoteControl remote(main, store, QString::fromStdString(dir.File("remote")));
    main.Actions().remoteClient->trigger();
    ASSERT_NE(remote.Window(), nullptr);
    ASSERT_TRUE(remote.Window()->isVisible());
    mesbo->Clear();
    main.close();
    EXPECT_FALSE(main.isVisible());
    EXPECT_EQ(remote.ActiveRole(), RemoteDesk::Role::None);
    EXPECT_TRUE(Messages().empty());
    EXPECT_FALSE(AnotherWindowShown(nullptr));
}

TEST_F(RemoteWindowTest, ALowerCaseServerSwitchOpensTheFileThenListensOnTheGivenAddress)
{
    const QString demo = Demo();
    TBaseForm &main = Window();
    RemoteControl remote(main, store, QString::fromStdString(dir.File("remote")));
    main.StartFromCommandLine({QStringLiteral("quorvik"), demo, QStringLiteral("\\remoteserver"),
                               QStringLiteral("--listen"), QStringLiteral("127.0.0.1:0")});
    ASSERT_TRUE(QTest::qWaitFor([&] { return remote.Server() != nullptr; }));
    EXPECT_EQ(main.Document().Doc().NTest, 3) << ::testing::PrintToString(Messages());
    TServer &server = *remote.Server();
    EXPECT_TRUE(QTest::qWaitFor([&] {
        return server.ConnectionLog().Lines().size() > 0 &&
               server.ConnectionLog().Lines().front().text.startsWith(
                   QStringLiteral("Начало прослушивания сервером порта "));
    }));
    EXPECT_NE(server.ListeningPort(), 0);
    EXPECT_EQ(remote.Window()->ConnectButton()->text(), QStringLiteral("Отключиться"));
}

TEST_F(RemoteWindowTest, TheInstallationsIdentificationIsMadeOnceAndKept)
{
    WriteSettings("[Общие]\n");
    const RemoteSettings first = store.Remote();
    EXPECT_EQ(first.productNumber.size(), 36u);
    EXPECT_FALSE(first.userName.empty());
    store.Remote().listenAddress = "10.0.0.5";
    ASSERT_TRUE(store.Save(nullptr));
    SettingsStore again(dir.File("quorvik.cfg"), dir.File("quorvik.ini"));
    again.SetNotices(MessageBoxNotices());
    again.Load(nullptr, false);
    EXPECT_EQ(again.Remote().productNumber, first.productNumber);
    EXPECT_EQ(again.Remote().listenAddress, "10.0.0.5");
}

} // namespace
} // namespace qv::testing
