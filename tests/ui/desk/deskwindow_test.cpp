// The main window's layout, commands and enabled states, and opening files.

#include "infra/messages.h"
#include "model/content/tablecontent.h"
#include "model/document/quorvik.h"
#include "model/file/scriptedfileui.h"
#include "support/ui/deskfixture.h"
#include "support/ui/modalwatch.h"
#include "support/ui/qtwait.h"
#include "ui/application.h"
#include "ui/desk/infopanel.h"
#include "ui/desk/runbar.h"
#include "ui/firstpaint.h"
#include "ui/lists/wordwindows.h"
#include "ui/views/diagramview.h"
#include "ui/views/tableview.h"

#include <QAction>
#include <QApplication>
#include <QFileDialog>
#include <QLabel>
#include <QLocale>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QMimeData>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QWindow>

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
        ASSERT_NE(form.Bar(i), nullptr);
        EXPECT_EQ(form.Bar(i)->windowTitle(), titles.at(i));
        EXPECT_TRUE(form.Bar(i)->isVisible());
        const bool sides = form.Bar(i)->isAreaAllowed(Qt::LeftToolBarArea) ||
                           form.Bar(i)->isAreaAllowed(Qt::RightToolBarArea);
        EXPECT_EQ(sides, i < 2) << titles.at(i).toStdString();
    }
    EXPECT_EQ(form.minimumSize(), QSize(725, 200));
    EXPECT_EQ(form.size(), QSize(739, 539));

    auto *menus = form.findChild<QMenuBar *>(QStringLiteral("mmMain"));
    ASSERT_NE(menus, nullptr);
    QStringList captions;
    for (QAction *menu : menus->actions())
        captions << menu->text();
    EXPECT_EQ(captions, QStringList({"&Файл", "&Вид", "&Режимы работы", "&Слова и функции",
                                     "&Отладка", "&Инструменты", "&Помощь"}));

    EXPECT_EQ(Names(form.Bar(1)->actions()),
              QStringList({"acOpenFile", "acDiagramm", "acTable",  "acFullTable", "acParedTable",
                           "acTyreData", "acIWord",    "acOWord",  "acGWord",     "acFuncG",
                           "acFuncF",    "acFuncM",    "acFuncP",  "acFuncV",     "acFuncS",
                           "acViewCNT",  "acComment",  "acParams", "acEditQor",   "acHexEdit",
                           "acExit"}));
    const desk::MainActions &a = form.Actions();
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
         {form.RunBar()->Pusk(), form.RunBar()->Solid(), form.RunBar()->Debug(),
          form.RunBar()->Zond(), form.RunBar()->Cycles()}) {
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
    const desk::MainActions &a = form.Actions();
    const desk::InfoPanel &info = *form.InfoPanel();
    for (const char *name :
         {"lbFileAdapter", "lbSystem", "lbCycles", "lbStartTact", "lbErrors", "lbTestName"})
        EXPECT_EQ(info.Label(name)->text(), QStringLiteral("?")) << name;
    EXPECT_EQ(form.windowTitle(), QStringLiteral("Quorvik"));
    EXPECT_EQ(info.VisibleTestTabs(), 0);
    EXPECT_TRUE(a.openFile->isEnabled());
    EXPECT_TRUE(a.exit->isEnabled());
    for (QAction *action : {a.diagramm, a.table, a.saveFile, a.iWord, a.comment, a.pusk,
                            a.fullTable, a.incScale, a.zond, a.editQor})
        EXPECT_FALSE(action->isEnabled()) << action->objectName().toStdString();
    EXPECT_FALSE(form.RunBar()->Pusk()->isEnabled());
    EXPECT_FALSE(form.DiagramView()->isVisible());
    EXPECT_FALSE(form.TableView()->isVisible());

    ASSERT_TRUE(form.OpenFile(Demo()));
    EXPECT_EQ(form.windowTitle(), QStringLiteral("DEMO.QOR - Quorvik"));
    EXPECT_EQ(info.VisibleTestTabs(), 3);
    EXPECT_TRUE(info.Tab(desk::InfoPanel::kAllTab)->isVisible());
    EXPECT_FALSE(info.Tab(3)->isVisible());
    EXPECT_EQ(info.PressedTab(), 0);
    EXPECT_EQ(info.Label("lbFileAdapter")->text(), QStringLiteral("DEMO.CNT"));
    EXPECT_TRUE(info.Label("lbFileAdapter")->toolTip().startsWith("Файл контакта: \""));
    EXPECT_EQ(info.Label("lbSystem")->text(), QStringLiteral("16"));
    EXPECT_EQ(info.Label("lbCycles")->text(), QStringLiteral("2"));
    EXPECT_EQ(info.Label("lbTestName")->text(), QStringLiteral("Шина данных"));
    EXPECT_TRUE(form.DiagramView()->isVisible());
    EXPECT_TRUE(a.diagramm->isChecked());
    EXPECT_TRUE(a.incScale->isEnabled());
    EXPECT_FALSE(a.fullTable->isEnabled()) << "table forms only with the table shown";
    EXPECT_FALSE(a.zond->isEnabled()) << "probe mode only in debug mode";
    EXPECT_TRUE(a.editQor->isEnabled());
    EXPECT_TRUE(form.RunBar()->Pusk()->isEnabled());
    EXPECT_EQ(form.StartDirectory(), QFileInfo(Demo()).absolutePath());

    form.ShowTable();
    EXPECT_TRUE(form.TableView()->isVisible());
    EXPECT_FALSE(form.DiagramView()->isVisible());
    EXPECT_TRUE(a.fullTable->isEnabled());
    EXPECT_FALSE(a.incScale->isEnabled());
    EXPECT_GT(form.TableView()->RowCount(), 1);

    // A failed load leaves the document empty and the information unknown.
    EXPECT_FALSE(form.OpenFile(QStringLiteral("/nonexistent/NONE.QOR")));
    EXPECT_EQ(info.Label("lbCycles")->text(), QStringLiteral("?"));
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
    ASSERT_TRUE(QTest::qWaitFor([&] { return mesbo->Count() > 0; }, 5000));
    ASSERT_EQ(mesbo->Count(), 1u);
    EXPECT_EQ(mesbo->ShownMessages().front().text, Msg(0));
    EXPECT_EQ(mesbo->ShownMessages().front().flags, MbError);
    EXPECT_TRUE(form.Document().Doc().FileName.empty());

    form.OpenDroppedFiles({demo});
    EXPECT_EQ(form.Document().Doc().NTest, 3) << "exactly one dropped file opens";
    EXPECT_EQ(form.RecentFiles().value(0), demo);
}

// The title of the shown remote-control window; empty when there is none
// (a role that ends destroys its window).
QString RemoteWindowTitle()
{
    for (QWidget *window : QApplication::topLevelWidgets())
        if (window->objectName() == QStringLiteral("fmRemote"))
            return window->isVisible() ? window->windowTitle() : QStringLiteral("(hidden)");
    return {};
}

TEST_F(Desk, AFileNameWithALowerCaseServerSwitchOpensTheFile)
{
    const auto line = TBaseForm::ParseCommandLine(
        {"quorvik", "A.QOR", "\\remoteserver", "--Remote-Client", "B.QOR"});
    EXPECT_EQ(line.file, QStringLiteral("B.QOR"));
    EXPECT_TRUE(line.remoteServer);
    EXPECT_TRUE(line.remoteClient);
    EXPECT_FALSE(TBaseForm::ParseCommandLine({"quorvik", "\\REMOTESERVERX"}).remoteServer);

    TBaseForm &form = Window();
    const QString demo = Demo();
    form.StartFromCommandLine({"quorvik", demo, "\\remoteserver"});
    EXPECT_TRUE(form.Document().Doc().FileName.empty()) << "the file opens after 10 ms";
    QV_EXPECT_EQ_SOON(form.Document().Doc().NTest, 3);
    EXPECT_EQ(form.StartDirectory(), QFileInfo(demo).absolutePath());
    // A window made on its own still takes the server role and shows it.
    QV_EXPECT_SOON(RemoteWindowTitle() == QStringLiteral("Удаленное управление - сервер"));
}

// Start-up leaves what can wait (the quiet connection to the unit) until
// the command line's file is open and the window painted with it.
TEST_F(Desk, WorkThatCanWaitRunsOnceTheCommandLinesFileIsOpenAndTheWindowPainted)
{
    TBaseForm &form = Window();
    form.show();
    int ran = 0;
    int testsWhenRun = -1;
    bool exposedWhenRun = false;
    form.StartFromCommandLine({"quorvik", Demo()}, [&] {
        RunAfterFirstPaint(form, [&] {
            ++ran;
            testsWhenRun = form.Document().Doc().NTest;
            exposedWhenRun = form.windowHandle() && form.windowHandle()->isExposed();
        });
    });
    EXPECT_EQ(ran, 0);
    QV_EXPECT_EQ_SOON(ran, 1);
    EXPECT_EQ(testsWhenRun, 3);
    EXPECT_TRUE(exposedWhenRun);
    QTest::qWait(50);
    EXPECT_EQ(ran, 1) << "the work runs once";
}

// A window that is never painted still gets the work, after the latest
// wait; one that goes first drops it.
TEST_F(Desk, WorkThatCanWaitRunsForAnUnpaintedWindowAndNotForOneThatWent)
{
    QWidget hidden;
    int ran = 0;
    RunAfterFirstPaint(
        hidden, [&] { ++ran; }, 30);
    EXPECT_EQ(ran, 0);
    QV_EXPECT_EQ_SOON(ran, 1);
    int dropped = 0;
    {
        QWidget gone;
        RunAfterFirstPaint(
            gone, [&] { ++dropped; }, 10);
    }
    QTest::qWait(50);
    EXPECT_EQ(dropped, 0);
}

TEST_F(Desk, RecentFilesKeepTheNineLastOpenedMostRecentFirst)
{
    TBaseForm &form = Window();
    QStringList opened;
    for (int i = 0; i < 10; ++i) {
        opened.prepend(Demo("copy" + std::to_string(i)));
        ASSERT_TRUE(form.OpenFile(opened.front()));
    }
    ASSERT_TRUE(form.OpenFile(opened.at(3))) << "an entry opened again moves to the top";
    opened.move(3, 0);
    EXPECT_EQ(form.RecentFiles(), opened.mid(0, 9));
    const QMenu *menu = form.Actions().recentFiles;
    EXPECT_EQ(menu->title(), QStringLiteral("Последние файлы"));
    ASSERT_EQ(menu->actions().size(), 9);
    EXPECT_TRUE(menu->actions().front()->text().endsWith(opened.front()));
    menu->actions().at(2)->trigger();
    EXPECT_EQ(QString::fromStdString(form.Document().Doc().FileName), opened.at(2));
}

TEST_F(Desk, RemoteCommandsOpenTheRoleWindowEvenWithoutAttachedRemoteControl)
{
    TBaseForm &form = WindowWithDemo();
    mesbo->Clear();
    const desk::MainActions &a = form.Actions();
    // No remote control was attached to this window: the command still
    // opens the role's window, and the same command closes it again (after
    // the window's question).
    const struct
    {
        QAction *action;
        QString title;
    } roles[] = {{a.remoteClient, QStringLiteral("Удаленное управление - клиент")},
                 {a.remoteServer, QStringLiteral("Удаленное управление - сервер")}};
    for (const auto &role : roles) {
        role.action->trigger();
        EXPECT_EQ(RemoteWindowTitle(), role.title);
        mesbo->QueueAnswer(MbYes); // the window's close question
        role.action->trigger();
        QV_EXPECT_SOON(RemoteWindowTitle().isEmpty()); // the role ended with its window
    }
    EXPECT_TRUE(form.Document().Doc().FileName.empty()) << "a role starts with no file open";
}

TEST_F(Desk, ListCommandsRefuseWithTheCatalogueTextsFirst)
{
    TBaseForm &form = WindowWithDemo();
    const desk::MainActions &a = form.Actions();
    mesbo->Clear();
    form.SelectTest(TBaseForm::kAllTests);
    a.iWord->trigger();
    EXPECT_EQ(Messages().back(), Msg(37));
    form.SelectTest(2);
    const STest *third = form.Document().Test(2);
    ASSERT_NE(third, nullptr);
    if (third->FFuncs.Count() == 0) {
        a.funcF->trigger();
        EXPECT_EQ(Messages().back(), Msg(38));
    }
    // With words to show, the list window opens.
    mesbo->Clear();
    ModalWatch<lists::TfmIWord> watch([](lists::TfmIWord &) {});
    a.iWord->trigger();
    EXPECT_TRUE(watch.Seen());
    EXPECT_EQ(mesbo->Count(), 0u);
}

TEST_F(Desk, AFileWithoutANumberBaseTicksNeitherBaseAndShowsItsZero)
{
    TBaseForm &form = WindowWithDemo();
    EXPECT_TRUE(form.Actions().sys16->isChecked());
    EXPECT_FALSE(form.Actions().sys8->isChecked());
    {
        // The demo saved with no number base, as a file without the SYS
        // key reads.
        NullDocumentObserver observer;
        ScriptedFileUi ui;
        TQuorvik other(observer, ui);
        ASSERT_TRUE(other.LoadFile(Demo("nobase").toStdString()));
        other.Doc().Sys = 0;
        ASSERT_TRUE(other.SaveFile());
    }
    ASSERT_TRUE(form.OpenFile(Demo("nobase")));
    ASSERT_EQ(form.Document().Doc().Sys, 0);
    EXPECT_FALSE(form.Actions().sys16->isChecked());
    EXPECT_FALSE(form.Actions().sys8->isChecked());
    EXPECT_EQ(form.InfoPanel()->Label("lbSystem")->text(), QStringLiteral("0"));
}

TEST_F(Desk, ATestWhoseTactsUseNoWordsShowsTheTableHeaderAndSaysWhy)
{
    TBaseForm &form = WindowWithDemo();
    form.resize(900, 700);
    form.ShowTable();
    TableView &table = *form.TableView();
    ASSERT_GT(table.RowCount(), 5);
    EXPECT_TRUE(table.Note().isEmpty()) << "the first test's tacts use words";
    table.SetTopRow(4); // scrolled down in a test with many rows

    form.SelectTest(1); // functions only
    ASSERT_TRUE(table.isVisible());
    ASSERT_EQ(table.RowCount(), 1);
    EXPECT_EQ(table.TopRow(), 0);
    EXPECT_FALSE(table.CellRect(0, 0).isEmpty()) << "the header row is shown";
    EXPECT_EQ(table.Cell(0, 0), QStringLiteral("цикл"));
    EXPECT_EQ(table.Note(), QString::fromUtf8(TableView::kNoWordsNote));
    // The note is painted below the header.
    const QImage shot = table.viewport()->grab().toImage();
    const int below = table.CellRect(0, 0).bottom() + 4;
    bool inked = false;
    for (int y = below; y < std::min(shot.height(), below + 40) && !inked; ++y)
        for (int x = 0; x < shot.width() && !inked; ++x)
            inked = qGray(shot.pixel(x, y)) < 100;
    EXPECT_TRUE(inked) << "some text below the header";

    form.SelectTest(0);
    EXPECT_TRUE(table.Note().isEmpty());
}

TEST_F(Desk, AllTestsLeaveNoViewOfAnEarlierTest)
{
    TBaseForm &form = WindowWithDemo();
    form.ShowTable();
    ASSERT_TRUE(form.TableView()->isVisible());
    ASSERT_GT(form.Document().TableView().RowCount(), 1);

    form.SelectTest(TBaseForm::kAllTests);
    EXPECT_FALSE(form.TableView()->isVisible());
    EXPECT_FALSE(form.DiagramView()->isVisible());
    EXPECT_EQ(form.Document().TableView().RowCount(), 1) << "only the header is left";
    EXPECT_EQ(form.Document().DiagramShape().tactCount, 0);
    EXPECT_FALSE(form.Actions().table->isChecked());
    EXPECT_FALSE(form.Actions().diagramm->isChecked());

    // A test brings back the view last used, with that test in it.
    form.SelectTest(2);
    EXPECT_TRUE(form.TableView()->isVisible());
    EXPECT_EQ(form.Document().TableView().Cell(ColOutputName, 1).rfind("o1 ", 0), 0u)
        << form.Document().TableView().Cell(ColOutputName, 1);
}

TEST_F(Desk, TheOpenDialogSpeaksRussian)
{
    auto &app = *static_cast<QuorvikApplication *>(QCoreApplication::instance());
    ASSERT_TRUE(app.InstallToolkitTranslations()) << "the toolkit's translations are installed";
    TBaseForm &form = Window();
    QString lookIn, fileName;
    QStringList buttons;
    bool seen = false;
    QTimer::singleShot(0, &form, [&] {
        auto *dialog = qobject_cast<QFileDialog *>(QApplication::activeModalWidget());
        if (!dialog)
            return;
        seen = true;
        if (auto *label = dialog->findChild<QLabel *>(QStringLiteral("lookInLabel")))
            lookIn = label->text();
        if (auto *label = dialog->findChild<QLabel *>(QStringLiteral("fileNameLabel")))
            fileName = label->text();
        for (const QPushButton *button : dialog->findChildren<QPushButton *>())
            buttons << button->text();
        dialog->reject();
    });
    form.Actions().openFile->trigger();
    // A message with details offers them in Russian; the locale is Russian
    // whatever the system's.
    const QLocale locale;
    QMessageBox details(QMessageBox::Critical, QStringLiteral("Ошибка"), QStringLiteral("Текст"));
    details.setDetailedText(QStringLiteral("Подробности"));
    QStringList detailButtons;
    for (const QAbstractButton *button : details.findChildren<QAbstractButton *>())
        detailButtons << button->text();
    app.RemoveToolkitTranslations();
    QLocale::setDefault(QLocale::c());
    EXPECT_EQ(locale.language(), QLocale::Russian);
    EXPECT_FALSE(detailButtons.filter(QStringLiteral("Показать")).isEmpty())
        << detailButtons.join(", ").toStdString();
    EXPECT_TRUE(detailButtons.filter(QStringLiteral("Details")).isEmpty());
    ASSERT_TRUE(seen);
    EXPECT_FALSE(lookIn.isEmpty());
    EXPECT_NE(lookIn, QStringLiteral("Look in:"));
    EXPECT_NE(fileName, QStringLiteral("File &name:"));
    EXPECT_TRUE(buttons.contains(QStringLiteral("Отмена"))) << buttons.join(", ").toStdString();
    EXPECT_FALSE(buttons.contains(QStringLiteral("Cancel")));
}

TEST_F(Desk, TheViewsRefuseAllTestsWithAWarning)
{
    TBaseForm &form = WindowWithDemo();
    mesbo->Clear();
    form.SelectTest(TBaseForm::kAllTests);
    EXPECT_EQ(form.Document().CurrentTest(), -1);
    EXPECT_EQ(form.InfoPanel()->Label("lbCycles")->text(), QStringLiteral("-"));
    EXPECT_EQ(form.InfoPanel()->Label("lbStartTact")->text(), QStringLiteral("-"));
    EXPECT_EQ(form.InfoPanel()->Label("lbTestName")->text(), QString());
    EXPECT_FALSE(form.Actions().editQor->isEnabled());
    form.Actions().table->trigger();
    ASSERT_EQ(mesbo->Count(), 1u);
    EXPECT_EQ(Messages().front(), "Просмотр таблицы/диаграммы возможен только для одного теста");
    EXPECT_EQ(mesbo->ShownMessages().front().flags, MbWarning);
    EXPECT_FALSE(form.Actions().table->isChecked());
    EXPECT_FALSE(form.TableView()->isVisible());
}

} // namespace
} // namespace qv::testing
