// The main window's settings, comment window, status picture and failures.

#include "execution/desk/desksession.h"
#include "infra/encoding.h"
#include "infra/fatalerror.h"
#include "infra/messages.h"
#include "infra/notice.h"
#include "model/document/quorvik.h"
#include "support/ui/deskfixture.h"
#include "support/ui/failingobject.h"
#include "support/ui/qtwait.h"
#include "ui/application.h"
#include "ui/desk/commentwindow.h"
#include "ui/desk/runbar.h"
#include "ui/desk/statuspicture.h"
#include "ui/fatalwindow.h"
#include "ui/views/diagramview.h"

#include <QComboBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <algorithm>
#include <stdexcept>
#include <thread>

namespace qv::testing {
namespace {

using DeskSettings = DeskFixture;

TEST_F(DeskSettings, GEWordColour255PaintsTheEndLettersRedAndMinusOneKeepsADefault)
{
    // Option "Показывать окно комментариев при открытии файла" (default 1)
    // at -1 keeps its default: the demo's comments come up on open.
    WriteSettings("[Цвета]\r\nСлово GE=255\r\n[Общие]\r\n"
                  "Показывать окно комментариев при открытии файла=-1\r\n");
    TBaseForm &form = WindowWithDemo();
    ASSERT_NE(form.CommentWindow(), nullptr);
    EXPECT_TRUE(form.CommentWindow()->isVisible());
    EXPECT_EQ(form.CommentWindow()->CurrentSlot(), TfmComment::kFileSlot);

    // The first test's tact 19 is the end of a G-cycle: its header letter "E".
    DiagramView &view = *form.DiagramView();
    ASSERT_EQ(view.Cell(20, 0), QStringLiteral("E"));
    const QImage shot = view.viewport()->grab().toImage();
    EXPECT_TRUE(HasRedText(shot, view.CellRect(20, 0)));
    EXPECT_FALSE(HasRedText(shot, view.CellRect(19, 0))) << "the \"o\" beside it is not red";
}

TEST_F(DeskSettings, EscInTheMainWindowOrInTheCommentWindowPutsTheCommentsAway)
{
    TBaseForm &form = WindowWithDemo();
    ASSERT_NE(form.CommentWindow(), nullptr);
    ASSERT_TRUE(form.CommentWindow()->isVisible());
    form.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&form));
    QTest::keyClick(&form, Qt::Key_Escape);
    EXPECT_FALSE(form.CommentWindow()->isVisible());
    EXPECT_TRUE(form.isVisible());

    form.Actions().comment->trigger();
    ASSERT_TRUE(form.CommentWindow()->isVisible());
    form.CommentWindow()->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(form.CommentWindow()));
    QWidget *focus = form.CommentWindow()->focusWidget();
    QTest::keyClick(focus != nullptr ? focus : form.CommentWindow(), Qt::Key_Escape);
    EXPECT_FALSE(form.CommentWindow()->isVisible());
}

TEST_F(DeskSettings, SettingsAndPlacementsRoundTripThroughTheClose)
{
    WriteSettings("[Общие]\r\nАвтоподбор ширины столбцов диаграммы при открытии файла=1\r\n");
    {
        TBaseForm &form = WindowWithDemo();
        form.move(40, 30);
        form.close();
    }
    window.reset();
    ASSERT_TRUE(store.Save(nullptr));
    SettingsStore again(dir.File("quorvik.cfg"), dir.File("quorvik.ini"));
    again.SetNotices(MessageBoxNotices());
    ASSERT_TRUE(again.Load(nullptr, false));
    EXPECT_EQ(again.Settings(), store.Settings());
    EXPECT_EQ(again.Settings().Option(TSettings::OptFitColumnsOnOpen), 1);
    EXPECT_EQ(again.Settings().RecentFiles.size(), 1u);
    EXPECT_EQ(again.Settings().StartDirectory, QFileInfo(Demo()).absolutePath().toStdString());
    EXPECT_TRUE(again.Placements().Geometry("BaseForm").has_value());
    EXPECT_TRUE(again.Placements().ToolBarState("BaseForm").has_value());
    EXPECT_TRUE(again.Placements().Geometry("fmComment").has_value());
}

TEST_F(DeskSettings, TheCommentWindowIsOneInstanceAndSavesOnlyWithEditingAllowed)
{
    TBaseForm &form = WindowWithDemo();
    TfmComment *comments = form.CommentWindow();
    ASSERT_NE(comments, nullptr);
    EXPECT_TRUE(comments->Editor()->isReadOnly());
    EXPECT_TRUE(comments->Text().contains(QStringLiteral("Демонстрационная плата")));
    form.SelectTest(1);
    EXPECT_EQ(form.CommentWindow(), comments) << "one instance";
    mesbo->Clear();
    QTest::mouseClick(comments->SaveButton(), Qt::LeftButton);
    ASSERT_EQ(mesbo->Count(), 1u);
    EXPECT_EQ(Messages().front(), Msg(55) + "\r\nДля записи активируйте параметр \"Разрешить "
                                            "изменять комментарии к тесту/файлу\"");
    const std::string before = ReadBytes(dir.Path() / "demo" / "DEMO.TXT");

    form.Document().SetDisplaySwitch(TSettings::OptAllowCommentEdit, 1);
    form.SelectTest(0);
    form.Actions().comment->trigger();
    EXPECT_FALSE(comments->Editor()->isReadOnly());
    EXPECT_EQ(comments->CurrentSlot(), 1);
    comments->Editor()->setPlainText(QStringLiteral("Новый комментарий к первому тесту"));
    QTest::mouseClick(comments->SaveButton(), Qt::LeftButton);
    const std::string after = Cp1251ToUtf8(ReadBytes(dir.Path() / "demo" / "DEMO.TXT"));
    EXPECT_NE(after, Cp1251ToUtf8(before));
    EXPECT_NE(after.find("Новый комментарий к первому тесту"), std::string::npos);
    EXPECT_NE(after.find("Демонстрационная плата"), std::string::npos)
        << "the file's comment stays";

    // Opening another file closes the window and forgets its test.
    ASSERT_TRUE(form.OpenFile(Demo("second")));
    EXPECT_NE(comments->CurrentSlot(), 1);
}

TEST_F(DeskSettings, StatusPicturesComeFromAnyThreadAndTheHintStaysNarrow)
{
    TBaseForm &form = Window();
    desk::StatusRelay relay;
    QObject::connect(&relay, &desk::StatusRelay::PictureChanged, &form,
                     &TBaseForm::SetStatusPicture);
    std::thread poller([&relay] {
        relay.ShowStatusPicture(StatusPictureFor(UnitStatus::Connected, false, "ARM 1.2"));
    });
    poller.join();
    desk::StatusPictureLabel &label = *form.RunBar()->Status();
    EXPECT_EQ(label.Code(), UnitStatus::NotShown) << "nothing happens off the main thread";
    QV_EXPECT_SOON(label.Code() == UnitStatus::Connected);
    EXPECT_EQ(label.HintText(), QStringLiteral("МК: подключен\r\nARM 1.2"));
    EXPECT_FALSE(label.pixmap().isNull());
    // Every status the monitor can show has a picture and a hint for both
    // unit types, and no two statuses of a type look alike.
    for (const bool dos : {true, false}) {
        std::vector<QImage> images;
        for (const UnitStatus code : {UnitStatus::NoConnection, UnitStatus::Connected,
                                      UnitStatus::Checking, UnitStatus::Busy, UnitStatus::Remote}) {
            const StatusPicture picture = StatusPictureFor(code, dos, "");
            const QImage image = desk::StatusImage(picture.resource);
            EXPECT_FALSE(image.isNull()) << picture.resource;
            EXPECT_FALSE(picture.hint.empty()) << picture.resource;
            EXPECT_EQ(std::count(images.begin(), images.end(), image), 0) << picture.resource;
            images.push_back(image);
        }
    }
    EXPECT_TRUE(StatusPictureFor(UnitStatus::NotShown, true, "").resource.empty());

    // The hint window follows the mouse over the picture.
    QEnterEvent enter(QPointF(2, 2), QPointF(2, 2), QPointF(2, 2));
    QCoreApplication::sendEvent(&label, &enter);
    ASSERT_NE(label.HintWindow(), nullptr);
    EXPECT_TRUE(label.HintWindow()->isVisible());
    EXPECT_EQ(label.HintWindow()->text(), QStringLiteral("МК: подключен\nARM 1.2"));
    QEvent leave(QEvent::Leave);
    QCoreApplication::sendEvent(&label, &leave);
    EXPECT_FALSE(label.HintWindow()->isVisible());

    mesbo->Clear();
    EXPECT_FALSE(label.SetPicture(UnitStatus::NoConnection, QStringLiteral("STATUS_NONE"),
                                  QStringLiteral("x")));
    ASSERT_EQ(mesbo->Count(), 1u);
    EXPECT_EQ(Messages().front(), "Не удалось загрузить ресурс \"STATUS_NONE\"");

    desk::StatusHintWindow hint;
    hint.ShowAt(form, QString(600, QLatin1Char('w')) + QStringLiteral(" конец"));
    EXPECT_LE(hint.width(), desk::StatusHintWindow::kMaxWidth);
    EXPECT_EQ(hint.x(), form.frameGeometry().left() + 3);
    EXPECT_EQ(hint.geometry().bottom(), form.frameGeometry().bottom() - 7);
}

TEST_F(DeskSettings, TheWholeDeskPollsTheSimulatedUnitAndStopsAtTheWindowsClose)
{
    const std::string cfg = dir.File("desk.cfg");
    WriteBytes(cfg, Utf8ToCp1251("[Блок диагностики]\r\nВремя опроса (сек)=2\r\n"));
    std::filesystem::create_directories(dir.Path() / "lock");
    desk::StatusRelay relay;
    DeskSession::Options options;
    options.notices = MessageBoxNotices();
    options.observer = &relay;
    options.lockDirectory = (dir.Path() / "lock").string();
    options.timing.step = std::chrono::milliseconds(10);
    options.timing.checkPause = std::chrono::milliseconds(10);
    options.timing.periodUnit = std::chrono::milliseconds(10);
    DeskSession session(SettingsStore(cfg, dir.File("desk.ini")), options);
    session.Tester().SetObserver(&relay);
    ASSERT_TRUE(session.Start("Quorvik"));
    {
        TBaseForm form(&session.Store(), &session);
        QObject::connect(&relay, &desk::StatusRelay::PictureChanged, &form,
                         &TBaseForm::SetStatusPicture);
        form.show();
        ASSERT_TRUE(form.OpenFile(Demo()));
        QV_EXPECT_SOON_WITHIN(form.RunBar()->Status()->Code() == UnitStatus::Connected, 10000);
        EXPECT_TRUE(form.RunBar()->Status()->HintText().contains(QStringLiteral("подключен")));
        form.close();
        EXPECT_FALSE(session.Started()) << "the close stops the session";
    }
    session.Tester().SetObserver(nullptr);
    const std::string saved = Cp1251ToUtf8(ReadBytes(cfg));
    EXPECT_NE(saved.find("MRU1=" + Demo().toStdString()), std::string::npos);
    EXPECT_NE(Cp1251ToUtf8(ReadBytes(dir.File("desk.ini"))).find("[BaseForm]"), std::string::npos);
}

TEST_F(DeskSettings, TwoFailuresAppendTwoBlocksAndContinuingLeavesTheDocumentOpen)
{
    TBaseForm &form = WindowWithDemo();
    auto *app = qobject_cast<QuorvikApplication *>(QCoreApplication::instance());
    ASSERT_NE(app, nullptr);
    const auto log = dir.Path() / "Exception.log";
    WriteBytes(log, "earlier content\r\n");
    bool closed = false;
    TExcept handler(log, &TfmMsgException::Ask);
    handler.SetCloseCallback([&closed] { closed = true; });
    app->SetFailureHandler(&handler);
    FailingObject failing;
    for (int i = 0; i < 2; ++i) {
        // The operator presses "&Продолжить работу" in the failure window.
        QTimer::singleShot(50, [] {
            auto *box = qobject_cast<TfmMsgException *>(QApplication::activeModalWidget());
            if (box)
                box->ContinueButton()->click();
        });
        QEvent event(QEvent::User);
        QCoreApplication::sendEvent(&failing, &event);
    }
    app->SetFailureHandler(nullptr);
    EXPECT_FALSE(closed);
    const std::string text = ReadBytes(log);
    EXPECT_EQ(text.rfind("earlier content\r\n", 0), 0u);
    std::size_t blocks = 0;
    for (std::size_t at = text.find(std::string(63, '~')); at != std::string::npos;
         at = text.find(std::string(63, '~'), at + 63))
        ++blocks;
    EXPECT_EQ(blocks, 2u);
    EXPECT_NE(text.find(Utf8ToCp1251("Exception message: сбой обработчика")), std::string::npos);
    EXPECT_EQ(form.Document().Doc().NTest, 3);
    EXPECT_TRUE(form.isVisible());
}

// Under a real display (xvfb-run with QT_QPA_PLATFORM=xcb) this writes a
// picture of the window with the demo board to QORVIK_SCREENSHOT.
TEST_F(DeskSettings, ScreenshotOfTheDemoBoardWhenAsked)
{
    const QString path = qEnvironmentVariable("QORVIK_SCREENSHOT");
    if (path.isEmpty())
        GTEST_SKIP() << "QORVIK_SCREENSHOT not set";
    TBaseForm &form = WindowWithDemo();
    if (form.CommentWindow())
        form.CommentWindow()->close();
    QTest::qWait(300);
    ASSERT_TRUE(form.grab().save(path));
    // And the table in debug mode beside it.
    form.ShowTable();
    form.ToggleDebug();
    QTest::qWait(100);
    QString second = path;
    second.replace(QStringLiteral(".png"), QStringLiteral("-debug.png"));
    ASSERT_TRUE(form.grab().save(second));
}

} // namespace
} // namespace qv::testing
