// The main window's layout, commands and enabled states, and opening files.

#include "infra/messages.h"
#include "model/quorvik.h"
#include "ui/desk/infopanel.h"
#include "ui/desk/runbar.h"
#include "ui/deskfixture.h"
#include "ui/views/diagramview.h"
#include "ui/views/tableview.h"

#include <QAction>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QTest>
#include <QToolBar>
#include <QToolButton>

namespace qv::testing {
namespace {

using Desk = DeskFixture;

QStringList Names(const QList<QAction *> &actions)
{
    QStringList names;
    for (QAction *action : actions)
        if (!action->isSeparator())
            names << action->objectName();
    return names;
}

TEST_F(Desk, TheFourBarsCarryTheirTitlesAndTheRunAndInformationBarsStayOffTheSides)
{
    TBaseForm &form = Window();
    EXPECT_EQ(form.objectName(), "BaseForm");
    const QStringList titles{"Главное меню", "Панель инструментов", "Пуск", "Общие сведения"};
    for (int i = 0; i < 4; ++i) {
        ASSERT_NE(form.bar(i), nullptr);
        EXPECT_EQ(form.bar(i)->windowTitle(), titles.at(i));
        EXPECT_TRUE(form.bar(i)->isVisible());
        const bool sides = form.bar(i)->isAreaAllowed(Qt::LeftToolBarArea) ||
                           form.bar(i)->isAreaAllowed(Qt::RightToolBarArea);
        EXPECT_EQ(sides, i < 2) << titles.at(i).toStdString();
    }
    EXPECT_EQ(form.minimumSize(), QSize(725, 200));
    EXPECT_EQ(form.size(), QSize(739, 539));

    auto *menus = form.findChild<QMenuBar *>(QStringLiteral("mmMain"));
    ASSERT_NE(menus, nullptr);
    QStringList captions;
    for (QAction *menu : menus->actions())
        captions << menu->text();
    EXPECT_EQ(captions, QStringList({"&Файл", "В&ид", "Режимы работы", "&Слова и функции",
                                     "Отладка", "&Инструменты", "&Помощь"}));

    EXPECT_EQ(Names(form.bar(1)->actions()),
              QStringList({"acOpenFile", "acDiagramm", "acTable",  "acFullTable", "acParedTable",
                           "acTyreData", "acIWord",    "acOWord",  "acGWord",     "acFuncG",
                           "acFuncF",    "acFuncM",    "acFuncP",  "acFuncV",     "acFuncS",
                           "acViewCNT",  "acComment",  "acParams", "acEditQor",   "acHexEdit",
                           "acExit"}));
    const desk::MainActions &a = form.actions();
    EXPECT_FALSE(a.funcS->isVisible()) << "the S-function list is reached from the views only";
    EXPECT_EQ(a.exit->shortcut(), QKeySequence(Qt::ALT | Qt::Key_X));
    EXPECT_EQ(a.editQor->shortcut(), QKeySequence(Qt::Key_F4));
    EXPECT_EQ(a.incScale->text(), QStringLiteral("&Увеличить масштаб     \"+\""));
    EXPECT_EQ(a.paredTable->statusTip(),
              QStringLiteral("Просмотр таблицы без констант в порядке следования на диаграмме "
                             "отдельно входных  и выходных данных"));
    EXPECT_FALSE(a.remoteMenu->menuAction()->isVisible());
    for (QAction *action : a.all)
        EXPECT_FALSE(action->icon().isNull()) << action->objectName().toStdString();

    QStringList runButtons;
    for (QToolButton *button :
         {form.runBar()->pusk(), form.runBar()->solid(), form.runBar()->debug(),
          form.runBar()->zond(), form.runBar()->cycles()}) {
        EXPECT_TRUE(button->isCheckable());
        runButtons << button->text();
    }
    EXPECT_EQ(runButtons, QStringList({"Пуск", "Непрерывный", "Отладка", "Зонд", "G,O-циклы"}));

    // The menu bar lives in a tool bar; its commands' keys still work.
    form.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&form));
    QTest::keyClick(&form, Qt::Key_X, Qt::AltModifier);
    EXPECT_FALSE(form.isVisible()) << "Alt+X closes the window";
}

TEST_F(Desk, WithoutAFileEverythingShowsAQuestionMarkAndOnlyTheFileCommandsWork)
{
    TBaseForm &form = Window();
    const desk::MainActions &a = form.actions();
    const desk::InfoPanel &info = *form.infoPanel();
    for (const char *name :
         {"lbFileAdapter", "lbSystem", "lbCycles", "lbStartTact", "lbErrors", "lbTestName"})
        EXPECT_EQ(info.label(name)->text(), QStringLiteral("?")) << name;
    EXPECT_EQ(form.windowTitle(), QStringLiteral("Quorvik"));
    EXPECT_EQ(info.visibleTestTabs(), 0);
    EXPECT_TRUE(a.openFile->isEnabled());
    EXPECT_TRUE(a.exit->isEnabled());
    for (QAction *action : {a.diagramm, a.table, a.saveFile, a.iWord, a.comment, a.pusk,
                            a.fullTable, a.incScale, a.zond, a.editQor})
        EXPECT_FALSE(action->isEnabled()) << action->objectName().toStdString();
    EXPECT_FALSE(form.runBar()->pusk()->isEnabled());
    EXPECT_FALSE(form.diagramView()->isVisible());
    EXPECT_FALSE(form.tableView()->isVisible());

    ASSERT_TRUE(form.openFile(Demo()));
    EXPECT_EQ(form.windowTitle(), QStringLiteral("DEMO.QOR - Quorvik"));
    EXPECT_EQ(info.visibleTestTabs(), 3);
    EXPECT_TRUE(info.tab(desk::InfoPanel::kAllTab)->isVisible());
    EXPECT_FALSE(info.tab(3)->isVisible());
    EXPECT_EQ(info.pressedTab(), 0);
    EXPECT_EQ(info.label("lbFileAdapter")->text(), QStringLiteral("DEMO.CNT"));
    EXPECT_TRUE(info.label("lbFileAdapter")->toolTip().startsWith("Файл контакта: \""));
    EXPECT_EQ(info.label("lbSystem")->text(), QStringLiteral("16"));
    EXPECT_EQ(info.label("lbCycles")->text(), QStringLiteral("2"));
    EXPECT_EQ(info.label("lbTestName")->text(), QStringLiteral("Шина данных"));
    EXPECT_TRUE(form.diagramView()->isVisible());
    EXPECT_TRUE(a.diagramm->isChecked());
    EXPECT_TRUE(a.incScale->isEnabled());
    EXPECT_FALSE(a.fullTable->isEnabled()) << "table forms only with the table shown";
    EXPECT_FALSE(a.zond->isEnabled()) << "probe mode only in debug mode";
    EXPECT_TRUE(a.editQor->isEnabled());
    EXPECT_TRUE(form.runBar()->pusk()->isEnabled());
    EXPECT_EQ(form.startDirectory(), QFileInfo(Demo()).absolutePath());

    form.showTable();
    EXPECT_TRUE(form.tableView()->isVisible());
    EXPECT_FALSE(form.diagramView()->isVisible());
    EXPECT_TRUE(a.fullTable->isEnabled());
    EXPECT_FALSE(a.incScale->isEnabled());
    EXPECT_GT(form.tableView()->rowCount(), 1);

    // A failed load leaves the document empty and the information unknown.
    EXPECT_FALSE(form.openFile(QStringLiteral("/nonexistent/NONE.QOR")));
    EXPECT_EQ(info.label("lbCycles")->text(), QStringLiteral("?"));
    EXPECT_FALSE(a.table->isEnabled());
    EXPECT_EQ(form.windowTitle(), QStringLiteral("Quorvik"));
}

TEST_F(Desk, TwoDroppedFilesOpenNeitherAndShowCatalogueMessageZero)
{
    TBaseForm &form = Window();
    const QString demo = Demo();
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(demo), QUrl::fromLocalFile(Demo("other"))});
    // A drop reaches the window that accepted the drag's entry.
    QDragEnterEvent enter(QPoint(100, 100), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(&form, &enter);
    EXPECT_TRUE(enter.isAccepted());
    QDropEvent drop(QPointF(100, 100), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(&form, &drop);
    QTest::qWait(20);
    ASSERT_EQ(mesbo->Count(), 1u);
    EXPECT_EQ(mesbo->ShownMessages().front().text, Msg(0));
    EXPECT_EQ(mesbo->ShownMessages().front().flags, MbError);
    EXPECT_TRUE(form.document().Doc.FileName.empty());

    form.openDroppedFiles({demo});
    EXPECT_EQ(form.document().Doc.NTest, 3) << "exactly one dropped file opens";
    EXPECT_EQ(form.recentFiles().value(0), demo);
}

TEST_F(Desk, AFileNameWithALowerCaseServerSwitchOpensTheFile)
{
    const auto line = TBaseForm::parseCommandLine(
        {"quorvik", "A.QOR", "\\remoteserver", "--Remote-Client", "B.QOR"});
    EXPECT_EQ(line.file, QStringLiteral("B.QOR"));
    EXPECT_TRUE(line.remoteServer);
    EXPECT_TRUE(line.remoteClient);
    EXPECT_FALSE(TBaseForm::parseCommandLine({"quorvik", "\\REMOTESERVERX"}).remoteServer);

    TBaseForm &form = Window();
    const QString demo = Demo();
    form.startFromCommandLine({"quorvik", demo, "\\remoteserver"});
    EXPECT_TRUE(form.document().Doc.FileName.empty()) << "the file opens after 10 ms";
    QTRY_COMPARE(form.document().Doc.NTest, 3);
    EXPECT_EQ(form.startDirectory(), QFileInfo(demo).absolutePath());
    // The server role is not built yet: the operator is told so plainly.
    QTRY_COMPARE(mesbo->Count(), std::size_t{1});
    EXPECT_NE(Messages().front().find("пока недоступно"), std::string::npos);
}

TEST_F(Desk, RecentFilesKeepTheNineLastOpenedMostRecentFirst)
{
    TBaseForm &form = Window();
    QStringList opened;
    for (int i = 0; i < 10; ++i) {
        opened.prepend(Demo("copy" + std::to_string(i)));
        ASSERT_TRUE(form.openFile(opened.front()));
    }
    ASSERT_TRUE(form.openFile(opened.at(3))) << "an entry opened again moves to the top";
    opened.move(3, 0);
    EXPECT_EQ(form.recentFiles(), opened.mid(0, 9));
    const QMenu *menu = form.actions().recentFiles;
    EXPECT_EQ(menu->title(), QStringLiteral("Последние файлы"));
    ASSERT_EQ(menu->actions().size(), 9);
    EXPECT_TRUE(menu->actions().front()->text().endsWith(opened.front()));
    menu->actions().at(2)->trigger();
    EXPECT_EQ(QString::fromStdString(form.document().Doc.FileName), opened.at(2));
}

TEST_F(Desk, CommandsWhoseWindowsComeLaterSayTheyAreNotAvailable)
{
    TBaseForm &form = WindowWithDemo();
    mesbo->Clear();
    const desk::MainActions &a = form.actions();
    for (QAction *action : {a.bodrin, a.hexEdit}) {
        mesbo->Clear();
        action->trigger();
        ASSERT_EQ(mesbo->Count(), 1u) << action->objectName().toStdString();
        EXPECT_NE(Messages().front().find("пока недоступно"), std::string::npos);
    }
    // The list commands refuse with the catalogue texts first.
    mesbo->Clear();
    form.selectTest(TBaseForm::kAllTests);
    a.iWord->trigger();
    EXPECT_EQ(Messages().back(), Msg(37));
    form.selectTest(2);
    const STest *third = form.document().Test(2);
    ASSERT_NE(third, nullptr);
    if (third->FFuncs.Count() == 0) {
        a.funcF->trigger();
        EXPECT_EQ(Messages().back(), Msg(38));
    }
    a.iWord->trigger();
    EXPECT_NE(Messages().back().find("Входные слова"), std::string::npos);
}

TEST_F(Desk, TheViewsRefuseAllTestsWithAWarning)
{
    TBaseForm &form = WindowWithDemo();
    mesbo->Clear();
    form.selectTest(TBaseForm::kAllTests);
    EXPECT_EQ(form.document().CurrentTest, -1);
    EXPECT_EQ(form.infoPanel()->label("lbCycles")->text(), QStringLiteral("-"));
    EXPECT_EQ(form.infoPanel()->label("lbStartTact")->text(), QStringLiteral("-"));
    EXPECT_EQ(form.infoPanel()->label("lbTestName")->text(), QString());
    EXPECT_FALSE(form.actions().editQor->isEnabled());
    form.actions().table->trigger();
    ASSERT_EQ(mesbo->Count(), 1u);
    EXPECT_EQ(Messages().front(), "Просмотр таблицы/диаграммы возможен только для одного теста");
    EXPECT_EQ(mesbo->ShownMessages().front().flags, MbWarning);
    EXPECT_FALSE(form.actions().table->isChecked());
    EXPECT_FALSE(form.tableView()->isVisible());
}

} // namespace
} // namespace qv::testing
