// Presses described by object names and repeated elsewhere: what the server
// captures, what crosses the link, and the replay on the client.

#include "support/remote/remotepeers.h"
#include "ui/remote/clickcapture.h"

#include <QDialog>
#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QVBoxLayout>
#include <gtest/gtest.h>

namespace qv {
namespace {

using testing::LinkedPeers;
using testing::PumpUntil;

// A form of the program: a named panel with a named button holding an
// unnamed label.
struct ProbeForm
{
    ProbeForm()
    {
        form.setObjectName(QStringLiteral("fmProbe"));
        panel->setObjectName(QStringLiteral("pnTools"));
        button->setObjectName(QStringLiteral("btGo"));
        button->setMinimumSize(120, 40);
        auto *layout = new QVBoxLayout(&form);
        layout->addWidget(panel);
        auto *inner = new QVBoxLayout(panel);
        inner->addWidget(button);
        inner->addWidget(caption);
        form.show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&form));
    }
    QWidget form;
    QWidget *panel = new QWidget(&form);
    QPushButton *button = new QPushButton(QStringLiteral("Пуск"), panel);
    QLabel *caption = new QLabel(QStringLiteral("подпись"), panel); // unnamed
};

TEST(ClickCapture, APressIsNamedByItsFormAndInnermostNamedControlOnce)
{
    ProbeForm probe;
    ClickCapture capture;
    QSignalSpy pressed(&capture, &ClickCapture::Pressed);
    QTest::mouseClick(probe.button, Qt::RightButton, {}, QPoint(7, 9));
    ASSERT_EQ(pressed.count(), 1); // not once more for every parent it reaches
    const auto click = pressed.at(0).at(0).value<RemoteClick>();
    EXPECT_EQ(click.formName, QStringLiteral("fmProbe"));
    EXPECT_EQ(click.formClass, QStringLiteral("QWidget"));
    EXPECT_EQ(click.controlName, QStringLiteral("btGo"));
    EXPECT_EQ(click.controlClass, QStringLiteral("QPushButton"));
    EXPECT_EQ(click.button, RemoteClick::Button::Right);
    EXPECT_EQ(click.x, 7);
    EXPECT_EQ(click.y, 9);

    // An unnamed label counts as the named panel it lies on.
    QTest::mouseClick(probe.caption, Qt::LeftButton, {}, QPoint(2, 3));
    ASSERT_EQ(pressed.count(), 2);
    const auto onLabel = pressed.at(1).at(0).value<RemoteClick>();
    EXPECT_EQ(onLabel.controlName, QStringLiteral("pnTools"));
    const QPoint inPanel = probe.caption->mapTo(probe.panel, QPoint(2, 3));
    EXPECT_EQ(onLabel.x, inPanel.x());
    EXPECT_EQ(onLabel.y, inPanel.y());
}

TEST(ClickCapture, AClickSentByTheServerPressesTheSameButtonOnTheClient)
{
    ProbeForm probe;
    LinkedPeers peers;
    auto client = peers.LoggedIn();
    ASSERT_TRUE(client->LoggedIn());
    QObject::connect(client.get(), &TClient::ClickRequested, client.get(),
                     [](const RemoteClick &click) { ReplayClick(click); });
    ClickCapture capture;
    QObject::connect(&capture, &ClickCapture::Pressed, &peers.server,
                     [&peers](const RemoteClick &click) {
                         peers.server.SendCommand(RemoteCommand::Click, *ClickPayload(click));
                     });
    QSignalSpy clicked(probe.button, &QPushButton::clicked);
    // The operator's press goes out; the button sees the operator's click
    // here and the replayed one.
    QTest::mouseClick(probe.button, Qt::LeftButton, {}, QPoint(10, 10));
    EXPECT_TRUE(PumpUntil([&] { return clicked.count() == 2; }));
    EXPECT_EQ(clicked.count(), 2);
}

TEST(ClickCapture, AWindowOfNoNameIsNamedByItsTitleAndReplayedThere)
{
    QDialog box;
    box.setWindowTitle(QStringLiteral("Удаленное управление: клиент"));
    auto *ok = new QPushButton(QStringLiteral("OK"), &box); // unnamed
    ok->setGeometry(20, 20, 80, 30);
    box.resize(200, 100);
    box.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&box));
    const auto click = ClickCapture::Describe(ok, QPoint(5, 5), Qt::LeftButton);
    ASSERT_TRUE(click);
    EXPECT_TRUE(click->formName.isEmpty());
    EXPECT_EQ(click->controlName, QStringLiteral("Удаленное управление: клиент"));
    EXPECT_EQ(click->controlClass, QStringLiteral("QDialog"));
    EXPECT_EQ(click->x, 25);
    EXPECT_EQ(click->y, 25);

    QSignalSpy clicked(ok, &QPushButton::clicked);
    ASSERT_TRUE(ReplayClick(*click));
    EXPECT_TRUE(PumpUntil([&] { return clicked.count() == 1; }));

    // A window that is not there is not clicked.
    RemoteClick gone = *click;
    gone.formName = QStringLiteral("fmNowhere");
    EXPECT_FALSE(ReplayClick(gone));
}

TEST(ClickCapture, ClickBytesAreBoundedAndAForeignKindIsOnlyLogged)
{
    RemoteClick click;
    click.formName = QStringLiteral("fmPusk");
    click.formClass = QStringLiteral("qv::run::TfmPusk");
    click.controlName = QStringLiteral("btOK");
    click.controlClass = QStringLiteral("QPushButton");
    click.x = -3;
    click.y = 300;
    const auto payload = ClickPayload(click);
    ASSERT_TRUE(payload);
    const auto back = ParseClick(*payload);
    ASSERT_TRUE(back);
    EXPECT_EQ(back->controlName, click.controlName);
    EXPECT_EQ(back->x, -3);
    EXPECT_EQ(back->y, 300);
    for (qsizetype cut = 0; cut < payload->size(); ++cut)
        EXPECT_FALSE(ParseClick(payload->left(cut))) << cut;
    EXPECT_FALSE(ParseClick(*payload + "x"));
    click.controlName = QString(120, u'x'); // the message would pass 128 bytes
    EXPECT_FALSE(ClickPayload(click));

    LinkedPeers peers;
    auto client = peers.LoggedIn();
    QSignalSpy requested(client.get(), &TClient::ClickRequested);
    QByteArray foreign = *payload;
    foreign[0] = 1;
    peers.server.SendCommand(RemoteCommand::Click, foreign);
    EXPECT_TRUE(PumpUntil([&] {
        return client->InfoLog().Contains(QStringLiteral("TClient::MouseClick - type != 0"));
    }));
    EXPECT_EQ(requested.count(), 0);
}

} // namespace
} // namespace qv
