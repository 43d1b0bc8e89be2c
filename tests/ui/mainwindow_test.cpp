#include "ui/mainwindow.h"

#include <QAction>
#include <QMenuBar>
#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>

namespace qv {
namespace {

TEST(MainWindow, FileMenuHoldsExitAndExitClosesTheWindow)
{
    TBaseForm window;
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    EXPECT_EQ(window.objectName(), "BaseForm");

    const auto menus = window.menuBar()->actions();
    ASSERT_FALSE(menus.isEmpty());
    EXPECT_EQ(menus.front()->text(), QStringLiteral("&Файл"));
    ASSERT_NE(window.exitAction(), nullptr);
    EXPECT_EQ(window.exitAction()->text(), QStringLiteral("&Выход"));
    EXPECT_TRUE(menus.front()->menu()->actions().contains(window.exitAction()));

    QSignalSpy triggered(window.exitAction(), &QAction::triggered);
    window.exitAction()->trigger();
    EXPECT_EQ(triggered.count(), 1);
    EXPECT_FALSE(window.isVisible());
}

} // namespace
} // namespace qv
