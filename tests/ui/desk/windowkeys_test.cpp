// Esc and Enter where a hand expects them, and the menu letters: the
// windows driven through their keys as the operator does.

#include "execution/link/simlink.h"
#include "execution/port/portavo.h"
#include "execution/port/testerport.h"
#include "infra/notice.h"
#include "model/document/quorvik.h"
#include "selftest/selftestwindow.h"
#include "sim/board.h"
#include "sim/unit.h"
#include "splitbytes/splitwindow.h"
#include "support/ui/deskfixture.h"
#include "support/ui/modalwatch.h"
#include "support/ui/qtwait.h"
#include "ui/help/helpwindow.h"
#include "ui/questions/functionquestion.h"
#include "ui/run/mprogresswindow.h"

#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QSet>
#include <QTest>
#include <QTextBrowser>

namespace qv::testing {
namespace {

using WindowKeys = DeskFixture;

// Shows a window and makes it the active one, so keys reach it.
void ShowActive(QWidget &window)
{
    window.show();
    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
}

// Esc pressed where the keyboard focus is (the window when nothing in it
// has the focus).
void PressEsc(QWidget &window)
{
    QWidget *focus = window.focusWidget();
    QTest::keyClick(focus != nullptr ? focus : &window, Qt::Key_Escape);
}

TEST_F(WindowKeys, EscClosesTheMFunctionProgressTheHelpAndTheHelperProgramsWindows)
{
    run::TfmMProgress progress;
    ShowActive(progress);
    PressEsc(progress);
    EXPECT_FALSE(progress.isVisible()) << "Отработка M-функции:";

    const QString manual = help::ManualDirectory();
    ASSERT_FALSE(manual.isEmpty());
    help::THelpWindow helpWindow(manual, QString::fromLatin1(help::kContentsPage));
    ShowActive(helpWindow);
    helpWindow.Browser()->setFocus();
    PressEsc(helpWindow);
    EXPECT_FALSE(helpWindow.isVisible()) << "help";

    qvsplit::SplitWindow splitter;
    ShowActive(splitter);
    splitter.findChild<QLineEdit *>(QStringLiteral("edData"))->setFocus();
    PressEsc(splitter);
    EXPECT_FALSE(splitter.isVisible()) << "byte splitter";

    std::string error;
    const auto board = sim::ParseBoard("", &error);
    ASSERT_TRUE(board) << error;
    auto unit = std::make_shared<sim::SimulatedUnit>(*board);
    TCP tester;
    tester.SetNotices(MessageBoxNotices());
    ASSERT_TRUE(tester.Create("Диагностика системы", [unit](const std::string &) {
        return std::make_shared<Portavo>(std::make_unique<SimLink>(unit), "sim");
    }));
    qvselftest::SelfTestWindow selfTest(tester, QStringLiteral("sim"),
                                        QString::fromStdString(dir.File("report.txt")));
    ShowActive(selfTest);
    auto *checks = selfTest.findChild<QListWidget *>(QStringLiteral("lbChecks"));
    ASSERT_NE(checks, nullptr);
    QV_EXPECT_SOON(checks->count() > 0);
    PressEsc(selfTest);
    EXPECT_FALSE(selfTest.isVisible()) << "self-test";
}

TEST_F(WindowKeys, TheByteSplitterAsksForTheFilesItIsNotGiven)
{
    qvsplit::SplitWindow splitter;
    ShowActive(splitter);
    auto *status = splitter.findChild<QLabel *>(QStringLiteral("lbStatus"));
    ASSERT_NE(status, nullptr);
    QTest::mouseClick(splitter.findChild<QPushButton *>(QStringLiteral("btSplit")), Qt::LeftButton);
    EXPECT_EQ(status->text(), QStringLiteral("Укажите файл данных (16 бит)"));
    QTest::mouseClick(splitter.findChild<QPushButton *>(QStringLiteral("btJoin")), Qt::LeftButton);
    EXPECT_EQ(status->text(), QStringLiteral("Укажите файл данных (16 бит)"));

    auto *low = splitter.findChild<QLineEdit *>(QStringLiteral("edLow"));
    auto *high = splitter.findChild<QLineEdit *>(QStringLiteral("edHigh"));
    auto *data = splitter.findChild<QLineEdit *>(QStringLiteral("edData"));
    data->setText(QString::fromStdString(dir.File("a.bin")));
    low->clear();
    high->setText(QString::fromStdString(dir.File("a_H.bin")));
    QTest::mouseClick(splitter.findChild<QPushButton *>(QStringLiteral("btSplit")), Qt::LeftButton);
    EXPECT_EQ(status->text(), QStringLiteral("Укажите файл младших байт (L)"));
    low->setText(high->text());
    QTest::mouseClick(splitter.findChild<QPushButton *>(QStringLiteral("btSplit")), Qt::LeftButton);
    EXPECT_EQ(status->text(),
              QStringLiteral("Файлы данных, младших и старших байт должны быть разными"));
}

TEST_F(WindowKeys, EnterAfterInfoInAQuestionAnswersYes)
{
    TQuorvik &doc = WindowWithDemo().Document();
    const std::vector<std::uint8_t> record{2, 1, 1, 0, 0, 0, 0, 0, 1, 2, 14, 0};
    std::vector<std::pair<char, int>> opened;
    ModalWatch<questions::TfmFuncAsk> watch([&](questions::TfmFuncAsk &w) {
        ASSERT_TRUE(QTest::qWaitForWindowActive(&w));
        QTest::mouseClick(w.InfoButton(), Qt::LeftButton);
        ASSERT_NE(w.focusWidget(), nullptr);
        EXPECT_EQ(w.focusWidget(), w.YesButton());
        QTest::keyClick(w.focusWidget(), Qt::Key_Return);
    });
    const int answer = questions::AskFunctionQuestion(
        doc, QuestionKind::MFunction, record,
        [&](int, char kind, int number) { opened.emplace_back(kind, number); }, window.get());
    EXPECT_TRUE(watch.Seen());
    EXPECT_EQ(opened, (std::vector<std::pair<char, int>>{{'M', 1}})) << "инфо opened the list once";
    EXPECT_EQ(answer, 1) << "Enter pressed \"Да\"";
}

TEST_F(WindowKeys, EveryTopMenuHasALetterOfItsOwnAndAltWithItOpensThatMenu)
{
    TBaseForm &form = Window();
    auto *menus = form.findChild<QMenuBar *>(QStringLiteral("mmMain"));
    ASSERT_NE(menus, nullptr);
    QSet<QString> letters;
    for (QAction *menu : menus->actions()) {
        const QString text = menu->text();
        const auto amp = text.indexOf(QLatin1Char('&'));
        ASSERT_GE(amp, 0) << text.toStdString() << " has no letter";
        const QString letter = text.mid(amp + 1, 1).toUpper();
        EXPECT_FALSE(letters.contains(letter))
            << text.toStdString() << " repeats " << letter.toStdString();
        letters.insert(letter);
    }

    // Each letter in a window of its own, as a hand comes to the program.
    for (int at = 0; at < menus->actions().size(); ++at) {
        TBaseForm fresh(&store, nullptr);
        ShowActive(fresh);
        auto *bar = fresh.findChild<QMenuBar *>(QStringLiteral("mmMain"));
        ASSERT_NE(bar, nullptr);
        QAction *menu = bar->actions().at(at);
        if (!menu->isEnabled())
            continue; // "Отладка" waits for debug mode
        const QString text = menu->text();
        const QChar letter = text.at(text.indexOf(QLatin1Char('&')) + 1).toUpper();
        QTest::sendKeyEvent(QTest::Click, &fresh, static_cast<Qt::Key>(letter.unicode()),
                            QString(letter.toLower()), Qt::AltModifier);
        EXPECT_TRUE(QTest::qWaitFor([&] { return menu->menu()->isVisible(); }, 2000))
            << "Alt+" << QString(letter).toStdString();
        menu->menu()->close();
    }
}

} // namespace
} // namespace qv::testing
