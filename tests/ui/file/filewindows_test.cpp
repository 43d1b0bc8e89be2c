// The password dialog, the log and file-errors windows and the file
// properties, driven through the main window as the operator meets them.

#include "infra/messages.h"
#include "model/document/quorvik.h"
#include "model/file/container.h"
#include "model/file/crypto.h"
#include "model/file/testfile.h"
#include "support/model/testfiles.h"
#include "support/ui/deskfixture.h"
#include "support/ui/modalanswer.h"
#include "support/ui/qtwait.h"
#include "ui/desk/windowfileui.h"
#include "ui/file/fileerrorswindow.h"
#include "ui/file/logwindow.h"
#include "ui/file/passworddialog.h"
#include "ui/file/propertieswindow.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTest>

namespace qv::testing {
namespace {

using file::TfmPassword;

class FileWindows : public DeskFixture
{
protected:
    FileWindows() { WriteBytes(dir.File("BOARD.CNT"), MakeContactFile({"K1", "K2", "K3", "K4"})); }

    // A two-test file with the given access flags and passwords.
    QString Protected(std::uint8_t flags, const std::string &read, const std::string &write)
    {
        ContainerPlan plan;
        plan.general = GeneralText(2);
        plan.tests = {TestText("Тест 1"), TestText("Тест 2")};
        plan.flags = flags;
        plan.readPassword = read;
        plan.writePassword = write;
        WriteBytes(dir.File("BOARD.QOR"), MakeContainer(plan));
        return QString::fromStdString(dir.File("BOARD.QOR"));
    }

    // Key presses carrying each character (the test library's key clicks
    // know Latin letters only).
    static void TypeInto(QWidget *field, const QString &text)
    {
        for (const QChar c : text) {
            QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString(c));
            QApplication::sendEvent(field, &press);
        }
    }
    // Types into the password dialog and presses OK.
    static std::function<void(TfmPassword &)> Type(const QString &text)
    {
        return [text](TfmPassword &dialog) {
            TypeInto(dialog.Entry(), text);
            dialog.findChild<QPushButton *>(QStringLiteral("btOk"))->click();
        };
    }
    static void Cancel(TfmPassword &dialog)
    {
        dialog.findChild<QPushButton *>(QStringLiteral("btCancel"))->click();
    }
};

TEST_F(FileWindows, WrongReadPasswordTwiceThenTheRightOneOpensTheFile)
{
    TBaseForm &form = Window();
    const QString path = Protected(kFlagReadPassword, "секрет", "");
    mesbo->QueueAnswer(MbRetry);
    mesbo->QueueAnswer(MbRetry);
    ModalAnswers answers;
    QString shownText;
    answers
        .Then<TfmPassword>([&shownText](TfmPassword &dialog) {
            for (const QLabel *label : dialog.findChildren<QLabel *>())
                shownText += label->text() + QLatin1Char('\n');
            Type(QStringLiteral("неверно"))(dialog);
        })
        .Then<TfmPassword>([](TfmPassword &dialog) {
            // Retry emptied the field.
            EXPECT_TRUE(dialog.Entry()->text().isEmpty());
            Type(QStringLiteral("секре"))(dialog);
        })
        .Then<TfmPassword>(Type(QStringLiteral("секрет")));
    answers.Start();
    ASSERT_TRUE(form.OpenFile(path));
    EXPECT_TRUE(answers.Done());
    EXPECT_EQ(form.Document().Doc().NTest, 2);
    const auto shown = mesbo->ShownMessages();
    ASSERT_GE(shown.size(), 2u);
    EXPECT_EQ(shown[0].text, Msg(30));
    EXPECT_EQ(shown[0].flags, MbErrorRetryCancel);
    EXPECT_TRUE(shownText.contains(QStringLiteral("Максимальная длина пароля - 32  символ.")));
    EXPECT_TRUE(shownText.contains(QStringLiteral("Файл: \"BOARD.QOR\"")));
    EXPECT_TRUE(shownText.contains(
        QStringLiteral("Данный файл имеет ограничение на чтение. Для продолжения загрузки "
                       "необходимо ввести пароль на чтение.")));
}

TEST_F(FileWindows, CancellingTheReadPasswordStopsTheLoadWithoutALogWindow)
{
    TBaseForm &form = Window();
    const QString path = Protected(kFlagReadPassword, "секрет", "");
    mesbo->QueueAnswer(MbCancel);
    ModalAnswers answers;
    answers.Then<TfmPassword>(Type(QStringLiteral("мимо")));
    answers.Start();
    EXPECT_FALSE(form.OpenFile(path));
    EXPECT_EQ(form.findChild<file::TfmLog *>(), nullptr);
    EXPECT_EQ(form.Document().Doc().NTest, 0);
}

TEST_F(FileWindows, AThirtyThirdCharacterIsRefusedAndThirtyTwoAreUsedAsTheyAre)
{
    const std::string password(32, 'x');
    TBaseForm &form = Window();
    const QString path = Protected(kFlagReadPassword, password, "");
    ModalAnswers answers;
    answers.Then<TfmPassword>([](TfmPassword &dialog) {
        QTest::keyClicks(dialog.Entry(), QString(33, QLatin1Char('x')));
        EXPECT_EQ(dialog.Entry()->text().size(), 32);
        EXPECT_EQ(dialog.Entry()->echoMode(), QLineEdit::Password);
        dialog.findChild<QPushButton *>(QStringLiteral("btOk"))->click();
    });
    answers.Start();
    EXPECT_TRUE(form.OpenFile(path));
    EXPECT_EQ(mesbo->Count(), 0u) << "no wrong-password message";
}

TEST_F(FileWindows, CancelledWritePasswordLeavesTheFileUntouchedAndTheNextSaveAsksAgain)
{
    TBaseForm &form = Window();
    const QString path = Protected(kFlagWritePassword, "", "запись");
    ASSERT_TRUE(form.OpenFile(path));
    const std::string before = ReadBytes(path.toStdString());
    TTestFile &testFile = *form.Document().TestFile();
    const Bytes32 check = testFile.WriteCheck();

    int asked = 0;
    ModalAnswers cancel;
    cancel.Then<TfmPassword>([&asked](TfmPassword &dialog) {
        ++asked;
        Cancel(dialog);
    });
    cancel.Start();
    EXPECT_FALSE(testFile.Save(nullptr));
    EXPECT_EQ(ReadBytes(path.toStdString()), before);
    EXPECT_EQ(testFile.WriteCheck(), check);

    mesbo->QueueAnswer(MbCancel);
    ModalAnswers wrong;
    wrong.Then<TfmPassword>([&asked](TfmPassword &dialog) {
        ++asked;
        Type(QStringLiteral("чтение"))(dialog);
    });
    wrong.Start();
    EXPECT_FALSE(testFile.Save(nullptr));
    EXPECT_EQ(ReadBytes(path.toStdString()), before);
    EXPECT_EQ(testFile.WriteCheck(), check);

    ModalAnswers right;
    right.Then<TfmPassword>([&asked](TfmPassword &dialog) {
        ++asked;
        EXPECT_TRUE(dialog.findChildren<QLabel *>().size() > 0);
        Type(QStringLiteral("запись"))(dialog);
    });
    right.Start();
    EXPECT_TRUE(testFile.Save(nullptr));
    EXPECT_EQ(asked, 3);
    EXPECT_EQ(testFile.WriteCheck(), check);
    EXPECT_NE(ReadBytes(path.toStdString()), before);
}

TEST_F(FileWindows, APasswordCharacterWithoutAWindows1251ByteIsAWrongPassword)
{
    TBaseForm &form = Window();
    const QString path = Protected(kFlagReadPassword | kFlagWritePassword, "секрет", "запись");
    mesbo->QueueAnswer(MbRetry);
    ModalAnswers answers;
    answers.Then<TfmPassword>(Type(QStringLiteral("секрет☃")))
        .Then<TfmPassword>(Type(QStringLiteral("секрет")));
    answers.Start();
    ASSERT_TRUE(form.OpenFile(path));
    EXPECT_TRUE(answers.Done());
    ASSERT_FALSE(mesbo->ShownMessages().empty());
    EXPECT_EQ(mesbo->ShownMessages()[0].text, Msg(30));

    // The write password the same way: wrong, and the file stays as it was.
    const std::string before = ReadBytes(path.toStdString());
    mesbo->Clear();
    mesbo->QueueAnswer(MbCancel);
    ModalAnswers write;
    write.Then<TfmPassword>(Type(QStringLiteral("запись☃")));
    write.Start();
    EXPECT_FALSE(form.Document().TestFile()->Save(nullptr));
    EXPECT_TRUE(write.Done());
    EXPECT_EQ(mesbo->ShownMessages().size(), 1u);
    EXPECT_EQ(mesbo->ShownMessages()[0].text, Msg(30));
    EXPECT_EQ(ReadBytes(path.toStdString()), before);
}

TEST_F(FileWindows, ABrokenFileShowsTheLoadLogWithItsErrorLineInRed)
{
    TBaseForm &form = Window();
    WriteBytes(dir.File("BROKEN.QOR"), std::string(300, 'z'));
    EXPECT_FALSE(form.OpenFile(QString::fromStdString(dir.File("BROKEN.QOR"))));
    auto *log = form.findChild<file::TfmLog *>();
    ASSERT_NE(log, nullptr);
    EXPECT_TRUE(log->isVisible());
    const QString title = log->windowTitle();
    const QString heading = log->Heading()->text();
    QString label;
    for (const QLabel *l : log->findChildren<QLabel *>())
        label += l->text() + QLatin1Char('|');
    std::vector<std::pair<QString, QColor>> lines;
    for (int i = 0; i < log->Lines()->count(); ++i)
        lines.emplace_back(log->Lines()->item(i)->text(),
                           log->Lines()->item(i)->foreground().color());
    EXPECT_EQ(title, QStringLiteral("Загрузка файла..."));
    EXPECT_EQ(heading, QStringLiteral("При загрузке файла были обнаружены ошибки. Дальнейшая "
                                      "загрузка файла прекращена."));
    EXPECT_TRUE(label.contains(QStringLiteral("Лог загрузки:")));
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0].first, QString::fromStdString(Msg(20)));
    EXPECT_EQ(lines[0].second, QColor(Qt::red));
    // The line shows whole, and the list grows with the window.
    const QRect row = log->Lines()->visualItemRect(log->Lines()->item(0));
    EXPECT_LE(row.bottom(), log->Lines()->viewport()->height());
    EXPECT_GE(row.height(), log->Lines()->fontMetrics().height());
    const int before = log->Lines()->height();
    log->resize(log->width(), log->height() + 120);
    QV_EXPECT_SOON(log->Lines()->height() >= before + 100);
}

TEST_F(FileWindows, TheSaveLogMarksWarningsBlueAndScrollsBeyondTenLines)
{
    std::string log;
    for (int i = 0; i < 12; ++i)
        log += "строка " + std::to_string(i) + (i == 0 ? kLogWarning : kLogError) + "\r\n";
    log += "\r\n";
    file::TfmLog window(LogKind::Save, "/a/very/long/folder/name/FILE.QOR", log);
    window.show();
    EXPECT_EQ(window.windowTitle(), QStringLiteral("Запись файла..."));
    ASSERT_EQ(window.Lines()->count(), 12);
    EXPECT_EQ(window.Lines()->item(0)->foreground().color(), QColor(Qt::blue));
    EXPECT_EQ(window.Lines()->item(1)->foreground().color(), QColor(Qt::red));
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    // Rows as tall as the style makes them: ten of them whole.
    const int row = window.Lines()->visualItemRect(window.Lines()->item(0)).height();
    EXPECT_GE(window.Lines()->viewport()->height(), 10 * row) << "ten rows whole";
}

TEST_F(FileWindows, AnEditorErrorLogIsListedInTheFileErrorsWindowAndTheFileIsNotOpened)
{
    TBaseForm &form = Window();
    ContainerPlan plan;
    plan.general = GeneralText(1, "BOARD.CNT", {"FLOGERROR=первая\x07вторая"});
    plan.tests = {TestText("Тест 1")};
    WriteBytes(dir.File("ERRORS.QOR"), MakeContainer(plan));
    EXPECT_FALSE(form.OpenFile(QString::fromStdString(dir.File("ERRORS.QOR"))));
    auto *window = form.findChild<file::TfmFileErrors *>();
    ASSERT_NE(window, nullptr);
    const QString title = window->windowTitle();
    QStringList rows;
    for (int i = 0; i < window->Lines()->count(); ++i)
        rows << window->Lines()->item(i)->text();
    EXPECT_EQ(title, QStringLiteral("Журнал ошибок"));
    EXPECT_EQ(rows, (QStringList{QStringLiteral("первая"), QStringLiteral("вторая")}));
}

TEST_F(FileWindows, ThePropertiesShowTheFileAndItsRestrictionsReadOnly)
{
    TBaseForm &form = Window();
    ASSERT_TRUE(form.OpenFile(Protected(kFlagWritePassword, "", "w")));
    ModalAnswers answers;
    bool seen = false;
    answers.Then<file::TfmFileProperties>([&](file::TfmFileProperties &window) {
        seen = true;
        EXPECT_EQ(window.windowTitle(), QStringLiteral("Свойства файла"));
        EXPECT_FALSE(window.TestFileGroup()->isHidden());
        EXPECT_FALSE(window.TitleField()->isEnabled());
        EXPECT_FALSE(window.ReadRestricted()->isChecked());
        EXPECT_TRUE(window.WriteRestricted()->isChecked());
        EXPECT_FALSE(window.WriteRestricted()->isEnabled());
        EXPECT_FALSE(window.CntCreatedLabel()->text().isEmpty());
        QTest::keyClick(&window, Qt::Key_Escape);
    });
    answers.Start();
    form.Actions().fileInfo->trigger();
    EXPECT_TRUE(seen);
}

TEST_F(FileWindows, WithoutAFileOnlyTheContactGroupIsShown)
{
    SCnt cnt;
    cnt.Created = 45000.5;
    file::TfmFileProperties window(nullptr, cnt, kFlagReadPassword);
    window.show();
    EXPECT_TRUE(window.TestFileGroup()->isHidden());
    EXPECT_FALSE(window.ReadRestricted()->isChecked());
    EXPECT_FALSE(window.CntCreatedLabel()->text().isEmpty());
}

TEST_F(FileWindows, TheNoticeIsShownWhileAFileLoadsAndHiddenAfter)
{
    TBaseForm &form = Window();
    desk::WindowFileUi ui(&form, {});
    ui.ShowNotice("Выполняется чтение файла. Ждите...");
    ASSERT_NE(ui.Notice(), nullptr);
    EXPECT_EQ(ui.Notice()->text(), QStringLiteral("Выполняется чтение файла. Ждите..."));
    ui.HideNotice();
    EXPECT_EQ(ui.Notice(), nullptr);
}

} // namespace
} // namespace qv::testing
