// The manual and the about box as the operator reaches them.

#include "infra/version.h"
#include "model/document/quorvik.h"
#include "support/ui/deskfixture.h"
#include "support/ui/modalanswer.h"
#include "ui/help/aboutwindow.h"
#include "ui/help/helpwindow.h"
#include "ui/run/runwindow.h"
#include "ui/settings/paramswindow.h"

#include <QDir>
#include <QKeyEvent>
#include <QLabel>
#include <QRegularExpression>
#include <QTest>
#include <QTextBrowser>
#include <openssl/crypto.h>

namespace qv::testing {
namespace {

using help::THelpWindow;

class Help : public DeskFixture
{
protected:
    static THelpWindow *OpenHelpOf(QWidget &window) { return window.findChild<THelpWindow *>(); }
};

TEST_F(Help, TheManualAndItsPicturesComeWithTheBuild)
{
    const QString manual = help::ManualDirectory();
    ASSERT_FALSE(manual.isEmpty());
    for (const char *page : {"index.html", "main.html", "run.html", "settings.html",
                             "functions.html", "files.html", "calibration.html", "qortool.html"})
        EXPECT_TRUE(QFileInfo::exists(manual + QLatin1Char('/') + QLatin1String(page))) << page;
    for (const char *picture : {"diagram.png", "table.png"}) {
        const QImage image(manual + QLatin1Char('/') + QLatin1String(picture));
        EXPECT_FALSE(image.isNull()) << picture;
        EXPECT_GT(image.width(), 100) << picture;
    }
}

TEST_F(Help, TheContentsCommandOpensTheContentsAndF1ThePageOfTheMainWindow)
{
    TBaseForm &form = WindowWithDemo();
    form.activateWindow();
    form.Actions().help->trigger();
    THelpWindow *contents = OpenHelpOf(form);
    ASSERT_NE(contents, nullptr);
    EXPECT_EQ(contents->CurrentPage(), QStringLiteral("index.html"));
    contents->close();
    QTest::qWait(0);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    ASSERT_EQ(OpenHelpOf(form), nullptr);

    QKeyEvent f1(QEvent::KeyPress, Qt::Key_F1, Qt::NoModifier);
    QApplication::sendEvent(&form, &f1);
    THelpWindow *window = OpenHelpOf(form);
    ASSERT_NE(window, nullptr);
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(window->CurrentPage(), QStringLiteral("main.html"));
    EXPECT_TRUE(window->Browser()->toPlainText().contains(QStringLiteral("Главное окно")));
    // The operator's letter keys are told there.
    EXPECT_TRUE(window->Browser()->toPlainText().contains(QStringLiteral("режим зонда")));
    // The picture takes the window's width, and follows it.
    window->resize(1000, 700);
    QTest::qWait(0);
    const int wide = window->PictureWidth(QStringLiteral("diagram.png"));
    window->resize(500, 700);
    QTest::qWait(0);
    const int narrow = window->PictureWidth(QStringLiteral("diagram.png"));
    EXPECT_GT(wide, narrow);
    EXPECT_LE(narrow, window->Browser()->viewport()->width());
    EXPECT_GT(wide, 600) << "wider than the page asks for when the window is";
    // The page's picture was found and laid out.
    EXPECT_TRUE(window->Browser()
                    ->document()
                    ->resource(QTextDocument::ImageResource, QUrl(QStringLiteral("diagram.png")))
                    .isValid());
    EXPECT_TRUE(mesbo->ShownMessages().empty());
}

TEST_F(Help, EachWindowAsksForItsOwnPage)
{
    TBaseForm &form = Window();
    settings::TfmParams params(TSettings(), TesterSettings(), false, false, 0, &form);
    params.show();
    QKeyEvent f1(QEvent::KeyPress, Qt::Key_F1, Qt::NoModifier);
    QApplication::sendEvent(params.Pages(), &f1);
    THelpWindow *settingsHelp = params.findChild<THelpWindow *>();
    ASSERT_NE(settingsHelp, nullptr) << "F1 in the settings window";
    EXPECT_EQ(settingsHelp->CurrentPage(), QStringLiteral("settings.html"));

    run::TfmPusk run(form.Document(), {}, &form);
    run.show();
    QApplication::sendEvent(&run, &f1);
    THelpWindow *runHelp = run.findChild<THelpWindow *>();
    ASSERT_NE(runHelp, nullptr) << "F1 in the run window";
    EXPECT_EQ(runHelp->CurrentPage(), QStringLiteral("run.html"));
    QWidget function;
    function.setObjectName(QStringLiteral("fmFuncF"));
    function.setProperty(help::kHelpPageProperty, QStringLiteral("functions.html"));
    function.show();
    QApplication::sendEvent(&function, &f1);
    THelpWindow *functionHelp = function.findChild<THelpWindow *>();
    ASSERT_NE(functionHelp, nullptr);
    EXPECT_EQ(functionHelp->CurrentPage(), QStringLiteral("functions.html"));
    QWidget other;
    EXPECT_EQ(help::HelpPageFor(&other), QStringLiteral("index.html"));
}

TEST_F(Help, TheAboutBoxShowsVersionBuildDateAndLibraryVersions)
{
    TBaseForm &form = Window();
    QStringList shown;
    ModalAnswers answers;
    answers.Then<help::TfmAbout>([&shown](help::TfmAbout &about) {
        EXPECT_EQ(about.windowTitle(), QStringLiteral("О программе"));
        for (const QLabel *label : about.findChildren<QLabel *>())
            shown << label->text();
        about.accept();
    });
    answers.Start();
    form.Actions().about->trigger();
    EXPECT_TRUE(shown.contains(QStringLiteral("Версия ") + QString::fromLatin1(kProductVersion)));
    EXPECT_TRUE(shown.contains(QStringLiteral("Qt ") + QString::fromLatin1(qVersion())));
    EXPECT_TRUE(shown.contains(QString::fromLatin1(OpenSSL_version(OPENSSL_VERSION))));
    const QStringList dates = shown.filter(QStringLiteral("Дата сборки: "));
    ASSERT_EQ(dates.size(), 1);
    EXPECT_TRUE(QRegularExpression(QStringLiteral("^Дата сборки: \\d\\d\\.\\d\\d\\.\\d{4}$"))
                    .match(dates.front())
                    .hasMatch())
        << dates.front().toStdString();
    EXPECT_EQ(help::TfmAbout::BuildDate("Dec  1 2026"), QStringLiteral("01.12.2026"));
    EXPECT_EQ(help::TfmAbout::BuildDate("May 31 2027"), QStringLiteral("31.05.2027"));
    EXPECT_TRUE(mesbo->ShownMessages().empty()) << "no \"not available\" notice";
}

} // namespace
} // namespace qv::testing
