// The main window's services driven from its commands: the probe menu, the
// close of secondary windows, the input hooks, the data editor and the byte
// splitter.

#include "infra/messages.h"
#include "model/document/quorvik.h"
#include "support/ui/deskfixture.h"
#include "support/ui/modalanswer.h"
#include "ui/services/dataeditor.h"
#include "ui/services/helperprograms.h"
#include "ui/services/inputhooks.h"
#include "ui/services/mainservices.h"
#include "ui/services/probenamedialog.h"
#include "ui/services/secondarywindows.h"
#include "ui/settings/paramswindow.h"
#include "ui/views/diagramview.h"

#include <QAction>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <filesystem>

namespace qv::testing {
namespace {

class Services : public DeskFixture
{
protected:
    ~Services() override { services::SetHelperProgramDirectory({}); }

    // The demo's first test in debug mode, probe rows shown.
    TBaseForm &DebugWindow()
    {
        TBaseForm &form = WindowWithDemo();
        form.ToggleDebug();
        EXPECT_TRUE(form.Document().ProbeMode());
        mesbo->Clear();
        return form;
    }
    std::vector<SZond> &Entries(TBaseForm &form)
    {
        STest &test = *form.Document().CurrentTestRecord();
        return test.Probes[static_cast<std::size_t>(test.ActiveCycle)];
    }
    int Current(TBaseForm &form)
    {
        STest &test = *form.Document().CurrentTestRecord();
        return test.ProbeFlags[static_cast<std::size_t>(test.ActiveCycle)];
    }
    // An executable shell script in the temporary folder.
    std::string Script(const std::string &name, const std::string &body)
    {
        const std::string path = dir.File(name);
        WriteBytes(path, "#!/bin/sh\n" + body + "\n");
        std::filesystem::permissions(path, std::filesystem::perms::owner_all);
        return path;
    }
    // Whether file `path` comes to hold `text` (another process writes it).
    static ::testing::AssertionResult Eventually(const std::string &path, const std::string &text)
    {
        if (QTest::qWaitFor([&] { return ReadBytes(path) == text; }, 10000))
            return ::testing::AssertionSuccess();
        return ::testing::AssertionFailure()
               << path << " holds \"" << ReadBytes(path) << "\", not \"" << text << "\"";
    }
};

TEST_F(Services, AddedProbesTakeTheFirstFreeNumberAndGrowTheDiagram)
{
    TBaseForm &form = DebugWindow();
    ASSERT_EQ(Entries(form).size(), 1u);
    const int rows = form.DiagramView()->RowCount();
    const std::size_t tacts = Entries(form).front().Reference.size();

    form.Actions().zondAdd->trigger();
    ASSERT_EQ(Entries(form).size(), 2u);
    EXPECT_EQ(Entries(form)[1].Name, "Зонд1");
    EXPECT_EQ(form.DiagramView()->RowCount(), rows + 1);

    // With "Зонд1" taken the next two are 2 and 3.
    form.Actions().zondAdd->trigger();
    form.Actions().zondAdd->trigger();
    ASSERT_EQ(Entries(form).size(), 4u);
    EXPECT_EQ(Entries(form)[2].Name, "Зонд2");
    EXPECT_EQ(Entries(form)[3].Name, "Зонд3");
    const SZond &added = Entries(form)[3];
    EXPECT_EQ(added.Reference, std::string(tacts, 'x'));
    EXPECT_EQ(added.Measured, std::string(tacts, 'x'));
    EXPECT_FALSE(added.On);
    EXPECT_EQ(added.Mark, -1);
    EXPECT_EQ(Current(form), 3) << "the new probe is the current one";
    EXPECT_EQ(form.DiagramView()->RowCount(), rows + 3);

    // A gap left by a deleted probe is filled first.
    STest &test = *form.Document().CurrentTestRecord();
    test.ProbeFlags[static_cast<std::size_t>(test.ActiveCycle)] = 2;
    form.Actions().zondDel->trigger();
    form.Actions().zondAdd->trigger();
    EXPECT_EQ(Entries(form).back().Name, "Зонд2");
    EXPECT_TRUE(Messages().empty());
}

TEST_F(Services, DeletingRefusesTheFirstProbeAndStepsBackFromTheLast)
{
    TBaseForm &form = DebugWindow();
    const int rows = form.DiagramView()->RowCount();

    // A single entry: both deletes refuse with message 42.
    form.Actions().zondDel->trigger();
    form.Actions().zondDelAll->trigger();
    EXPECT_EQ(Messages(), (std::vector<std::string>{Msg(42), Msg(42)}));
    mesbo->Clear();

    form.Actions().zondAdd->trigger();
    form.Actions().zondAdd->trigger();
    ASSERT_EQ(Entries(form).size(), 3u);

    // The last of three deleted: the second becomes current.
    form.Actions().zondDel->trigger();
    ASSERT_EQ(Entries(form).size(), 2u);
    EXPECT_EQ(Entries(form)[1].Name, "Зонд1");
    EXPECT_EQ(Current(form), 1);
    EXPECT_EQ(form.DiagramView()->RowCount(), rows + 1);

    // The first probe is refused with 62 and nothing changes.
    STest &test = *form.Document().CurrentTestRecord();
    test.ProbeFlags[static_cast<std::size_t>(test.ActiveCycle)] = 0;
    form.Actions().zondDel->trigger();
    EXPECT_EQ(Messages(), std::vector<std::string>{Msg(62)});
    EXPECT_EQ(Entries(form).size(), 2u);

    // "Удалить все зонды": the first stays, switched off and current.
    Entries(form)[0].On = true;
    test.ProbeFlags[static_cast<std::size_t>(test.ActiveCycle)] = 1;
    form.Actions().zondAdd->trigger();
    form.Actions().zondDelAll->trigger();
    ASSERT_EQ(Entries(form).size(), 1u);
    EXPECT_EQ(Entries(form)[0].Name, "Зонд");
    EXPECT_FALSE(Entries(form)[0].On);
    EXPECT_EQ(Current(form), 0);
    EXPECT_EQ(form.DiagramView()->RowCount(), rows);
}

TEST_F(Services, RenamingKeepsTheDefaultNameAndRefusesEmptyReservedAndTakenNames)
{
    TBaseForm &form = DebugWindow();
    form.Actions().zondName->trigger();
    EXPECT_EQ(Messages(), std::vector<std::string>{Msg(59)}) << "the first probe keeps its name";
    mesbo->Clear();

    form.Actions().zondAdd->trigger();
    form.Actions().zondAdd->trigger(); // "Зонд2" is current
    const auto typeAndOk = [](const QString &name) {
        return [name](services::TfmZondName &window) {
            window.NameEdit()->setText(name);
            window.accept();
        };
    };
    ModalAnswers answers;
    answers.Then<services::TfmZondName>([&](services::TfmZondName &window) {
        for (const QString &name : {QString(), QStringLiteral("Зонд"), QStringLiteral("Зонд1")})
            typeAndOk(name)(window);
        EXPECT_TRUE(window.isVisible()) << "refused names keep the window open";
        typeAndOk(QStringLiteral("U7 вывод 3"))(window);
    });
    answers.Start();
    form.Actions().zondName->trigger();
    EXPECT_TRUE(answers.Done());
    EXPECT_EQ(Messages(), (std::vector<std::string>{Msg(3), Msg(58) + "Зонд\"", Msg(57)}));
    EXPECT_EQ(Entries(form)[2].Name, "U7 вывод 3");
    EXPECT_EQ(Entries(form)[1].Name, "Зонд1");
}

TEST_F(Services, OpeningAFileClosesSecondaryWindowsButNotThoseThatStay)
{
    TBaseForm &form = WindowWithDemo();
    QWidget secondary;
    secondary.setWindowTitle(QStringLiteral("Список слов"));
    secondary.show();
    QWidget remote;
    remote.setWindowTitle(QStringLiteral("Удаленное управление"));
    services::SetStaysOnReset(remote);
    remote.show();
    ASSERT_TRUE(form.OpenFile(Demo()));
    EXPECT_FALSE(secondary.isVisible());
    EXPECT_TRUE(remote.isVisible());
    EXPECT_TRUE(form.isVisible());
}

TEST_F(Services, InputHooksReportButtonPressesOnlyWhileInstalled)
{
    TBaseForm &form = Window();
    auto *button = new QPushButton(QStringLiteral("Пуск"), &form);
    button->setObjectName(QStringLiteral("btTarget"));
    button->setGeometry(10, 300, 80, 24);
    button->show();
    services::InputHooks &hooks = form.Services().InputHooks();
    QSignalSpy pressed(&hooks, &services::InputHooks::Pressed);

    QTest::mouseClick(button, Qt::LeftButton);
    EXPECT_EQ(pressed.count(), 0) << "not installed yet";

    hooks.Install();
    hooks.Install();
    QTest::mouseClick(button, Qt::LeftButton);
    QTest::mouseClick(button, Qt::RightButton);
    ASSERT_EQ(pressed.count(), 2) << "one report per press, installed twice or not";
    EXPECT_EQ(pressed.at(0).at(0).value<QObject *>(), button);
    EXPECT_EQ(pressed.at(1).at(1).value<Qt::MouseButton>(), Qt::RightButton);
    QTest::keyClick(button, Qt::Key_A);
    EXPECT_EQ(pressed.count(), 2) << "keys pass unreported";

    hooks.Remove();
    QTest::mouseClick(button, Qt::LeftButton);
    EXPECT_EQ(pressed.count(), 2);
}

TEST_F(Services, TheDataEditorIsTheSettingsCommandAndItsFailuresAreReported)
{
    TBaseForm &form = Window();
    const std::string marker = dir.File("editor-ran");
    form.SettingsStore().Settings().DataEditor =
        Script("hexed",
               "echo \"$@\" > '" + marker + ".part'; mv '" + marker + ".part' '" + marker + "'") +
        " --flag";
    form.Actions().hexEdit->trigger();
    EXPECT_TRUE(Eventually(marker, "--flag\n"));
    EXPECT_TRUE(Messages().empty());

    // The P-function window's way: a data file beside the test file.
    const QString demo = Demo();
    std::filesystem::remove(marker);
    EXPECT_TRUE(services::OpenDataEditorOn(form.SettingsStore().Settings().DataEditor,
                                           demo.toStdString(), "prom.dat"));
    const std::string data =
        (std::filesystem::path(demo.toStdString()).parent_path() / "prom.dat").string();
    EXPECT_TRUE(Eventually(marker, "--flag " + data + "\n"));
    EXPECT_FALSE(services::OpenDataEditorOn("", demo.toStdString(), "<не задано>"));
    EXPECT_FALSE(services::OpenDataEditorOn("", demo.toStdString(), "нет.dat"));
    EXPECT_EQ(Messages(), (std::vector<std::string>{Msg(9), "Файл данных \"нет.dat\" не найден"}));
    mesbo->Clear();

    // A command that cannot start: message 61 with the launch parameters.
    form.SettingsStore().Settings().DataEditor = dir.File("нет-такого-редактора");
    form.Actions().hexEdit->trigger();
    ASSERT_EQ(Messages().size(), 1u);
    EXPECT_EQ(Messages().front().rfind(
                  Msg(61) + "\nПараметры запуска:\n" + dir.File("нет-такого-редактора"), 0),
              0u)
        << Messages().front();
    mesbo->Clear();

    // No setting and nothing installed: message 60.
    const QByteArray path = qgetenv("PATH");
    qputenv("PATH", dir.Path().c_str());
    form.SettingsStore().Settings().DataEditor.clear();
    form.Actions().hexEdit->trigger();
    qputenv("PATH", path);
    EXPECT_EQ(Messages(), std::vector<std::string>{Msg(60)});
}

TEST_F(Services, TheDataEditorCommandIsSetInTheSettingsWindow)
{
    TBaseForm &form = Window();
    ModalAnswers answers;
    answers.Then<settings::TfmParams>([](settings::TfmParams &window) {
        EXPECT_TRUE(window.DataEditorField()->text().isEmpty());
        window.DataEditorField()->setText(QStringLiteral("  ghex --new  "));
        window.accept();
    });
    answers.Start();
    form.Actions().params->trigger();
    ASSERT_TRUE(answers.Done());
    EXPECT_EQ(form.SettingsStore().Settings().DataEditor, "ghex --new");
}

TEST_F(Services, TheByteSplitterIsStartedBesideTheProgramOrTheFailureNamesItsPath)
{
    TBaseForm &form = Window();
    services::SetHelperProgramDirectory(QString::fromStdString(dir.File("nowhere")));
    form.Actions().splitBytes->trigger();
    ASSERT_EQ(mesbo->Count(), 1u);
    EXPECT_EQ(Messages().front(), "Не удалось запустить программу");
    EXPECT_EQ(mesbo->ShownMessages().front().caption,
              "Параметры запуска: " + dir.File("nowhere") + "/quorvik-splitbytes");

    const std::string marker = dir.File("splitter-ran");
    std::filesystem::create_directories(dir.Path() / "bin");
    Script("bin/quorvik-splitbytes",
           "pwd > '" + marker + ".part'; mv '" + marker + ".part' '" + marker + "'");
    services::SetHelperProgramDirectory(QString::fromStdString(dir.File("bin")));
    form.Actions().splitBytes->trigger();
    EXPECT_TRUE(Eventually(marker, dir.File("bin") + "\n"));
    EXPECT_EQ(mesbo->Count(), 1u);
}

TEST_F(Services, NoServiceCommandSaysItIsNotAvailable)
{
    TBaseForm &form = DebugWindow();
    services::SetHelperProgramDirectory(QString::fromStdString(dir.File("nowhere")));
    form.SettingsStore().Settings().DataEditor = dir.File("nowhere/hexed");
    const desk::MainActions &a = form.Actions();
    for (QAction *action : {a.zondAdd, a.zondDel, a.zondDelAll, a.zondName, a.editQor, a.hexEdit,
                            a.splitBytes, a.bodrin})
        action->trigger();
    for (const std::string &text : Messages())
        EXPECT_EQ(text.find("пока недоступно"), std::string::npos) << text;
    EXPECT_GE(Messages().size(), 4u) << "each failing start said why";
}

TEST_F(Services, StartUpNamesTheHelperProgramsThatAreMissingOnce)
{
    services::SetHelperProgramDirectory(qEnvironmentVariable("QORVIK_BINARY_DIR") +
                                        QStringLiteral("/bin"));
    EXPECT_TRUE(services::CheckHelperPrograms());
    EXPECT_EQ(mesbo->Count(), 0u);

    std::filesystem::create_directories(dir.Path() / "bin");
    Script("bin/quorvik-edit", "true");
    WriteBytes(dir.File("bin/quorvik-selftest"), "not a program");
    services::SetHelperProgramDirectory(QString::fromStdString(dir.File("bin")));
    EXPECT_FALSE(services::CheckHelperPrograms());
    ASSERT_EQ(mesbo->Count(), 1u);
    const auto shown = mesbo->ShownMessages().front();
    EXPECT_EQ(shown.flags, MbWarning);
    EXPECT_NE(shown.text.find(": quorvik-splitbytes, quorvik-selftest."), std::string::npos)
        << shown.text;
}

} // namespace
} // namespace qv::testing
