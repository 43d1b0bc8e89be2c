#include "infra/fatalerror.h"
#include "support/ui/failingobject.h"
#include "ui/application.h"
#include "ui/fatalwindow.h"

#include <QGroupBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <filesystem>
#include <gtest/gtest.h>
#include <stdexcept>

namespace qv {
namespace {

TEST(FatalWindow, ShowsTheFixedTextsAndTheFailureTwice)
{
    TfmMsgException window(QStringLiteral("Access violation"));
    EXPECT_EQ(window.windowTitle(), QStringLiteral("Критический сбой в программе"));
    const auto groups = window.findChildren<QGroupBox *>();
    ASSERT_EQ(groups.size(), 1);
    EXPECT_EQ(groups.front()->title(), QStringLiteral("Системное сообщение об ошибке:"));
    EXPECT_EQ(window.FailureText(), QStringLiteral("\"Access violation\"\nAccess violation"));
    EXPECT_EQ(window.ContinueButton()->text(), QStringLiteral("&Продолжить работу"));
    EXPECT_EQ(window.CloseButton()->text(), QStringLiteral("&Закрыть программу"));
}

TEST(FatalWindow, EachButtonGivesItsChoice)
{
    TfmMsgException a(QStringLiteral("x"));
    a.show();
    QTest::mouseClick(a.CloseButton(), Qt::LeftButton);
    EXPECT_EQ(a.Choice(), FatalChoice::Close);
    TfmMsgException b(QStringLiteral("x"));
    b.show();
    QTest::mouseClick(b.ContinueButton(), Qt::LeftButton);
    EXPECT_EQ(b.Choice(), FatalChoice::Continue);
    EXPECT_FALSE(b.isVisible());
}

TEST(Application, AnExceptionFromAnEventHandlerIsLoggedAndTheProgramCarriesOn)
{
    auto *app = qobject_cast<QuorvikApplication *>(QCoreApplication::instance());
    ASSERT_NE(app, nullptr);
    const auto log =
        std::filesystem::temp_directory_path() /
        ("qv_ui_exception_" + std::to_string(QCoreApplication::applicationPid()) + ".log");
    std::filesystem::remove(log);
    std::string shown;
    TExcept handler(log, [&](const std::string &message) {
        shown = message;
        return FatalChoice::Continue;
    });
    app->SetFailureHandler(&handler);
    testing::FailingObject failing;
    QEvent event(QEvent::User);
    EXPECT_FALSE(QCoreApplication::sendEvent(&failing, &event));
    app->SetFailureHandler(nullptr);
    EXPECT_EQ(shown, "сбой обработчика");
    EXPECT_TRUE(std::filesystem::exists(log));
    EXPECT_GT(std::filesystem::file_size(log), 63u);
    std::filesystem::remove(log);
}

} // namespace
} // namespace qv
