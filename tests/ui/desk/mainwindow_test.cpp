#include "infra/mesbo.h"
#include "model/document/quorvik.h"
#include "ui/desk/mainwindow.h"
#include "ui/views/diagramview.h"

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

    auto *menuBar = window.findChild<QMenuBar *>(QStringLiteral("mmMain"));
    ASSERT_NE(menuBar, nullptr);
    const auto menus = menuBar->actions();
    ASSERT_FALSE(menus.isEmpty());
    EXPECT_EQ(menus.front()->text(), QStringLiteral("&Файл"));
    ASSERT_NE(window.ExitAction(), nullptr);
    EXPECT_EQ(window.ExitAction()->text(), QStringLiteral("&Выход"));
    EXPECT_TRUE(menus.front()->menu()->actions().contains(window.ExitAction()));

    QSignalSpy triggered(window.ExitAction(), &QAction::triggered);
    window.ExitAction()->trigger();
    EXPECT_EQ(triggered.count(), 1);
    EXPECT_FALSE(window.isVisible());
}

TEST(MainWindow, TheFileOnTheCommandLineIsTheLastArgumentThatIsNoRemoteSwitch)
{
    EXPECT_EQ(TBaseForm::FileFromArguments({"quorvik"}), QString());
    EXPECT_EQ(TBaseForm::FileFromArguments({"quorvik", "A.QOR", "\\remoteserver", "B.QOR"}),
              QStringLiteral("B.QOR"));
    EXPECT_EQ(TBaseForm::FileFromArguments({"quorvik", "A.QOR", "\\RemoteClient"}),
              QStringLiteral("A.QOR"));
}

TEST(MainWindow, ShowsTheDiagramOfTheFirstTestOfTheDemoBoard)
{
    const QString demo =
        qEnvironmentVariable("QORVIK_BINARY_DIR") + QStringLiteral("/examples/demo/DEMO.QOR");
    auto box = std::make_unique<ScriptedMesbo>();
    ScriptedMesbo *shown = box.get();
    auto previous = InstallMesbo(std::move(box));
    TBaseForm window;
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    ASSERT_TRUE(window.OpenFile(demo)) << demo.toStdString();
    EXPECT_TRUE(shown->ShownMessages().empty());
    EXPECT_TRUE(window.windowTitle().startsWith(QStringLiteral("DEMO.QOR - ")));
    DiagramView *view = window.DiagramView();
    // Four level lines between the two header rows and the start-tact row.
    EXPECT_EQ(view->RowCount(), 7);
    EXPECT_EQ(view->Cell(2, 0), QStringLiteral("i"));
    EXPECT_EQ(view->Cell(0, 6), QStringLiteral("Начальный такт 1"));
    const QImage shot = view->viewport()->grab().toImage();
    // The first signal row shows the name column's grey and a black level.
    bool black = false;
    for (int x = 0; x < shot.width() && !black; ++x)
        black = shot.pixelColor(x, view->CellRect(2, 2).top() + 2).rgb() == QColor(Qt::black).rgb();
    EXPECT_TRUE(black);
    EXPECT_FALSE(window.OpenFile(QStringLiteral("/nonexistent/NONE.QOR")));
    EXPECT_EQ(view->Cell(2, 0), QString()) << "a failed load leaves the document empty";
    InstallMesbo(std::move(previous));
}

} // namespace
} // namespace qv
