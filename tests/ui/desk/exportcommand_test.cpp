// "Экспорт…" of the main window's file menu: the current test written as
// VCD or CSV through the save dialog, a failed write shown and no file left.

#include "model/document/quorvik.h"
#include "support/ui/deskfixture.h"
#include "ui/desk/exportcommand.h"

#include <QAction>
#include <QMenu>
#include <filesystem>

namespace qv::testing {
namespace {

using Export = DeskFixture;

TEST_F(Export, TheFileMenuExportsTheCurrentTestInTheChosenFormat)
{
    TBaseForm &form = Window();
    desk::ExportCommand *command = form.ExportCommand();
    ASSERT_NE(command, nullptr);
    QAction *action = command->Action();
    EXPECT_EQ(action->text(), QStringLiteral("Экспорт…"));
    auto *file = form.findChild<QMenu *>(QStringLiteral("mnFile"));
    ASSERT_NE(file, nullptr);
    EXPECT_TRUE(file->actions().contains(action));
    emit file->aboutToShow();
    EXPECT_FALSE(action->isEnabled()) << "no file open";
    EXPECT_FALSE(command->Run());

    ASSERT_TRUE(form.OpenFile(Demo()));
    form.SelectTest(2);
    QString suggested;
    command->SetPathChooser([&](const QString &proposal, QString *filter) {
        suggested = proposal;
        *filter = QString::fromUtf8(desk::ExportCommand::kCsvFilter);
        return QString::fromStdString(dir.File("table"));
    });
    emit file->aboutToShow(); // the menu opens
    EXPECT_TRUE(action->isEnabled());
    action->trigger();
    EXPECT_TRUE(suggested.endsWith(QStringLiteral("DEMO_test3.vcd"))) << suggested.toStdString();
    const std::string csv = ReadBytes(dir.File("table.csv"));
    EXPECT_TRUE(csv.starts_with("тест,цикл,слово,имя,такт,эталон,прочитано,результат\r\n")) << csv;
    EXPECT_NE(csv.find("\r\n3,4,o1,"), std::string::npos) << csv; // test 3 has 4 cycles

    command->SetPathChooser(
        [&](const QString &, QString *) { return QString::fromStdString(dir.File("t3.VCD")); });
    EXPECT_TRUE(command->Run());
    EXPECT_TRUE(ReadBytes(dir.File("t3.VCD")).starts_with("$date"));
    // Each export ends with a word of where the file went.
    EXPECT_EQ(Messages(),
              (std::vector<std::string>{"Тест 3 записан в файл " + dir.File("table.csv"),
                                        "Тест 3 записан в файл " + dir.File("t3.VCD")}));
}

TEST_F(Export, AWriteThatFailsIsShownAndLeavesNoFile)
{
    TBaseForm &form = WindowWithDemo();
    const std::string target = dir.File("missing/folder/t.vcd");
    form.ExportCommand()->SetPathChooser(
        [&](const QString &, QString *) { return QString::fromStdString(target); });
    EXPECT_FALSE(form.ExportCommand()->Run());
    ASSERT_EQ(Messages().size(), 1u);
    EXPECT_NE(Messages().front().find("не удалось записать файл"), std::string::npos)
        << Messages().front();
    EXPECT_FALSE(std::filesystem::exists(target));

    // Cancelling the dialog writes nothing and says nothing.
    form.ExportCommand()->SetPathChooser([](const QString &, QString *) { return QString(); });
    EXPECT_FALSE(form.ExportCommand()->Run());
    EXPECT_EQ(Messages().size(), 1u);
}

} // namespace
} // namespace qv::testing
